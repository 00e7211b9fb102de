#pragma once
// The calls one page makes on a surface, kept compactly so that another
// thread can make them again, in the same order and with the same arguments,
// on the surface that really draws. A page's texts, advances, fonts and
// pictures are held here until it is replayed, so the engine may forget the
// page's pieces as soon as it has drawn them.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Surface.h"

class PageRecording {
public:
    // Page control of the surface that replays, beside its drawing.
    class Pages {
    public:
        virtual ~Pages() = default;
        virtual void StartPage() = 0;
        virtual void EndPage() = 0;
        virtual void Finish() = 0;
    };

    void SelectFont(const QvFontSpec& font);
    void SetTextColor(QvColor color);
    void SetBkColor(QvColor color);
    void TextOut(int32_t x, int32_t top, unsigned options, const QvRect& clip, std::u16string_view text,
                 const int32_t* advances);
    void FillSolidRect(const QvRect& rect, QvColor color);
    void MoveTo(int32_t x, int32_t y);
    void LineTo(int32_t x, int32_t y);
    void Rectangle(const QvRect& rect);
    void DrawPicture(const std::shared_ptr<const qv::platform::DecodedPicture>& picture, const QvRect& dest,
                     int32_t sourceTop, int32_t sourceHeight);
    void StartPage();
    void EndPage();
    void Finish();

    bool Empty() const { return m_ops.empty(); }
    // Every call again, in order, on `surface` and `pages`.
    void Replay(Surface& surface, Pages& pages) const;
    // Forgets the calls and keeps the buffers for the next page.
    void Clear();

private:
    enum class Kind : uint8_t {
        SelectFont,
        SetTextColor,
        SetBkColor,
        TextOut,
        FillSolidRect,
        MoveTo,
        LineTo,
        Rectangle,
        DrawPicture,
        StartPage,
        EndPage,
        Finish
    };
    static constexpr uint32_t kNoAdvances = UINT32_MAX;
    struct Op {
        Kind kind = Kind::StartPage;
        unsigned options = 0;  // TextOut
        int32_t x = 0, y = 0;  // TextOut: x and top; DrawPicture: source top and height
        QvRect rect;           // TextOut: the clip; the rectangles; DrawPicture: the destination
        QvColor color = 0;
        // TextOut: where its text and advances start in the pools; SelectFont,
        // DrawPicture: the index of the font or picture.
        uint32_t index = 0;
        uint32_t length = 0;
        uint32_t advances = kNoAdvances;
    };

    Op& Add(Kind kind) {
        Op& op = m_ops.emplace_back();
        op.kind = kind;
        return op;
    }

    std::vector<Op> m_ops;
    std::u16string m_text;
    std::vector<int32_t> m_advances;
    std::vector<QvFontSpec> m_fonts;
    std::vector<std::shared_ptr<const qv::platform::DecodedPicture>> m_pictures;
};
