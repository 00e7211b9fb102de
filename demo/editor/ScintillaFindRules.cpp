#include "demo/editor/ScintillaFindRules.h"

#include <QString>
#include <algorithm>

#include "demo/editor/QvCommandIds.h"

namespace {

// Space kept between the dialog and the found text.
constexpr int kGapAbove = 20;
constexpr int kGapBelow = 40;

}  // namespace

int FindFlags(bool matchCase, bool wholeWord, bool regularExpression) {
    return (matchCase ? kFindMatchCase : 0) | (wholeWord ? kFindWholeWord : 0) | (regularExpression ? kFindRegExp : 0);
}

SearchSpan SearchSpanFor(bool down, long selectionStart, long selectionEnd, long afterSelectionStart, long textLength) {
    if (!down) return {selectionStart, 0};
    const long first = selectionStart == selectionEnd ? selectionStart : afterSelectionStart;
    return {std::min(first, textLength), textLength};
}

bool SameText(const QByteArray& selected, const QByteArray& findText, bool matchCase, bool utf8) {
    if (matchCase) return selected == findText;
    const QString a = utf8 ? QString::fromUtf8(selected) : QString::fromLatin1(selected);
    const QString b = utf8 ? QString::fromUtf8(findText) : QString::fromLatin1(findText);
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

std::optional<QPoint> FindDialogPositionAfterHit(const QRect& dialog, const QPoint& hit, const QRect& screen) {
    if (!dialog.contains(hit)) return std::nullopt;
    if (hit.y() - screen.top() > dialog.height()) return QPoint(dialog.left(), hit.y() - kGapAbove - dialog.height());
    if (hit.y() + kGapBelow + dialog.height() <= screen.bottom() + 1) return QPoint(dialog.left(), hit.y() + kGapBelow);
    return std::nullopt;
}

std::optional<bool> EditCommandEnabled(int id, const EditorFacts& facts) {
    switch (id) {
    case ID_EDIT_UNDO: return facts.canUndo;
    case ID_EDIT_REDO: return facts.canRedo;
    case ID_EDIT_PASTE: return facts.canPaste;
    case ID_EDIT_CUT:
    case ID_EDIT_COPY:
    case ID_EDIT_CLEAR: return !facts.selectionEmpty;
    case ID_EDIT_FIND:
    case ID_EDIT_REPLACE:
    case ID_EDIT_SELECT_ALL: return facts.textLength > 0;
    case ID_EDIT_REPEAT: return facts.textLength > 0 && facts.hasFindText;
    default: return std::nullopt;
    }
}
