#include "demo/ClistDialogBar.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "demo/editor/QvCommandIds.h"

ClistDialogBar::ClistDialogBar(int ansiCodePage, QWidget* parent)
    : QDockWidget(QStringLiteral("Demo Reports"), parent), m_entries(ListedDemos(ansiCodePage)) {
    setObjectName(QStringLiteral("id%1").arg(kTemplateId));
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    setAllowedAreas(Qt::AllDockWidgetAreas);

    auto* body = new QWidget(this);
    m_pList = new QListWidget(body);
    m_pList->setObjectName(QStringLiteral("id%1").arg(kListId));
    m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    for (size_t i = 0; i < m_entries.size(); ++i) {
        auto* item = new QListWidgetItem(QString::fromStdString(m_entries[i].name), m_pList);
        item->setData(Qt::UserRole, static_cast<int>(i));
    }

    m_pPreview = new QPushButton(QStringLiteral("Print Preview"), body);
    m_pPreview->setObjectName(QStringLiteral("id%1").arg(ID_FILE_PRINT_PREVIEW));
    m_pPreview->setDefault(true);
    m_pPrint = new QPushButton(QStringLiteral("Print"), body);
    m_pPrint->setObjectName(QStringLiteral("id%1").arg(ID_FILE_PRINT));
    EnableButtons(false, false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_pPreview);
    buttons->addWidget(m_pPrint);
    buttons->addStretch(1);
    auto* column = new QVBoxLayout(body);
    column->addWidget(m_pList, 1);
    column->addLayout(buttons);
    setWidget(body);

    if (!m_entries.empty()) {
        m_pList->setCurrentRow(0);
        m_pCurrent = &m_entries.front();
    }
    connect(m_pList, &QListWidget::currentRowChanged, this, &ClistDialogBar::OnSelChange);
    connect(m_pList, &QListWidget::itemDoubleClicked, this, [this] { emit SendCommand(ID_FILE_PRINT_PREVIEW); });
    connect(m_pPreview, &QPushButton::clicked, this, [this] { emit SendCommand(ID_FILE_PRINT_PREVIEW); });
    connect(m_pPrint, &QPushButton::clicked, this, [this] { emit SendCommand(ID_FILE_PRINT); });
}

void ClistDialogBar::EnableButtons(bool preview, bool print) {
    m_pPreview->setEnabled(preview);
    m_pPrint->setEnabled(print);
}

void ClistDialogBar::OnSelChange(int row) {
    if (row < 0 || row >= static_cast<int>(m_entries.size())) return;
    m_pCurrent = &m_entries[static_cast<size_t>(m_pList->item(row)->data(Qt::UserRole).toInt())];
    emit SendCommand(ID_TEMPLATE_CHANGE);
}
