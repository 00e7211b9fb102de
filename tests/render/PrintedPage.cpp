#include "PrintedPage.h"

#include <algorithm>
#include <cstdlib>

#include "RenderTestSupport.h"
#include "platform/FontFaces.h"
#include "platform/FontResolver.h"
#include "platform/PictureDecoder.h"
#include "support/TestScratchDir.h"

namespace qvrender {

void DrawStyled(Surface& surface, int32_t x, int32_t top, const Styled& line, unsigned options, QvRect clip) {
    QvFontSpec font;
    font.face = line.family;
    font.weight = line.weight;
    font.italic = line.italic;
    font.height = -line.em;
    surface.SelectFont(font);
    const auto faces = qv::platform::ResolveFontFaces(line.family, line.weight, line.italic);
    std::vector<int32_t> advances;
    float sum = 0;
    for (char16_t c : line.text) {
        const qv::platform::FontFile& file = *faces->Face(faces->FaceFor(c)).file;
        const float before = sum;
        sum += static_cast<float>(file.DesignAdvance(c) * line.em / file.OutlineMetrics()->emSquare + 0.5);
        advances.push_back(static_cast<int32_t>(sum) - static_cast<int32_t>(before));
    }
    surface.TextOut(x, top, options, clip, line.text, advances.data());
}

namespace {

constexpr int32_t kLineTop = -60;
constexpr int32_t kLinePitch = 110;

int Pixel(int32_t units, int dpi) { return static_cast<int>(units * dpi / 254.0); }

// The runs of columns holding ink in a band of rows: each run a glyph or a
// few touching glyphs, its left and right column and its top and bottom row.
struct InkRun {
    int x0, x1, y0, y1;
};

std::vector<InkRun> InkRuns(const InkMap& image, int y0, int y1) {
    std::vector<InkRun> runs;
    bool open = false;
    for (int x = 0; x <= image.Width(); ++x) {
        int top = y1, bottom = y0 - 1;
        if (x < image.Width())
            for (int y = y0; y < std::min(y1, image.Height()); ++y)
                if (image.Dark(x, y)) top = std::min(top, y), bottom = std::max(bottom, y);
        const bool ink = bottom >= top;
        if (ink && !open) runs.push_back({x, x, top, bottom}), open = true;
        if (ink) {
            InkRun& run = runs.back();
            run.x1 = x, run.y0 = std::min(run.y0, top), run.y1 = std::max(run.y1, bottom);
        }
        if (!ink) open = false;
    }
    return runs;
}

InkRun BoxOf(const std::vector<InkRun>& runs) {
    InkRun box = runs.front();
    for (const InkRun& r : runs)
        box = {std::min(box.x0, r.x0), std::max(box.x1, r.x1), std::min(box.y0, r.y0), std::max(box.y1, r.y1)};
    return box;
}

std::string Describe(const InkRun& r) {
    return std::to_string(r.x0) + "," + std::to_string(r.y0) + ".." + std::to_string(r.x1) + "," + std::to_string(r.y1);
}

}  // namespace

const std::vector<Styled>& PrintedLines() {
    static const std::vector<Styled> lines = {
        {u"One row per dog, in the order of registration", "Arial", 400, false, 35},
        {u"Overview Tmvfx Oxen", "Arial", 700, false, 60},
        {u"Quarterly figures fjord", "Times New Roman", 400, true, 50},
        {u"Товарная накладная Счёт", "Arial", 400, false, 42},
        {u"Courier lines 1234", "Courier New", 700, false, 42},
        {u"Small print under the table", "Times New Roman", 400, false, 28},
    };
    return lines;
}

void DrawPrintedPage(Surface& surface) {
    surface.FillSolidRect({0, 0, kPrintedPageSize, -kPrintedPageSize}, QvRgb(255, 255, 255));
    int32_t top = kLineTop;
    for (const Styled& line : PrintedLines()) {
        DrawStyled(surface, 40, top, line);
        top -= kLinePitch;
    }
    const std::string bytes = qv::test::ReadFile(std::string(QV_TEST_DATA) + "/images/square.png");
    surface.DrawPicture(qv::platform::DecodePicture(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()),
                        {700, -760, 960, -1000}, 0, 1 << 30);
}

InkMap InkMap::FromPng(const PngImage& image) {
    InkMap map(image.Width(), image.Height());
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) map.m_dark[static_cast<size_t>(y) * map.m_width + x] = image.Dark(x, y);
    return map;
}

InkMap InkMap::FromArgb(const unsigned char* data, int width, int height, int stride) {
    InkMap map(width, height);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            // Premultiplied: a transparent pixel is paper, not ink.
            const uint32_t p = row[x];
            const unsigned alpha = p >> 24;
            const unsigned sum = ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) + 3 * (255 - alpha);
            map.SetGray(x, y, sum / 3);
        }
    }
    return map;
}

std::string TextComparison::Summary() const {
    std::string text = "page shift " + std::to_string(shiftX) + "," + std::to_string(shiftY) + " px; " +
                       std::to_string(differing) + " pixels of " + std::to_string(textRows) +
                       " text rows differ in darkness; " + std::to_string(unmatched) + " of " + std::to_string(edges) +
                       " glyph edges unmatched (" + std::to_string(joined) +
                       " more inside glyphs joined by anti-aliasing), worst matched edge offset " +
                       std::to_string(worstMatched) + " px, worst line box offset " + std::to_string(worstLine) + " px";
    if (!unmatchedAt.empty()) {
        text += "; unmatched at";
        for (const std::string& at : unmatchedAt) text += " " + at;
    }
    return text;
}

TextComparison CompareText(const InkMap& reference, const InkMap& actual, int dpi) {
    TextComparison result;
    if (reference.Width() != actual.Width() || reference.Height() != actual.Height()) {
        result.faults.push_back("the images differ in size: " + std::to_string(reference.Width()) + " x " +
                                std::to_string(reference.Height()) + " against " + std::to_string(actual.Width()) +
                                " x " + std::to_string(actual.Height()));
        return result;
    }
    const int lines = static_cast<int>(PrintedLines().size());
    result.textRows = std::min(reference.Height(), Pixel(-kLineTop + kLinePitch * lines, dpi));
    for (int y = 0; y < result.textRows; ++y)
        for (int x = 0; x < reference.Width(); ++x) result.differing += reference.Dark(x, y) != actual.Dark(x, y);

    struct Line {
        int y0, y1;
        std::vector<InkRun> expected, found;
    };
    std::vector<Line> inked;
    std::vector<int> shiftsX, shiftsY;
    for (int i = 0; i < lines; ++i) {
        const int32_t top = kLineTop - i * kLinePitch;
        const int y0 = Pixel(-top, dpi), y1 = Pixel(-top + kLinePitch, dpi);
        Line line{y0, y1, InkRuns(reference, y0, y1), InkRuns(actual, y0, y1)};
        if (line.expected.empty() || line.found.empty()) {
            result.faults.push_back("line " + std::to_string(i + 1) + " (rows " + std::to_string(y0) + ".." +
                                    std::to_string(y1) + ") has no ink in the " +
                                    (line.expected.empty() ? "reference" : "other image"));
            continue;
        }
        const InkRun e = BoxOf(line.expected), a = BoxOf(line.found);
        shiftsX.push_back(a.x0 - e.x0);
        shiftsY.push_back(a.y0 - e.y0);
        inked.push_back(std::move(line));
    }
    if (inked.empty()) return result;
    auto median = [](std::vector<int> v) {
        std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
        return v[v.size() / 2];
    };
    result.shiftX = median(shiftsX);
    result.shiftY = median(shiftsY);
    if (std::abs(result.shiftX) > 1 || std::abs(result.shiftY) > 1)
        result.faults.push_back("the page is shifted by " + std::to_string(result.shiftX) + "," +
                                std::to_string(result.shiftY) + " pixels");

    for (size_t i = 0; i < inked.size(); ++i) {
        Line& line = inked[i];
        for (InkRun& r : line.found)
            r = {r.x0 - result.shiftX, r.x1 - result.shiftX, r.y0 - result.shiftY, r.y1 - result.shiftY};
        const std::vector<InkRun>& expected = line.expected;
        const std::vector<InkRun>& found = line.found;
        const int y0 = line.y0;
        // Across a pixel; down, two: the thin descenders of small text come
        // out a pixel darker or lighter in two anti-aliasings.
        const InkRun e = BoxOf(expected), a = BoxOf(found);
        int lineOffset = 0;
        for (int offset : {a.x0 - e.x0, a.x1 - e.x1, (a.y0 - e.y0) / 2, (a.y1 - e.y1) / 2})
            lineOffset = std::max(lineOffset, std::abs(offset));
        result.worstLine = std::max(result.worstLine, lineOffset);
        if (lineOffset > 1)
            result.faults.push_back("the line at row " + std::to_string(y0) + ": ink at " + Describe(e) +
                                    " in the reference, " + Describe(a) + " in the other image after the page's shift");
        for (const InkRun& run : expected)
            for (bool left : {true, false}) {
                const int edge = left ? run.x0 : run.x1;
                int nearest = 1 << 30;
                bool joined = false;
                for (const InkRun& other : found) {
                    nearest = std::min(nearest, std::abs((left ? other.x0 : other.x1) - edge));
                    // Where the other image's anti-aliasing joins two glyphs
                    // across a one-pixel gap, the edge between them is inside a run.
                    joined = joined || (other.x0 < edge - 1 && other.x1 > edge + 1);
                }
                ++result.edges;
                if (nearest <= 1) result.worstMatched = std::max(result.worstMatched, nearest);
                else if (joined) ++result.joined;
                else ++result.unmatched, result.unmatchedAt.push_back(std::to_string(edge) + "," + std::to_string(y0));
            }
    }
    return result;
}

}  // namespace qvrender
