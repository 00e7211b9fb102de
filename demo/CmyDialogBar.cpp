#include "demo/CmyDialogBar.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QTabBar>

#include "demo/editor/QvCommandIds.h"

namespace {

// A slim grip in place of the dock's title: the bar is dragged by it to any
// side of the window, and the tabs keep the whole height.
class BarGrip : public QWidget {
public:
    explicit BarGrip(QWidget* parent) : QWidget(parent) { setFixedWidth(8); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QColor light = palette().color(QPalette::Light);
        const QColor dark = palette().color(QPalette::Mid);
        for (int x : {2, 5}) {
            p.setPen(dark);
            p.drawLine(x, 3, x, height() - 4);
            p.setPen(light);
            p.drawLine(x + 1, 3, x + 1, height() - 4);
        }
    }
};

}  // namespace

CmyDialogBar::CmyDialogBar(QWidget* parent) : QDockWidget(QStringLiteral("Sources"), parent) {
    setObjectName(QStringLiteral("id%1").arg(kTemplateId));
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable |
                QDockWidget::DockWidgetVerticalTitleBar);
    setAllowedAreas(Qt::AllDockWidgetAreas);
    setTitleBarWidget(new BarGrip(this));

    auto* body = new QWidget(this);
    m_pTabs = new QTabBar(body);
    m_pTabs->setObjectName(QStringLiteral("id%1").arg(kTabControlId));
    // The strip spans the whole bar; the tabs keep their natural width.
    m_pTabs->setExpanding(false);
    m_pTabs->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_pTabs->insertTab(0, QStringLiteral("XML Data"));
    m_pTabs->insertTab(1, QStringLiteral("Xml Template"));
    // Inserted "at 3", past the end: it lands at index 2.
    m_pTabs->insertTab(3, QStringLiteral("Template DTD"));
    m_pTabs->setCurrentIndex(0);
    auto* row = new QHBoxLayout(body);
    row->setContentsMargins(0, 3, 0, 0);
    row->addWidget(m_pTabs);
    setWidget(body);

    connect(m_pTabs, &QTabBar::currentChanged, this, &CmyDialogBar::OnSelChange);
}

int CmyDialogBar::CurrentSelection() const { return m_pTabs->currentIndex(); }

void CmyDialogBar::OnSelChange(int /*index*/) { emit SendCommand(ID_TAB_CHANGE); }
