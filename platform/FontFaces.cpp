#include "platform/FontFaces.h"

#include <algorithm>

#include "common/CqvEx.h"

namespace qv::platform {

FontFaces::FontFaces(ResolvedFont primary, FindFallbacks find)
    : m_primary(std::move(primary)), m_find(std::move(find)) {
    if (!m_primary.file) throw CqvEx("A font needs at least one face to draw with");
    m_mappedBmp.assign(kBmpSize / 64, 0);
    for (char32_t c : m_primary.file->MappedCodePoints()) {
        if (c < kBmpSize) m_mappedBmp[c / 64] |= uint64_t{1} << (c % 64);
        else m_mappedBeyond.push_back(c);
    }
}

const FontFaces::Fallbacks& FontFaces::Found() const {
    std::call_once(m_once, [this] {
        if (m_find) m_fallbacks = m_find();
        m_find = nullptr;
    });
    return m_fallbacks;
}

size_t FontFaces::FaceFor(char32_t c) const {
    // Only characters that are drawn and that the first face lacks have a
    // fallback face.
    if (c < kBmpSize) {
        if ((m_mappedBmp[c / 64] >> (c % 64) & 1) || !IsDrawnCharacter(c)) return 0;
    } else if (!IsDrawnCharacter(c) || std::binary_search(m_mappedBeyond.begin(), m_mappedBeyond.end(), c)) {
        return 0;
    }
    const Fallbacks& found = Found();
    size_t face = 0;
    if (c < found.characters.faceOf.size()) {
        face = found.characters.faceOf[c];
    } else {
        const auto& beyond = found.characters.beyond;
        auto it = std::lower_bound(beyond.begin(), beyond.end(), c,
                                   [](const auto& entry, char32_t key) { return entry.first < key; });
        if (it != beyond.end() && it->first == c) face = it->second;
    }
    return face <= found.faces.size() ? face : 0;
}

}  // namespace qv::platform
