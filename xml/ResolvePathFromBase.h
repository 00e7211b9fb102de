#pragma once
// Resolves a reference found in a file (an external DTD or entity, an image
// file) against the folder of that file.
#include <string>

// Every `\` of the reference becomes `/` (stored templates were written with
// Windows separators) and leading spaces are skipped. A reference starting with
// `/`, or with a drive letter, a colon and a separator, is returned as it is.
// Anything else is appended to the base file's folder, made absolute against the
// current folder: folder + "/" + reference. The result is what error messages show.
std::string ResolvePathFromBase(const std::string& base, const std::string& reference);
