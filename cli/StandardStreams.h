#pragma once
// The command in a pipeline: data read from standard input, and output put
// on standard output only once it is complete, so that a failing report
// leaves nothing half-written in the pipe.
#include <filesystem>
#include <string>

// The name messages give the data read from standard input.
inline constexpr const char* kStandardInputName = "standard input";

// Everything on standard input, as bytes. Raises CqvEx when it cannot be read.
std::string ReadStandardInput();

// Copies the file's bytes to standard output. Raises CqvEx when it cannot be
// read or standard output cannot take it.
void CopyFileToStandardOutput(const std::filesystem::path& path);

// A private folder below the system's temporary folder, removed with its
// files; the output for standard output is drawn there first.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};
