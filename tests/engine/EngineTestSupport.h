#pragma once
// Shared fixtures of the engine tests: template files written to a scratch
// folder, a leaf item of fixed height that needs no fonts, and readers of the
// recorded pages.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "elements/CqvBlock.h"
#include "elements/CqvItem.h"
#include "engine/CqvPagePiece.h"
#include "engine/CqvReport.h"
#include "support/TestScratchDir.h"
#include "support/TestSettingsGuard.h"

namespace qvtest {

// The engine suites know these by their short names.
using qv::test::ScratchDir;
using qv::test::SettingsGuard;

// The piece of a FixedItem: remembers the item's label and draws its box.
class TestPiece : public CqvPagePiece {
public:
    TestPiece(CqvStyle* style, std::string label) : CqvPagePiece(style), m_strLabel(std::move(label)) {}
    void Draw(Surface& surface) override;
    std::string_view Kind() const override { return "test"; }
    const std::string& Label() const { return m_strLabel; }

private:
    std::string m_strLabel;
};

// A leaf of fixed height. It fits when its remaining height fits above the
// bottom limit; a splittable one otherwise places what fits (like a picture),
// an unsplittable one asks for the next page (like a line of text that does
// not fit). Its label is its name, followed by ":" and the data element's name
// attribute when the data element has one.
class FixedItem : public CqvItem {
public:
    FixedItem(const std::string& name, int32_t left, int32_t width, int32_t height, bool splittable = false);

    void Load(const TiXmlElement&) override {}
    void SetTop(int32_t top) { m_nTop = top; }
    int32_t Layout(Surface& surface, QvPrintInfo& printInfo, int32_t y, QvDataElement data, QvRect& itemRect,
                   CqvTrial* trial) override;
    std::unique_ptr<CqvPagePiece> CreatePiece() override;

    // Layout calls of all FixedItems, to prove that drawing lays nothing out.
    static int s_layoutCalls;

private:
    bool m_bSplittable;
    std::string m_strLabel;
};

// Writes template and data and loads both into a report.
std::unique_ptr<CqvReport> LoadReport(const ScratchDir& dir, const std::string& templateText,
                                      const std::string& dataText = "<root/>", PrintHost* host = nullptr);

// A report of 1000 x 1000 without margins, a 50 high header and footer and a
// default style without paddings and spacing: the body runs from y = 50 to 950.
// `blocks` is the XML of the top-level blocks.
std::string SimpleTemplate(const std::string& blocks, const std::string& rootAttributes = "");

// Adds an item as the block's last child, as the child factory would: the
// block's style, and the header's or footer's marks.
template <class T>
T& AddItem(CqvBlock& block, std::unique_ptr<T> item) {
    T& ref = *item;
    item->SetReport(block.Report());
    item->Style().CopyFrom(block.Style());
    if (block.IsAbsolute()) item->SetAbsolute();
    if (block.InFooter()) item->SetInFooter();
    block.AddChild(std::move(item));
    return ref;
}
inline FixedItem& AddFixed(CqvBlock& block, const std::string& name, int32_t left, int32_t width, int32_t height,
                           bool splittable = false) {
    return AddItem(block, std::make_unique<FixedItem>(name, left, width, height, splittable));
}

// The top-level block, or a block below it, by name.
CqvBlock& BlockNamed(CqvReport& report, const std::string& name);

// Lays the report out on a recording surface.
void Prepare(CqvReport& report);

struct Placed {
    size_t page;  // from 1
    std::string label;
    QvRect outer;
    bool frameOnly;
};
// Every FixedItem piece in page order.
std::vector<Placed> PlacedPieces(const CqvReport& report);
// The labels on one page, in order.
std::vector<std::string> LabelsOnPage(const CqvReport& report, size_t page);
// The first piece with that label.
Placed Find(const CqvReport& report, const std::string& label);

}  // namespace qvtest
