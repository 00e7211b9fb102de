#pragma once
// The engine's own text measuring, line breaking and wrapped-text drawing.
// Glyph advances come once from the font at its design size and are scaled to
// the wanted em height, so lines break in the same places on every surface and
// every line is drawn with explicit advances that reproduce the measured
// positions. One CqvTextMetrics per style.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/QvRect.h"
#include "elements/QvAdvanceTable.h"

class Surface;
struct QvFontSpec;

// DrawWrapped flags, with the values of the platform's text-drawing flags. Every
// other bit is ignored.
constexpr unsigned kQvTextCenter = 0x1;
constexpr unsigned kQvTextRight = 0x2;
constexpr unsigned kQvTextMeasureOnly = 0x400;

// How template text reaches the fonts: through the wide (UTF-16) paths, and
// from which code page.
struct QvTextMode {
    bool wide = true;
    int32_t codePage = 65001;
};

struct QvRunMetrics {
    float width = 0.0f;
    float lineSpacing = 0.0f;
};

// The state of breaking one text into lines.
struct CqvLineBreaker {
    CqvLineBreaker(const char* text, size_t length) : text(text), length(length) {}

    const char* text;
    size_t length;
    size_t position = 0;
    float width = 0.0f;        // the width measured last
    float lineSpacing = 0.0f;  // returned by the last measurement
};

class CqvTextMetrics {
public:
    CqvTextMetrics() = default;
    // A style's metrics are a cache of its own font: copying a style never
    // copies them, the copy measures from its own build.
    CqvTextMetrics(const CqvTextMetrics&) {}
    CqvTextMetrics& operator=(const CqvTextMetrics&) { return *this; }

    // Fills the metrics for the font at the given em height (logical units).
    // Wide tables are built once and then kept; narrow ones follow every call.
    // False when the font has no outline metrics: advances and heights stay 0.
    bool Build(const QvFontSpec& font, int32_t emHeight, const QvTextMode& mode);

    // Sum of the advances of a run; a length below 1 means up to the NUL.
    QvRunMetrics MeasureRun(const char* text, std::ptrdiff_t length) const;

    // The next line of the text for the width: [lineStart, lineEnd) in bytes.
    // False when only white space is left.
    bool NextLine(CqvLineBreaker& breaker, int32_t maxWidth, size_t& lineStart, size_t& lineEnd) const;

    // One line with explicit advances, opaque and clipped to `clip`.
    void DrawLine(Surface& surface, int32_t x, int32_t top, const QvRect& clip, const char* text, size_t length) const;

    // Draws (or with kQvTextMeasureOnly only measures; surface may then be null)
    // the text wrapped into the rectangle. Returns the bottom of the last line
    // minus the rectangle's top: negative in the engine's upward y axis.
    int32_t DrawWrapped(Surface* surface, const char* text, std::ptrdiff_t length, const QvRect& rect, unsigned flags,
                        bool clip) const;

    // How many bytes of the text its first `lines` lines take when wrapped to
    // the width: where the next line would begin (the whole length when the
    // text has no more lines).
    size_t WholeLinesLength(const char* text, size_t length, int32_t width, size_t lines) const;

    // Height of one line as the items test whether a first line fits: what
    // DrawWrapped of "A" returns, -trunc(line spacing + 2.5).
    int32_t OneLineHeight() const;

    bool IsBuilt() const { return m_table != nullptr; }
    bool IsWide() const { return m_mode.wide; }
    float Scale() const { return m_table ? m_table->scale : 0.0f; }
    float LineHeight() const { return m_table ? m_table->lineHeight : 0.0f; }
    float LineSpacing() const { return m_table ? m_table->lineSpacing : 0.0f; }
    // The stored advance of a UTF-16 code unit (wide) or of a byte (narrow).
    float Advance(uint32_t unit) const;
    // The shared table, for tests and for styles that want to know they share.
    const QvAdvanceTable* Table() const { return m_table.get(); }

private:
    // The code units of a run and the advance of each, in text order; false when
    // the template code page cannot convert the run.
    bool UnitsOf(const char* text, size_t length) const;
    float SumUnits() const;
    // Template text in UTF-8 is measured without converting it: the advances of
    // its code units are added to `sum` in text order, the very additions that
    // UnitsOf and SumUnits make.
    bool SumsUtf8Directly() const { return m_mode.wide && m_mode.codePage == 65001; }
    float AddUtf8Advances(const char* text, size_t length, float sum) const;
    // Adds the advances of a piece of text to `sum`, as the piecewise
    // measurement of a line does.
    float AddAdvances(const char* text, size_t length, float sum) const;
    // The two ways NextLine finds a line: in pieces where the code page
    // converts piecewise, else measuring every candidate from the line's start.
    bool NextLineInPieces(CqvLineBreaker& breaker, int32_t maxWidth, size_t& lineStart, size_t& lineEnd) const;
    bool NextLineRemeasured(CqvLineBreaker& breaker, int32_t maxWidth, size_t& lineStart, size_t& lineEnd) const;

    std::shared_ptr<const QvAdvanceTable> m_table;
    QvAdvanceTableKey m_key;  // what m_table was built for
    QvTextMode m_mode;
    // Work buffers: grow with the longest run seen, so runs of any length work.
    mutable std::u16string m_units;
    mutable std::vector<float> m_unitAdvances;
    mutable std::vector<int32_t> m_drawAdvances;
};
