#include "render/OutputFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "common/CqvEx.h"

namespace qv::render {

namespace {

std::atomic<unsigned> g_tempCounter{0};

std::string TempPathBeside(const std::string& target) {
    std::filesystem::path path(target);
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = ".";
    const std::string name = "." + path.filename().string() + ".qv-" + std::to_string(::getpid()) + "-" +
                             std::to_string(g_tempCounter++) + ".tmp";
    return (folder / name).string();
}

}  // namespace

std::string CannotWriteMessage(const std::string& path, const std::string& reason) {
    return "The file \"" + path + "\" cannot be written: " + reason;
}

OutputFile::OutputFile(std::string target) : m_target(std::move(target)) {
    if (m_target.empty()) throw CqvEx("No output file name was given");
    int fd = -1;
    // O_EXCL with a fresh name each try; 0666 lets the umask decide, as for any
    // file the user creates.
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        m_tempPath = TempPathBeside(m_target);
        fd = ::open(m_tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) throw CqvEx(CannotWriteMessage(m_target, std::strerror(errno)));
    m_file = ::fdopen(fd, "wb");
    if (!m_file) {
        const int error = errno;
        ::close(fd);
        ::unlink(m_tempPath.c_str());
        throw CqvEx(CannotWriteMessage(m_target, std::strerror(error)));
    }
}

OutputFile::~OutputFile() {
    if (m_file) std::fclose(m_file);
    if (!m_committed) ::unlink(m_tempPath.c_str());
}

bool OutputFile::Write(const void* data, size_t length) {
    if (m_writeErrno != 0 || !m_file) return false;
    if (length > 0 && std::fwrite(data, 1, length, m_file) != length) {
        m_writeErrno = errno ? errno : EIO;
        return false;
    }
    return true;
}

cairo_status_t OutputFile::CairoWrite(void* closure, const unsigned char* data, unsigned int length) {
    return static_cast<OutputFile*>(closure)->Write(data, length) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

void OutputFile::Close() {
    if (m_file) {
        // A full disk often shows only when the buffer is flushed.
        if (std::fflush(m_file) != 0 && m_writeErrno == 0) m_writeErrno = errno ? errno : EIO;
        if (std::fclose(m_file) != 0 && m_writeErrno == 0) m_writeErrno = errno ? errno : EIO;
        m_file = nullptr;
    }
    if (m_writeErrno != 0) throw CqvEx(CannotWriteMessage(m_target, std::strerror(m_writeErrno)));
}

void OutputFile::Commit(const std::string& finalPath) {
    const std::string& destination = finalPath.empty() ? m_target : finalPath;
    Close();
    if (std::rename(m_tempPath.c_str(), destination.c_str()) != 0)
        throw CqvEx(CannotWriteMessage(destination, std::strerror(errno)));
    m_committed = true;
}

}  // namespace qv::render
