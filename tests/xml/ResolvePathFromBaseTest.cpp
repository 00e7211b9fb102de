#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "xml/ResolvePathFromBase.h"

namespace {

TEST(ResolvePathFromBase, RelativeReferencesJoinTheBaseFolder) {
    struct Case {
        const char* base;
        const char* reference;
        const char* expected;
    } cases[] = {
        {"/data/reports/r.qvrp", "sub/img.png", "/data/reports/sub/img.png"},
        {"/data/reports/r.qvrp", "sub\\img.png", "/data/reports/sub/img.png"},
        {"/data/reports/r.qvrp", "  ..\\img.png", "/data/reports/../img.png"},
        {"/data/./x/../reports/r.qvrp", "a.dtd", "/data/reports/a.dtd"},
        {"/r.qvrp", "a.dtd", "/a.dtd"},
        // Absolute references are kept, with their separators turned.
        {"/data/r.qvrp", "/abs/a.dtd", "/abs/a.dtd"},
        {"/data/r.qvrp", "\\abs\\a.dtd", "/abs/a.dtd"},
        {"/data/r.qvrp", "C:\\dtd\\a.dtd", "C:/dtd/a.dtd"},
        {"/data/r.qvrp", "  /abs/a.dtd", "/abs/a.dtd"},
        // A colon elsewhere, or without a separator after it, is relative.
        {"/data/r.qvrp", "C:a.dtd", "/data/C:a.dtd"},
        {"/data/r.qvrp", "1:/a.dtd", "/data/1:/a.dtd"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResolvePathFromBase(c.base, c.reference), c.expected) << c.base << " + " << c.reference;
}

TEST(ResolvePathFromBase, RelativeBaseIsTakenFromTheCurrentFolder) {
    const std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(ResolvePathFromBase("data/r.qvrp", "a.dtd"), cwd + "/data/a.dtd");
    EXPECT_EQ(ResolvePathFromBase("r.qvrp", "a.dtd"), cwd + "/a.dtd");
    EXPECT_EQ(ResolvePathFromBase("./x/../r.qvrp", "a.dtd"), cwd + "/a.dtd");
}

}  // namespace
