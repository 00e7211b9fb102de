#include "cli/StandardStreams.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <system_error>

#include "common/CqvEx.h"

namespace {

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Writes all of `length` bytes, through interruptions and short writes.
bool WriteAll(int fd, const char* data, size_t length) {
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        length -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

std::string ReadStandardInput() {
    std::string bytes;
    char block[65536];
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, block, sizeof block);
        if (got == 0) return bytes;
        if (got < 0) {
            if (errno == EINTR) continue;
            throw CqvEx(std::string("The standard input cannot be read: ") + std::strerror(errno));
        }
        bytes.append(block, static_cast<size_t>(got));
    }
}

void CopyFileToStandardOutput(const std::filesystem::path& path) {
    std::unique_ptr<std::FILE, FileClose> file(std::fopen(path.c_str(), "rb"));
    if (!file) throw CqvEx("The file \"" + path.string() + "\" cannot be read: " + std::strerror(errno));
    char block[65536];
    for (size_t got; (got = std::fread(block, 1, sizeof block, file.get())) > 0;) {
        if (!WriteAll(STDOUT_FILENO, block, got))
            throw CqvEx(std::string("The standard output cannot be written: ") + std::strerror(errno));
    }
    if (std::ferror(file.get())) throw CqvEx("The file \"" + path.string() + "\" cannot be read");
}

TemporaryFolder::TemporaryFolder() {
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) base = "/tmp";
    std::string pattern = (base / "quorvane-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw CqvEx("A temporary folder cannot be made in \"" + base.string() + "\": " + std::strerror(errno));
    m_path = pattern;
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}
