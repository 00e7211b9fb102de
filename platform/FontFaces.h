#pragma once
// The faces that draw the text of one logical font: the face its family
// resolved to first, then the fallback faces that draw the characters the
// first one lacks (Chinese in a Latin face, say). Each character is drawn, and
// measured, with exactly one of them, so that a character the family lacks is
// still printed, searchable and copied as itself.
//
// The fallbacks are found the first time a character the first face lacks is
// asked for: ranking every installed font and reading the character maps of
// the faces that cover the gaps costs more than a one-page report's layout,
// and most reports never need them. They are the same whenever they are found.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/FontResolver.h"

namespace qv::platform {

class FontFaces {
public:
    // Characters below this are looked up in flat tables, one entry each.
    static constexpr char32_t kBmpSize = 0x10000;

    // What a fallback face draws: `faceOf[c]` for the characters up to
    // U+FFFF (0 = the first face), `beyond` for the others, sorted by
    // character. Face indexes index the faces, the first face being 0.
    struct CharacterFaces {
        std::vector<uint8_t> faceOf;
        std::vector<std::pair<char32_t, uint8_t>> beyond;
    };
    struct Fallbacks {
        std::vector<ResolvedFont> faces;  // faces 1, 2, ...
        CharacterFaces characters;
    };
    using FindFallbacks = std::function<Fallbacks()>;

    // `find` is called at most once, when a character `primary` lacks is
    // first asked for (or all faces are counted).
    FontFaces(ResolvedFont primary, FindFallbacks find);

    const ResolvedFont& Primary() const { return m_primary; }
    // Every face, the fallbacks found.
    size_t Count() const { return 1 + Found().faces.size(); }
    const ResolvedFont& Face(size_t index) const { return index == 0 ? m_primary : Found().faces[index - 1]; }

    // The face that draws `c`: the first one whenever it has the character,
    // for control characters, and when no face has it (it then shows the
    // first face's missing-glyph box, as it always did).
    size_t FaceFor(char32_t c) const;

    // Characters that a face draws: not control characters, surrogates or
    // non-characters, which no fallback face should claim.
    static bool IsDrawnCharacter(char32_t c) {
        return c >= 0x20 && !(c >= 0x7F && c <= 0x9F) && !(c >= 0xD800 && c <= 0xDFFF) && (c & 0xFFFE) != 0xFFFE &&
               c <= 0x10FFFF;
    }

private:
    const Fallbacks& Found() const;

    ResolvedFont m_primary;
    // What the first face maps: a bit per character up to U+FFFF, then the
    // characters beyond, ascending.
    std::vector<uint64_t> m_mappedBmp;
    std::vector<char32_t> m_mappedBeyond;
    // Layout and the drawing thread may ask at once.
    mutable std::once_flag m_once;
    mutable FindFallbacks m_find;
    mutable Fallbacks m_fallbacks;
};

}  // namespace qv::platform
