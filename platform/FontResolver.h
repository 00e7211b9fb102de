#pragma once
// Finds the font file for a logical font (family, weight, italic) with
// fontconfig, as the Windows font mapper would pick a face for a LOGFONT.
// Windows family names reach the metric-compatible Liberation fonts through
// fontconfig's own aliases (Arial → Liberation Sans, Times New Roman →
// Liberation Serif, Courier New → Liberation Mono). An unknown family never
// fails: it gets fontconfig's best match, as Windows substitutes a face.
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

}  // namespace qv::platform
