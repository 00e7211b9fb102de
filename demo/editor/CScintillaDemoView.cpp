#include "demo/editor/CScintillaDemoView.h"

#include "demo/editor/CScintillaCtrl.h"
#include "demo/editor/QvCommandIds.h"

namespace {

constexpr uint32_t kBlack = CScintillaCtrl::Rgb(0, 0, 0);
constexpr uint32_t kWhite = CScintillaCtrl::Rgb(255, 255, 255);

}  // namespace

CScintillaDemoView::CScintillaDemoView(QWidget* parent) : CScintillaView(parent) {}

void CScintillaDemoView::OnInitialUpdate() {
    CScintillaView::OnInitialUpdate();
    CScintillaCtrl& ctrl = GetCtrl();
    ctrl.SetLexer(kLexerXml);
    ctrl.SetKeyWords(0, " ");

    ctrl.StyleSetFore(kStyleDefault, kBlack);
    ctrl.StyleSetBack(kStyleDefault, kWhite);
    ctrl.StyleSetSize(kStyleDefault, 10);
    ctrl.StyleSetFont(kStyleDefault, "Courier New");
    // Every style starts as a copy of the default one.
    ctrl.StyleClearAll();

    const struct {
        int style;
        uint32_t colour;
    } xmlStyles[] = {
        {kStyleXmlDoubleString, CScintillaCtrl::Rgb(255, 50, 255)},
        {kStyleXmlAttribute, CScintillaCtrl::Rgb(200, 0, 0)},
        {kStyleXmlTag, CScintillaCtrl::Rgb(0, 0, 255)},
        {kStyleXmlDefault, kBlack},
        {kStyleXmlTagUnknown, CScintillaCtrl::Rgb(0, 222, 222)},
    };
    for (const auto& s : xmlStyles) {
        ctrl.StyleSetFore(s.style, s.colour);
        ctrl.StyleSetBack(s.style, kWhite);
    }

    ctrl.SetMarginWidthN(0, 32);
    ctrl.AutoCSetSeparator('\n');
    ctrl.SetMouseDwellTime(1000);
    ctrl.SetTabWidth(2);
}

void CScintillaDemoView::OnActivateView(bool activate) {
    CScintillaView::OnActivateView(activate);
    if (!activate && GetCtrl().CallTipActive()) GetCtrl().CallTipCancel();
}

bool CScintillaDemoView::HasCommandHandler(int id) const {
    return id == ID_FILE_PRINT || id == ID_FILE_PRINT_PREVIEW || CScintillaView::HasCommandHandler(id);
}

std::optional<bool> CScintillaDemoView::CommandUpdate(int id) const {
    if (id == ID_FILE_SAVE) return m_bSaveEnabled;
    return CScintillaView::CommandUpdate(id);
}

bool CScintillaDemoView::OnCommand(int id) {
    // The report, not this text, is what gets previewed and printed.
    if (id == ID_FILE_PRINT) {
        emit MainWindowCommand(ID_QUORVANE_PRINT);
        return true;
    }
    if (id == ID_FILE_PRINT_PREVIEW) {
        emit MainWindowCommand(ID_QUORVANE_PRINT_PREVIEW);
        return true;
    }
    return CScintillaView::OnCommand(id);
}

void CScintillaDemoView::OnCharAdded(int /*character*/) {
    CScintillaCtrl& ctrl = GetCtrl();
    const long start = ctrl.GetSelectionStart();
    const long end = ctrl.GetSelectionEnd();
    const long trigger = static_cast<long>(std::char_traits<char>::length(kAutoCompleteTrigger));
    // The characters typed just before the one added now.
    if (start != end || start <= trigger) return;
    const QByteArray typed = ctrl.GetTextRange(start - trigger - 1, start - 1);
    if (typed.compare(QByteArray(kAutoCompleteTrigger), Qt::CaseInsensitive) == 0) ctrl.AutoCShow(0, kAutoCompleteList);
}

void CScintillaDemoView::OnSavePointReached() {
    m_bSaveEnabled = false;
    CScintillaView::OnSavePointReached();
}

void CScintillaDemoView::OnSavePointLeft() {
    m_bSaveEnabled = true;
    CScintillaView::OnSavePointLeft();
}

void CScintillaDemoView::OnDwellStart(int position, int /*x*/, int /*y*/) {
    if (position < 0) return;
    CScintillaCtrl& ctrl = GetCtrl();
    const long wordStart = ctrl.Call(QsciScintillaBase::SCI_WORDSTARTPOSITION, static_cast<uintptr_t>(position), 1);
    const long wordEnd = ctrl.Call(QsciScintillaBase::SCI_WORDENDPOSITION, static_cast<uintptr_t>(position), 1);
    if (ctrl.GetTextRange(wordStart, wordEnd) == kCallTipWord) ctrl.CallTipShow(wordStart, kCallTipText);
}

void CScintillaDemoView::OnDwellEnd(int /*position*/, int /*x*/, int /*y*/) {
    if (GetCtrl().CallTipActive()) GetCtrl().CallTipCancel();
}
