#include "render/RecordingSurface.h"

#include "platform/PictureDecoder.h"
#include "render/Utf16Text.h"

using Kind = RecordedCall::Kind;

std::vector<RecordedCall> RecordingSurface::CallsOf(Kind kind) const {
    std::vector<RecordedCall> out;
    for (const RecordedCall& call : m_calls)
        if (call.kind == kind) out.push_back(call);
    return out;
}

RecordedCall& RecordingSurface::Record(Kind kind) {
    RecordedCall& call = m_calls.emplace_back();
    call.kind = kind;
    return call;
}

QvFontSpec RecordingSurface::SelectFont(const QvFontSpec& font) {
    Record(Kind::SelectFont).font = font;
    return StatefulSurface::SelectFont(font);
}

QvColor RecordingSurface::SetTextColor(QvColor color) {
    Record(Kind::SetTextColor).color = color;
    return StatefulSurface::SetTextColor(color);
}

QvColor RecordingSurface::SetBkColor(QvColor color) {
    Record(Kind::SetBkColor).color = color;
    return StatefulSurface::SetBkColor(color);
}

void RecordingSurface::TextOut(int32_t x, int32_t top, unsigned options, const QvRect& clip, std::u16string_view text,
                               const int32_t* advances) {
    RecordedCall& call = Record(Kind::TextOut);
    call.x = x;
    call.top = top;
    call.options = options;
    call.rect = clip;
    call.color = TextColor();
    call.bkColor = BkColor();
    call.font = CurrentFont();
    call.text = std::u16string(text);
    call.utf8 = qv::render::Utf16ToUtf8(text);
    if (advances) call.advances.assign(advances, advances + text.size());
}

void RecordingSurface::FillSolidRect(const QvRect& rect, QvColor color) {
    RecordedCall& call = Record(Kind::FillSolidRect);
    call.rect = rect;
    call.color = color;
}

void RecordingSurface::MoveTo(int32_t x, int32_t y) {
    RecordedCall& call = Record(Kind::MoveTo);
    call.x = x;
    call.y = y;
    StatefulSurface::MoveTo(x, y);
}

void RecordingSurface::LineTo(int32_t x, int32_t y) {
    RecordedCall& call = Record(Kind::LineTo);
    call.x = x;
    call.y = y;
}

void RecordingSurface::Rectangle(const QvRect& rect) { Record(Kind::Rectangle).rect = rect; }

void RecordingSurface::DrawPicture(const std::shared_ptr<const qv::platform::DecodedPicture>& picture,
                                   const QvRect& dest, int32_t sourceTop, int32_t sourceHeight) {
    RecordedCall& call = Record(Kind::DrawPicture);
    call.rect = dest;
    call.sourceTop = sourceTop;
    call.sourceHeight = sourceHeight;
    if (picture) {
        call.pictureWidth = picture->width;
        call.pictureHeight = picture->height;
        call.pictureId = picture->id;
    }
}
