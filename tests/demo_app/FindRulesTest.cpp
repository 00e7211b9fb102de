// Find and replace rules: the search span, the selection test, where the
// dialog goes off a hit, and the edit commands' states.
#include <gtest/gtest.h>

#include "demo/editor/QvCommandIds.h"
#include "demo/editor/ScintillaFindRules.h"

namespace {

TEST(FindRules, FlagsCombine) {
    EXPECT_EQ(FindFlags(false, false, false), 0);
    EXPECT_EQ(FindFlags(true, false, false), 4);
    EXPECT_EQ(FindFlags(false, true, false), 2);
    EXPECT_EQ(FindFlags(true, true, true), 4 | 2 | 0x200000);
}

TEST(FindRules, SearchSpans) {
    struct Case {
        bool down;
        long selStart, selEnd, after, length;
        long first, last;
    } cases[] = {
        {true, 10, 15, 11, 100, 11, 100},  // past the start of the current hit
        {true, 10, 15, 12, 100, 12, 100},  // a double-byte character is skipped whole
        {true, 10, 10, 11, 100, 10, 100},  // nothing selected: from the caret itself
        {true, 0, 0, 1, 100, 0, 100},      // a hit at the very start is found
        {true, 100, 100, 100, 100, 100, 100}, {false, 10, 15, 11, 100, 10, 0},  // up: back from the selection start
        {false, 0, 0, 1, 100, 0, 0},
    };
    for (const Case& c : cases) {
        const SearchSpan span = SearchSpanFor(c.down, c.selStart, c.selEnd, c.after, c.length);
        EXPECT_EQ(span.first, c.first) << c.selStart << "-" << c.selEnd << (c.down ? " down" : " up");
        EXPECT_EQ(span.last, c.last) << c.selStart << "-" << c.selEnd << (c.down ? " down" : " up");
    }
}

TEST(FindRules, SameTextHonoursCase) {
    EXPECT_TRUE(SameText("Block", "block", false, false));
    EXPECT_FALSE(SameText("Block", "block", true, false));
    EXPECT_TRUE(SameText("ΑΒΓ", "αβγ", false, true));
    EXPECT_FALSE(SameText("Blocks", "Block", false, false));
}

TEST(FindRules, DialogMovesOffAHitUnderIt) {
    const QRect screen(0, 0, 1280, 800);
    const QRect dialog(400, 300, 360, 150);  // y 300 to 449
    // Not under the dialog: it stays.
    EXPECT_FALSE(FindDialogPositionAfterHit(dialog, QPoint(100, 350), screen));
    EXPECT_FALSE(FindDialogPositionAfterHit(dialog, QPoint(500, 460), screen));
    // Room above: its bottom goes 20 pixels above the hit.
    EXPECT_EQ(FindDialogPositionAfterHit(dialog, QPoint(500, 400), screen), QPoint(400, 400 - 20 - 150));
    // No room above: its top goes 40 pixels below the hit.
    const QRect high(400, 50, 360, 150);
    EXPECT_EQ(FindDialogPositionAfterHit(high, QPoint(500, 100), screen), QPoint(400, 140));
    // Neither fits (a screen too short): it stays.
    EXPECT_FALSE(FindDialogPositionAfterHit(high, QPoint(500, 100), QRect(0, 0, 1280, 250)));
}

TEST(FindRules, EditCommandStates) {
    EditorFacts none;
    EditorFacts rich{true, true, true, false, 120, true};
    const int ids[] = {ID_EDIT_UNDO,  ID_EDIT_REDO, ID_EDIT_PASTE,   ID_EDIT_CUT,        ID_EDIT_COPY,
                       ID_EDIT_CLEAR, ID_EDIT_FIND, ID_EDIT_REPLACE, ID_EDIT_SELECT_ALL, ID_EDIT_REPEAT};
    for (int id : ids) {
        EXPECT_EQ(EditCommandEnabled(id, none), false) << id;
        EXPECT_EQ(EditCommandEnabled(id, rich), true) << id;
    }
    // Find Next needs a search to repeat; Find only some text.
    EditorFacts text{false, false, false, true, 5, false};
    EXPECT_EQ(EditCommandEnabled(ID_EDIT_FIND, text), true);
    EXPECT_EQ(EditCommandEnabled(ID_EDIT_REPEAT, text), false);
    EXPECT_EQ(EditCommandEnabled(ID_EDIT_COPY, text), false);
    EXPECT_FALSE(EditCommandEnabled(ID_FILE_SAVE, rich).has_value());
}

}  // namespace
