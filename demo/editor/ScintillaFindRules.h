#pragma once
// The rules of find and replace that need no window: the component's search
// flags, where a search runs, when the selection counts as the text looked
// for, where the find dialog moves off a hit, and which edit commands are
// enabled. The view applies them to its control.
#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <optional>

// The component's search flags.
constexpr int kFindWholeWord = 2;
constexpr int kFindMatchCase = 4;
constexpr int kFindRegExp = 0x200000;

int FindFlags(bool matchCase, bool wholeWord, bool regularExpression);

// A search span in the component's terms: from `first` towards `last`; when
// last < first the component searches backwards.
struct SearchSpan {
    long first = 0;
    long last = 0;
};

// Down: from just after the start of the selection (afterSelectionStart, one
// whole character on) to the end of the text, so that searching again moves
// past the current hit; with nothing selected, from the caret itself, so a
// hit right at the caret is not skipped. Up: from the selection start back to
// the start of the text.
SearchSpan SearchSpanFor(bool down, long selectionStart, long selectionEnd, long afterSelectionStart, long textLength);

// Whether the selected bytes are the find text: equal bytes, or equal but for
// case unless matchCase (utf8 says how to read the bytes for that).
bool SameText(const QByteArray& selected, const QByteArray& findText, bool matchCase, bool utf8);

// Where the find dialog goes when a hit at `hit` (screen coordinates, the top
// of the found text) lies under it: up so that its bottom is 20 pixels above
// the hit when there is room above, else down so that its top is 40 pixels
// below the hit when it still fits on the screen. None: it stays.
std::optional<QPoint> FindDialogPositionAfterHit(const QRect& dialog, const QPoint& hit, const QRect& screen);

// What an edit command needs to know of the control.
struct EditorFacts {
    bool canUndo = false;
    bool canRedo = false;
    bool canPaste = false;
    bool selectionEmpty = true;
    long textLength = 0;
    bool hasFindText = false;  // a search to repeat
};

// Enabled state of the view's edit and search commands; none for other ids.
std::optional<bool> EditCommandEnabled(int id, const EditorFacts& facts);
