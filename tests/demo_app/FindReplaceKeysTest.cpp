// The find and replace dialogs driven only by keys, as a keyboard user meets
// them: Tab walks the dialog in its reading order, and a replacement typed
// after one Tab from "Find what" is what Replace All writes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "demo/editor/CScintillaCtrl.h"
#include "demo/editor/CScintillaDemoDoc.h"
#include "demo/editor/CScintillaDemoView.h"
#include "demo/editor/CScintillaFindReplaceDlg.h"

namespace {

class FindReplaceKeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        CScintillaView::EditState() = SCINTILLA_EDIT_STATE{};
        m_view = std::make_unique<CScintillaDemoView>();
        m_doc.AddView(m_view.get());
        m_view->OnInitialUpdate();
        m_view->resize(600, 400);
        m_view->show();
    }

    void Load(const QByteArray& text) {
        QFile file(m_dir.filePath("text.xml"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(text), text.size());
        file.close();
        ASSERT_TRUE(m_doc.OnOpenDocument(m_dir.filePath("text.xml"))) << m_doc.LastError().toStdString();
    }

    // Opens the dialog as Ctrl+F or Ctrl+H does and waits until it has the keyboard.
    CScintillaFindReplaceDlg* Open(bool findOnly) {
        findOnly ? m_view->OnEditFind() : m_view->OnEditReplace();
        CScintillaFindReplaceDlg* dialog = CScintillaView::EditState().pFindReplaceDlg;
        if (!dialog) return nullptr;
        QApplication::setActiveWindow(dialog);
        if (!QTest::qWaitForWindowActive(dialog, 5000)) return nullptr;
        return dialog;
    }

    // The focused control by id; the two direction buttons are one stop.
    static QString Focused() {
        QWidget* focus = QApplication::focusWidget();
        if (!focus) return QStringLiteral("<none>");
        const QString name = focus->objectName();
        return name == "id1056" || name == "id1057" ? QStringLiteral("direction") : name;
    }

    static void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
    }

    // The controls Tab visits from the focused one until it comes back.
    static QStringList TabWalk() {
        QStringList walk{Focused()};
        for (int i = 0; i < 20; ++i) {
            Key(Qt::Key_Tab);
            if (Focused() == walk.front()) break;
            walk << Focused();
        }
        return walk;
    }

    QByteArray Text() { return m_view->GetCtrl().GetText(); }

    QTemporaryDir m_dir;
    CScintillaDemoDoc m_doc;
    std::unique_ptr<CScintillaDemoView> m_view;
};

TEST_F(FindReplaceKeysTest, TabFollowsTheReadingOrderBothWays) {
    Load("<Dogs/>");
    const struct {
        bool findOnly;
        QStringList order;  // from "Find what", by control id
    } cases[] = {
        // Find what, whole word, match case, regular expression, the direction, Find Next, Cancel.
        {true, {"id1152", "id1040", "id1041", "id1042", "direction", "id1", "id2"}},
        // Find what, Replace with, the options, Find Next, Replace, Replace All, Cancel.
        {false, {"id1152", "id1153", "id1040", "id1041", "id1042", "id1", "id1024", "id1025", "id2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.findOnly ? "Find" : "Replace");
        CScintillaFindReplaceDlg* dialog = Open(c.findOnly);
        ASSERT_TRUE(dialog);
        // Something to look for, so every button takes part.
        QTest::keyClicks(QApplication::focusWidget(), "Dogs");
        EXPECT_EQ(TabWalk().join(' ').toStdString(), c.order.join(' ').toStdString());
        // Shift+Tab retraces the same steps backwards.
        ASSERT_EQ(Focused(), c.order.front());
        QStringList back;
        for (qsizetype i = 1; i < c.order.size(); ++i) {
            Key(Qt::Key_Backtab, Qt::ShiftModifier);
            back.prepend(Focused());
        }
        back.prepend(c.order.front());
        EXPECT_EQ(back.join(' ').toStdString(), c.order.join(' ').toStdString());
        dialog->close();
        QApplication::processEvents();
    }
}

TEST_F(FindReplaceKeysTest, AReplacementTypedAfterOneTabIsWhatReplaceAllWrites) {
    Load("<Dog name=\"Rex\"/><Dog name=\"Max\"/>");
    CScintillaFindReplaceDlg* dialog = Open(false);
    ASSERT_TRUE(dialog);
    ASSERT_EQ(Focused(), "id1152");
    QTest::keyClicks(QApplication::focusWidget(), "Dog");
    Key(Qt::Key_Tab);
    ASSERT_EQ(Focused(), "id1153");
    QTest::keyClicks(QApplication::focusWidget(), "Cat");
    // On to Replace All and press it with the space bar.
    for (int i = 0; i < 10 && Focused() != "id1025"; ++i) Key(Qt::Key_Tab);
    ASSERT_EQ(Focused(), "id1025");
    Key(Qt::Key_Space);
    EXPECT_EQ(Text(), QByteArray("<Cat name=\"Rex\"/><Cat name=\"Max\"/>"));
    // The dialog remembers both texts for the next time it opens.
    EXPECT_EQ(CScintillaView::EditState().strFind, QString("Dog"));
    EXPECT_EQ(CScintillaView::EditState().strReplace, QString("Cat"));

    dialog->close();
}

}  // namespace
