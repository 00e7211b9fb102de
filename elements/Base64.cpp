#include "elements/Base64.h"

#include <array>
#include <cstdint>

namespace {

constexpr int kNotInAlphabet = -1;

constexpr std::array<int, 256> MakeTable() {
    std::array<int, 256> table{};
    for (int& entry : table) entry = kNotInAlphabet;
    constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (size_t i = 0; i < alphabet.size(); ++i) table[static_cast<unsigned char>(alphabet[i])] = static_cast<int>(i);
    return table;
}

constexpr std::array<int, 256> kTable = MakeTable();

}  // namespace

std::optional<std::vector<unsigned char>> DecodeBase64(std::string_view text) {
    std::vector<unsigned char> bytes;
    bytes.reserve(text.size() / 4 * 3 + 2);
    uint32_t group = 0;  // the 6-bit values of the current group, oldest highest
    int count = 0;       // characters in the current group
    bool padded = false;
    for (const char c : text) {
        if (c == '=') {
            padded = true;
            break;
        }
        const int value = kTable[static_cast<unsigned char>(c)];
        if (value == kNotInAlphabet) continue;
        group = (group << 6) | static_cast<uint32_t>(value);
        if (++count == 4) {
            bytes.push_back(static_cast<unsigned char>(group >> 16));
            bytes.push_back(static_cast<unsigned char>(group >> 8));
            bytes.push_back(static_cast<unsigned char>(group));
            group = 0;
            count = 0;
        }
    }
    if (count == 1 && padded) return std::nullopt;
    // The leftover bits of a short group are padding, not data.
    if (count == 2) {
        bytes.push_back(static_cast<unsigned char>(group >> 4));
    } else if (count == 3) {
        bytes.push_back(static_cast<unsigned char>(group >> 10));
        bytes.push_back(static_cast<unsigned char>(group >> 2));
    }
    return bytes;
}
