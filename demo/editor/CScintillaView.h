#pragma once
// A view that hosts one editing control filling its area and carries the edit,
// find and replace commands. The component's notifications arrive at one
// overridable handler each.
#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "demo/editor/QvCommandTarget.h"
#include "demo/editor/ScintillaFindRules.h"

class CScintillaCtrl;
class CScintillaDoc;
class CScintillaFindReplaceDlg;
class QMdiSubWindow;

// The find state all views share: at most one find or replace dialog is open
// in the process, and the last search is repeated by Find Next in any view.
struct SCINTILLA_EDIT_STATE {
    QPointer<CScintillaFindReplaceDlg> pFindReplaceDlg;
    bool bFindOnly = true;
    QString strFind;
    QString strReplace;
    bool bCase = false;
    bool bWord = false;
    bool bRegularExpression = false;
    bool bNext = true;  // searching down
};

class CScintillaView : public QWidget, public QvCommandTarget {
    Q_OBJECT
public:
    // The control's child id.
    static constexpr int kControlId = 1011;

    explicit CScintillaView(QWidget* parent = nullptr);
    ~CScintillaView() override;

    CScintillaCtrl& GetCtrl() const { return *m_pCtrl; }
    CScintillaDoc* GetDocument() const { return m_pDocument; }
    // Called by the document when it takes or drops the view.
    void SetDocument(CScintillaDoc* document) { m_pDocument = document; }
    // The MDI window around the view, if any.
    QMdiSubWindow* GetParentFrame() const;

    // Once the view is attached to its document and before its text loads.
    virtual void OnInitialUpdate() {}
    // The view's window became active or inactive.
    virtual void OnActivateView(bool activate);

    static SCINTILLA_EDIT_STATE& EditState();

    // Commands
    bool HasCommandHandler(int id) const override;
    std::optional<bool> CommandUpdate(int id) const override;
    bool OnCommand(int id) override;
    EditorFacts Facts() const;

    void OnEditFind() { OnEditFindReplace(true); }
    void OnEditReplace() { OnEditFindReplace(false); }
    // Find Next: the last search again, with the last options.
    void OnEditRepeat();

    // One search from the selection; selects the hit. False: nothing found.
    bool FindText(const QString& text, bool next, bool matchCase, bool wholeWord, bool regularExpression);
    void OnFindNext(const QString& text, bool next, bool matchCase, bool wholeWord, bool regularExpression);
    void OnReplaceSel(const QString& findText, bool next, bool matchCase, bool wholeWord, bool regularExpression,
                      const QString& replaceText);
    void OnReplaceAll(const QString& findText, const QString& replaceText, bool matchCase, bool wholeWord,
                      bool regularExpression);

signals:
    // A search found nothing (the view beeps as well).
    void TextNotFound();
    // Something that commands depend on may have changed.
    void CommandStateChanged();

protected:
    // The text as the component holds it, in the document's code page.
    QByteArray ToBytes(const QString& text) const;
    QString FromBytes(const QByteArray& bytes) const;

    void OnEditFindReplace(bool findOnly);
    virtual void OnTextNotFound(const QString& text);
    // Moves the find dialog off the selection.
    void AdjustFindDialogPosition();
    bool SameAsSelected(const QString& findText, bool matchCase, bool regularExpression) const;

    void changeEvent(QEvent* event) override;

    // The component's notifications 2000 to 2022, one handler each (2005, 2012
    // and 2015 are not dispatched; the component reports no zoom, 2018).
    virtual void OnStyleNeeded(int /*endPosition*/) {}
    virtual void OnCharAdded(int /*character*/) {}
    virtual void OnSavePointReached() {}
    virtual void OnSavePointLeft() {}
    virtual void OnModifyAttemptRO() {}
    virtual void OnDoubleClick(int /*position*/, int /*line*/, int /*modifiers*/) {}
    virtual void OnUpdateUI(int /*updated*/) {}
    virtual void OnModified(int /*position*/, int /*modificationType*/) {}
    virtual void OnMacroRecord(unsigned int /*message*/, unsigned long /*wParam*/, void* /*lParam*/) {}
    virtual void OnMarginClick(int /*position*/, int /*modifiers*/, int /*margin*/) {}
    virtual void OnNeedShown(int /*position*/, int /*length*/) {}
    virtual void OnPainted() {}
    virtual void OnUserListSelection(const char* /*text*/, int /*listType*/) {}
    virtual void OnDwellStart(int /*position*/, int /*x*/, int /*y*/) {}
    virtual void OnDwellEnd(int /*position*/, int /*x*/, int /*y*/) {}
    virtual void OnHotSpotClick(int /*position*/, int /*modifiers*/) {}
    virtual void OnHotSpotDoubleClick(int /*position*/, int /*modifiers*/) {}
    virtual void OnCallTipClick(int /*direction*/) {}
    virtual void OnAutoCSelection(const char* /*text*/, int /*position*/) {}

private:
    void ConnectNotifications();
    void ConnectFindDialog(CScintillaFindReplaceDlg* dialog);

    CScintillaCtrl* m_pCtrl;               // child widget
    CScintillaDoc* m_pDocument = nullptr;  // not owned
};
