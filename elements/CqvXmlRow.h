#pragma once
// A table Row with xml-element-name: one table row per matching data element.
#include "elements/CqvXmlBlock.h"

class CqvXmlRow : public CqvXmlBlock {
public:
    CqvXmlRow() : CqvXmlBlock(qv::kTypeXmlRow) {}

    void Load(const TiXmlElement& element) override;

protected:
    bool ApplyRepetitionRules(int32_t& g, CqvTrial* trial, size_t firstPiece, int32_t y, bool continuing) override;
};
