#include "elements/QvAdvanceTable.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <optional>
#include <tuple>
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

}  // namespace

QvAdvanceTable::QvAdvanceTable(bool wide, int32_t codePage)
    : m_wide(wide), m_codePage(codePage), m_advances(wide ? kQvWideAdvanceCount : kQvNarrowAdvanceCount) {}

QvAdvanceTable::QvAdvanceTable(std::shared_ptr<const FontFaces> faces, int32_t emHeight, bool wide, int32_t codePage)
    : QvAdvanceTable(wide, codePage) {
    const FontOutlineMetrics& metrics = *faces->Primary().file->OutlineMetrics();
    // The design advances are the widths at the em square; scaling them to the
    // em height keeps layout free of any device's hinting and rounding.
    scale = static_cast<float>(emHeight) / static_cast<float>(metrics.emSquare);
    lineHeight = scale * static_cast<float>(metrics.cellHeight);
    lineSpacing = scale * static_cast<float>(metrics.cellHeight + metrics.externalLeading);
    m_faces = std::move(faces);
    m_emHeight = emHeight;
    built = true;
}

void QvAdvanceTable::FillAdvances(size_t first, std::span<float> page) const {
    if (!m_faces) return;  // every unit measures 0
    if (m_wide) FillWideAdvances(first, page);
    else FillNarrowAdvances(first, page);
}

void QvAdvanceTable::FillWideAdvances(size_t firstUnit, std::span<float> page) const {
    const FontFile& file = *m_faces->Primary().file;
    const FontOutlineMetrics& metrics = *file.OutlineMetrics();
    const uint32_t first = metrics.firstChar;
    const uint32_t last = std::min(metrics.lastChar, kLastWideUnit);
    for (size_t k = 0; k < page.size(); ++k) {
        const auto c = static_cast<uint32_t>(firstUnit + k);
        const bool inRange = c >= first && c <= last;
        if (std::optional<float> advance = FallbackAdvance(*m_faces, c, m_emHeight)) page[k] = *advance;
        else if (inRange || (IsPrintable(c) && file.GlyphIndex(c) != 0))
            page[k] = StoredAdvance(file.DesignAdvance(c), scale);
    }
}

// A byte measures as the character it is in the template code page.
void QvAdvanceTable::FillNarrowAdvances(size_t firstByte, std::span<float> page) const {
    const QvByteMap* map = ByteMapOf(m_codePage);
    if (!map) return;
    const FontFile& file = *m_faces->Primary().file;
    const FontOutlineMetrics& metrics = *file.OutlineMetrics();
    for (size_t k = 0; k < page.size(); ++k) {
        const int32_t unit = (*map)[firstByte + k];
        if (unit == kQvNoCharacter) continue;
        const auto c = static_cast<uint32_t>(unit);
        if (std::optional<float> advance = FallbackAdvance(*m_faces, c, m_emHeight)) page[k] = *advance;
        else if ((c >= metrics.firstChar && c <= metrics.lastChar) || (IsPrintable(c) && file.GlyphIndex(c) != 0))
            page[k] = StoredAdvance(file.DesignAdvance(c), scale);
    }
}

namespace {

std::shared_ptr<const QvAdvanceTable> MakeAdvanceTable(const QvAdvanceTableKey& key) {
    // A font without outline metrics is not an outline font and keeps the
    // empty table.
    std::shared_ptr<const FontFaces> faces = qv::platform::ResolveFontFaces(key.face, key.weight, key.italic);
    const std::optional<FontOutlineMetrics>& metrics = faces->Primary().file->OutlineMetrics();
    if (!metrics || metrics->emSquare <= 0) return std::make_shared<QvAdvanceTable>(key.wide, key.codePage);
    return std::make_shared<QvAdvanceTable>(std::move(faces), key.emHeight, key.wide, key.codePage);
}

}  // namespace

QvAdvanceTableKey AdvanceTableKey(const QvFontSpec& font, int32_t emHeight, bool wide, int32_t codePage) {
    QvAdvanceTableKey key;
    key.face = font.face;
    key.weight = font.weight;
    key.italic = font.italic;
    key.emHeight = emHeight;
    key.wide = wide;
    key.codePage = wide ? 0 : codePage;
    return key;
}

bool IsAdvanceTableKey(const QvAdvanceTableKey& key, const QvFontSpec& font, int32_t emHeight, bool wide,
                       int32_t codePage) {
    return key.weight == font.weight && key.italic == font.italic && key.emHeight == emHeight && key.wide == wide &&
           key.codePage == (wide ? 0 : codePage) && key.face == font.face;
}

namespace {

struct KeyOrder {
    bool operator()(const QvAdvanceTableKey& a, const QvAdvanceTableKey& b) const {
        return std::tie(a.face, a.weight, a.italic, a.emHeight, a.wide, a.codePage) <
               std::tie(b.face, b.weight, b.italic, b.emHeight, b.wide, b.codePage);
    }
};

}  // namespace

std::shared_ptr<const QvAdvanceTable> GetAdvanceTable(const QvAdvanceTableKey& key) {
    // Held weakly: a table lives as long as some style uses it, so the fonts of
    // one report share tables and a finished report gives the memory back.
    // Indexed, as a template may have thousands of styles of distinct fonts.
    static std::mutex mutex;
    static std::map<QvAdvanceTableKey, std::weak_ptr<const QvAdvanceTable>, KeyOrder> cache;
    // Entries of tables nobody holds are swept when the cache has doubled
    // since the last sweep, so that sweeping costs O(1) per new table.
    static size_t sweepAt = 64;
    std::lock_guard<std::mutex> lock(mutex);
    auto it = cache.find(key);
    if (it != cache.end()) {
        if (auto table = it->second.lock()) return table;
    }
    std::shared_ptr<const QvAdvanceTable> table = MakeAdvanceTable(key);
    if (it != cache.end()) {
        it->second = table;
        return table;
    }
    if (cache.size() >= sweepAt) {
        std::erase_if(cache, [](const auto& entry) { return entry.second.expired(); });
        sweepAt = std::max<size_t>(64, cache.size() * 2);
    }
    cache.emplace(key, table);
    return table;
}
