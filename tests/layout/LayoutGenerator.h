#pragma once
// Random templates and data from a seed, for the layout invariants: blocks
// nested a few levels, texts of random length, tables, bound blocks and rows,
// asblank forms, lines and pictures on random paper. Beside the two files the
// generator says what a sound layout must show: the words of every text item
// in the order of its repetitions, and the facts about each item the checker
// needs to judge its pieces.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace qv::layoutcheck {

enum class ItemKind { Block, BoundBlock, Text, Image, Line, Table, Row, BoundRow };

// Where the pieces of an item are repeated other than by data.
enum class Furniture {
    None,       // the body's flow
    PageFrame,  // page header or footer: laid out anew on every page
    HeaderRow,  // a table's header row: again at the top of each page of its table
};

struct ItemFacts {
    ItemKind kind = ItemKind::Text;
    std::string parent;       // name of the containing element; empty at the top level
    std::string nextSibling;  // the element after it in its parent; empty for the last
    // The outermost asblank block around it (itself included), whose children
    // are placed at their own tops and may lie over each other; empty in the flow.
    std::string absoluteGroup;
    Furniture furniture = Furniture::None;
    bool notLastItem = false;
    bool noWrap = false;      // as the template asks; the engine may drop it when it gives way
    int32_t spaceBefore = 0;  // tenths of a millimetre, of its own style
    int32_t spaceAfter = 0;
    int indexInGroup = 0;  // document order inside its absolute group
};

struct GeneratedReport {
    uint64_t seed = 0;
    std::string templateXml;
    std::string dataXml;
    // Every element by its (unique) name.
    std::map<std::string, ItemFacts> items;
    // Text items of the flow: the texts of all repetitions, in layout order,
    // fields filled in.
    std::map<std::string, std::vector<std::string>> flowTexts;
    // Text items of page headers, footers and table header rows: the text each
    // page shows; "[%qv_curpage%]" stands for the page's number.
    std::map<std::string, std::string> perPageTexts;
    int32_t maxPages = 0;
};

// `imageFolder` holds the test pictures (square.png and the others) that
// Image items name by absolute path.
GeneratedReport GenerateReport(uint64_t seed, const std::string& imageFolder);

}  // namespace qv::layoutcheck
