#include "RenderTestSupport.h"

#include <algorithm>

#include "platform/FontFaces.h"
#include "platform/FontResolver.h"
#include "render/CairoHandles.h"
#include "render/CairoSurface.h"

namespace qvrender {

std::vector<int32_t> AdvancesFor(std::u16string_view text, const char* family, int weight, double emHeight) {
    // Each character at the advance of the face that draws it.
    const auto faces = qv::platform::ResolveFontFaces(family, weight, false);
    std::vector<int32_t> advances;
    float sum = 0;
    for (char16_t c : text) {
        const qv::platform::FontFile& font = *faces->Face(faces->FaceFor(c)).file;
        const double scale = emHeight / font.OutlineMetrics()->emSquare;
        const float before = sum;
        sum += static_cast<float>(font.DesignAdvance(c) * scale + 0.5);
        advances.push_back(static_cast<int32_t>(sum) - static_cast<int32_t>(before));
    }
    return advances;
}

void DrawLine(Surface& surface, int32_t x, int32_t top, std::u16string_view text, const char* family, int weight,
              int32_t emHeight, unsigned options, QvRect clip) {
    QvFontSpec font;
    font.face = family;
    font.weight = weight;
    font.height = -emHeight;
    surface.SelectFont(font);
    std::vector<int32_t> advances = AdvancesFor(text, family, weight, emHeight);
    surface.TextOut(x, top, options, clip, text, advances.data());
}

PngImage::PngImage(const std::string& path) : m_surface(cairo_image_surface_create_from_png(path.c_str())) {}
PngImage::~PngImage() { cairo_surface_destroy(m_surface); }
bool PngImage::Ok() const { return cairo_surface_status(m_surface) == CAIRO_STATUS_SUCCESS; }
int PngImage::Width() const { return cairo_image_surface_get_width(m_surface); }
int PngImage::Height() const { return cairo_image_surface_get_height(m_surface); }

uint32_t PngImage::At(int x, int y) const {
    const unsigned char* row = cairo_image_surface_get_data(m_surface) + y * cairo_image_surface_get_stride(m_surface);
    return reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFFu;
}

bool PngImage::Dark(int x, int y) const {
    const uint32_t p = At(x, y);
    return ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 3 * 96;
}

int PngImage::DarkCount(int x0, int y0, int x1, int y1) const {
    int count = 0;
    for (int y = std::max(0, y0); y < std::min(Height(), y1); ++y)
        for (int x = std::max(0, x0); x < std::min(Width(), x1); ++x) count += Dark(x, y);
    return count;
}

void SaveImage(CairoSurface& surface, const std::string& path) {
    const qv::render::CairoSurfacePtr png(cairo_image_surface_create_for_data(
        surface.ImageData(), CAIRO_FORMAT_ARGB32, surface.ImageWidth(), surface.ImageHeight(), surface.ImageStride()));
    cairo_surface_write_to_png(png.get(), path.c_str());
}

}  // namespace qvrender
