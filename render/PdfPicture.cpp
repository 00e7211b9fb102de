#include "render/PdfPicture.h"

#include <string_view>

#include "platform/PictureDecoder.h"
#include "render/PdfNumber.h"
#include "render/PdfObjectWriter.h"

namespace qv::render {

JpegFrame ReadJpegFrame(std::string_view jpeg) {
    JpegFrame frame;
    auto byte = [&](size_t i) { return static_cast<unsigned char>(jpeg[i]); };
    if (jpeg.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8) return frame;
    size_t at = 2;
    while (at + 4 <= jpeg.size()) {
        if (byte(at) != 0xFF) return frame;
        const unsigned marker = byte(at + 1);
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            at += 2;
            continue;
        }
        const size_t length = (size_t{byte(at + 2)} << 8) | byte(at + 3);
        if (length < 2 || at + 2 + length > jpeg.size()) return frame;
        const size_t body = at + 4;
        if (marker == 0xEE && length >= 7 && jpeg.substr(body, 5) == "Adobe") frame.adobe = true;
        // SOF0..SOF15 except DHT (C4), JPG (C8) and DAC (CC).
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            if (length < 8) return frame;
            const int precision = byte(body);
            frame.height = (byte(body + 1) << 8) | byte(body + 2);
            frame.width = (byte(body + 3) << 8) | byte(body + 4);
            frame.components = byte(body + 5);
            // Baseline, extended sequential and progressive Huffman, 8 bits:
            // lossless and arithmetic-coded files are not for every reader.
            frame.baselineOrProgressive8Bit = precision == 8 && (marker == 0xC0 || marker == 0xC1 || marker == 0xC2);
            return frame;
        }
        if (marker == 0xDA || marker == 0xD9) return frame;  // scan data before any frame header
        at += 2 + length;
    }
    return frame;
}

namespace {

void AppendImageHeader(std::string& d, int width, int height) {
    d += "/Type /XObject /Subtype /Image /Width ";
    AppendInt(d, width);
    d += " /Height ";
    AppendInt(d, height);
    d += " /BitsPerComponent 8";
}

// The JPEG as it is, when its frame header tells a colour space every reader
// shows alike; false when the pixels must go instead.
bool WriteJpeg(PdfObjectWriter& writer, int object, const qv::platform::DecodedPicture& picture) {
    const std::string_view jpeg(reinterpret_cast<const char*>(picture.jpeg.data()), picture.jpeg.size());
    const JpegFrame frame = ReadJpegFrame(jpeg);
    if (!frame.baselineOrProgressive8Bit || frame.width != picture.width || frame.height != picture.height)
        return false;
    std::string d;
    AppendImageHeader(d, frame.width, frame.height);
    switch (frame.components) {
    case 1: d += " /ColorSpace /DeviceGray"; break;
    case 3: d += " /ColorSpace /DeviceRGB"; break;
    case 4:
        // Adobe's programs store CMYK inverted, and mark such files with their
        // APP14 segment; without it the inks' sense is a guess, so the decoded
        // pixels go instead.
        if (!frame.adobe) return false;
        d += " /ColorSpace /DeviceCMYK /Decode [1 0 1 0 1 0 1 0]";
        break;
    default: return false;
    }
    d += " /Interpolate true /Filter /DCTDecode";
    // /Filter is given here, so the writer must not deflate.
    writer.WriteStream(object, d, jpeg, false);
    return true;
}

}  // namespace

void WritePicture(PdfObjectWriter& writer, int object, const qv::platform::DecodedPicture& picture) {
    if (!picture.jpeg.empty() && WriteJpeg(writer, object, picture)) return;

    // Premultiplied ARGB words to straight RGB bytes and an alpha plane.
    const size_t count = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
    std::string rgb(count * 3, '\0');
    std::string alpha(count, '\0');
    bool translucent = false;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t p = picture.pixels[i];
        const unsigned a = p >> 24;
        unsigned r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        if (a != 255) {
            translucent = true;
            if (a == 0) {
                r = g = b = 0;
            } else {
                r = (r * 255 + a / 2) / a;
                g = (g * 255 + a / 2) / a;
                b = (b * 255 + a / 2) / a;
            }
        }
        rgb[3 * i] = static_cast<char>(r > 255 ? 255 : r);
        rgb[3 * i + 1] = static_cast<char>(g > 255 ? 255 : g);
        rgb[3 * i + 2] = static_cast<char>(b > 255 ? 255 : b);
        alpha[i] = static_cast<char>(a);
    }
    std::string d;
    AppendImageHeader(d, picture.width, picture.height);
    d += " /ColorSpace /DeviceRGB /Interpolate true";
    int mask = 0;
    if (translucent) {
        mask = writer.Reserve();
        d += " /SMask ";
        AppendInt(d, mask);
        d += " 0 R";
    }
    writer.WriteStream(object, d, rgb, true);
    if (translucent) {
        std::string m;
        AppendImageHeader(m, picture.width, picture.height);
        m += " /ColorSpace /DeviceGray /Interpolate true";
        writer.WriteStream(mask, m, alpha, true);
    }
}

}  // namespace qv::render
