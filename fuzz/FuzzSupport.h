#pragma once
// What the fuzz targets share. The loader reads files, not memory, so every run
// writes its input to a file of a fixed name in a folder private to the
// process. The folder also holds what a report reads beside its template: the
// template DTD, the demo pictures, and the fixed template and data file that
// the report targets pair with their input.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace qvfuzz {

// The process's own folder, made and filled on first use, removed at exit.
const std::filesystem::path& WorkDir();

// Writes the input to WorkDir()/name, replacing the last run's, and returns the path.
std::string WriteInput(const char* name, const uint8_t* data, size_t size);

// The path of one of the fixed files copied from fuzz/data/.
std::string FixedFile(const char* name);

// Loads, lays out and draws every page of a report on a recording surface.
// The report's own failures (CqvEx) are expected; anything else escapes and
// is a finding.
void RunReport(const std::string& templatePath, const std::string& dataPath);

// Loads and lays out a report, then draws every page into a PDF held in
// memory and into PNG pages of 12 dpi in the work folder. The report's own
// failures (CqvEx) are expected.
void RenderReport(const std::string& templatePath, const std::string& dataPath);

}  // namespace qvfuzz
