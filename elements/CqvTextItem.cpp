#include "elements/CqvTextItem.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstdlib>

#include "common/CqvEx.h"
#include "elements/CqvFontScope.h"
#include "elements/CqvTextPiece.h"
#include "elements/CqvTrial.h"
#include "elements/CqvXmlTextItem.h"
#include "elements/ExpandFields.h"
#include "elements/ItemFactory.h"
#include "elements/LongestFittingRun.h"
#include "engine/CqvReport.h"
#include "xml/XmlNav.h"

std::unique_ptr<CqvItem> CreateTextItem(bool bound) {
    if (bound) return std::make_unique<CqvXmlTextItem>();
    return std::make_unique<CqvTextItem>();
}

void CqvTextItem::Load(const TiXmlElement& element) {
    CqvItem::Load(element);
    const std::string* text = qv::xml::ElementText(&element);
    SetSource(text ? *text : std::string());
}

int32_t CqvTextItem::Layout(Surface& surface, QvPrintInfo&, int32_t y, QvDataElement data, QvRect& itemRect,
                            CqvTrial* trial) {
    if (trial) trial->Register(*this);
    CqvFontScope scope(surface, m_style);
    return LayoutText(y, data, itemRect);
}

std::unique_ptr<CqvPagePiece> CqvTextItem::CreatePiece() {
    if (m_bInTrial) return nullptr;
    return std::make_unique<CqvTextPiece>(&m_style, m_strPageText, m_bHasPageCount);
}

int32_t CqvTextItem::LayoutText(int32_t y, QvDataElement data, QvRect& itemRect) {
    ItemRect(y);
    m_bCutAtBottomLimit = false;
    if (m_bAbsolute) GrowAbsoluteBoxToOneLine();

    const int64_t padding = int64_t{m_style.m_nPaddingTop} + m_style.m_nPaddingBottom;
    const int64_t oneLine = std::abs(int64_t{m_style.m_metrics.OneLineHeight()});
    const int32_t bottomLimit = BottomLimit();
    // Where the text is drawn; the height it reports is still counted from y.
    int32_t top = y;
    if (bottomLimit < int64_t{y} + padding + oneLine) {
        // Kept off a page that holds nothing yet by the spaces above it (its
        // own space-before and its blocks'), it rises just far enough for one
        // line, and what follows it goes to the next page. A text in a form
        // rises too: the form moves whole to such a page and would meet the
        // same spaces there again.
        const std::optional<int32_t> risen = RisenTop(padding + oneLine);
        if (!risen) {
            itemRect = m_rcItem;
            return qv::kLayoutNextPage;  // not even one line fits on this page
        }
        top = *risen;
        ItemRect(top);
        if (m_bAbsolute) GrowAbsoluteBoxToOneLine();
    } else if (const std::optional<int32_t> raised = FieldRaisedAboveTheFoot(padding + oneLine, bottomLimit)) {
        top = *raised;
    }

    ExpandAndCut(data);
    const std::optional<int32_t> measured = ChoosePagePortion(top, bottomLimit);
    if (m_bWaitsForNextPage) {
        itemRect = m_rcItem;
        return qv::kLayoutNextPage;  // its next word fits only on the next page
    }

    int64_t used = std::abs(int64_t{measured ? *measured : Measure(m_strPageText)}) + padding;
    if (bottomLimit < int64_t{top} + used) {
        // The text reaches down to the limit and no further.
        m_rcItem.bottom = m_rcContent.bottom = qv::Clamp32(-int64_t{bottomLimit});
        used = int64_t{bottomLimit} - top;
        m_bCutAtBottomLimit = true;
    } else if (!m_bAbsolute) {
        m_rcItem.bottom = m_rcContent.bottom = qv::Clamp32(int64_t{m_rcItem.top} - used);
    }
    itemRect = m_rcItem;
    const int32_t height = qv::Clamp32(used);
    return IsDone() ? height : -height;
}

std::optional<int32_t> CqvTextItem::FieldRaisedAboveTheFoot(int64_t lineHeight, int32_t bottomLimit) {
    // A form only reaches past the body's bottom where it stays on its page,
    // cut there (too tall for any page, or already under way). A field whose
    // box starts on the page with less than a line of room above the bottom
    // would be cut to a sliver that shows none of its words; the form goes
    // on at the same place on the next page, so waiting would find no more
    // room there. It rises as far as one line needs, never above the body.
    if (!InFormInBody()) return std::nullopt;
    const int64_t boxTop = -int64_t{m_rcItem.top};
    if (boxTop >= bottomLimit || int64_t{bottomLimit} >= boxTop + lineHeight) return std::nullopt;
    const int64_t raised = int64_t{bottomLimit} - lineHeight;
    if (raised < ContinuedPageTop()) return std::nullopt;
    // Its box moves up with it; the text is judged from where it is drawn.
    ItemRect(qv::Clamp32(raised - m_nTop));
    GrowAbsoluteBoxToOneLine();
    return qv::Clamp32(raised);
}

void CqvTextItem::GrowAbsoluteBoxToOneLine() {
    const double spacing = m_style.m_metrics.LineSpacing();
    if (spacing <= double(m_rcContent.top) - m_rcContent.bottom) return;
    // Truncated toward zero, as the engine converts every measured length.
    m_rcContent.bottom = qv::Clamp32(static_cast<int64_t>(m_rcContent.top - spacing));
    m_rcItem.bottom =
        qv::Clamp32(static_cast<int64_t>(m_rcItem.top - spacing - m_style.m_nPaddingTop - m_style.m_nPaddingBottom));
}

void CqvTextItem::SetSource(std::string text) {
    m_strSource = std::move(text);
    m_bCutPlainSource = false;
}

void CqvTextItem::ExpandAndCut(QvDataElement data) {
    // A text without fields expands to itself on every page: once cut, it keeps
    // its words, so a long text is not copied and cut again for every page it
    // continues on.
    if (m_bCutPlainSource) return;
    QvExpandedText expanded = ExpandFields(m_strSource, *m_pReport, data);
    if (expanded.text.size() > kMaxTextRunBytes) throw CqvEx(TextTooLongMessage(expanded.text));
    m_strExpanded = std::move(expanded.text);
    m_bHasPageCount = expanded.hasPageCount;
    m_bCutPlainSource = m_strSource.find(kFieldOpen) == std::string::npos;

    // Every space ends a word, so adjacent spaces give empty words and the
    // page text keeps the spaces as they were written.
    m_words.clear();
    m_wordStarts.clear();
    if (m_strExpanded.empty()) return;
    size_t start = 0;
    for (size_t space = m_strExpanded.find(' '); space != std::string::npos; space = m_strExpanded.find(' ', start)) {
        m_words.emplace_back(m_strExpanded, start, space - start);
        m_wordStarts.push_back(start);
        start = space + 1;
    }
    m_words.emplace_back(m_strExpanded, start);
    m_wordStarts.push_back(start);
    // Where a word after the last would begin, past the space that is not there.
    m_wordStarts.push_back(m_strExpanded.size() + 1);
}

std::string CqvTextItem::Candidate(size_t from, size_t to, size_t skip) const {
    // The words are the expanded text cut at every space, so a run of them,
    // each followed by a space, is that text from the run's first word to the
    // next word's start; a run that ends the text adds the space it lacks.
    // One copy, where joining word by word cost a copy and a check per word
    // of every cell, twice.
    if (from >= to) return {};
    const size_t begin = m_wordStarts[from] + std::min(skip, m_words[from].size());
    if (to < m_words.size()) return m_strExpanded.substr(begin, m_wordStarts[to] - begin);
    std::string text;
    text.reserve(m_strExpanded.size() - begin + 1);
    text.append(m_strExpanded, begin);
    text += ' ';
    return text;
}

int32_t CqvTextItem::Measure(std::string_view text) const {
    // A length of 0 means "up to the NUL": an empty text must end at once.
    if (text.empty()) text = "";
    return m_style.m_metrics.DrawWrapped(nullptr, text.data(), static_cast<std::ptrdiff_t>(text.size()), m_rcContent,
                                         kQvTextMeasureOnly, m_bAbsolute);
}

int32_t CqvTextItem::MeasureRun(size_t from, size_t to, size_t skip) const {
    // The words of a run before the last word are the expanded text itself,
    // each followed by its space; a run with the last word needs the space
    // added that the text does not have.
    const size_t begin = m_wordStarts[from] + skip;
    if (to < m_words.size()) return Measure(std::string_view(m_strExpanded).substr(begin, m_wordStarts[to] - begin));
    return Measure(Candidate(from, to, skip));
}

std::optional<int32_t> CqvTextItem::ChoosePagePortion(int32_t y, int32_t bottomLimit) {
    m_strPageText.clear();
    m_bWaitsForNextPage = false;
    const size_t count = m_words.size();
    if (count == 0) {
        Finish();
        return std::nullopt;
    }
    std::optional<int32_t> measured;
    const int32_t position = m_nProgress;
    if (position >= 0 && static_cast<size_t>(position) <= count) {
        const size_t from = static_cast<size_t>(position);
        // The part of a word too tall for any page that earlier pages took.
        const size_t skip = from < count ? std::min<size_t>(m_nPartProgress, m_words[from].size()) : 0;
        // Padding bottom is left out here: the caller's height test counts it.
        // The height of the longest run that fitted is kept for the caller.
        int32_t fittingHeight = 0;
        size_t fittingRun = from;
        auto fits = [&](size_t to) {
            const int32_t height = MeasureRun(from, to, skip);
            const bool fit = bottomLimit >= int64_t{y} + m_style.m_nPaddingTop + std::abs(int64_t{height});
            if (fit && to > fittingRun) fittingRun = to, fittingHeight = height;
            return fit;
        };
        // The longest run of whole words from the print position that fits. A
        // longer run never takes less height (the lines of a text are those of
        // any prefix of it, its last line possibly longer), so a search that
        // brackets the answer finds the same run as trying every length from
        // the longest down, at a cost that follows what one page holds rather
        // than the length of the rest of the text. A short rest (a table cell)
        // is tried whole first; a long text guesses what its last page took.
        constexpr size_t kShortRun = 64;
        const size_t guess = count - from <= kShortRun ? count : from + (m_nLastRun ? m_nLastRun : kShortRun);
        const size_t fitting = LongestFittingRun(from, count, guess, fits);
        if (fitting > from) {
            m_nLastRun = fitting - from;
            if (fitting == fittingRun) measured = fittingHeight;
        }
        const size_t to = fitting;
        if (to == from) {
            if (!m_bAbsolute) {
                // Not even the next word fits in the room left. Dropping it (or
                // printing it cut off at the limit) would lose text: it waits
                // for the next page, or, when no page could hold it, this page
                // takes the lines of it that fit.
                if (MayWaitForNextPage(from, skip, bottomLimit)) {
                    m_bWaitsForNextPage = true;
                    return std::nullopt;
                }
                if (PlacePartOfWord(from, skip, y, bottomLimit)) return std::nullopt;
            }
            Finish();  // a form's field shows what its box holds
        } else {
            m_strPageText = Candidate(from, to, skip);
            m_nProgress = static_cast<int32_t>(to);
            m_nPartProgress = 0;
            if (to == count) Finish();
        }
    }
    if (m_strPageText.empty()) {
        // Only words not yet placed on an earlier page: repeating those would
        // print them twice.
        m_strPageText = position > 0 || m_nPartProgress > 0 ? Candidate(std::min(static_cast<size_t>(position), count),
                                                                        count, static_cast<size_t>(m_nPartProgress))
                                                            : m_strExpanded;
        measured.reset();
    }
    return measured;
}

bool CqvTextItem::FitsOnEmptyPage(size_t word, size_t skip, int32_t bottomLimit) const {
    const int64_t room = int64_t{bottomLimit} - ContinuedPageTop() - m_style.m_nPaddingTop - m_style.m_nPaddingBottom;
    return std::abs(int64_t{MeasureRun(word, word + 1, skip)}) <= room;
}

bool CqvTextItem::MayWaitForNextPage(size_t word, size_t skip, int32_t bottomLimit) {
    if (m_pReport->PageEmpty() || !FitsOnEmptyPage(word, skip, bottomLimit)) return false;
    // A word waits once. What stands above it on every page (a table's header
    // row) may leave it less room than an empty page has, and waiting again
    // would only repeat that page after page.
    const uint32_t page = m_pReport->CurrentPage();
    if (m_nWaitedWord == word && m_nWaitedOnPage < page) return false;
    if (!m_bInTrial) {
        m_nWaitedWord = word;
        m_nWaitedOnPage = page;
    }
    return true;
}

bool CqvTextItem::PlacePartOfWord(size_t word, size_t skip, int32_t y, int32_t bottomLimit) {
    // Lines are all one height, so the room says how many whole lines fit;
    // the word is cut where its wrapped lines break (after a hyphen).
    const int64_t lineHeight = std::abs(int64_t{m_style.m_metrics.OneLineHeight()});
    const int64_t room = int64_t{bottomLimit} - y - m_style.m_nPaddingTop;
    if (lineHeight <= 0 || room < lineHeight) return false;
    const std::string_view rest = std::string_view(m_words[word]).substr(skip);
    const int32_t width = qv::Clamp32(int64_t{m_rcContent.right} - m_rcContent.left);
    const size_t length =
        m_style.m_metrics.WholeLinesLength(rest.data(), rest.size(), width, static_cast<size_t>(room / lineHeight));
    if (length == 0 || length >= rest.size()) return false;
    m_strPageText = std::string(rest.substr(0, length));
    m_nPartProgress = qv::Clamp32(int64_t(skip + length));
    return true;
}
