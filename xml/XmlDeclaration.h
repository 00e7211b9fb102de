#pragma once
// Reads the encoding that the XML declaration (or an external DTD's text
// declaration) at the very start of a file names, without parsing the file:
// the editor must know how to show a file's bytes before it is well-formed.
#include <optional>
#include <string>
#include <string_view>

// The encoding name of a declaration that opens `bytes` at their first byte,
// lower-cased (as the loader compares it), or nothing when the bytes open with
// no declaration or one that names no encoding. Only ASCII-compatible bytes
// can open with a readable declaration; a byte-order mark is not skipped, since
// a file that starts with one is not in the code page its declaration names.
std::optional<std::string> DeclaredEncoding(std::string_view bytes);
