#include "render/PdfNumber.h"

#include <charconv>
#include <cmath>

namespace qv::render {

namespace {

constexpr int64_t kPowersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000};

}  // namespace

void AppendInt(std::string& out, int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void AppendNumber(std::string& out, double value, int decimals) {
    if (decimals < 0) decimals = 0;
    if (decimals > 6) decimals = 6;
    const int64_t scale = kPowersOfTen[decimals];
    // Beyond what a page can hold the decimals do not matter, and the scaled
    // value must stay inside int64.
    if (!std::isfinite(value) || std::fabs(value) > 1e12) {
        AppendInt(out, std::isfinite(value) ? static_cast<int64_t>(value) : 0);
        return;
    }
    const int64_t scaled = std::llround(value * static_cast<double>(scale));
    if (scaled % scale == 0) {
        AppendInt(out, scaled / scale);
        return;
    }
    const int64_t magnitude = scaled < 0 ? -scaled : scaled;
    if (scaled < 0) out.push_back('-');
    AppendInt(out, magnitude / scale);
    int64_t fraction = magnitude % scale;
    int digits = decimals;
    while (fraction % 10 == 0) {
        fraction /= 10;
        --digits;
    }
    char buffer[8];
    for (int i = digits - 1; i >= 0; --i) {
        buffer[i] = static_cast<char>('0' + fraction % 10);
        fraction /= 10;
    }
    out.push_back('.');
    out.append(buffer, static_cast<size_t>(digits));
}

}  // namespace qv::render
