#include "platform/FontFaces.h"

#include <algorithm>

#include "common/CqvEx.h"

namespace qv::platform {

FontFaces::FontFaces(std::vector<ResolvedFont> faces, CharacterFaces characters)
    : m_faces(std::move(faces)), m_characters(std::move(characters)) {
    if (m_faces.empty() || !m_faces.front().file) throw CqvEx("A font needs at least one face to draw with");
}

size_t FontFaces::FaceFor(char32_t c) const {
    size_t face = 0;
    if (c < m_characters.faceOf.size()) {
        face = m_characters.faceOf[c];
    } else {
        const auto& beyond = m_characters.beyond;
        auto it = std::lower_bound(beyond.begin(), beyond.end(), c,
                                   [](const auto& entry, char32_t key) { return entry.first < key; });
        if (it != beyond.end() && it->first == c) face = it->second;
    }
    return face < m_faces.size() ? face : 0;
}

}  // namespace qv::platform
