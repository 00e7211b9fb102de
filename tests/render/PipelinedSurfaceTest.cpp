// A surface that draws its pages on another thread must hand the target the
// very calls the engine made, page after page, and bring the target's
// failures back to the engine's thread.
#include "render/PipelinedSurface.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "common/CqvEx.h"
#include "render/RecordingSurface.h"

namespace {

using Kind = RecordedCall::Kind;

// Records the drawing and the page control on the drawing thread, in one list.
class Target final : public PipelinedSurface::Pages {
public:
    void StartPage() override { events.push_back("start@" + std::to_string(surface.Calls().size())); }
    void EndPage() override {
        if (++ended == failAtPage) throw CqvEx("The disk is full");
        events.push_back("end@" + std::to_string(surface.Calls().size()));
    }
    void Finish() override { events.push_back("finish"); }

    RecordingSurface surface;
    std::vector<std::string> events;
    int ended = 0;
    int failAtPage = 0;  // none
};

// What a page draws: every kind of call, with the state changed within the page.
void DrawPage(Surface& s, int page) {
    QvFontSpec font;
    font.face = "Liberation Serif";
    font.height = -30 - page;
    s.SelectFont(font);
    s.SetTextColor(QvRgb(page, 0, 0));
    const std::u16string text = u"Page " + std::u16string(1, static_cast<char16_t>(u'A' + page % 26));
    const std::vector<int32_t> advances(text.size(), 17 + page);
    s.TextOut(10, -20 * page, kTextOpaque | kTextClipped, QvRect{0, 0, 500, -40}, text, advances.data());
    s.FillSolidRect(QvRect{1, -2, 3 + page, -4}, QvRgb(9, 8, 7));
    s.MoveTo(5, -5);
    s.LineTo(50 + page, -5);
    s.LineTo(50 + page, -60);
    s.SetBkColor(QvRgb(1, 2, page));
    s.Rectangle(QvRect{7, -7, 70, -70});
    s.TextOut(3, -90, 0, QvRect{}, u"no advances", nullptr);
}

void ExpectSameCall(const RecordedCall& a, const RecordedCall& b) {
    EXPECT_EQ(a.kind, b.kind);
    EXPECT_EQ(a.x, b.x);
    EXPECT_EQ(a.y, b.y);
    EXPECT_EQ(a.top, b.top);
    EXPECT_EQ(a.options, b.options);
    EXPECT_EQ(a.rect, b.rect);
    EXPECT_EQ(a.color, b.color);
    EXPECT_EQ(a.bkColor, b.bkColor);
    EXPECT_EQ(a.font, b.font);
    EXPECT_EQ(a.text, b.text);
    EXPECT_EQ(a.advances, b.advances);
}

// The calls that paint: what the target's output depends on, with the font
// and colours each text was drawn in.
std::vector<RecordedCall> Paint(const RecordingSurface& s) {
    std::vector<RecordedCall> paint;
    for (const RecordedCall& call : s.Calls())
        if (call.kind != Kind::SelectFont && call.kind != Kind::SetTextColor && call.kind != Kind::SetBkColor &&
            call.kind != Kind::MoveTo)
            paint.push_back(call);
    return paint;
}

TEST(PipelinedSurface, TheTargetGetsEveryPageInOrderWithTheStateTheEngineLeft) {
    constexpr int kPages = 40;  // many more than wait at once
    // As the engine draws directly: state changes between pages too, as the
    // layout makes them while it measures.
    RecordingSurface direct;
    Target target;
    {
        PipelinedSurface pipeline(target.surface, target, 2);
        for (Surface* s : {static_cast<Surface*>(&direct), static_cast<Surface*>(&pipeline)}) {
            for (int page = 1; page <= kPages; ++page) {
                QvFontSpec between;
                between.face = "Between pages";
                s->SelectFont(between);
                s->SetTextColor(QvRgb(0, page, 0));
                s->MoveTo(page, page);
                if (s == &pipeline) pipeline.StartPage();
                DrawPage(*s, page);
                if (s == &pipeline) pipeline.EndPage();
            }
        }
        // A page opened by drawing alone.
        pipeline.SetTextColor(QvRgb(4, 5, 6));
        pipeline.TextOut(1, -1, 0, QvRect{}, u"x", nullptr);
        direct.SetTextColor(QvRgb(4, 5, 6));
        direct.TextOut(1, -1, 0, QvRect{}, u"x", nullptr);
        pipeline.Finish();
        pipeline.Finish();  // once only
    }
    const std::vector<RecordedCall> expected = Paint(direct), got = Paint(target.surface);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(i);
        ExpectSameCall(got[i], expected[i]);
    }
    // Every page started, ended and finished once, in order, around its calls.
    ASSERT_EQ(target.events.size(), 2u * kPages + 2);
    EXPECT_EQ(target.events[0].rfind("start@", 0), 0u);
    EXPECT_EQ(target.events[2 * kPages].rfind("end@", 0), 0u);  // the page drawing opened
    EXPECT_EQ(target.events.back(), "finish");
    EXPECT_EQ(target.ended, kPages + 1);
}

TEST(PipelinedSurface, AFailureOfTheTargetIsRaisedOnTheEngineThreadAndNothingMoreIsDrawn) {
    Target target;
    target.failAtPage = 3;
    std::string message;
    {
        PipelinedSurface pipeline(target.surface, target, 1);
        try {
            for (int page = 1; page <= 20; ++page) {
                pipeline.StartPage();
                DrawPage(pipeline, page);
                pipeline.EndPage();
            }
            pipeline.Finish();
        } catch (const CqvEx& e) {
            message = e.what();
        }
    }
    EXPECT_EQ(message, "The disk is full");
    EXPECT_EQ(target.ended, 3);  // the failing page, and none after it
    for (const std::string& event : target.events) EXPECT_NE(event, "finish");
}

TEST(PipelinedSurface, EachTextIsDrawnInTheFontSelectedLastAndSelectionsUndoneBeforeAnyTextAreNotSent) {
    QvFontSpec a, b;
    a.face = "Liberation Sans";
    b.face = "Liberation Sans";
    b.weight = 700;
    Target target;
    {
        PipelinedSurface pipeline(target.surface, target, 1);
        pipeline.SelectFont(a);
        pipeline.StartPage();
        pipeline.TextOut(0, 0, 0, QvRect{}, u"a", nullptr);
        // A scope selecting a font and putting the previous one back, text or not.
        for (int i = 0; i < 5; ++i) {
            pipeline.SelectFont(b);
            pipeline.SelectFont(a);
        }
        pipeline.TextOut(0, 0, 0, QvRect{}, u"a again", nullptr);
        pipeline.SelectFont(b);
        pipeline.FillSolidRect(QvRect{0, 0, 5, -5}, QvRgb(1, 2, 3));
        pipeline.TextOut(0, 0, 0, QvRect{}, u"b", nullptr);
        pipeline.EndPage();
        // Changed between pages: the next page's first text is in it.
        pipeline.SelectFont(a);
        pipeline.StartPage();
        pipeline.TextOut(0, 0, 0, QvRect{}, u"a on page 2", nullptr);
        pipeline.EndPage();
        pipeline.Finish();
    }
    std::vector<std::pair<std::u16string, QvFontSpec>> texts;
    int selections = 0;
    for (const RecordedCall& call : target.surface.Calls()) {
        if (call.kind == Kind::TextOut) texts.emplace_back(call.text, call.font);
        if (call.kind == Kind::SelectFont) ++selections;
    }
    const std::vector<std::pair<std::u16string, QvFontSpec>> expected = {
        {u"a", a}, {u"a again", a}, {u"b", b}, {u"a on page 2", a}};
    EXPECT_EQ(texts, expected);
    EXPECT_LE(selections, 4);  // once per change a text sees, at most once more per page opened
}

TEST(PipelinedSurface, AnAbandonedSurfaceStopsWithoutFinishingTheTarget) {
    Target target;
    {
        PipelinedSurface pipeline(target.surface, target, 3);
        for (int page = 1; page <= 5; ++page) {
            pipeline.StartPage();
            DrawPage(pipeline, page);
            pipeline.EndPage();
        }
    }
    EXPECT_LE(target.ended, 5);
    for (const std::string& event : target.events) EXPECT_NE(event, "finish");
}

}  // namespace
