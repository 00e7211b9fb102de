#include "xml/ResolvePathFromBase.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/AsciiText.h"

namespace {

bool IsAbsoluteReference(const std::string& reference) {
    if (!reference.empty() && reference[0] == '/') return true;
    return reference.size() > 2 && qv::IsAsciiLetter(reference[0]) && reference[1] == ':' && reference[2] == '/';
}

// The stand-in for the full-path operation: absolute against the current folder,
// with "." and ".." folded lexically (the file need not exist).
std::string AbsoluteFolderOf(const std::string& base) {
    std::filesystem::path path(base);
    if (path.is_relative()) {
        std::error_code error;
        std::filesystem::path cwd = std::filesystem::current_path(error);
        if (!error) path = cwd / path;
    }
    std::string absolute = path.lexically_normal().string();
    const size_t slash = absolute.rfind('/');
    // Only when the current folder is unknown does a bare file name remain.
    if (slash == std::string::npos) return ".";
    // A file in the root folder gives the empty folder, so that folder + "/" +
    // reference shows no doubled separator.
    return absolute.substr(0, slash);
}

}  // namespace

std::string ResolvePathFromBase(const std::string& base, const std::string& reference) {
    std::string ref = reference;
    std::replace(ref.begin(), ref.end(), '\\', '/');
    ref.erase(0, std::min(ref.find_first_not_of(' '), ref.size()));
    if (IsAbsoluteReference(ref)) return ref;
    return AbsoluteFolderOf(base) + "/" + ref;
}
