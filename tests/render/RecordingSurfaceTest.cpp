#include <gtest/gtest.h>

#include "render/RecordingSurface.h"

namespace {

using Kind = RecordedCall::Kind;

TEST(RecordingSurface, RecordsEveryCallInOrderWithItsArguments) {
    RecordingSurface surface;
    QvFontSpec bold;
    bold.face = "Times New Roman";
    bold.height = -42;
    bold.weight = 700;
    EXPECT_EQ(surface.SelectFont(bold).face, "Arial");
    EXPECT_EQ(surface.SetTextColor(QvRgb(255, 0, 0)), QvRgb(0, 0, 0));
    EXPECT_EQ(surface.SetBkColor(QvRgb(0, 0, 255)), QvRgb(255, 255, 255));
    const int32_t advances[] = {10, 11, 12, 13};
    // "Aé" and a character outside the basic plane (two UTF-16 units).
    surface.TextOut(5, -7, kTextOpaque | kTextClipped, {5, -7, 100, -57}, u"A\u00E9\U0001F600", advances);
    surface.FillSolidRect({1, -2, 3, -4}, QvRgb(9, 9, 9));
    surface.MoveTo(10, -20);
    surface.LineTo(30, -20);
    surface.Rectangle({0, 0, 50, -60});

    const std::vector<Kind> kinds = {Kind::SelectFont,    Kind::SetTextColor, Kind::SetBkColor, Kind::TextOut,
                                     Kind::FillSolidRect, Kind::MoveTo,       Kind::LineTo,     Kind::Rectangle};
    ASSERT_EQ(surface.Calls().size(), kinds.size());
    for (size_t i = 0; i < kinds.size(); ++i) EXPECT_EQ(surface.Calls()[i].kind, kinds[i]) << i;

    const auto& calls = surface.Calls();
    EXPECT_EQ(calls[0].font, bold);
    EXPECT_EQ(calls[1].color, QvRgb(255, 0, 0));
    EXPECT_EQ(calls[2].color, QvRgb(0, 0, 255));

    const RecordedCall& text = calls[3];
    EXPECT_EQ(text.x, 5);
    EXPECT_EQ(text.top, -7);
    EXPECT_EQ(text.options, kTextOpaque | kTextClipped);
    EXPECT_EQ(text.rect, (QvRect{5, -7, 100, -57}));
    EXPECT_EQ(text.text, u"A\u00E9\U0001F600");
    EXPECT_EQ(text.utf8, "A\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(text.advances, (std::vector<int32_t>{10, 11, 12, 13}));
    EXPECT_EQ(text.font, bold);
    EXPECT_EQ(text.color, QvRgb(255, 0, 0));
    EXPECT_EQ(text.bkColor, QvRgb(0, 0, 255));

    EXPECT_EQ(calls[4].rect, (QvRect{1, -2, 3, -4}));
    EXPECT_EQ(calls[4].color, QvRgb(9, 9, 9));
    EXPECT_EQ(calls[5].x, 10);
    EXPECT_EQ(calls[5].y, -20);
    EXPECT_EQ(calls[6].x, 30);
    EXPECT_EQ(calls[7].rect, (QvRect{0, 0, 50, -60}));

    ASSERT_EQ(surface.CallsOf(Kind::TextOut).size(), 1u);
    EXPECT_EQ(surface.CallsOf(Kind::TextOut)[0].utf8, text.utf8);
    surface.Clear();
    EXPECT_TRUE(surface.Calls().empty());
    EXPECT_EQ(surface.CurrentFont(), bold) << "clearing the record keeps the state";
}

TEST(RecordingSurface, TextWithoutAdvancesAndBrokenSurrogates) {
    RecordingSurface surface;
    const char16_t broken[] = {u'a', 0xD800, u'b', 0xDC00};
    surface.TextOut(0, 0, 0, {}, std::u16string_view(broken, 4), nullptr);
    const RecordedCall& call = surface.Calls().at(0);
    EXPECT_TRUE(call.advances.empty());
    EXPECT_EQ(call.text.size(), 4u);
    EXPECT_EQ(call.utf8,
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
    EXPECT_EQ(surface.LogPixelsY(), 254);
}

}  // namespace
