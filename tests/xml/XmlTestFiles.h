#pragma once
// Files for loader tests: the fixtures under tests/data/xml and a fresh
// temporary folder for files a test generates.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/CqvEx.h"
#include "xml/CqvXmlDocument.h"

namespace qvtest {

inline std::string Fixture(const std::string& name) {
    return std::string(QV_TEST_DATA) + "/xml/" + name;
}

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qvxml-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

    // Writes the bytes exactly as given and returns the file's path.
    std::string Write(const std::string& name, const std::string& bytes) const {
        const std::filesystem::path file = m_path / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file.string();
    }

private:
    std::filesystem::path m_path;
};

// The message of the CqvEx that loading `path` raises; fails the test when the
// load succeeds or raises anything else.
inline std::string LoadError(CqvXmlDocument& document, const std::string& path) {
    try {
        document.Load(path);
    } catch (const CqvEx& error) {
        return error.Message();
    } catch (const std::exception& other) {
        ADD_FAILURE() << "not a CqvEx: " << other.what();
        return {};
    }
    ADD_FAILURE() << "loading " << path << " succeeded";
    return {};
}

inline std::string LoadError(const std::string& path) {
    CqvXmlDocument document;
    return LoadError(document, path);
}

}  // namespace qvtest
