#pragma once
// Owning handles for Cairo's reference-counted objects: destroying the handle
// drops our reference.
#include <cairo.h>

#include <memory>

namespace qv::render {

struct CairoContextDeleter {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
struct CairoSurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct CairoFontFaceDeleter {
    void operator()(cairo_font_face_t* f) const { cairo_font_face_destroy(f); }
};
struct CairoFontOptionsDeleter {
    void operator()(cairo_font_options_t* o) const { cairo_font_options_destroy(o); }
};

using CairoContextPtr = std::unique_ptr<cairo_t, CairoContextDeleter>;
using CairoSurfacePtr = std::unique_ptr<cairo_surface_t, CairoSurfaceDeleter>;
using CairoFontFacePtr = std::unique_ptr<cairo_font_face_t, CairoFontFaceDeleter>;
using CairoFontOptionsPtr = std::unique_ptr<cairo_font_options_t, CairoFontOptionsDeleter>;

}  // namespace qv::render
