#pragma once
// A fresh folder for the files a test writes, removed with everything in it
// when the test is done.
#include <filesystem>
#include <string>
#include <vector>

namespace qv::test {

class ScratchDir {
public:
    // Made with mkdtemp below the system's temporary folder and named after the
    // test program, so leftovers of a crashed suite can be told apart.
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // The path of a file in the folder; the file need not exist.
    std::string PathOf(const std::string& name) const { return (m_path / name).string(); }
    std::string operator/(const std::string& name) const { return PathOf(name); }

    // Writes the bytes exactly as given (creating folders below this one as
    // needed) and returns the file's path. Throws when the file cannot be
    // written, so that a test never goes on with a missing input.
    std::string Write(const std::string& name, const std::string& bytes) const;

    // The names of the entries in the folder, sorted.
    std::vector<std::string> Files() const;
    // Removes everything in the folder; the folder stays.
    void Empty() const;

private:
    std::filesystem::path m_path;
};

// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);

}  // namespace qv::test
