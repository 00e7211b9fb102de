#pragma once
// A decoded picture as a PDF image XObject: a JPEG file as it is
// (/DCTDecode), anything else as its pixels, 8-bit RGB, deflated, with a soft
// mask when any pixel is not fully opaque.
#include <string>
#include <string_view>

namespace qv::platform {
struct DecodedPicture;
}

namespace qv::render {

class PdfObjectWriter;

// The colour layout a JPEG file declares in its frame header.
struct JpegFrame {
    int width = 0;
    int height = 0;
    int components = 0;                      // 1 grey, 3 YCbCr/RGB, 4 CMYK/YCCK
    bool adobe = false;                      // an Adobe APP14 marker: four components are stored inverted
    bool baselineOrProgressive8Bit = false;  // what every PDF reader decodes
};

// The frame header of a JPEG file; components = 0 when there is none.
JpegFrame ReadJpegFrame(std::string_view jpeg);

// Writes `picture` as image object `object` (and its soft mask as a further
// object when it needs one).
void WritePicture(PdfObjectWriter& writer, int object, const qv::platform::DecodedPicture& picture);

}  // namespace qv::render
