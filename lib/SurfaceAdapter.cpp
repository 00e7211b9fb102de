#include "lib/SurfaceAdapter.h"

#include <atomic>

#include "platform/PictureDecoder.h"

namespace quorvane {

// The interfaces' destructors are their key functions: their vtables and type
// information live in the library, once.
Surface::~Surface() = default;

void Surface::DrawPicture(const Picture&, const Rect&, std::int32_t, std::int32_t) {}

namespace bridge {

QvRect ToEngine(const Rect& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

Rect ToPublic(const QvRect& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

QvFontSpec ToEngine(const Font& font) {
    return {font.face, font.height, font.weight, font.italic, font.underline, font.strikeout, font.charset};
}

Font ToPublic(const QvFontSpec& font) {
    return {font.face, font.height, font.weight, font.italic, font.underline, font.strikeout, font.charset};
}

Picture ToPublic(const std::shared_ptr<const qv::platform::DecodedPicture>& picture) {
    Picture view;
    view.width = picture->width;
    view.height = picture->height;
    view.pixels = picture->pixels;
    view.jpeg = picture->jpeg;
    view.id = picture->id;
    view.owner = picture;
    return view;
}

std::shared_ptr<const qv::platform::DecodedPicture> PictureCopies::Of(const Picture& picture) {
    auto found = m_copies.find(picture.owner.get());
    if (found != m_copies.end() && picture.owner) return found->second.second;
    // Engine ids count up from 1; these count up from half the range, so the
    // two never meet, and both keep their order of first drawing, by which
    // a document lists its pictures.
    static std::atomic<std::uint64_t> next{std::uint64_t{1} << 63};
    auto copy = std::make_shared<qv::platform::DecodedPicture>();
    copy->width = picture.width;
    copy->height = picture.height;
    copy->pixels.assign(picture.pixels.begin(), picture.pixels.end());
    copy->jpeg.assign(picture.jpeg.begin(), picture.jpeg.end());
    copy->id = next++;
    // A picture without an owner cannot be told from the next one: it is copied each time.
    if (picture.owner) m_copies[picture.owner.get()] = {picture.owner, copy};
    return copy;
}

SurfaceAdapter::SurfaceAdapter(quorvane::Surface& surface) : m_surface(surface) {}

QvFontSpec SurfaceAdapter::SelectFont(const QvFontSpec& font) { return ToEngine(m_surface.SelectFont(ToPublic(font))); }

const QvFontSpec& SurfaceAdapter::CurrentFont() const {
    m_current = ToEngine(m_surface.CurrentFont());
    return m_current;
}

void SurfaceAdapter::TextOut(int32_t x, int32_t top, unsigned options, const QvRect& clip, std::u16string_view text,
                             const int32_t* advances) {
    m_surface.TextOut(x, top, options, ToPublic(clip), text, advances);
}

void SurfaceAdapter::FillSolidRect(const QvRect& rect, QvColor color) {
    m_surface.FillSolidRect(ToPublic(rect), color);
}

void SurfaceAdapter::Rectangle(const QvRect& rect) { m_surface.Rectangle(ToPublic(rect)); }

void SurfaceAdapter::DrawPicture(const std::shared_ptr<const qv::platform::DecodedPicture>& picture, const QvRect& dest,
                                 int32_t sourceTop, int32_t sourceHeight) {
    if (picture) m_surface.DrawPicture(ToPublic(picture), ToPublic(dest), sourceTop, sourceHeight);
}

}  // namespace bridge
}  // namespace quorvane
