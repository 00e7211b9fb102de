#include "bench/BenchReports.h"

#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "bench/DogRegisterData.h"
#include "engine/CqvReport.h"

namespace qv::bench {

ScratchFolder::ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qv-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("no scratch folder can be made");
    m_path = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string ScratchFolder::Write(const std::string& name, const std::string& text) const {
    const std::filesystem::path file = m_path / name;
    std::ofstream out(file, std::ios::binary);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + file.string());
    return file.string();
}

std::string DogRegisterTemplatePath() { return std::string(QV_BENCH_DIR) + "/dog_register.qvrp"; }

std::unique_ptr<CqvReport> LoadDogRegister(const ScratchFolder& folder, size_t dogs) {
    std::ostringstream data;
    WriteDogRegisterData(data, dogs, 1);
    auto report = std::make_unique<CqvReport>(folder.Write("dogs.xml", data.str()), DogRegisterTemplatePath());
    report->LoadAll();
    return report;
}

std::string LongText(size_t words, uint64_t seed) {
    // A linear congruential sequence is enough for word lengths.
    uint64_t state = seed;
    auto next = [&state](uint64_t n) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return (state >> 33) % n;
    };
    std::string text;
    text.reserve(words * 7);
    for (size_t w = 0; w < words; ++w) {
        if (w) text += ' ';
        const size_t letters = 2 + next(10);
        for (size_t i = 0; i < letters; ++i) {
            if (i > 1 && i + 1 < letters && next(40) == 0) text += '-';
            else text += static_cast<char>('a' + next(26));
        }
    }
    return text;
}

std::unique_ptr<CqvReport> LoadLongText(const ScratchFolder& folder, size_t words) {
    const std::string templateText =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<XmlTemplateReport margin-left=\"20mm\" margin-right=\"20mm\" margin-top=\"20mm\" "
        "margin-bottom=\"20mm\" max-pages=\"10000000\">\n"
        "<Styles><Style name=\"default\" font-family=\"Arial\" font-size=\"10\"/></Styles>\n"
        "<PageHeader height=\"0\"/><PageFooter height=\"0\"/>\n"
        "<Block><Text width=\"170mm\">" +
        LongText(words) + "</Text></Block>\n</XmlTemplateReport>\n";
    auto report =
        std::make_unique<CqvReport>(folder.Write("text.xml", "<r/>"), folder.Write("text.qvrp", templateText));
    report->LoadAll();
    return report;
}

}  // namespace qv::bench
