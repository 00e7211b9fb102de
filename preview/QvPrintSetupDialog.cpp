#include "preview/QvPrintSetupDialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPrinter>
#include <QVBoxLayout>

#include "print/PrinterDiscovery.h"

namespace {

QString FullName(const qv::print::CupsDestination& destination) {
    return QString::fromStdString(destination.FullName());
}

}  // namespace

QvPrintSetupDialog::QvPrintSetupDialog(QPrinter* printer, QWidget* parent) : QPageSetupDialog(printer, parent) {
    setWindowTitle(QString::fromLatin1(kTitle));

    auto* group = new QGroupBox(QStringLiteral("Printer"), this);
    group->setObjectName(QStringLiteral("printerGroup"));
    auto* form = new QFormLayout(group);
    m_pPrinters = new QComboBox(group);
    m_pPrinters->setObjectName(QStringLiteral("printerName"));
    m_pType = new QLabel(group);
    m_pWhere = new QLabel(group);
    m_pComment = new QLabel(group);
    auto* nameLabel = new QLabel(QStringLiteral("&Name:"), group);
    nameLabel->setBuddy(m_pPrinters);
    form->addRow(nameLabel, m_pPrinters);
    form->addRow(QStringLiteral("Type:"), m_pType);
    form->addRow(QStringLiteral("Where:"), m_pWhere);
    form->addRow(QStringLiteral("Comment:"), m_pComment);

    const QString current = printer ? printer->printerName() : QString();
    int chosen = -1;
    for (const qv::print::CupsDestination& destination : qv::print::ListCupsDestinations()) {
        const QString name = FullName(destination);
        m_pPrinters->addItem(
            name,
            QVariant::fromValue(QStringList{
                QString::fromStdString(destination.makeAndModel),
                QString::fromStdString(destination.location.empty() ? destination.deviceUri : destination.location),
                QString::fromStdString(destination.info)}));
        if (name == current || (chosen < 0 && current.isEmpty() && destination.isDefault))
            chosen = m_pPrinters->count() - 1;
    }
    if (m_pPrinters->count() == 0) {
        // Nothing to choose: say why rather than show an empty list.
        const std::string noServer = qv::print::NoPrintServerReason();
        m_pPrinters->setEnabled(false);
        m_pType->setText(noServer.empty()
                             ? QStringLiteral("There is no printer")
                             : QStringLiteral("There is no printer: %1").arg(QString::fromStdString(noServer)));
    } else {
        m_pPrinters->setCurrentIndex(std::max(chosen, 0));
    }
    connect(m_pPrinters, &QComboBox::currentIndexChanged, this, &QvPrintSetupDialog::ShowPrinterFacts);
    ShowPrinterFacts();

    // The platform dialog is the page setup above its buttons; the printer
    // goes first, as one chooses the printer before its paper.
    if (auto* column = qobject_cast<QVBoxLayout*>(layout())) column->insertWidget(0, group);
    // The list was made after the page setup, so in the focus ring it sits
    // between Cancel and the paper: the dialog opens on it, and Tab goes from
    // it down through the page and the buttons and back to it.
    m_pPrinters->setFocus();
}

QString QvPrintSetupDialog::ChosenPrinter() const {
    return m_pPrinters->isEnabled() ? m_pPrinters->currentText() : QString();
}

void QvPrintSetupDialog::ShowPrinterFacts() {
    if (!m_pPrinters->isEnabled()) return;
    const QStringList facts = m_pPrinters->currentData().toStringList();
    m_pType->setText(facts.value(0));
    m_pWhere->setText(facts.value(1));
    m_pComment->setText(facts.value(2));
}

void QvPrintSetupDialog::accept() {
    // The printer first: naming another printer resets the page to that
    // printer's default, and the page setup's own accept then writes the
    // page the user chose.
    if (QPrinter* chosen = printer(); chosen && !ChosenPrinter().isEmpty()) {
        chosen->setOutputFormat(QPrinter::NativeFormat);
        chosen->setPrinterName(ChosenPrinter());
    }
    QPageSetupDialog::accept();
}
