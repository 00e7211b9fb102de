#include "LayoutChecker.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>

#include "common/CqvEx.h"
#include "elements/CqvBlock.h"
#include "elements/CqvImagePiece.h"
#include "elements/CqvItem.h"
#include "elements/CqvRow.h"
#include "elements/CqvTextPiece.h"
#include "engine/CqvReport.h"
#include "render/RecordingSurface.h"
#include "support/TestCommand.h"

namespace qv::layoutcheck {

namespace {

// Room for rounding where a border is drawn one unit outside its box.
constexpr int32_t kSlack = 2;

struct PieceInfo {
    size_t page = 0;  // from 1
    std::string item;
    std::string kind;
    QvRect outer;
    bool frameOnly = false;
    std::string text;
    bool hasPageCount = false;
    size_t index = 0;      // on its page
    bool clipped = false;  // some of its text is cut by its clip
    CqvPagePiece* piece = nullptr;
};

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

std::string WithoutSpace(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '\n' && c != '\t' && c != '\r' && c != '\f') out += c;
    return out;
}

std::string Joined(const std::vector<std::string>& words, size_t from, size_t count) {
    std::string out;
    for (size_t i = from; i < words.size() && i < from + count; ++i) out += (i > from ? " " : "") + words[i];
    return out;
}

std::string Rect(const QvRect& r) {
    return "[" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + "]";
}

// The area a piece covers on the page: a line only its rule along the top.
QvRect Covered(const PieceInfo& p) {
    QvRect r = p.outer;
    if (p.kind == "line") r.bottom = r.top - std::min<int32_t>(2, std::max<int32_t>(r.Height(), 0));
    return r;
}

bool Overlap(const QvRect& a, const QvRect& b) {
    return a.left < b.right && b.left < a.right && a.bottom < b.top && b.bottom < a.top;
}

class Checker {
public:
    Checker(const GeneratedReport& generated, std::string folder, const CheckOptions& options)
        : m_gen(generated), m_folder(std::move(folder)), m_options(options) {}

    std::vector<Violation> Run() {
        m_templatePath = m_folder + "/report.qvrp";
        m_dataPath = m_folder + "/data.xml";
        std::ofstream(m_templatePath, std::ios::binary) << m_gen.templateXml;
        std::ofstream(m_dataPath, std::ios::binary) << m_gen.dataXml;

        std::unique_ptr<CqvReport> report = Prepared();
        if (!report) return m_violations;
        Collect(*report);
        FindFormsTooTallForAPage(*report);
        CheckPaperAndBody(*report);
        CheckDrawing(*report);
        CheckWords();
        CheckOverlap();
        CheckKeepWithNext(*report);
        CheckPages(*report);
        if (!m_options.quorvaneExe.empty()) CheckPdf();
        return m_violations;
    }

private:
    void Fail(const std::string& invariant, const std::string& detail, std::vector<const PieceInfo*> pieces = {},
              std::vector<std::string> items = {}) {
        Violation v{invariant, detail, std::move(items), {}};
        for (const PieceInfo* p : pieces) {
            v.items.push_back(p->item);
            v.kinds.push_back(p->kind);
        }
        m_violations.push_back(std::move(v));
    }

    std::unique_ptr<CqvReport> Prepared() {
        std::string error;
        if (auto report = LaidOut(error)) return report;
        // The generator cannot tell how many pages its content needs: its
        // limit is there to stop a report that grows without end, not a long
        // one. A report that runs out of it is laid out again with more pages,
        // and only one that runs out of those too is a runaway. A layout that
        // goes on places a word on nearly every page (narrow columns below deep
        // spaces place one or two), so the wider limit is ten times the
        // generator's or one page a word, whichever is more.
        const std::string limit = " max-pages=\"" + std::to_string(m_gen.maxPages) + "\"";
        const size_t at = m_gen.templateXml.find(limit);
        if (!m_widened && m_gen.maxPages > 0 && at != std::string::npos && error.starts_with("Pages > 'max-pages'")) {
            std::string widened = m_gen.templateXml;
            const int64_t pages = std::max<int64_t>(int64_t{m_gen.maxPages} * 10, WordsToPlace());
            widened.replace(at, limit.size(), " max-pages=\"" + std::to_string(pages) + "\"");
            std::ofstream(m_templatePath, std::ios::binary | std::ios::trunc) << widened;
            m_widened = true;  // the second layout of the pages check reads the widened file too
            if (auto report = LaidOut(error)) return report;
        }
        Fail("pages", "layout raised: " + error);
        return nullptr;
    }

    int64_t WordsToPlace() const {
        int64_t words = 0;
        for (const auto& [name, texts] : m_gen.flowTexts)
            for (const std::string& text : texts) words += static_cast<int64_t>(Words(text).size());
        return words;
    }

    std::unique_ptr<CqvReport> LaidOut(std::string& error) {
        auto report = std::make_unique<CqvReport>(m_dataPath, m_templatePath);
        try {
            report->LoadAll();
            RecordingSurface surface;
            report->PreparePages(surface, report->PrintInfo());
        } catch (const CqvEx& e) {
            error = e.Message();
            return nullptr;
        }
        return report;
    }

    void MapItems(CqvItem& item, const std::string& name) {
        m_byStyle[&item.Style()] = name;
        m_engineItems[name] = &item;
        if (auto* block = dynamic_cast<CqvBlock*>(&item))
            for (const auto& child : block->Children()) MapItems(*child, child->Name());
    }

    void Collect(CqvReport& report) {
        MapItems(report.PageHeader(), "PageHeader");
        MapItems(report.PageFooter(), "PageFooter");
        for (const auto& block : report.Blocks()) MapItems(*block, block->Name());
        m_pageCount = report.PageCount();
        m_bodyBottom = report.BodyArea().bottom;
        for (size_t page = 0; page < report.PageCount(); ++page) {
            for (const auto& piece : report.PagePieces(page)) {
                PieceInfo info;
                info.page = page + 1;
                auto found = m_byStyle.find(piece->Style());
                info.item = found == m_byStyle.end() ? "?" : found->second;
                info.kind = std::string(piece->Kind());
                info.outer = piece->Outer();
                info.frameOnly = piece->FrameOnly();
                if (const auto* text = dynamic_cast<const CqvTextPiece*>(piece.get())) {
                    info.text = text->Text();
                    info.hasPageCount = text->HasPageCount();
                }
                info.piece = piece.get();
                info.index = static_cast<size_t>(&piece - &report.PagePieces(page).front());
                m_pieces.push_back(info);
            }
        }
    }

    const ItemFacts* Facts(const std::string& name) const {
        auto found = m_gen.items.find(name);
        return found == m_gen.items.end() ? nullptr : &found->second;
    }
    bool IsPageFrame(const PieceInfo& p) const {
        const ItemFacts* facts = Facts(p.item);
        return facts && facts->furniture == Furniture::PageFrame;
    }
    std::string Where(const PieceInfo& p) const {
        return "page " + std::to_string(p.page) + ", " + p.kind + " piece of " + p.item + " at " + Rect(p.outer);
    }

    // A form (an asblank block) taller than the room of an empty page is cut
    // at the body's bottom: what lies below is not drawn, by design, since
    // no page could hold it. Such a form opens its page (one that finds the
    // page used moves to the next) and has a box cut short at the bottom.
    void FindFormsTooTallForAPage(const CqvReport& report) {
        const int32_t bottom = -report.BodyArea().bottom;
        std::map<std::pair<std::string, size_t>, int32_t> formTop;  // highest top of a form's pieces on a page
        std::set<std::pair<std::string, size_t>> cut;
        for (const PieceInfo& p : m_pieces) {
            const ItemFacts* facts = Facts(p.item);
            if (!facts || facts->absoluteGroup.empty() || facts->furniture != Furniture::None) continue;
            const std::pair<std::string, size_t> key{facts->absoluteGroup, p.page};
            auto [at, fresh] = formTop.emplace(key, p.outer.top);
            if (!fresh) at->second = std::max(at->second, p.outer.top);
            const auto item = m_engineItems.find(p.item);
            if (item != m_engineItems.end() && p.outer.bottom <= bottom + kSlack &&
                p.outer.top - p.outer.bottom + kSlack < item->second->Height())
                cut.insert(key);
        }
        for (const auto& key : cut) {
            bool opensThePage = true;
            for (const PieceInfo& q : m_pieces) {
                const ItemFacts* facts = Facts(q.item);
                if (q.page != key.second || IsPageFrame(q) || (facts && facts->absoluteGroup == key.first)) continue;
                if (q.outer.bottom >= formTop[key]) opensThePage = false;
            }
            if (opensThePage) m_cutForms[key.first].insert(key.second);
        }
    }
    bool InCutForm(const PieceInfo& p) const {
        const ItemFacts* facts = Facts(p.item);
        if (!facts) return false;
        const auto form = m_cutForms.find(facts->absoluteGroup);
        return form != m_cutForms.end() && form->second.count(p.page);
    }

    void CheckPaperAndBody(const CqvReport& report) {
        const QvRect& paper = report.PageRect();
        const QvRect& body = report.BodyArea();
        for (const PieceInfo& p : m_pieces) {
            const QvRect& r = p.outer;
            if (r.left < paper.left || r.right > paper.right || r.top > -paper.top || r.bottom < -paper.bottom ||
                r.top < r.bottom)
                Fail("paper", Where(p) + " is not on the paper " + Rect(paper), {&p});
            if (IsPageFrame(p)) continue;
            if (r.left < body.left || r.right > body.right || r.top > -body.top || r.bottom < -body.bottom)
                Fail("body", Where(p) + " is outside the body area " + Rect(body), {&p});
        }
    }

    // Every drawing call on the paper, and every line of text drawn whole.
    void CheckDrawing(CqvReport& report) {
        const QvRect& paper = report.PageRect();
        auto onPaper = [&](int32_t x, int32_t y) {
            return x >= paper.left - kSlack && x <= paper.right + kSlack && y <= -paper.top + kSlack &&
                   y >= -paper.bottom - kSlack;
        };
        for (PieceInfo& p : m_pieces) {
            RecordingSurface surface;
            p.piece->Draw(surface);
            std::string drawn;
            for (const RecordedCall& call : surface.Calls()) {
                using Kind = RecordedCall::Kind;
                switch (call.kind) {
                case Kind::TextOut: {
                    const bool offPaper =
                        !onPaper(call.rect.left, call.rect.top) || !onPaper(call.rect.right, call.rect.bottom);
                    if (offPaper) Fail("paper", Where(p) + " draws text '" + call.utf8 + "' off the paper", {&p});
                    // A line is drawn when its clip holds its em height and its
                    // glyphs end inside the clip.
                    const int32_t em = std::abs(call.font.height);
                    int64_t end = call.x;
                    for (int32_t a : call.advances) end += a;
                    // A single word wider than its column runs past the right edge
                    // and is cut there: that is the template's doing, not a loss.
                    const bool oneWord = call.utf8.find(' ') == std::string::npos;
                    const bool whole =
                        call.rect.Height() * 10 >= em * 9 && (end <= call.rect.right + kSlack || oneWord);
                    if (end > call.rect.right + kSlack || !whole) p.clipped = true;
                    if (whole && !offPaper) drawn += call.utf8;
                    else if (!offPaper && !InCutForm(p))
                        Fail("words",
                             Where(p) + " cuts the drawn line '" + call.utf8 + "' at its clip " + Rect(call.rect),
                             {&p});
                    break;
                }
                case Kind::FillSolidRect:
                case Kind::Rectangle:
                case Kind::DrawPicture:
                    if (call.rect.Width() != 0 && call.rect.Height() != 0 &&
                        (!onPaper(call.rect.left, call.rect.top) || !onPaper(call.rect.right, call.rect.bottom)))
                        Fail("paper", Where(p) + " draws " + Rect(call.rect) + " off the paper", {&p});
                    break;
                case Kind::MoveTo:
                case Kind::LineTo:
                    if (!onPaper(call.x, call.y))
                        Fail("paper",
                             Where(p) + " draws a line to (" + std::to_string(call.x) + ", " + std::to_string(call.y) +
                                 ") off the paper",
                             {&p});
                    break;
                default: break;
                }
            }
            if (p.kind == "text" && !p.frameOnly && !p.hasPageCount && !InCutForm(p) &&
                WithoutSpace(drawn) != WithoutSpace(p.text))
                Fail("words", Where(p) + " holds '" + p.text + "' but draws '" + drawn + "'", {&p});
        }
    }

    void CompareWords(const std::string& item, const std::string& what, const std::vector<std::string>& expected,
                      const std::vector<std::string>& placed) {
        if (expected == placed) return;
        size_t i = 0;
        while (i < expected.size() && i < placed.size() && expected[i] == placed[i]) ++i;
        Fail("words",
             what + ": word " + std::to_string(i + 1) + " of " + std::to_string(expected.size()) +
                 " differs: expected '" + Joined(expected, i, 6) + "', placed '" + Joined(placed, i, 6) + "' (" +
                 std::to_string(placed.size()) + " words placed)",
             {}, {item});
    }

    // A word too tall for any page is cut between its lines, and a line may
    // break after a hyphen: "aaaa-" ending one piece and "bbbb" opening the next
    // are the one word "aaaa-bbbb". Joined only where the expected word asks.
    static std::vector<std::string> JoinWordsCutAtAHyphen(const std::vector<std::string>& expected,
                                                          const std::vector<std::string>& placed,
                                                          const std::vector<bool>& endsPiece) {
        std::vector<std::string> joined;
        for (size_t j = 0; j < placed.size(); ++j) {
            std::string word = placed[j];
            const size_t i = joined.size();
            while (endsPiece[j] && j + 1 < placed.size() && !word.empty() && word.back() == '-' &&
                   i < expected.size() && word != expected[i] && expected[i].starts_with(word + placed[j + 1]))
                word += placed[++j];
            joined.push_back(std::move(word));
        }
        return joined;
    }

    void CheckWords() {
        std::map<std::string, std::vector<std::string>> placed;
        std::map<std::string, std::vector<bool>> endsPiece;
        std::map<std::pair<std::string, size_t>, std::vector<std::string>> placedPerPage;
        for (const PieceInfo& p : m_pieces) {
            if (p.kind != "text" || p.frameOnly) continue;
            for (const std::string& w : Words(p.text)) {
                placed[p.item].push_back(w);
                endsPiece[p.item].push_back(false);
                placedPerPage[{p.item, p.page}].push_back(w);
            }
            if (!endsPiece[p.item].empty()) endsPiece[p.item].back() = true;
        }
        for (const auto& [name, texts] : m_gen.flowTexts) {
            const ItemFacts* facts = Facts(name);
            if (facts && m_cutForms.count(facts->absoluteGroup)) continue;
            std::vector<std::string> expected;
            for (const std::string& text : texts)
                for (const std::string& w : Words(text)) expected.push_back(w);
            CompareWords(name, "text " + name, expected,
                         JoinWordsCutAtAHyphen(expected, placed[name], endsPiece[name]));
        }
        const size_t pages = m_pageCount;
        for (const auto& [name, text] : m_gen.perPageTexts) {
            const ItemFacts* facts = Facts(name);
            // A header row too tall for the page that held nothing before its
            // table is cut there and goes on on the next page, once: its words
            // on those pages, read together, are the whole text.
            std::string cutSoFar;
            for (size_t page = 1; page <= pages; ++page) {
                auto found = placedPerPage.find({name, page});
                // A table's header row shows only on the pages of its table;
                // the rest of one that was cut may come a page later (its
                // table leaves a page where it would show nothing else).
                if (found == placedPerPage.end() && facts && facts->furniture == Furniture::HeaderRow &&
                    (cutSoFar.empty() || page < pages))
                    continue;
                std::string pageText = text;
                if (size_t at = pageText.find("[%qv_curpage%]"); at != std::string::npos)
                    pageText.replace(at, 14, std::to_string(page));
                const std::vector<std::string> expected = Words(pageText);
                std::vector<std::string> placedHere =
                    found == placedPerPage.end() ? std::vector<std::string>{} : found->second;
                // A header row is shown by every table of its kind on the page: a
                // table repeated by a bound block shows it once per repetition.
                if (facts && facts->furniture == Furniture::HeaderRow && !expected.empty() &&
                    placedHere.size() > expected.size() && placedHere.size() % expected.size() == 0) {
                    bool copies = true;
                    for (size_t i = 0; i < placedHere.size(); ++i)
                        copies = copies && placedHere[i] == expected[i % expected.size()];
                    if (copies) placedHere = expected;
                }
                // Shown whole again, it shows every word that a cut left owing.
                if (facts && facts->furniture == Furniture::HeaderRow && placedHere == expected) cutSoFar.clear();
                if (facts && facts->furniture == Furniture::HeaderRow && placedHere != expected &&
                    found != placedPerPage.end()) {
                    std::string whole;
                    for (const std::string& w : expected) whole += (whole.empty() ? "" : " ") + w;
                    for (const std::string& w : placedHere)
                        cutSoFar += (cutSoFar.empty() || cutSoFar.back() == '-' ? "" : " ") + w;
                    if (cutSoFar == whole) {
                        cutSoFar.clear();
                        continue;
                    }
                    const bool goesOn = whole.compare(0, cutSoFar.size(), cutSoFar) == 0 &&
                                        (cutSoFar.back() == '-' || whole[cutSoFar.size()] == ' ');
                    if (goesOn && page < pages) continue;
                    cutSoFar.clear();
                }
                CompareWords(name, "text " + name + " on page " + std::to_string(page), expected, placedHere);
            }
        }
    }

    void CheckOverlap() {
        // The pieces of one form (an asblank block's repetition) may lie over
        // each other; a form's repetition ends where its children's order
        // starts again.
        std::vector<std::string> runOf(m_pieces.size());
        std::map<std::string, std::set<std::string>> seen;  // items of the group's current run
        std::map<std::string, int> run;
        size_t page = 0;
        for (size_t i = 0; i < m_pieces.size(); ++i) {
            if (m_pieces[i].page != page) {
                page = m_pieces[i].page;
                seen.clear();
            }
            const ItemFacts* facts = Facts(m_pieces[i].item);
            if (!facts || facts->absoluteGroup.empty()) continue;
            const std::string& group = facts->absoluteGroup;
            // Each item of a form leaves one piece per repetition: an item seen
            // again opens the form's next repetition.
            if (!seen[group].insert(m_pieces[i].item).second) {
                ++run[group];
                seen[group] = {m_pieces[i].item};
            }
            runOf[i] = group + "#" + std::to_string(run[group]);
        }
        for (size_t i = 0; i < m_pieces.size(); ++i) {
            const PieceInfo& a = m_pieces[i];
            if (IsPageFrame(a)) continue;
            const QvRect ra = Covered(a);
            if (ra.Height() <= 0 || ra.Width() <= 0) continue;
            for (size_t j = i + 1; j < m_pieces.size() && m_pieces[j].page == a.page; ++j) {
                const PieceInfo& b = m_pieces[j];
                if (IsPageFrame(b)) continue;
                if (!runOf[i].empty() && runOf[i] == runOf[j]) continue;
                if (Overlap(ra, Covered(b))) Fail("overlap", Where(a) + " and " + Where(b) + " overlap", {&a, &b});
            }
        }
    }

    // The pieces of an item and of everything inside it.
    std::vector<const PieceInfo*> PiecesOf(const std::string& name) const {
        std::vector<const PieceInfo*> out;
        for (const PieceInfo& p : m_pieces) {
            for (std::string at = p.item; !at.empty();) {
                if (at == name) {
                    out.push_back(&p);
                    break;
                }
                const ItemFacts* facts = Facts(at);
                at = facts ? facts->parent : "";
            }
        }
        return out;
    }

    // An item whose first child that shows something (at any depth) starts a
    // page can never share a page with what comes before it, whatever the
    // keep asks. A table's header rows do not count (a table that would show
    // only them moves on), nor does a child that finished having placed
    // nothing; and a nowrap row moves whole when anything in it starts a page.
    // The state seen is the last repetition's: a bound child that placed
    // nothing there may have shown on the page judged, so it decides when it
    // opens with a start-page, and is passed over only when it does not.
    static bool OpensWithStartPage(const CqvItem& item) {
        if (item.StartPage() == 1) return true;
        const auto* block = dynamic_cast<const CqvBlock*>(&item);
        if (!block) return false;
        if (qv::IsRowType(block->TypeCode()) && block->NoWrap() && HoldsStartPage(*block)) return true;
        for (size_t i = 0; i < block->Children().Size(); ++i) {
            const CqvItem& child = *block->Children().At(i);
            const auto* row = dynamic_cast<const CqvRow*>(&child);
            if (row && row->IsHeader()) continue;
            if (OpensWithStartPage(child)) return true;
            if (!child.IsDone() || child.HasStarted()) return false;
        }
        return false;
    }

    // The same judged by what `name` shows at the top of `page`: the state
    // seen is the last repetition's, and a bound child that showed something
    // there may have shown nothing in the repetition that opened `page`, where
    // the start-page behind it came first. Every topmost piece (header rows
    // aside) must lie in an item that starts a page, or in a nowrap row that
    // holds one. The header rows of a nested table that starts the page count:
    // they open the page with it, above its first row. So does an item placed
    // beside a topmost one that starts a page and after it in document order:
    // the break came before it was reached, so it could not have stood on the
    // page before, and it opens the next page with the one that broke.
    bool OpensPageWithStartPage(const std::string& name, size_t page) const {
        std::vector<const PieceInfo*> topmost;
        for (const PieceInfo* q : PiecesOf(name)) {
            if (q->page != page || (InHeaderRow(q->item, name) && !LiesInStartPage(q->item, name))) continue;
            if (!topmost.empty() && q->outer.top < topmost.front()->outer.top) continue;
            if (!topmost.empty() && q->outer.top > topmost.front()->outer.top) topmost.clear();
            topmost.push_back(q);
        }
        const auto startsPage = [&](const PieceInfo* q) { return LiesInStartPage(q->item, name); };
        return !topmost.empty() && std::all_of(topmost.begin(), topmost.end(), [&](const PieceInfo* q) {
            return startsPage(q) || std::any_of(topmost.begin(), topmost.end(), [&](const PieceInfo* s) {
                       return startsPage(s) && ComesBefore(s->item, q->item);
                   });
        });
    }

    // Whether `first` comes before `second` in document order and neither holds
    // the other: the branches they lie in under their nearest common container
    // are compared along that container's children.
    bool ComesBefore(const std::string& first, const std::string& second) const {
        const std::vector<std::string> a = PathFromTop(first), b = PathFromTop(second);
        size_t i = 0;
        while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
        if (i == a.size() || i == b.size()) return false;
        for (const ItemFacts* at = Facts(a[i]); at && !at->nextSibling.empty(); at = Facts(at->nextSibling))
            if (at->nextSibling == b[i]) return true;
        return false;
    }

    // The names from the top-level element down to `item`, `item` included.
    std::vector<std::string> PathFromTop(const std::string& item) const {
        std::vector<std::string> path;
        for (std::string at = item; !at.empty();) {
            path.insert(path.begin(), at);
            const ItemFacts* facts = Facts(at);
            at = facts ? facts->parent : "";
        }
        return path;
    }

    // Whether `item`, or an item around it inside `name` (`name` included),
    // starts a page, or is a row that moves with one: a nowrap row that holds
    // one, or a row one of whose cells starts a page. That cell breaks the page
    // before any cell beside it is placed, so the row places nothing on the
    // page it leaves and opens the next one whole, its other cells with it.
    bool LiesInStartPage(const std::string& item, const std::string& name) const {
        for (std::string at = item; !at.empty();) {
            const auto found = m_engineItems.find(at);
            if (found == m_engineItems.end()) return false;
            const CqvItem& engine = *found->second;
            const ItemFacts* facts = Facts(at);
            if (engine.StartPage() == 1) return true;
            if (facts && facts->noWrap && qv::IsRowType(engine.TypeCode()) && HoldsStartPage(engine)) return true;
            if (qv::IsRowType(engine.TypeCode()) && FirstCellStartsPage(engine)) return true;
            if (at == name) return false;
            at = facts ? facts->parent : "";
        }
        return false;
    }

    // A later cell that opens with a start-page item (itself, or the first
    // item of a block cell) breaks the page there too, and the row drops the
    // cells it placed before it: it opens the next page whole all the same.
    static bool FirstCellStartsPage(const CqvItem& row) {
        const auto* block = dynamic_cast<const CqvBlock*>(&row);
        if (!block) return false;
        for (const auto& cell : block->Children())
            if (OpensWithStartPage(*cell)) return true;
        return false;
    }

    // Whether page + 1 is opened by a later repetition of `name`'s parent, a
    // bound block that starts a page: an item placed before `name` shows
    // there a repetition past the one `name` ended page `page` with. What
    // follows `name` on that page then belongs to the later repetition; its
    // own one was laid beside the items before `name`, on an earlier page,
    // and the start-page parts them whatever room was left.
    bool LaterRepetitionOfParentOpens(const std::string& name, size_t page, size_t repetition) const {
        const ItemFacts* facts = Facts(name);
        if (!facts || facts->parent.empty()) return false;
        const auto parent = m_engineItems.find(facts->parent);
        if (parent == m_engineItems.end()) return false;
        const bool parentStartsPage = parent->second->StartPage() == 1;
        for (std::string before = PreviousSibling(name); !before.empty(); before = PreviousSibling(before)) {
            // A start-page item before `name` that starts a later repetition
            // on page + 1 parts them too: anything of this repetition there
            // would have come first and broken the page before it.
            const auto item = m_engineItems.find(before);
            const bool startsPage = item != m_engineItems.end() && item->second->StartPage() == 1;
            if (!parentStartsPage && !startsPage) continue;
            const auto repetitions = RepetitionOfPieces(before);
            for (const auto& [q, at] : repetitions) {
                if (q->page != page + 1 || at <= repetition) continue;
                const size_t shown = at;  // named: clang 14 cannot capture a structured binding
                const bool startedEarlier = std::any_of(repetitions.begin(), repetitions.end(), [&](const auto& other) {
                    return other.second == shown && other.first->page <= page;
                });
                if (parentStartsPage || !startedEarlier) return true;
            }
        }
        return false;
    }

    bool ShowsOnlyHeaderRows(const std::string& table, size_t page) const {
        bool any = false;
        for (const PieceInfo* q : PiecesOf(table)) {
            if (q->page != page || IsPageFrame(*q)) continue;
            if (!InHeaderRow(q->item, table)) return false;
            any = true;
        }
        return any;
    }

    bool InHeaderRow(const std::string& item, const std::string& within) const {
        for (std::string at = item; !at.empty() && at != within;) {
            const ItemFacts* facts = Facts(at);
            if (!facts) return false;
            if (facts->furniture == Furniture::HeaderRow) return true;
            at = facts->parent;
        }
        return false;
    }

    static bool HoldsStartPage(const CqvItem& item) {
        if (item.StartPage() == 1) return true;
        const auto* block = dynamic_cast<const CqvBlock*>(&item);
        return block && std::any_of(block->Children().begin(), block->Children().end(),
                                    [](const auto& child) { return HoldsStartPage(*child); });
    }

    // The nearest row around a piece's item, inside `within`; empty when none.
    std::string RowAround(const std::string& item, const std::string& within) const {
        std::string row;
        for (std::string at = item; !at.empty();) {
            const ItemFacts* facts = Facts(at);
            if (!facts) return "";
            if (row.empty() && (facts->kind == ItemKind::Row || facts->kind == ItemKind::BoundRow)) row = at;
            if (at == within) return row;
            at = facts->parent;
        }
        return "";
    }

    // The topmost row on `page` inside `name` that is not a header row, and
    // the top of its topmost piece; empty when none.
    std::pair<std::string, int32_t> FirstBodyRow(const std::string& name, size_t page) const {
        std::string first;
        int32_t firstTop = INT32_MIN;
        for (const PieceInfo& q : m_pieces) {
            if (q.page != page) continue;
            const std::string row = RowAround(q.item, name);
            const ItemFacts* facts = row.empty() ? nullptr : Facts(row);
            if (!facts || facts->furniture == Furniture::HeaderRow || q.outer.top <= firstTop) continue;
            first = row;
            firstTop = q.outer.top;
        }
        return {first, firstTop};
    }

    // The least that `name`, which goes on to a later page, needs below `top`
    // on `page` to share it with the item kept with it: its header rows and a
    // little of its first body row; all of that row's first repetition when
    // the template makes it nowrap, as it then moves whole. The template
    // decides, not the engine's state: a row that gave way once has dropped
    // its nowrap for its later repetitions.
    int32_t LeastOpening(const std::string& name, size_t page, int32_t top) const {
        const auto [first, firstTop] = FirstBodyRow(name, page);
        if (first.empty()) {
            // A table that shows only header rows needs them whole: cut at the
            // foot before any body row is placed, they move on with the table.
            if (const ItemFacts* facts = Facts(name);
                facts && facts->kind == ItemKind::Table && ShowsOnlyHeaderRows(name, page)) {
                int32_t bottom = top;
                for (const PieceInfo* q : PiecesOf(name))
                    if (q->page == page && !IsPageFrame(*q)) bottom = std::min(bottom, q->outer.bottom);
                return top - bottom;
            }
            if (const auto chain = OpeningKeptChain(name, page, top)) return *chain;
            if (const auto picture = OpeningPicture(name, page, top)) return *picture;
            if (const auto form = OpeningForm(name, page, top)) return *form;
            return std::max(100, OpeningWord(name, page, top));
        }
        // A block that opens with a kept item starts only where its kept
        // chain fits, however little of a table further in would do.
        const int32_t opening = BodyRowOpening(name, page, top, first, firstTop);
        const auto chain = OpeningKeptChain(name, page, top);
        return chain ? std::max(opening, *chain) : opening;
    }

    // What `name` needs down to a little of `first`, its first body row on
    // `page`, whose topmost piece starts at `firstTop`.
    int32_t BodyRowOpening(const std::string& name, size_t page, int32_t top, const std::string& first,
                           int32_t firstTop) const {
        // A nowrap row around it (the first row holds a nested table) moves
        // whole: one that goes on to a later page is taller than any page,
        // starts only on a page that holds nothing yet, and shares none.
        std::string whole;  // the outermost nowrap row around it, inside `name`
        for (std::string at = Facts(first)->parent; !at.empty() && at != name; at = Facts(at)->parent) {
            const ItemFacts* facts = Facts(at);
            if (!facts) break;
            const auto pieces = PiecesOf(at);
            if (facts->kind == ItemKind::Row && facts->noWrap &&
                std::any_of(pieces.begin(), pieces.end(), [&](const PieceInfo* q) { return q->page > page; }))
                return INT32_MAX / 4;
            // So does a nowrap repetition of a bound row that fills the page
            // down to its foot and goes on: moved whole below a kept item, it
            // is split only on the next page, never below that item.
            if (facts->kind == ItemKind::BoundRow && facts->noWrap && FillsPageAndGoesOn(pieces, page))
                return INT32_MAX / 4;
            if ((facts->kind == ItemKind::Row || facts->kind == ItemKind::BoundRow) && facts->noWrap) whole = at;
        }
        // One that ends on this page needs all of its first repetition below
        // the kept item, not only the first line of the nested row in it.
        if (!whole.empty()) return top - FirstRepetitionBottom(whole, page, top);
        if (first == name)
            if (const auto row = OpeningRow(name, page, top)) return std::max(top - firstTop + 100, *row);
        if (!Facts(first)->noWrap) return top - firstTop + 100;
        // A cell seen again opens the row's next repetition.
        std::set<std::string> seen;
        int32_t bottom = top;
        for (const PieceInfo& q : m_pieces) {
            if (q.page != page || RowAround(q.item, name) != first) continue;
            if (!seen.insert(q.item).second) break;
            bottom = std::min(bottom, q.outer.bottom);
        }
        return top - bottom;
    }

    // Whether `row`, a nowrap row that opens `page` and goes on to a later
    // one, shares no page with anything above it. On a page already used
    // such a row moves whole unless what it places reaches the room of a new
    // page over the engine's quotient; what it placed here, at the top of a
    // new page, is the most it could place below a kept item. When even that
    // falls short (a long word wrapped at its hyphens ends it early), the row
    // is split only on a page that holds nothing else, and a kept item moved
    // with it would stand alone at the foot of the page it leaves.
    // A bound row is judged by its repetition that opens `page`, when that
    // one is all the row shows there: a later page may hold its next
    // repetitions, so only that repetition's own text going on counts.
    // With `above` (the height a kept item moved with the row would take above
    // it at the top of a new page), whether the row moves whole below that
    // item on every page: it places there at most the room the item leaves,
    // and when that falls short of a new page's room over the quotient, it
    // moves on and leaves the item alone all the same.
    bool SplitOnlyOnEmptyPage(const std::string& row, size_t page, int32_t above = 0) const {
        const ItemFacts* facts = Facts(row);
        if (!facts || !facts->noWrap) return false;
        const bool bound = facts->kind == ItemKind::BoundRow;
        if (!bound && facts->kind != ItemKind::Row) return false;
        int32_t rowTop = INT32_MIN, bottom = INT32_MAX;
        bool later = bound && LoneRepetitionGoesOn(row, page);
        for (const PieceInfo* q : PiecesOf(row)) {
            if (q->page > page && !bound) later = true;
            if (q->page != page) continue;
            // The row's top lies its cells' space-before above their boxes.
            rowTop = std::max(rowTop, q->outer.top + SpaceBefore(CellOf(q->item, row)));
            bottom = std::min(bottom, q->outer.bottom);
        }
        if (!later || rowTop == INT32_MIN || rowTop <= bottom) return false;
        const double room = double(m_bodyBottom) + rowTop;
        // A little slack against the item's spacing counted short: the rule
        // excuses a keep only where the row clearly moves whole.
        const double placed = above > 0 ? std::min(double(rowTop - bottom),
                                                   double(PlacedWithin(row, page, rowTop, bottom,
                                                                       static_cast<int32_t>(room) - above + 20, above)))
                                        : double(rowTop - bottom);
        return room >= qv::rows::kMoveWholeQuotient * placed;
    }

    // What `row`, which reaches `bottom` on `page` from `rowTop`, places in
    // `room`: a text ends on a whole line, so the row ends at the last line
    // of its deepest texts that fits, short of the room by up to a line.
    // Where no text's lines reach the row's foot, or anything else does (a
    // picture, which may end anywhere), the whole room.
    // With `above` (the row shifted down by that much), a nowrap row nested
    // in it that goes on may itself move whole in the room it is left: its
    // texts then place nothing, the cells holding it end at its top, and the
    // row places the most any of its cells does, a finished cell all of it.
    int32_t PlacedWithin(const std::string& row, size_t page, int32_t rowTop, int32_t bottom, int32_t room,
                         int32_t above = 0) const {
        std::optional<int32_t> placed;
        std::map<std::string, std::optional<int32_t>> nestedTops;  // each nested row judged once
        bool nestedMovesWhole = false;
        int32_t cellsPlace = 0;  // what the cells place when a nested row moves whole
        for (const PieceInfo* q : PiecesOf(row)) {
            if (q->page != page || IsPageFrame(*q)) continue;
            if (above > 0)
                if (const auto nestedTop = TopOfNestedRowMovingWhole(q->item, row, page, above, nestedTops)) {
                    nestedMovesWhole = true;
                    cellsPlace = std::max(cellsPlace, rowTop - *nestedTop);
                    continue;
                }
            if (q->frameOnly || q->outer.bottom != bottom) {
                cellsPlace = std::max(cellsPlace, std::min(room, rowTop - q->outer.bottom));
                continue;
            }
            if (q->kind != "text") return room;
            const auto engine = m_engineItems.find(q->item);
            if (engine == m_engineItems.end() || !engine->second->IsLeaf()) return room;
            const CqvStyle& style = engine->second->Style();
            const int32_t line = std::abs(style.m_metrics.OneLineHeight());
            const int32_t lineTop = rowTop - q->outer.top + style.m_nPaddingTop;  // below the row's top
            const int32_t onPage = rowTop - bottom - lineTop - style.m_nPaddingBottom;
            // A finished cell's box is stretched to the row's foot: only a
            // text whose lines fill its box exactly is still going on. Where
            // it ends inside the box is unknown, so it counts whole.
            if (line <= 0 || onPage <= 0 || onPage % line != 0) {
                cellsPlace = std::max(cellsPlace, std::min(room, rowTop - bottom));
                continue;
            }
            const int32_t lines = (room - lineTop - style.m_nPaddingBottom) / line;
            if (lines <= 0) return room;
            const int32_t here = lineTop + lines * line + style.m_nPaddingBottom;
            placed = std::max(placed.value_or(here), here);
            cellsPlace = std::max(cellsPlace, here);
        }
        if (!nestedMovesWhole) return placed.value_or(room);
        // Never more than the line grid alone gave: a nested row moving whole
        // may only make the row place less.
        return std::min(placed.value_or(room), cellsPlace);
    }

    // The top on `page` of the outermost nowrap row around `item` (or it),
    // inside `row`, that moves whole when shifted down by `above`;
    // none where no such row does.
    std::optional<int32_t> TopOfNestedRowMovingWhole(const std::string& item, const std::string& row, size_t page,
                                                     int32_t above,
                                                     std::map<std::string, std::optional<int32_t>>& judged) const {
        std::optional<int32_t> top;
        for (std::string at = item; !at.empty() && at != row;) {
            const ItemFacts* facts = Facts(at);
            if (!facts) return std::nullopt;
            if (facts->noWrap && (facts->kind == ItemKind::Row || facts->kind == ItemKind::BoundRow)) {
                auto known = judged.find(at);
                if (known == judged.end())
                    known =
                        judged.emplace(at, SplitOnlyOnEmptyPage(at, page, above) ? RowTopOn(at, page) : std::nullopt)
                            .first;
                if (known->second) top = known->second;
            }
            at = facts->parent;
        }
        return top;
    }

    // The top of `row` on `page`: its cells' space-before above their boxes.
    std::optional<int32_t> RowTopOn(const std::string& row, size_t page) const {
        std::optional<int32_t> top;
        for (const PieceInfo* q : PiecesOf(row))
            if (q->page == page)
                top = std::max(top.value_or(INT32_MIN), q->outer.top + SpaceBefore(CellOf(q->item, row)));
        return top;
    }

    // Whether bound row `row` shows one repetition on `page` and that one
    // goes on to a later page: a text of it places words of the same
    // repetition there.
    bool LoneRepetitionGoesOn(const std::string& row, size_t page) const {
        std::optional<size_t> shown;
        bool goesOn = false;
        for (const PieceInfo& q : m_pieces) {
            if (q.page != page || q.frameOnly || q.kind != "text" || CellOf(q.item, row).empty()) continue;
            const auto repetitions = RepetitionOfPieces(q.item);
            const auto at = repetitions.find(&q);
            if (at == repetitions.end()) return false;
            if (shown && *shown != at->second) return false;
            shown = at->second;
            goesOn = goesOn || std::any_of(repetitions.begin(), repetitions.end(), [&](const auto& other) {
                         return other.first->page > page && other.second == at->second;
                     });
        }
        return goesOn;
    }

    // The lowest bottom on `page` of the first repetition of `row`: a cell
    // met again after another one opens the next repetition.
    int32_t FirstRepetitionBottom(const std::string& row, size_t page, int32_t top) const {
        std::set<std::string> seen;
        std::string last;
        int32_t bottom = top;
        for (const PieceInfo& q : m_pieces) {
            if (q.page != page) continue;
            const std::string cell = CellOf(q.item, row);
            if (cell.empty()) continue;
            if (cell != last && !seen.insert(cell).second) break;
            last = cell;
            bottom = std::min(bottom, q.outer.bottom);
        }
        return bottom;
    }

    // The child of `row` that holds `item` (or is it); empty where none does.
    std::string CellOf(const std::string& item, const std::string& row) const {
        for (std::string at = item; !at.empty();) {
            const ItemFacts* facts = Facts(at);
            if (!facts) return "";
            if (facts->parent == row) return at;
            at = facts->parent;
        }
        return "";
    }

    // The pieces reach the body's bottom on `page` and some lie on a later page.
    bool FillsPageAndGoesOn(const std::vector<const PieceInfo*>& pieces, size_t page) const {
        bool later = false;
        int32_t lowest = INT32_MAX;
        for (const PieceInfo* q : pieces) {
            if (q->page > page) later = true;
            if (q->page == page) lowest = std::min(lowest, q->outer.bottom);
        }
        // Within a line of the foot: a cut text leaves less than a line unused.
        return later && lowest != INT32_MAX && lowest <= -(m_bodyBottom - 60);
    }

    // A block that opens with a kept item opens with the item after it too:
    // below a kept item of its own, the block starts only where that pair
    // fits, so it needs the kept items down to the least opening of the
    // first one not kept. A kept one cut at the foot of `page` ends what must
    // fit, as it does in a run, and so does the page where the next one lies
    // beyond it: what the chain placed on `page` is its part.
    std::optional<int32_t> OpeningKeptChain(const std::string& name, size_t page, int32_t top) const {
        const ItemFacts* facts = Facts(name);
        if (!facts || (facts->kind != ItemKind::Block && facts->kind != ItemKind::BoundBlock)) return std::nullopt;
        std::string at = FirstChild(name);
        const ItemFacts* atFacts = Facts(at);
        // A block opens with the opening of a plain block it opens with, and
        // of a bound block: that one opens with its first repetition on the
        // page, which it tells from its later ones itself.
        if (atFacts && facts->kind == ItemKind::Block &&
            (atFacts->kind == ItemKind::Block || atFacts->kind == ItemKind::BoundBlock) && !atFacts->notLastItem)
            return OpeningKeptChain(at, page, top);
        if (!atFacts || !atFacts->notLastItem) return std::nullopt;
        // A bound block opens the page with its first repetition there: the
        // first item's next piece below its topmost one begins the repetition
        // after it. Pieces beside the topmost one (the cells of a table's
        // first row) are the same repetition's.
        int32_t nextRepetition = INT32_MIN;
        if (facts->kind == ItemKind::BoundBlock) {
            std::vector<const PieceInfo*> pieces;
            for (const PieceInfo* q : PiecesOf(at))
                if (q->page == page && !IsPageFrame(*q)) pieces.push_back(q);
            int32_t topmost = INT32_MIN, topmostBottom = INT32_MAX;
            for (const PieceInfo* q : pieces) topmost = std::max(topmost, q->outer.top);
            for (const PieceInfo* q : pieces)
                if (q->outer.top == topmost) topmostBottom = std::min(topmostBottom, q->outer.bottom);
            for (const PieceInfo* q : pieces)
                if (q->outer.top <= topmostBottom) nextRepetition = std::max(nextRepetition, q->outer.top);
        }
        int32_t bottom = top;
        for (; atFacts; at = atFacts->nextSibling, atFacts = Facts(at)) {
            int32_t itemTop = INT32_MIN, itemBottom = INT32_MAX;
            for (const PieceInfo* q : PiecesOf(at)) {
                if (q->page != page || IsPageFrame(*q) || q->outer.top <= nextRepetition) continue;
                itemTop = std::max(itemTop, q->outer.top);
                itemBottom = std::min(itemBottom, q->outer.bottom);
            }
            if (itemTop == INT32_MIN) break;
            // Within a line of the foot: a cut text leaves less than a line unused.
            const bool cut = itemBottom <= -(m_bodyBottom - 60);
            if (!atFacts->notLastItem) {
                // A form or a nowrap item moves whole; anything else needs only to start.
                const bool whole = !atFacts->absoluteGroup.empty() || atFacts->noWrap;
                const int32_t opening =
                    whole ? itemTop - itemBottom : std::min(itemTop - itemBottom, LeastOpening(at, page, itemTop));
                return top - std::min(bottom, itemTop - opening);
            }
            bottom = std::min(bottom, itemBottom);
            if (cut) break;
        }
        return bottom == top ? std::nullopt : std::optional<int32_t>(top - bottom);
    }

    // A block that opens `page` with a kept item whose follower lies on a
    // later page although the item ended with room below it: the item stood
    // first on `page`, where its keep could not move it. Below another item
    // it would have moved on, so the block starts there only where the kept
    // items and the least opening of the follower, as it opens its own page,
    // fit together.
    // A follower that is kept too and stands first and whole on its own page,
    // its own follower on a later page again, moved on for the same reason:
    // the chain runs on through it to the first item that is not kept.
    // A bound block judged so opens `page` with its first repetition: a kept
    // item of it goes on only where a piece of its own repetition does, as
    // the later repetitions stand on later pages anyway; the follower's
    // first piece beyond `page` is still its own repetition's.
    std::optional<int32_t> OpeningKeptChainBeyond(const std::string& name, size_t page, bool single = false) const {
        const ItemFacts* facts = Facts(name);
        if (!facts || (facts->kind != ItemKind::Block && facts->kind != ItemKind::BoundBlock)) return std::nullopt;
        const bool bound = facts->kind == ItemKind::BoundBlock;
        // A block opens with the opening of a plain block it opens with. In
        // a bound block that block repeats: a leaf drawn twice on a page
        // shows two repetitions, which the measure cannot tell apart.
        if (const ItemFacts* first = Facts(FirstChild(name));
            first && first->kind == ItemKind::Block && !first->notLastItem)
            return OpeningKeptChainBeyond(FirstChild(name), page, single || bound);
        int32_t need = 0;
        size_t on = page;                         // the page the chain has reached
        std::vector<const PieceInfo*> runBeyond;  // the first piece of each kept item beyond its page
        // Once the chain runs on to a later page: what it needed measured at
        // the first follower, as a floor, and where it stands on that page.
        std::optional<int32_t> floor;
        int32_t needBefore = 0, onTop = 0;
        std::string at = FirstChild(name);
        for (const ItemFacts* atFacts = Facts(at); atFacts;) {
            int32_t itemTop = INT32_MIN, itemBottom = INT32_MAX;
            size_t later = SIZE_MAX;
            const auto repetitions = bound ? RepetitionOfPieces(at) : std::map<const PieceInfo*, size_t>{};
            std::optional<size_t> shown;  // the repetition the item shows on `on`
            size_t onPage = 0;
            for (const PieceInfo* q : PiecesOf(at)) {
                if (IsPageFrame(*q) || q->page != on) continue;
                if (single && q->item == at && !q->frameOnly && ++onPage > 1) return floor;
                itemTop = std::max(itemTop, q->outer.top);
                itemBottom = std::min(itemBottom, q->outer.bottom);
                if (!bound) continue;
                const auto known = repetitions.find(q);
                if (known == repetitions.end() || (shown && *shown != known->second)) return floor;
                shown = known->second;
            }
            const PieceInfo* firstBeyond = nullptr;  // in the order the flow recorded them
            for (const PieceInfo* q : PiecesOf(at)) {
                if (IsPageFrame(*q) || q->page <= on) continue;
                const auto known = repetitions.find(q);
                if (shown && (known == repetitions.end() || known->second != *shown)) continue;
                later = std::min(later, q->page);
                if (!firstBeyond) firstBeyond = q;
            }
            // A kept item of the run that goes on beyond its page before the
            // follower starts was not whole there. One drawn again only after
            // the follower is a later repetition of a bound block around the
            // block, which repeats the run and has nothing to do with this one.
            const auto wholeBefore = [&](const PieceInfo* follower) {
                return std::none_of(runBeyond.begin(), runBeyond.end(),
                                    [&](const PieceInfo* q) { return q < follower; });
            };
            // The block's last item is kept with nothing inside it (the
            // engine tries no keep for it): it is the first item not kept,
            // and its least opening counts. Taken as kept, it ended the chain
            // with what the items before it need, as if it needed nothing: a
            // block opening with two kept texts and a table whose nowrap first
            // row fits below them on no page was judged to fit below a kept
            // item.
            const bool keptHere = atFacts->notLastItem && !atFacts->nextSibling.empty();
            if (itemTop != INT32_MIN) {
                if (!keptHere) {
                    // The first item not kept, on the page a kept follower
                    // opened: a form or a nowrap item moves whole, anything
                    // else needs only to start.
                    if (on == page || !wholeBefore(PiecesOnPage(at, on).front())) return floor;
                    const bool whole = !atFacts->absoluteGroup.empty() || atFacts->noWrap;
                    const int32_t opening =
                        whole ? itemTop - itemBottom : std::min(itemTop - itemBottom, LeastOpening(at, on, itemTop));
                    return std::max({*floor, need + opening, needBefore + onTop - (itemTop - opening)});
                }
                // Only a run of kept items, each whole on its page, counts.
                if (itemBottom <= -(m_bodyBottom - 60)) return floor;
                if (firstBeyond) runBeyond.push_back(firstBeyond);
                need += itemTop - itemBottom;
                at = atFacts->nextSibling;
                atFacts = Facts(at);
                continue;
            }
            if (need == 0 || later == SIZE_MAX || !wholeBefore(firstBeyond)) return floor;
            int32_t laterTop = INT32_MIN;
            for (const PieceInfo* q : PiecesOf(at))
                if (q->page == later && !IsPageFrame(*q)) laterTop = std::max(laterTop, q->outer.top);
            const int32_t measured = need + LeastOpening(at, later, laterTop);
            if (!keptHere || !StandsFirst(later, laterTop)) return std::max(floor.value_or(0), measured);
            floor = std::max(floor.value_or(0), measured);
            needBefore = need;
            onTop = laterTop;
            on = later;  // the same item again, as the run on its own page
        }
        return floor;
    }

    // Nothing of the flow on `page` starts above `top`.
    bool StandsFirst(size_t page, int32_t top) const {
        return std::none_of(m_pieces.begin(), m_pieces.end(),
                            [&](const PieceInfo& q) { return q.page == page && !IsPageFrame(q) && q.outer.top > top; });
    }

    std::vector<const PieceInfo*> PiecesOnPage(const std::string& name, size_t page) const {
        std::vector<const PieceInfo*> out;
        for (const PieceInfo* q : PiecesOf(name))
            if (q->page == page && !IsPageFrame(*q)) out.push_back(q);
        return out;
    }

    // A row opens with whichever of its cells starts first, so it needs the
    // least opening of the cells that place something on `page` (a cell
    // carried over as a frame places nothing): a block cell that opens with
    // a kept item needs that item and what it is kept with. A nowrap row is
    // left to the caller.
    std::optional<int32_t> OpeningRow(const std::string& name, size_t page, int32_t top) const {
        const ItemFacts* facts = Facts(name);
        if (!facts || (facts->kind != ItemKind::Row && facts->kind != ItemKind::BoundRow) || facts->noWrap)
            return std::nullopt;
        std::optional<int32_t> least;
        for (const auto& [cell, cellFacts] : m_gen.items) {
            if (cellFacts.parent != name) continue;
            const auto pieces = PiecesOf(cell);
            if (std::none_of(pieces.begin(), pieces.end(),
                             [&](const PieceInfo* q) { return q->page == page && !q->frameOnly && !IsPageFrame(*q); }))
                continue;
            const int32_t opening = LeastOpening(cell, page, top);
            least = least ? std::min(*least, opening) : opening;
        }
        return least;
    }

    std::string FirstChild(const std::string& name) const {
        std::set<std::string> followers;
        std::vector<std::string> children;
        for (const auto& [item, facts] : m_gen.items) {
            if (facts.parent != name) continue;
            children.push_back(item);
            if (!facts.nextSibling.empty()) followers.insert(facts.nextSibling);
        }
        for (const std::string& child : children)
            if (!followers.contains(child)) return child;
        return "";
    }

    // A container that opens `page` with a nowrap picture shares that page
    // with nothing less than the whole picture: the picture is split only on
    // a page that holds nothing else, so kept below another item it moves on.
    std::optional<int32_t> OpeningPicture(const std::string& name, size_t page, int32_t top) const {
        const PieceInfo* opening = nullptr;
        for (const PieceInfo* q : PiecesOf(name))
            if (q->page == page && !IsPageFrame(*q) && (!opening || q->outer.top > opening->outer.top)) opening = q;
        if (!opening || opening->kind != "image") return std::nullopt;
        const ItemFacts* facts = Facts(opening->item);
        if (!facts || !facts->noWrap) return std::nullopt;
        return top - opening->outer.bottom;
    }

    // A container that opens `page` with a form (an `asblank` block of the
    // body) shares that page with nothing less than the whole form: a form
    // moves whole from a page already used. Of a bound form, the first
    // repetition: an item seen again opens the next one.
    std::optional<int32_t> OpeningForm(const std::string& name, size_t page, int32_t top) const {
        const PieceInfo* opening = nullptr;
        for (const PieceInfo* q : PiecesOf(name))
            if (q->page == page && !IsPageFrame(*q) && (!opening || q->outer.top > opening->outer.top)) opening = q;
        const ItemFacts* facts = opening ? Facts(opening->item) : nullptr;
        if (!facts || facts->absoluteGroup.empty() || facts->absoluteGroup == name) return std::nullopt;
        std::set<std::string> seen;
        int32_t bottom = top;
        for (const PieceInfo& q : m_pieces) {
            if (q.page != page || IsPageFrame(q)) continue;
            const ItemFacts* in = Facts(q.item);
            if (!in || in->absoluteGroup != facts->absoluteGroup) continue;
            if (!seen.insert(q.item).second) break;
            bottom = std::min(bottom, q.outer.bottom);
        }
        return top - bottom;
    }

    // A text starts only where its first word fits whole: a long word wrapped
    // at its hyphens in a narrow column needs all its lines. 0 where unknown.
    int32_t OpeningWord(const std::string& name, size_t page, int32_t top) const {
        const auto engine = m_engineItems.find(name);
        if (engine == m_engineItems.end() || !engine->second->IsLeaf()) return 0;
        const PieceInfo* opening = nullptr;
        for (const PieceInfo* q : PiecesOf(name))
            if (q->page == page && q->kind == "text" && !q->frameOnly &&
                (!opening || q->outer.top > opening->outer.top))
                opening = q;
        if (!opening) return 0;
        const std::vector<std::string> words = Words(opening->text);
        if (words.empty()) return 0;
        const CqvStyle& style = engine->second->Style();
        QvRect content = opening->outer;
        content.left += style.m_nPaddingLeft;
        content.right -= style.m_nPaddingRight;
        if (content.right <= content.left) return 0;
        const int32_t height = style.m_metrics.DrawWrapped(nullptr, words.front().data(),
                                                           static_cast<std::ptrdiff_t>(words.front().size()), content,
                                                           kQvTextMeasureOnly, false);
        // The engine starts a text only where one line fits between both its
        // paddings, however short its first word: the padding below counts
        // before any word is placed, though not when the words are chosen.
        const int32_t oneLine =
            style.m_nPaddingTop + std::abs(style.m_metrics.OneLineHeight()) + style.m_nPaddingBottom;
        return top - opening->outer.top + std::max(style.m_nPaddingTop + std::abs(height), oneLine);
    }

    // The repetition each piece of a text item belongs to, by the words placed
    // before it; empty where the item's texts are not known. A bound block
    // repeats its items, and siblings side by side may place one repetition on
    // different pages: a kept item is judged with its own repetition of what
    // follows it, not with whichever one opens the next page.
    std::map<const PieceInfo*, size_t> RepetitionOfPieces(const std::string& name) const {
        std::map<const PieceInfo*, size_t> out;
        const auto texts = m_gen.flowTexts.find(name);
        if (texts == m_gen.flowTexts.end()) return RepetitionOfPictures(name);
        std::vector<size_t> ends;  // the count of words up to the end of each repetition
        for (const std::string& text : texts->second)
            ends.push_back((ends.empty() ? 0 : ends.back()) + Words(text).size());
        size_t placed = 0;
        for (const PieceInfo& p : m_pieces) {
            if (p.item != name || p.kind != "text" || p.frameOnly) continue;
            out[&p] = static_cast<size_t>(std::upper_bound(ends.begin(), ends.end(), placed) - ends.begin());
            placed += Words(p.text).size();
        }
        return out;
    }

    // The same for a picture: every repetition draws it, and only its first
    // part is fresh (a nowrap picture split at the foot goes on unfresh). A
    // rule of the flow is never split: each of its pieces is a repetition.
    std::map<const PieceInfo*, size_t> RepetitionOfPictures(const std::string& name) const {
        std::map<const PieceInfo*, size_t> out;
        const ItemFacts* facts = Facts(name);
        const bool flowLine = facts && facts->kind == ItemKind::Line && facts->furniture == Furniture::None;
        size_t fresh = 0;
        for (const PieceInfo& p : m_pieces) {
            if (p.item != name) continue;
            const auto* image = dynamic_cast<const CqvImagePiece*>(p.piece);
            if (flowLine && p.kind == "line") ++fresh;
            else if (!image) continue;
            else if (image->Fresh()) ++fresh;
            if (fresh > 0) out[&p] = fresh - 1;
        }
        return out;
    }

    // Whether a later repetition of the bound block around `name` already
    // starts on page p below it: then this repetition ended there, and what
    // opens page p + 1 belongs to a later one. A bound block inside it repeats
    // by its own records (none, in some repetitions), so its pieces cannot be
    // told apart by the repetition of `name`; the texts that repeat once with
    // `name` (those reached through plain blocks only) can.
    bool LaterRepetitionStartsBelow(const std::string& name, size_t p, int32_t bottom, size_t repetition) const {
        const ItemFacts* facts = Facts(name);
        const ItemFacts* around = facts ? Facts(facts->parent) : nullptr;
        if (!around || around->kind != ItemKind::BoundBlock) return false;
        for (const auto& [item, itemFacts] : m_gen.items) {
            if (item == name || itemFacts.kind != ItemKind::Text) continue;
            bool repeatsWithName = false;
            for (const ItemFacts* at = Facts(itemFacts.parent); at; at = Facts(at->parent)) {
                if (at == around) {
                    repeatsWithName = true;
                    break;
                }
                if (at->kind != ItemKind::Block) break;
            }
            if (!repeatsWithName) continue;
            for (const auto& [piece, itsRepetition] : RepetitionOfPieces(item))
                if (piece->page == p && piece->outer.top <= bottom && itsRepetition > repetition) return true;
        }
        return false;
    }

    // Whether the item after `name` had finished, in repetition `repetition`,
    // by the end of page p: a later sibling of that repetition whose span
    // meets the follower's stands on page p or before, and the flow places
    // nothing below a sibling that is unfinished or waits in its span. Such a
    // follower stood beside what came before the kept item (a table beside a
    // bound block's repetitions) and ended on an earlier page; a table shows
    // no words of the repetition around it, so what of it opens page p + 1
    // looked like this repetition's, though it belongs to a later one.
    bool FollowerFinishedBy(const std::string& name, size_t p, size_t repetition) const {
        const ItemFacts* facts = Facts(name);
        const auto follower = facts ? m_engineItems.find(facts->nextSibling) : m_engineItems.end();
        if (follower == m_engineItems.end()) return false;
        const CqvItem& next = *follower->second;
        for (const ItemFacts* at = Facts(facts->nextSibling); at && !at->nextSibling.empty();
             at = Facts(at->nextSibling)) {
            const auto later = m_engineItems.find(at->nextSibling);
            if (later == m_engineItems.end()) continue;
            const CqvItem& sibling = *later->second;
            if (!SpansMeet(sibling, next)) continue;
            for (const auto& [piece, itsRepetition] : RepetitionOfPieces(at->nextSibling))
                if (piece->page <= p && itsRepetition == repetition) return true;
        }
        return false;
    }

    // The first piece of `name`, in the order the flow recorded them, that
    // belongs to a repetition after `repetition`; none where there is none.
    const PieceInfo* FirstOfLaterRepetition(const std::string& name, size_t repetition) const {
        const PieceInfo* first = nullptr;
        for (const auto& [q, at] : RepetitionOfPieces(name))
            if (at > repetition && (!first || q < first)) first = q;
        return first;
    }

    // A run of kept items that fits on no page breaks somewhere: it stays and
    // fills the page, so the break falls where the next item of the run
    // finds no room below the kept one. Judged from the first item of the run
    // on page p (the ones before `name` go with it) to the least that the item
    // after the run needs on page p + 1, as the pages show them. `room` is
    // what an empty page offers, `roomLeft` what page p still had below
    // `name`, `repetition` the repetition judged, where known.
    bool BreaksRunThatFitsNoPage(const std::string& name, size_t p, int32_t top, int32_t bottom, int32_t nextTop,
                                 int32_t room, int32_t roomLeft, std::optional<size_t> repetition) const {
        // Where the next repetition of `name` begins: an item of the run
        // that shows no words of its own (a table, a block) has no
        // repetitions to tell apart, and the pieces of a later one made it
        // look as if it went on to a later page.
        const PieceInfo* laterRepetition = repetition ? FirstOfLaterRepetition(name, *repetition) : nullptr;
        // The pieces of an item on a page, of the repetition judged where known.
        auto piecesOn = [&](const std::string& item, auto onPage) {
            std::vector<const PieceInfo*> out;
            const auto reps = repetition ? RepetitionOfPieces(item) : std::map<const PieceInfo*, size_t>{};
            for (const PieceInfo* q : PiecesOf(item)) {
                if (!onPage(q->page)) continue;
                const auto at = reps.find(q);
                if (!reps.empty() && (at == reps.end() || at->second != *repetition)) continue;
                if (reps.empty() && laterRepetition && AfterInFlow(*q, *laterRepetition)) continue;
                out.push_back(q);
            }
            return out;
        };
        auto on = [](size_t page) { return [page](size_t at) { return at == page; }; };
        auto goesOn = [&](const std::string& item, size_t page) {
            return !piecesOn(item, [page](size_t at) { return at > page; }).empty();
        };
        // Back to the first kept item of the run that stands on page p.
        int32_t runTop = top;
        std::string first = name;
        std::vector<std::string> before;  // the run's items above `name` on page p
        for (std::string at = PreviousSibling(name); !at.empty(); at = PreviousSibling(at)) {
            const ItemFacts* facts = Facts(at);
            if (!facts || !facts->notLastItem) break;
            // A kept item beside the run (a text beside a kept picture) may
            // start below the top of the item after it: it still stands in
            // the run on this page, and the items before it do too.
            bool inRun = false;
            for (const PieceInfo* q : piecesOn(at, on(p))) {
                if (q->outer.top > bottom) inRun = true;
                if (q->outer.top >= runTop) runTop = q->outer.top;
            }
            if (!inRun) break;
            first = at;
            before.push_back(at);
        }
        const std::string& next = Facts(name)->nextSibling;
        // The item after the run starts below every item of the run in its
        // span, not only below `name`: a kept picture beside `name` that
        // reaches lower holds it down, on page p as on an empty page.
        int32_t nextLeft = INT32_MAX, nextRight = INT32_MIN;
        for (const PieceInfo* q : piecesOn(next, on(p + 1)))
            nextLeft = std::min(nextLeft, q->outer.left), nextRight = std::max(nextRight, q->outer.right);
        std::string lowestItem = name;
        for (const std::string& at : before)
            for (const PieceInfo* q : piecesOn(at, on(p)))
                if (q->outer.right >= nextLeft && nextRight >= q->outer.left &&
                    q->outer.bottom - SpaceAfter(at) < bottom - SpaceAfter(lowestItem)) {
                    roomLeft -= (bottom - SpaceAfter(lowestItem)) - (q->outer.bottom - SpaceAfter(at));
                    bottom = q->outer.bottom;
                    lowestItem = at;
                }
        // Forward on page p + 1 to the item after the run, which needs only
        // to start there, as does a kept item that goes on to a later page.
        int32_t restBottom = nextTop, nextLeast = 0;
        bool cutAgain = false;
        for (std::string at = next; !at.empty(); at = Facts(at)->nextSibling) {
            const ItemFacts* facts = Facts(at);
            if (!facts) break;
            const auto here = piecesOn(at, on(p + 1));
            if (here.empty()) {
                if (PiecesOf(at).empty()) continue;  // it placed nothing
                cutAgain = true;                     // the run is cut again further on
                break;
            }
            int32_t itemTop = INT32_MIN, itemBottom = INT32_MAX;
            for (const PieceInfo* q : here) {
                itemTop = std::max(itemTop, q->outer.top);
                itemBottom = std::min(itemBottom, q->outer.bottom);
            }
            // A form moves whole, as does a nowrap item on a page already used.
            const bool whole = !facts->absoluteGroup.empty() || facts->noWrap;
            const int32_t opening =
                whole ? itemTop - itemBottom : std::min(itemTop - itemBottom, LeastOpening(at, p + 1, itemTop));
            if (at == next) nextLeast = opening;
            const bool ends = !facts->notLastItem || goesOn(at, p + 1);
            restBottom = std::min(restBottom, ends ? itemTop - opening : itemBottom);
            if (ends) break;
        }
        const auto engineFirst = m_engineItems.find(first);
        const int32_t firstInner = engineFirst == m_engineItems.end() ? 0 : InnerSpaceBefore(*engineFirst->second);
        const int32_t gap = SpaceBefore(first) + firstInner + SpaceAfter(lowestItem) + SpaceBefore(next);
        if (!cutAgain && (runTop - bottom) + gap + (nextTop - restBottom) + 20 <= room) return false;
        if (KeptItemGoesOnWithContainer(first, before.size(), next, p, runTop)) return true;
        // The next item could have started on page p: the run did not fill it.
        const auto engineNext = m_engineItems.find(next);
        const int32_t inner = engineNext == m_engineItems.end() ? 0 : InnerSpaceBefore(*engineNext->second);
        return roomLeft < inner + nextLeast;
    }

    // Of a short run that fits on no page and whose first item stands first
    // on page p (placed where no keep moves it), the kept item right before a
    // block or table goes on with it when that starts below the item alone at
    // the top of the next page: kept here, the item would end this page alone
    // instead of the first one. One keep of the run fails either way.
    bool KeptItemGoesOnWithContainer(const std::string& first, size_t keptBefore, const std::string& next, size_t p,
                                     int32_t runTop) const {
        const ItemFacts* nextFacts = Facts(next);
        if (!nextFacts || !nextFacts->notLastItem || keptBefore > 1) return false;
        const ItemFacts* after = Facts(nextFacts->nextSibling);
        if (!after ||
            (after->kind != ItemKind::Block && after->kind != ItemKind::BoundBlock && after->kind != ItemKind::Table))
            return false;
        // The container starts on the next page below the item, which ends there.
        bool nextHere = false, afterHere = false;
        for (const PieceInfo* q : PiecesOf(next)) {
            if (q->page > p + 1) return false;
            nextHere = nextHere || q->page == p + 1;
        }
        for (const PieceInfo* q : PiecesOf(nextFacts->nextSibling)) afterHere = afterHere || q->page == p + 1;
        if (!nextHere || !afterHere) return false;
        // Nothing of the flow above the first item in its span on page p.
        int32_t left = INT32_MAX, right = INT32_MIN;
        for (const PieceInfo* q : PiecesOf(first))
            if (q->page == p) left = std::min(left, q->outer.left), right = std::max(right, q->outer.right);
        return std::none_of(m_pieces.begin(), m_pieces.end(), [&](const PieceInfo& q) {
            return q.page == p && !IsPageFrame(q) && !IsFrameCarriedOver(q) && q.outer.top > runTop &&
                   q.outer.right > left && right > q.outer.left;
        });
    }

    // Whether `q` lies after `start` in the flow: recorded after it, or below
    // it on its page. A kept item's pieces may be recorded after those of the
    // item it is kept with, so record order alone took the next repetition's
    // item, placed below that repetition's first piece, for this one's.
    // With `spaceBefore` (that of `start`'s item), what starts below where
    // that space begins counts too: the repetition `start` opens begins
    // above it, and an item beside `start` with less space of its own (a
    // table of the next repetition) starts higher than `start` does.
    static bool AfterInFlow(const PieceInfo& q, const PieceInfo& start, int32_t spaceBefore = 0) {
        return &q > &start || (q.page == start.page && q.outer.top < int64_t{start.outer.top} + spaceBefore);
    }

    // Whether two items' spans share a column: the flow places the later one
    // below the earlier (touching edges count, as the flow counts them).
    static bool SpansMeet(const CqvItem& a, const CqvItem& b) {
        return !(a.SpanLeft() > b.SpanRight() || b.SpanLeft() > a.SpanRight());
    }

    // The least space the children of a container leave above its first
    // piece: their own space-before and that of their first children, and
    // in a form their own `top`, below which each of them is placed. In the
    // flow only a child with nothing before it in its span starts at the
    // container's top (the rows of a table stack); the cells of a row and
    // the fields of a form all do.
    static int32_t InnerSpaceBefore(const CqvItem& item) {
        const auto* block = dynamic_cast<const CqvBlock*>(&item);
        if (!block || block->Children().Size() == 0) return 0;
        const bool allAtTop = block->IsAbsolute() || qv::IsRowType(block->TypeCode());
        int32_t least = INT32_MAX;
        const auto& children = block->Children();
        for (size_t i = 0; i < children.Size(); ++i) {
            const CqvItem& child = *children.At(i);
            bool below = false;
            for (size_t j = 0; j < i && !allAtTop && !below; ++j) below = SpansMeet(*children.At(j), child);
            if (below) continue;
            least = std::min(least, child.Style().m_nSpaceBefore + (block->IsAbsolute() ? child.Top() : 0) +
                                        InnerSpaceBefore(child));
        }
        return least;
    }

    int32_t SpaceBefore(const std::string& name) const {
        const auto found = m_engineItems.find(name);
        return found == m_engineItems.end() ? 0 : found->second->Style().m_nSpaceBefore;
    }
    int32_t SpaceAfter(const std::string& name) const {
        const auto found = m_engineItems.find(name);
        return found == m_engineItems.end() ? 0 : found->second->Style().m_nSpaceAfter;
    }

    std::string PreviousSibling(const std::string& name) const {
        const ItemFacts* facts = Facts(name);
        if (!facts) return "";
        for (const auto& [other, otherFacts] : m_gen.items)
            if (otherFacts.nextSibling == name && otherFacts.parent == facts->parent) return other;
        return "";
    }

    // A cell whose words all stood on earlier pages, drawn again only as the
    // frame of the row that goes on: it places nothing, and a page that holds
    // only such frames still holds nothing yet (a row there waits once below
    // its header rows).
    bool IsFrameCarriedOver(const PieceInfo& q) const {
        return q.frameOnly && std::any_of(m_pieces.begin(), m_pieces.end(), [&](const PieceInfo& before) {
                   return before.item == q.item && before.page + 1 == q.page;
               });
    }

    void CheckKeepWithNext(const CqvReport& report) {
        const QvRect& body = report.BodyArea();
        for (const auto& [name, facts] : m_gen.items) {
            if (!facts.notLastItem || facts.nextSibling.empty() || facts.furniture == Furniture::PageFrame ||
                !facts.absoluteGroup.empty())
                continue;
            const ItemFacts* parent = Facts(facts.parent);
            if (parent && (parent->kind == ItemKind::Row || parent->kind == ItemKind::BoundRow)) continue;
            if (facts.kind == ItemKind::BoundBlock || facts.kind == ItemKind::Block || facts.kind == ItemKind::Table)
                continue;  // judged only where one repetition is one run of pieces
            const CqvItem* next =
                m_engineItems.count(facts.nextSibling) ? m_engineItems.at(facts.nextSibling) : nullptr;
            const CqvItem* self = m_engineItems.count(name) ? m_engineItems.at(name) : nullptr;
            if (!next || !self || OpensWithStartPage(*next)) continue;
            const auto mine = PiecesOf(name);
            const auto theirsAll = PiecesOf(facts.nextSibling);
            if (mine.empty() || theirsAll.empty()) continue;
            const auto myRepetition = RepetitionOfPieces(name);
            const auto theirRepetition = RepetitionOfPieces(facts.nextSibling);
            // Repeated items (in bound blocks) are judged per page pair below.
            for (const PieceInfo* last : mine) {
                const size_t p = last->page;
                // `last` must be the item's last piece on page p, and the item must
                // have started on p.
                bool lastOnPage = true, startedHere = true;
                int32_t top = last->outer.top, bottom = last->outer.bottom;
                for (const PieceInfo* other : mine) {
                    if (other->page == p && other > last) lastOnPage = false;
                    if (other->page == p) {
                        top = std::max(top, other->outer.top);
                        bottom = std::min(bottom, other->outer.bottom);
                    }
                }
                if (!lastOnPage) continue;
                // A leaf continued from an earlier page is not judged here. Its
                // rest may skip a page (a short kept run that does not fit below
                // a neighbour's rest moves on whole), so a part of the same
                // repetition on any earlier page makes it continued too, not
                // only one on the page just before.
                const auto lastAt = myRepetition.find(last);
                for (const PieceInfo* other : mine) {
                    if (!self->IsLeaf() || other->page >= p) continue;
                    const auto otherAt = myRepetition.find(other);
                    const bool sameRepetition = lastAt != myRepetition.end() && otherAt != myRepetition.end() &&
                                                otherAt->second == lastAt->second;
                    if (other->page == p - 1 || sameRepetition) startedHere = false;
                }
                if (!startedHere) continue;
                // Where both repetitions are known, only this one of what follows counts.
                std::vector<const PieceInfo*> theirs = theirsAll;
                if (const auto mineAt = myRepetition.find(last);
                    mineAt != myRepetition.end() && !theirRepetition.empty())
                    std::erase_if(theirs, [&](const PieceInfo* q) {
                        const auto at = theirRepetition.find(q);
                        return at == theirRepetition.end() || at->second != mineAt->second;
                    });
                // A follower that shows no words of its own (a block) has no
                // repetitions to tell apart; what it shows after the kept
                // item's next repetition begins belongs to that one or later.
                // Counted as this one going on, it asked only a little of the
                // follower below the kept item, though it lies whole on its page.
                else if (mineAt != myRepetition.end())
                    if (const PieceInfo* later = FirstOfLaterRepetition(name, mineAt->second)) {
                        const int32_t lead = SpaceBefore(name);  // clang 14 cannot capture a structured binding
                        std::erase_if(theirs, [&](const PieceInfo* q) { return AfterInFlow(*q, *later, lead); });
                    }
                // Nothing of the next item on page p, and it opens page p + 1.
                bool nextOnP = false, nextOnNext = false, nextLater = false;
                int32_t nextTop = INT32_MIN, nextBottom = INT32_MAX;
                for (const PieceInfo* other : theirs) {
                    if (other->page == p) nextOnP = true;
                    if (other->page == p + 1) {
                        nextOnNext = true;
                        nextTop = std::max(nextTop, other->outer.top);
                        nextBottom = std::min(nextBottom, other->outer.bottom);
                    }
                    if (other->page > p + 1) nextLater = true;
                }
                if (nextOnP || !nextOnNext) continue;
                if (const auto mineAt = myRepetition.find(last);
                    mineAt != myRepetition.end() && theirRepetition.empty() &&
                    (LaterRepetitionStartsBelow(name, p, bottom, mineAt->second) ||
                     FollowerFinishedBy(name, p, mineAt->second)))
                    continue;
                bool opens = true, somethingAbove = false;
                for (const PieceInfo& q : m_pieces) {
                    if (IsPageFrame(q)) continue;
                    if (q.page == p + 1 && q.outer.top > nextTop) opens = false;
                    if (q.page == p && q.outer.top > top && !IsFrameCarriedOver(q)) somethingAbove = true;
                }
                if (!opens || !somethingAbove) continue;
                // Moved to the next page, the kept item would start there below
                // its own space-before too, as any item at the top of a page does,
                // and its pieces below the space-before of what it holds (the
                // cells of a header row). Those of the next item are counted in
                // the room, which is measured from where its pieces stand.
                const int32_t gap = self->Style().m_nSpaceBefore + InnerSpaceBefore(*self) +
                                    self->Style().m_nSpaceAfter + next->Style().m_nSpaceBefore;
                int32_t need = nextTop - nextBottom;
                // An item that goes on to a later page could have shared the
                // page with a little of itself; not a nowrap picture, which is
                // split only on a page that holds nothing else.
                const ItemFacts* nextFacts = Facts(facts.nextSibling);
                const bool splitsOnlyAlone = nextFacts && nextFacts->kind == ItemKind::Image && nextFacts->noWrap;
                if (nextLater && !splitsOnlyAlone)
                    need = std::min(need, LeastOpening(facts.nextSibling, p + 1, nextTop));
                // A block that opens with a kept item standing first on page
                // p + 1, its follower on a later page, needs that follower too.
                if (const auto chain = OpeningKeptChainBeyond(facts.nextSibling, p + 1)) need = std::max(need, *chain);
                // Nor a table whose first row is a nowrap row split only on a
                // page that holds nothing else: below the kept item it moves
                // whole, whatever room it finds, and leaves the kept item
                // alone at the foot all the same. So does one that fills a
                // new page but would find below the kept item, moved there
                // with it, too little room to be split by the quotient.
                if (nextLater && nextFacts && nextFacts->kind == ItemKind::Table) {
                    const std::string row = FirstBodyRow(facts.nextSibling, p + 1).first;
                    const ItemFacts* rowFacts = Facts(row);
                    if (rowFacts && rowFacts->parent == facts.nextSibling &&
                        (SplitOnlyOnEmptyPage(row, p + 1) ||
                         SplitOnlyOnEmptyPage(row, p + 1, (top - bottom) + gap - next->Style().m_nSpaceBefore)))
                        continue;
                }
                // Nor a table, or a block around one, that shows only header
                // rows on the page it opens: the first body row found no room
                // below them even at the top of a page, so it finds none below
                // the kept item and them either.
                if (nextLater && nextFacts &&
                    (nextFacts->kind == ItemKind::Table || nextFacts->kind == ItemKind::Block) &&
                    ShowsOnlyHeaderRows(facts.nextSibling, p + 1))
                    continue;
                const int32_t room = body.bottom - (-nextTop - next->Style().m_nSpaceBefore);
                const int32_t roomLeft =
                    body.bottom + bottom - self->Style().m_nSpaceAfter - next->Style().m_nSpaceBefore;
                const auto mineAt = myRepetition.find(last);
                const std::optional<size_t> repetition =
                    mineAt == myRepetition.end() ? std::nullopt : std::optional<size_t>(mineAt->second);
                if ((top - bottom) + gap + need + 20 <= room && !OpensPageWithStartPage(facts.nextSibling, p + 1) &&
                    !BreaksRunThatFitsNoPage(name, p, top, bottom, nextTop, room, roomLeft, repetition) &&
                    !(repetition && LaterRepetitionOfParentOpens(name, p, *repetition)))
                    Fail("keep",
                         "page " + std::to_string(p) + ": " + name + " (not-last-item) ends the page at " +
                             std::to_string(-bottom) + " while " + facts.nextSibling + " opens page " +
                             std::to_string(p + 1) + "; both need " + std::to_string(top - bottom + gap + need) +
                             " of " + std::to_string(room),
                         {}, {name, facts.nextSibling});
            }
        }
    }

    std::string Signature(const CqvReport& report) const {
        std::string out = std::to_string(report.PageCount()) + "\n";
        for (size_t page = 0; page < report.PageCount(); ++page)
            for (const auto& piece : report.PagePieces(page)) {
                out += std::to_string(page) + " " + std::string(piece->Kind()) + Rect(piece->Outer()) +
                       Rect(piece->Content()) + (piece->FrameOnly() ? "F" : "");
                if (const auto* text = dynamic_cast<const CqvTextPiece*>(piece.get())) out += text->Text();
                out += "\n";
            }
        return out;
    }

    void CheckPages(const CqvReport& report) {
        if (static_cast<int64_t>(report.PageCount()) > report.MaxPages())
            Fail("pages",
                 std::to_string(report.PageCount()) + " pages exceed max-pages " + std::to_string(report.MaxPages()));
        std::unique_ptr<CqvReport> again = Prepared();
        if (again && Signature(*again) != Signature(report)) Fail("pages", "a second layout gives other pages");
    }

    void CheckPdf() {
        using qv::test::RunProgram;
        const RunResult dump = RunProgram(m_options.quorvaneExe, {"dump", m_templatePath, m_dataPath});
        const std::string pdf = m_folder + "/report.pdf";
        const RunResult render = RunProgram(m_options.quorvaneExe, {"render", m_templatePath, m_dataPath, "-o", pdf});
        if (dump.status != 0 || render.status != 0) {
            Fail("pdf", "the command failed: " + dump.err + render.err);
            return;
        }
        const std::string text = qv::test::Capture("pdftotext -enc UTF-8 " + qv::test::ShellQuoted(pdf) + " -");
        std::vector<std::string> pdfPages;
        std::string current;
        for (char c : text) {
            if (c == '\f') {
                pdfPages.push_back(current);
                current.clear();
            } else {
                current += c;
            }
        }
        const auto json = nlohmann::json::parse(dump.out);
        if (json["pageCount"].get<size_t>() != pdfPages.size())
            Fail("pdf", "the dump has " + std::to_string(json["pageCount"].get<size_t>()) + " pages, the PDF " +
                            std::to_string(pdfPages.size()));
        auto tokens = [](const std::string& s) {
            std::string spaced = s;
            std::replace(spaced.begin(), spaced.end(), '-', ' ');
            return Words(spaced);
        };
        std::set<std::pair<size_t, size_t>> clipped;
        for (const PieceInfo& p : m_pieces)
            if (p.clipped) clipped.insert({p.page, p.index});
        for (const auto& page : json["pages"]) {
            const size_t number = page["number"].get<size_t>();
            if (number == 0 || number > pdfPages.size()) continue;
            std::multiset<std::string> available;
            for (const std::string& t : tokens(pdfPages[number - 1])) available.insert(t);
            const std::string flat = WithoutSpace(pdfPages[number - 1]);
            for (size_t index = 0; index < page["pieces"].size(); ++index) {
                const auto& piece = page["pieces"][index];
                if (piece["kind"] != "text" || piece["frameOnly"].get<bool>()) continue;
                // What the drawing check saw cut (a word wider than its column,
                // a line below its box) is judged there, not here.
                if (clipped.count({number, index})) continue;
                for (const std::string& word : tokens(piece["text"].get<std::string>())) {
                    auto found = available.find(word);
                    if (found != available.end()) available.erase(found);
                    else if (flat.find(word) == std::string::npos)
                        Fail("pdf", "page " + std::to_string(number) + ": the dump's word '" + word +
                                        "' is not in the PDF's text");
                }
            }
        }
    }

    using RunResult = qv::test::RunResult;

    const GeneratedReport& m_gen;
    bool m_widened = false;
    std::string m_folder;
    CheckOptions m_options;
    std::string m_templatePath, m_dataPath;
    std::vector<Violation> m_violations;
    std::map<const CqvStyle*, std::string> m_byStyle;
    std::map<std::string, const CqvItem*> m_engineItems;
    std::vector<PieceInfo> m_pieces;
    size_t m_pageCount = 0;
    int32_t m_bodyBottom = 0;
    // Forms too tall for any page, with the pages on which they are cut.
    std::map<std::string, std::set<size_t>> m_cutForms;
};

}  // namespace

std::vector<Violation> CheckReport(const GeneratedReport& report, const std::string& scratchFolder,
                                   const CheckOptions& options) {
    return Checker(report, scratchFolder, options).Run();
}

std::string DescribeFailure(const GeneratedReport& report, const std::vector<Violation>& violations) {
    std::string out = "seed " + std::to_string(report.seed) + " breaks " + std::to_string(violations.size()) +
                      " invariant check(s):\n";
    // One report can break an invariant many times over; a few say enough.
    std::map<std::string, int> shown;
    for (const Violation& v : violations)
        if (++shown[v.invariant] <= 5) out += "  [" + v.invariant + "] " + v.detail + "\n";
    out += "--- template ---\n" + report.templateXml + "--- data ---\n" + report.dataXml + "\n";
    return out;
}

}  // namespace qv::layoutcheck
