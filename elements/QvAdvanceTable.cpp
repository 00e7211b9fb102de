#include "elements/QvAdvanceTable.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <utility>

#include "elements/QvCodePageText.h"
#include "engine/Surface.h"
#include "platform/FontFaces.h"
#include "platform/FontResolver.h"

namespace {

using qv::platform::FontFaces;
using qv::platform::FontFile;
using qv::platform::FontOutlineMetrics;

// The highest code unit a wide table holds: 65,535 itself measures 0.
constexpr uint32_t kLastWideUnit = kQvWideAdvanceCount - 1;

float StoredAdvance(int32_t designAdvance, float scale) {
    // Stored with +0.5 and no rounding: the sums of a run are truncated later,
    // so the half sits in every advance rather than in every sum.
    return static_cast<float>(designAdvance) * scale + 0.5f;
}

// A font's declared character range may leave out characters it draws (one
// Liberation Sans face starts at "!", past the space): a printable character
// the face maps measures as drawn wherever the range says. Control
// characters outside the range keep measuring 0, as white space inside a line.
bool IsPrintable(uint32_t c) { return c >= 0x20 && !(c >= 0x7F && c <= 0x9F); }

// A character the font lacks measures as the fallback face that draws it, at
// the same em height: its own advance, scaled by its own em square.
std::optional<float> FallbackAdvance(const FontFaces& faces, char32_t c, int32_t emHeight) {
    const size_t index = faces.FaceFor(c);
    if (index == 0) return std::nullopt;
    const FontFile& file = *faces.Face(index).file;
    const std::optional<FontOutlineMetrics>& metrics = file.OutlineMetrics();
    if (!metrics || metrics->emSquare <= 0) return std::nullopt;
    const float scale = static_cast<float>(emHeight) / static_cast<float>(metrics->emSquare);
    return StoredAdvance(file.DesignAdvance(c), scale);
}

void FillWideAdvances(const FontFaces& faces, const FontOutlineMetrics& metrics, float scale, int32_t emHeight,
                      std::vector<float>& advances) {
    const FontFile& file = *faces.Primary().file;
    const uint32_t first = metrics.firstChar;
    const uint32_t last = std::min(metrics.lastChar, kLastWideUnit);
    if (first <= last) {
        const std::vector<int32_t> design = file.DesignAdvances(first, last);
        for (uint32_t c = first; c <= last && c - first < design.size(); ++c)
            advances[c] = StoredAdvance(design[c - first], scale);
    }
    for (uint32_t c = 0; c <= kLastWideUnit; ++c) {
        if (std::optional<float> advance = FallbackAdvance(faces, c, emHeight))
            advances[c] = *advance;
        else if ((c < first || c > last) && IsPrintable(c) && file.GlyphIndex(c) != 0)
            advances[c] = StoredAdvance(file.DesignAdvance(c), scale);
    }
}

// A byte measures as the character it is in the template code page.
void FillNarrowAdvances(const FontFaces& faces, const FontOutlineMetrics& metrics, float scale, int32_t emHeight,
                        int32_t codePage, std::vector<float>& advances) {
    const QvByteMap* map = ByteMapOf(codePage);
    if (!map) return;
    const FontFile& file = *faces.Primary().file;
    for (size_t b = 0; b < kQvNarrowAdvanceCount; ++b) {
        const int32_t unit = (*map)[b];
        if (unit == kQvNoCharacter) continue;
        const uint32_t c = static_cast<uint32_t>(unit);
        if (std::optional<float> advance = FallbackAdvance(faces, c, emHeight))
            advances[b] = *advance;
        else if ((c >= metrics.firstChar && c <= metrics.lastChar) || (IsPrintable(c) && file.GlyphIndex(c) != 0))
            advances[b] = StoredAdvance(file.DesignAdvance(c), scale);
    }
}

std::shared_ptr<const QvAdvanceTable> MakeAdvanceTable(const QvAdvanceTableKey& key) {
    auto table = std::make_shared<QvAdvanceTable>();
    table->advances.assign(key.wide ? kQvWideAdvanceCount : kQvNarrowAdvanceCount, 0.0f);

    // The outline metrics of the font; a font without them is not an outline
    // font and keeps the empty table.
    const std::shared_ptr<const FontFaces> faces = qv::platform::ResolveFontFaces(key.face, key.weight, key.italic);
    const std::optional<FontOutlineMetrics>& metrics = faces->Primary().file->OutlineMetrics();
    if (!metrics || metrics->emSquare <= 0) return table;

    // The design advances are the widths at the em square; scaling them to the
    // em height keeps layout free of any device's hinting and rounding.
    table->scale = static_cast<float>(key.emHeight) / static_cast<float>(metrics->emSquare);
    table->lineHeight = table->scale * static_cast<float>(metrics->cellHeight);
    table->lineSpacing =
        table->scale * static_cast<float>(metrics->cellHeight + metrics->externalLeading);
    if (key.wide)
        FillWideAdvances(*faces, *metrics, table->scale, key.emHeight, table->advances);
    else
        FillNarrowAdvances(*faces, *metrics, table->scale, key.emHeight, key.codePage, table->advances);
    table->built = true;
    return table;
}

}  // namespace

QvAdvanceTableKey AdvanceTableKey(const QvFontSpec& font, int32_t emHeight, bool wide,
                                  int32_t codePage) {
    QvAdvanceTableKey key;
    key.face = font.face;
    key.weight = font.weight;
    key.italic = font.italic;
    key.emHeight = emHeight;
    key.wide = wide;
    key.codePage = wide ? 0 : codePage;
    return key;
}

std::shared_ptr<const QvAdvanceTable> GetAdvanceTable(const QvAdvanceTableKey& key) {
    // Held weakly: a table lives as long as some style uses it, so the fonts of
    // one report share tables and a finished report gives the memory back.
    static std::mutex mutex;
    static std::vector<std::pair<QvAdvanceTableKey, std::weak_ptr<const QvAdvanceTable>>> cache;
    std::lock_guard<std::mutex> lock(mutex);
    for (const auto& [cachedKey, weak] : cache) {
        if (cachedKey == key) {
            if (auto table = weak.lock()) return table;
        }
    }
    std::erase_if(cache, [](const auto& entry) { return entry.second.expired(); });
    std::shared_ptr<const QvAdvanceTable> table = MakeAdvanceTable(key);
    cache.emplace_back(key, table);
    return table;
}
