#pragma once
// The faces that draw the text of one logical font: the face its family
// resolved to first, then the fallback faces that draw the characters the
// first one lacks (Chinese in a Latin face, say). Each character is drawn, and
// measured, with exactly one of them, so that a character the family lacks is
// still printed, searchable and copied as itself.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/FontResolver.h"

namespace qv::platform {

class FontFaces {
public:
    // What a fallback face draws: `faceOf[c]` for the characters up to
    // U+FFFF (0 = the first face), `beyond` for the others, sorted by
    // character. Face indexes index `faces`.
    struct CharacterFaces {
        std::vector<uint8_t> faceOf;
        std::vector<std::pair<char32_t, uint8_t>> beyond;
    };

    FontFaces(std::vector<ResolvedFont> faces, CharacterFaces characters);

    const ResolvedFont& Primary() const { return m_faces.front(); }
    size_t Count() const { return m_faces.size(); }
    const ResolvedFont& Face(size_t index) const { return m_faces[index]; }

    // The face that draws `c`: the first one whenever it has the character,
    // for control characters, and when no face has it (it then shows the
    // first face's missing-glyph box, as it always did).
    size_t FaceFor(char32_t c) const;

private:
    std::vector<ResolvedFont> m_faces;  // never empty
    CharacterFaces m_characters;
};

}  // namespace qv::platform
