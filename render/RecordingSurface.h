#pragma once
// A surface that draws nothing and records every call with its arguments, so
// that tests can assert on what the engine drew, in order.
#include <cstdint>
#include <string>
#include <vector>

#include "render/StatefulSurface.h"

struct RecordedCall {
    enum class Kind {
        SelectFont,
        SetTextColor,
        SetBkColor,
        TextOut,
        FillSolidRect,
        MoveTo,
        LineTo,
        Rectangle,
        DrawPicture
    };

    Kind kind = Kind::MoveTo;
    int32_t x = 0;         // TextOut, MoveTo, LineTo
    int32_t y = 0;         // MoveTo, LineTo
    int32_t top = 0;       // TextOut
    unsigned options = 0;  // TextOut
    QvRect rect;           // TextOut: the clip rectangle; FillSolidRect, Rectangle; DrawPicture: the destination
    QvColor color = 0;     // SetTextColor, SetBkColor, FillSolidRect; TextOut: the text colour
    QvColor bkColor = 0;   // TextOut: the background colour
    QvFontSpec font;       // SelectFont; TextOut: the font selected then
    std::u16string text;   // TextOut
    std::string utf8;      // TextOut: the same text, for readable assertions
    std::vector<int32_t> advances;  // TextOut: one per UTF-16 unit (empty when none were given)
    // DrawPicture: the rows drawn and the picture's size and identity.
    int32_t sourceTop = 0;
    int32_t sourceHeight = 0;
    int pictureWidth = 0;
    int pictureHeight = 0;
    uint64_t pictureId = 0;
};

class RecordingSurface : public StatefulSurface {
public:
    const std::vector<RecordedCall>& Calls() const { return m_calls; }
    // The recorded calls of one kind, in order.
    std::vector<RecordedCall> CallsOf(RecordedCall::Kind kind) const;
    void Clear() { m_calls.clear(); }

    // Surface
    QvFontSpec SelectFont(const QvFontSpec& font) override;
    QvColor SetTextColor(QvColor color) override;
    QvColor SetBkColor(QvColor color) override;
    void TextOut(int32_t x, int32_t top, unsigned options, const QvRect& clip, std::u16string_view text,
                 const int32_t* advances) override;
    void FillSolidRect(const QvRect& rect, QvColor color) override;
    void MoveTo(int32_t x, int32_t y) override;
    void LineTo(int32_t x, int32_t y) override;
    void Rectangle(const QvRect& rect) override;
    void DrawPicture(const std::shared_ptr<const qv::platform::DecodedPicture>& picture, const QvRect& dest,
                     int32_t sourceTop, int32_t sourceHeight) override;

private:
    RecordedCall& Record(RecordedCall::Kind kind);

    std::vector<RecordedCall> m_calls;
};
