#pragma once
// A Block with xml-element-name: laid out once per matching data element, each
// repetition with that element as its children's data context.
#include <cstdint>

#include "elements/CqvBlock.h"
#include "elements/CqvTrial.h"

class CqvXmlBlock : public CqvBlock {
public:
    explicit CqvXmlBlock(int typeCode = qv::kTypeXmlBlock) : CqvBlock(typeCode) {}

    int32_t Layout(Surface& surface, QvPrintInfo& printInfo, int32_t y, QvDataElement data, QvRect& itemRect,
                   CqvTrial* trial) override;
    // Block reset, then every repetition is forgotten.
    void Reset() override;
    bool HasStarted() const override;
    // Orphan control: the block itself leaves its last repetition, when not yet
    // started, for the next page (as a data-bound row does), rather than
    // marking a leaf inside it, which leaves ignore.
    void DeferLast(int& count) override;

    QvRepetitionMap& Repetitions() { return m_repetitions; }
    const QvRepetitionMap& Repetitions() const { return m_repetitions; }

protected:
    // The rules a table row applies to each repetition after its cells are laid
    // out. Returns true when the whole repetition moved to the next page (its
    // pieces are then gone; the block reports what the repetitions before it
    // placed on this page, or nothing).
    // `firstPiece` is the current page's piece count when the repetition began,
    // `y` its position, and `continuing` tells one begun on an earlier page.
    virtual bool ApplyRepetitionRules(int32_t& g, CqvTrial* trial, size_t firstPiece, int32_t y, bool continuing);
    // Whether the page held nothing when the current repetition began.
    bool m_bRepetitionOnEmptyPage = false;

private:
    // The next sibling that bears the block's whole path as its name.
    QvDataElement NextRepetition(QvDataElement current) const;
    // The finished run of repetitions as one entry each, for a context the run
    // does not belong to.
    void SpellOutRun();
    // `done` (an entry, or newly finished) joins the run that starts at `first`.
    void ExtendRun(QvDataElement first, QvDataElement done);

    QvRepetitionMap m_repetitions;
};
