#pragma once
// Reports for the benchmark programs: the dog register with N dogs, and one
// long text over many pages, written to a scratch folder and loaded.
#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>

class CqvReport;

namespace qv::bench {

// A folder of its own under the temporary folder, removed with its files.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string Write(const std::string& name, const std::string& text) const;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// The benchmark's dog register template, from the source tree.
std::string DogRegisterTemplatePath();

// The dog register with `dogs` dogs, loaded (not laid out).
std::unique_ptr<CqvReport> LoadDogRegister(const ScratchFolder& folder, size_t dogs);

// Words of two to eleven letters, some hyphenated, separated by single spaces:
// a deterministic stand-in for prose.
std::string LongText(size_t words, uint64_t seed = 7);

// One Text item of `words` words in a 170 mm column on A4 pages, loaded.
std::unique_ptr<CqvReport> LoadLongText(const ScratchFolder& folder, size_t words);

}  // namespace qv::bench
