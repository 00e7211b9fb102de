#pragma once
// Reports for the text and line item tests: template and data written to a
// scratch folder, laid out on a recording surface, and readers of the pieces.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "elements/CqvBlock.h"
#include "elements/CqvTextPiece.h"
#include "engine/CqvReport.h"
#include "render/RecordingSurface.h"
#include "support/TestScratchDir.h"
#include "support/TestSettingsGuard.h"

namespace qvitems {

inline std::string Fixture(const std::string& name) { return std::string(QV_TEST_DATA) + "/items/" + name; }

// A template with Arial 12 and the default paddings (10) and space-after (10),
// no margins, and a header and footer of the given heights and content.
inline std::string Template(const std::string& blocks, const std::string& rootAttributes = "",
                            const std::string& header = "<PageHeader height=\"0\"/>",
                            const std::string& footer = "<PageFooter height=\"0\"/>") {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<XmlTemplateReport " + rootAttributes +
           ">\n<Styles><Style name=\"default\" font-family=\"Arial\" font-size=\"12\"/></Styles>\n" + header + "\n" +
           footer + "\n" + blocks + "\n</XmlTemplateReport>\n";
}

class ItemReport {
public:
    explicit ItemReport(const std::string& templateText, const std::string& dataText = "<root/>") {
        const std::string data = m_dir.Write(
            "data.xml",
            dataText.starts_with("<?xml") ? dataText : "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n" + dataText);
        m_report = std::make_unique<CqvReport>(data, m_dir.Write("report.qvrp", templateText));
        m_report->LoadAll();
    }

    CqvReport& Report() { return *m_report; }
    CqvReport* operator->() { return m_report.get(); }

    void Prepare() {
        RecordingSurface surface;
        m_report->PreparePages(surface, m_report->PrintInfo());
    }

    // The calls drawing page `page` makes.
    std::vector<RecordedCall> Draw(uint32_t page) {
        RecordingSurface surface;
        m_report->PrintInfo().currentPage = page;
        m_report->DrawPage(surface, m_report->PrintInfo());
        return surface.Calls();
    }

    // The first item of that name anywhere below the top-level blocks.
    template <class T>
    T& Item(const std::string& name) {
        for (const auto& block : m_report->Blocks()) {
            if (T* found = Find<T>(*block, name)) return *found;
        }
        for (CqvBlock* block : {&m_report->PageHeader(), &m_report->PageFooter()}) {
            if (T* found = Find<T>(*block, name)) return *found;
        }
        throw std::runtime_error("no item named " + name);
    }

    // The text pieces of one page (from 1), in recorded order.
    std::vector<const CqvTextPiece*> TextPieces(size_t page) const {
        std::vector<const CqvTextPiece*> pieces;
        for (const auto& piece : m_report->PagePieces(page - 1)) {
            if (const auto* text = dynamic_cast<const CqvTextPiece*>(piece.get())) pieces.push_back(text);
        }
        return pieces;
    }

private:
    template <class T>
    static T* Find(CqvBlock& block, const std::string& name) {
        for (const auto& child : block.Children()) {
            if (child->Name() == name) {
                if (T* item = dynamic_cast<T*>(child.get())) return item;
            }
            if (auto* nested = dynamic_cast<CqvBlock*>(child.get())) {
                if (T* found = Find<T>(*nested, name)) return found;
            }
        }
        return nullptr;
    }

    qv::test::SettingsGuard m_settings;
    qv::test::ScratchDir m_dir;
    std::unique_ptr<CqvReport> m_report;
};

// The UTF-8 texts of the TextOut calls, in order.
inline std::vector<std::string> DrawnTexts(const std::vector<RecordedCall>& calls) {
    std::vector<std::string> texts;
    for (const auto& call : calls) {
        if (call.kind == RecordedCall::Kind::TextOut) texts.push_back(call.utf8);
    }
    return texts;
}

}  // namespace qvitems
