#pragma once
// Reports for the image and table tests: a 100 x 200 mm page without margins,
// header or footer unless asked for, and a default style without paddings or
// spacing, so that positions in the tests are the template's own numbers.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "common/CqvEx.h"
#include "elements/CqvImagePiece.h"
#include "elements/CqvTextPiece.h"
#include "engine/CqvReport.h"
#include "ItemTestSupport.h"
#include "render/RecordingSurface.h"

namespace qvimages {

inline std::string ImageFile(const std::string& name) { return std::string(QV_TEST_DATA) + "/images/" + name; }
inline std::string ImagesFolder() { return std::string(QV_TEST_DATA) + "/images"; }

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::string Base64(const std::string& bytes) {
    static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t group = uint32_t(static_cast<unsigned char>(bytes[i])) << 16;
        if (i + 1 < bytes.size()) group |= uint32_t(static_cast<unsigned char>(bytes[i + 1])) << 8;
        if (i + 2 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 2]);
        out += alphabet[group >> 18];
        out += alphabet[(group >> 12) & 63];
        out += i + 1 < bytes.size() ? alphabet[(group >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? alphabet[group & 63] : '=';
    }
    return out;
}

inline std::string Page(const std::string& blocks, const std::string& header = "<PageHeader height=\"0\"/>",
                        const std::string& rootAttributes = "page-width=\"100mm\" page-height=\"200mm\"",
                        const std::string& footer = "<PageFooter height=\"0\"/>") {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<XmlTemplateReport " + rootAttributes +
           ">\n<Styles><Style name=\"default\" font-family=\"Arial\" font-size=\"10\" padding=\"0\" "
           "space-after=\"0\"/></Styles>\n" +
           header + "\n" + footer + "\n" + blocks + "\n</XmlTemplateReport>\n";
}

// A report whose template, data and extra files live in a scratch folder.
class Report {
public:
    explicit Report(const std::string& templateText, const std::string& dataText = "<root/>",
                    const std::vector<std::pair<std::string, std::string>>& files = {}) {
        for (const auto& [name, bytes] : files) m_dir.Write(name, bytes);
        const std::string data = m_dir.Write("data.xml", "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n" + dataText);
        m_report = std::make_unique<CqvReport>(data, m_dir.Write("report.qvrp", templateText));
        m_report->LoadAll();
    }

    CqvReport& Get() { return *m_report; }
    CqvReport* operator->() { return m_report.get(); }

    void Prepare() {
        RecordingSurface surface;
        m_report->PreparePages(surface, m_report->PrintInfo());
    }

    std::vector<RecordedCall> Draw(uint32_t page) {
        RecordingSurface surface;
        m_report->PrintInfo().currentPage = page;
        m_report->DrawPage(surface, m_report->PrintInfo());
        return surface.Calls();
    }

    template <class T>
    std::vector<const T*> Pieces(size_t page) const {
        std::vector<const T*> pieces;
        for (const auto& piece : m_report->PagePieces(page - 1)) {
            if (const auto* p = dynamic_cast<const T*>(piece.get())) pieces.push_back(p);
        }
        return pieces;
    }
    std::vector<const CqvImagePiece*> Images(size_t page) const { return Pieces<CqvImagePiece>(page); }
    std::vector<const CqvTextPiece*> Texts(size_t page) const { return Pieces<CqvTextPiece>(page); }

private:
    qv::test::SettingsGuard m_settings;
    qv::test::ScratchDir m_dir;
    std::unique_ptr<CqvReport> m_report;
};

inline std::vector<RecordedCall> CallsOf(const std::vector<RecordedCall>& calls, RecordedCall::Kind kind) {
    std::vector<RecordedCall> out;
    for (const auto& call : calls) {
        if (call.kind == kind) out.push_back(call);
    }
    return out;
}

// The message of the CqvEx that `action` raises, or "" when it raises none.
template <class F>
std::string ErrorOf(F&& action) {
    try {
        action();
    } catch (const CqvEx& e) {
        return e.Message();
    }
    return {};
}

}  // namespace qvimages
