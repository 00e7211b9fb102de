#pragma once
// A Text element: a paragraph cut into words at spaces and placed page by page,
// as many whole words per page as fit above the bottom limit. Placeholders are
// expanded anew on every page, so a continued text shows each page's number.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "elements/CqvItem.h"

class CqvTextItem : public CqvItem {
public:
    CqvTextItem() : CqvTextItem(qv::kTypeText) {}

    // Common attributes and style, then the element's own text.
    void Load(const TiXmlElement& element) override;
    int32_t Layout(Surface& surface, QvPrintInfo& printInfo, int32_t y, QvDataElement data, QvRect& itemRect,
                   CqvTrial* trial) override;
    // The page text with the item's style; none inside a keep-with-next trial.
    std::unique_ptr<CqvPagePiece> CreatePiece() override;

    const std::string& SourceText() const { return m_strSource; }
    const std::string& ExpandedText() const { return m_strExpanded; }
    const std::vector<std::string>& Words() const { return m_words; }
    const std::string& PageText() const { return m_strPageText; }
    bool HasPageCount() const { return m_bHasPageCount; }
    // Index of the first word not yet placed; -1 once finished.
    int32_t PrintPos() const { return m_nProgress; }

protected:
    explicit CqvTextItem(int typeCode) : CqvItem(typeCode) {}

    // The text layout proper, inside the caller's font scope, once the source
    // text is known; `data` is the element placeholders are resolved against.
    int32_t LayoutText(int32_t y, QvDataElement data, QvRect& itemRect);
    // Every change of the source text goes through here.
    void SetSource(std::string text);

    std::string m_strSource;
    bool m_bHasPageCount = false;
    std::string m_strExpanded;
    std::vector<std::string> m_words;
    std::string m_strPageText;

private:
    // The words are those of the current source, which holds no field.
    bool m_bCutPlainSource = false;
    // Where each word begins in the expanded text, and one entry more.
    std::vector<size_t> m_wordStarts;
    // How many words the last page portion took: where the next search begins.
    size_t m_nLastRun = 0;
    // Set by the portion choice: nothing fits here, but the next word would
    // fit on a page of its own.
    bool m_bWaitsForNextPage = false;
    // The word that last waited for the next page, and the page it left.
    size_t m_nWaitedWord = SIZE_MAX;
    uint32_t m_nWaitedOnPage = 0;

    // An absolutely positioned box keeps at least one line of height.
    void GrowAbsoluteBoxToOneLine();
    // Where a form's field drawn below its block's position starts when its
    // box leaves less than `lineHeight` above the body's bottom: as low as one
    // line still fits. None when it has that room, lies wholly below the
    // bottom, or no page has the room.
    std::optional<int32_t> FieldRaisedAboveTheFoot(int64_t lineHeight, int32_t bottomLimit);
    void ExpandAndCut(QvDataElement data);
    // Returns the height of the page text when the choice measured it.
    std::optional<int32_t> ChoosePagePortion(int32_t y, int32_t bottomLimit);
    // Words [from, to), each followed by one space; the first without its
    // first `skip` bytes.
    std::string Candidate(size_t from, size_t to, size_t skip = 0) const;
    // Whether the word (less its first `skip` bytes) fits on a page below the
    // header, where the item would start after a page break.
    bool FitsOnEmptyPage(size_t word, size_t skip, int32_t bottomLimit) const;
    // Whether the word that does not fit here is left for the next page: on a
    // used page, when a page holds it, and not a second time.
    bool MayWaitForNextPage(size_t word, size_t skip, int32_t bottomLimit);
    // Takes as many wrapped lines of the word as fit at y as the page text;
    // false when the word cannot be cut so.
    bool PlacePartOfWord(size_t word, size_t skip, int32_t y, int32_t bottomLimit);
    // Height the text takes wrapped into the content rectangle (negative).
    int32_t Measure(std::string_view text) const;
    // Measure(Candidate(from, to, skip)), mostly without copying the words.
    int32_t MeasureRun(size_t from, size_t to, size_t skip = 0) const;
};
