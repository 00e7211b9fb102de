#include "demo/editor/CScintillaCtrl.h"

namespace {

// The component's own records for ranges and searches (its "character range"
// counts in long, like every position of this component version).
struct SciCharacterRange {
    long cpMin;
    long cpMax;
};
struct SciTextRange {
    SciCharacterRange chrg;
    char* lpstrText;
};
struct SciTextToFind {
    SciCharacterRange chrg;
    const char* lpstrText;
    SciCharacterRange chrgText;
};

using Sci = QsciScintillaBase;

intptr_t Ptr(const void* pointer) { return reinterpret_cast<intptr_t>(pointer); }

}  // namespace

CScintillaCtrl::CScintillaCtrl(QWidget* parent) : QsciScintillaBase(parent) {
    // The direct-call route skips the message dispatch; the window-message
    // route stays as the fallback when the component offers none.
    m_directFunction = reinterpret_cast<DirectFunction>(SendScintilla(SCI_GETDIRECTFUNCTION));
    m_directPointer = static_cast<intptr_t>(SendScintilla(SCI_GETDIRECTPOINTER));
    if (m_directPointer == 0) m_directFunction = nullptr;
}

intptr_t CScintillaCtrl::Call(unsigned int message, uintptr_t wParam, intptr_t lParam) const {
    if (m_directFunction) return m_directFunction(m_directPointer, message, wParam, lParam);
    return SendScintilla(message, static_cast<unsigned long>(wParam), static_cast<long>(lParam));
}

void CScintillaCtrl::AddText(Position length, const char* text) { Call(Sci::SCI_ADDTEXT, length, Ptr(text)); }
void CScintillaCtrl::ClearAll() { Call(Sci::SCI_CLEARALL); }
CScintillaCtrl::Position CScintillaCtrl::GetLength() const { return Call(Sci::SCI_GETLENGTH); }
CScintillaCtrl::Position CScintillaCtrl::GetTextLength() const { return Call(Sci::SCI_GETTEXTLENGTH); }

QByteArray CScintillaCtrl::GetTextRange(Position first, Position last) const {
    if (last <= first) return {};
    // The component writes the bytes and a terminating zero.
    QByteArray bytes(static_cast<qsizetype>(last - first) + 1, '\0');
    SciTextRange range{{first, last}, bytes.data()};
    const intptr_t copied = Call(Sci::SCI_GETTEXTRANGE, 0, Ptr(&range));
    bytes.truncate(static_cast<qsizetype>(std::max<intptr_t>(0, copied)));
    return bytes;
}

void CScintillaCtrl::SetUndoCollection(bool collect) { Call(Sci::SCI_SETUNDOCOLLECTION, collect ? 1 : 0); }
void CScintillaCtrl::SetSavePoint() { Call(Sci::SCI_SETSAVEPOINT); }
bool CScintillaCtrl::GetModify() const { return Call(Sci::SCI_GETMODIFY) != 0; }
void CScintillaCtrl::EmptyUndoBuffer() { Call(Sci::SCI_EMPTYUNDOBUFFER); }
bool CScintillaCtrl::CanUndo() const { return Call(Sci::SCI_CANUNDO) != 0; }
bool CScintillaCtrl::CanRedo() const { return Call(Sci::SCI_CANREDO) != 0; }
bool CScintillaCtrl::CanPaste() const { return Call(Sci::SCI_CANPASTE) != 0; }
void CScintillaCtrl::Undo() { Call(Sci::SCI_UNDO); }
void CScintillaCtrl::Redo() { Call(Sci::SCI_REDO); }
void CScintillaCtrl::Cut() { Call(Sci::SCI_CUT); }
void CScintillaCtrl::Copy() { Call(Sci::SCI_COPY); }
void CScintillaCtrl::Paste() { Call(Sci::SCI_PASTE); }
void CScintillaCtrl::Clear() { Call(Sci::SCI_CLEAR); }
void CScintillaCtrl::SelectAll() { Call(Sci::SCI_SELECTALL); }
void CScintillaCtrl::Cancel() { Call(Sci::SCI_CANCEL); }

void CScintillaCtrl::GotoPos(Position position) { Call(Sci::SCI_GOTOPOS, position); }
CScintillaCtrl::Position CScintillaCtrl::GetCurrentPos() const { return Call(Sci::SCI_GETCURRENTPOS); }
CScintillaCtrl::Position CScintillaCtrl::GetSelectionStart() const { return Call(Sci::SCI_GETSELECTIONSTART); }
CScintillaCtrl::Position CScintillaCtrl::GetSelectionEnd() const { return Call(Sci::SCI_GETSELECTIONEND); }
void CScintillaCtrl::SetSel(Position anchor, Position caret) { Call(Sci::SCI_SETSEL, anchor, caret); }
void CScintillaCtrl::HideSelection(bool hide) { Call(Sci::SCI_HIDESELECTION, hide ? 1 : 0); }

void CScintillaCtrl::ReplaceSel(const QByteArray& text) {
    // The component reads a zero-terminated string; QByteArray always has one.
    Call(Sci::SCI_REPLACESEL, 0, Ptr(text.constData()));
}

CScintillaCtrl::Position CScintillaCtrl::PositionAfter(Position position) const {
    return Call(Sci::SCI_POSITIONAFTER, position);
}

CScintillaCtrl::Position CScintillaCtrl::FindText(int flags, const QByteArray& text, Position first, Position last,
                                                  Position* hitEnd) const {
    SciTextToFind find{{first, last}, text.constData(), {-1, -1}};
    const intptr_t hit = Call(Sci::SCI_FINDTEXT, static_cast<uintptr_t>(flags), Ptr(&find));
    if (hitEnd) *hitEnd = hit < 0 ? -1 : find.chrgText.cpMax;
    return hit < 0 ? -1 : static_cast<Position>(hit);
}

int CScintillaCtrl::PointXFromPosition(Position position) const {
    return static_cast<int>(Call(Sci::SCI_POINTXFROMPOSITION, 0, position));
}
int CScintillaCtrl::PointYFromPosition(Position position) const {
    return static_cast<int>(Call(Sci::SCI_POINTYFROMPOSITION, 0, position));
}
int CScintillaCtrl::TextHeight(int line) const { return static_cast<int>(Call(Sci::SCI_TEXTHEIGHT, line)); }

void CScintillaCtrl::SetReadOnly(bool readOnly) { Call(Sci::SCI_SETREADONLY, readOnly ? 1 : 0); }
bool CScintillaCtrl::GetReadOnly() const { return Call(Sci::SCI_GETREADONLY) != 0; }
bool CScintillaCtrl::GetOvertype() const { return Call(Sci::SCI_GETOVERTYPE) != 0; }
void CScintillaCtrl::SetCodePage(int codePage) { Call(Sci::SCI_SETCODEPAGE, static_cast<uintptr_t>(codePage)); }
int CScintillaCtrl::GetCodePage() const { return static_cast<int>(Call(Sci::SCI_GETCODEPAGE)); }
void CScintillaCtrl::SetTabWidth(int width) { Call(Sci::SCI_SETTABWIDTH, static_cast<uintptr_t>(width)); }
int CScintillaCtrl::GetTabWidth() const { return static_cast<int>(Call(Sci::SCI_GETTABWIDTH)); }

void CScintillaCtrl::StyleClearAll() { Call(Sci::SCI_STYLECLEARALL); }
void CScintillaCtrl::StyleSetFore(int style, uint32_t colour) {
    Call(Sci::SCI_STYLESETFORE, static_cast<uintptr_t>(style), colour);
}
void CScintillaCtrl::StyleSetBack(int style, uint32_t colour) {
    Call(Sci::SCI_STYLESETBACK, static_cast<uintptr_t>(style), colour);
}
void CScintillaCtrl::StyleSetSize(int style, int points) {
    Call(Sci::SCI_STYLESETSIZE, static_cast<uintptr_t>(style), points);
}
void CScintillaCtrl::StyleSetFont(int style, const char* face) {
    Call(Sci::SCI_STYLESETFONT, static_cast<uintptr_t>(style), Ptr(face));
}
uint32_t CScintillaCtrl::StyleGetFore(int style) const {
    return static_cast<uint32_t>(Call(Sci::SCI_STYLEGETFORE, static_cast<uintptr_t>(style)));
}
void CScintillaCtrl::SetMarginWidthN(int margin, int pixels) {
    Call(Sci::SCI_SETMARGINWIDTHN, static_cast<uintptr_t>(margin), pixels);
}
int CScintillaCtrl::GetMarginWidthN(int margin) const {
    return static_cast<int>(Call(Sci::SCI_GETMARGINWIDTHN, static_cast<uintptr_t>(margin)));
}
void CScintillaCtrl::SetMouseDwellTime(int milliseconds) {
    Call(Sci::SCI_SETMOUSEDWELLTIME, static_cast<uintptr_t>(milliseconds));
}
void CScintillaCtrl::SetLexer(int lexer) { Call(Sci::SCI_SETLEXER, static_cast<uintptr_t>(lexer)); }
int CScintillaCtrl::GetLexer() const { return static_cast<int>(Call(Sci::SCI_GETLEXER)); }
void CScintillaCtrl::SetKeyWords(int set, const char* words) {
    Call(Sci::SCI_SETKEYWORDS, static_cast<uintptr_t>(set), Ptr(words));
}

void CScintillaCtrl::AutoCShow(Position typedLength, const char* list) {
    Call(Sci::SCI_AUTOCSHOW, static_cast<uintptr_t>(typedLength), Ptr(list));
}
bool CScintillaCtrl::AutoCActive() const { return Call(Sci::SCI_AUTOCACTIVE) != 0; }
void CScintillaCtrl::AutoCSetSeparator(int separator) {
    Call(Sci::SCI_AUTOCSETSEPARATOR, static_cast<uintptr_t>(separator));
}
void CScintillaCtrl::CallTipShow(Position position, const char* text) {
    Call(Sci::SCI_CALLTIPSHOW, static_cast<uintptr_t>(position), Ptr(text));
}
void CScintillaCtrl::CallTipCancel() { Call(Sci::SCI_CALLTIPCANCEL); }
bool CScintillaCtrl::CallTipActive() const { return Call(Sci::SCI_CALLTIPACTIVE) != 0; }

void* CScintillaCtrl::GetDocPointer() const { return reinterpret_cast<void*>(Call(Sci::SCI_GETDOCPOINTER)); }
void CScintillaCtrl::SetDocPointer(void* document) { Call(Sci::SCI_SETDOCPOINTER, 0, Ptr(document)); }
