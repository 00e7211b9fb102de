#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "common/CqvEx.h"
#include "platform/FontFile.h"
#include "platform/FontResolver.h"

namespace {

using namespace qv::platform;

TEST(FontResolver, WindowsFamiliesReachTheLiberationFaces) {
    struct Case {
        const char* family;
        int weight;
        bool italic;
        const char* fileFamily;
        const char* fileStyle;
    };
    const Case cases[] = {
        {"Arial", 400, false, "Liberation Sans", "Regular"},
        {"Arial", 0, false, "Liberation Sans", "Regular"},
        {"Arial", 700, false, "Liberation Sans", "Bold"},
        {"Arial", 400, true, "Liberation Sans", "Italic"},
        {"Arial", 700, true, "Liberation Sans", "Bold Italic"},
        {"Times New Roman", 400, false, "Liberation Serif", "Regular"},
        {"Times New Roman", 700, false, "Liberation Serif", "Bold"},
        {"Courier New", 400, false, "Liberation Mono", "Regular"},
        {"Courier New", 400, true, "Liberation Mono", "Italic"},
    };
    for (const Case& c : cases) {
        ResolvedFont font = ResolveFont(c.family, c.weight, c.italic);
        ASSERT_TRUE(font.file) << c.family;
        EXPECT_EQ(font.file->FamilyName(), c.fileFamily) << c.family << " " << c.weight;
        EXPECT_EQ(font.file->StyleName(), c.fileStyle) << c.family << " " << c.weight << " " << c.italic;
        EXPECT_FALSE(font.syntheticBold);
        EXPECT_FALSE(font.syntheticItalic);
    }
}

TEST(FontResolver, UnknownFamilyFallsBackToAnOutlineFont) {
    for (const char* family : {"No Such Family 4711", ""}) {
        ResolvedFont font = ResolveFont(family, 400, false);
        ASSERT_TRUE(font.file) << family;
        EXPECT_TRUE(font.file->OutlineMetrics().has_value()) << family;
    }
}

TEST(FontResolver, RepeatedLookUpsShareOneOpenedFace) {
    ResolvedFont a = ResolveFont("Arial", 400, false);
    ResolvedFont b = ResolveFont("Arial", 400, false);
    EXPECT_EQ(a.file.get(), b.file.get());
    // Another name for the same file shares the face as well.
    ResolvedFont c = ResolveFont("Liberation Sans", 400, false);
    EXPECT_EQ(a.file.get(), c.file.get());
    EXPECT_EQ(OpenFontFile(a.file->Path(), a.file->FaceIndex()).get(), a.file.get());
    EXPECT_NE(ResolveFont("Arial", 700, false).file.get(), a.file.get());
}

TEST(FontFile, LiberationSansHasArialsFigures) {
    ResolvedFont font = ResolveFont("Arial", 400, false);
    const auto& metrics = font.file->OutlineMetrics();
    ASSERT_TRUE(metrics);
    EXPECT_EQ(metrics->emSquare, 2048);
    EXPECT_EQ(metrics->winAscent, 1854);
    EXPECT_EQ(metrics->winDescent, 434);
    EXPECT_EQ(metrics->cellHeight, 2288);
    EXPECT_EQ(metrics->externalLeading, 67);
    EXPECT_EQ(metrics->firstChar, 32u);
    EXPECT_EQ(metrics->lastChar, 65532u);
    EXPECT_EQ(metrics->underlinePosition, -67);
    EXPECT_EQ(metrics->underlineThickness, 150);
    EXPECT_EQ(metrics->strikeoutPosition, 530);
    EXPECT_EQ(metrics->strikeoutSize, 102);

    // Line spacing of a 12-point font on a 254-dpi surface (em height 42).
    const float scale = 42.0f / static_cast<float>(metrics->emSquare);
    EXPECT_NEAR((metrics->cellHeight + metrics->externalLeading) * scale, 48.2959, 1e-3);
}

TEST(FontFile, DesignAdvancesComeUnscaledFromTheFont) {
    auto regular = ResolveFont("Arial", 400, false).file;
    auto bold = ResolveFont("Arial", 700, false).file;
    struct Case {
        char32_t c;
        int32_t regular;
        int32_t bold;
    };
    // Arial's advance widths, which the Liberation fonts reproduce.
    const Case cases[] = {{U'A', 1366, 1479}, {U' ', 569, 569}, {U'i', 455, 569}, {U'W', 1933, 1933}};
    for (const Case& c : cases) {
        EXPECT_EQ(regular->DesignAdvance(c.c), c.regular) << static_cast<uint32_t>(c.c);
        EXPECT_EQ(bold->DesignAdvance(c.c), c.bold) << static_cast<uint32_t>(c.c);
    }
}

TEST(FontFile, UnmappedCodePointMeasuresAsNotdef) {
    auto font = ResolveFont("Arial", 400, false).file;
    EXPECT_EQ(font->GlyphIndex(U'\u4E00'), 0u);
    EXPECT_GT(font->GlyphDesignAdvance(0), 0);
    EXPECT_EQ(font->DesignAdvance(U'\u4E00'), font->GlyphDesignAdvance(0));
}

TEST(FontFile, RangeOfAdvancesMatchesSingleLookUps) {
    auto font = ResolveFont("Times New Roman", 400, false).file;
    std::vector<int32_t> range = font->DesignAdvances(U' ', U'~');
    ASSERT_EQ(range.size(), 95u);
    for (char32_t c = U' '; c <= U'~'; ++c) EXPECT_EQ(range[c - U' '], font->DesignAdvance(c));
    EXPECT_TRUE(font->DesignAdvances(U'b', U'a').empty());
}

// A bitmap font has none of the tables outline metrics come from.
TEST(FontFile, BitmapFontHasNoOutlineMetrics) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("qv-bitmap-" + std::to_string(::getpid()) + ".bdf")).string();
    {
        std::ofstream bdf(path);
        bdf << "STARTFONT 2.1\nFONT -qv-tiny-medium-r-normal--8-80-75-75-c-80-iso10646-1\n"
               "SIZE 8 75 75\nFONTBOUNDINGBOX 8 8 0 0\nSTARTPROPERTIES 2\nFONT_ASCENT 8\n"
               "FONT_DESCENT 0\nENDPROPERTIES\nCHARS 1\nSTARTCHAR A\nENCODING 65\nSWIDTH 1000 0\n"
               "DWIDTH 8 0\nBBX 8 8 0 0\nBITMAP\nFF\n81\n81\nFF\n81\n81\n81\n81\nENDCHAR\nENDFONT\n";
    }
    auto font = OpenFontFile(path);
    std::filesystem::remove(path);
    ASSERT_TRUE(font);
    EXPECT_FALSE(font->OutlineMetrics().has_value());
}

TEST(FontFile, UnreadableFileRaisesWithItsName) {
    const std::string path = "/nonexistent/qv-font.ttf";
    try {
        OpenFontFile(path);
        FAIL() << "no exception";
    } catch (const CqvEx& ex) {
        EXPECT_NE(ex.Message().find(path), std::string::npos) << ex.Message();
    }
}

// Glyphs and advances are kept in tables filled a page at a time: entries on
// either side of page edges, and past the ends of both tables, must still be
// the font's.
TEST(FontFile, KeptGlyphsAndAdvancesAreTheFonts) {
    const ResolvedFont font = ResolveFont("Arial", 400, false);
    ASSERT_TRUE(font.file);
    const FontFile& file = *font.file;
    // Liberation Sans at its em square of 2048.
    struct Case {
        char32_t c;
        int32_t advance;
    };
    for (const Case k : {Case{U'A', 1366}, Case{U'i', 455}, Case{U' ', 569}, Case{U'W', 1933}}) {
        EXPECT_NE(file.GlyphIndex(k.c), 0u) << static_cast<uint32_t>(k.c);
        EXPECT_EQ(file.DesignAdvance(k.c), k.advance) << static_cast<uint32_t>(k.c);
        EXPECT_EQ(file.GlyphDesignAdvance(file.GlyphIndex(k.c)), k.advance) << static_cast<uint32_t>(k.c);
    }
    EXPECT_NE(file.GlyphIndex(U'A'), file.GlyphIndex(U'W'));
    // An unmapped character measures as the missing glyph.
    EXPECT_EQ(file.GlyphIndex(0xE000), 0u);
    EXPECT_EQ(file.DesignAdvance(0xE000), file.GlyphDesignAdvance(0));
    EXPECT_GT(file.GlyphDesignAdvance(0), 0);
    for (char32_t beyond : {char32_t{0x10FFFF}, char32_t{0x110000}, char32_t{0xFFFFFFFF}})
        EXPECT_EQ(file.GlyphIndex(beyond), 0u) << static_cast<uint32_t>(beyond);
    EXPECT_EQ(file.GlyphDesignAdvance(0xFFFFFFFFu), 0);
    EXPECT_EQ(file.GlyphDesignAdvance(65535), 0);  // Liberation Sans has far fewer glyphs
}

}  // namespace
