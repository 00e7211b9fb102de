// The main window driven as a user would: start-up, the demo list, the source
// tabs, the editor windows they open, the menus and accelerators, Save, and
// find and replace through the dialog.
#include <gtest/gtest.h>

#include <QAction>
#include <QAbstractButton>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <QToolBar>

#include "../preview/WidgetTestSupport.h"
#include "AppTestSupport.h"
#include "demo/CMainFrame.h"
#include "demo/ClistDialogBar.h"
#include "demo/QvRecentFileList.h"
#include "demo/CmyDialogBar.h"
#include "demo/editor/CScintillaCtrl.h"
#include "demo/editor/CScintillaDoc.h"
#include "demo/editor/CScintillaFindReplaceDlg.h"
#include "demo/editor/CScintillaView.h"
#include "demo/editor/QvCommandIds.h"

namespace {

using qvapptest::AppTest;
using qvtest::ModalDriver;
using qvtest::WaitFor;

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList MenuTitles(QMenuBar* bar) {
    QStringList titles;
    for (QAction* action : bar->actions()) titles << action->text();
    return titles;
}

class MainWindowTest : public AppTest {};

TEST_F(MainWindowTest, StartUpOpensTheFirstDemosDataFile) {
    Start();
    EXPECT_EQ(WindowCount(), 1);
    EXPECT_EQ(ActiveFile(), QString("dogs.xml"));
    EXPECT_EQ(Frame().ListBar()->CurrentDemo()->name, "Blocks");
    EXPECT_EQ(Frame().ListBar()->List()->currentRow(), 0);
    EXPECT_EQ(Frame().TabsBar()->CurrentSelection(), 0);
    EXPECT_TRUE(Frame().MdiArea()->currentSubWindow()->isMaximized());
    EXPECT_EQ(ActiveView()->GetCtrl().GetText(), FileBytes(DemoFile("dogs.xml")));
    EXPECT_EQ(Frame().windowTitle().left(12), QString("QuorvaneDemo"));
    EXPECT_EQ(QApplication::applicationName(), QString("QuorvaneDemo"));
    EXPECT_EQ(Frame().CurrentMenuId(), 129);
    EXPECT_EQ(MenuTitles(Frame().menuBar()), (QStringList{"&File", "&Edit", "&Search", "&View", "&Window", "&Help"}));
    // The bars start at their sides.
    EXPECT_EQ(Frame().dockWidgetArea(Frame().TabsBar()), Qt::TopDockWidgetArea);
    EXPECT_EQ(Frame().dockWidgetArea(Frame().ListBar()), Qt::RightDockWidgetArea);
    EXPECT_EQ(Frame().toolBarArea(Frame().ToolBar()), Qt::TopToolBarArea);
    EXPECT_EQ(Frame().statusBar()->findChild<QLabel*>("id57345")->text(), QString("Ready"));
}

TEST_F(MainWindowTest, WesternCodePageListsSixDemos) {
    Start(1252);
    EXPECT_EQ(Frame().ListBar()->List()->count(), 6);
    EXPECT_EQ(Frame().ListBar()->List()->item(5)->text(), QString("Blank"));
}

TEST_F(MainWindowTest, CyrillicCodePageListsNineDemos) {
    Start(1251);
    QListWidget* list = Frame().ListBar()->List();
    ASSERT_EQ(list->count(), 9);
    EXPECT_EQ(list->item(6)->text(), QString::fromUtf8("Накладная"));
    ChooseDemo(QString::fromUtf8("Накладная"));
    EXPECT_EQ(ActiveFile(), QString("nakladn.xml"));
    // The windows-1251 files are shown converted, as UTF-8.
    EXPECT_EQ(ActiveView()->GetCtrl().GetCodePage(), 65001);
    EXPECT_TRUE(QString::fromUtf8(ActiveView()->GetCtrl().GetText()).contains(QString::fromUtf8("накладная")));
    ChooseDemo(QString::fromUtf8("Счёт фактура"));
    ChooseTab(1);
    EXPECT_EQ(ActiveFile(), QString("sfactura.qvrp"));
    EXPECT_EQ(ActiveView()->GetCtrl().GetCodePage(), 65001);
    EXPECT_TRUE(QString::fromUtf8(ActiveView()->GetCtrl().GetText()).contains(QString::fromUtf8("Счёт-фактура №")));
}

TEST_F(MainWindowTest, ChoosingADemoOpensTheFileOfTheCurrentTab) {
    Start();
    ChooseTab(1);
    EXPECT_EQ(ActiveFile(), QString("dogs.qvrp"));
    ChooseDemo("Table in Table");
    EXPECT_EQ(ActiveFile(), QString("dogs_table_in_table.qvrp"));
    ChooseDemo("UTF8");
    EXPECT_EQ(ActiveFile(), QString("utf8.qvrp"));
    EXPECT_EQ(ActiveView()->GetCtrl().GetCodePage(), 65001);
    ChooseTab(0);
    EXPECT_EQ(ActiveFile(), QString("utf8.xml"));
    EXPECT_EQ(ActiveView()->GetCtrl().GetCodePage(), 65001);
    ChooseDemo("Blocks");
    EXPECT_EQ(ActiveFile(), QString("dogs.xml"));
    // The register's owners have letters beyond ASCII in UTF-8: shown as UTF-8.
    EXPECT_EQ(ActiveView()->GetCtrl().GetCodePage(), 65001);
    EXPECT_EQ(WindowCount(), 5);
}

TEST_F(MainWindowTest, TheThreeDogDemosShareOneDataWindow) {
    Start();
    CScintillaDoc* dogs = ActiveDoc();
    ChooseDemo("UTF8");
    ASSERT_NE(ActiveDoc(), dogs);
    for (const char* demo : {"Table", "Table in Table", "Blocks"}) {
        ChooseDemo(demo);
        EXPECT_EQ(ActiveDoc(), dogs) << demo;
    }
    EXPECT_EQ(WindowCount(), 2);
    EXPECT_EQ(App().Documents().size(), 2u);
}

TEST_F(MainWindowTest, TheDtdTabIsTheSameReadOnlyFileForEveryDemo) {
    Start();
    ChooseTab(2);
    EXPECT_EQ(ActiveFile(), QString("quorvane_v1.0.dtd"));
    CScintillaCtrl& ctrl = ActiveView()->GetCtrl();
    EXPECT_TRUE(ctrl.GetReadOnly());
    const QByteArray before = ctrl.GetText();
    QTest::keyClicks(&ctrl, "typed");
    EXPECT_EQ(ctrl.GetText(), before);
    CScintillaDoc* dtd = ActiveDoc();
    ChooseDemo("Image from Base64");
    EXPECT_EQ(ActiveDoc(), dtd);
    EXPECT_TRUE(ActiveView()->GetCtrl().GetReadOnly());
    EXPECT_FALSE(Frame().CommandEnabled(ID_FILE_SAVE));
}

TEST_F(MainWindowTest, ClosingEveryEditorDisablesTheListButtonsAndSwitchesMenus) {
    Start();
    ChooseTab(1);
    ASSERT_EQ(WindowCount(), 2);
    EXPECT_TRUE(Frame().ListBar()->PreviewButton()->isEnabled());
    EXPECT_TRUE(Frame().ListBar()->PrintButton()->isEnabled());
    while (ActiveDoc()) {
        ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_CLOSE));
        Settle();
    }
    EXPECT_EQ(WindowCount(), 0);
    EXPECT_TRUE(App().Documents().empty());
    EXPECT_FALSE(Frame().ListBar()->PreviewButton()->isEnabled());
    EXPECT_FALSE(Frame().ListBar()->PrintButton()->isEnabled());
    EXPECT_FALSE(Frame().Action(ID_FILE_PRINT)->isEnabled());
    EXPECT_EQ(Frame().CurrentMenuId(), 128);
    EXPECT_EQ(MenuTitles(Frame().menuBar()), (QStringList{"&File", "&Search", "&View", "&Help"}));
    EXPECT_FALSE(Frame().Action(ID_FILE_CLOSE)->isEnabled());

    // A double click on the current demo asks for a preview nobody can run.
    ModalDriver driver([](QWidget* modal) { modal->close(); }, 3000);
    QListWidget* list = Frame().ListBar()->List();
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    Settle();
    EXPECT_EQ(driver.Seen(), 0);
}

TEST_F(MainWindowTest, NewIsAlwaysDisabledAndAboutRuns) {
    Start();
    EXPECT_FALSE(Frame().Action(ID_FILE_NEW)->isEnabled());
    EXPECT_FALSE(Frame().ExecuteCommand(ID_FILE_NEW));
    EXPECT_TRUE(Frame().Action(ID_FILE_OPEN)->isEnabled());
    EXPECT_TRUE(Frame().Action(ID_APP_ABOUT)->isEnabled());
    // Panes live only in split windows, which the application has none of.
    EXPECT_FALSE(Frame().Action(ID_NEXT_PANE)->isEnabled());

    QString aboutTitle;
    ModalDriver driver([&aboutTitle](QWidget* modal) {
        aboutTitle = modal->windowTitle();
        modal->close();
    });
    Frame().Action(ID_APP_ABOUT)->trigger();
    EXPECT_EQ(aboutTitle, QString("About QuorvaneDemo"));
    Frame().ExecuteCommand(ID_FILE_CLOSE);
    Settle();
    EXPECT_FALSE(Frame().Action(ID_FILE_NEW)->isEnabled());
}

TEST_F(MainWindowTest, PrintSetupIsAPageSetupThatPrintsNothing) {
    Start();
    struct Seen {
        QString title;
        bool pageSetup = false;
        QStringList buttons;
    } seen;
    ModalDriver driver([&seen](QWidget* modal) {
        seen.title = modal->windowTitle();
        seen.pageSetup = qobject_cast<QPageSetupDialog*>(modal) != nullptr;
        for (QAbstractButton* button : modal->findChildren<QAbstractButton*>())
            if (button->isVisible() && qobject_cast<QPushButton*>(button)) seen.buttons << button->text();
        if (auto* box = modal->findChild<QDialogButtonBox*>()) box->button(QDialogButtonBox::Cancel)->click();
    });
    for (const bool withEditor : {true, false}) {
        SCOPED_TRACE(withEditor ? "menu 129" : "menu 128");
        if (!withEditor) {
            Frame().ExecuteCommand(ID_FILE_CLOSE);
            Settle();
        }
        seen = Seen{};
        const int before = driver.Seen();
        ASSERT_TRUE(Frame().Action(ID_FILE_PRINT_SETUP)->isEnabled());
        Frame().Action(ID_FILE_PRINT_SETUP)->trigger();
        EXPECT_EQ(driver.Seen(), before + 1);
        EXPECT_EQ(seen.title, QString("Print Setup"));
        EXPECT_TRUE(seen.pageSetup);
        EXPECT_TRUE(seen.buttons.contains("&OK") || seen.buttons.contains("OK"))
            << seen.buttons.join('|').toStdString();
        for (const QString& text : seen.buttons) EXPECT_FALSE(text.contains("Print")) << text.toStdString();
        // Cancelled: no printer is chosen for the next print.
        EXPECT_EQ(App().SetupPrinter(), QString());
    }
}

TEST_F(MainWindowTest, SaveIsEnabledOnlyAfterAnEditAndWritesTheFile) {
    Start();
    ChooseTab(1);
    QAction* save = Frame().Action(ID_FILE_SAVE);
    EXPECT_FALSE(save->isEnabled());
    CScintillaCtrl& ctrl = ActiveView()->GetCtrl();
    QTest::keyClicks(&ctrl, "<!-- edited -->");
    Settle();
    EXPECT_TRUE(save->isEnabled());
    EXPECT_TRUE(ActiveDoc()->IsModified());
    QTest::keyClick(&ctrl, Qt::Key_S, Qt::ControlModifier);
    Settle();
    EXPECT_TRUE(FileBytes(DemoFile("dogs.qvrp")).startsWith("<!-- edited --><?xml"));
    EXPECT_FALSE(save->isEnabled());
    EXPECT_FALSE(ActiveDoc()->IsModified());
    // Saving put the file at the top of the recent files.
    EXPECT_EQ(App().RecentFiles().Files().value(0), DemoFile("dogs.qvrp"));
}

TEST_F(MainWindowTest, AReadOnlyFileOpensReadOnly) {
    ASSERT_TRUE(QFile::setPermissions(DemoFile("dogs.xml"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    Start();
    ASSERT_EQ(ActiveFile(), QString("dogs.xml"));
    EXPECT_TRUE(ActiveView()->GetCtrl().GetReadOnly());
    ChooseTab(1);
    EXPECT_FALSE(ActiveView()->GetCtrl().GetReadOnly());
}

TEST_F(MainWindowTest, AMissingDemoFileIsReportedAndOpensNoWindow) {
    ASSERT_TRUE(QFile::remove(DemoFile("blank.qvrp")));
    Start();
    ChooseTab(1);
    const int before = WindowCount();
    QString message;
    ModalDriver driver([&message](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) message = box->text();
        modal->close();
    });
    ChooseDemo("Blank");
    EXPECT_TRUE(WaitFor([&] { return !message.isEmpty(); }));
    EXPECT_TRUE(message.contains("blank.qvrp")) << message.toStdString();
    EXPECT_EQ(WindowCount(), before);
}

TEST_F(MainWindowTest, CtrlFFindsF3FindsAgainAndReplaceAllWithoutHitsChangesNothing) {
    Start();
    ChooseTab(1);
    CScintillaView* view = ActiveView();
    CScintillaCtrl& ctrl = view->GetCtrl();
    const QByteArray text = ctrl.GetText();
    const long first = text.indexOf("<Style ");
    const long second = text.indexOf("<Style ", first + 1);
    ASSERT_GT(second, first);

    QTest::keyClick(&ctrl, Qt::Key_F, Qt::ControlModifier);
    Settle();
    QPointer<CScintillaFindReplaceDlg> find = CScintillaView::EditState().pFindReplaceDlg;
    ASSERT_NE(find, nullptr);
    EXPECT_TRUE(find->IsFindOnly());
    EXPECT_TRUE(find->isVisible());
    find->findChild<QLineEdit*>("id1152")->setText("<Style ");
    find->findChild<QPushButton*>("id1")->click();
    EXPECT_EQ(ctrl.GetSelectionStart(), first);
    EXPECT_EQ(ctrl.GetSelectionEnd(), first + 7);

    // Back in the editor window, as a click there would do.
    Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    Settle();
    QTest::keyClick(&ctrl, Qt::Key_F3);
    Settle();
    EXPECT_EQ(ctrl.GetSelectionStart(), second);

    // Replace closes Find and opens in its place.
    QTest::keyClick(&ctrl, Qt::Key_H, Qt::ControlModifier);
    Settle();
    CScintillaFindReplaceDlg* replace = CScintillaView::EditState().pFindReplaceDlg;
    ASSERT_NE(replace, nullptr);
    ASSERT_FALSE(replace->IsFindOnly());
    EXPECT_TRUE(WaitFor([&] { return find == nullptr || !find->isVisible(); }, 1000));
    // The selection was one line: it became the find text.
    EXPECT_EQ(replace->findChild<QLineEdit*>("id1152")->text(), QString("<Style "));

    QSignalSpy beeps(view, &CScintillaView::TextNotFound);
    replace->findChild<QLineEdit*>("id1152")->setText("NoSuchElement");
    replace->findChild<QLineEdit*>("id1153")->setText("X");
    replace->findChild<QPushButton*>("id1025")->click();
    EXPECT_EQ(ctrl.GetText(), text);
    EXPECT_EQ(beeps.count(), 1);
    EXPECT_FALSE(ActiveDoc()->IsModified());

    replace->findChild<QLineEdit*>("id1152")->setText("font-family=\"Arial\"");
    replace->findChild<QLineEdit*>("id1153")->setText("font-family=\"Liberation Sans\"");
    replace->findChild<QPushButton*>("id1025")->click();
    EXPECT_FALSE(ctrl.GetText().contains("font-family=\"Arial\""));
    EXPECT_EQ(ctrl.GetText().count("Liberation Sans"), text.count("font-family=\"Arial\""));
    replace->findChild<QPushButton*>("id2")->click();
    Settle();
    EXPECT_EQ(CScintillaView::EditState().pFindReplaceDlg, nullptr);
}

TEST_F(MainWindowTest, NewWindowShowsTheSameDocument) {
    Start();
    CScintillaDoc* doc = ActiveDoc();
    ASSERT_TRUE(Frame().ExecuteCommand(ID_WINDOW_NEW));
    Settle();
    EXPECT_EQ(WindowCount(), 2);
    EXPECT_EQ(ActiveDoc(), doc);
    EXPECT_EQ(doc->Views().size(), 2u);
    EXPECT_NE(ActiveView(), doc->Views().front());
    EXPECT_EQ(Frame().MdiArea()->currentSubWindow()->windowTitle(), QString("dogs.xml:2"));
    // The document stays until its last window closes.
    Frame().MdiArea()->currentSubWindow()->close();
    Settle();
    EXPECT_EQ(App().Documents().size(), 1u);
    EXPECT_EQ(Frame().MdiArea()->subWindowList().front()->windowTitle(), QString("dogs.xml"));
}

TEST_F(MainWindowTest, RecentFilesReopenAndForgetVanishedFiles) {
    Start();
    ChooseTab(1);
    ChooseDemo("UTF8");
    const QStringList recent = App().RecentFiles().Files();
    ASSERT_GE(recent.size(), 3);
    EXPECT_EQ(recent.mid(0, 3), (QStringList{DemoFile("utf8.qvrp"), DemoFile("dogs.qvrp"), DemoFile("dogs.xml")}));
    EXPECT_EQ(Frame().Action(ID_FILE_MRU_FILE1 + 1)->text(), QvRecentFileList::MenuText(1, DemoFile("dogs.qvrp")));
    ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_MRU_FILE1 + 2));
    EXPECT_EQ(ActiveFile(), QString("dogs.xml"));

    // Closed and gone from the disk: choosing it says so and drops it.
    Frame().ExecuteCommand(ID_FILE_CLOSE);
    Settle();
    ASSERT_TRUE(QFile::remove(DemoFile("dogs.xml")));
    const int index = static_cast<int>(App().RecentFiles().Files().indexOf(DemoFile("dogs.xml")));
    ASSERT_GE(index, 0);
    ModalDriver driver([](QWidget* modal) { modal->close(); });
    Frame().ExecuteCommand(ID_FILE_MRU_FILE1 + index);
    EXPECT_EQ(driver.Seen(), 1);
    EXPECT_FALSE(App().RecentFiles().Files().contains(DemoFile("dogs.xml")));
}

TEST_F(MainWindowTest, TheTabStripSpansTheBarAsTheWindowWidens) {
    Start();
    QTabBar* tabs = Frame().TabsBar()->TabControl();
    EXPECT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(2), QString("Template DTD"));
    for (int width : {900, 1400}) {
        Frame().resize(width, 700);
        Settle();
        const QWidget* bar = tabs->parentWidget();
        EXPECT_EQ(tabs->geometry().right(), bar->rect().right()) << width;
        EXPECT_GT(bar->width(), width / 2) << width;
    }
}

TEST_F(MainWindowTest, LockIndicatorsFollowTheLockKeys) {
    Start();
    constexpr int caps = 0xE701, num = 0xE702, scroll = 0xE703;
    EXPECT_EQ(Frame().StatusIndicatorText(caps), QString());
    CScintillaCtrl& ctrl = ActiveView()->GetCtrl();
    ctrl.setFocus();
    Settle();
    ASSERT_EQ(QApplication::focusObject(), &ctrl);
    QTest::keyClick(&ctrl, Qt::Key_CapsLock);
    QTest::keyClick(&ctrl, Qt::Key_ScrollLock);
    Frame().UpdateCommandUI();
    EXPECT_EQ(Frame().StatusIndicatorText(caps), QString("CAP"));
    EXPECT_EQ(Frame().StatusIndicatorText(num), QString());
    EXPECT_EQ(Frame().StatusIndicatorText(scroll), QString("SCRL"));
    QTest::keyClick(&ctrl, Qt::Key_CapsLock);
    Frame().UpdateCommandUI();
    EXPECT_EQ(Frame().StatusIndicatorText(caps), QString());
}

TEST_F(MainWindowTest, ToolbarAndStatusBarCanBeHidden) {
    Start();
    QAction* toolbar = Frame().Action(ID_VIEW_TOOLBAR);
    EXPECT_TRUE(toolbar->isChecked());
    toolbar->trigger();
    Settle();
    EXPECT_FALSE(Frame().ToolBar()->isVisible());
    EXPECT_FALSE(toolbar->isChecked());
    Frame().Action(ID_VIEW_STATUS_BAR)->trigger();
    Settle();
    EXPECT_FALSE(Frame().statusBar()->isVisible());
}

}  // namespace
