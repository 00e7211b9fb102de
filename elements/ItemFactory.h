#pragma once
// Makers of the leaf items, called by the block's child factory. Each item's
// own source file defines its maker, so the factory needs no item headers.
#include <memory>

class CqvItem;

// A Text element: the bound text item (code 4) when it has xml-element-name,
// else the text item (code 3).
std::unique_ptr<CqvItem> CreateTextItem(bool bound);
// An Image element: code 6 when bound, else 5.
std::unique_ptr<CqvItem> CreateImageItem(bool bound);
// A Line element (code 15).
std::unique_ptr<CqvItem> CreateLineItem();
