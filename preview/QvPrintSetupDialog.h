#pragma once
// File > Print Setup: the platform's page setup dialog with the choice of
// printer above it. OK writes the printer and the page into the QPrinter it
// was given; the application's next print starts from that printer.
#include <QPageSetupDialog>

class QComboBox;
class QLabel;
class QPrinter;

class QvPrintSetupDialog : public QPageSetupDialog {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Print Setup";

    QvPrintSetupDialog(QPrinter* printer, QWidget* parent = nullptr);

    // The printer chosen in the list; empty when there is none to choose.
    QString ChosenPrinter() const;

    void accept() override;

private:
    void ShowPrinterFacts();

    QComboBox* m_pPrinters = nullptr;
    QLabel* m_pType = nullptr;
    QLabel* m_pWhere = nullptr;
    QLabel* m_pComment = nullptr;
};
