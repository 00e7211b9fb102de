#pragma once
// Base64 text of pictures written into templates and data files. Such text is
// usually broken into indented lines, so everything outside the alphabet is
// skipped rather than refused, and padding is not required.
#include <optional>
#include <string_view>
#include <vector>

// The bytes of `text` in the standard alphabet (letters, digits, "+" and "/").
// Decoding stops at the first "=" or at the end. A last group of two or three
// characters gives its one or two whole bytes; a single character left over
// carries no whole byte and is dropped at the end of the text, but before "="
// it marks the text as broken: then there are no bytes at all (none).
std::optional<std::vector<unsigned char>> DecodeBase64(std::string_view text);
