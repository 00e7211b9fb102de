// The base64 decoder, and the picture decoder on what it yields. Decoding is
// checked against an encoder: the bytes of any text, encoded and decoded
// again, are the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/CqvEx.h"
#include "elements/Base64.h"
#include "platform/PictureDecoder.h"

namespace {

std::string Encode(const std::vector<unsigned char>& bytes) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t group = (uint32_t(bytes[i]) << 16) | (uint32_t(bytes[i + 1]) << 8) | bytes[i + 2];
        for (int shift = 18; shift >= 0; shift -= 6) text += kAlphabet[(group >> shift) & 63];
    }
    const size_t rest = bytes.size() - i;
    if (rest == 1) {
        const uint32_t group = uint32_t(bytes[i]) << 16;
        text += kAlphabet[(group >> 18) & 63];
        text += kAlphabet[(group >> 12) & 63];
        text += "==";
    } else if (rest == 2) {
        const uint32_t group = (uint32_t(bytes[i]) << 16) | (uint32_t(bytes[i + 1]) << 8);
        text += kAlphabet[(group >> 18) & 63];
        text += kAlphabet[(group >> 12) & 63];
        text += kAlphabet[(group >> 6) & 63];
        text += '=';
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto bytes = DecodeBase64(text);
    if (!bytes) return 0;
    // Four characters carry three bytes at most.
    if (bytes->size() > size / 4 * 3 + 2) std::abort();
    const auto again = DecodeBase64(Encode(*bytes));
    if (!again || *again != *bytes) std::abort();
    try {
        (void)qv::platform::DecodePicture(bytes->data(), bytes->size());
    } catch (const CqvEx&) {
        // A picture that claims too many pixels is refused before it is decoded.
    }
    return 0;
}
