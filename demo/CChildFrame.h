#pragma once
// The MDI window around one editor view. It shows maximized whenever it is
// brought up, carries its document's title, and asks to save a changed text
// before the document's last window closes.
#include <QMdiSubWindow>

class CScintillaView;

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    // Takes the view as its widget.
    explicit CChildFrame(CScintillaView* view, QWidget* parent = nullptr);
    ~CChildFrame() override;

    CScintillaView* GetActiveView() const { return m_pView; }
    // Shows the window maximized and makes it the active one.
    void ActivateFrame();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void UpdateTitle();

    CScintillaView* m_pView;  // child widget
};
