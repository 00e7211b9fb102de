#pragma once
// What the library's test files share: fixture paths, bytes as text, and the
// message a failing call raises.
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "quorvane/Report.h"

namespace qv::libtest {

inline std::string Fixture(const std::string& name) { return std::string(QV_TEST_DATA) + "/cli/" + name; }

inline std::string AsString(const std::vector<std::byte>& bytes) {
    std::string text(bytes.size(), '\0');
    if (!bytes.empty()) std::memcpy(text.data(), bytes.data(), bytes.size());
    return text;
}

// The message a failing call raises; empty when it raises nothing.
template <class Call>
std::string ErrorOf(Call call) {
    try {
        call();
    } catch (const CqvEx& error) {
        return error.Message();
    }
    return {};
}

}  // namespace qv::libtest
