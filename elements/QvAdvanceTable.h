#pragma once
// The advances and line heights of one font at one em height, taken from the
// font at its em square. Tables are immutable once built and shared by every
// style with the same font: the numbers are identical, the memory and the
// build time are not.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct QvFontSpec;

// Wide tables cover the UTF-16 code units 0 to 65,534; the unit 65,535 measures 0.
constexpr size_t kQvWideAdvanceCount = 65535;
// Narrow tables cover the byte values.
constexpr size_t kQvNarrowAdvanceCount = 256;

struct QvAdvanceTable {
    bool built = false;      // false: the font had no outline metrics, all figures 0
    float scale = 0.0f;      // em height / em square
    float lineHeight = 0.0f;   // cell height x scale
    float lineSpacing = 0.0f;  // (cell height + external leading) x scale
    // Design advance x scale + 0.5 for every character of the font's range, 0
    // elsewhere. Indexed by UTF-16 code unit (wide) or by byte (narrow).
    std::vector<float> advances;
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

QvAdvanceTableKey AdvanceTableKey(const QvFontSpec& font, int32_t emHeight, bool wide,
                                  int32_t codePage);

// The table for the key: shared while anybody holds it, built when nobody does.
std::shared_ptr<const QvAdvanceTable> GetAdvanceTable(const QvAdvanceTableKey& key);
