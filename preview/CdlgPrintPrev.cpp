#include "preview/CdlgPrintPrev.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QResizeEvent>

#include "common/CqvEx.h"
#include "demo/CHyperLink.h"
#include "preview/CqvWinPreview.h"
#include "preview/QvPreviewGeometry.h"

namespace {

using namespace qv::preview;

// The strip along the top that holds the buttons, and the free band below the
// preview window.
constexpr int kButtonStripHeight = 35;
constexpr int kBottomBand = 20;
// The link keeps this distance from the right edge.
constexpr int kLinkRightGap = 10;

QString IdName(int id) { return QStringLiteral("id%1").arg(id); }

}  // namespace

CdlgPrintPrev::CdlgPrintPrev(CqvReport* report, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_pReport(report) {
    setWindowTitle(QStringLiteral("Print Priview"));
    setSizeGripEnabled(false);

    m_pButtonStrip = new QWidget(this);
    auto* row = new QHBoxLayout(m_pButtonStrip);
    row->setContentsMargins(10, 0, 0, 0);
    row->setSpacing(4);
    AddButton(m_pButtonStrip, kIdPrint, QStringLiteral("&Print..."));
    AddButton(m_pButtonStrip, kIdNumPages, QString());  // its text follows the preview
    AddButton(m_pButtonStrip, kIdZoomIn, QStringLiteral("Zoom &In"));
    AddButton(m_pButtonStrip, kIdZoomOut, QStringLiteral("Zoom &Out"));
    AddButton(m_pButtonStrip, kIdClose, QStringLiteral("&Close"));
    row->addSpacing(40);
    AddButton(m_pButtonStrip, kIdPrevPage, QStringLiteral("<<"));
    m_pPageBox = new QLineEdit(m_pButtonStrip);
    m_pPageBox->setObjectName(IdName(kIdPageNumber));
    m_pPageBox->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), m_pPageBox));
    m_pPageBox->setFixedWidth(48);
    m_pPageBox->setAlignment(Qt::AlignRight);
    row->addWidget(m_pPageBox);
    connect(m_pPageBox, &QLineEdit::returnPressed, this, &CdlgPrintPrev::OnPageEntered);
    AddButton(m_pButtonStrip, kIdNextPage, QStringLiteral(">>"));
    row->addStretch(1);

    m_pLink = new CHyperLink(SiteAddress(), this);
    m_pLink->setObjectName(IdName(kIdHyperLink));
    m_pLink->SetTarget(SiteAddress());

    m_pPreview = new CqvWinPreview(this);
    m_pPreview->setObjectName(QStringLiteral("id123"));
    connect(m_pPreview, &CqvWinPreview::StateChanged, this, &CdlgPrintPrev::UpdateCommandUI);
    connect(m_pPreview, &CqvWinPreview::DrawFailed, this, &CdlgPrintPrev::OnDrawFailed);

    // About 542 x 340 dialog units; it opens maximized anyway.
    resize(820, 560);
    m_bStarted = m_pPreview->Start(m_pReport);
    UpdateCommandUI();
}

CdlgPrintPrev::~CdlgPrintPrev() = default;

QString CdlgPrintPrev::SiteAddress() { return QStringLiteral("https://quorvane.example.org/"); }

QPushButton* CdlgPrintPrev::AddButton(QWidget* strip, int id, const QString& text) {
    auto* button = new QPushButton(text, strip);
    button->setObjectName(IdName(id));
    button->setMinimumWidth(72);
    if (id == kIdPrevPage || id == kIdNextPage) button->setMinimumWidth(44);
    strip->layout()->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this, id] { OnCommand(id); });
    m_buttons[id] = button;
    return button;
}

int CdlgPrintPrev::exec() {
    if (!m_bStarted) return QDialog::Rejected;
    setWindowState(windowState() | Qt::WindowMaximized);
    const int result = QDialog::exec();
    if (m_drawError) throw CqvEx(*m_drawError);
    return result;
}

void CdlgPrintPrev::OnCommand(int id) {
    if (id == kIdPrint || id == kIdClose) {
        done(id);
        return;
    }
    m_pPreview->OnCommand(id);
}

void CdlgPrintPrev::OnPageEntered() {
    bool ok = false;
    const qint64 page = m_pPageBox->text().toLongLong(&ok);
    if (ok) m_pPreview->GoToPage(page);
    m_pPageBox->setModified(false);
    UpdateCommandUI();
}

void CdlgPrintPrev::OnDrawFailed(const QString& message) {
    if (m_drawError) return;
    m_drawError = message.toStdString();
    // Not from inside the paint that failed.
    QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
}

void CdlgPrintPrev::UpdateCommandUI() {
    for (const auto& [id, button] : m_buttons) button->setEnabled(m_pPreview->CommandEnabled(id));
    m_buttons[kIdNumPages]->setText(m_pPreview->CommandText(kIdNumPages));
    // A number being typed is left alone until it is entered.
    if (!(m_pPageBox->hasFocus() && m_pPageBox->isModified()))
        m_pPageBox->setText(m_pPreview->CommandText(kIdPageNumber));
}

void CdlgPrintPrev::keyPressEvent(QKeyEvent* event) {
    // Enter belongs to the focused button alone, which handles it itself. It
    // must not fall through to the dialog's default button, or a page number
    // entered in the page box would start printing.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CdlgPrintPrev::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const int cx = event->size().width();
    const int cy = event->size().height();
    // The link keeps its top and size, 10 pixels from the right edge.
    const QSize link = m_pLink->size();
    int linkTop = m_pLink->y();
    if (linkTop <= 0 || linkTop + link.height() > kButtonStripHeight)
        linkTop = (kButtonStripHeight - link.height()) / 2;
    m_pLink->move(cx - link.width() - kLinkRightGap, linkTop);
    m_pButtonStrip->setGeometry(0, 0, std::max(0, cx - link.width() - 2 * kLinkRightGap), kButtonStripHeight);
    m_pPreview->setGeometry(0, kButtonStripHeight, cx, std::max(0, cy - kButtonStripHeight - kBottomBand));
}
