// The editor wrapper on its own: loading and saving a file through the
// control, the modified state, read-only files, find and replace, and the
// demo view's set-up and hooks.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>

#include "demo/editor/CScintillaCtrl.h"
#include "demo/editor/CScintillaDemoDoc.h"
#include "demo/editor/CScintillaDemoView.h"
#include "demo/editor/QvCommandIds.h"
#include "../preview/WidgetTestSupport.h"

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        CScintillaView::EditState() = SCINTILLA_EDIT_STATE{};
        m_view = std::make_unique<CScintillaDemoView>();
        m_doc.AddView(m_view.get());
        m_view->OnInitialUpdate();
        m_view->resize(600, 400);
    }

    QString Path(const QString& name) const { return m_dir.filePath(name); }
    CScintillaCtrl& Ctrl() { return m_view->GetCtrl(); }
    QByteArray Text() { return Ctrl().GetText(); }
    // Loads `text` from a file of that name.
    void Load(const QByteArray& text, const QString& name = "text.xml") {
        WriteAll(Path(name), text);
        ASSERT_TRUE(m_doc.OnOpenDocument(Path(name))) << m_doc.LastError().toStdString();
    }

    QTemporaryDir m_dir;
    CScintillaDemoDoc m_doc;
    std::unique_ptr<CScintillaDemoView> m_view;
};

TEST_F(EditorTest, LoadsEveryByteOfAFileLongerThanOneBlock) {
    QByteArray bytes;
    for (int i = 0; i < 10000; ++i) bytes.append(static_cast<char>(1 + (i * 7) % 255));
    bytes.append("\r\nend");
    Load(bytes);
    EXPECT_EQ(Ctrl().GetLength(), bytes.size());
    EXPECT_EQ(Text(), bytes);
    // A fresh load: nothing to undo, unmodified, caret at the start.
    EXPECT_FALSE(Ctrl().CanUndo());
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_EQ(Ctrl().GetCurrentPos(), 0);
    EXPECT_EQ(m_doc.GetTitle(), QString("text.xml"));
}

TEST_F(EditorTest, LoadingAnotherFileReplacesTheText) {
    Load("first text, rather long");
    Load("second", "other.xml");
    EXPECT_EQ(Text(), QByteArray("second"));
    EXPECT_FALSE(Ctrl().CanUndo());
}

TEST_F(EditorTest, AMissingFileFailsWithItsPath) {
    EXPECT_FALSE(m_doc.OnOpenDocument(Path("absent.xml")));
    EXPECT_TRUE(m_doc.LastError().contains(Path("absent.xml"))) << m_doc.LastError().toStdString();
    EXPECT_FALSE(m_doc.OnOpenDocument(m_dir.path()));
}

TEST_F(EditorTest, SavesTheTextByteForByteAcrossBlocks) {
    QByteArray bytes;
    for (int i = 0; i < 9000; ++i) bytes.append(static_cast<char>('a' + i % 26));
    Load(bytes);
    Ctrl().GotoPos(4095);
    Ctrl().AddText(3, "XYZ");
    EXPECT_TRUE(m_doc.IsModified());
    ASSERT_TRUE(m_doc.OnSaveDocument(Path("copy.xml"))) << m_doc.LastError().toStdString();
    EXPECT_EQ(ReadAll(Path("copy.xml")), bytes.left(4095) + "XYZ" + bytes.mid(4095));
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_FALSE(Ctrl().GetModify());
}

TEST_F(EditorTest, AFailedSaveLeavesTheOldFileWhole) {
    const QByteArray old = "<old>kept</old>";
    Load(old);
    QByteArray big(64 * 1024, 'n');
    Ctrl().AddText(big.size(), big.constData());

    // A file-size limit makes the write fail half-way, as a full disk would.
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 16 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved_ok = m_doc.OnSaveDocument(Path("text.xml"));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(saved_ok);
    EXPECT_TRUE(m_doc.LastError().contains("was not changed")) << m_doc.LastError().toStdString();
    EXPECT_EQ(ReadAll(Path("text.xml")), old);
    EXPECT_TRUE(m_doc.IsModified());
    // No half-written temporary file is left beside it.
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"text.xml"});
}

TEST_F(EditorTest, ReadOnlyComesFromThePermissionBits) {
    struct Case {
        QFile::Permissions permissions;
        bool readOnly;
    } cases[] = {
        {QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther, true},  // 0444: read-only even for root
        {QFile::ReadOwner, true},
        {QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup, false},
        {QFile::ReadOwner | QFile::WriteGroup, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString name = QString("f%1.xml").arg(n++);
        WriteAll(Path(name), "<a/>");
        ASSERT_TRUE(QFile::setPermissions(Path(name), c.permissions));
        EXPECT_EQ(CScintillaDoc::FileIsReadOnly(Path(name)), c.readOnly) << name.toStdString();
        ASSERT_TRUE(m_doc.OnOpenDocument(Path(name)));
        EXPECT_EQ(Ctrl().GetReadOnly(), c.readOnly) << name.toStdString();
    }
    EXPECT_TRUE(CScintillaDoc::PermissionsReadOnly(0444));
    EXPECT_TRUE(CScintillaDoc::PermissionsReadOnly(0500));
    EXPECT_FALSE(CScintillaDoc::PermissionsReadOnly(0602));
}

TEST_F(EditorTest, ReadOnlyTextRefusesEditsAndASaveMakesItWritable) {
    Load("<locked/>", "locked.xml");
    ASSERT_TRUE(QFile::setPermissions(Path("locked.xml"), QFile::ReadOwner | QFile::ReadGroup));
    ASSERT_TRUE(m_doc.OnOpenDocument(Path("locked.xml")));
    ASSERT_TRUE(Ctrl().GetReadOnly());
    QTest::keyClicks(&Ctrl(), "abc");
    EXPECT_EQ(Text(), QByteArray("<locked/>"));

    ASSERT_TRUE(m_doc.OnSaveDocument(Path("elsewhere.xml")));
    EXPECT_FALSE(Ctrl().GetReadOnly());
    EXPECT_EQ(ReadAll(Path("elsewhere.xml")), QByteArray("<locked/>"));
}

TEST_F(EditorTest, ModifiedStateFollowsEditsAndTheFlag) {
    Load("<a/>");
    EXPECT_FALSE(m_doc.IsModified());
    m_doc.SetModifiedFlag(true);
    EXPECT_TRUE(m_doc.IsModified());
    m_doc.SetModifiedFlag(false);
    EXPECT_FALSE(m_doc.IsModified());
    Ctrl().AddText(1, "x");
    EXPECT_TRUE(m_doc.IsModified());
    // Clearing the flag sets the control's save point too.
    m_doc.SetModifiedFlag(false);
    EXPECT_FALSE(Ctrl().GetModify());
    Ctrl().Undo();
    EXPECT_TRUE(m_doc.IsModified());
}

TEST_F(EditorTest, SaveIsOfferedOnlyBetweenLeavingAndReachingTheSavePoint) {
    Load("<a/>");
    EXPECT_FALSE(m_view->SaveEnabled());
    EXPECT_EQ(m_view->CommandUpdate(ID_FILE_SAVE), false);
    QTest::keyClicks(&Ctrl(), "z");
    EXPECT_TRUE(m_view->SaveEnabled());
    Ctrl().Undo();
    EXPECT_FALSE(m_view->SaveEnabled());
    Ctrl().Redo();
    EXPECT_TRUE(m_view->SaveEnabled());
    ASSERT_TRUE(m_doc.OnSaveDocument(Path("text.xml")));
    EXPECT_FALSE(m_view->SaveEnabled());
    EXPECT_EQ(ReadAll(Path("text.xml")), QByteArray("z<a/>"));
}

TEST_F(EditorTest, FindMovesFromHitToHitAndBack) {
    Load("Block one, block two, BLOCK three, blocks");
    ASSERT_TRUE(m_view->FindText("block", true, false, false, false));
    EXPECT_EQ(Ctrl().GetSelectionStart(), 0);
    EXPECT_EQ(Ctrl().GetSelectionEnd(), 5);
    ASSERT_TRUE(m_view->FindText("block", true, false, false, false));
    EXPECT_EQ(Ctrl().GetSelectionStart(), 11);
    ASSERT_TRUE(m_view->FindText("block", true, true, false, false));  // match case
    EXPECT_EQ(Ctrl().GetSelectionStart(), 35);
    ASSERT_TRUE(m_view->FindText("block", false, false, true, false));  // up, whole word
    EXPECT_EQ(Ctrl().GetSelectionStart(), 22);
    ASSERT_TRUE(m_view->FindText("b[a-z]+k", true, false, false, true));  // regular expression
    EXPECT_EQ(Ctrl().GetSelectionStart(), 35);
    EXPECT_FALSE(m_view->FindText("block", true, false, true, false));  // no whole word "block" after it
    EXPECT_EQ(Ctrl().GetSelectionStart(), 35);
}

TEST_F(EditorTest, NothingFoundBeepsAndLeavesTheSelection) {
    Load("alpha beta");
    QSignalSpy beeps(m_view.get(), &CScintillaView::TextNotFound);
    Ctrl().SetSel(6, 10);
    m_view->OnFindNext("gamma", true, false, false, false);
    EXPECT_EQ(beeps.count(), 1);
    EXPECT_EQ(Ctrl().GetSelectionStart(), 6);
    EXPECT_EQ(Ctrl().GetSelectionEnd(), 10);
}

TEST_F(EditorTest, ReplaceAllWithoutHitsChangesNothingAndBeepsOnce) {
    Load("<Dogs><Dog name=\"Rex\"/></Dogs>");
    QSignalSpy beeps(m_view.get(), &CScintillaView::TextNotFound);
    m_view->OnReplaceAll("Cat", "Dog", false, false, false);
    EXPECT_EQ(Text(), QByteArray("<Dogs><Dog name=\"Rex\"/></Dogs>"));
    EXPECT_EQ(beeps.count(), 1);
    EXPECT_FALSE(m_doc.IsModified());
}

TEST_F(EditorTest, ReplaceAllEndsWhateverTheReplacementOrExpression) {
    struct Case {
        const char* text;
        const char* find;
        const char* replacement;
        bool matchCase;
        bool regularExpression;
        const char* expected;
    } cases[] = {
        {"banana", "a", "aa", false, false, "baanaanaa"},  // the replacement contains the find text
        {"Dog dog DOG", "dog", "cat", false, false, "cat cat cat"},
        {"Dog dog DOG", "dog", "cat", true, false, "Dog cat DOG"},
        {"id 12, id 345", "[0-9]+", "#", false, true, "id #, id #"},
    };
    for (const Case& c : cases) {
        Load(c.text);
        m_view->OnReplaceAll(c.find, c.replacement, c.matchCase, false, c.regularExpression);
        EXPECT_EQ(Text(), QByteArray(c.expected)) << c.text << " / " << c.find;
    }
    // An expression that matches nothing at all still ends.
    Load("abc");
    m_view->OnReplaceAll("x*", "-", false, false, true);
    EXPECT_TRUE(Text().contains('a') && Text().contains('c'));
}

TEST_F(EditorTest, ReplaceReplacesTheSelectedHitAndFindsTheNext) {
    Load("one two one two");
    ASSERT_TRUE(m_view->FindText("two", true, false, false, false));
    m_view->OnReplaceSel("two", true, false, false, false, "2");
    EXPECT_EQ(Text(), QByteArray("one 2 one two"));
    EXPECT_EQ(Ctrl().GetTextRange(Ctrl().GetSelectionStart(), Ctrl().GetSelectionEnd()), QByteArray("two"));
    // A selection that is not the find text is left alone; the search moves on.
    Ctrl().SetSel(0, 3);
    m_view->OnReplaceSel("two", true, false, false, false, "2");
    EXPECT_EQ(Text(), QByteArray("one 2 one two"));
}

TEST_F(EditorTest, DemoViewLooksAsTheApplicationWants) {
    Load("<a b=\"c\"/>");
    CScintillaCtrl& c = Ctrl();
    EXPECT_EQ(c.GetLexer(), 5);
    EXPECT_EQ(c.GetTabWidth(), 2);
    EXPECT_EQ(c.GetMarginWidthN(0), 32);
    EXPECT_EQ(c.StyleGetFore(CScintillaDemoView::kStyleXmlTag), CScintillaCtrl::Rgb(0, 0, 255));
    EXPECT_EQ(c.StyleGetFore(CScintillaDemoView::kStyleXmlAttribute), CScintillaCtrl::Rgb(200, 0, 0));
    EXPECT_EQ(c.StyleGetFore(CScintillaDemoView::kStyleXmlDoubleString), CScintillaCtrl::Rgb(255, 50, 255));
    EXPECT_EQ(c.StyleGetFore(CScintillaDemoView::kStyleXmlTagUnknown), CScintillaCtrl::Rgb(0, 222, 222));
    EXPECT_EQ(c.Call(QsciScintillaBase::SCI_STYLEGETSIZE, CScintillaDemoView::kStyleDefault), 10);
    EXPECT_TRUE(c.HasDirectCall());
}

TEST_F(EditorTest, TypingScintillaIsOffersTheCompletionList) {
    Load("");
    m_view->show();
    QTest::keyClicks(&Ctrl(), "Scintilla i");
    EXPECT_FALSE(Ctrl().AutoCActive());
    QTest::keyClicks(&Ctrl(), "s ");
    EXPECT_TRUE(Ctrl().AutoCActive());
}

TEST_F(EditorTest, ASecondViewShowsTheSameText) {
    Load("<shared/>");
    auto second = std::make_unique<CScintillaDemoView>();
    m_doc.AddView(second.get());
    EXPECT_EQ(second->GetCtrl().GetText(), QByteArray("<shared/>"));
    second->GetCtrl().AddText(1, "!");
    EXPECT_EQ(Text(), QByteArray("!<shared/>"));
    EXPECT_EQ(m_doc.Views().size(), 2u);
    second.reset();
    EXPECT_EQ(m_doc.Views().size(), 1u);
}

// ---------------------------------------------------------------- code pages

// A demo file copied beside the test's files, so that saving never touches the sources.
QString CopyDemoFile(const QString& dir, const QString& name) {
    const QString target = dir + "/" + name;
    QFile::remove(target);
    EXPECT_TRUE(QFile::copy(QStringLiteral(QV_SOURCE_DIR "/DemoFiles/") + name, target)) << name.toStdString();
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

TEST_F(EditorTest, TheRussianDemosShowInCyrillicAndSaveUnchangedToTheSameBytes) {
    const struct {
        const char* file;
        const char* word;
    } cases[] = {
        {"nakladn.xml", "Товарная накладная"},
        {"nakladn.qvrp", "Накладная"},
        {"sfactura.xml", "Счёт-фактура"},
        {"sfactura.qvrp", "Счёт фактура"},
    };
    for (const auto& c : cases) {
        const QString path = CopyDemoFile(m_dir.path(), c.file);
        const QByteArray original = ReadAll(path);
        ASSERT_TRUE(m_doc.OnOpenDocument(path)) << m_doc.LastError().toStdString();
        EXPECT_EQ(m_doc.SourceCodePage(), 1251) << c.file;
        EXPECT_EQ(Ctrl().GetCodePage(), 65001) << c.file;
        EXPECT_TRUE(QString::fromUtf8(Text()).contains(QString::fromUtf8(c.word))) << c.file;
        // The editor holds UTF-8: more bytes than the file for every Cyrillic letter.
        EXPECT_GT(Text().size(), original.size()) << c.file;
        ASSERT_TRUE(m_doc.OnSaveDocument(path)) << m_doc.LastError().toStdString();
        EXPECT_EQ(ReadAll(path), original) << c.file;
    }
}

TEST_F(EditorTest, ATypedCyrillicLetterIsSavedInTheFilesCodePage) {
    const QString path = CopyDemoFile(m_dir.path(), "sfactura.qvrp");
    const QByteArray original = ReadAll(path);
    ASSERT_TRUE(m_doc.OnOpenDocument(path));
    const long afterDeclaration = Text().indexOf('\n') + 1;
    Ctrl().GotoPos(afterDeclaration);
    m_view->show();
    // Typed as a keyboard gives them (QTest's key clicks know ASCII only):
    // in its UTF-8 mode the component takes any character.
    for (const QChar c : QString::fromUtf8("<!--Ёж-->"))
        QTest::sendKeyEvent(QTest::Click, &Ctrl(), Qt::Key_unknown, QString(c), Qt::NoModifier);
    ASSERT_TRUE(m_doc.OnSaveDocument(path)) << m_doc.LastError().toStdString();
    // Ё and ж are 0xA8 and 0xE6 in windows-1251.
    EXPECT_EQ(ReadAll(path), original.left(afterDeclaration) + "<!--\xA8\xE6-->" + original.mid(afterDeclaration));
}

TEST_F(EditorTest, ACharacterTheCodePageCannotHoldIsRefusedWithAMessageAndTheFileKept) {
    const QString path = CopyDemoFile(m_dir.path(), "sfactura.qvrp");
    const QByteArray original = ReadAll(path);
    ASSERT_TRUE(m_doc.OnOpenDocument(path));
    const long secondLine = Text().indexOf('\n') + 1;
    Ctrl().GotoPos(secondLine);
    const QByteArray han = QString::fromUtf8("漢").toUtf8();
    Ctrl().AddText(han.size(), han.constData());
    ASSERT_TRUE(m_doc.IsModified());

    QString message;
    qvtest::ModalDriver driver([&message](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) message = box->text();
        modal->close();
    });
    EXPECT_FALSE(m_doc.DoFileSave());
    EXPECT_EQ(driver.Seen(), 1);
    for (const char* part :
         {"\"漢\" (U+6F22)", "line 2, column 1", "code page 1251 (windows-1251)", "The file was not changed."})
        EXPECT_TRUE(message.contains(QString::fromUtf8(part))) << message.toStdString();
    EXPECT_TRUE(message.contains(path)) << message.toStdString();
    EXPECT_EQ(ReadAll(path), original);
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"sfactura.qvrp"});
}

TEST_F(EditorTest, Utf8AndUndeclaredFilesAreHeldAsTheirBytes) {
    const QString utf8 = CopyDemoFile(m_dir.path(), "utf8.qvrp");
    const QString utf8Data = CopyDemoFile(m_dir.path(), "utf8.xml");
    WriteAll(Path("latin1.xml"), "<a>caf\xE9 \x98\xFF</a>\r\n");
    const struct {
        QString path;
        int codePage;
    } cases[] = {{utf8, 65001}, {utf8Data, 65001}, {Path("latin1.xml"), 0}};
    for (const auto& c : cases) {
        const QByteArray original = ReadAll(c.path);
        ASSERT_TRUE(m_doc.OnOpenDocument(c.path)) << m_doc.LastError().toStdString();
        EXPECT_EQ(m_doc.SourceCodePage(), 0) << c.path.toStdString();
        EXPECT_EQ(Ctrl().GetCodePage(), c.codePage) << c.path.toStdString();
        EXPECT_EQ(Text(), original) << c.path.toStdString();
        ASSERT_TRUE(m_doc.OnSaveDocument(c.path)) << m_doc.LastError().toStdString();
        EXPECT_EQ(ReadAll(c.path), original) << c.path.toStdString();
    }
    EXPECT_TRUE(QString::fromUtf8(ReadAll(utf8Data)).contains(QString::fromUtf8("Доброе")));
}

}  // namespace
