#pragma once
// A Table: a block whose children are rows, stacked by the ordinary block
// layout; its cells are placed side by side at load time.
#include "elements/CqvBlock.h"

class CqvTable : public CqvBlock {
public:
    CqvTable() : CqvBlock(qv::kTypeTable) {}

    void Load(const TiXmlElement& element) override;

private:
    void PlaceCells(CqvBlock& row);
};
