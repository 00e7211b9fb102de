#pragma once
// A Table: a block whose children are rows, stacked by the ordinary block
// layout; its cells are placed side by side at load time.
#include "elements/CqvBlock.h"

class CqvTable : public CqvBlock {
public:
    CqvTable() : CqvBlock(qv::kTypeTable) {}

    void Load(const TiXmlElement& element) override;
    // Begun means one of its rows placed something. A table whose bound rows
    // found no data finished having shown nothing: taken as begun, it would
    // let a keep-with-next trial keep an item with a block that then leaves
    // the page without it.
    bool HasStarted() const override;

    // Puts the table at `left` with every row's cells placed again from
    // there: a table that is a cell of another table moves into its column.
    void MoveTo(int32_t left);

private:
    // Places every row's cells from the table's left; the table takes the
    // width of its widest row.
    void PlaceRows();
    // Places one row's cells and returns where the row ends.
    int32_t PlaceCells(CqvBlock& row);
};
