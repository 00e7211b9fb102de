#pragma once
// One report: a template and a data file, their documents, the page setup the
// template declares, the element tree built from it, and once prepared the
// pages as lists of recorded pieces.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/QvRect.h"
#include "elements/CqvBlock.h"
#include "elements/CqvStyle.h"
#include "elements/QvPictureStore.h"
#include "engine/CqvPagePiece.h"
#include "engine/PrintHost.h"
#include "engine/QvPrintInfo.h"
#include "xml/CqvDataDocument.h"
#include "xml/CqvXmlDocument.h"
#include "xml/NamedElementList.h"

class Surface;
class Progress;

// Defaults of the page setup: A4 portrait in tenths of a millimetre.
constexpr int32_t kDefaultPageHeight = 2970;
constexpr int32_t kDefaultPageWidth = 2100;
constexpr int32_t kDefaultMaxPages = 100;

// No report reaches these; they stop one whose items take no room, or whose
// header repeats thousands of items over a million pages, before it fills the
// memory: a page holds at most 100,000 pieces, the report 10,000,000 at once.
// Output drawn in page order holds only the pages not yet drawn, so there the
// second limit never counts pages that are gone.
constexpr size_t kMaxPiecesPerPage = 100'000;
constexpr size_t kMaxPiecesPerReport = 10'000'000;

// Output drawn once in page order (a PDF file, a printer, a series of page
// files) holds the laid-out pages up to this many pieces, some hundred
// megabytes; a larger report forgets each page once it is counted, and is laid
// out a second time to draw each page as soon as it is complete.
constexpr size_t kHeldPiecesForPageOrder = 1'000'000;

// Name of every print job.
inline constexpr const char* kPrintJobName = "Quorvane";

class CqvReport {
public:
    using PieceList = std::vector<std::unique_ptr<CqvPagePiece>>;

    // The host gives the report its printer, print dialog, preview dialog and
    // progress dialog; without one, Print and Preview only load the files.
    CqvReport(std::string dataFileName, std::string templateFileName, PrintHost* host = nullptr);
    ~CqvReport();
    CqvReport(const CqvReport&) = delete;
    CqvReport& operator=(const CqvReport&) = delete;

    // Back to the constructed state: default page setup, no elements, no pages.
    void Reset();

    void LoadTemplate();
    void LoadData();
    // Both files, the code-page check and the process-wide settings.
    bool LoadAll();

    // Lays the whole report out into pages.
    void PreparePages(Surface& surface, QvPrintInfo& printInfo);
    // Draws the page that printInfo.currentPage names; never lays anything out.
    // Raises CqvEx for a page that was drawn in page order and forgotten.
    void DrawPage(Surface& surface, QvPrintInfo& printInfo);

    // For output drawn once in page order: PreparePages, except that beyond
    // HeldPieceLimit() pieces the pages are only counted, not kept. The page
    // count and the pages' text ("Page X of Y") come out as from PreparePages.
    void PreparePagesInOrder(Surface& surface, QvPrintInfo& printInfo);
    // Calls `drawPage` with every page number in order after
    // PreparePagesInOrder; it draws the page with DrawPage and returns false
    // when it wants no more pages. Pages that were not kept are laid out again
    // on `surface` and each is handed over as soon as its footer is placed,
    // then forgotten, so memory holds one page at a time. Raises CqvEx if the
    // second layout does not give the page count of the first.
    using PageDrawer = std::function<bool(uint32_t page)>;
    void DrawPagesInOrder(Surface& surface, QvPrintInfo& printInfo, const PageDrawer& drawPage);
    // Whether the last preparation kept every page (DrawPage works on any).
    bool PagesHeld() const { return m_nForgottenThrough == 0; }
    size_t HeldPieceLimit() const { return m_nHeldPieceLimit; }
    void SetHeldPieceLimit(size_t pieces) { m_nHeldPieceLimit = pieces; }
    // Appends a piece to the current page's list; raises CqvEx beyond the
    // piece limits.
    void AddPiece(std::unique_ptr<CqvPagePiece> piece);
    // The number of pieces on the current page so far, and taking back the
    // pieces after the first `count` of them: a table row that moves whole to
    // the next page withdraws what the containers among its cells placed.
    size_t CurrentPagePieceCount() const;
    void DropPiecesFrom(size_t count);

    // Writes the page setup into a device mode; false when none is given.
    bool ApplyPageSetup(QvDevMode* devMode) const;

    void Print();
    void Preview();

    void SetPrintHost(PrintHost* host) { m_pHost = host; }
    PrintHost* Host() const { return m_pHost; }

    // The template or the data from bytes in memory instead of its file. The
    // file name stays what messages show; relative references (pictures, DTDs)
    // resolve against the folder of `basePath`, a file path that need not exist.
    void SetTemplateText(std::string text, std::string basePath);
    void SetDataText(std::string text, std::string basePath);
    // The file relative picture paths of the template resolve against.
    const std::string& TemplateBasePath() const {
        return m_templateText ? m_strTemplateBasePath : m_strTemplateFileName;
    }

    const std::string& TemplateFileName() const { return m_strTemplateFileName; }
    const std::string& DataFileName() const { return m_strDataFileName; }
    CqvDataDocument& DataDocument() { return m_dataDocument; }
    CqvXmlDocument& TemplateDocument() { return m_templateDocument; }

    bool PageEmpty() const { return m_bPageEmpty; }
    void SetPageEmpty(bool empty) { m_bPageEmpty = empty; }
    uint32_t CurrentPage() const { return m_nCurrentPage; }

    CqvBlock& PageHeader() { return *m_pPageHeader; }
    CqvBlock& PageFooter() { return *m_pPageFooter; }
    const CqvBlock& PageFooter() const { return *m_pPageFooter; }
    NamedElementList<CqvBlock>& Blocks() { return m_blocks; }
    NamedElementList<CqvStyle>& Styles() { return m_styles; }
    // The first style of that exact name, or none.
    CqvStyle* FindStyle(const std::string& name) const { return m_styles.Find(name); }

    QvPrintInfo& PrintInfo() { return m_printInfo; }
    // Every picture the report decoded, each file once.
    QvPictureStore& Pictures() { return m_pictures; }

    const std::string& Version() const { return m_strVersion; }
    int32_t PageHeight() const { return m_nPageHeight; }
    int32_t PageWidth() const { return m_nPageWidth; }
    bool Landscape() const { return m_bLandscape; }
    // The paper the page setup prints on, turned for landscape.
    QvPaper Paper() const { return PaperOf(m_nPageWidth, m_nPageHeight, m_bLandscape); }
    // Left, top, right and bottom margins.
    const QvRect& Margins() const { return m_rcMargins; }
    int32_t MaxPages() const { return m_nMaxPages; }
    bool InPreview() const { return m_bInPreview; }

    // Geometry of the last PreparePages, in positive distances from the paper's
    // top-left corner.
    const QvRect& PageRect() const { return m_rcPage; }
    const QvRect& BodyArea() const { return m_rcBody; }
    const QvRect& PrintableArea() const { return m_rcPrintable; }

    // Recorded pages: index = page number - 1.
    size_t PageCount() const { return m_pages.size(); }
    const PieceList& PagePieces(size_t pageIndex) const { return m_pages.at(pageIndex); }

private:
    void ReadRootAttributes(const TiXmlElement& root);
    void LoadStyles(const TiXmlElement& root);
    void LoadPageHeaderAndFooter(const TiXmlElement& root);
    // Header and footer items never break the page.
    static void IgnoreStartPage(CqvBlock& block);
    void LoadBlocks(const TiXmlElement& root);
    void MakeHeaderAndFooter();
    void ClearPages();

    void LayOutPages(Surface& surface, QvPrintInfo& printInfo, bool showProgress);
    void PublishPageCount(QvPrintInfo& printInfo);
    // After the footer of the current page: hands the page to the drawer of
    // DrawPagesInOrder, or forgets it when pages are only counted. False when
    // the drawer wants no more pages.
    bool BreaksBeforeBlock(CqvItem& block);
    bool PageLaidOut();
    void ForgetPagesThrough(uint32_t page);
    void ComputePageGeometry();
    std::unique_ptr<Progress> OpenProgress(const char* status, const QvPrintInfo& printInfo) const;
    int32_t LayoutPageHeader(Surface& surface, QvPrintInfo& printInfo, QvDataElement data);
    void LayoutPageFooter(Surface& surface, QvPrintInfo& printInfo, QvDataElement data);
    void PrintPages(Surface& printer, bool jobStarted);

    std::string m_strTemplateFileName;
    std::string m_strDataFileName;
    std::optional<std::string> m_templateText;
    std::optional<std::string> m_dataText;
    std::string m_strTemplateBasePath;
    std::string m_strDataBasePath;
    CqvDataDocument m_dataDocument;
    CqvXmlDocument m_templateDocument;
    bool m_bPageEmpty = true;
    uint32_t m_nCurrentPage = 1;
    std::unique_ptr<CqvBlock> m_pPageHeader;
    std::unique_ptr<CqvBlock> m_pPageFooter;
    NamedElementList<CqvBlock> m_blocks;
    NamedElementList<CqvStyle> m_styles;
    PrintHost* m_pHost = nullptr;
    QvPrintInfo m_printInfo;
    std::string m_strVersion;
    int32_t m_nPageHeight = kDefaultPageHeight;
    int32_t m_nPageWidth = kDefaultPageWidth;
    bool m_bLandscape = false;
    QvRect m_rcPage;
    QvRect m_rcMargins;
    QvRect m_rcBody;
    QvRect m_rcPrintable;
    int32_t m_nMaxPages = kDefaultMaxPages;
    bool m_bInPreview = false;
    // Set when the abort check stopped the last PreparePages early.
    bool m_bPrepareAborted = false;
    std::vector<PieceList> m_pages;
    QvPictureStore m_pictures;
    size_t m_nPieces = 0;  // held, on all pages
    // Pieces held before completed pages are forgotten; unlimited for
    // PreparePages, whose pages the preview draws in any order.
    size_t m_nHoldLimit = SIZE_MAX;
    size_t m_nHeldPieceLimit = kHeldPiecesForPageOrder;
    // Pages 1 to this one were forgotten (0: every page is held).
    uint32_t m_nForgottenThrough = 0;
    // While DrawPagesInOrder lays the report out again: who draws each page,
    // and the page count of the first layout.
    const PageDrawer* m_pPageDrawer = nullptr;
    uint32_t m_nExpectedPages = 0;
};
