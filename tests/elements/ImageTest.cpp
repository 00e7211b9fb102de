#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "elements/CqvImageItem.h"
#include "elements/CqvPicture.h"
#include "elements/QvPictureStore.h"
#include "ImageTestSupport.h"
#include "platform/PictureDecoder.h"
#include "support/TestSettingsGuard.h"
#include "engine/QvSettings.h"

#include <filesystem>

namespace {

using namespace qvimages;
using Kind = RecordedCall::Kind;

// <Image> with attributes and a text; `file` names a picture of tests/data/images.
std::string Image(const std::string& attributes, const std::string& file) {
    return "<Image " + attributes + ">" + ImageFile(file) + "</Image>";
}

// Takes the page down to y = `height` with a picture stretched over that height.
std::string Filler(int height) {
    return Image("stretch=\"1\" width=\"10.0\" height=\"" + std::to_string(height / 10) + "." +
                     std::to_string(height % 10) + "\"",
                 "square.png");
}

TEST(CqvImageItem, BoxKeepsTheSmallerDeclaredSideAndThePicturesProportions) {
    struct Case {
        int w, h;      // the picture's pixels
        int32_t W, H;  // declared
        int32_t bw, bh;
    };
    const Case cases[] = {
        {64, 32, 500, 800, 500, 250},   // 2 : 1 in a tall box
        {32, 64, 500, 800, 500, 1000},  // 1 : 2: taller than declared
        {3, 2, 300, 300, 300, 200},     // 3 : 2 in a square box, at several pixel sizes
        {30, 20, 300, 300, 300, 200},   {48, 32, 300, 300, 300, 200},
        {600, 400, 300, 300, 300, 200}, {2, 3, 300, 300, 200, 300},
        {16, 16, 300, 300, 300, 300},   {16, 16, 300, 800, 300, 300},  // a square picture takes the smaller side twice
        {16, 16, 800, 300, 300, 300},   {32, 64, 800, 500, 250, 500},  // wide box: the height stays
        {64, 32, 800, 500, 1000, 500},  {3, 1, 100, 200, 100, 33},     // truncated, not rounded
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CqvImageItem::BoxFor(c.w, c.h, c.W, c.H), std::make_pair(c.bw, c.bh))
            << c.w << "x" << c.h << " in " << c.W << "x" << c.H;
    }
}

TEST(CqvImageItem, PlacesItsBoxAndDrawsThePictureInIt) {
    Report report(Page(
        "<Block>" + Image("name=\"a\" width=\"50.0\" height=\"80.0\"", "wide_2to1.png") +
        Image("name=\"b\" left=\"60.0\" width=\"30.0\" height=\"20.0\" padding=\"10\" border=\"1\"", "tall_1to2.png") +
        "</Block>"));
    report.Prepare();
    const auto images = report.Images(1);
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0]->Outer(), (QvRect{0, 0, 500, -250}));
    EXPECT_EQ(images[0]->Content(), (QvRect{0, 0, 500, -250}));
    EXPECT_EQ(images[0]->BoxWidth(), 500);
    EXPECT_EQ(images[0]->BoxHeight(), 250);
    EXPECT_TRUE(images[0]->Fresh());
    EXPECT_EQ(images[0]->SliceOffset(), 0);
    // Wide declared box: the height stays and the width follows the picture;
    // the frame keeps the declared width, the picture sits inside the paddings.
    EXPECT_EQ(images[1]->Outer(), (QvRect{600, 0, 900, -200}));
    EXPECT_EQ(images[1]->Content(), (QvRect{610, -10, 690, -190}));

    const auto calls = report.Draw(1);
    const auto pictures = CallsOf(calls, Kind::DrawPicture);
    ASSERT_EQ(pictures.size(), 2u);
    EXPECT_EQ(pictures[0].rect, images[0]->Content());
    EXPECT_EQ(pictures[0].sourceTop, 0);
    EXPECT_EQ(pictures[0].sourceHeight, 32);
    EXPECT_EQ(pictures[0].pictureWidth, 64);
    EXPECT_EQ(pictures[1].rect, images[1]->Content());
    EXPECT_EQ(pictures[1].sourceHeight, 64);

    // Background, the frame under the picture, the picture, then the borders.
    std::vector<Kind> order;
    bool second = false;
    for (const auto& call : calls) {
        if (call.kind == Kind::FillSolidRect && call.rect == images[1]->Outer()) second = true;
        if (second && call.kind != Kind::SelectFont && call.kind != Kind::SetTextColor && call.kind != Kind::SetBkColor)
            order.push_back(call.kind);
    }
    EXPECT_EQ(order,
              (std::vector<Kind>{Kind::FillSolidRect, Kind::Rectangle, Kind::DrawPicture, Kind::MoveTo, Kind::LineTo,
                                 Kind::MoveTo, Kind::LineTo, Kind::MoveTo, Kind::LineTo, Kind::MoveTo, Kind::LineTo}));
}

TEST(CqvImageItem, APictureTallerThanTheRestOfThePageIsSplit) {
    // The body is 2000 high; after the filler 300 are left for a picture 800 high.
    Report report(
        Page("<Block>" + Filler(1700) + Image("width=\"40.0\" height=\"80.0\"", "tall_1to2.png") + "</Block>"));
    report.Prepare();
    ASSERT_EQ(report->PageCount(), 2u);
    const auto first = report.Images(1);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[1]->Content(), (QvRect{0, -1700, 400, -2000}));
    EXPECT_TRUE(first[1]->Fresh());
    EXPECT_EQ(first[1]->SliceOffset(), 300);
    const auto second = report.Images(2);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0]->Content(), (QvRect{0, 0, 400, -500}));
    EXPECT_FALSE(second[0]->Fresh());
    EXPECT_EQ(second[0]->SliceOffset(), 300);
    // One picture, shared by both pieces.
    EXPECT_EQ(first[1]->Picture(), second[0]->Picture());

    // The upper 24 of the picture's 64 rows on the first page, the rest on the second.
    const auto upper = CallsOf(report.Draw(1), Kind::DrawPicture);
    const auto lower = CallsOf(report.Draw(2), Kind::DrawPicture);
    ASSERT_EQ(upper.size(), 2u);
    ASSERT_EQ(lower.size(), 1u);
    EXPECT_EQ(std::make_pair(upper[1].sourceTop, upper[1].sourceHeight), std::make_pair(0, 24));
    EXPECT_EQ(std::make_pair(lower[0].sourceTop, lower[0].sourceHeight), std::make_pair(24, 40));
}

TEST(CqvImageItem, NowrapMovesThePictureWholeToTheNextPage) {
    Report report(Page("<Block>" + Filler(1700) +
                       Image("nowrap=\"1\" width=\"40.0\" height=\"80.0\"", "tall_1to2.png") + "</Block>"));
    report.Prepare();
    ASSERT_EQ(report->PageCount(), 2u);
    EXPECT_EQ(report.Images(1).size(), 1u);
    const auto second = report.Images(2);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0]->Content(), (QvRect{0, 0, 400, -800}));
    EXPECT_TRUE(second[0]->Fresh());
    const auto drawn = CallsOf(report.Draw(2), Kind::DrawPicture);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(std::make_pair(drawn[0].sourceTop, drawn[0].sourceHeight), std::make_pair(0, 64));
}

TEST(CqvImageItem, APictureOverThreePagesShowsEachPartOnce) {
    // A 500 high header leaves 1500 of each page; the picture is 1800 high and
    // starts with 200 left on the first page.
    Report report(
        Page("<Block>" + Filler(1300) + Image("width=\"90.0\" height=\"180.0\"", "tall_1to2.png") + "</Block>",
             "<PageHeader height=\"50.0\"/>"));
    report.Prepare();
    ASSERT_EQ(report->PageCount(), 3u);
    int32_t nextRow = 0;
    const int32_t heights[] = {200, 1500, 100};
    for (uint32_t page = 1; page <= 3; ++page) {
        const auto images = report.Images(page);
        ASSERT_FALSE(images.empty());
        EXPECT_EQ(images.back()->Content().Height(), heights[page - 1]) << "page " << page;
        const auto drawn = CallsOf(report.Draw(page), Kind::DrawPicture);
        ASSERT_FALSE(drawn.empty());
        EXPECT_EQ(drawn.back().sourceTop, nextRow) << "page " << page;
        nextRow = drawn.back().sourceTop + drawn.back().sourceHeight;
    }
    EXPECT_EQ(nextRow, 64);
}

TEST(CqvImageItem, APictureThatNeedsABreakAfterAKeepWithNextTrialStartsAtItsTop) {
    // The trial that keeps the picture with the text below loads the picture
    // first; the real placement must still show the picture's upper part.
    Report report(Page("<Block>" + Filler(1700) +
                       Image("not-last-item=\"1\" width=\"40.0\" height=\"80.0\"", "tall_1to2.png") +
                       "<Text>after</Text></Block>"));
    report.Prepare();
    const auto first = report.Images(1);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_TRUE(first[1]->Fresh());
    const auto upper = CallsOf(report.Draw(1), Kind::DrawPicture);
    ASSERT_EQ(upper.size(), 2u);
    EXPECT_EQ(upper[1].sourceTop, 0);
    EXPECT_EQ(upper[1].sourceHeight, 24);
}

TEST(CqvImageItem, StretchFillsTheDeclaredBox) {
    Report report(
        Page("<Block>" + Image("stretch=\"1\" width=\"50.0\" height=\"30.0\"", "tall_1to2.png") + "</Block>"));
    report.Prepare();
    const auto images = report.Images(1);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0]->Content(), (QvRect{0, 0, 500, -300}));
}

TEST(CqvImageItem, HeaderPicturesSitAtTheirOwnTop) {
    Report report(Page("<Block><Text>body</Text></Block>",
                       "<PageHeader height=\"40.0\">" +
                           Image("top=\"10.0\" left=\"5.0\" width=\"20.0\" height=\"20.0\"", "square.png") +
                           "</PageHeader>"));
    report.Prepare();
    const auto images = report.Images(1);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0]->Outer(), (QvRect{50, -100, 250, -300}));
}

TEST(CqvImageItem, TooTallForAnyPageIsAnError) {
    Report report(Page("<Block>" + Image("width=\"110.0\" height=\"300.0\"", "tall_1to2.png") + "</Block>"));
    EXPECT_EQ(ErrorOf([&] { report.Prepare(); }), "Image Hight > Paper Hight");
}

TEST(CqvImageItem, FailuresSayWhatWentWrong) {
    // data-from is compared exactly.
    EXPECT_EQ(ErrorOf([] { Report report(Page("<Block><Image data-from=\"File\">x.png</Image></Block>")); }),
              "Undefine value 'File' in property 'data-from'");
    EXPECT_EQ(ErrorOf([] { Report report(Page("<Block><Image DATA-FROM=\"base64\">QUJD</Image></Block>")); }), "");

    Report missing(Page("<Block><Image>pictures\\missing.png</Image></Block>"));
    const std::string folder = missing->TemplateFileName().substr(0, missing->TemplateFileName().rfind('/'));
    EXPECT_EQ(ErrorOf([&] { missing.Prepare(); }), "Can't load Image from file '" + folder + "/pictures/missing.png'");

    // A folder where the file should be cannot be read as a picture.
    Report folderPath(Page("<Block><Image>" + ImagesFolder() + "</Image></Block>"));
    EXPECT_EQ(ErrorOf([&] { folderPath.Prepare(); }), "Can't load Image from file '" + ImagesFolder() + "'");

    // A picture that claims absurdly many pixels is refused before it is decoded.
    Report hostile(Page("<Block><Image data-from=\"base64\">" +
                        Base64(ReadBytes(ImageFile("claims_400_megapixels.png"))) + "</Image></Block>"));
    EXPECT_EQ(ErrorOf([&] { hostile.Prepare(); }), qv::platform::PictureTooLargeMessage(20000, 20000));
}

TEST(CqvImageItem, BytesThatAreNoPicturePlaceNothingAndFinish) {
    const std::string cases[] = {
        "<Image name=\"i\">fake.png</Image>",                               // a text file
        "<Image name=\"i\">empty.png</Image>",                              // an empty file
        "<Image name=\"i\" data-from=\"base64\">aGVsbG8gd29ybGQ=</Image>",  // "hello world"
        "<Image name=\"i\" data-from=\"base64\">Q=</Image>",                // broken base64
        "<Image name=\"i\" data-from=\"base64\"></Image>",
        "<Image name=\"i\"></Image>",  // no file reference
    };
    for (const std::string& image : cases) {
        Report report(Page("<Block>" + image + "<Text name=\"t\">below</Text></Block>"), "<root/>",
                      {{"fake.png", "hello"}, {"empty.png", ""}});
        report.Prepare();
        EXPECT_EQ(report->PageCount(), 1u) << image;
        EXPECT_TRUE(report.Images(1).empty()) << image;
        const auto texts = report.Texts(1);
        ASSERT_EQ(texts.size(), 1u) << image;
        EXPECT_EQ(texts[0]->Outer().top, 0) << image;  // the picture took no room
    }
}

TEST(CqvImageItem, Base64InIndentedLinesLoadsLikeOneLine) {
    const std::string line = Base64(ReadBytes(ImageFile("wide_2to1.png")));
    std::string indented = "\n";
    for (size_t i = 0; i < line.size(); i += 40) indented += "          " + line.substr(i, 40) + "\n";
    for (const std::string& text : {line, indented}) {
        Report report(
            Page("<Block><Image data-from=\"base64\" width=\"50.0\" height=\"80.0\">" + text + "</Image></Block>"));
        report.Prepare();
        const auto images = report.Images(1);
        ASSERT_EQ(images.size(), 1u);
        EXPECT_EQ(images[0]->BoxHeight(), 250);
        const auto drawn = CallsOf(report.Draw(1), Kind::DrawPicture);
        ASSERT_EQ(drawn.size(), 1u);
        EXPECT_EQ(std::make_pair(drawn[0].pictureWidth, drawn[0].pictureHeight), std::make_pair(64, 32));
    }
}

TEST(CqvImageItem, BoundPicturesComeFromTheData) {
    // File names in an attribute, resolved in the folder the element's text names.
    const std::string data = "<root><dog photo=\"wide_2to1.png\"/><dog photo=\"tall_1to2.jpg\"/><dog/></root>";
    Report report(Page("<Block xml-element-name=\"dog\"><Image xml-element-name=\"@photo\" width=\"30.0\" "
                       "height=\"40.0\">" +
                       ImagesFolder() + "</Image></Block>"),
                  data);
    report.Prepare();
    const auto images = report.Images(1);
    ASSERT_EQ(images.size(), 2u);  // the third dog has no photo
    EXPECT_EQ(images[0]->Content(), (QvRect{0, 0, 300, -150}));
    EXPECT_EQ(images[1]->Content(), (QvRect{0, -150, 300, -750}));
    EXPECT_NE(images[0]->Picture(), images[1]->Picture());

    // Base64 in a child element's text; the data file has no other pictures.
    const std::string bytes = Base64(ReadBytes(ImageFile("tall_1to2.png")));
    Report encoded(
        Page("<Block xml-element-name=\"dog\"><Image data-from=\"base64\" xml-element-name=\"photo\" "
             "width=\"30.0\" height=\"40.0\"/></Block>"),
        "<root><dog><photo>\n  " + bytes.substr(0, 50) + "\n  " + bytes.substr(50) + "\n</photo></dog></root>");
    encoded.Prepare();
    ASSERT_EQ(encoded.Images(1).size(), 1u);
    EXPECT_EQ(encoded.Images(1)[0]->BoxHeight(), 600);

    // A file name relative to the template, in the element's own text.
    Report relative(Page("<Block xml-element-name=\"dog\"><Image xml-element-name=\"file\"/></Block>"),
                    "<root><dog><file>copy.png</file></dog></root>",
                    {{"copy.png", ReadBytes(ImageFile("square.png"))}});
    relative.Prepare();
    EXPECT_EQ(relative.Images(1).size(), 1u);
}

TEST(CqvImageItem, AFilePictureInARepeatedBlockIsDrawnInEveryRepetition) {
    Report report(
        Page("<Block xml-element-name=\"dog\">" + Image("width=\"20.0\" height=\"30.0\"", "square.png") + "</Block>"),
        "<root><dog/><dog/><dog/></root>");
    report.Prepare();
    const auto images = report.Images(1);
    ASSERT_EQ(images.size(), 3u);
    for (size_t i = 0; i < images.size(); ++i) {
        EXPECT_EQ(images[i]->Content(), (QvRect{0, -200 * int32_t(i), 200, -200 * int32_t(i + 1)}));
        // The file is read and decoded once; every repetition shows it.
        EXPECT_EQ(images[i]->Picture(), images[0]->Picture());
        EXPECT_TRUE(images[i]->Picture()->HasPicture());
    }
    EXPECT_EQ(CallsOf(report.Draw(1), Kind::DrawPicture).size(), 3u);
}

TEST(CqvImageItem, PlaceholdersInTheFileNameAreExpanded) {
    Report report(Page("<Block><Image width=\"20.0\" height=\"30.0\" base=\"" + ImagesFolder() +
                       "\">[%@base%]/square.png</Image></Block>"));
    report.Prepare();
    EXPECT_EQ(report.Images(1).size(), 1u);
}

}  // namespace

namespace {

// Picture names from the data, under each trust the command offers. "" is a
// picture placed; anything else the message expected.
TEST(CqvImageItem, PictureNamesFromTheDataStayInTheTemplatesFolder) {
    qv::test::SettingsGuard guard;
    const std::string outsideFolder = "it lies outside the template's picture folder";
    const std::string notPlain = "this data may name only pictures by plain relative names";
    const std::string square = ImageFile("square.png");  // outside the report's folder
    const struct {
        std::string name;
        std::string folder, untrusted, trusted;
    } cases[] = {
        {"copy.png", "", "", ""},
        {"sub/copy.png", "", "", ""},
        {"sub/../copy.png", "", notPlain, ""},
        {square, outsideFolder, notPlain, ""},
        {"../../../../../../../.." + square, outsideFolder, notPlain, ""},
        {"link.png", outsideFolder, outsideFolder, ""},
        {"/nonexistent/x.png", outsideFolder, notPlain, "Can't load Image from file '/nonexistent/x.png'"},
        {"none.png", "*", "Can't load Image from file 'none.png'", "*"},
    };
    for (const auto& c : cases) {
        Report report(Page("<Block xml-element-name=\"dog\"><Image xml-element-name=\"@photo\" width=\"20.0\" "
                           "height=\"20.0\"/></Block>"),
                      "<root><dog photo=\"" + c.name + "\"/></root>",
                      {{"copy.png", ReadBytes(square)}, {"sub/copy.png", ReadBytes(square)}});
        const std::string folder = report->TemplateFileName().substr(0, report->TemplateFileName().rfind('/'));
        std::filesystem::create_symlink(square, folder + "/link.png");
        const std::pair<QvDataTrust, std::string> trusts[] = {
            {QvDataTrust::Folder, c.folder}, {QvDataTrust::Untrusted, c.untrusted}, {QvDataTrust::Trusted, c.trusted}};
        for (const auto& [trust, expected] : trusts) {
            QvSettings::Instance().dataTrust = trust;
            const std::string error = ErrorOf([&] { report.Prepare(); });
            const std::string where = c.name + " under trust " + std::to_string(int(trust));
            if (expected.empty()) {
                EXPECT_EQ(error, "") << where;
                EXPECT_EQ(report.Images(1).size(), 1u) << where;
            } else if (expected == "*") {
                // A missing neighbour of the template names its full path where paths may be shown.
                EXPECT_EQ(error, "Can't load Image from file '" + folder + "/" + c.name + "'") << where;
            } else if (expected.starts_with("Can't")) {
                EXPECT_EQ(error, expected) << where;
            } else {
                EXPECT_EQ(error, "The picture '" + c.name + "' named by the data is refused: " + expected) << where;
            }
        }
    }
}

// Only the formats reports use reach a decoder: an SVG (which gdk-pixbuf would
// hand to its SVG loader) and bytes whose signature names no such format are
// no picture, while a PNG with a foreign extension is still one.
TEST(CqvImageItem, OnlyTheAllowedFormatsAreDecoded) {
    const std::string svg =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"><rect "
        "width=\"10\" height=\"10\"/></svg>";
    const std::string xpm = "/* XPM */\nstatic char * x[] = {\"1 1 1 1\", \"a c #000000\", \"a\"};\n";
    for (const std::string& bytes : {svg, xpm, std::string("P3\n1 1\n255\n0 0 0\n")}) {
        auto data = reinterpret_cast<const unsigned char*>(bytes.data());
        EXPECT_EQ(qv::platform::DecodePicture(data, bytes.size()), nullptr) << bytes;
    }
    const std::string png = ReadBytes(ImageFile("square.png"));
    EXPECT_NE(qv::platform::DecodePicture(reinterpret_cast<const unsigned char*>(png.data()), png.size()), nullptr);
}

}  // namespace

namespace {

// One file named by many data rows is decoded once and shared, so a PDF
// embeds it once; the budget holds for all the pictures of a report together.
TEST(QvPictureStore, AFileIsDecodedOnceAndThePicturesShareOneBudget) {
    std::string rows;
    for (int i = 0; i < 50; ++i) rows += "<dog photo=\"copy.png\"/>";
    Report report(Page("<Block xml-element-name=\"dog\"><Image xml-element-name=\"@photo\" width=\"3.0\" "
                       "height=\"3.0\"/></Block>"),
                  "<root>" + rows + "</root>", {{"copy.png", ReadBytes(ImageFile("square.png"))}});
    report.Prepare();
    const auto images = report.Images(1);
    ASSERT_EQ(images.size(), 50u);
    for (const auto* image : images) EXPECT_EQ(image->Picture()->Image(), images[0]->Picture()->Image());
    EXPECT_EQ(report->Pictures().FilesDecoded(), 1u);
    EXPECT_EQ(report->Pictures().PixelsUsed(), 16u * 16u);

    // 16 x 16 and 64 x 32 pixels against a budget of 2,500: the third picture is refused.
    QvPictureStore store(2500);
    const std::string square = ReadBytes(ImageFile("square.png")), wide = ReadBytes(ImageFile("wide_2to1.png"));
    auto bytes = [](const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); };
    EXPECT_TRUE(store.FromBytes(bytes(square), square.size())->HasPicture());
    EXPECT_TRUE(store.FromBytes(bytes(wide), wide.size())->HasPicture());
    EXPECT_EQ(ErrorOf([&] { store.FromBytes(bytes(wide), wide.size()); }), qv::platform::PictureBudgetMessage(64, 32));
    EXPECT_EQ(store.PixelsUsed(), 16u * 16u + 64u * 32u);
    // A file already decoded costs nothing more.
    const std::string file = report->TemplateFileName().substr(0, report->TemplateFileName().rfind('/')) + "/copy.png";
    QvPictureStore files(300);
    EXPECT_EQ(files.FromFile(file), files.FromFile(file));
    EXPECT_EQ(files.FilesDecoded(), 1u);
}

}  // namespace
