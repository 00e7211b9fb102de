#pragma once
// A started demonstration application on a private copy of the demo files,
// with its settings in a private folder, and the helpers its tests share.
#include <gtest/gtest.h>

#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "demo/CQuorvaneDemoApp.h"

class CMainFrame;
class CScintillaDoc;
class CScintillaView;

namespace qvapptest {

class AppTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Starts the application: the first demo's data file opens.
    void Start(int ansiCodePage = 1252, QvAppOptions::PrintHostFactory factory = {});

    CQuorvaneDemoApp& App() { return *m_app; }
    CMainFrame& Frame();
    // The application directory and a file under it.
    QString AppDir() const { return m_dir.path(); }
    QString DemoFile(const QString& name) const { return m_dir.filePath("DemoFiles/" + name); }

    CScintillaView* ActiveView();
    CScintillaDoc* ActiveDoc();
    // The file of the active editor window, relative to DemoFiles/ when it is there.
    QString ActiveFile();
    int WindowCount();
    // Picks a demo in the list or a tab, as a click would.
    void ChooseDemo(const QString& name);
    void ChooseTab(int index);
    // Lets queued updates run.
    static void Settle();

private:
    static QTemporaryDir* SettingsDir();

    QTemporaryDir m_dir;
    std::unique_ptr<CQuorvaneDemoApp> m_app;
};

}  // namespace qvapptest
