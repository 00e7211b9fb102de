#include "render/PageRecording.h"

#include "common/CqvEx.h"

namespace {

uint32_t Offset(size_t size) {
    // A page holds at most 100,000 pieces: no page's texts come near 4 GiB.
    if (size >= UINT32_MAX) throw CqvEx("A page holds too much text to be drawn");
    return static_cast<uint32_t>(size);
}

}  // namespace

void PageRecording::SelectFont(const QvFontSpec& font) {
    Add(Kind::SelectFont).index = Offset(m_fonts.size());
    m_fonts.push_back(font);
}

void PageRecording::SetTextColor(QvColor color) { Add(Kind::SetTextColor).color = color; }

void PageRecording::SetBkColor(QvColor color) { Add(Kind::SetBkColor).color = color; }

void PageRecording::TextOut(int32_t x, int32_t top, unsigned options, const QvRect& clip, std::u16string_view text,
                            const int32_t* advances) {
    Op& op = Add(Kind::TextOut);
    op.x = x;
    op.y = top;
    op.options = options;
    op.rect = clip;
    op.index = Offset(m_text.size());
    op.length = Offset(text.size());
    m_text.append(text);
    if (advances) {
        op.advances = Offset(m_advances.size());
        m_advances.insert(m_advances.end(), advances, advances + text.size());
    }
}

void PageRecording::FillSolidRect(const QvRect& rect, QvColor color) {
    Op& op = Add(Kind::FillSolidRect);
    op.rect = rect;
    op.color = color;
}

void PageRecording::MoveTo(int32_t x, int32_t y) {
    Op& op = Add(Kind::MoveTo);
    op.x = x;
    op.y = y;
}

void PageRecording::LineTo(int32_t x, int32_t y) {
    Op& op = Add(Kind::LineTo);
    op.x = x;
    op.y = y;
}

void PageRecording::Rectangle(const QvRect& rect) { Add(Kind::Rectangle).rect = rect; }

void PageRecording::DrawPicture(const std::shared_ptr<const qv::platform::DecodedPicture>& picture, const QvRect& dest,
                                int32_t sourceTop, int32_t sourceHeight) {
    Op& op = Add(Kind::DrawPicture);
    op.rect = dest;
    op.x = sourceTop;
    op.y = sourceHeight;
    op.index = Offset(m_pictures.size());
    m_pictures.push_back(picture);
}

void PageRecording::StartPage() { Add(Kind::StartPage); }

void PageRecording::EndPage() { Add(Kind::EndPage); }

void PageRecording::Finish() { Add(Kind::Finish); }

void PageRecording::Replay(Surface& surface, Pages& pages) const {
    for (const Op& op : m_ops) {
        switch (op.kind) {
        case Kind::SelectFont: surface.SelectFont(m_fonts[op.index]); break;
        case Kind::SetTextColor: surface.SetTextColor(op.color); break;
        case Kind::SetBkColor: surface.SetBkColor(op.color); break;
        case Kind::TextOut:
            surface.TextOut(op.x, op.y, op.options, op.rect, std::u16string_view(m_text).substr(op.index, op.length),
                            op.advances == kNoAdvances ? nullptr : m_advances.data() + op.advances);
            break;
        case Kind::FillSolidRect: surface.FillSolidRect(op.rect, op.color); break;
        case Kind::MoveTo: surface.MoveTo(op.x, op.y); break;
        case Kind::LineTo: surface.LineTo(op.x, op.y); break;
        case Kind::Rectangle: surface.Rectangle(op.rect); break;
        case Kind::DrawPicture: surface.DrawPicture(m_pictures[op.index], op.rect, op.x, op.y); break;
        case Kind::StartPage: pages.StartPage(); break;
        case Kind::EndPage: pages.EndPage(); break;
        case Kind::Finish: pages.Finish(); break;
        }
    }
}

void PageRecording::Clear() {
    m_ops.clear();
    m_text.clear();
    m_advances.clear();
    m_fonts.clear();
    m_pictures.clear();
}
