#include "LayoutGenerator.h"

#include <tinyxml.h>

#include <algorithm>
#include <array>
#include <functional>
#include <random>
#include <utility>

namespace qv::layoutcheck {

namespace {

// A template element before it is written out.
struct Node {
    ItemKind kind = ItemKind::Text;
    std::string name;
    std::vector<std::pair<std::string, std::string>> attrs;
    std::string text;        // Text and Image content
    bool boundText = false;  // the text is the data element's v attribute
    std::string bind;        // data element name of a bound block or row
    bool asblank = false;
    bool headerRow = false;
    bool notLast = false;
    std::vector<Node> children;
};

std::string Mm(int32_t tenths) { return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + "mm"; }

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '"') out += "&quot;";
        else out += c;
    }
    return out;
}

const char* ElementName(ItemKind kind) {
    switch (kind) {
    case ItemKind::Block:
    case ItemKind::BoundBlock: return "Block";
    case ItemKind::Text: return "Text";
    case ItemKind::Image: return "Image";
    case ItemKind::Line: return "Line";
    case ItemKind::Table: return "Table";
    case ItemKind::Row:
    case ItemKind::BoundRow: return "Row";
    }
    return "Block";
}

const char* kPictures[] = {"square.png", "wide_2to1.png", "tall_1to2.png", "landscape_3to2.png"};

// Where a child is generated: its horizontal span, the data elements that
// can be its context, and whether it sits at its own top in an asblank form.
struct Place {
    int32_t left = 0;
    int32_t width = 0;
    std::vector<TiXmlElement*> contexts;
    bool absolute = false;
    int32_t formHeight = 0;  // room for absolute children below the form's top
    int depth = 0;
};

class Generator {
public:
    Generator(uint64_t seed, std::string imageFolder) : m_rng(seed), m_images(std::move(imageFolder)) {
        m_out.seed = seed;
    }

    GeneratedReport Run() {
        m_data.LinkEndChild(new TiXmlDeclaration("1.0", "utf-8", ""));
        m_root = new TiXmlElement("data");
        m_root->SetAttribute("v", NewValue());
        m_data.LinkEndChild(m_root);

        ChoosePaper();
        Node header = PageFrame("PageHeader", m_headerHeight);
        Node footer = PageFrame("PageFooter", m_footerHeight);
        std::vector<Node> blocks;
        const int count = Uniform(1, 4);
        for (int i = 0; i < count && m_budget > 0; ++i) {
            Place place{0, m_bodyWidth, {m_root}, false, 0, 0};
            if (Chance(0.4)) {
                place.width = Uniform(std::min(400, m_bodyWidth), m_bodyWidth);
                place.left = Uniform(0, m_bodyWidth - place.width);
            }
            blocks.push_back(MakeBlock(place));
        }

        WriteTemplate(header, footer, blocks);
        TiXmlPrinter printer;
        m_data.Accept(&printer);
        m_out.dataXml = printer.Str();

        RecordFacts(header, "", "", "", Furniture::PageFrame);
        RecordFacts(footer, "", "", "", Furniture::PageFrame);
        for (size_t i = 0; i < blocks.size(); ++i)
            RecordFacts(blocks[i], "", i + 1 < blocks.size() ? blocks[i + 1].name : "", "", Furniture::None);
        Expect(header, m_root, Furniture::PageFrame);
        Expect(footer, m_root, Furniture::PageFrame);
        for (const Node& block : blocks) Expect(block, m_root, Furniture::None);
        return std::move(m_out);
    }

private:
    int32_t Uniform(int32_t low, int32_t high) {
        if (high <= low) return low;
        return low + static_cast<int32_t>(m_rng() % static_cast<uint64_t>(high - low + 1));
    }
    bool Chance(double p) { return static_cast<double>(m_rng() % 1'000'000) < p * 1'000'000; }

    std::string NewName(const char* prefix) { return prefix + std::to_string(++m_names); }
    std::string NewValue() { return "d" + std::to_string(++m_values); }

    void ChoosePaper() {
        int32_t width = Uniform(700, 2600);
        int32_t height = Uniform(800, 3200);
        m_margins = {Chance(0.3) ? 0 : Uniform(0, 200), Chance(0.3) ? 0 : Uniform(0, 200),
                     Chance(0.3) ? 0 : Uniform(0, 200), Chance(0.3) ? 0 : Uniform(0, 200)};
        m_headerHeight = Chance(0.3) ? 0 : Uniform(80, 150);
        m_footerHeight = Chance(0.3) ? 10 : Uniform(80, 150);
        m_landscape = Chance(0.15);
        // The paper as laid out: landscape swaps the declared width and height.
        const int32_t paperWidth = m_landscape ? height : width;
        const int32_t paperHeight = m_landscape ? width : height;
        m_bodyWidth = paperWidth - m_margins[0] - m_margins[2];
        m_bodyHeight = paperHeight - m_margins[1] - m_margins[3] - m_footerHeight - m_headerHeight;
        // Keep a body a report could use: half a dozen lines and a few words a line.
        if (m_bodyWidth < 500 || m_bodyHeight < 500) {
            m_margins = {0, 0, 0, 0};
            if (m_landscape) std::swap(width, height);
            width = std::max(width, 700);
            height = std::max(height, 800);
            if (m_landscape) std::swap(width, height);
            m_bodyWidth = (m_landscape ? height : width);
            m_bodyHeight = (m_landscape ? width : height) - m_footerHeight - m_headerHeight;
        }
        m_pageWidth = width;
        m_pageHeight = height;
    }

    void AddStyle(Node& node, bool text) {
        if (text && Chance(0.3)) node.attrs.emplace_back("font-size", std::to_string(Uniform(7, 16)));
        if (text && Chance(0.1))
            node.attrs.emplace_back("font-family", Chance(0.5) ? "Times New Roman" : "Courier New");
        if (Chance(0.25)) node.attrs.emplace_back("padding", Mm(Uniform(0, 30)));
        if (Chance(0.15)) node.attrs.emplace_back("padding-top", Mm(Uniform(0, 30)));
        if (Chance(0.15)) node.attrs.emplace_back("padding-bottom", Mm(Uniform(0, 30)));
        if (Chance(0.3)) node.attrs.emplace_back("space-before", Mm(Uniform(0, 60)));
        if (Chance(0.3)) node.attrs.emplace_back("space-after", Mm(Uniform(0, 60)));
        if (Chance(0.2)) node.attrs.emplace_back("border", "1");
        if (text && Chance(0.2)) node.attrs.emplace_back("text-align", Chance(0.5) ? "center" : "right");
    }

    void AddPageWishes(Node& node) {
        if (Chance(0.15)) {
            node.notLast = true;
            node.attrs.emplace_back("not-last-item", "1");
        }
        if (Chance(0.04)) node.attrs.emplace_back("start-page", "1");
    }

    std::string Word() {
        std::string word;
        if (Chance(0.03)) {
            const int parts = Uniform(3, 5);
            for (int p = 0; p < parts; ++p) {
                if (p) word += '-';
                for (int i = 0; i < 4; ++i) word += static_cast<char>('a' + Uniform(0, 25));
            }
            return word;
        }
        const int length = Chance(0.01) ? Uniform(15, 30) : Uniform(1, 9);
        for (int i = 0; i < length; ++i) word += static_cast<char>('a' + Uniform(0, 25));
        return word;
    }

    // Words joined by single spaces; some are the context's value as a field.
    std::string Words(int count, bool fields) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            if (i) text += ' ';
            text += fields && Chance(0.08) ? "[%@v%]" : Word();
        }
        m_budget -= count;
        return text;
    }

    int WordCount() {
        const double r = static_cast<double>(m_rng() % 1000) / 1000;
        if (r < 0.6) return Uniform(1, 12);
        if (r < 0.92) return Uniform(13, 60);
        return Uniform(60, 250);
    }

    // Left and width of an item inside the span.
    void Span(Node& node, const Place& place, int32_t minWidth) {
        int32_t width = place.width, left = place.left;
        if (Chance(0.5)) {
            width = Uniform(std::min(minWidth, place.width), place.width);
            left = place.left + Uniform(0, place.width - width);
        }
        node.attrs.emplace_back("left", Mm(left));
        node.attrs.emplace_back("width", Mm(width));
    }

    Node MakeText(const Place& place) {
        Node node;
        node.kind = ItemKind::Text;
        node.name = NewName("t");
        if (place.absolute) {
            // A box at its own top holds what the template gives it room for:
            // a word or two on a line, in a box of two lines.
            const int32_t height = Uniform(100, 300);
            node.attrs.emplace_back("top", Mm(Uniform(0, std::max(0, place.formHeight - height))));
            node.attrs.emplace_back("height", Mm(height));
            node.attrs.emplace_back("left", Mm(place.left));
            node.attrs.emplace_back("width", Mm(place.width));
            node.attrs.emplace_back("font-size", std::to_string(Uniform(7, 11)));
            node.attrs.emplace_back("padding", Mm(Uniform(0, 10)));
            if (Chance(0.3)) node.attrs.emplace_back("border", "1");
            std::string text;
            const int words = place.width >= 350 ? Uniform(1, 2) : 1;
            for (int i = 0; i < words; ++i) {
                if (i) text += ' ';
                for (int c = 0, n = Uniform(1, place.width >= 350 ? 6 : 3); c < n; ++c)
                    text += static_cast<char>('a' + Uniform(0, 25));
            }
            node.text = text;
            return node;
        }
        Span(node, place, 150);
        AddStyle(node, true);
        AddPageWishes(node);
        if (Chance(0.1)) {
            node.boundText = true;
            node.attrs.emplace_back("xml-element-name", "@v");
        } else {
            node.text = Words(WordCount(), true);
        }
        return node;
    }

    Node MakeLine(const Place& place) {
        Node node;
        node.kind = ItemKind::Line;
        node.name = NewName("l");
        if (place.absolute) {
            node.attrs.emplace_back("top", Mm(Uniform(0, place.formHeight)));
            node.attrs.emplace_back("left", Mm(place.left));
            node.attrs.emplace_back("width", Mm(place.width));
            return node;
        }
        Span(node, place, 50);
        if (Chance(0.3)) node.attrs.emplace_back("space-before", Mm(Uniform(0, 40)));
        if (Chance(0.3)) node.attrs.emplace_back("space-after", Mm(Uniform(0, 40)));
        return node;
    }

    // The picture's box as the item derives it from the declared size and the
    // picture's proportions (w : h).
    static std::pair<int32_t, int32_t> Box(int32_t W, int32_t H, int w, int h) {
        if (W < H) return {W, w == h ? W : static_cast<int32_t>(double(h) / w * W)};
        if (W > H) return {w == h ? H : static_cast<int32_t>(double(w) / h * H), H};
        if (w > h) return {W, static_cast<int32_t>(double(h) / w * W)};
        if (w < h) return {static_cast<int32_t>(double(w) / h * H), H};
        return {W, W};
    }

    Node MakeImage(const Place& place) {
        Node node;
        node.kind = ItemKind::Image;
        node.name = NewName("i");
        static const int proportions[][2] = {{1, 1}, {2, 1}, {1, 2}, {3, 2}};
        const int picture = Uniform(0, 3);
        node.text = m_images + "/" + kPictures[picture];
        bool stretch = Chance(0.2);
        int32_t width = Uniform(std::min(100, place.width), std::min(600, place.width));
        int32_t height = Uniform(100, 800);
        // A box taller than the body is refused with a message; the generated
        // boxes stay below that, some of them just below it.
        int32_t limit = place.absolute ? std::max(100, place.formHeight) : m_bodyHeight * 9 / 10;
        if (!place.absolute && Chance(0.1)) {
            limit = m_bodyHeight + m_headerHeight - 50;
            height = Uniform(m_bodyHeight - 100, limit);
        }
        // A stretched picture takes the declared box.
        auto boxOf = [&](int32_t w, int32_t h) {
            return stretch ? std::pair<int32_t, int32_t>{w, h}
                           : Box(w, h, proportions[picture][0], proportions[picture][1]);
        };
        for (int i = 0; i < 400; ++i) {
            const auto [bw, bh] = boxOf(width, height);
            if (bh <= limit && bw <= place.width) break;
            width = std::max<int32_t>(10, width * 9 / 10);
            height = std::max<int32_t>(10, height * 9 / 10);
        }
        if (boxOf(width, height).second > limit) stretch = true, width = height = std::min<int32_t>(100, limit);
        const int32_t boxHeight = boxOf(width, height).second;
        if (place.absolute) node.attrs.emplace_back("top", Mm(Uniform(0, std::max(0, place.formHeight - boxHeight))));
        node.attrs.emplace_back("left", Mm(place.left + Uniform(0, std::max(0, place.width - width))));
        node.attrs.emplace_back("width", Mm(width));
        node.attrs.emplace_back("height", Mm(height));
        if (stretch) node.attrs.emplace_back("stretch", "1");
        if (!place.absolute) {
            if (Chance(0.3)) node.attrs.emplace_back("nowrap", "1");
            AddPageWishes(node);
            if (Chance(0.3)) node.attrs.emplace_back("space-after", Mm(Uniform(0, 40)));
        }
        node.attrs.emplace_back("padding", "0");
        m_budget -= 5;
        return node;
    }

    // Data elements named `bind` below every context, 0 to 4 of them each.
    std::vector<TiXmlElement*> Repetitions(const std::vector<TiXmlElement*>& contexts, const std::string& bind) {
        std::vector<TiXmlElement*> made;
        for (TiXmlElement* context : contexts) {
            if (!context) continue;
            const int count = Chance(0.1) ? 0 : Uniform(1, 4);
            for (int i = 0; i < count; ++i) {
                auto* element = new TiXmlElement(bind);
                element->SetAttribute("v", NewValue());
                context->LinkEndChild(element);
                made.push_back(element);
                // Now and then an element of another name between them, which the
                // repetition passes over.
                if (Chance(0.1)) context->LinkEndChild(new TiXmlElement("other"));
            }
        }
        return made;
    }

    Node MakeBlock(const Place& outer) {
        Node node;
        node.kind = ItemKind::Block;
        node.name = NewName("b");
        Place place = outer;
        place.depth = outer.depth + 1;
        node.attrs.emplace_back("left", Mm(outer.left));
        node.attrs.emplace_back("width", Mm(outer.width));
        if (!outer.absolute) {
            AddStyle(node, false);
            AddPageWishes(node);
            const bool bound = outer.depth < 3 && Chance(0.35);
            if (bound) {
                node.kind = ItemKind::BoundBlock;
                node.bind = "r" + std::to_string(++m_binds);
                node.attrs.emplace_back("xml-element-name", node.bind);
                place.contexts = Repetitions(outer.contexts, node.bind);
                if (place.contexts.empty()) place.contexts = {nullptr};
            }
            if (Chance(0.12)) {
                node.asblank = true;
                node.attrs.emplace_back("asblank", "1");
                place.absolute = true;
                place.formHeight = Uniform(100, std::max(100, m_bodyHeight * 6 / 10));
            }
        }
        const int count = Uniform(1, 5);
        for (int i = 0; i < count && m_budget > 0; ++i) node.children.push_back(MakeChild(place));
        if (node.children.empty()) node.children.push_back(MakeLine(place));
        return node;
    }

    Node MakeChild(const Place& place) {
        const int roll = Uniform(0, 99);
        if (place.absolute) {
            if (roll < 60) return MakeText(place);
            if (roll < 75) return MakeLine(place);
            if (roll < 85) return MakeImage(place);
            Place inner = place;
            Node block = MakeBlock(inner);
            return block;
        }
        if (roll < 55) return MakeText(place);
        if (roll < 72 && place.depth < 4) return MakeBlock(Narrowed(place));
        if (roll < 84 && place.width >= 300) return MakeTable(Narrowed(place), place.depth);
        if (roll < 92) return MakeLine(place);
        return MakeImage(place);
    }

    Place Narrowed(const Place& place) {
        Place inner = place;
        if (Chance(0.5) && place.width > 300) {
            inner.width = Uniform(300, place.width);
            inner.left = place.left + Uniform(0, place.width - inner.width);
        }
        return inner;
    }

    // Cell widths that fill at most `width`, cells 1 apart.
    std::vector<int32_t> CellWidths(int32_t width, int wanted) {
        int cells = std::max(1, std::min(wanted, width / 121));
        std::vector<int32_t> widths(cells, 120);
        int32_t rest = width - cells * 121;
        for (int i = 0; i < cells && rest > 0; ++i) {
            const int32_t extra = i + 1 == cells ? rest : Uniform(0, rest);
            widths[i] += extra;
            rest -= extra;
        }
        if (Chance(0.3)) widths.back() -= std::min(widths.back() - 120, Uniform(0, 200));
        return widths;
    }

    Node MakeTable(const Place& place, int depth) {
        Node table;
        table.kind = ItemKind::Table;
        table.name = NewName("tb");
        table.attrs.emplace_back("left", Mm(place.left));
        table.attrs.emplace_back("width", Mm(place.width));
        if (Chance(0.2)) table.attrs.emplace_back("border", "0");
        if (depth < 4) AddPageWishes(table);
        if (Chance(0.3)) table.attrs.emplace_back("space-before", Mm(Uniform(0, 40)));
        const int rows = Uniform(1, 5);
        for (int r = 0; r < rows && m_budget > 0; ++r) {
            Node row;
            row.kind = ItemKind::Row;
            row.name = NewName("rw");
            Place cellPlace = place;
            cellPlace.depth = depth + 1;
            if (r == 0 && Chance(0.4)) {
                row.headerRow = true;
                row.notLast = true;
                row.attrs.emplace_back("header", "1");
            } else if (Chance(0.4)) {
                row.kind = ItemKind::BoundRow;
                row.bind = "r" + std::to_string(++m_binds);
                row.attrs.emplace_back("xml-element-name", row.bind);
                cellPlace.contexts = Repetitions(place.contexts, row.bind);
                if (cellPlace.contexts.empty()) cellPlace.contexts = {nullptr};
            }
            if (Chance(0.25)) row.attrs.emplace_back("nowrap", "1");
            int32_t x = place.left;
            for (int32_t width : CellWidths(place.width, Uniform(1, 4))) {
                Place cell = cellPlace;
                cell.left = x;
                cell.width = width;
                const int roll = Uniform(0, 99);
                if (row.headerRow || roll < 80) {
                    Node text;
                    text.kind = ItemKind::Text;
                    text.name = NewName("t");
                    text.attrs.emplace_back("width", Mm(width));
                    AddStyle(text, true);
                    text.text = row.headerRow ? Words(Uniform(1, 2), false)
                                              : Words(Chance(0.1) ? Uniform(30, 120) : Uniform(1, 15), true);
                    row.children.push_back(std::move(text));
                    x += width + 1;
                } else if (roll < 90 || depth >= 3 || width < 300) {
                    // A block in a cell: its items are placed from the body's left
                    // edge, so the template puts them into the cell's column.
                    Node block;
                    block.kind = ItemKind::Block;
                    block.name = NewName("b");
                    // Its own left too: a block grows to reach its items' right
                    // edges, counted from its left.
                    block.attrs.emplace_back("left", Mm(x));
                    block.attrs.emplace_back("width", Mm(width));
                    for (int i = 0, n = Uniform(1, 2); i < n; ++i) {
                        Node text = MakeText(cell);
                        block.children.push_back(std::move(text));
                    }
                    row.children.push_back(std::move(block));
                    x += width + 1;
                } else {
                    Node nested = MakeTable(cell, depth + 2);
                    // A nested table is as wide as its widest row; one without
                    // rows keeps the width it declares.
                    int32_t widest = 0;
                    for (const Node& nestedRow : nested.children) {
                        int32_t span = 0;
                        for (const Node& nestedCell : nestedRow.children) span += CellWidthOf(nestedCell) + 1;
                        widest = std::max(widest, span);
                    }
                    if (nested.children.empty()) widest = width + 1;
                    row.children.push_back(std::move(nested));
                    x += std::max(widest, 1);
                }
            }
            table.children.push_back(std::move(row));
        }
        return table;
    }

    // The tenths of a length that Mm wrote ("12.3mm"), without the locale's
    // idea of a decimal point.
    static int32_t TenthsOf(const std::string& length) {
        int32_t whole = 0;
        size_t i = 0;
        for (; i < length.size() && length[i] >= '0' && length[i] <= '9'; ++i) whole = whole * 10 + (length[i] - '0');
        const int32_t tenth = i + 1 < length.size() && length[i] == '.' ? length[i + 1] - '0' : 0;
        return whole * 10 + tenth;
    }

    static int32_t CellWidthOf(const Node& cell) {
        for (const auto& [key, value] : cell.attrs)
            if (key == "width" && (cell.kind != ItemKind::Table || cell.children.empty())) return TenthsOf(value);
        if (cell.kind == ItemKind::Table) {
            int32_t widest = 0;
            for (const Node& row : cell.children) {
                int32_t span = 0;
                for (const Node& inner : row.children) span += CellWidthOf(inner) + 1;
                widest = std::max(widest, span);
            }
            return std::max(widest - 1, 0);
        }
        return 500;
    }

    Node PageFrame(const char* element, int32_t height) {
        Node node;
        node.kind = ItemKind::Block;
        node.name = element;
        node.attrs.emplace_back("height", Mm(height));
        if (height < 80) return node;
        for (int i = 0, n = Uniform(0, 2); i < n; ++i) {
            Node text;
            text.kind = ItemKind::Text;
            text.name = NewName("t");
            const int32_t width = Uniform(std::min(300, m_bodyWidth), m_bodyWidth);
            text.attrs.emplace_back("top", Mm(Uniform(0, height - 65)));
            text.attrs.emplace_back("height", Mm(50));
            text.attrs.emplace_back("left", Mm(Uniform(0, m_bodyWidth - width)));
            text.attrs.emplace_back("width", Mm(width));
            text.attrs.emplace_back("font-size", std::to_string(Uniform(7, 10)));
            text.attrs.emplace_back("padding", "0");
            text.text = Chance(0.5) ? "p [%qv_curpage%]" : Words(1, false).substr(0, 6);
            node.children.push_back(std::move(text));
        }
        if (Chance(0.3)) {
            Node line;
            line.kind = ItemKind::Line;
            line.name = NewName("l");
            line.attrs.emplace_back("top", Mm(height - 10));
            line.attrs.emplace_back("width", Mm(m_bodyWidth));
            node.children.push_back(std::move(line));
        }
        return node;
    }

    void WriteNode(std::string& out, const Node& node, int indent) {
        const std::string pad(indent * 2, ' ');
        const char* element =
            node.name == "PageHeader" || node.name == "PageFooter" ? node.name.c_str() : ElementName(node.kind);
        out += pad + "<" + element;
        if (node.name != "PageHeader" && node.name != "PageFooter") out += " name=\"" + node.name + "\"";
        for (const auto& [key, value] : node.attrs) out += " " + key + "=\"" + Escaped(value) + "\"";
        if (node.kind == ItemKind::Image) out += " data-from=\"file\"";
        if (node.children.empty() && node.text.empty()) {
            out += "/>\n";
            return;
        }
        out += ">";
        if (!node.children.empty()) {
            out += "\n";
            for (const Node& child : node.children) WriteNode(out, child, indent + 1);
            out += pad;
        } else {
            out += Escaped(node.text);
        }
        out += std::string("</") + element + ">\n";
    }

    void WriteTemplate(const Node& header, const Node& footer, const std::vector<Node>& blocks) {
        m_out.maxPages = 300;
        std::string& out = m_out.templateXml;
        out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<XmlTemplateReport";
        out += " page-width=\"" + Mm(m_pageWidth) + "\" page-height=\"" + Mm(m_pageHeight) + "\"";
        if (m_landscape) out += " landscape=\"1\"";
        out += " margin-left=\"" + Mm(m_margins[0]) + "\" margin-top=\"" + Mm(m_margins[1]) + "\"";
        out += " margin-right=\"" + Mm(m_margins[2]) + "\" margin-bottom=\"" + Mm(m_margins[3]) + "\"";
        out += " max-pages=\"" + std::to_string(m_out.maxPages) + "\">\n";
        // One draw a statement: the operands of + are not sequenced, and
        // compilers differ in their order, which would change the template
        // a seed gives from one build to another.
        const int fontSize = Uniform(8, 12);
        const int32_t padding = Uniform(0, 15);
        const int32_t spaceAfter = Uniform(0, 20);
        out += "  <Styles><Style name=\"default\" font-size=\"" + std::to_string(fontSize) + "\" padding=\"" +
               Mm(padding) + "\" space-after=\"" + Mm(spaceAfter) + "\"/></Styles>\n";
        WriteNode(out, header, 1);
        WriteNode(out, footer, 1);
        for (const Node& block : blocks) WriteNode(out, block, 1);
        out += "</XmlTemplateReport>\n";
    }

    void RecordFacts(const Node& node, const std::string& parent, const std::string& next, std::string group,
                     Furniture furniture) {
        ItemFacts facts;
        facts.kind = node.kind;
        facts.parent = parent;
        facts.nextSibling = next;
        if (group.empty() && node.asblank) group = node.name;
        facts.absoluteGroup = group;
        facts.furniture = furniture;
        facts.notLastItem = node.notLast;
        facts.noWrap = std::any_of(node.attrs.begin(), node.attrs.end(),
                                   [](const auto& attr) { return attr.first == "nowrap" && attr.second == "1"; });
        facts.indexInGroup = group.empty() ? 0 : m_groupIndex[group]++;
        if (node.headerRow) furniture = Furniture::HeaderRow;
        if (furniture != Furniture::None) facts.furniture = furniture;
        m_out.items[node.name] = facts;
        for (size_t i = 0; i < node.children.size(); ++i)
            RecordFacts(node.children[i], node.name, i + 1 < node.children.size() ? node.children[i + 1].name : "",
                        group, furniture);
    }

    static std::string Value(const TiXmlElement* context) {
        const char* v = context ? context->Attribute("v") : nullptr;
        return v ? v : "";
    }

    void Expect(const Node& node, const TiXmlElement* context, Furniture furniture) {
        if (node.headerRow) furniture = Furniture::HeaderRow;
        if (node.kind == ItemKind::Text) {
            std::string text = node.boundText ? Value(context) : node.text;
            for (size_t at; (at = text.find("[%@v%]")) != std::string::npos;) text.replace(at, 6, Value(context));
            if (furniture == Furniture::None) m_out.flowTexts[node.name].push_back(text);
            else m_out.perPageTexts[node.name] = text;
            return;
        }
        if (node.kind == ItemKind::BoundBlock || node.kind == ItemKind::BoundRow) {
            if (!context) return;
            for (const TiXmlElement* e = context->FirstChildElement(node.bind.c_str()); e;
                 e = e->NextSiblingElement(node.bind.c_str()))
                for (const Node& child : node.children) Expect(child, e, furniture);
            return;
        }
        for (const Node& child : node.children) Expect(child, context, furniture);
    }

    std::mt19937_64 m_rng;
    std::string m_images;
    GeneratedReport m_out;
    TiXmlDocument m_data;
    TiXmlElement* m_root = nullptr;
    int m_names = 0, m_values = 0, m_binds = 0;
    int m_budget = 1200;  // words, roughly, so that one report stays cheap
    std::array<int32_t, 4> m_margins{};
    int32_t m_pageWidth = 0, m_pageHeight = 0, m_headerHeight = 0, m_footerHeight = 0;
    int32_t m_bodyWidth = 0, m_bodyHeight = 0;
    bool m_landscape = false;
    std::map<std::string, int> m_groupIndex;
};

}  // namespace

GeneratedReport GenerateReport(uint64_t seed, const std::string& imageFolder) {
    return Generator(seed, imageFolder).Run();
}

}  // namespace qv::layoutcheck
