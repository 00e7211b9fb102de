#pragma once
// The bridge between the public drawing types and the engine's own: the
// engine draws on a program's quorvane::Surface through SurfaceAdapter, and
// the conversions below carry rectangles, fonts and pictures across.
#include <cstdint>
#include <map>
#include <memory>

#include "engine/Surface.h"
#include "quorvane/Surface.h"

namespace qv::platform {
struct DecodedPicture;
}

namespace quorvane::bridge {

QvRect ToEngine(const Rect& rect);
Rect ToPublic(const QvRect& rect);
QvFontSpec ToEngine(const Font& font);
Font ToPublic(const QvFontSpec& font);
// A view of the engine's picture that keeps it alive.
Picture ToPublic(const std::shared_ptr<const qv::platform::DecodedPicture>& picture);

// Pictures a program draws on one of the library's surfaces become engine
// pictures: copied once per picture (by its owner), with ids of their own so
// that they never stand for a picture the engine decoded.
class PictureCopies {
public:
    std::shared_ptr<const qv::platform::DecodedPicture> Of(const Picture& picture);

private:
    std::map<const void*, std::pair<std::shared_ptr<const void>, std::shared_ptr<const qv::platform::DecodedPicture>>>
        m_copies;
};

// The engine's Surface over a program's surface.
class SurfaceAdapter final : public ::Surface {
public:
    explicit SurfaceAdapter(quorvane::Surface& surface);

    QvFontSpec SelectFont(const QvFontSpec& font) override;
    const QvFontSpec& CurrentFont() const override;
    QvColor SetTextColor(QvColor color) override { return m_surface.SetTextColor(color); }
    QvColor SetBkColor(QvColor color) override { return m_surface.SetBkColor(color); }
    QvColor TextColor() const override { return m_surface.TextColor(); }
    QvColor BkColor() const override { return m_surface.BkColor(); }
    void TextOut(int32_t x, int32_t top, unsigned options, const QvRect& clip, std::u16string_view text,
                 const int32_t* advances) override;
    void FillSolidRect(const QvRect& rect, QvColor color) override;
    void MoveTo(int32_t x, int32_t y) override { m_surface.MoveTo(x, y); }
    void LineTo(int32_t x, int32_t y) override { m_surface.LineTo(x, y); }
    void Rectangle(const QvRect& rect) override;
    void DrawPicture(const std::shared_ptr<const qv::platform::DecodedPicture>& picture, const QvRect& dest,
                     int32_t sourceTop, int32_t sourceHeight) override;

private:
    quorvane::Surface& m_surface;
    // The engine reads the current font by reference; the program's surface
    // has its own type, so the converted font is kept here.
    mutable QvFontSpec m_current;
};

}  // namespace quorvane::bridge
