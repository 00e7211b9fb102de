// The preview dialog and its preview window on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <memory>

#include "WidgetTestSupport.h"
#include "demo/CHyperLink.h"
#include "engine/CqvReport.h"
#include "engine/QvSettings.h"
#include "preview/CdlgPrintPrev.h"
#include "preview/CqvWinPreview.h"
#include "preview/QvPreviewGeometry.h"

using namespace qv::preview;

namespace {

class PreviewDialogTest : public ::testing::Test {
protected:
    void SetUp() override { CqvWinPreview::SetPreviewPages(0); }

    // A report loaded as Preview loads it, and its dialog shown at a known size.
    void Open(const std::string& name, QSize size = {800, 600}) {
        // The old dialog goes before the report it draws.
        m_dialog.reset();
        m_report.reset();
        m_report = std::make_unique<CqvReport>(qvtest::PreviewData(name + ".xml"), qvtest::PreviewData(name + ".qvrp"));
        m_report->LoadAll();
        m_dialog = std::make_unique<CdlgPrintPrev>(m_report.get());
        m_dialog->resize(size);
        m_dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dialog.get()));
    }

    QPushButton* Button(int id) const { return m_dialog->findChild<QPushButton*>(QStringLiteral("id%1").arg(id)); }
    QLineEdit* PageBox() const { return m_dialog->findChild<QLineEdit*>(QStringLiteral("id2002")); }
    CqvWinPreview* Preview() const { return m_dialog->PreviewWindow(); }
    const QvPreviewGeometry& Geometry() const { return Preview()->Geometry(); }

    QImage Drawn() const {
        QCoreApplication::processEvents();
        return Preview()->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    void Press(int id) {
        QPushButton* button = Button(id);
        ASSERT_NE(button, nullptr) << id;
        ASSERT_TRUE(button->isEnabled()) << id;
        button->click();
    }

    // The share of pixels in the slot's paper that are not white.
    double InkInSlot(const QImage& image, unsigned slot) const {
        const PixRect r = Geometry().Slot(slot).rect;
        const PixPoint o = Geometry().ViewportOrigin();
        int ink = 0, all = 0;
        for (int y = r.top + 2 + o.y; y < r.bottom - 3 + o.y; ++y)
            for (int x = r.left + 2 + o.x; x < r.right - 3 + o.x; ++x) {
                if (!image.rect().contains(x, y)) continue;
                ++all;
                if (image.pixel(x, y) != qRgb(255, 255, 255)) ++ink;
            }
        return all ? double(ink) / all : 0;
    }

    void SendMouse(QEvent::Type type, QPoint at) {
        QMouseEvent event(type, at, Preview()->viewport()->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Preview()->viewport(), &event);
    }

    std::unique_ptr<CqvReport> m_report;
    std::unique_ptr<CdlgPrintPrev> m_dialog;
};

QPoint Centre(const PixRect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

TEST_F(PreviewDialogTest, OpensOnTheReportsFirstPage) {
    Open("three_pages");
    EXPECT_EQ(m_dialog->windowTitle(), "Print Priview");
    const struct {
        int id;
        const char* text;
        bool enabled;
    } buttons[] = {
        {2006, "&Print...", true}, {2007, "&Two Page", true}, {2008, "Zoom &In", true}, {2009, "Zoom &Out", false},
        {2010, "&Close", true},    {2011, "<<", false},       {2012, ">>", true},
    };
    for (const auto& b : buttons) {
        ASSERT_NE(Button(b.id), nullptr) << b.id;
        EXPECT_EQ(Button(b.id)->text(), b.text) << b.id;
        EXPECT_EQ(Button(b.id)->isEnabled(), b.enabled) << b.id;
    }
    EXPECT_EQ(PageBox()->text(), "1");
    EXPECT_EQ(Preview()->PrintInfo().maxPage, 3u);
    EXPECT_EQ(QvSettings::Instance().pageCount, 3u);
    EXPECT_EQ(m_dialog->HyperLink()->text(), CdlgPrintPrev::SiteAddress());
    EXPECT_EQ(m_dialog->HyperLink()->Target(), CdlgPrintPrev::SiteAddress());
    // The first page is drawn: its paper carries text.
    EXPECT_GT(InkInSlot(Drawn(), 0), 0.005);
}

TEST_F(PreviewDialogTest, ZoomAndPageButtonsChangeWhatIsDrawn) {
    Open("three_pages");
    const QImage first = Drawn();

    Press(kIdZoomIn);
    EXPECT_EQ(Geometry().ZoomState(), kZoomMiddle);
    const QImage middle = Drawn();
    EXPECT_NE(middle, first);
    Press(kIdZoomIn);
    EXPECT_EQ(Geometry().ZoomState(), kZoomIn);
    EXPECT_FALSE(Button(kIdZoomIn)->isEnabled());
    EXPECT_NE(Drawn(), middle);
    Press(kIdZoomOut);
    EXPECT_EQ(Drawn(), middle);
    Press(kIdZoomOut);
    EXPECT_EQ(Drawn(), first);

    Press(kIdNextPage);
    EXPECT_EQ(PageBox()->text(), "2");
    EXPECT_NE(Drawn(), first);
    Press(kIdPrevPage);
    EXPECT_EQ(PageBox()->text(), "1");
    EXPECT_EQ(Drawn(), first);

    Press(kIdNumPages);
    EXPECT_EQ(Button(kIdNumPages)->text(), "&One Page");
    EXPECT_EQ(Geometry().PagesShown(), 2u);
    const QImage two = Drawn();
    EXPECT_NE(two, first);
    EXPECT_GT(InkInSlot(two, 1), 0.005);
}

TEST_F(PreviewDialogTest, TheLastPageBesideAnEmptySecondPaper) {
    Open("three_pages");
    Press(kIdNumPages);
    PageBox()->setFocus();
    PageBox()->selectAll();
    QTest::keyClicks(PageBox(), "3");
    QTest::keyClick(PageBox(), Qt::Key_Return);
    EXPECT_TRUE(m_dialog->isVisible());  // Enter in the page box ends nothing
    EXPECT_EQ(Geometry().CurrentPage(), 3u);
    EXPECT_EQ(PageBox()->text(), "3");
    EXPECT_FALSE(Button(kIdNextPage)->isEnabled());
    const QImage image = Drawn();
    EXPECT_GT(InkInSlot(image, 0), 0.005);
    EXPECT_EQ(InkInSlot(image, 1), 0.0);
}

TEST_F(PreviewDialogTest, OnePageLandscapeReport) {
    Open("one_page");
    EXPECT_EQ(Preview()->PrintInfo().dialog.devMode.orientation, kDmOrientLandscape);
    EXPECT_EQ(Preview()->PrintInfo().maxPage, 1u);
    EXPECT_FALSE(Button(kIdPrevPage)->isEnabled());
    EXPECT_FALSE(Button(kIdNextPage)->isEnabled());
    EXPECT_FALSE(Button(kIdNumPages)->isEnabled());
    EXPECT_FALSE(Preview()->verticalScrollBar()->isVisible());
    const PixRect r = Geometry().Slot(0).rect;
    EXPECT_GT(r.Width(), r.Height());
}

TEST_F(PreviewDialogTest, ClickingAPageZoomsAndTheCursorShowsTheMagnifier) {
    Open("three_pages");
    Drawn();  // positions the page
    const QPoint onPage = Centre(Geometry().Slot(0).rect);
    SendMouse(QEvent::MouseMove, onPage);
    EXPECT_EQ(Preview()->viewport()->cursor().shape(), Qt::BitmapCursor);
    SendMouse(QEvent::MouseMove, {2, 2});
    EXPECT_EQ(Preview()->viewport()->cursor().shape(), Qt::ArrowCursor);

    SendMouse(QEvent::MouseButtonPress, onPage);
    EXPECT_EQ(Geometry().ZoomState(), kZoomMiddle);
    EXPECT_TRUE(Button(kIdZoomOut)->isEnabled());
    EXPECT_TRUE(Preview()->verticalScrollBar()->isVisible());
    Drawn();
    const QPoint stillOnPage = QPoint(Preview()->viewport()->width() / 2, Preview()->viewport()->height() / 2);
    SendMouse(QEvent::MouseButtonPress, stillOnPage);
    EXPECT_EQ(Geometry().ZoomState(), kZoomIn);
    SendMouse(QEvent::MouseMove, stillOnPage);
    EXPECT_EQ(Preview()->viewport()->cursor().shape(), Qt::ArrowCursor);
    SendMouse(QEvent::MouseButtonPress, stillOnPage);
    EXPECT_EQ(Geometry().ZoomState(), kZoomOut);
}

TEST_F(PreviewDialogTest, ScrollBarPagesThroughTheReportWhenZoomedOut) {
    Open("three_pages");
    QScrollBar* bar = Preview()->verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->minimum(), 1);
    EXPECT_EQ(bar->maximum(), 3);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(Geometry().CurrentPage(), 2u);  // (3 - 1 + 9) / 10 = 1 page
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(Geometry().CurrentPage(), 3u);
    EXPECT_EQ(bar->value(), 3);
    EXPECT_EQ(PageBox()->text(), "3");
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(Geometry().CurrentPage(), 2u);
}

TEST_F(PreviewDialogTest, ZoomedScrollBarsScrollThePage) {
    Open("three_pages");
    Press(kIdZoomIn);
    Press(kIdZoomIn);
    const QImage top = Drawn();
    QScrollBar* bar = Preview()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum());
    EXPECT_EQ(Geometry().ScrollPosition().y, bar->maximum());
    EXPECT_NE(Drawn(), top);
    EXPECT_EQ(Geometry().CurrentPage(), 1u);  // scrolling, not paging
}

TEST_F(PreviewDialogTest, ResizingKeepsTheButtonStripTheBottomBandAndTheLinkGap) {
    Open("three_pages", {900, 600});
    const int linkTop = m_dialog->HyperLink()->y();
    for (QSize size : {QSize(900, 600), QSize(700, 480), QSize(1024, 700)}) {
        m_dialog->resize(size);
        QCoreApplication::processEvents();
        const QSize client = m_dialog->size();
        EXPECT_EQ(Preview()->geometry(), QRect(0, 35, client.width(), client.height() - 55)) << client.width();
        EXPECT_EQ(m_dialog->HyperLink()->geometry().right() + 1, client.width() - 10) << client.width();
        EXPECT_EQ(m_dialog->HyperLink()->y(), linkTop);
    }
}

TEST_F(PreviewDialogTest, EnterIsTheFocusedButtonsAndEscapeCancels) {
    Open("three_pages");
    m_dialog->hide();
    bool openAfterEnter = false;
    int zoomAfterEnter = -1;
    qvtest::ModalDriver driver([&](QWidget* modal) {
        auto* dialog = static_cast<CdlgPrintPrev*>(modal);
        QTest::keyClick(dialog->PreviewWindow(), Qt::Key_Return);
        auto* zoomIn = dialog->findChild<QPushButton*>("id2008");
        zoomIn->setFocus();
        QTest::keyClick(zoomIn, Qt::Key_Return);
        openAfterEnter = dialog->isVisible();
        zoomAfterEnter = dialog->PreviewWindow()->Geometry().ZoomState();
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    EXPECT_EQ(m_dialog->exec(), QDialog::Rejected);
    EXPECT_TRUE(openAfterEnter);
    EXPECT_EQ(zoomAfterEnter, kZoomMiddle);
    EXPECT_FALSE(driver.TimedOut());
}

TEST_F(PreviewDialogTest, PrintAndCloseEndTheDialogWithTheirIds) {
    for (int id : {kIdPrint, kIdClose}) {
        Open("three_pages");
        m_dialog->hide();
        qvtest::ModalDriver driver([id](QWidget* modal) {
            if (auto* button = modal->findChild<QPushButton*>(QStringLiteral("id%1").arg(id))) button->click();
        });
        EXPECT_EQ(m_dialog->exec(), id);
        EXPECT_FALSE(driver.TimedOut());
    }
}

TEST_F(PreviewDialogTest, TheNumberOfPagesShownLastsForTheSession) {
    Open("three_pages");
    Press(kIdNumPages);
    EXPECT_EQ(CqvWinPreview::PreviewPages(), 2u);
    Open("three_pages");
    EXPECT_EQ(Geometry().PagesShown(), 2u);
    EXPECT_EQ(Button(kIdNumPages)->text(), "&One Page");
}

}  // namespace
