#pragma once
// The advances and line heights of one font at one em height, taken from the
// font at its em square. Tables are shared by every style with the same font:
// the numbers are identical, the memory and the build time are not. The
// advances are read from the font a page of code units at a time, when a text
// first uses one, so a table costs what its texts use: a template may name
// thousands of families, and a table of every UTF-16 unit would cost 256 KB
// and some 65,000 font look-ups each.
#include <cstdint>
#include <memory>
#include <string>

#include "common/QvPagedTable.h"

struct QvFontSpec;
namespace qv::platform {
class FontFaces;
}

// Wide tables cover the UTF-16 code units 0 to 65,534; the unit 65,535 measures 0.
constexpr size_t kQvWideAdvanceCount = 65535;
// Narrow tables cover the byte values.
constexpr size_t kQvNarrowAdvanceCount = 256;

class QvAdvanceTable {
public:
    // An empty table: every advance measures 0 (a font without outline metrics).
    QvAdvanceTable(bool wide, int32_t codePage);
    // The table of the faces at the em height, whose first face has outline metrics.
    QvAdvanceTable(std::shared_ptr<const qv::platform::FontFaces> faces, int32_t emHeight, bool wide, int32_t codePage);

    bool built = false;        // false: the font had no outline metrics, all figures 0
    float scale = 0.0f;        // em height / em square
    float lineHeight = 0.0f;   // cell height x scale
    float lineSpacing = 0.0f;  // (cell height + external leading) x scale

    // Design advance x scale + 0.5 for every character of the font's range, 0
    // elsewhere. Indexed by UTF-16 code unit (wide) or by byte (narrow); a
    // unit beyond the table measures 0.
    float Advance(uint32_t unit) const {
        if (unit >= m_advances.Count()) return 0.0f;
        return Entry(unit);
    }
    // The advances of the units 0 to 255 side by side, for the loops that
    // measure every character: valid as long as the table.
    const float* LatinAdvances() const { return &Entry(0); }
    size_t AdvanceCount() const { return m_advances.Count(); }
    // How many pages of advances have been read from the font.
    size_t FilledPages() const { return m_advances.FilledPages(); }

private:
    // A table holds at least the byte values, a page of them.
    static_assert(kQvNarrowAdvanceCount == 256 && sizeof(QvPagedTable<float>::Page) == 256 * sizeof(float));
    const float& Entry(uint32_t unit) const {
        return m_advances.Get(unit, [this](size_t first, std::span<float> page) { FillAdvances(first, page); });
    }
    void FillAdvances(size_t first, std::span<float> page) const;
    void FillWideAdvances(size_t first, std::span<float> page) const;
    void FillNarrowAdvances(size_t first, std::span<float> page) const;

    std::shared_ptr<const qv::platform::FontFaces> m_faces;  // null: every advance is 0
    int32_t m_emHeight = 0;
    bool m_wide = true;
    int32_t m_codePage = 0;
    QvPagedTable<float> m_advances;
};

// What a table depends on. Underline and strikeout do not change advances.
struct QvAdvanceTableKey {
    std::string face;
    int32_t weight = 400;
    bool italic = false;
    int32_t emHeight = 0;
    bool wide = true;
    int32_t codePage = 0;  // narrow tables only: the byte-to-character mapping
    friend bool operator==(const QvAdvanceTableKey&, const QvAdvanceTableKey&) = default;
};

QvAdvanceTableKey AdvanceTableKey(const QvFontSpec& font, int32_t emHeight, bool wide, int32_t codePage);
// Whether AdvanceTableKey would give `key` back, without building a key.
bool IsAdvanceTableKey(const QvAdvanceTableKey& key, const QvFontSpec& font, int32_t emHeight, bool wide,
                       int32_t codePage);

// The table for the key: shared while anybody holds it, built when nobody does.
std::shared_ptr<const QvAdvanceTable> GetAdvanceTable(const QvAdvanceTableKey& key);
