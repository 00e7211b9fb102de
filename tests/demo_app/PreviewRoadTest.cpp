// The road of one report through the application: pick a demo in the list,
// press Print Preview, see the first page, press "&Print...", and get the PDF
// from the print dialog's "print to file".
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <string>

#include "../preview/TestPrintHost.h"
#include "../preview/WidgetTestSupport.h"
#include "AppTestSupport.h"
#include "demo/CMainFrame.h"
#include "demo/ClistDialogBar.h"
#include "demo/editor/CScintillaCtrl.h"
#include "demo/editor/CScintillaView.h"
#include "demo/editor/QvCommandIds.h"
#include "preview/CdlgPrintPrev.h"
#include "preview/CqvWinPreview.h"
#include "support/TestCommand.h"

namespace {

using qvapptest::AppTest;
using qvtest::FilePrintHost;
using qvtest::ModalDriver;
using qv::test::Capture;

// What the preview dialog showed when it opened.
struct PreviewSeen {
    int dialogs = 0;
    uint32_t page = 0;
    QString pageBox;
    bool inkOnPage = false;
};

// Looks at the first page in the preview, then presses `button`.
ModalDriver::Action LookThenPress(PreviewSeen& seen, std::vector<QString>& messages, int button) {
    return [&seen, &messages, button](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            messages.push_back(box->text());
            box->close();
            return;
        }
        auto* dialog = qobject_cast<CdlgPrintPrev*>(modal);
        if (!dialog) return;
        ++seen.dialogs;
        CqvWinPreview* preview = dialog->PreviewWindow();
        seen.page = preview->Geometry().CurrentPage();
        seen.pageBox = dialog->findChild<QLineEdit*>("id2002")->text();
        // Something is drawn on the page: not all of it is paper.
        const QImage image = preview->grab().toImage();
        const auto& frame = preview->Geometry().Slot(0).rect;
        for (int y = frame.top + 2; y < frame.bottom - 2 && !seen.inkOnPage; y += 2)
            for (int x = frame.left + 2; x < frame.right - 2 && !seen.inkOnPage; x += 2)
                if (qGray(image.pixel(x, y)) < 128) seen.inkOnPage = true;
        dialog->findChild<QPushButton*>(QStringLiteral("id%1").arg(button))->click();
    };
}

class PreviewRoadTest : public AppTest {
protected:
    void StartPrintingTo(const QString& pdf) {
        const std::string path = pdf.toStdString();
        Start(1252, [path](QWidget*) { return std::make_unique<FilePrintHost>(path); });
    }
    QTemporaryDir m_out;
};

TEST_F(PreviewRoadTest, PickPreviewPrintAndGetThePdf) {
    const QString pdf = m_out.filePath("table.pdf");
    StartPrintingTo(pdf);
    ChooseDemo("Table");
    ASSERT_TRUE(Frame().ListBar()->PreviewButton()->isEnabled());

    PreviewSeen seen;
    std::vector<QString> messages;
    ModalDriver driver(LookThenPress(seen, messages, 2006), 60000);
    Frame().ListBar()->PreviewButton()->click();

    EXPECT_FALSE(driver.TimedOut());
    EXPECT_TRUE(messages.empty()) << messages.front().toStdString();
    EXPECT_EQ(seen.dialogs, 1);
    EXPECT_EQ(seen.page, 1u);
    EXPECT_EQ(seen.pageBox, QString("1"));
    EXPECT_TRUE(seen.inkOnPage);

    ASSERT_TRUE(QFile::exists(pdf));
    const std::string info = Capture("pdfinfo '" + pdf.toStdString() + "'");
    EXPECT_NE(info.find("Pages:"), std::string::npos) << info;
    EXPECT_EQ(info.find("Pages:          0\n"), std::string::npos) << info;
    const std::string text = Capture("pdftotext -f 1 -l 1 '" + pdf.toStdString() + "' -");
    EXPECT_NE(text.find("Dog register"), std::string::npos) << text.substr(0, 400);
}

TEST_F(PreviewRoadTest, EscInThePreviewPrintsNothing) {
    const QString pdf = m_out.filePath("none.pdf");
    StartPrintingTo(pdf);
    std::vector<QString> messages;
    int previews = 0;
    ModalDriver driver([&](QWidget* modal) {
        if (qobject_cast<CdlgPrintPrev*>(modal)) ++previews;
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    });
    // Double click on a demo: the same preview as the button.
    QListWidget* list = Frame().ListBar()->List();
    emit list->itemDoubleClicked(list->item(0));
    EXPECT_EQ(previews, 1);
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(PreviewRoadTest, CtrlPFromTheEditorPrintsTheCurrentDemo) {
    const QString pdf = m_out.filePath("utf8.pdf");
    StartPrintingTo(pdf);
    ChooseDemo("UTF8");
    ModalDriver driver([](QWidget* modal) { modal->close(); });
    ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_PRINT));
    ASSERT_TRUE(QFile::exists(pdf));
    const std::string text = Capture("pdftotext '" + pdf.toStdString() + "' -");
    EXPECT_NE(text.find("Русский"), std::string::npos) << text.substr(0, 400);
}

TEST_F(PreviewRoadTest, AnEngineErrorIsShownWithTheApplicationTitle) {
    StartPrintingTo(m_out.filePath("never.pdf"));
    // The editor's changes reach the report once saved: break the template.
    ChooseTab(1);
    CScintillaCtrl& ctrl = ActiveView()->GetCtrl();
    ctrl.SetSel(0, ctrl.GetLength());
    ctrl.ReplaceSel("<XmlTemplateReport><Block>");
    ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_SAVE));

    QString title, text;
    int previews = 0;
    ModalDriver driver([&](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            title = box->windowTitle();
            text = box->text();
        }
        if (qobject_cast<CdlgPrintPrev*>(modal)) ++previews;
        modal->close();
    });
    Frame().ListBar()->PreviewButton()->click();
    EXPECT_EQ(previews, 0);
    EXPECT_EQ(title, QString("QuorvaneDemo"));
    EXPECT_FALSE(text.isEmpty());
    EXPECT_FALSE(QFile::exists(m_out.filePath("never.pdf")));
}

}  // namespace
