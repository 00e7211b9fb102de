#include "engine/CqvReport.h"

#include <tinyxml.h>

#include <string>

#include "common/CqvEx.h"
#include "common/CqvStopped.h"
#include "common/TriState.h"
#include "common/ForeignFailure.h"
#include "elements/AttributeInt.h"
#include "elements/AttributeName.h"
#include "elements/CqvXmlBlock.h"
#include "elements/ParseLength.h"
#include "engine/Progress.h"
#include "engine/QvSettings.h"
#include "engine/Surface.h"
#include "platform/FontResolver.h"
#include "xml/CodePageTable.h"
#include "xml/XmlNav.h"

namespace {

// Stands in for the progress dialog when the host offers none: nothing to show,
// and only the process-wide flag can stop the loops.
class SilentProgress : public Progress {
public:
    void SetItemText(int, const std::string&) override {}
    void Show() override {}
    bool AbortCheck() override { return !QvSettings::Instance().abort; }
};

// The data file's name without its folder, for the progress dialog.
std::string FileNameOnly(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int32_t AbsoluteLength(const TiXmlAttribute& attribute) { return AbsoluteValue(ParseLength(attribute)); }

}  // namespace

CqvReport::CqvReport(std::string dataFileName, std::string templateFileName, PrintHost* host)
    : m_strTemplateFileName(std::move(templateFileName)), m_strDataFileName(std::move(dataFileName)), m_pHost(host) {
    Reset();
}

CqvReport::~CqvReport() {
    QvSettings::Instance().defaultStyle = nullptr;
    // Pieces link to the styles of the items that made them, and items to
    // styles: dropped in the order a reset drops them, without building the
    // fresh header and footer a reset leaves behind.
    ClearPages();
    m_pPageHeader.reset();
    m_pPageFooter.reset();
    m_blocks.Clear();
    m_styles.Clear();
}

void CqvReport::MakeHeaderAndFooter() {
    // Fresh objects rather than reset ones: a reload must not inherit the
    // attributes (height, style, width) the previous template gave them.
    m_pPageHeader = std::make_unique<CqvBlock>(qv::kTypeBlock);
    m_pPageFooter = std::make_unique<CqvBlock>(qv::kTypeFooter);
    for (CqvBlock* block : {m_pPageHeader.get(), m_pPageFooter.get()}) {
        block->SetReport(this);
        block->SetAsBlank(1);
        block->SetAbsolute();
    }
}

void CqvReport::ClearPages() {
    m_pages.clear();
    m_nPieces = 0;
    m_nForgottenThrough = 0;
    // The pieces held the pictures; a new layout decodes afresh within a fresh budget.
    m_pictures.Clear();
}

void CqvReport::Reset() {
    m_bInPreview = false;
    m_bLandscape = false;
    m_nPageHeight = kDefaultPageHeight;
    m_nPageWidth = kDefaultPageWidth;
    QvSettings::Instance().defaultStyle = nullptr;

    // Pieces link to the styles of the items that made them: drop them first.
    ClearPages();
    MakeHeaderAndFooter();

    m_strVersion.clear();
    m_nMaxPages = kDefaultMaxPages;

    m_rcMargins = QvRect{};
    m_rcPage = QvRect{};
    m_rcPrintable = QvRect{};
    m_rcBody = QvRect{};

    m_blocks.Clear();
    m_styles.Clear();
    m_nCurrentPage = 1;
    m_bPageEmpty = true;
    m_bPrepareAborted = false;
}

// ---- loading -----------------------------------------------------------------

void CqvReport::LoadTemplate() {
    Reset();
    // Only a stop request from outside counts while loading: the Cancel flag
    // belongs to the progress dialog that the layout opens next.
    XmlLoadRules rules;
    rules.stopRequested = [] { return QvSettings::Instance().Interrupted(); };
    if (m_templateText)
        m_templateDocument.LoadText(*m_templateText, m_strTemplateFileName, m_strTemplateBasePath, rules);
    else m_templateDocument.Load(m_strTemplateFileName, rules);
    const TiXmlElement* root = qv::xml::FirstChildElement(&m_templateDocument, "XmlTemplateReport");
    if (!root) throw CqvEx("Can't find root element 'XmlTemplateReport' in template ");
    ReadRootAttributes(*root);
    LoadStyles(*root);
    LoadPageHeaderAndFooter(*root);
    LoadBlocks(*root);
}

void CqvReport::ReadRootAttributes(const TiXmlElement& root) {
    for (const TiXmlAttribute* a = qv::xml::FirstAttribute(&root); a; a = qv::xml::NextAttribute(a)) {
        const std::string name = LowerAttributeName(*a);
        if (name == "qvr-version") m_strVersion = *qv::xml::AttributeValue(a);
        else if (name == "page-height") m_nPageHeight = AbsoluteLength(*a);
        else if (name == "page-width") m_nPageWidth = AbsoluteLength(*a);
        else if (name == "landscape") m_bLandscape = qv::xml::AttributeInt(a) != 0;
        else if (name == "margin-left") m_rcMargins.left = AbsoluteLength(*a);
        else if (name == "margin-right") m_rcMargins.right = AbsoluteLength(*a);
        else if (name == "margin-top") m_rcMargins.top = AbsoluteLength(*a);
        else if (name == "margin-bottom") m_rcMargins.bottom = AbsoluteLength(*a);
        else if (name == "max-pages") m_nMaxPages = qv::xml::AttributeInt(a);  // not made absolute: -5 stays -5
    }
}

void CqvReport::LoadStyles(const TiXmlElement& root) {
    const TiXmlElement* styles = qv::xml::FirstChildElement(&root, "Styles");
    if (!styles) throw CqvEx("Can't find block 'Styles' in template ");
    const TiXmlElement* element = qv::xml::FirstChildElement(styles, "Style");
    if (!element) throw CqvEx("Can't find block 'Style' in block  'Styles'");

    CqvStyle* defaultStyle = nullptr;
    for (; element; element = qv::xml::NextSiblingElement(element, "Style")) {
        auto style = std::make_unique<CqvStyle>();
        style->SetReport(this);
        style->Load(*element);
        CqvStyle* added = m_styles.Add(std::move(style));
        if (added->Name() == "default") defaultStyle = added;
    }
    QvSettings::Instance().defaultStyle = defaultStyle;
}

void CqvReport::LoadPageHeaderAndFooter(const TiXmlElement& root) {
    const TiXmlElement* header = qv::xml::FirstChildElement(&root, "PageHeader");
    if (!header) throw CqvEx("Can't find root block 'PageHeader'");
    m_pPageHeader->Load(*header);

    const TiXmlElement* footer = qv::xml::FirstChildElement(&root, "PageFooter");
    if (!footer) throw CqvEx("Can't find root block 'PageFooter'");
    m_pPageFooter->Load(*footer);

    // Header and footer are laid out anew on every page, after the page's body
    // began or ended: a page break asked for inside them would cut them short
    // on every later page.
    IgnoreStartPage(*m_pPageHeader);
    IgnoreStartPage(*m_pPageFooter);
}

void CqvReport::IgnoreStartPage(CqvBlock& block) {
    for (const auto& child : block.Children()) {
        child->SetStartPage(0);
        if (auto* nested = dynamic_cast<CqvBlock*>(child.get())) IgnoreStartPage(*nested);
    }
}

void CqvReport::LoadBlocks(const TiXmlElement& root) {
    for (const TiXmlElement* element = qv::xml::FirstChildElement(&root, "Block"); element;
         element = qv::xml::NextSiblingElement(element, "Block")) {
        std::unique_ptr<CqvBlock> block;
        if (HasAttributeNoCase(*element, "xml-element-name")) block = std::make_unique<CqvXmlBlock>();
        else block = std::make_unique<CqvBlock>(qv::kTypeBlock);
        block->SetReport(this);
        block->Load(*element);
        m_blocks.Add(std::move(block));
    }
}

void CqvReport::LoadData() {
    XmlLoadRules rules;
    rules.stopRequested = [] { return QvSettings::Instance().Interrupted(); };
    switch (QvSettings::Instance().dataTrust) {
    case QvDataTrust::Folder: rules.access = ExternalAccess::OwnFolder; break;
    case QvDataTrust::Untrusted: rules.access = ExternalAccess::None; break;
    case QvDataTrust::Trusted: rules.access = ExternalAccess::Any; break;
    }
    if (m_dataText) m_dataDocument.LoadText(*m_dataText, m_strDataFileName, m_strDataBasePath, rules);
    else m_dataDocument.Load(m_strDataFileName, rules);
}

void CqvReport::SetTemplateText(std::string text, std::string basePath) {
    m_templateText = std::move(text);
    m_strTemplateBasePath = std::move(basePath);
}

void CqvReport::SetDataText(std::string text, std::string basePath) {
    m_dataText = std::move(text);
    m_strDataBasePath = std::move(basePath);
}

bool CqvReport::LoadAll() {
    ForeignFailuresAsCqvEx([&] {
        LoadTemplate();
        LoadData();
    });

    QvSettings& settings = QvSettings::Instance();
    const int32_t dataCodePage = m_dataDocument.CodePage();
    const int32_t templateCodePage = m_templateDocument.CodePage();
    settings.dataCodePage = dataCodePage;
    settings.fontCharset = CharsetForCodePage(templateCodePage);

    const CodePageEntry* dataEntry = m_dataDocument.CodePageEntryPtr();
    const CodePageEntry* templateEntry = m_templateDocument.CodePageEntryPtr();
    const int32_t dataFamily = dataEntry ? dataEntry->family : dataCodePage;
    const int32_t templateFamily = templateEntry ? templateEntry->family : templateCodePage;
    if (dataFamily != templateFamily)
        throw CqvEx("Incompatible code pages  '" + std::to_string(dataCodePage) + "' and '" +
                    std::to_string(templateCodePage) + "'");
    // The parser hands every document's text over as UTF-8, whatever the file
    // declares. Measuring the bytes of an iso-8859-1 or us-ascii document as that
    // code page would turn every accented letter into two wrong ones, so text is
    // always measured and drawn as UTF-8 through the wide path; the declared code
    // pages still decide compatibility and the font character set.
    settings.templateCodePage = 65001;
    settings.wideText = true;
    return true;
}

// ---- pagination ----------------------------------------------------------------

void CqvReport::ComputePageGeometry() {
    const QvPaper paper = Paper();
    m_rcPage = QvRect{0, 0, paper.width, paper.height};
    m_rcPrintable.left = m_rcMargins.left;
    m_rcPrintable.top = m_rcMargins.top;
    m_rcPrintable.right = qv::Clamp32(int64_t{paper.width} - m_rcMargins.right);
    m_rcPrintable.bottom = qv::Clamp32(int64_t{paper.height} - m_rcMargins.bottom);
    m_rcBody = m_rcPrintable;
    m_rcBody.bottom = qv::Clamp32(int64_t{m_rcPrintable.bottom} - m_pPageFooter->Height());
}

std::unique_ptr<Progress> CqvReport::OpenProgress(const char* status, const QvPrintInfo& printInfo) const {
    // Opening a progress dialog clears the cancel flag.
    QvSettings::Instance().abort = false;
    std::unique_ptr<Progress> progress = m_pHost ? m_pHost->CreateProgress() : nullptr;
    if (!progress) progress = std::make_unique<SilentProgress>();
    progress->SetItemText(kProgressStatus, status);
    progress->SetItemText(kProgressDocument, FileNameOnly(m_strDataFileName));
    // In preview the preview window's printer; when printing, the dialog the
    // user confirmed. A caller that linked no dialog gets the record's own.
    const QvPrintDialog* dialog = (m_bInPreview || !printInfo.userData) ? &printInfo.dialog : printInfo.userData;
    progress->SetItemText(kProgressPrinter, dialog->deviceName);
    progress->SetItemText(kProgressPort, dialog->portName);
    progress->Show();
    return progress;
}

int32_t CqvReport::LayoutPageHeader(Surface& surface, QvPrintInfo& printInfo, QvDataElement data) {
    QvRect itemRect;
    m_pPageHeader->Reset();
    m_pPageHeader->Layout(surface, printInfo, m_rcBody.top, data, itemRect, nullptr);
    // The header takes exactly its declared height, whatever its content needs.
    return qv::Clamp32(int64_t{m_rcBody.top} + m_pPageHeader->Height());
}

void CqvReport::LayoutPageFooter(Surface& surface, QvPrintInfo& printInfo, QvDataElement data) {
    QvRect itemRect;
    m_pPageFooter->Reset();
    m_pPageFooter->Layout(surface, printInfo, m_rcBody.bottom, data, itemRect, nullptr);
}

void CqvReport::PreparePages(Surface& surface, QvPrintInfo& printInfo) {
    try {
        ForeignFailuresAsCqvEx([&] { LayOutPages(surface, printInfo, true); });
    } catch (const CqvStopped&) {
        // Stopped inside a page: as cancelled between pages, with the pages so far.
        m_bPrepareAborted = true;
        PublishPageCount(printInfo);
    }
}

void CqvReport::PreparePagesInOrder(Surface& surface, QvPrintInfo& printInfo) {
    struct HoldLimit {
        size_t& limit;
        ~HoldLimit() { limit = SIZE_MAX; }
    } restore{m_nHoldLimit};
    m_nHoldLimit = m_nHeldPieceLimit;
    PreparePages(surface, printInfo);
}

void CqvReport::DrawPagesInOrder(Surface& surface, QvPrintInfo& printInfo, const PageDrawer& drawPage) {
    if (PagesHeld()) {
        for (uint32_t page = 1; page <= m_pages.size(); ++page)
            if (!drawPage(page)) return;
        return;
    }
    if (m_bPrepareAborted) return;  // only some pages were counted: nothing to draw
    struct Drawing {
        CqvReport& report;
        ~Drawing() { report.m_pPageDrawer = nullptr; }
    } drawing{*this};
    m_pPageDrawer = &drawPage;
    m_nExpectedPages = static_cast<uint32_t>(m_pages.size());
    try {
        ForeignFailuresAsCqvEx([&] { LayOutPages(surface, printInfo, false); });
    } catch (const CqvStopped&) {
        return;
    }
    // Every page showed the count of the first layout; a different one now
    // would have printed a wrong "of Y" on every page.
    if (!m_bPrepareAborted && m_nCurrentPage != m_nExpectedPages)
        throw CqvEx("The report was laid out to " + std::to_string(m_nExpectedPages) + " pages, then to " +
                    std::to_string(m_nCurrentPage));
}

void CqvReport::PublishPageCount(QvPrintInfo& printInfo) {
    // Every page exists, even one on which nothing was placed.
    if (m_pages.size() < m_nCurrentPage) m_pages.resize(m_nCurrentPage);
    printInfo.maxPage = m_nCurrentPage;
    QvSettings::Instance().pageCount = m_nCurrentPage;
    printInfo.currentPage = 1;
}

void CqvReport::LayOutPages(Surface& surface, QvPrintInfo& printInfo, bool showProgress) {
    // Pages of an earlier preparation would otherwise be added to.
    ClearPages();
    m_bPrepareAborted = false;
    ComputePageGeometry();
    printInfo.drawRect = m_rcPage;
    // The font configuration is loaded here, at the top of the stack. Left to
    // the first text, it was loaded as deep as the blocks nest, and its own
    // parser's recursion through the configuration files met the stack's end.
    qv::platform::LoadFontConfiguration();
    // Drawing in page order shows its own progress, page by page as it draws.
    std::unique_ptr<Progress> progress =
        showProgress ? OpenProgress("Prepare print", printInfo) : std::make_unique<SilentProgress>();

    printInfo.currentPage = 0;
    m_nCurrentPage = 1;
    QvDataElement data = m_dataDocument.RootElement();
    progress->SetItemText(kProgressPage, "1");

    int32_t y = LayoutPageHeader(surface, printInfo, data);
    // Page empty means nothing of the body has been placed on this page yet: a
    // block that begins below another one on the same page finds it used, so
    // its start-page and keep-with-next rules work as they do inside a block.
    m_bPageEmpty = true;
    for (const auto& block : m_blocks) {
        QvRect itemRect;
        block->Reset();
        int32_t r = BreaksBeforeBlock(*block) ? -1 : block->Layout(surface, printInfo, y, data, itemRect, nullptr);
        while (r < 0) {
            progress->SetItemText(kProgressPage, std::to_string(m_nCurrentPage));
            LayoutPageFooter(surface, printInfo, data);
            if (!PageLaidOut()) {
                m_bPrepareAborted = true;
                break;
            }
            ++m_nCurrentPage;
            y = LayoutPageHeader(surface, printInfo, data);
            block->ContinueOnNewPage();
            m_bPageEmpty = true;
            r = block->Layout(surface, printInfo, y, data, itemRect, nullptr);
            if (int64_t{m_nCurrentPage} > m_nMaxPages)
                throw CqvEx("Pages > 'max-pages' " + std::to_string(m_nMaxPages));
            if (!progress->AbortCheck()) {
                m_bPrepareAborted = true;
                break;
            }
        }
        if (m_bPrepareAborted) break;
        y = qv::Clamp32(int64_t{y} + r);
        // The dialog also gets a chance after every top-level block, so a long
        // report of short blocks can be cancelled too.
        if (!progress->AbortCheck()) {
            m_bPrepareAborted = true;
            break;
        }
    }
    // A drawer that wanted no more pages gets no footer either.
    if (!m_pPageDrawer || !m_bPrepareAborted) {
        LayoutPageFooter(surface, printInfo, data);
        if (!m_bPrepareAborted) PageLaidOut();
    }
    PublishPageCount(printInfo);
}

bool CqvReport::BreaksBeforeBlock(CqvItem& block) {
    // A top-level block is no block's child, so the start-page rule its parent
    // would apply is applied here: once, and only below something already
    // placed on the page.
    if (!qv::TriIsTrue(block.StartPagePending()) || m_bPageEmpty || block.HasStarted()) return false;
    block.SetStartPagePending(0);
    return true;
}

bool CqvReport::PageLaidOut() {
    const uint32_t page = m_nCurrentPage;
    if (m_pages.size() < page) m_pages.resize(page);
    if (m_pPageDrawer) {
        if (page > m_nExpectedPages)
            throw CqvEx("The report was laid out to " + std::to_string(m_nExpectedPages) + " pages, then to more");
        // The drawer reads the report's current page and the settings' page
        // count, both as DrawPage after a complete layout would find them.
        const bool more = (*m_pPageDrawer)(page);
        m_nCurrentPage = page;
        ForgetPagesThrough(page);
        return more;
    }
    if (m_nForgottenThrough > 0 || m_nPieces > m_nHoldLimit) ForgetPagesThrough(page);
    return true;
}

void CqvReport::ForgetPagesThrough(uint32_t page) {
    for (uint32_t p = m_nForgottenThrough + 1; p <= page; ++p) {
        m_nPieces -= m_pages[p - 1].size();
        // Swapped out so that the list's own memory goes too.
        PieceList().swap(m_pages[p - 1]);
    }
    m_nForgottenThrough = page;
}

void CqvReport::AddPiece(std::unique_ptr<CqvPagePiece> piece) {
    const size_t page = m_nCurrentPage == 0 ? 1 : m_nCurrentPage;
    if (m_pages.size() < page) m_pages.resize(page);
    if (m_pages[page - 1].size() >= kMaxPiecesPerPage)
        throw CqvEx("Page " + std::to_string(page) + " holds more than " + std::to_string(kMaxPiecesPerPage) +
                    " pieces");
    if (m_nPieces >= kMaxPiecesPerReport)
        throw CqvEx("The report holds more than " + std::to_string(kMaxPiecesPerReport) + " pieces");
    m_pages[page - 1].push_back(std::move(piece));
    ++m_nPieces;
}

size_t CqvReport::CurrentPagePieceCount() const {
    const size_t page = m_nCurrentPage == 0 ? 1 : m_nCurrentPage;
    return m_pages.size() < page ? 0 : m_pages[page - 1].size();
}

void CqvReport::DropPiecesFrom(size_t count) {
    const size_t page = m_nCurrentPage == 0 ? 1 : m_nCurrentPage;
    if (m_pages.size() >= page && m_pages[page - 1].size() > count) {
        m_nPieces -= m_pages[page - 1].size() - count;
        m_pages[page - 1].resize(count);
    }
}

void CqvReport::DrawPage(Surface& surface, QvPrintInfo& printInfo) {
    if (printInfo.currentPage == 0 || printInfo.currentPage > m_pages.size()) return;
    // Drawing nothing would pass a blank page off as the report's.
    if (printInfo.currentPage <= m_nForgottenThrough)
        throw CqvEx("Page " + std::to_string(printInfo.currentPage) +
                    " was drawn as it was laid out and is no longer held");
    if (&printInfo != &m_printInfo) {
        m_printInfo.maxPage = printInfo.maxPage;
        m_printInfo.currentPage = printInfo.currentPage;
    }
    m_nCurrentPage = printInfo.currentPage;
    ForeignFailuresAsCqvEx([&] {
        for (const auto& piece : m_pages[printInfo.currentPage - 1]) {
            // A page may hold many pieces: the rest are left undrawn on a stop
            // request, and the caller's check between pages ends the output.
            if (QvSettings::Instance().Interrupted()) return;
            piece->Draw(surface);
        }
    });
}

// ---- printing ------------------------------------------------------------------

bool CqvReport::ApplyPageSetup(QvDevMode* devMode) const {
    if (!devMode) return false;
    devMode->fields |= kDmOrientation | kDmPaperLength | kDmPaperWidth;
    devMode->paperSize = kDmPaperUser;
    // The record holds 16 bits: larger sizes keep their low 16 bits.
    devMode->paperLength = static_cast<int16_t>(static_cast<uint16_t>(m_nPageHeight & 0xFFFF));
    devMode->paperWidth = static_cast<int16_t>(static_cast<uint16_t>(m_nPageWidth & 0xFFFF));
    devMode->orientation = m_bLandscape ? kDmOrientLandscape : kDmOrientPortrait;
    return true;
}

namespace {

// Keeps the printer attached for the length of a print job, and closes the job
// on every way out: ended when it started and every page went well, else
// aborted (also when preparing the pages failed or was cancelled).
class PrintJob {
public:
    explicit PrintJob(PrintHost& host) : m_host(host) {}
    ~PrintJob() {
        if (m_bGood) m_host.EndDoc();
        else m_host.AbortDoc();
        m_host.DetachPrinter();
    }
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    bool Good() const { return m_bGood; }
    void SetGood(bool good) { m_bGood = good; }

private:
    PrintHost& m_host;
    bool m_bGood = false;
};

}  // namespace

void CqvReport::Print() {
    Reset();
    LoadAll();
    if (!m_pHost) return;  // no printer at all: stop quietly

    QvPrintDialog dialog;
    if (!m_pHost->DefaultPrinter(dialog)) return;
    ApplyPageSetup(&dialog.devMode);
    if (!m_pHost->ShowPrintDialog(dialog)) return;

    ApplyPageSetup(&dialog.devMode);
    Surface* printer = m_pHost->AttachPrinter(dialog);
    if (!printer) throw CqvEx("Can't open printer '" + dialog.deviceName + "'");
    PrintJob job(*m_pHost);
    const bool started = m_pHost->StartDoc(kPrintJobName);

    // The link lives only as long as the dialog it points to.
    struct UserDataLink {
        QvPrintInfo& info;
        ~UserDataLink() { info.userData = nullptr; }
    } link{m_printInfo};
    m_printInfo.userData = &dialog;
    PreparePagesInOrder(*printer, m_printInfo);
    // Cancelled while preparing: nothing is printed and the empty job is aborted.
    if (m_bPrepareAborted || QvSettings::Instance().abort) return;

    job.SetGood(started);
    std::unique_ptr<Progress> progress = OpenProgress("Print", m_printInfo);
    DrawPagesInOrder(*printer, m_printInfo, [&](uint32_t page) {
        if (page < m_printInfo.minPage) return true;
        if (page > m_printInfo.maxPage || !job.Good()) return false;
        progress->SetItemText(kProgressPage, std::to_string(page));
        m_pHost->StartPage();
        m_printInfo.currentPage = page;
        DrawPage(*printer, m_printInfo);
        job.SetGood(m_pHost->EndPage());
        return progress->AbortCheck() && job.Good();
    });
}

void CqvReport::Preview() {
    Reset();
    LoadAll();
    m_bInPreview = true;
    if (!m_pHost) return;
    if (m_pHost->RunPreviewDialog(*this) == kPreviewResultPrint) Print();
}
