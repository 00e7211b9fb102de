#include "demo/editor/CScintillaFindReplaceDlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <vector>

namespace {

QString IdName(int id) { return QStringLiteral("id%1").arg(id); }

template <typename Widget>
Widget* Named(Widget* widget, int id) {
    widget->setObjectName(IdName(id));
    return widget;
}

}  // namespace

CScintillaFindReplaceDlg::CScintillaFindReplaceDlg(bool findOnly, const QString& findText, const QString& replaceText,
                                                   bool matchCase, bool wholeWord, bool regularExpression,
                                                   bool searchDown, QWidget* parent)
    : QDialog(parent), m_bFindOnly(findOnly) {
    setObjectName(findOnly ? QStringLiteral("id101") : QStringLiteral("id102"));
    setWindowTitle(findOnly ? QStringLiteral("Find") : QStringLiteral("Replace"));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* grid = new QGridLayout(this);
    int row = 0;
    m_pFindWhat = Named(new QLineEdit(findText, this), kIdFindWhat);
    auto* findLabel = new QLabel(QStringLiteral("Fi&nd what:"), this);
    findLabel->setBuddy(m_pFindWhat);
    grid->addWidget(findLabel, row, 0);
    grid->addWidget(m_pFindWhat, row, 1);
    m_pFindNext = Named(new QPushButton(QStringLiteral("&Find Next"), this), kIdFindNext);
    m_pFindNext->setDefault(true);
    grid->addWidget(m_pFindNext, row++, 2);

    if (!findOnly) {
        m_pReplaceWith = Named(new QLineEdit(replaceText, this), kIdReplaceWith);
        auto* replaceLabel = new QLabel(QStringLiteral("Re&place with:"), this);
        replaceLabel->setBuddy(m_pReplaceWith);
        grid->addWidget(replaceLabel, row, 0);
        grid->addWidget(m_pReplaceWith, row, 1);
        m_pReplace = Named(new QPushButton(QStringLiteral("&Replace"), this), kIdReplace);
        grid->addWidget(m_pReplace, row++, 2);
        m_pReplaceAll = Named(new QPushButton(QStringLiteral("Replace &All"), this), kIdReplaceAll);
        grid->addWidget(m_pReplaceAll, row++, 2);
    }

    auto* options = new QVBoxLayout;
    m_pWholeWord = Named(new QCheckBox(QStringLiteral("Match &whole word only"), this), kIdWholeWord);
    m_pMatchCase = Named(new QCheckBox(QStringLiteral("Match &case"), this), kIdMatchCase);
    m_pRegularExpression = Named(new QCheckBox(QStringLiteral("Regular &expression"), this), kIdRegularExpression);
    m_pWholeWord->setChecked(wholeWord);
    m_pMatchCase->setChecked(matchCase);
    m_pRegularExpression->setChecked(regularExpression);
    options->addWidget(m_pWholeWord);
    options->addWidget(m_pMatchCase);
    options->addWidget(m_pRegularExpression);

    auto* lower = new QHBoxLayout;
    lower->addLayout(options);
    // Only the Find dialog lets the search run upwards; Replace always runs down.
    m_pUp = Named(new QRadioButton(QStringLiteral("&Up"), this), kIdUp);
    m_pDown = Named(new QRadioButton(QStringLiteral("&Down"), this), kIdDown);
    (searchDown || !findOnly ? m_pDown : m_pUp)->setChecked(true);
    if (findOnly) {
        auto* direction = new QGroupBox(QStringLiteral("Direction"), this);
        auto* directionRow = new QHBoxLayout(direction);
        directionRow->addWidget(m_pUp);
        directionRow->addWidget(m_pDown);
        lower->addWidget(direction);
    } else {
        m_pUp->hide();
        m_pDown->hide();
    }
    grid->addLayout(lower, row, 0, 1, 2);

    auto* cancel = Named(new QPushButton(QStringLiteral("Cancel"), this), kIdCancel);
    grid->addWidget(cancel, findOnly ? 1 : row, 2, Qt::AlignTop);

    SetReadingOrder(cancel);

    connect(m_pFindNext, &QPushButton::clicked, this, &CScintillaFindReplaceDlg::FindNextRequested);
    if (m_pReplace) connect(m_pReplace, &QPushButton::clicked, this, &CScintillaFindReplaceDlg::ReplaceRequested);
    if (m_pReplaceAll)
        connect(m_pReplaceAll, &QPushButton::clicked, this, &CScintillaFindReplaceDlg::ReplaceAllRequested);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_pFindWhat, &QLineEdit::textChanged, this, &CScintillaFindReplaceDlg::UpdateButtons);
    m_pFindWhat->selectAll();
    m_pFindWhat->setFocus();
    UpdateButtons();
}

void CScintillaFindReplaceDlg::SetReadingOrder(QPushButton* cancel) {
    // The widgets were made row by row, so Tab would go from "Find what" to
    // the button beside it and a replacement typed next would be lost. A
    // keyboard user fills in the form first, then sets the options, then
    // chooses an action, as the dialog reads.
    std::vector<QWidget*> order{m_pFindWhat};
    if (m_pReplaceWith) order.push_back(m_pReplaceWith);
    order.insert(order.end(), {m_pWholeWord, m_pMatchCase, m_pRegularExpression});
    if (m_bFindOnly) order.insert(order.end(), {m_pUp, m_pDown});
    order.push_back(m_pFindNext);
    if (m_pReplace) order.insert(order.end(), {m_pReplace, m_pReplaceAll});
    order.push_back(cancel);
    for (size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void CScintillaFindReplaceDlg::UpdateButtons() {
    // Nothing to look for: nothing to press.
    const bool any = !m_pFindWhat->text().isEmpty();
    m_pFindNext->setEnabled(any);
    if (m_pReplace) m_pReplace->setEnabled(any);
    if (m_pReplaceAll) m_pReplaceAll->setEnabled(any);
}

QString CScintillaFindReplaceDlg::GetFindString() const { return m_pFindWhat->text(); }
QString CScintillaFindReplaceDlg::GetReplaceString() const {
    return m_pReplaceWith ? m_pReplaceWith->text() : QString();
}
bool CScintillaFindReplaceDlg::MatchCase() const { return m_pMatchCase->isChecked(); }
bool CScintillaFindReplaceDlg::MatchWholeWord() const { return m_pWholeWord->isChecked(); }
bool CScintillaFindReplaceDlg::RegularExpression() const { return m_pRegularExpression->isChecked(); }
bool CScintillaFindReplaceDlg::SearchDown() const { return m_pDown->isChecked(); }
