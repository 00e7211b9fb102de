#pragma once
// An output file written under a temporary name beside its target and renamed
// onto the target only once it is complete: a report that fails half-way leaves
// nothing where its output was asked for, and never a truncated file.
#include <cairo.h>

#include <cstddef>
#include <cstdio>
#include <string>

namespace qv::render {

class OutputFile {
public:
    // Creates the temporary file in the target's folder. Raises CqvEx naming
    // the target when the folder cannot be written.
    explicit OutputFile(std::string target);
    // Removes the temporary file unless Commit succeeded.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const std::string& Target() const { return m_target; }

    // Appends bytes to the file. Returns false when they could not be
    // written; the failure is remembered and reported by Close and Commit
    // with the system's reason, and nothing more is written.
    bool Write(const void* data, size_t length);

    // Write as a cairo_write_func_t; `closure` is the OutputFile.
    static cairo_status_t CairoWrite(void* closure, const unsigned char* data, unsigned int length);

    // Flushes and closes the temporary file (a file per page need not stay
    // open until the last page). Raises CqvEx naming the target on any write
    // error. Closing again does nothing.
    void Close();

    // Closes the file and renames it onto `finalPath` (the target when empty).
    // Raises CqvEx naming the file on any write, close or rename error.
    void Commit(const std::string& finalPath = {});

private:
    std::string m_target;
    std::string m_tempPath;
    std::FILE* m_file = nullptr;
    int m_writeErrno = 0;
    bool m_committed = false;
};

// "The file "PATH" cannot be written: REASON"
std::string CannotWriteMessage(const std::string& path, const std::string& reason);

}  // namespace qv::render
