// The hyperlink control and the about box.
#include "demo/CHyperLink.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <vector>

#include "../preview/WidgetTestSupport.h"
#include "demo/CAboutDlg.h"

namespace {

const QString kSite = QStringLiteral("https://quorvane.example.org/");

// Records what the link asked to open, and answers with a fixed shell result.
class HyperLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        CHyperLink::SetOpener([this](const QString& target) {
            opened.push_back(target);
            return answer;
        });
        m_window.resize(400, 100);
    }
    void TearDown() override { CHyperLink::SetOpener({}); }

    CHyperLink* MakeLink(unsigned options = kHlDefault, const QString& text = kSite, const QString& target = {}) {
        auto* link = new CHyperLink(text, &m_window, target, options);
        link->move(20, 20);
        m_window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&m_window));
        return link;
    }

    static void Hover(CHyperLink* link, bool in) {
        if (in) {
            QEnterEvent enter(QPointF(2, 2), link->mapTo(link->window(), QPointF(2, 2)),
                              link->mapToGlobal(QPointF(2, 2)));
            QCoreApplication::sendEvent(link, &enter);
        } else {
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(link, &leave);
        }
    }

    std::vector<QString> opened;
    int answer = 42;  // above 32: opened

private:
    QWidget m_window;  // owns the links
};

TEST_F(HyperLinkTest, DefaultOptionsKeepTheLinkBlueInEveryState) {
    CHyperLink* link = MakeLink();
    EXPECT_EQ(link->Options(), 0x15u);
    EXPECT_EQ(link->TextColor(), QColor(0, 0, 255));
    Hover(link, true);
    EXPECT_TRUE(link->Over());
    EXPECT_EQ(link->TextColor(), QColor(0, 0, 255));  // hovering needs option 0x02
    link->setFocus();
    QCoreApplication::processEvents();
    EXPECT_TRUE(link->Active());
    EXPECT_EQ(link->TextColor(), QColor(0, 0, 255));
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
}

TEST_F(HyperLinkTest, HoverColourWithItsOption) {
    CHyperLink* link = MakeLink(kHlDefault | kHlUseHover);
    Hover(link, true);
    EXPECT_EQ(link->TextColor(), QColor(255, 0, 0));
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    Hover(link, false);
    EXPECT_FALSE(link->Over());
    EXPECT_EQ(link->TextColor(), QColor(0, 0, 255));
}

TEST_F(HyperLinkTest, LosingTheFocusClearsOverAndActive) {
    CHyperLink* link = MakeLink(kHlDefault | kHlUseHover);
    link->setFocus();
    Hover(link, true);
    QCoreApplication::processEvents();
    ASSERT_TRUE(link->Active());
    link->clearFocus();
    QCoreApplication::processEvents();
    EXPECT_FALSE(link->Active());
    EXPECT_FALSE(link->Over());
}

TEST_F(HyperLinkTest, TextTargetToolTipFontAndCursor) {
    CHyperLink* link = MakeLink();
    EXPECT_EQ(link->Target(), kSite);  // an empty target takes the text
    EXPECT_EQ(link->toolTip(), kSite);
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);

    CHyperLink* bare = MakeLink(kHlAutoSize | kHlNoHandCursor, QString(), QStringLiteral("https://example.org/a"));
    EXPECT_EQ(bare->text(), "https://example.org/a");  // an empty text shows the target
    EXPECT_FALSE(bare->font().underline());
    EXPECT_NE(bare->cursor().shape(), Qt::PointingHandCursor);

    link->SetTarget(QStringLiteral("https://example.org/b"));
    EXPECT_EQ(link->toolTip(), "https://example.org/b");
    EXPECT_EQ(link->text(), kSite);
}

TEST_F(HyperLinkTest, FitsItselfToItsText) {
    CHyperLink* link = MakeLink();
    const QSize text = QFontMetrics(link->font()).size(Qt::TextSingleLine, link->text());
    EXPECT_EQ(link->contentsRect().size(), text);
    CHyperLink* unfitted = MakeLink(kHlUnderline);
    unfitted->resize(300, 40);
    unfitted->SetTarget(kSite);
    EXPECT_EQ(unfitted->size(), QSize(300, 40));
}

TEST_F(HyperLinkTest, SpaceBarOpensTheFocusedLink) {
    CHyperLink* link = MakeLink();
    link->setFocus();
    QTest::keyClick(link, Qt::Key_A);
    EXPECT_TRUE(opened.empty());
    QTest::keyClick(link, Qt::Key_Space);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], kSite);
    EXPECT_TRUE(link->Visited());
    EXPECT_EQ(link->TextColor(), QColor(0, 0, 255));
}

TEST_F(HyperLinkTest, ClickOpensOnReleaseOrOnPressWithItsOption) {
    CHyperLink* link = MakeLink();
    QTest::mousePress(link, Qt::LeftButton);
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(link->hasFocus());  // option 0x10
    QTest::mouseRelease(link, Qt::LeftButton);
    EXPECT_EQ(opened.size(), 1u);

    opened.clear();
    CHyperLink* onPress = MakeLink(kHlUnderline | kHlDownClick);
    QTest::mousePress(onPress, Qt::LeftButton);
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_FALSE(onPress->hasFocus());
    QTest::mouseRelease(onPress, Qt::LeftButton);
    EXPECT_EQ(opened.size(), 1u);

    opened.clear();
    QTest::mousePress(link, Qt::LeftButton);
    QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(-20, -20));  // dragged off first
    EXPECT_TRUE(opened.empty());
}

TEST_F(HyperLinkTest, FailureSaysWhyAndLeavesTheLinkUnvisited) {
    CHyperLink* link = MakeLink();
    answer = 2;
    QString title, text;
    qvtest::ModalDriver driver([&](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            title = box->windowTitle();
            text = box->text();
            box->button(QMessageBox::Ok)->click();
        }
    });
    EXPECT_FALSE(link->OpenLink());
    EXPECT_EQ(title, "QuorvaneDemo");
    EXPECT_EQ(text, "Can't open link:\n\nThe specified file was not found.");
    EXPECT_FALSE(link->Visited());
    EXPECT_FALSE(driver.TimedOut());
}

TEST(HyperLinkTextTest, ErrorTexts) {
    const struct {
        int result;
        const char* text;
    } cases[] = {
        {0, "The operating system is out\nof memory or resources."},
        {5, "The operating system denied\naccess to the specified file."},
        {26, "A sharing violation occurred. "},
        {31, "There is no application associated\nwith the given filename extension."},
        {32, "The specified dynamic-link library was not found."},
        {33, "Unknown Error (33) occurred."},
        {-7, "Unknown Error (-7) occurred."},
    };
    for (const auto& c : cases) EXPECT_EQ(CHyperLink::ErrorText(c.result), c.text) << c.result;
}

TEST(HyperLinkTextTest, HandlerCommandIsCutAtItsPlaceholder) {
    const struct {
        const char* line;
        const char* cut;
    } cases[] = {
        {R"("/opt/web/browser" "%1")", R"("/opt/web/browser" )"},
        {"browser %1 --new", "browser "},
        {R"(browser %1 "%1")", "browser %1 "},  // the quoted placeholder wins
        {"firefox-esr %u", "firefox-esr "},
        {R"(chromium "%U" --flag)", "chromium "},
        {"links", "links"},
    };
    for (const auto& c : cases) EXPECT_EQ(CHyperLink::CutAtPlaceholder(c.line), c.cut) << c.line;
}

TEST(AboutDlgTest, NamesTheApplicationAndClosesWithOk) {
    CAboutDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), "About QuorvaneDemo");
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
    EXPECT_TRUE(texts.contains("QuorvaneDemo Version 1.0"));
    auto* ok = dialog.findChild<QPushButton*>("id1");
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    qvtest::ModalDriver driver([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Return); });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_FALSE(driver.TimedOut());
}

}  // namespace
