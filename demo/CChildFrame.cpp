#include "demo/CChildFrame.h"

#include <QCloseEvent>
#include <QMdiArea>

#include "demo/editor/CScintillaDoc.h"
#include "demo/editor/CScintillaView.h"

CChildFrame::CChildFrame(CScintillaView* view, QWidget* parent) : QMdiSubWindow(parent), m_pView(view) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(view);
    if (CScintillaDoc* doc = view->GetDocument())
        connect(doc, &CScintillaDoc::TitleChanged, this, &CChildFrame::UpdateTitle);
    connect(this, &QMdiSubWindow::windowStateChanged, this, [this](Qt::WindowStates before, Qt::WindowStates now) {
        if ((before ^ now) & Qt::WindowActive) m_pView->OnActivateView(now & Qt::WindowActive);
    });
    UpdateTitle();
}

CChildFrame::~CChildFrame() {
    // The view leaves its document only once the base class deletes it, and
    // the document then tells its frames: this one must no longer listen.
    if (CScintillaDoc* doc = m_pView->GetDocument()) disconnect(doc, nullptr, this, nullptr);
    // The base class still changes the window's state on its way out.
    disconnect(this, &QMdiSubWindow::windowStateChanged, this, nullptr);
}

void CChildFrame::UpdateTitle() {
    const CScintillaDoc* doc = m_pView->GetDocument();
    if (!doc) return;
    // Second and later windows on one document are numbered.
    const auto& views = doc->Views();
    QString title = doc->GetTitle();
    if (views.size() > 1) {
        const auto it = std::find(views.begin(), views.end(), m_pView);
        title += QStringLiteral(":%1").arg(it - views.begin() + 1);
    }
    setWindowTitle(title);
}

void CChildFrame::ActivateFrame() {
    if (QMdiArea* area = mdiArea()) area->setActiveSubWindow(this);
    showMaximized();
    m_pView->setFocus();
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    CScintillaDoc* doc = m_pView->GetDocument();
    const bool lastWindow = doc && doc->Views().size() == 1;
    if (lastWindow && !doc->Closing() && !doc->SaveModified()) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}
