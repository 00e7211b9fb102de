#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/CqvEx.h"
#include "platform/PictureDecoder.h"

namespace {

using namespace qv::platform;
using Bytes = std::vector<unsigned char>;

Bytes ReadFixture(const std::string& name) {
    std::ifstream in(std::string(QV_TEST_DATA) + "/images/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::shared_ptr<const DecodedPicture> Decode(const Bytes& bytes) { return DecodePicture(bytes.data(), bytes.size()); }

// A PNG of any size with grey rows, written with stored (uncompressed)
// deflate blocks, so that pictures of unusual sizes need no encoder.
uint32_t Crc32(const Bytes& data, size_t from) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = from; i < data.size(); ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void Put32(Bytes& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(v >> shift));
}

void Chunk(Bytes& out, const char* type, const Bytes& data) {
    Put32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    Put32(out, Crc32(out, start));
}

Bytes PngStart(uint32_t width, uint32_t height) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    Put32(ihdr, width), Put32(ihdr, height);
    ihdr.insert(ihdr.end(), {8, 0, 0, 0, 0});  // 8-bit greyscale
    Chunk(png, "IHDR", ihdr);
    return png;
}

// A header and the first bytes of the rows: the decoder learns the size.
Bytes PngClaiming(uint32_t width, uint32_t height) {
    Bytes png = PngStart(width, height);
    Chunk(png, "IDAT", {0x78, 0x01});
    return png;
}

Bytes GreyPng(uint32_t width, uint32_t height) {
    Bytes raw;
    for (uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);  // no filter
        raw.insert(raw.end(), width, static_cast<unsigned char>(y * 255 / (height > 1 ? height - 1 : 1)));
    }
    Bytes z = {0x78, 0x01};
    for (size_t at = 0; at < raw.size(); at += 65535) {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        z.push_back(at + n >= raw.size() ? 1 : 0);
        z.push_back(n & 0xFF), z.push_back(n >> 8), z.push_back(~n & 0xFF), z.push_back((~n >> 8) & 0xFF);
        z.insert(z.end(), raw.begin() + at, raw.begin() + at + n);
    }
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) a = (a + c) % 65521, b = (b + a) % 65521;
    Put32(z, (b << 16) | a);

    Bytes png = PngStart(width, height);
    Chunk(png, "IDAT", z);
    Chunk(png, "IEND", {});
    return png;
}

long MaxResidentKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(PictureDecoder, ReadsSizesAndPremultipliedPixels) {
    struct Case {
        const char* file;
        int width, height;
        uint32_t top, bottom;  // first pixel of the first and of the last row
    };
    const Case cases[] = {
        {"wide_2to1.png", 64, 32, 0xFFFF0000u, 0xFF00FF00u},
        {"tall_1to2.png", 32, 64, 0xFF0000FFu, 0xFFFFFF00u},
        {"translucent.png", 16, 16, 0x80000080u, 0x00000000u},
    };
    for (const Case& c : cases) {
        auto picture = Decode(ReadFixture(c.file));
        ASSERT_TRUE(picture) << c.file;
        EXPECT_EQ(picture->width, c.width) << c.file;
        EXPECT_EQ(picture->height, c.height) << c.file;
        ASSERT_EQ(picture->pixels.size(), size_t(c.width) * c.height);
        EXPECT_EQ(picture->pixels.front(), c.top) << c.file;
        EXPECT_EQ(picture->pixels[size_t(c.width) * (c.height - 1)], c.bottom) << c.file;
        EXPECT_TRUE(picture->jpeg.empty()) << c.file;
    }
}

TEST(PictureDecoder, KeepsTheJpegFileForEmbedding) {
    const Bytes file = ReadFixture("tall_1to2.jpg");
    auto picture = Decode(file);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 32);
    EXPECT_EQ(picture->height, 64);
    EXPECT_EQ(picture->jpeg, file);
    // Decoded colours stay close to the blue and yellow halves.
    const uint32_t top = picture->pixels.front();
    EXPECT_LT((top >> 16) & 0xFF, 24u);
    EXPECT_GT(top & 0xFF, 230u);
    const uint32_t bottom = picture->pixels.back();
    EXPECT_GT((bottom >> 16) & 0xFF, 230u);
    EXPECT_LT(bottom & 0xFF, 24u);
}

TEST(PictureDecoder, EveryPictureHasItsOwnId) {
    const Bytes file = ReadFixture("square.png");
    auto first = Decode(file);
    auto second = Decode(file);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->id, second->id);
}

TEST(PictureDecoder, BytesThatAreNoPictureGiveNone) {
    const Bytes png = ReadFixture("wide_2to1.png");
    const std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"/>";
    const std::vector<Bytes> cases = {
        {},
        Bytes{'h', 'e', 'l', 'l', 'o'},
        Bytes(svg.begin(), svg.end()),  // a format pictures of reports do not come in
        Bytes(4096, 0xFF),
    };
    for (size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(Decode(cases[i]), nullptr) << "case " << i;
    EXPECT_EQ(DecodePicture(nullptr, 10), nullptr);
}

TEST(PictureDecoder, APictureCutShortIsNone) {
    const Bytes png = GreyPng(40, 40);
    // Two rows of the forty arrive, and the stored block header says more follow.
    EXPECT_EQ(Decode(Bytes(png.begin(), png.begin() + 33 + 8 + 2 + 5 + 2 * 41)), nullptr);
    const Bytes jpeg = ReadFixture("tall_1to2.jpg");
    EXPECT_EQ(Decode(Bytes(jpeg.begin(), jpeg.begin() + jpeg.size() * 2 / 3)), nullptr);
    EXPECT_NE(Decode(png), nullptr);
}

TEST(PictureDecoder, RefusesAPictureThatClaimsTooManyPixelsBeforeDecodingIt) {
    const Bytes hostile = ReadFixture("claims_400_megapixels.png");
    const long before = MaxResidentKb();
    try {
        Decode(hostile);
        FAIL() << "no error";
    } catch (const CqvEx& e) {
        EXPECT_EQ(e.Message(), PictureTooLargeMessage(20000, 20000));
        EXPECT_NE(e.Message().find("20000 x 20000"), std::string::npos);
    }
    // Decoding the claimed rows would have touched over a gigabyte.
    EXPECT_LT(MaxResidentKb() - before, 200L * 1024);

    // The limit itself: 10000 x 10000 is allowed by size (with no rows it is
    // none), one more row is not.
    EXPECT_EQ(Decode(PngClaiming(10000, 10000)), nullptr);
    EXPECT_THROW(Decode(PngClaiming(10000, 10001)), CqvEx);
}

TEST(PictureDecoder, ScalesDownASideTheDrawingLibraryCannotTake) {
    auto picture = Decode(GreyPng(40000, 20));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, kMaxPictureSide);
    EXPECT_GE(picture->height, 15);
    EXPECT_LE(picture->height, 17);
    EXPECT_TRUE(picture->jpeg.empty());
}

TEST(PictureDecoder, HandMadePngsDecode) {
    auto picture = Decode(GreyPng(3, 2));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 3);
    EXPECT_EQ(picture->height, 2);
    EXPECT_EQ(picture->pixels.front(), 0xFF000000u);
    EXPECT_EQ(picture->pixels.back(), 0xFFFFFFFFu);
}

}  // namespace
