#include "render/PdfPaintList.h"

#include <algorithm>
#include <cmath>

#include "render/PdfNumber.h"

namespace qv::render {

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0;
// Grid cells of this many logical units: a table cell or two each.
constexpr double kCellSize = 128;

bool Overlap(const PdfPaintList::Box& a, const PdfPaintList::Box& b) {
    return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

// Paint this close to a line may share the line's pixels once a reader
// rounds edges to whole pixels: a cell's fill starts half a unit beside its
// border. Only paint farther off is sure to stay out of the line's pixels.
constexpr double kNear = 0.75;

bool Near(const PdfPaintList::Box& a, const PdfPaintList::Box& b) {
    return a.x0 - kNear < b.x1 && b.x0 < a.x1 + kNear && a.y0 - kNear < b.y1 && b.y0 < a.y1 + kNear;
}

bool Contains(const PdfPaintList::Box& outer, const PdfPaintList::Box& inner) {
    return outer.x0 <= inner.x0 && inner.x1 <= outer.x1 && outer.y0 <= inner.y0 && inner.y1 <= outer.y1;
}

PdfPaintList::Box Intersection(const PdfPaintList::Box& a, const PdfPaintList::Box& b) {
    return {std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}

bool Horizontal(const PdfPaintList::Line& l) { return l.y0 == l.y1 && l.x0 != l.x1; }
bool Vertical(const PdfPaintList::Line& l) { return l.x0 == l.x1 && l.y0 != l.y1; }

// What the pen covers: half its width beyond the line on every side, the
// ends included (square ends). A slanted line is taken by a box that holds
// its corners wherever they turn.
PdfPaintList::Box StrokeBox(const PdfPaintList::Line& l) {
    const double reach = (Horizontal(l) || Vertical(l)) ? 0.5 : 1.0;
    return {std::min(l.x0, l.x1) - reach, std::min(l.y0, l.y1) - reach, std::max(l.x0, l.x1) + reach,
            std::max(l.y0, l.y1) + reach};
}

}  // namespace

// ---- Grid ----------------------------------------------------------------------------

void PdfPaintList::Grid::Reset(double x0, double y0, double x1, double y1) {
    m_x0 = x0;
    m_y0 = y0;
    m_columns = std::max(1, static_cast<int>(std::ceil((x1 - x0) / kCellSize)));
    m_rows = std::max(1, static_cast<int>(std::ceil((y1 - y0) / kCellSize)));
    m_cells.resize(static_cast<size_t>(m_columns) * static_cast<size_t>(m_rows));
    for (auto& cell : m_cells) cell.clear();
}

PdfPaintList::Grid::CellRange PdfPaintList::Grid::Range(const Box& box) const {
    // Paint beyond the paper lands in the border cells: clamping keeps any two
    // overlapping boxes in a common cell. Every paint asks for its cells, so
    // the floor is taken by truncation once the value is known to lie inside
    // the grid (NaN lands in the first cell).
    auto clamp = [](double v, int n) {
        if (!(v > 0)) return 0;
        if (v >= n - 1) return n - 1;
        return static_cast<int>(v);
    };
    // The cell size is a power of two: multiplying by its inverse is exact.
    constexpr double kPerCell = 1 / kCellSize;
    return {clamp((box.x0 - m_x0) * kPerCell, m_columns), clamp((box.y0 - m_y0) * kPerCell, m_rows),
            clamp((box.x1 - m_x0) * kPerCell, m_columns), clamp((box.y1 - m_y0) * kPerCell, m_rows)};
}

void PdfPaintList::Grid::Insert(const Box& box, uint32_t item) {
    const CellRange r = Range(box);
    for (int y = r.y0; y <= r.y1; ++y)
        for (int x = r.x0; x <= r.x1; ++x) m_cells[static_cast<size_t>(y) * m_columns + x].push_back(item);
}

template <typename F>
void PdfPaintList::Grid::ForEach(const Box& box, F&& visit) const {
    const CellRange r = Range(box);
    for (int y = r.y0; y <= r.y1; ++y)
        for (int x = r.x0; x <= r.x1; ++x)
            for (const uint32_t item : m_cells[static_cast<size_t>(y) * m_columns + x])
                if (!visit(item)) return;
}

// ---- Recording -----------------------------------------------------------------------

void PdfPaintList::Clear(int32_t paperWidth, int32_t paperHeight) {
    m_items.clear();
    m_strokeAt.clear();
    m_kept.Reset(0, -paperHeight, paperWidth, 0);
    m_lines.Reset(0, -paperHeight, paperWidth, 0);
}

void PdfPaintList::AddFill(size_t begin, size_t end, const Box& box, uint32_t color, bool droppable) {
    Item item{Kind::Fill};
    item.exact = true;
    item.droppable = droppable && color == kWhite;
    item.color = color;
    item.box = box;
    item.begin = begin;
    item.end = end;
    m_items.push_back(item);
}

void PdfPaintList::AddInk(size_t begin, size_t end, const Box& box) {
    Item item{Kind::Ink};
    item.box = box;
    item.begin = begin;
    item.end = end;
    m_items.push_back(item);
}

void PdfPaintList::AddStroke(size_t at, std::span<const Line> lines) {
    if (lines.empty()) return;
    const size_t stroke = m_strokeAt.size();
    m_strokeAt.push_back(at);
    for (const Line& line : lines) {
        Item item{Kind::Line};
        // A line of no length has no direction for its square ends; readers
        // differ on what it shows, so it is left exactly as drawn.
        item.exact = Horizontal(line) || Vertical(line);
        item.color = kBlack;
        item.box = StrokeBox(line);
        item.begin = item.end = at;
        item.stroke = stroke;
        item.line = line;
        m_items.push_back(item);
    }
}

// ---- Deciding ------------------------------------------------------------------------

bool PdfPaintList::NoOp(size_t index) const {
    // Paint changes nothing where the page already shows its colour: blank
    // paper for white, or kept paint of its colour that holds it, with
    // nothing of another colour drawn near it since. Paint of the same
    // colour nearby may come in any order.
    const Item& item = m_items[index];
    bool blocked = false;
    size_t lastOther = 0, lastHolder = 0;
    const Box around{item.box.x0 - kNear, item.box.y0 - kNear, item.box.x1 + kNear, item.box.y1 + kNear};
    m_kept.ForEach(around, [&](uint32_t k) {
        const Item& other = m_items[k];
        if (!Near(other.box, item.box)) return true;
        const bool sameColor = other.exact && other.color == item.color;
        if (sameColor && Contains(other.box, item.box)) {
            lastHolder = std::max<size_t>(lastHolder, k + 1);
        } else if (!sameColor) {
            blocked = true;
            lastOther = std::max<size_t>(lastOther, k + 1);
        }
        return true;
    });
    if (!blocked) return item.color == kWhite || lastHolder > 0;
    return lastHolder > lastOther;
}

bool PdfPaintList::CoveredLater(size_t index) const {
    // A white fill over earlier paint changes the page only where a later
    // line paints over that part again anyway: the bottom border of a row
    // that the next row's cells overlap, and draw again as their top border.
    const Item& fill = m_items[index];
    bool covered = true;
    m_kept.ForEach(fill.box, [&](uint32_t k) {
        if (!Overlap(m_items[k].box, fill.box)) return true;
        const Box part = Intersection(m_items[k].box, fill.box);
        bool found = false;
        m_lines.ForEach(part, [&](uint32_t l) {
            found = l > index && Contains(m_items[l].box, part);
            return !found;
        });
        covered = found;
        return covered;
    });
    return covered;
}

void PdfPaintList::Decide() {
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].kind == Kind::Line && m_items[i].exact) m_lines.Insert(m_items[i].box, static_cast<uint32_t>(i));
    for (size_t i = 0; i < m_items.size(); ++i) {
        Item& item = m_items[i];
        item.kept = true;
        if (item.kind == Kind::Line && item.exact && NoOp(i)) {
            item.kept = false;
            ++m_droppedLines;
        } else if (item.droppable && (NoOp(i) || CoveredLater(i))) {
            item.kept = false;
            ++m_droppedFills;
        }
        if (item.kept) m_kept.Insert(item.box, static_cast<uint32_t>(i));
    }
}

bool PdfPaintList::TouchedBetween(size_t after, size_t before, const Box& box) const {
    bool touched = false;
    const Box around{box.x0 - kNear, box.y0 - kNear, box.x1 + kNear, box.y1 + kNear};
    m_kept.ForEach(around, [&](uint32_t k) {
        const Item& other = m_items[k];
        // A line's neighbours of its own colour may come before or after it.
        touched =
            k > after && k < before && other.kept && Near(other.box, box) && !(other.exact && other.color == kBlack);
        return !touched;
    });
    return touched;
}

void PdfPaintList::Merge() {
    // Heads of merged lines by the line they lie on: y of a horizontal line
    // (even keys), x of a vertical one (odd keys).
    std::unordered_map<int64_t, std::vector<size_t>> heads;
    for (size_t i = 0; i < m_items.size(); ++i) {
        Item& item = m_items[i];
        if (item.kind != Kind::Line || !item.exact || !item.kept) continue;
        const bool horizontal = Horizontal(item.line);
        const int64_t key = horizontal ? int64_t{item.line.y0} * 2 : int64_t{item.line.x0} * 2 + 1;
        const int32_t lo = horizontal ? std::min(item.line.x0, item.line.x1) : std::min(item.line.y0, item.line.y1);
        const int32_t hi = horizontal ? std::max(item.line.x0, item.line.x1) : std::max(item.line.y0, item.line.y1);
        std::vector<size_t>& onLine = heads[key];
        bool merged = false;
        for (auto h = onLine.rbegin(); h != onLine.rend() && !merged; ++h) {
            Item& head = m_items[*h];
            Line& l = head.line;
            const int32_t headLo = horizontal ? std::min(l.x0, l.x1) : std::min(l.y0, l.y1);
            const int32_t headHi = horizontal ? std::max(l.x0, l.x1) : std::max(l.y0, l.y1);
            // Lines that meet or overlap; drawing this one earlier, with the
            // head, must not put it under anything drawn in between.
            if (lo > headHi || headLo > hi || TouchedBetween(*h, i, item.box)) continue;
            const int32_t newLo = std::min(lo, headLo), newHi = std::max(hi, headHi);
            l = horizontal ? Line{newLo, l.y0, newHi, l.y0} : Line{l.x0, newLo, l.x0, newHi};
            head.box = StrokeBox(l);
            m_kept.Insert(head.box, static_cast<uint32_t>(*h));
            item.kept = false;
            merged = true;
            ++m_mergedLines;
        }
        if (!merged) onLine.push_back(i);
    }
}

// ---- Writing -------------------------------------------------------------------------

void PdfPaintList::Compose(std::string_view content, std::string& out) {
    m_droppedFills = m_droppedLines = m_mergedLines = 0;
    Decide();
    Merge();
    out.clear();
    size_t from = 0;
    for (size_t i = 0; i < m_items.size();) {
        const Item& item = m_items[i];
        out.append(content.substr(from, item.begin - from));
        if (item.kind != Kind::Line) {
            if (item.kept) out.append(content.substr(item.begin, item.end - item.begin));
            from = item.end;
            ++i;
            continue;
        }
        const size_t stroke = item.stroke;
        bool any = false;
        for (; i < m_items.size() && m_items[i].kind == Kind::Line && m_items[i].stroke == stroke; ++i) {
            if (!m_items[i].kept) continue;
            const Line& l = m_items[i].line;
            AppendInt(out, l.x0);
            out += ' ';
            AppendInt(out, l.y0);
            out += " m ";
            AppendInt(out, l.x1);
            out += ' ';
            AppendInt(out, l.y1);
            out += " l\n";
            any = true;
        }
        if (any) out += "S\n";
        from = m_strokeAt[stroke];
    }
    out.append(content.substr(from));
}

}  // namespace qv::render
