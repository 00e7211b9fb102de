// Which face a template's family draws with, and which faces draw the
// characters that face lacks.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "platform/FontFaces.h"
#include "platform/FontResolver.h"
#include "support/TestCommand.h"

namespace {

using namespace qv::platform;

bool IsTrueTypeOrOpenType(const FontFile& file) {
    return file.FormatName() == "TrueType" || file.FormatName() == "CFF";
}

// Families a template may name, and the installed family each must draw
// with. Families fontconfig resolves to a Type 1 file (Arial Narrow), a
// dingbat font (Impact), an italic script (Comic Sans MS) or nothing in
// particular must still reach an upright outline text face.
TEST(FontResolver, EveryFamilyReachesAnOutlineTextFace) {
    struct Case {
        const char* family;
        int weight;
        bool italic;
        const char* fileFamily;
    };
    const Case cases[] = {
        {"Arial", 400, false, "Liberation Sans"},
        {"Helvetica", 700, false, "Liberation Sans"},
        {"Arial Narrow", 400, false, "Liberation Sans Narrow"},
        {"Arial Narrow", 700, true, "Liberation Sans Narrow"},
        {"Times New Roman", 400, true, "Liberation Serif"},
        {"Courier New", 700, false, "Liberation Mono"},
        {"Calibri", 400, false, "Carlito"},
        {"Calibri", 700, false, "Carlito"},
        {"Cambria", 400, false, "Caladea"},
        {"Impact", 400, false, "DejaVu Sans"},
        {"Comic Sans MS", 400, false, "DejaVu Sans"},
        {"Georgia", 400, false, "DejaVu Serif"},
        {"Consolas", 400, false, "DejaVu Sans Mono"},
        {"No Such Family 4711", 400, false, "DejaVu Sans"},
        {"no such family 4711", 700, true, "DejaVu Sans"},
        {"", 400, false, "DejaVu Sans"},
        // Named outright, symbol and dingbat fonts still do not draw text.
        {"Standard Symbols PS", 400, false, "DejaVu Sans"},
        {"D050000L", 400, false, "DejaVu Sans"},
        // Installed fonts are drawn with themselves; case and blanks do not count.
        {"DejaVu Serif", 400, false, "DejaVu Serif"},
        {"liberationsans", 400, false, "Liberation Sans"},
    };
    for (const Case& c : cases) {
        const std::string what = std::string(c.family) + " " + std::to_string(c.weight) + (c.italic ? " italic" : "");
        const ResolvedFont font = ResolveFont(c.family, c.weight, c.italic);
        ASSERT_TRUE(font.file) << what;
        EXPECT_EQ(font.file->FamilyName(), c.fileFamily) << what;
        EXPECT_TRUE(IsTrueTypeOrOpenType(*font.file)) << what << ": " << font.file->FormatName();
        EXPECT_TRUE(font.file->OutlineMetrics().has_value()) << what;
        EXPECT_FALSE(font.file->IsSymbolFace()) << what;
        EXPECT_TRUE(IsTextFace(*font.file)) << what;
        const bool slanted = font.file->StyleName().find("Italic") != std::string::npos ||
                             font.file->StyleName().find("Oblique") != std::string::npos;
        EXPECT_EQ(slanted, c.italic) << what << ": " << font.file->StyleName();
        EXPECT_FALSE(font.syntheticBold || font.syntheticItalic) << what << ": the family has the face";
    }
}

// A template may name thousands of families that are not installed; each
// goes to its stand-in without fontconfig ranking every installed font for it
// (a sort per family took minutes for 15,000 styles). Installed families are
// still looked up.
TEST(FontResolver, AFamilyThatIsNotInstalledCostsNoFontconfigSort) {
    const ResolvedFont first = ResolveFont("Not Installed 0", 400, false);
    ASSERT_TRUE(first.file);
    EXPECT_EQ(first.file->FamilyName(), "DejaVu Sans");
    const size_t sorts = FontSortCount();
    for (int i = 1; i <= 200; ++i) {
        const std::string family = "Not Installed " + std::to_string(i);
        EXPECT_EQ(ResolveFont(family, 400, false).file, first.file) << family;
    }
    EXPECT_EQ(FontSortCount(), sorts) << "fontconfig sorts for families that are not installed";
    // A weight no other test asks for, so that the look-up is not cached.
    EXPECT_EQ(ResolveFont("Liberation Serif", 650, true).file->FamilyName(), "Liberation Serif");
    EXPECT_GT(FontSortCount(), sorts);
}

// A family installed only as Type 1 and OpenType draws with the OpenType file.
TEST(FontResolver, AFamilyWithAType1FileDrawsWithItsOpenTypeFile) {
    const std::string type1 = qv::test::Capture("fc-list 'Nimbus Sans Narrow:fontformat=Type 1' file");
    if (type1.empty()) GTEST_SKIP() << "no Type 1 Nimbus Sans Narrow installed";
    const ResolvedFont font = ResolveFont("Nimbus Sans Narrow", 400, false);
    EXPECT_EQ(font.file->FamilyName(), "Nimbus Sans Narrow");
    EXPECT_EQ(font.file->FormatName(), "CFF") << font.file->Path();
}

// The symbol and dingbat fonts of the PostScript base set map the Unicode
// letters to pictures and Greek letters, which their glyph names give away.
TEST(FontFile, SymbolAndDingbatFacesAreRecognised) {
    struct Case {
        const char* family;
        bool symbol;
    };
    const Case cases[] = {{"D050000L", true},         {"Standard Symbols PS", true}, {"Nimbus Sans", false},
                          {"Liberation Sans", false}, {"DejaVu Sans", false},        {"WenQuanYi Micro Hei", false}};
    for (const Case& c : cases) {
        const std::string path = qv::test::Capture("fc-list -f '%{file}\\n' '" + std::string(c.family) +
                                                   ":fontformat=CFF' | head -n 1; fc-list -f '%{file}\\n' '" +
                                                   c.family + ":fontformat=TrueType' | head -n 1");
        const std::string first = path.substr(0, path.find('\n'));
        if (first.empty()) {
            ADD_FAILURE() << c.family << " is not installed (scripts/install-deps installs it)";
            continue;
        }
        EXPECT_EQ(OpenFontFile(first)->IsSymbolFace(), c.symbol) << c.family << " " << first;
    }
}

// Characters the face lacks go to a face that has them; everything the face
// has, control characters and characters no face has stay with it.
TEST(FontFaces, MissingCharactersComeFromAFaceThatHasThem) {
    const auto faces = ResolveFontFaces("Arial", 400, false);
    const FontFile& first = *faces->Primary().file;
    EXPECT_EQ(first.FamilyName(), "Liberation Sans");
    EXPECT_EQ(faces->Primary().file, ResolveFont("Arial", 400, false).file);
    for (char32_t c : {U'A', U' ', U'Ж', U'€', U'\t', U'\n', char32_t{0x7F}, char32_t{0xFFFF}})
        EXPECT_EQ(faces->FaceFor(c), 0u) << static_cast<uint32_t>(c);
    for (char32_t c : {U'漢', U'字', U'★', U'✓', U'ぁ'}) {
        const size_t index = faces->FaceFor(c);
        ASSERT_NE(index, 0u) << static_cast<uint32_t>(c);
        ASSERT_LT(index, faces->Count());
        const FontFile& fallback = *faces->Face(index).file;
        EXPECT_NE(fallback.GlyphIndex(c), 0u) << static_cast<uint32_t>(c) << " " << fallback.Path();
        EXPECT_TRUE(IsTextFace(fallback)) << fallback.Path();
        EXPECT_EQ(first.GlyphIndex(c), 0u);
    }
    EXPECT_EQ(faces->Face(faces->FaceFor(U'漢')).file->FamilyName(), "WenQuanYi Micro Hei");
    // Repeated look-ups share the faces; another name of the same face too.
    EXPECT_EQ(ResolveFontFaces("Liberation Sans", 400, false).get(), faces.get());
}

// The walk of a character map finds exactly the code points that map to a
// glyph: the first face's gaps, and so every fallback, are decided by it.
TEST(FontFile, MappedCodePointsAreThoseWithAGlyph) {
    for (const char* family : {"Liberation Sans", "DejaVu Sans", "WenQuanYi Micro Hei"}) {
        const FontFile& file = *ResolveFont(family, 400, false).file;
        const std::vector<char32_t> mapped = file.MappedCodePoints();
        ASSERT_TRUE(std::is_sorted(mapped.begin(), mapped.end())) << family;
        std::vector<char32_t> expected;
        for (char32_t c = 0; c < 0x30000; ++c)
            if (file.GlyphIndex(c) != 0) expected.push_back(c);
        std::vector<char32_t> below(mapped.begin(), std::lower_bound(mapped.begin(), mapped.end(), char32_t{0x30000}));
        EXPECT_EQ(below, expected) << family;
    }
}

// The fallbacks, looked for when first needed, are found once whichever
// thread asks first, and agree for every asker.
TEST(FontFaces, FallbacksFoundFromTwoThreadsAtOnceAgree) {
    const auto faces = ResolveFontFaces("Courier New", 400, true);
    size_t seen[2] = {0, 0};
    std::thread other([&] { seen[1] = faces->FaceFor(U'漢'); });
    seen[0] = faces->FaceFor(U'漢');
    other.join();
    EXPECT_NE(seen[0], 0u);
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_EQ(faces->FaceFor(U'A'), 0u);
}

}  // namespace
