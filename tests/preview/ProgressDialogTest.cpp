// The "Process" dialog and its abort check.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "WidgetTestSupport.h"
#include "engine/Progress.h"
#include "engine/QvSettings.h"
#include "preview/CqvPrintingDialog.h"

namespace {

// Swallows quit requests, so that a test can send one without ending the run.
class QuitSwallower : public QObject {
public:
    int swallowed = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Quit) return false;
        ++swallowed;
        return true;
    }
};

TEST(ProgressDialogTest, OpensUncancelledWithItsItemsAndCaption) {
    QvSettings::Instance().abort = true;
    CqvPrintingDialog dialog;
    EXPECT_FALSE(QvSettings::Instance().abort);
    EXPECT_EQ(dialog.windowTitle(), "Process");
    EXPECT_EQ(dialog.ItemText(kProgressStatus), "Pr");
    dialog.SetItemText(kProgressStatus, "Prepare print");
    dialog.SetItemText(kProgressDocument, "dogs.xml");
    dialog.SetItemText(kProgressPage, "12");
    dialog.SetItemText(kProgressPrinter, "Office");
    dialog.SetItemText(kProgressPort, "FILE:");
    EXPECT_EQ(dialog.ItemText(kProgressStatus), "Prepare print");
    EXPECT_EQ(dialog.ItemText(kProgressDocument), "dogs.xml");
    EXPECT_EQ(dialog.ItemText(kProgressPage), "12");
    EXPECT_EQ(dialog.ItemText(kProgressPrinter), "Office");
    EXPECT_EQ(dialog.ItemText(kProgressPort), "FILE:");
    QStringList captions;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        if (label->objectName().isEmpty()) captions << label->text();
    EXPECT_EQ(captions, (QStringList{"Document :", "Page :", "Printer :", "Port :"}));
    dialog.Show();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.isModal());
    EXPECT_TRUE(dialog.AbortCheck());
}

TEST(ProgressDialogTest, CancelButtonAndEscapeSetTheFlagThatStopsTheLoops) {
    for (bool escape : {false, true}) {
        CqvPrintingDialog dialog;
        dialog.Show();
        if (escape) QTest::keyClick(&dialog, Qt::Key_Escape);
        else dialog.findChild<QPushButton*>("id2")->click();
        EXPECT_TRUE(QvSettings::Instance().abort);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_FALSE(dialog.AbortCheck());
        // The next dialog starts afresh.
        CqvPrintingDialog next;
        EXPECT_FALSE(QvSettings::Instance().abort);
        EXPECT_TRUE(next.AbortCheck());
    }
}

TEST(ProgressDialogTest, AbortCheckLetsWaitingEventsRun) {
    CqvPrintingDialog dialog;
    dialog.Show();
    // A click on Cancel still waiting in the queue is handled inside the check.
    QMetaObject::invokeMethod(dialog.findChild<QPushButton*>("id2"), "click", Qt::QueuedConnection);
    EXPECT_FALSE(QvSettings::Instance().abort);
    EXPECT_FALSE(dialog.AbortCheck());
    EXPECT_TRUE(QvSettings::Instance().abort);
}

TEST(ProgressDialogTest, QuitRequestStopsTheLoopWithoutCancelling) {
    QuitSwallower swallower;
    // Installed first, so the dialog's own filter sees the request before it is swallowed.
    QCoreApplication::instance()->installEventFilter(&swallower);
    CqvPrintingDialog dialog;
    dialog.Show();
    QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit));
    EXPECT_FALSE(dialog.AbortCheck());
    EXPECT_FALSE(QvSettings::Instance().abort);
    EXPECT_EQ(swallower.swallowed, 1);
}

}  // namespace
