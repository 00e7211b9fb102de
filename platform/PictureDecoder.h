#pragma once
// Turns the bytes of a picture file (PNG, JPEG, GIF, BMP, ICO, TIFF) held in
// memory into pixels that the drawing surfaces paint, on gdk-pixbuf.
//
// Pictures come from templates and data files that the user did not
// necessarily write, so the decoder looks at the size a picture claims before
// it decodes anything and refuses absurd ones.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qv::platform {

// More pixels than this (about 400 MB of decoded pixels) are refused.
constexpr uint64_t kMaxPicturePixels = 100'000'000;
// The drawing library cannot paint a picture wider or taller than this; larger
// pictures are decoded scaled down to fit, keeping their proportions.
constexpr int kMaxPictureSide = 32767;

struct DecodedPicture {
    int width = 0;  // pixels, after the picture's own orientation is applied
    int height = 0;
    // Rows top to bottom, `width` words each: premultiplied ARGB32 in native
    // byte order (alpha in the high byte), the layout Cairo paints directly.
    std::vector<uint32_t> pixels;
    // The JPEG file itself when the picture is one and its pixels are exactly
    // what the file shows, so that a PDF can embed it instead of the pixels.
    std::vector<unsigned char> jpeg;
    // Process-unique, so that a document that embeds the same picture on
    // several pages can write it once.
    uint64_t id = 0;

    int Stride() const { return width * 4; }
};

// The picture the bytes hold, or none when they are not a picture of a
// supported format (or a damaged one). Raises CqvEx when the picture claims
// more than kMaxPicturePixels pixels, or more than `pixelBudget` (what the
// report's budget for all its pictures has left), before decoding it.
std::shared_ptr<const DecodedPicture> DecodePicture(const unsigned char* bytes, size_t count,
                                                    uint64_t pixelBudget = kMaxPicturePixels);

// The message for a picture that claims too many pixels.
std::string PictureTooLargeMessage(uint64_t width, uint64_t height);
// The message for a picture beyond what the budget has left.
std::string PictureBudgetMessage(uint64_t width, uint64_t height);

// All the pictures one report decodes together hold at most this many pixels
// (512 MiB): several of the largest single pictures, far beyond any report.
constexpr uint64_t kMaxReportPicturePixels = 134'217'728;

}  // namespace qv::platform
