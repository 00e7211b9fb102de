#include "TestScratchDir.h"

#include <errno.h>
#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace qv::test {

ScratchDir::ScratchDir() {
    std::string pattern =
        (fs::temp_directory_path() / ("qv-" + std::string(program_invocation_short_name) + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed for " + pattern);
    m_path = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::string ScratchDir::Write(const std::string& name, const std::string& bytes) const {
    const fs::path file = m_path / name;
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + file.string());
    return file.string();
}

std::vector<std::string> ScratchDir::Files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_path)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void ScratchDir::Empty() const {
    for (const auto& entry : fs::directory_iterator(m_path)) fs::remove_all(entry.path());
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace qv::test
