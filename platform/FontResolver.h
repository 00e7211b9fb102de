#pragma once
// Finds the font file for a logical font (family, weight, italic) with
// fontconfig, as the Windows font mapper would pick a face for a LOGFONT.
//
// Only scalable TrueType or OpenType faces with outline metrics draw text: a
// bitmap or Type 1 face has no metrics to lay out with, and a symbol or
// dingbat face would draw the text as pictures. The Windows core families a
// template names reach their metric-compatible fonts by our own table, so
// lines break where they break on Windows whatever fontconfig's aliases say
// (Arial → Liberation Sans, Arial Narrow → Liberation Sans Narrow, Times New
// Roman → Liberation Serif, Courier New → Liberation Mono, Calibri → Carlito,
// Cambria → Caladea). Any other family that is not installed gets the
// nearest sans, serif or monospaced face (DejaVu): an unknown family never
// fails, as Windows substitutes a face.
#include <cstddef>
#include <memory>
#include <string_view>

#include "platform/FontFile.h"

namespace qv::platform {

struct ResolvedFont {
    std::shared_ptr<const FontFile> file;
    // The family has no bold (italic) face, so the regular one was chosen and
    // should be drawn emboldened (slanted), as Windows synthesises it.
    bool syntheticBold = false;
    bool syntheticItalic = false;
};

// weight: 100..900 as in a LOGFONT (400 regular, 700 bold); 0 means regular.
// Look-ups are cached for the process, so calling this per drawn line is cheap.
// Raises CqvEx only when the system has no usable font at all.
ResolvedFont ResolveFont(std::string_view family, int weight, bool italic);

// Loads fontconfig's configuration for the look-ups above, if not loaded yet.
// Quietly does nothing when it cannot be loaded: the first look-up then
// raises the error.
void LoadFontConfiguration();

class FontFaces;
// The resolved face and the fallback faces that draw the characters it
// lacks, ranked by fontconfig for this font. Cached for the process.
std::shared_ptr<const FontFaces> ResolveFontFaces(std::string_view family, int weight, bool italic);

// How often fontconfig has ranked every installed font for a look-up in this
// process: the costly step, which a family that is not installed never takes
// (it goes straight to its stand-in). For tests.
size_t FontSortCount();

// Whether `file` may draw text: an outline face with metrics, TrueType or
// OpenType, neither symbol nor dingbat.
bool IsTextFace(const FontFile& file);

}  // namespace qv::platform
