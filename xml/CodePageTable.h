#pragma once
// The encoding names an XML declaration may give, with the Windows code page of
// each and the code page of the script family it belongs to. Template and data
// must share a family; the font character set follows the template's code page.
#include <cstdint>
#include <span>
#include <string_view>

struct CodePageEntry {
    std::string_view name;  // lower case, as written in a declaration
    int32_t codePage;
    int32_t family;
};

// All rows in their stored order. Lookups search from the first row, so a name
// that occurs twice always yields its first row.
std::span<const CodePageEntry> CodePageTable();

// The first row whose name equals `name` byte for byte, or nullptr. Callers
// lower-case the name first; this lookup does not.
const CodePageEntry* FindCodePageEntry(std::string_view name);

// The Windows font character set for a code page; 1 (the default set) for any
// code page without one of its own.
int32_t CharsetForCodePage(int32_t codePage);
