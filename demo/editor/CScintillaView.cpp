#include "demo/editor/CScintillaView.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QScreen>
#include <QVBoxLayout>

#include "demo/editor/CScintillaCtrl.h"
#include "demo/editor/CScintillaDoc.h"
#include "demo/editor/CScintillaFindReplaceDlg.h"
#include "demo/editor/QvCommandIds.h"
#include "demo/editor/QvWaitCursor.h"

CScintillaView::CScintillaView(QWidget* parent) : QWidget(parent), m_pCtrl(new CScintillaCtrl(this)) {
    m_pCtrl->setObjectName(QStringLiteral("id%1").arg(kControlId));
    m_pCtrl->setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pCtrl);
    setFocusProxy(m_pCtrl);
    ConnectNotifications();
}

CScintillaView::~CScintillaView() {
    if (m_pDocument) m_pDocument->RemoveView(this);
}

QMdiSubWindow* CScintillaView::GetParentFrame() const {
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* frame = qobject_cast<QMdiSubWindow*>(w)) return frame;
    return nullptr;
}

SCINTILLA_EDIT_STATE& CScintillaView::EditState() {
    static SCINTILLA_EDIT_STATE state;
    return state;
}

void CScintillaView::ConnectNotifications() {
    CScintillaCtrl* c = m_pCtrl;
    connect(c, &QsciScintillaBase::SCN_STYLENEEDED, this, [this](int p) { OnStyleNeeded(p); });
    connect(c, &QsciScintillaBase::SCN_CHARADDED, this, [this](int ch) { OnCharAdded(ch); });
    connect(c, &QsciScintillaBase::SCN_SAVEPOINTREACHED, this, [this] {
        OnSavePointReached();
        emit CommandStateChanged();
    });
    connect(c, &QsciScintillaBase::SCN_SAVEPOINTLEFT, this, [this] {
        OnSavePointLeft();
        emit CommandStateChanged();
    });
    connect(c, &QsciScintillaBase::SCN_MODIFYATTEMPTRO, this, [this] { OnModifyAttemptRO(); });
    connect(c, &QsciScintillaBase::SCN_DOUBLECLICK, this,
            [this](int p, int line, int m) { OnDoubleClick(p, line, m); });
    connect(c, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int updated) {
        OnUpdateUI(updated);
        emit CommandStateChanged();
    });
    connect(c, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int p, int type, const char*, int, int, int, int, int, int, int) { OnModified(p, type); });
    connect(c, &QsciScintillaBase::SCN_MACRORECORD, this,
            [this](unsigned int m, unsigned long w, void* l) { OnMacroRecord(m, w, l); });
    connect(c, &QsciScintillaBase::SCN_MARGINCLICK, this,
            [this](int p, int m, int margin) { OnMarginClick(p, m, margin); });
    connect(c, &QsciScintillaBase::SCN_NEEDSHOWN, this, [this](int p, int n) { OnNeedShown(p, n); });
    connect(c, &QsciScintillaBase::SCN_PAINTED, this, [this] { OnPainted(); });
    connect(c, qOverload<const char*, int>(&QsciScintillaBase::SCN_USERLISTSELECTION), this,
            [this](const char* text, int id) { OnUserListSelection(text, id); });
    connect(c, &QsciScintillaBase::SCN_DWELLSTART, this, [this](int p, int x, int y) { OnDwellStart(p, x, y); });
    connect(c, &QsciScintillaBase::SCN_DWELLEND, this, [this](int p, int x, int y) { OnDwellEnd(p, x, y); });
    connect(c, &QsciScintillaBase::SCN_HOTSPOTCLICK, this, [this](int p, int m) { OnHotSpotClick(p, m); });
    connect(c, &QsciScintillaBase::SCN_HOTSPOTDOUBLECLICK, this, [this](int p, int m) { OnHotSpotDoubleClick(p, m); });
    connect(c, &QsciScintillaBase::SCN_CALLTIPCLICK, this, [this](int direction) { OnCallTipClick(direction); });
    connect(c, qOverload<const char*, int>(&QsciScintillaBase::SCN_AUTOCSELECTION), this,
            [this](const char* text, int p) { OnAutoCSelection(text, p); });
}

void CScintillaView::OnActivateView(bool /*activate*/) {}

void CScintillaView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) OnActivateView(false);
}

// ---------------------------------------------------------------- commands

EditorFacts CScintillaView::Facts() const {
    EditorFacts facts;
    facts.canUndo = m_pCtrl->CanUndo();
    facts.canRedo = m_pCtrl->CanRedo();
    facts.canPaste = m_pCtrl->CanPaste();
    facts.selectionEmpty = m_pCtrl->GetSelectionStart() == m_pCtrl->GetSelectionEnd();
    facts.textLength = m_pCtrl->GetTextLength();
    facts.hasFindText = !EditState().strFind.isEmpty();
    return facts;
}

bool CScintillaView::HasCommandHandler(int id) const {
    switch (id) {
    case ID_EDIT_UNDO:
    case ID_EDIT_REDO:
    case ID_EDIT_CUT:
    case ID_EDIT_COPY:
    case ID_EDIT_PASTE:
    case ID_EDIT_CLEAR:
    case ID_EDIT_SELECT_ALL:
    case ID_EDIT_FIND:
    case ID_EDIT_REPLACE:
    case ID_EDIT_REPEAT: return true;
    default: return false;
    }
}

std::optional<bool> CScintillaView::CommandUpdate(int id) const { return EditCommandEnabled(id, Facts()); }

bool CScintillaView::OnCommand(int id) {
    switch (id) {
    case ID_EDIT_UNDO: m_pCtrl->Undo(); break;
    case ID_EDIT_REDO: m_pCtrl->Redo(); break;
    case ID_EDIT_CUT: m_pCtrl->Cut(); break;
    case ID_EDIT_COPY: m_pCtrl->Copy(); break;
    case ID_EDIT_PASTE: m_pCtrl->Paste(); break;
    case ID_EDIT_CLEAR: m_pCtrl->Clear(); break;
    case ID_EDIT_SELECT_ALL: m_pCtrl->SelectAll(); break;
    case ID_EDIT_FIND: OnEditFind(); break;
    case ID_EDIT_REPLACE: OnEditReplace(); break;
    case ID_EDIT_REPEAT: OnEditRepeat(); break;
    default: return false;
    }
    emit CommandStateChanged();
    return true;
}

// ---------------------------------------------------------------- find and replace

QByteArray CScintillaView::ToBytes(const QString& text) const {
    return m_pCtrl->GetCodePage() == CScintillaCtrl::kCodePageUtf8 ? text.toUtf8() : text.toLatin1();
}

QString CScintillaView::FromBytes(const QByteArray& bytes) const {
    return m_pCtrl->GetCodePage() == CScintillaCtrl::kCodePageUtf8 ? QString::fromUtf8(bytes)
                                                                   : QString::fromLatin1(bytes);
}

void CScintillaView::OnEditFindReplace(bool findOnly) {
    SCINTILLA_EDIT_STATE& state = EditState();
    if (CScintillaFindReplaceDlg* open = state.pFindReplaceDlg) {
        if (state.bFindOnly == findOnly) {
            open->show();
            open->raise();
            open->activateWindow();
            return;
        }
        // A dialog of the other kind gives way.
        state.pFindReplaceDlg = nullptr;
        open->close();
    }

    // A selection on one line is what the user wants to look for.
    const long start = m_pCtrl->GetSelectionStart();
    const long end = m_pCtrl->GetSelectionEnd();
    if (start != end) {
        const QByteArray selected = m_pCtrl->GetTextRange(start, end);
        if (!selected.contains('\n') && !selected.contains('\r')) state.strFind = FromBytes(selected);
    }

    auto* dialog = new CScintillaFindReplaceDlg(findOnly, state.strFind, state.strReplace, state.bCase, state.bWord,
                                                state.bRegularExpression, state.bNext, window());
    state.pFindReplaceDlg = dialog;
    state.bFindOnly = findOnly;
    ConnectFindDialog(dialog);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void CScintillaView::ConnectFindDialog(CScintillaFindReplaceDlg* dialog) {
    // The dialog works on the view that opened it and goes with it.
    connect(this, &QObject::destroyed, dialog, &QWidget::close);
    auto remember = [dialog] {
        SCINTILLA_EDIT_STATE& state = EditState();
        state.strFind = dialog->GetFindString();
        state.strReplace = dialog->GetReplaceString();
        state.bCase = dialog->MatchCase();
        state.bWord = dialog->MatchWholeWord();
        state.bRegularExpression = dialog->RegularExpression();
        state.bNext = dialog->SearchDown();
    };
    connect(dialog, &CScintillaFindReplaceDlg::FindNextRequested, this, [this, dialog, remember] {
        remember();
        OnFindNext(dialog->GetFindString(), dialog->SearchDown(), dialog->MatchCase(), dialog->MatchWholeWord(),
                   dialog->RegularExpression());
    });
    connect(dialog, &CScintillaFindReplaceDlg::ReplaceRequested, this, [this, dialog, remember] {
        remember();
        OnReplaceSel(dialog->GetFindString(), dialog->SearchDown(), dialog->MatchCase(), dialog->MatchWholeWord(),
                     dialog->RegularExpression(), dialog->GetReplaceString());
    });
    connect(dialog, &CScintillaFindReplaceDlg::ReplaceAllRequested, this, [this, dialog, remember] {
        remember();
        OnReplaceAll(dialog->GetFindString(), dialog->GetReplaceString(), dialog->MatchCase(), dialog->MatchWholeWord(),
                     dialog->RegularExpression());
    });
    connect(dialog, &QDialog::finished, this, [dialog, remember] {
        remember();
        SCINTILLA_EDIT_STATE& state = EditState();
        if (state.pFindReplaceDlg == dialog) state.pFindReplaceDlg = nullptr;
    });
}

void CScintillaView::OnEditRepeat() {
    const SCINTILLA_EDIT_STATE& state = EditState();
    if (state.strFind.isEmpty()) {
        OnEditFind();
        return;
    }
    OnFindNext(state.strFind, state.bNext, state.bCase, state.bWord, state.bRegularExpression);
}

bool CScintillaView::FindText(const QString& text, bool next, bool matchCase, bool wholeWord, bool regularExpression) {
    const QByteArray bytes = ToBytes(text);
    if (bytes.isEmpty()) return false;
    const long start = m_pCtrl->GetSelectionStart();
    const long end = m_pCtrl->GetSelectionEnd();
    const long length = m_pCtrl->GetLength();
    const SearchSpan span = SearchSpanFor(next, start, end, m_pCtrl->PositionAfter(start), length);
    long hitEnd = -1;
    const long hit =
        m_pCtrl->FindText(FindFlags(matchCase, wholeWord, regularExpression), bytes, span.first, span.last, &hitEnd);
    if (hit < 0) return false;
    m_pCtrl->SetSel(hit, hitEnd);
    return true;
}

void CScintillaView::OnFindNext(const QString& text, bool next, bool matchCase, bool wholeWord,
                                bool regularExpression) {
    QvWaitCursor wait;
    if (!FindText(text, next, matchCase, wholeWord, regularExpression)) {
        OnTextNotFound(text);
        return;
    }
    AdjustFindDialogPosition();
}

bool CScintillaView::SameAsSelected(const QString& findText, bool matchCase, bool regularExpression) const {
    const long start = m_pCtrl->GetSelectionStart();
    const long end = m_pCtrl->GetSelectionEnd();
    const QByteArray find = ToBytes(findText);
    if (regularExpression) {
        // The selection is the text looked for when the expression matches it
        // whole; an arbitrary selection is not replaced.
        long hitEnd = -1;
        const long hit = m_pCtrl->FindText(FindFlags(matchCase, false, true), find, start, end, &hitEnd);
        return hit == start && hitEnd == end;
    }
    if (end - start != find.size()) return false;
    return SameText(m_pCtrl->GetTextRange(start, end), find, matchCase,
                    m_pCtrl->GetCodePage() == CScintillaCtrl::kCodePageUtf8);
}

void CScintillaView::OnReplaceSel(const QString& findText, bool next, bool matchCase, bool wholeWord,
                                  bool regularExpression, const QString& replaceText) {
    QvWaitCursor wait;
    if (SameAsSelected(findText, matchCase, regularExpression)) m_pCtrl->ReplaceSel(ToBytes(replaceText));
    if (!FindText(findText, next, matchCase, wholeWord, regularExpression)) {
        OnTextNotFound(findText);
        return;
    }
    AdjustFindDialogPosition();
}

void CScintillaView::OnReplaceAll(const QString& findText, const QString& replaceText, bool matchCase, bool wholeWord,
                                  bool regularExpression) {
    QvWaitCursor wait;
    const QByteArray find = ToBytes(findText);
    const QByteArray replacement = ToBytes(replaceText);
    const int flags = FindFlags(matchCase, wholeWord, regularExpression);
    if (find.isEmpty() || m_pCtrl->FindText(flags, find, 0, m_pCtrl->GetLength()) < 0) {
        OnTextNotFound(findText);
        return;
    }

    m_pCtrl->HideSelection(true);
    // Each search starts where the last replacement ended, so a replacement
    // that contains the find text, or an expression that matches nothing at
    // all, can never make the loop run on for ever.
    long from = 0;
    while (from <= m_pCtrl->GetLength()) {
        long hitEnd = -1;
        const long hit = m_pCtrl->FindText(flags, find, from, m_pCtrl->GetLength(), &hitEnd);
        if (hit < 0) break;
        m_pCtrl->SetSel(hit, hitEnd);
        m_pCtrl->ReplaceSel(replacement);
        from = hit + replacement.size();
        if (hitEnd == hit) {
            if (from >= m_pCtrl->GetLength()) break;
            from = m_pCtrl->PositionAfter(from);
        }
    }
    m_pCtrl->HideSelection(false);
    emit CommandStateChanged();
}

void CScintillaView::OnTextNotFound(const QString& /*text*/) {
    QApplication::beep();
    emit TextNotFound();
}

void CScintillaView::AdjustFindDialogPosition() {
    CScintillaFindReplaceDlg* dialog = EditState().pFindReplaceDlg;
    if (!dialog || !dialog->isVisible()) return;
    const long start = m_pCtrl->GetSelectionStart();
    const QPoint inControl(m_pCtrl->PointXFromPosition(start), m_pCtrl->PointYFromPosition(start));
    const QPoint hit = m_pCtrl->viewport()->mapToGlobal(inControl);
    const QScreen* screen = dialog->screen() ? dialog->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    if (std::optional<QPoint> to = FindDialogPositionAfterHit(dialog->frameGeometry(), hit, screen->geometry()))
        dialog->move(*to);
}
