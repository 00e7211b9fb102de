#include "quorvane/Renderer.h"

#include <cstring>
#include <utility>

#include "common/CqvEx.h"
#include "lib/RendererAccess.h"
#include "lib/RendererImpl.h"

namespace quorvane {

namespace {

void Append(std::vector<std::byte>& to, const unsigned char* data, std::size_t length) {
    const std::size_t at = to.size();
    to.resize(at + length);
    if (length) std::memcpy(to.data() + at, data, length);
}

}  // namespace

namespace bridge {

::Surface& RendererAccess::EngineSurfaceOf(quorvane::Surface& surface, std::optional<SurfaceAdapter>& adapter) {
    if (auto* renderer = dynamic_cast<Renderer*>(&surface)) return renderer->Checked().EngineSurface();
    return adapter.emplace(surface);
}

}  // namespace bridge

::Surface& Renderer::Impl::EngineSurface() { return *engine; }

void Renderer::Impl::StartPage() {
    std::visit([](auto& o) { o->StartPage(); }, output);
}
void Renderer::Impl::EndPage() {
    std::visit([](auto& o) { o->EndPage(); }, output);
}
void Renderer::Impl::Finish() {
    std::visit([](auto& o) { o->Finish(); }, output);
}
std::size_t Renderer::Impl::PageCount() const {
    return std::visit([](const auto& o) { return static_cast<std::size_t>(o->PageCount()); }, output);
}

Renderer::Renderer(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
Renderer::Renderer(Renderer&&) noexcept = default;
Renderer& Renderer::operator=(Renderer&&) noexcept = default;
Renderer::~Renderer() = default;

Renderer Renderer::PdfFile(const std::string& path, std::int32_t paperWidth, std::int32_t paperHeight) {
    return Renderer(Impl::Of(PdfSurface::File(path, paperWidth, paperHeight)));
}

Renderer Renderer::PdfInMemory(std::int32_t paperWidth, std::int32_t paperHeight) {
    // The buffer lives in the Impl, which the write function outlives never:
    // the surface is a member of the same Impl and goes first.
    auto impl = std::make_unique<Impl>();
    std::vector<std::byte>* pdf = &impl->pdf;
    impl->output = std::make_unique<PdfSurface>(PdfSurface::Stream(
        [pdf](const unsigned char* data, size_t length) {
            Append(*pdf, data, length);
            return true;
        },
        "PDF in memory", paperWidth, paperHeight));
    impl->engine = std::get<std::unique_ptr<PdfSurface>>(impl->output).get();
    return Renderer(std::move(impl));
}

Renderer Renderer::PngFile(const std::string& path, std::int32_t paperWidth, std::int32_t paperHeight, double dpi) {
    return Renderer(Impl::Of(CairoSurface::Png(path, paperWidth, paperHeight, dpi)));
}

Renderer Renderer::PngInMemory(std::int32_t paperWidth, std::int32_t paperHeight, double dpi) {
    auto impl = std::make_unique<Impl>();
    std::vector<std::vector<std::byte>>* pages = &impl->pngPages;
    impl->output = std::make_unique<CairoSurface>(CairoSurface::PngPages(
        [pages](std::vector<unsigned char>&& png) {
            pages->emplace_back();
            Append(pages->back(), png.data(), png.size());
        },
        paperWidth, paperHeight, dpi));
    impl->engine = std::get<std::unique_ptr<CairoSurface>>(impl->output).get();
    return Renderer(std::move(impl));
}

Renderer Renderer::SvgFile(const std::string& path, std::int32_t paperWidth, std::int32_t paperHeight) {
    return Renderer(Impl::Of(CairoSurface::Svg(path, paperWidth, paperHeight)));
}

Renderer Renderer::PostScriptFile(const std::string& path, std::int32_t paperWidth, std::int32_t paperHeight) {
    return Renderer(Impl::Of(CairoSurface::PostScript(path, paperWidth, paperHeight)));
}

Renderer::Impl& Renderer::Checked() const {
    if (!m_impl) throw CqvEx("The renderer was moved away");
    return *m_impl;
}

void Renderer::StartPage() { Checked().StartPage(); }
void Renderer::EndPage() { Checked().EndPage(); }
void Renderer::Finish() { Checked().Finish(); }
std::size_t Renderer::PageCount() const { return Checked().PageCount(); }
const std::vector<std::byte>& Renderer::PdfBytes() const { return Checked().pdf; }
const std::vector<std::vector<std::byte>>& Renderer::PngPages() const { return Checked().pngPages; }

Font Renderer::SelectFont(const Font& font) {
    return bridge::ToPublic(Checked().EngineSurface().SelectFont(bridge::ToEngine(font)));
}

const Font& Renderer::CurrentFont() const {
    Impl& impl = Checked();
    impl.currentFont = bridge::ToPublic(impl.EngineSurface().CurrentFont());
    return impl.currentFont;
}

Color Renderer::SetTextColor(Color color) { return Checked().EngineSurface().SetTextColor(color); }
Color Renderer::SetBkColor(Color color) { return Checked().EngineSurface().SetBkColor(color); }
Color Renderer::TextColor() const { return Checked().EngineSurface().TextColor(); }
Color Renderer::BkColor() const { return Checked().EngineSurface().BkColor(); }

void Renderer::TextOut(std::int32_t x, std::int32_t top, unsigned options, const Rect& clip, std::u16string_view text,
                       const std::int32_t* advances) {
    Checked().EngineSurface().TextOut(x, top, options, bridge::ToEngine(clip), text, advances);
}

void Renderer::FillSolidRect(const Rect& rect, Color color) {
    Checked().EngineSurface().FillSolidRect(bridge::ToEngine(rect), color);
}

void Renderer::MoveTo(std::int32_t x, std::int32_t y) { Checked().EngineSurface().MoveTo(x, y); }
void Renderer::LineTo(std::int32_t x, std::int32_t y) { Checked().EngineSurface().LineTo(x, y); }
void Renderer::Rectangle(const Rect& rect) { Checked().EngineSurface().Rectangle(bridge::ToEngine(rect)); }

void Renderer::DrawPicture(const Picture& picture, const Rect& dest, std::int32_t sourceTop,
                           std::int32_t sourceHeight) {
    Impl& impl = Checked();
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() < static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height))
        throw CqvEx("A picture of " + std::to_string(picture.width) + " x " + std::to_string(picture.height) +
                    " pixels needs that many pixels, it has " + std::to_string(picture.pixels.size()));
    impl.EngineSurface().DrawPicture(impl.pictures.Of(picture), bridge::ToEngine(dest), sourceTop, sourceHeight);
}

}  // namespace quorvane
