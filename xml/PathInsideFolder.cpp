#include "xml/PathInsideFolder.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace {

std::filesystem::path Followed(const std::string& path) {
    std::error_code error;
    std::filesystem::path followed = std::filesystem::weakly_canonical(path, error);
    // Only an unreadable folder along the way gets here: fold what is written.
    if (error) followed = std::filesystem::path(path).lexically_normal();
    return followed;
}

}  // namespace

bool PathInsideFolder(const std::string& folder, const std::string& path) {
    if (folder.empty() || path.empty()) return false;
    const std::filesystem::path base = Followed(folder);
    const std::filesystem::path target = Followed(path);
    if (!base.is_absolute() || !target.is_absolute()) return false;
    auto b = base.begin(), t = target.begin();
    for (; b != base.end(); ++b, ++t) {
        // A trailing separator of the folder shows as an empty last step.
        if (b->empty() && std::next(b) == base.end()) break;
        if (t == target.end() || *b != *t) return false;
    }
    for (; t != target.end(); ++t) {
        if (*t == "..") return false;
    }
    return true;
}

bool IsPlainRelativeName(const std::string& written) {
    // Leading spaces are skipped when a reference is resolved: " /etc" is absolute.
    const std::string name = written.substr(std::min(written.find_first_not_of(' '), written.size()));
    if (name.empty() || name.find('\0') != std::string::npos) return false;
    if (name[0] == '/' || name[0] == '\\') return false;
    if (name.size() > 1 && name[1] == ':') return false;  // a drive letter
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("/\\", start);
        if (end == std::string::npos) end = name.size();
        if (std::string_view(name.data() + start, end - start) == "..") return false;
        start = end + 1;
    }
    return true;
}
