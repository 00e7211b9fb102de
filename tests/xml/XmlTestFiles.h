#pragma once
// Files for loader tests: the fixtures under tests/data/xml, and the error a
// load raises.
#include <gtest/gtest.h>

#include <string>

#include "common/CqvEx.h"
#include "xml/CqvXmlDocument.h"

namespace qvtest {

// Sanitizers bring their own allocator, which the C library's counts do not see.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitizedAllocator = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSanitizedAllocator = true;
#else
inline constexpr bool kSanitizedAllocator = false;
#endif
#else
inline constexpr bool kSanitizedAllocator = false;
#endif

inline std::string Fixture(const std::string& name) { return std::string(QV_TEST_DATA) + "/xml/" + name; }

// The message of the CqvEx that loading `path` raises; fails the test when the
// load succeeds or raises anything else.
inline std::string LoadError(CqvXmlDocument& document, const std::string& path) {
    try {
        document.Load(path);
    } catch (const CqvEx& error) {
        return error.Message();
    } catch (const std::exception& other) {
        ADD_FAILURE() << "not a CqvEx: " << other.what();
        return {};
    }
    ADD_FAILURE() << "loading " << path << " succeeded";
    return {};
}

inline std::string LoadError(const std::string& path) {
    CqvXmlDocument document;
    return LoadError(document, path);
}

// Loading `path`, whose tree takes `treeBytes`, into a `Document` allowed half
// of that is refused with the budget's message (the same for both trees).
template <typename Document>
void ExpectRefusedOverHalfItsTree(const std::string& path, size_t treeBytes) {
    Document document;
    XmlLoadRules rules;
    rules.maxTreeBytes = treeBytes / 2;
    try {
        document.Load(path, rules);
        ADD_FAILURE() << "a tree over its budget loaded";
    } catch (const CqvEx& e) {
        EXPECT_EQ(e.Message(), "The elements, attributes and text read so far take more than " +
                                   std::to_string(rules.maxTreeBytes) +
                                   " bytes of memory: the file is too large to load\nError in file '" + path + "'\n");
    }
}

}  // namespace qvtest
