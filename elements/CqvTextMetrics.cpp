#include "elements/CqvTextMetrics.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string_view>

#include "elements/QvCodePageText.h"
#include "engine/Surface.h"

namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr unsigned char kHyphen = 45;

// Space and every control character separate words; bytes compare unsigned.
bool IsWhite(char c) { return static_cast<unsigned char>(c) <= 32; }

// Truncation toward zero; values beyond the integer range saturate.
int32_t Trunc(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

// A line broken inside its text (after a hyphen, at white space) fits with
// this much to spare; a line that runs to the end of a word must fit exactly.
constexpr double kBreakSlack = 0.001;

// A text that ends in a hyphen is often a word cut at one of its hyphens to
// fill the lines left on a page. Its last line must then fit as it did inside
// the whole word, where the cut was a break after a hyphen; were the end held
// to the exact width, a line the page counted once would wrap in two and be
// cut off at the foot.
double EndSlack(const char* text, size_t length, size_t lineEnd) {
    return lineEnd == length && lineEnd > 0 && static_cast<unsigned char>(text[lineEnd - 1]) == kHyphen ? kBreakSlack
                                                                                                        : 0.0;
}

size_t RunLength(const char* text, std::ptrdiff_t length) {
    return length < 1 ? std::strlen(text) : static_cast<size_t>(length);
}

}  // namespace

bool CqvTextMetrics::Build(const QvFontSpec& font, int32_t emHeight, const QvTextMode& mode) {
    // Every text measured or drawn builds its style's metrics: a style whose
    // font is unchanged keeps its table without a look-up in the shared cache,
    // which would only hand back the table this style holds. Wide tables are
    // taken from the font once per style and kept; even a failed build is not
    // retried. A style whose font itself changed gets the table of its new font.
    if (m_table && IsAdvanceTableKey(m_key, font, emHeight, mode.wide, mode.codePage)) {
        m_mode = mode;
        return mode.wide || m_table->built;
    }
    const QvAdvanceTableKey key = AdvanceTableKey(font, emHeight, mode.wide, mode.codePage);
    m_table = GetAdvanceTable(key);
    m_key = key;
    m_mode = mode;
    return m_table->built;
}

float CqvTextMetrics::Advance(uint32_t unit) const { return m_table ? m_table->Advance(unit) : 0.0f; }

bool CqvTextMetrics::UnitsOf(const char* text, size_t length) const {
    const std::string_view bytes(text, length);
    m_unitAdvances.clear();
    if (SumsUtf8Directly()) {
        // Every drawn line comes through here: UTF-8 is converted and measured
        // in one pass. No byte gives more than one unit.
        m_units.resize(length);
        m_unitAdvances.resize(length);
        size_t count = 0;
        const float* latin = nullptr;
        ForEachUtf16UnitOfUtf8(bytes, [&](char16_t unit) {
            m_units[count] = unit;
            if (unit < 256 && m_table) {
                if (!latin) latin = m_table->LatinAdvances();
                m_unitAdvances[count] = latin[unit];
            } else {
                m_unitAdvances[count] = Advance(unit);
            }
            ++count;
        });
        m_units.resize(count);
        m_unitAdvances.resize(count);
        return true;
    }
    if (m_mode.wide) {
        if (!TemplateTextToUtf16(m_mode.codePage, bytes, m_units)) return false;
        m_unitAdvances.reserve(m_units.size());
        for (char16_t unit : m_units) m_unitAdvances.push_back(Advance(unit));
        return true;
    }
    // Narrow text: one unit per byte, each measuring as its byte.
    m_units.clear();
    const QvByteMap* map = ByteMapOf(m_mode.codePage);
    if (!map) return false;
    m_units.reserve(length);
    m_unitAdvances.reserve(length);
    for (unsigned char b : bytes) {
        const int32_t unit = (*map)[b];
        m_units.push_back(unit == kQvNoCharacter ? kReplacement : static_cast<char16_t>(unit));
        m_unitAdvances.push_back(Advance(b));
    }
    return true;
}

float CqvTextMetrics::SumUnits() const {
    // Single precision, in text order: the same sums on every platform and in
    // every call, which is what makes measured and drawn positions agree.
    float sum = 0.0f;
    for (float advance : m_unitAdvances) sum += advance;
    return sum;
}

float CqvTextMetrics::AddUtf8Advances(const char* text, size_t length, float sum) const {
    if (!m_table) return sum;  // every unit measures 0
    const QvAdvanceTable& table = *m_table;
    // Runs of ASCII are summed straight from the table's first page; the
    // rest goes through the decoder, cut only before ASCII bytes, which
    // never continue a sequence (a sequence cut short there is invalid
    // whole or cut).
    const float* latin = nullptr;
    size_t i = 0;
    while (i < length) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            if (!latin) latin = table.LatinAdvances();
            for (; i < length && static_cast<unsigned char>(text[i]) < 0x80; ++i)
                sum += latin[static_cast<unsigned char>(text[i])];
            continue;
        }
        size_t end = i + 1;
        while (end < length && static_cast<unsigned char>(text[end]) >= 0x80) ++end;
        ForEachUtf16UnitOfUtf8(std::string_view(text + i, end - i), [&](char16_t unit) { sum += table.Advance(unit); });
        i = end;
    }
    return sum;
}

QvRunMetrics CqvTextMetrics::MeasureRun(const char* text, std::ptrdiff_t length) const {
    QvRunMetrics run;
    run.lineSpacing = LineSpacing();
    if (!text) return run;
    if (SumsUtf8Directly()) run.width = AddUtf8Advances(text, RunLength(text, length), 0.0f);
    else if (UnitsOf(text, RunLength(text, length))) run.width = SumUnits();
    return run;
}

float CqvTextMetrics::AddAdvances(const char* text, size_t length, float sum) const {
    if (SumsUtf8Directly()) return AddUtf8Advances(text, length, sum);
    if (UnitsOf(text, length))
        for (float advance : m_unitAdvances) sum += advance;
    return sum;
}

bool CqvTextMetrics::NextLine(CqvLineBreaker& breaker, int32_t maxWidth, size_t& lineStart, size_t& lineEnd) const {
    const char* text = breaker.text;
    const size_t length = breaker.length;
    size_t& pos = breaker.position;

    while (pos < length && IsWhite(text[pos])) ++pos;
    if (pos >= length) return false;

    // Where the code page allows, a line is measured piece by piece: the
    // additions are the very ones a measurement from the line's start would make.
    // No advance is negative, so the width of a line's prefix only grows.
    const bool piecewise = !m_mode.wide || ConvertsPiecewiseAtWhiteSpace(m_mode.codePage);
    if (piecewise && Scale() >= 0.0f) return NextLineInPieces(breaker, maxWidth, lineStart, lineEnd);
    return NextLineRemeasured(breaker, maxWidth, lineStart, lineEnd);
}

// Widens the line word by word until it reaches the width; a line that is then
// too wide breaks after white space or after a hyphen, as far right as fits.
// That is the rule NextLineRemeasured states plainly. Here every break position
// is measured once, on the way, and the scan stops as soon as the line is wider
// than any later break could make fit: a long word full of hyphens would
// otherwise be measured again from the line's start for every hyphen, and
// scanned to its end on every line.
bool CqvTextMetrics::NextLineInPieces(CqvLineBreaker& breaker, int32_t maxWidth, size_t& lineStart,
                                      size_t& lineEnd) const {
    const char* text = breaker.text;
    const size_t length = breaker.length;
    size_t& pos = breaker.position;
    const double width = maxWidth;
    const size_t start = pos;
    breaker.lineSpacing = LineSpacing();

    struct Break {
        size_t at;
        float width;
    };
    std::optional<Break> first;    // the leftmost break position of the line
    std::optional<Break> lastFit;  // the rightmost one that fits
    float running = 0.0f;
    size_t measured = start;  // text[start, measured) is in `running`
    // Every white space position is measured on its own: ASCII of UTF-8 text
    // is added here straight from the table, the same additions in the same
    // order as AddAdvances makes, without a call for each character.
    // The table's first page is asked for only once ASCII comes, as there.
    const bool direct = SumsUtf8Directly() && m_table;
    const float* latin = nullptr;
    auto isAscii = [&](size_t at) { return static_cast<unsigned char>(text[at]) < 0x80; };
    auto measureTo = [&](size_t to) {
        if (direct && measured < to && isAscii(measured)) {
            if (!latin) latin = m_table->LatinAdvances();
            for (; measured < to && isAscii(measured); ++measured)
                running += latin[static_cast<unsigned char>(text[measured])];
        }
        if (measured < to) running = AddAdvances(text + measured, to - measured, running);
        measured = to;
    };
    // Records a break; true once the line is wider than any break can mend.
    auto passBreak = [&](size_t at) {
        measureTo(at);
        if (!first) first = Break{at, running};
        if (running > width + kBreakSlack) return true;
        lastFit = Break{at, running};
        return false;
    };

    bool crossed = false;
    size_t wordEnd = start;
    while (!crossed) {
        // White space before the next word: each of its positions, and the
        // word's start, is a break. White space at the end is never measured.
        size_t wordStart = wordEnd;
        while (wordStart < length && IsWhite(text[wordStart])) ++wordStart;
        if (wordStart >= length) {
            pos = length;
            break;
        }
        for (size_t at = std::max(wordEnd, start + 1); at <= wordStart && !crossed; ++at) crossed = passBreak(at);
        // The word, with a break after each hyphen inside it.
        wordEnd = wordStart;
        while (!crossed && wordEnd < length && !IsWhite(text[wordEnd])) {
            ++wordEnd;
            if (wordEnd < length && !IsWhite(text[wordEnd]) && static_cast<unsigned char>(text[wordEnd - 1]) == kHyphen)
                crossed = passBreak(wordEnd);
        }
        if (crossed) break;
        pos = wordEnd;
        measureTo(wordEnd);
        breaker.width = running;
        if (running >= width - 0.001) break;
    }

    lineStart = start;
    if (!crossed) {
        lineEnd = pos;
        if (breaker.width <= width + EndSlack(text, length, pos)) return true;
    }
    if (lastFit) {
        pos = lineEnd = lastFit->at;
        breaker.width = lastFit->width;
        return true;
    }
    // No break fits. A word wider than the box is never split: the line runs to
    // the end of that word, past the right edge, where the line's clip rectangle
    // cuts it; its width is that of its first break, or of the whole line.
    if (crossed) {
        while (wordEnd < length && !IsWhite(text[wordEnd])) ++wordEnd;
        pos = lineEnd = wordEnd;
    }
    breaker.width = first ? first->width : running;
    return true;
}

bool CqvTextMetrics::NextLineRemeasured(CqvLineBreaker& breaker, int32_t maxWidth, size_t& lineStart,
                                        size_t& lineEnd) const {
    const char* text = breaker.text;
    const size_t length = breaker.length;
    size_t& pos = breaker.position;
    const double width = maxWidth;
    const size_t start = pos;

    // Widen the line word by word until it reaches the width.
    while (true) {
        while (pos < length && IsWhite(text[pos])) ++pos;
        if (pos >= length) break;
        while (pos < length && !IsWhite(text[pos])) ++pos;
        const QvRunMetrics run = MeasureRun(text + start, static_cast<std::ptrdiff_t>(pos - start));
        breaker.width = run.width;
        breaker.lineSpacing = run.lineSpacing;
        if (breaker.width >= width - 0.001) break;
    }

    lineStart = start;
    lineEnd = pos;
    if (breaker.width <= width + EndSlack(text, length, pos)) return true;

    // Too wide: break after white space or after a hyphen, as far right as fits.
    // The hyphen stays on its line.
    for (size_t i = pos - 1; i >= start + 1; --i) {
        const bool candidate =
            IsWhite(text[i]) || IsWhite(text[i - 1]) || static_cast<unsigned char>(text[i - 1]) == kHyphen;
        if (!candidate) continue;
        const QvRunMetrics run = MeasureRun(text + start, static_cast<std::ptrdiff_t>(i - start));
        breaker.width = run.width;
        breaker.lineSpacing = run.lineSpacing;
        if (breaker.width <= width + kBreakSlack) {
            pos = i;
            lineEnd = i;
            return true;
        }
    }
    // A word wider than the box is never split: it runs past the right edge,
    // where the line's clip rectangle cuts it.
    return true;
}

void CqvTextMetrics::DrawLine(Surface& surface, int32_t x, int32_t top, const QvRect& clip, const char* text,
                              size_t length) const {
    if (!text || !UnitsOf(text, length)) return;
    // Each glyph gets the difference of the truncated running sums, so the
    // drawn positions are the measured ones without drift along the line.
    m_drawAdvances.resize(m_unitAdvances.size());
    float sum = 0.0f;
    for (size_t k = 0; k < m_unitAdvances.size(); ++k) {
        const float before = sum;
        sum += m_unitAdvances[k];
        m_drawAdvances[k] = m_mode.wide ? Trunc(sum) - Trunc(before) : Trunc(sum + 0.5) - Trunc(before + 0.5);
    }
    surface.TextOut(x, top, kTextOpaque | kTextClipped, clip, std::u16string_view(m_units), m_drawAdvances.data());
}

int32_t CqvTextMetrics::DrawWrapped(Surface* surface, const char* text, std::ptrdiff_t length, const QvRect& rect,
                                    unsigned flags, bool clip) const {
    if (!text) return 0;
    const size_t textLength = RunLength(text, length);
    const int32_t width = Trunc(static_cast<double>(rect.right) - rect.left);
    // Page coordinates run from 0 at the paper's top edge downward into negative
    // values, so lines advance toward more negative y; a rectangle starting at
    // the top edge itself belongs to the page too. Only a rectangle wholly above
    // 0 (a y-down caller) has its lines advance upward.
    const int32_t direction = rect.top <= 0 ? -1 : 1;
    const bool measureOnly = (flags & kQvTextMeasureOnly) != 0 || surface == nullptr;

    CqvLineBreaker breaker(text, textLength);
    size_t lineStart = 0, lineEnd = 0;
    int32_t lineTop = rect.top;
    if (!NextLine(breaker, width, lineStart, lineEnd)) return 0;
    while (true) {
        while (lineEnd > lineStart && IsWhite(text[lineEnd - 1])) --lineEnd;

        // A line takes the font's line spacing plus a quarter of a millimetre,
        // truncated to whole units.
        int32_t lineBottom =
            Trunc(static_cast<double>(lineTop) + Trunc(direction * breaker.lineSpacing + direction * 2.5));
        bool last = false;
        if (clip && std::llabs(lineBottom) > std::llabs(rect.bottom)) {
            lineBottom = rect.bottom;
            last = true;
        }
        if (!measureOnly) {
            int32_t x = rect.left;
            const float w = breaker.width;
            const int64_t room = static_cast<int64_t>(rect.right) - x;
            if ((flags & kQvTextRight) && room > w) x = Trunc(static_cast<float>(x + room) - w);
            else if ((flags & kQvTextCenter) && room > w) x = Trunc(x + (static_cast<float>(room) - w) * 0.5);
            DrawLine(*surface, x, lineTop, QvRect{x, lineTop, rect.right, lineBottom}, text + lineStart,
                     lineEnd - lineStart);
        }
        lineTop = lineBottom;
        if (last || !NextLine(breaker, width, lineStart, lineEnd)) break;
    }
    return lineTop - rect.top;
}

size_t CqvTextMetrics::WholeLinesLength(const char* text, size_t length, int32_t width, size_t lines) const {
    CqvLineBreaker breaker(text, length);
    size_t lineStart = 0, lineEnd = 0;
    for (size_t line = 0; line < lines; ++line) {
        if (!NextLine(breaker, width, lineStart, lineEnd)) return length;
    }
    return breaker.position;
}

int32_t CqvTextMetrics::OneLineHeight() const { return -Trunc(LineSpacing() + 2.5); }
