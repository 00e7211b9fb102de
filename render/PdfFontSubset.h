#pragma once
// The font program a PDF embeds: the glyphs a document used, cut out of the
// font file with HarfBuzz's subsetter. Glyph ids stay as they are in the file,
// so the page content can name glyphs by their ids (CIDToGIDMap /Identity).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qv::platform {
class FontFile;
}

namespace qv::render {

struct FontProgram {
    std::string bytes;
    // TrueType outlines (glyf) go into a PDF as FontFile2; CFF outlines (an
    // OpenType .otf) as FontFile3 /OpenType.
    bool cff = false;
};

// The subset of face `file` holding `glyphs` (and .notdef); none when the file
// is not a TrueType or OpenType font (a Type 1 font, say) or cannot be subset.
std::optional<FontProgram> SubsetFontProgram(const qv::platform::FontFile& file, const std::vector<uint32_t>& glyphs);

// Whether the file's outlines can be embedded by SubsetFontProgram at all.
bool CanEmbedFontProgram(const qv::platform::FontFile& file);

}  // namespace qv::render
