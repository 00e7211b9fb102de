#pragma once
// What one page of the PDF writer paints, kept until the page ends so that
// paint which changes nothing can be left out of its content:
//
// - a white fill where the page is still blank paper, or where whatever it
//   would cover is painted over again later by a border line;
// - a border line whose place is already covered by the same line, or by
//   other paint of its colour, with nothing painted over it since (the edge
//   two neighbouring cells share is drawn by both);
// - collinear border lines that meet or overlap become one line, drawn where
//   the first was, when nothing drawn between them touches the later one.
//
// Paint is opaque, so the page's final look is, at each point, the colour of
// the last paint covering it; every rule above keeps that. Where a rule cannot
// tell (text, pictures), the paint stays and is taken as covering its whole
// bounding box. Readers round edges to whole pixels, so paint of another
// colour within a hair of a line counts as touching it.
//
// Coordinates are the page's logical units, y upward.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "render/PaintGeometry.h"

namespace qv::render {

class PdfPaintList {
public:
    using Box = PaintBox;
    // A line of the pen: one unit wide, square ends, black.
    using Line = PenLine;

    // Starts a page of the given size (2100 × 2970 is A4; y runs from
    // -height to 0).
    void Clear(int32_t paperWidth, int32_t paperHeight);

    // Paint whose bytes are content[begin, end). A fill is uniform `color`
    // over `box`; a white fill (`droppable`) may be left out.
    void AddFill(size_t begin, size_t end, const Box& box, uint32_t color, bool droppable);
    // Any other paint (text, a picture, a framed box): stays, and is taken as
    // covering all of `box`.
    void AddInk(size_t begin, size_t end, const Box& box);
    // One stroke of pen lines, to go at content[at] (the caller has written
    // the pen's colour and width before it, and nothing for the lines).
    void AddStroke(size_t at, std::span<const Line> lines);

    // The page's content without the paint that changes nothing: `content`
    // with the ranges of dropped paint cut out and the strokes written.
    void Compose(std::string_view content, std::string& out);

    // Counts of the last Compose, for tests and measurements.
    size_t DroppedFills() const { return m_droppedFills; }
    size_t DroppedLines() const { return m_droppedLines; }
    size_t MergedLines() const { return m_mergedLines; }

private:
    enum class Kind : uint8_t { Fill, Ink, Line };
    struct Item {
        Kind kind;
        bool exact = false;      // paints all of `box` in `color`
        bool droppable = false;  // a white fill
        bool kept = true;
        uint32_t color = 0;
        Box box{};
        size_t begin = 0, end = 0;  // content bytes; a line: its stroke's place
        size_t stroke = 0;          // a line: the stroke it belongs to
        Line line{};                // a line: as drawn, then as merged
    };
    // Item indices by the cells of a coarse grid over the page, so that the
    // paint near a box is found without looking at the whole page.
    class Grid {
    public:
        void Reset(double x0, double y0, double x1, double y1);
        void Insert(const Box& box, uint32_t item);
        // Every item inserted with a box sharing a cell with `box`, some
        // more than once, until `visit` returns false.
        template <typename F>
        void ForEach(const Box& box, F&& visit) const;

    private:
        struct CellRange {
            int x0, y0, x1, y1;
        };
        CellRange Range(const Box& box) const;
        double m_x0 = 0, m_y0 = 0;
        int m_columns = 1, m_rows = 1;
        std::vector<std::vector<uint32_t>> m_cells;
    };

    void Decide();
    bool NoOp(size_t index) const;
    bool CoveredLater(size_t index) const;
    bool TouchedBetween(size_t after, size_t before, const Box& box) const;
    void Merge();

    std::vector<Item> m_items;
    std::vector<size_t> m_strokeAt;  // content position of each stroke
    Grid m_kept;                     // kept paint, filled in drawing order
    Grid m_lines;                    // every axis-parallel line
    size_t m_droppedFills = 0, m_droppedLines = 0, m_mergedLines = 0;
};

}  // namespace qv::render
