#include "preview/CqvPrintingDialog.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/QvSettings.h"

namespace {

QLabel* MakeItem(QWidget* parent, int id, const QString& text = {}) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("id%1").arg(id));
    return label;
}

QLabel* MakeCaption(QWidget* parent, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

}  // namespace

CqvPrintingDialog::CqvPrintingDialog(QWidget* parent) : QDialog(parent) {
    QvSettings::Instance().abort = false;
    setWindowTitle(QStringLiteral("Process"));
    setModal(false);

    auto* layout = new QVBoxLayout(this);
    // The template's placeholder; the report always replaces it before showing.
    QLabel* status = MakeItem(this, kProgressStatus, QStringLiteral("Pr"));
    status->setAlignment(Qt::AlignCenter);
    layout->addWidget(status);

    auto* grid = new QGridLayout;
    const struct {
        const char* caption;
        int id;
    } rows[] = {{"Document :", kProgressDocument},
                {"Page :", kProgressPage},
                {"Printer :", kProgressPrinter},
                {"Port :", kProgressPort}};
    int row = 0;
    for (const auto& r : rows) {
        grid->addWidget(MakeCaption(this, QString::fromLatin1(r.caption)), row, 0);
        QLabel* item = MakeItem(this, r.id);
        item->setMinimumWidth(160);
        grid->addWidget(item, row, 1);
        ++row;
    }
    layout->addLayout(grid);

    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("id2"));
    connect(cancel, &QPushButton::clicked, this, &CqvPrintingDialog::reject);
    layout->addWidget(cancel, 0, Qt::AlignHCenter);

    // The abort check must notice a quit request that it pumps itself.
    if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
}

CqvPrintingDialog::~CqvPrintingDialog() = default;

QLabel* CqvPrintingDialog::Item(int item) const { return findChild<QLabel*>(QStringLiteral("id%1").arg(item)); }

void CqvPrintingDialog::SetItemText(int item, const std::string& text) {
    if (QLabel* label = Item(item)) label->setText(QString::fromStdString(text));
}

QString CqvPrintingDialog::ItemText(int item) const {
    const QLabel* label = Item(item);
    return label ? label->text() : QString();
}

void CqvPrintingDialog::Show() {
    if (!parentWidget()) {
        // Owned by no window: centre it over the one the user is working in.
        if (const QWidget* owner = QApplication::activeWindow()) {
            adjustSize();
            move(owner->geometry().center() - rect().center());
        }
    }
    show();
    raise();
    // Painted before the long loop starts, not after it.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool CqvPrintingDialog::AbortCheck() {
    QvSettings& settings = QvSettings::Instance();
    if (!settings.abort) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        // A quit stops the loop like a cancel, but is not a cancel.
        if (m_bQuitRequested || QCoreApplication::closingDown()) return false;
    }
    return !settings.abort;
}

void CqvPrintingDialog::reject() {
    QvSettings::Instance().abort = true;
    QDialog::reject();
}

bool CqvPrintingDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Quit && watched == QCoreApplication::instance()) m_bQuitRequested = true;
    return QDialog::eventFilter(watched, event);
}
