#include "preview/CqvWinPreview.h"

#include <QBitmap>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScopedValueRollback>
#include <QScrollBar>

#include "common/CqvEx.h"
#include "engine/CqvReport.h"
#include "preview/PrinterSelection.h"
#include "render/CairoSurface.h"

using qv::preview::PixPoint;
using qv::preview::PixRect;
using qv::preview::PixSize;
using qv::preview::ScrollCode;

namespace {

// How many pages the previews of this session open with; 0 means one.
unsigned g_previewPages = 0;

// The magnifier's hot spot is the centre of its lens.
constexpr int kMagnifierHotX = 9;
constexpr int kMagnifierHotY = 8;

PixPoint ToPix(const QPoint& p) { return {p.x(), p.y()}; }

}  // namespace

CqvWinPreview::CqvWinPreview(QWidget* parent) : QAbstractScrollArea(parent) {
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    setFocusPolicy(Qt::StrongFocus);
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this, &CqvWinPreview::OnVerticalAction);
}

CqvWinPreview::~CqvWinPreview() {
    if (m_magnifier) viewport()->unsetCursor();
}

unsigned CqvWinPreview::PreviewPages() { return g_previewPages; }
void CqvWinPreview::SetPreviewPages(unsigned pages) { g_previewPages = pages; }

bool CqvWinPreview::Start(CqvReport* report) {
    if (!report) return false;
    m_pReport = report;
    m_printInfo = QvPrintInfo{};
    m_printInfo.preview = true;
    m_printInfo.minPage = 1;
    m_printInfo.maxPage = qv::preview::kNoPageCount;
    m_printInfo.currentPage = 1;
    // The printer only names itself in the progress dialog: every surface
    // measures alike, so the preview needs none to lay the report out.
    if (std::optional<QvPrintDialog> printer = DefaultPrinterSelection()) m_printInfo.dialog = *printer;
    PrepareDevice();

    try {
        // Layout records pieces and draws nothing; an image of one pixel
        // measures exactly like the screen and the printer.
        CairoSurface measure = CairoSurface::Image(1, 1, 1.0, 0, 0);
        m_pReport->PreparePages(measure, m_printInfo);
    } catch (...) {
        m_pReport = nullptr;
        throw;
    }

    SyncWindow();
    m_geometry.Start(m_printInfo.minPage, m_printInfo.maxPage, m_printInfo.currentPage, g_previewPages);
    Changed();
    return true;
}

void CqvWinPreview::PrepareDevice() {
    if (!m_pReport) return;
    QvDevMode& devMode = m_printInfo.dialog.devMode;
    m_pReport->ApplyPageSetup(&devMode);
    // The printer's physical page is the paper of the page setup, as the
    // device mode carries it.
    const QvPaper paper = PaperOf(devMode);
    m_geometry.SetPhysicalPageSize({paper.width, paper.height});
}

void CqvWinPreview::SyncWindow() {
    const QSize client = contentsRect().size();
    m_geometry.SetWindow({client.width(), client.height()}, verticalScrollBar()->sizeHint().width());
    m_geometry.SetScreenDpi(logicalDpiX(), logicalDpiY());
}

void CqvWinPreview::SyncScrollBars() {
    QScopedValueRollback<bool> guard(m_bSyncing, true);
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    if (!m_geometry.Zoomed()) {
        // In the zoom-out state the vertical bar pages through the report.
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        const bool shown = m_geometry.VerticalBarShown();
        setVerticalScrollBarPolicy(shown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        if (shown) {
            v->setRange(static_cast<int>(m_geometry.MinPage()), static_cast<int>(m_geometry.MaxPage()));
            v->setSingleStep(1);
            v->setPageStep(1);
            v->setValue(static_cast<int>(m_geometry.CurrentPage()));
        }
        return;
    }
    setHorizontalScrollBarPolicy(m_geometry.HorizontalBarShown() ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(m_geometry.VerticalBarShown() ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    const PixSize limit = m_geometry.ScrollLimit();
    const PixSize page = m_geometry.ScrollPageSize();
    const PixSize line = m_geometry.ScrollLineSize();
    const PixPoint pos = m_geometry.ScrollPosition();
    h->setRange(0, limit.cx);
    h->setPageStep(std::max(1, page.cx));
    h->setSingleStep(std::max(1, line.cx));
    h->setValue(pos.x);
    v->setRange(0, limit.cy);
    v->setPageStep(std::max(1, page.cy));
    v->setSingleStep(std::max(1, line.cy));
    v->setValue(pos.y);
}

void CqvWinPreview::Changed() {
    SyncScrollBars();
    viewport()->update();
    emit StateChanged();
}

bool CqvWinPreview::OnCommand(int id) {
    if (!m_pReport || !m_geometry.Execute(id)) return false;
    if (id == qv::preview::kIdNumPages) g_previewPages = m_geometry.ToggledPreviewPages();
    // Zooming positions the page against the window it has now.
    Changed();
    return true;
}

void CqvWinPreview::GoToPage(qint64 page) {
    if (!m_pReport) return;
    m_geometry.SetCurrentPage(page, true);
    Changed();
}

void CqvWinPreview::OnVerticalAction(int action) {
    if (m_bSyncing || !m_pReport || m_geometry.Zoomed()) return;
    QScrollBar* v = verticalScrollBar();
    ScrollCode code = ScrollCode::Other;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: code = ScrollCode::LineUp; break;
    case QAbstractSlider::SliderSingleStepAdd: code = ScrollCode::LineDown; break;
    case QAbstractSlider::SliderPageStepSub: code = ScrollCode::PageUp; break;
    case QAbstractSlider::SliderPageStepAdd: code = ScrollCode::PageDown; break;
    case QAbstractSlider::SliderMove: code = ScrollCode::Thumb; break;
    case QAbstractSlider::SliderToMinimum: code = ScrollCode::Top; break;
    case QAbstractSlider::SliderToMaximum: code = ScrollCode::Bottom; break;
    default: break;
    }
    m_geometry.VScrollZoomOut(code, v->sliderPosition());
    {
        // The bar shows the page the rule chose, not the one Qt computed.
        QScopedValueRollback<bool> guard(m_bSyncing, true);
        v->setSliderPosition(static_cast<int>(m_geometry.CurrentPage()));
    }
    viewport()->update();
    emit StateChanged();
}

void CqvWinPreview::scrollContentsBy(int, int) {
    if (m_bSyncing || !m_geometry.Zoomed()) return;
    m_geometry.SetScrollPosition({horizontalScrollBar()->value(), verticalScrollBar()->value()});
    viewport()->update();
}

void CqvWinPreview::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (m_bSyncing || !m_pReport) return;
    SyncWindow();
    m_geometry.OnSize();
    SyncScrollBars();
    viewport()->update();
}

void CqvWinPreview::PositionSlots() {
    bool moved = false;
    for (unsigned i = 0; i < m_geometry.PagesShown(); ++i) {
        if (m_geometry.Slot(i).scaleRatio.num != 0) continue;
        m_geometry.PositionPage(i);
        moved = true;
    }
    // A zoomed page that was positioned anew has new scroll sizes.
    if (moved && m_geometry.Zoomed()) SyncScrollBars();
}

void CqvWinPreview::paintEvent(QPaintEvent*) {
    QImage image(viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return;
    image.fill(palette().color(QPalette::Dark));
    if (m_pReport && !m_bDrawFailed) {
        PrepareDevice();
        SyncWindow();
        PositionSlots();
        for (unsigned i = 0; i < m_geometry.PagesShown(); ++i) {
            {
                QPainter painter(&image);
                DrawPageFrame(painter, m_geometry.Slot(i).rect);
            }
            const uint32_t page = m_geometry.CurrentPage() + i;
            // A second slot past the last page keeps its empty paper.
            if (page > m_geometry.MaxPage()) break;
            DrawPageContent(image, i, page);
            if (m_bDrawFailed) break;
        }
    }
    QPainter(viewport()).drawImage(0, 0, image);
}

void CqvWinPreview::DrawPageFrame(QPainter& painter, const PixRect& frame) const {
    const PixPoint origin = m_geometry.ViewportOrigin();
    PixRect r = frame;
    r.Offset(origin.x, origin.y);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 2));
    painter.drawRect(QRect(r.left, r.top, r.Width() - 1, r.Height() - 1));
    painter.setPen(QPen(palette().color(QPalette::Shadow), 3));
    painter.drawLine(r.right + 1, r.top + 3, r.right + 1, r.bottom + 1);
    painter.drawLine(r.left + 3, r.bottom + 1, r.right + 1, r.bottom + 1);
    // The paper: inside the frame, the page's own size.
    painter.fillRect(QRect(QPoint(r.left + 1, r.top + 1), QPoint(r.right - 3, r.bottom - 3)), Qt::white);
}

void CqvWinPreview::DrawPageContent(QImage& image, unsigned slot, uint32_t page) {
    const qv::preview::QvPreviewGeometry::PageSlot& s = m_geometry.Slot(slot);
    const double scale = m_geometry.PixelsPerUnit(slot);
    if (scale <= 0) return;
    const PixPoint origin = m_geometry.ViewportOrigin();
    // The page's origin: inside the frame, shifted by the printing offset,
    // which is (0, 0) for every printer here.
    const QRect paper(s.rect.left + 1 + origin.x, s.rect.top + 1 + origin.y, s.rect.Width() - 3, s.rect.Height() - 3);
    // Drawing on just the visible part of the paper clips the page to it.
    const QRect visible = paper & image.rect();
    if (visible.isEmpty()) return;
    const int stride = static_cast<int>(image.bytesPerLine());
    unsigned char* data = image.bits() + qsizetype(visible.top()) * stride + qsizetype(visible.left()) * 4;
    try {
        CairoSurface surface = CairoSurface::ImageOnBuffer(data, visible.width(), visible.height(), stride, scale,
                                                           paper.left() - visible.left(), paper.top() - visible.top());
        m_printInfo.currentPage = page;
        m_pReport->DrawPage(surface, m_printInfo);
        surface.Finish();
    } catch (const CqvEx& error) {
        // Painting cannot carry an error; the dialog takes it to the command.
        m_bDrawFailed = true;
        emit DrawFailed(QString::fromStdString(error.Message()));
    }
}

void CqvWinPreview::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_pReport) return;
    if (m_geometry.Click(ToPix(event->position().toPoint()))) Changed();
    UpdateCursor(event->position().toPoint());
}

void CqvWinPreview::mouseMoveEvent(QMouseEvent* event) { UpdateCursor(event->position().toPoint()); }

void CqvWinPreview::UpdateCursor(const QPoint& point) {
    if (m_pReport && m_geometry.MagnifierAt(ToPix(point))) viewport()->setCursor(MagnifierCursor());
    else viewport()->setCursor(Qt::ArrowCursor);
}

const QCursor& CqvWinPreview::MagnifierCursor() {
    if (!m_magnifier) {
        // A magnifying glass: a lens centred on the hot spot and a handle
        // towards the lower right.
        QPixmap pixmap(32, 32);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(14, 13), QPointF(22, 21));
        painter.setPen(QPen(Qt::black, 1.5));
        painter.setBrush(QColor(255, 255, 255, 220));
        painter.drawEllipse(QPointF(kMagnifierHotX, kMagnifierHotY), 6.5, 6.5);
        painter.end();
        m_magnifier.emplace(pixmap, kMagnifierHotX, kMagnifierHotY);
    }
    return *m_magnifier;
}
