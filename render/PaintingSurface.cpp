#include "render/PaintingSurface.h"

#include <algorithm>

#include "platform/PictureDecoder.h"

void PaintingSurface::TextOut(int32_t x, int32_t top, unsigned options, const QvRect& clip, std::u16string_view text,
                              const int32_t* advances) {
    OpenPage();
    FlushLines();
    const PaintBox box = BoxOf(clip);
    if ((options & kTextOpaque) && !m_cleanFill.AlreadyFilled(box, BkColor())) FillBox(box, BkColor());
    // What the glyphs may cover: the clip box, or anything when unclipped.
    m_cleanFill.TextDrawn(box, options & kTextClipped);
    if (!text.empty()) DrawText(x, top, options, box, text, advances);
}

void PaintingSurface::FillSolidRect(const QvRect& rect, QvColor color) {
    OpenPage();
    FlushLines();
    const PaintBox box = BoxOf(rect);
    FillBox(box, color);
    if (RemembersFills()) m_cleanFill.Filled(box, color);
}

void PaintingSurface::LineTo(int32_t x, int32_t y) {
    OpenPage();
    m_cleanFill.Forget();
    // The lines of one pen stroke the same as one path: a cell's four borders,
    // and the borders of the cells that follow, go out as one stroke.
    const PenLine line{CurrentX(), CurrentY(), x, y};
    if (BatchesLines()) m_pendingLines.push_back(line);
    else StrokeLines({&line, 1});
    StatefulSurface::MoveTo(x, y);
}

void PaintingSurface::FlushLines() {
    if (m_pendingLines.empty()) return;
    StrokeLines(m_pendingLines);
    m_pendingLines.clear();
}

void PaintingSurface::Rectangle(const QvRect& rect) {
    OpenPage();
    FlushLines();
    m_cleanFill.Forget();
    FrameBox(BoxOf(rect));
}

void PaintingSurface::DrawPicture(const std::shared_ptr<const qv::platform::DecodedPicture>& picture,
                                  const QvRect& dest, int32_t sourceTop, int32_t sourceHeight) {
    if (!picture || picture->width <= 0 || picture->height <= 0) return;
    const int32_t top = std::clamp(sourceTop, 0, picture->height);
    const int32_t height = std::min(sourceHeight, picture->height - top);
    if (height <= 0) return;
    OpenPage();
    FlushLines();
    m_cleanFill.Forget();
    const PaintBox d = BoxOf(dest);
    if (!(d.x1 > d.x0) || !(d.y1 > d.y0)) return;
    DrawPictureSlice(picture, d, top, height);
}

void PaintingSurface::DrawTextDecorations(const qv::render::FontPlacement& placement,
                                          const std::optional<qv::platform::FontOutlineMetrics>& metrics, int32_t x,
                                          int32_t top, int64_t width) {
    for (const qv::render::TextBand& band : qv::render::DecorationBands(CurrentFont(), placement, metrics, top))
        FillTextBand(x, width, band);
}

void PaintingSurface::EndPageDrawing() {
    FlushLines();
    m_cleanFill.Forget();
}
