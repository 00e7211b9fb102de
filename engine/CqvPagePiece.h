#pragma once
// A drawable fragment recorded during layout. Drawing a page replays its pieces,
// so nothing is laid out or looked up in the data while drawing.
#include <string_view>

#include "common/QvRect.h"

class CqvStyle;
class Surface;

class CqvPagePiece {
public:
    explicit CqvPagePiece(CqvStyle* style) : m_pStyle(style) {}
    virtual ~CqvPagePiece() = default;
    CqvPagePiece(const CqvPagePiece&) = delete;
    CqvPagePiece& operator=(const CqvPagePiece&) = delete;

    virtual void Draw(Surface& surface) = 0;

    // "text", "image" or "line": what the piece is, for dumps and tests.
    virtual std::string_view Kind() const = 0;

    const QvRect& Outer() const { return m_rcOuter; }
    const QvRect& Content() const { return m_rcContent; }
    CqvStyle* Style() const { return m_pStyle; }
    bool FrameOnly() const { return m_bFrameOnly; }

    // Background and borders; the content rectangle is the box less the paddings.
    QvRect m_rcOuter;
    QvRect m_rcContent;
    // The style of the item that made the piece; not owned, lives with the item.
    CqvStyle* m_pStyle = nullptr;
    // Draw background and borders only: the item had nothing (more) to show here.
    bool m_bFrameOnly = false;
};
