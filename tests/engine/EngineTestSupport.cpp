#include "EngineTestSupport.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <stdexcept>

#include "elements/CqvTrial.h"
#include "render/RecordingSurface.h"
#include "xml/DataNav.h"

namespace qvtest {

void TestPiece::Draw(Surface& surface) {
    surface.FillSolidRect(m_rcOuter, static_cast<QvColor>(m_strLabel.size()));
    surface.MoveTo(m_rcContent.left, m_rcContent.top);
    surface.LineTo(m_rcContent.right, m_rcContent.bottom);
}

int FixedItem::s_layoutCalls = 0;

FixedItem::FixedItem(const std::string& name, int32_t left, int32_t width, int32_t height, bool splittable)
    : CqvItem(qv::kTypeText), m_bSplittable(splittable) {
    m_strName = name;
    m_nLeft = left;
    m_nWidth = width;
    m_nHeight = height;
}

int32_t FixedItem::Layout(Surface&, QvPrintInfo&, int32_t y, QvDataElement data, QvRect& itemRect, CqvTrial* trial) {
    ++s_layoutCalls;
    if (trial) trial->Register(*this);
    m_strLabel = m_strName;
    if (const auto name = qv::xml::AttributeByName(data, "name")) m_strLabel += ":" + std::string(*name);

    itemRect = ItemRect(y);
    const int32_t placedBefore = m_nProgress > 0 ? m_nProgress : 0;
    const int32_t remaining = m_nHeight - placedBefore;
    const int32_t start = m_bAbsolute ? y + m_nTop : y;
    const int32_t room = BottomLimit() - start;
    if (remaining <= room) {
        itemRect.bottom = itemRect.top - remaining;
        Finish();
        return remaining;
    }
    if (!m_bSplittable || room <= 0) return qv::kLayoutNextPage;
    m_nProgress = placedBefore + room;
    itemRect.bottom = itemRect.top - room;
    return -room;
}

std::unique_ptr<CqvPagePiece> FixedItem::CreatePiece() {
    if (m_bInTrial) return nullptr;
    return std::make_unique<TestPiece>(&m_style, m_strLabel);
}

std::unique_ptr<CqvReport> LoadReport(const ScratchDir& dir, const std::string& templateText,
                                      const std::string& dataText, PrintHost* host) {
    const std::string data =
        dir.Write("data.xml",
                  dataText.starts_with("<?xml") ? dataText : "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n" + dataText);
    const std::string templ = dir.Write("report.qvrp", templateText);
    auto report = std::make_unique<CqvReport>(data, templ, host);
    report->LoadAll();
    return report;
}

std::string SimpleTemplate(const std::string& blocks, const std::string& rootAttributes) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<XmlTemplateReport page-width=\"100mm\" page-height=\"100mm\" " +
           rootAttributes +
           ">\n"
           "  <Styles><Style name=\"default\" padding=\"0\" space-after=\"0\"/></Styles>\n"
           "  <PageHeader height=\"5mm\"/>\n"
           "  <PageFooter height=\"5mm\"/>\n" +
           blocks + "\n</XmlTemplateReport>\n";
}

namespace {

CqvBlock* FindBlock(CqvBlock& block, const std::string& name) {
    if (block.Name() == name) return &block;
    for (const auto& child : block.Children()) {
        if (auto* nested = dynamic_cast<CqvBlock*>(child.get())) {
            if (CqvBlock* found = FindBlock(*nested, name)) return found;
        }
    }
    return nullptr;
}

}  // namespace

CqvBlock& BlockNamed(CqvReport& report, const std::string& name) {
    for (const auto& block : report.Blocks()) {
        if (CqvBlock* found = FindBlock(*block, name)) return *found;
    }
    throw std::runtime_error("no block named " + name);
}

void Prepare(CqvReport& report) {
    RecordingSurface surface;
    report.PreparePages(surface, report.PrintInfo());
}

std::vector<Placed> PlacedPieces(const CqvReport& report) {
    std::vector<Placed> placed;
    for (size_t page = 0; page < report.PageCount(); ++page) {
        for (const auto& piece : report.PagePieces(page)) {
            if (const auto* test = dynamic_cast<const TestPiece*>(piece.get()))
                placed.push_back({page + 1, test->Label(), test->Outer(), test->FrameOnly()});
        }
    }
    return placed;
}

std::vector<std::string> LabelsOnPage(const CqvReport& report, size_t page) {
    std::vector<std::string> labels;
    for (const Placed& p : PlacedPieces(report)) {
        if (p.page == page) labels.push_back(p.label);
    }
    return labels;
}

Placed Find(const CqvReport& report, const std::string& label) {
    for (const Placed& p : PlacedPieces(report)) {
        if (p.label == label) return p;
    }
    ADD_FAILURE() << "no piece labelled " << label;
    return {};
}

}  // namespace qvtest
