#pragma once
// Cairo font faces made from the font files of the platform's font module, so
// that text is drawn (and embedded in a PDF) with exactly the file it was
// measured with, not with whatever Cairo's own font selection would choose.
#include <cairo.h>

#include "platform/FontResolver.h"

namespace qv::render {

// The Cairo face for a resolved font, with Cairo's synthetic bold or oblique
// when the family lacks that face. The face belongs to a process-wide cache;
// the pointer stays valid for the life of the process. Raises CqvEx when Cairo
// cannot use the file.
cairo_font_face_t* CairoFontFaceFor(const qv::platform::ResolvedFont& font);

}  // namespace qv::render
