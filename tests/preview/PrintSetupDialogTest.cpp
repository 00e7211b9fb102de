// File > Print Setup on Qt's offscreen platform, with no print server: a page
// setup with the printer above it, OK and Cancel, and nothing that prints.
#include <cups/cups.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <cstdlib>

#include "WidgetTestSupport.h"
#include "preview/AppPrintHost.h"
#include "preview/QvPrintSetupDialog.h"

namespace {

// Points the CUPS client library at a socket nothing listens on for as long
// as it lives.
class NoPrintServer {
public:
    NoPrintServer() {
        const char* old = std::getenv("CUPS_SERVER");
        m_hadOld = old != nullptr;
        if (old) m_old = old;
        m_socket = m_dir.filePath("no-scheduler.sock").toStdString();
        setenv("CUPS_SERVER", m_socket.c_str(), 1);
        cupsSetServer(nullptr);  // the library keeps what it read before
    }
    ~NoPrintServer() {
        if (m_hadOld) setenv("CUPS_SERVER", m_old.c_str(), 1);
        else unsetenv("CUPS_SERVER");
        cupsSetServer(nullptr);
    }
    NoPrintServer(const NoPrintServer&) = delete;
    NoPrintServer& operator=(const NoPrintServer&) = delete;
    const std::string& Socket() const { return m_socket; }

private:
    QTemporaryDir m_dir;
    std::string m_socket;
    std::string m_old;
    bool m_hadOld = false;
};

TEST(PrintSetupDialog, IsAPageSetupWithThePrinterFirstAndNoPrintButton) {
    NoPrintServer none;
    QPrinter printer;
    QvPrintSetupDialog dialog(&printer);
    EXPECT_EQ(dialog.windowTitle(), "Print Setup");

    // The printer group comes first, above the page setup and the buttons.
    auto* column = qobject_cast<QVBoxLayout*>(dialog.layout());
    ASSERT_TRUE(column);
    ASSERT_GE(column->count(), 3);
    EXPECT_EQ(column->itemAt(0)->widget(), dialog.findChild<QGroupBox*>("printerGroup"));

    // Tab goes from the printer to the paper, and from the last button back
    // to the printer.
    auto* names = dialog.findChild<QComboBox*>("printerName");
    ASSERT_TRUE(names);
    const auto nextStop = [](QWidget* from) {
        QWidget* w = from->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus)) w = w->nextInFocusChain();
        return w;
    };
    EXPECT_EQ(nextStop(names)->objectName(), "pageSizeCombo");
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    ASSERT_TRUE(buttons);
    EXPECT_EQ(nextStop(buttons->button(QDialogButtonBox::Cancel)), names);

    EXPECT_EQ(buttons->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
        EXPECT_FALSE(button->text().contains("Print", Qt::CaseInsensitive)) << button->text().toStdString();

    // With nothing to choose the list says why instead of standing empty.
    EXPECT_FALSE(names->isEnabled());
    EXPECT_EQ(dialog.ChosenPrinter(), QString());
    bool said = false;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        said |=
            label->text() == QString::fromStdString("There is no printer: no print server answers at " + none.Socket());
    EXPECT_TRUE(said);
}

TEST(PrintSetupDialog, APrintHostWithoutAKnownChoiceStartsOnTheDefault) {
    NoPrintServer none;
    AppPrintHost host;
    host.SetPreferredPrinter("gone-since-setup");
    QvPrintDialog dialog;
    dialog.deviceName = "stale";
    // The print dialog still opens: printing to a file needs no printer.
    EXPECT_TRUE(host.DefaultPrinter(dialog));
    EXPECT_EQ(dialog.deviceName, "");
}

}  // namespace
