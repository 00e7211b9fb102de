#include "demo/QvIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "demo/editor/QvCommandIds.h"

namespace {

const QColor kInk(40, 52, 72);
const QColor kPaper(250, 250, 246);
const QColor kAccent(214, 92, 38);
const QColor kBlue(46, 104, 178);

// A sheet of paper with a folded corner, in a square of side s.
void DrawPage(QPainter& p, qreal s, const QColor& fill) {
    const qreal fold = s * 0.25;
    QPainterPath page;
    page.moveTo(s * 0.18, s * 0.06);
    page.lineTo(s * 0.82 - fold, s * 0.06);
    page.lineTo(s * 0.82, s * 0.06 + fold);
    page.lineTo(s * 0.82, s * 0.94);
    page.lineTo(s * 0.18, s * 0.94);
    page.closeSubpath();
    p.setPen(QPen(kInk, std::max<qreal>(1.0, s / 32)));
    p.setBrush(fill);
    p.drawPath(page);
}

// Text lines on a page.
void DrawLines(QPainter& p, qreal s, int count, const QColor& colour) {
    p.setPen(QPen(colour, std::max<qreal>(1.0, s / 16), Qt::SolidLine, Qt::FlatCap));
    for (int i = 0; i < count; ++i) {
        const qreal y = s * (0.36 + 0.13 * i);
        p.drawLine(QPointF(s * 0.28, y), QPointF(s * (i % 2 ? 0.62 : 0.72), y));
    }
}

QPixmap Canvas(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QPixmap ApplicationPixmap(int size) {
    QPixmap pixmap = Canvas(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    DrawPage(p, s, kPaper);
    // An angle bracket for the XML template, over the report's lines.
    DrawLines(p, s, 4, kBlue);
    p.setPen(QPen(kAccent, s / 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath bracket;
    bracket.moveTo(s * 0.60, s * 0.60);
    bracket.lineTo(s * 0.44, s * 0.74);
    bracket.lineTo(s * 0.60, s * 0.88);
    p.drawPath(bracket);
    p.drawLine(QPointF(s * 0.66, s * 0.88), QPointF(s * 0.76, s * 0.60));
    return pixmap;
}

QPixmap DocumentPixmap(int size) {
    QPixmap pixmap = Canvas(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    DrawPage(p, size, kPaper);
    DrawLines(p, size, 4, kInk);
    return pixmap;
}

QPixmap ToolbarPixmap(int id, int size) {
    QPixmap pixmap = Canvas(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const qreal pen = std::max<qreal>(1.2, s / 12);
    switch (id) {
    case ID_FILE_SAVE: {  // a diskette
        p.setPen(QPen(kInk, pen / 1.5));
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(s * 0.1, s * 0.1, s * 0.8, s * 0.8), s * 0.06, s * 0.06);
        p.setBrush(kPaper);
        p.drawRect(QRectF(s * 0.25, s * 0.1, s * 0.5, s * 0.32));
        p.setBrush(QColor(200, 204, 210));
        p.drawRect(QRectF(s * 0.28, s * 0.58, s * 0.44, s * 0.32));
        break;
    }
    case ID_EDIT_UNDO:
    case ID_EDIT_REDO: {  // a curved arrow
        if (id == ID_EDIT_REDO) {
            p.translate(s, 0);
            p.scale(-1, 1);
        }
        p.setPen(QPen(kBlue, pen, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        QPainterPath arc;
        arc.moveTo(s * 0.25, s * 0.45);
        arc.cubicTo(s * 0.45, s * 0.18, s * 0.95, s * 0.30, s * 0.78, s * 0.82);
        p.drawPath(arc);
        p.setBrush(kBlue);
        p.setPen(Qt::NoPen);
        p.drawPolygon(
            QPolygonF({QPointF(s * 0.08, s * 0.50), QPointF(s * 0.38, s * 0.22), QPointF(s * 0.42, s * 0.60)}));
        break;
    }
    case ID_FILE_PRINT_PREVIEW: {  // a page under a magnifier
        DrawPage(p, s, kPaper);
        DrawLines(p, s, 3, kInk);
        p.setPen(QPen(kAccent, pen));
        p.setBrush(QColor(255, 255, 255, 160));
        p.drawEllipse(QPointF(s * 0.58, s * 0.56), s * 0.22, s * 0.22);
        p.drawLine(QPointF(s * 0.74, s * 0.72), QPointF(s * 0.94, s * 0.92));
        break;
    }
    case ID_FILE_PRINT: {  // a printer with a sheet
        p.setPen(QPen(kInk, pen / 1.5));
        p.setBrush(kPaper);
        p.drawRect(QRectF(s * 0.28, s * 0.06, s * 0.44, s * 0.34));
        p.setBrush(QColor(150, 156, 166));
        p.drawRoundedRect(QRectF(s * 0.06, s * 0.38, s * 0.88, s * 0.36), s * 0.06, s * 0.06);
        p.setBrush(kPaper);
        p.drawRect(QRectF(s * 0.24, s * 0.64, s * 0.52, s * 0.28));
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawEllipse(QPointF(s * 0.82, s * 0.50), s * 0.05, s * 0.05);
        break;
    }
    default: break;
    }
    return pixmap;
}

template <typename Draw>
QIcon IconOf(Draw draw, std::initializer_list<int> sizes) {
    QIcon icon;
    for (int size : sizes) icon.addPixmap(draw(size));
    return icon;
}

}  // namespace

QIcon QvApplicationIcon() { return IconOf(ApplicationPixmap, {16, 32, 48, 64, 128}); }

QIcon QvDocumentIcon() { return IconOf(DocumentPixmap, {16, 32, 48}); }

QIcon QvToolbarIcon(int commandId) {
    return IconOf([commandId](int size) { return ToolbarPixmap(commandId, size); }, {16, 24, 32});
}
