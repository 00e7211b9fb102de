// Templates and data that ask for the absurd: no paper, no room, fonts of no
// size or of a hundred thousand points, pictures of ten billion pixels, texts
// and pages without end. Each report ends, drawn or refused with a message,
// in bounded time and memory.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "ReliabilityTestSupport.h"
#include "support/TestScratchDir.h"
#include "elements/ExpandFields.h"
#include "platform/PictureDecoder.h"

namespace {

using qvrel::Outcome;
using qvrel::RunReport;
using qvrel::Template;
using qv::test::ScratchDir;

uint32_t Crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string BigEndian(uint32_t value) { return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)}; }

std::string PngChunk(const std::string& type, const std::string& data) {
    return BigEndian(uint32_t(data.size())) + type + data + BigEndian(Crc32(type + data));
}

// A valid PNG header that claims the size; its pixel data is never reached.
std::string PngClaiming(uint32_t width, uint32_t height) {
    const std::string header = BigEndian(width) + BigEndian(height) + std::string{8, 2, 0, 0, 0};
    return std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header) +
           PngChunk("IDAT", std::string("\x78\x9c\x63\x00\x00\x00\x01\x00\x01", 9)) + PngChunk("IEND", "");
}

std::string Base64(const std::string& bytes) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    uint32_t group = 0;
    int bits = 0;
    for (unsigned char byte : bytes) {
        group = (group << 8) | byte;
        bits += 8;
        while (bits >= 6) text += kAlphabet[(group >> (bits -= 6)) & 63];
    }
    if (bits > 0) text += kAlphabet[(group << (6 - bits)) & 63];
    return text;
}

std::string Styles(const std::string& size) {
    return "<Style name=\"sized\" font-family=\"Arial\" font-size=\"" + size + "\"/>";
}

const std::string kBodyText = "<Block><Text width=\"100mm\">Hello world, hello world</Text></Block>";
const std::string kMaxPages = "Pages > 'max-pages' 100";

// Some twenty pages of words.
const std::string kWords = [] {
    std::string words;
    for (int i = 0; i < 8000; ++i) words += "word ";
    return words;
}();

TEST(HostileReports, AbsurdPagesAndFontsEndInPagesOrInTheMaxPagesError) {
    ScratchDir dir;
    const std::string data = dir.Write("data.xml", "<r name='x'/>");
    struct Case {
        const char* what;
        std::string templateText;
        std::string error;  // empty: drawn
    } cases[] = {
        {"a 0 x 0 page: nothing ever fits", Template(kBodyText, "page-width=\"0\" page-height=\"0\""), kMaxPages},
        {"margins wider than the paper",
         Template(kBodyText,
                  "margin-left=\"300mm\" margin-right=\"300mm\" margin-top=\"200mm\" margin-bottom=\"200mm\""),
         kMaxPages},
        {"font size 0",
         Template("<Block><Text style-name=\"sized\" width=\"100mm\">Hello</Text></Block>", "", Styles("0")), ""},
        {"font size 100,000 in the body: not one line fits",
         Template("<Block><Text style-name=\"sized\" width=\"100mm\">Hello</Text></Block>", "", Styles("100000")),
         kMaxPages},
        {"font size 100,000 in a box of the header",
         Template(kBodyText, "", Styles("100000"),
                  "<Text style-name=\"sized\" left=\"0\" top=\"0\" width=\"100mm\" height=\"5mm\">Huge</Text>"),
         ""},
        {"a block kept whole that is longer than the page",
         Template("<Block><Text width=\"100mm\">x</Text><Block nowrap=\"1\"><Text width=\"100mm\">" + kWords +
                  "</Text></Block></Block>"),
         ""},
    };
    for (const Case& c : cases) {
        const Outcome outcome = RunReport(dir.Write("report.qvrp", c.templateText), data);
        EXPECT_EQ(outcome.error, c.error) << c.what;
        if (c.error.empty()) {
            EXPECT_GE(outcome.pages, 1u) << c.what;
        }
    }
}

TEST(HostileReports, AnElementThatNeverFitsStopsAtMaxPages) {
    ScratchDir dir;
    const std::string data = dir.Write("data.xml", "<r/>");
    const std::string report = dir.Write(
        "report.qvrp",
        Template("<Block><Text style-name=\"sized\" width=\"100mm\">Hello</Text></Block>", "", Styles("100000"),
                 "<Text left=\"0\" top=\"0\" width=\"100mm\" height=\"5mm\">[%qv_curpage%]</Text>"));
    EXPECT_EQ(RunReport(report, data).error, kMaxPages);
}

TEST(HostileReports, AMillionMaxPagesWithManyRowsFinishes) {
    ScratchDir dir;
    constexpr int kRows = 10000;
    std::string rows = "<root>";
    for (int i = 1; i <= kRows; ++i)
        rows += "<row n='" + std::to_string(i) + "'>Row " + std::to_string(i) + " of the data</row>";
    rows += "</root>";
    const std::string data = dir.Write("rows.xml", rows);
    const std::string report = dir.Write(
        "report.qvrp", Template("<Block xml-element-name=\"row\"><Text xml-element-name=\"@n\" width=\"20mm\"/>"
                                "<Text xml-element-name=\".\" left=\"20mm\" width=\"150mm\"/></Block>",
                                "max-pages=\"1000000\""));
    const Outcome outcome = RunReport(report, data);
    EXPECT_EQ(outcome.error, "");
    // One line per row, a few dozen rows to a page, and a footer on each.
    EXPECT_GT(outcome.pages, size_t{kRows / 100});
    EXPECT_LT(outcome.pages, size_t{kRows / 10});
    EXPECT_EQ(outcome.pieces, size_t{2 * kRows} + outcome.pages);
}

TEST(HostileReports, PicturesThatClaimTooManyPixelsAreRefusedBeforeDecoding) {
    ScratchDir dir;
    const std::string data = dir.Write("data.xml", "<r/>");
    const std::string png = PngClaiming(100000, 100000);
    dir.Write("huge.png", png);
    const std::string message = qv::platform::PictureTooLargeMessage(100000, 100000);
    for (const std::string& image :
         {"<Image data-from=\"base64\" width=\"50mm\" height=\"50mm\">" + Base64(png) + "</Image>",
          std::string("<Image width=\"50mm\" height=\"50mm\">huge.png</Image>")}) {
        EXPECT_EQ(RunReport(dir.Write("report.qvrp", Template("<Block>" + image + "</Block>")), data).error, message)
            << image.substr(0, 40);
    }
}

TEST(HostileReports, GarbageBase64AndDevicesPlaceNoPicture) {
    ScratchDir dir;
    const std::string data = dir.Write("data.xml", "<r/>");
    // Not a picture at all: nothing is placed, the texts around it are.
    const Outcome garbage = RunReport(
        dir.Write("garbage.qvrp",
                  Template("<Block><Text width=\"50mm\">before</Text><Image data-from=\"base64\" width=\"50mm\" "
                           "height=\"50mm\">!!!! not base64 ???? ~~~~ QUJD &amp; =====</Image>"
                           "<Text width=\"50mm\">after</Text></Block>")),
        data);
    EXPECT_EQ(garbage.error, "");
    EXPECT_EQ(garbage.pieces, 3u);  // the two texts and the footer
    // A device never ends: it is no picture file.
    EXPECT_EQ(RunReport(dir.Write("device.qvrp",
                                  Template("<Block><Image width=\"50mm\" height=\"50mm\">/dev/zero</Image></Block>")),
                        data)
                  .error,
              "Can't load Image from file '/dev/zero'");
}

TEST(HostileReports, ATextLongerThanTheLimitIsRefused) {
    ScratchDir dir;
    const std::string longText(kMaxTextRunBytes + 1, 'a');
    const std::string big =
        dir.Write("big.xml", "<r><big>" + longText + "</big><small>" + std::string(2000, 'b') + "</small></r>");
    // A data text bound whole, and a short one repeated by fields.
    std::string fields;
    for (int i = 0; i < 3000; ++i) fields += "[%small%]";
    struct Case {
        std::string blocks;
        std::string error;
    } cases[] = {
        {"<Block><Text xml-element-name=\"big\" width=\"100mm\"/></Block>", TextTooLongMessage(longText)},
        {"<Block><Text width=\"100mm\">" + fields + "</Text></Block>", TextTooLongMessage(fields)},
        {"<Block><Text width=\"100mm\">[%small%]</Text></Block>", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(RunReport(dir.Write("report.qvrp", Template(c.blocks)), big).error, c.error);
    EXPECT_EQ(TextTooLongMessage(fields),
              "The text '[%small%][%small%][%small%][%small%][%sm...' is longer than 4194304 bytes");
}

TEST(HostileReports, ManyPageCountFieldsInOneTextAreFilledInOnePass) {
    ScratchDir dir;
    const std::string data = dir.Write("data.xml", "<r/>");
    // At font size 0 the whole text fits on one page, every field in one piece.
    std::string fields;
    for (int i = 0; i < 80000; ++i) fields += "[%qv_pages%] ";
    const auto started = std::chrono::steady_clock::now();
    const Outcome outcome =
        RunReport(dir.Write("report.qvrp",
                            Template("<Block><Text style-name=\"sized\" width=\"190mm\">" + fields + "</Text></Block>",
                                     "", Styles("0"))),
                  data);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_EQ(outcome.error, "");
    EXPECT_EQ(outcome.pages, 1u);
    EXPECT_LT(seconds, 60.0);
}

TEST(HostileReports, APageOfMoreThanTheLimitOfPiecesIsRefused) {
    ScratchDir dir;
    // Lines of 2 units with no space around them, one per data element, all on
    // one page 25 m high.
    const std::string report =
        dir.Write("report.qvrp", Template("<Block xml-element-name=\"r\"><Line left=\"0\" top=\"0\" width=\"10mm\" "
                                          "space-before=\"0\" space-after=\"0\"/></Block>",
                                          "page-height=\"25000mm\""));
    std::string many = "<root>";
    for (size_t i = 0; i <= kMaxPiecesPerPage; ++i) many += "<r/>";
    many += "</root>";
    EXPECT_EQ(RunReport(report, dir.Write("many.xml", many)).error, "Page 1 holds more than 100000 pieces");
    const Outcome fewer = RunReport(report, dir.Write("fewer.xml", "<root><r/><r/><r/></root>"));
    EXPECT_EQ(fewer.error, "");
    EXPECT_EQ(fewer.pieces, 4u);  // three lines and the footer
}

}  // namespace
