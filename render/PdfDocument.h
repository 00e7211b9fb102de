#pragma once
// A PDF document as PdfSurface writes it, apart from what a page draws: the
// header, each page's content stream and page object as the page ends, the
// fonts and pictures every page shares as resources, and at the end the
// resources, page tree and catalogue.
//
// Objects are written as they are made (a page's content at its end, the fonts
// and the document's structure at Finish), so memory stays flat however many
// pages there are, and a printer receives each page as it ends.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/FontResolver.h"
#include "render/OutputFile.h"
#include "render/PdfObjectWriter.h"

namespace qv::platform {
struct DecodedPicture;
}

namespace qv::render {

class PdfFont;

class PdfDocument {
public:
    using WriteFunction = PdfObjectWriter::WriteFunction;

    // A document written to `path` under a temporary name, put in place by
    // Finish; `threads` as PdfObjectWriter takes them (at least one).
    static PdfDocument File(const std::string& path, int32_t paperWidth, int32_t paperHeight, int threads);
    // A document handed to `write`; `name` stands for it in messages.
    static PdfDocument Stream(WriteFunction write, const std::string& name, int32_t paperWidth, int32_t paperHeight,
                              int threads);

    PdfDocument(PdfDocument&&) noexcept;
    PdfDocument& operator=(PdfDocument&&) noexcept;
    ~PdfDocument();

    const std::string& Name() const { return m_name; }
    int32_t PaperWidth() const { return m_paperWidth; }
    int32_t PaperHeight() const { return m_paperHeight; }

    // Writes a page whose content stream is `content` and hands it on.
    // Raises CqvEx when the output cannot be written, naming it.
    void AddPage(const std::string& content);
    // Writes the resources, page tree and catalogue and puts a file in place.
    void Finish();

    // The embedded font that draws `resolved`; a file that cannot be embedded
    // is drawn with a substitute of `weight` and `italic`.
    PdfFont& EmbeddedFont(const qv::platform::ResolvedFont& resolved, int32_t weight, bool italic);
    // The resource of `font` at em height `em`, numbered document-wide.
    size_t FontResource(PdfFont& font, double em);
    // The number N of resource ImN that draws `picture`, written the first
    // time it is asked for.
    int PictureResource(const qv::platform::DecodedPicture& picture);

private:
    PdfDocument(std::string name, int32_t paperWidth, int32_t paperHeight);
    void Start(WriteFunction write, int threads);
    void RaiseIfWriteFailed();
    std::string Resources() const;
    std::string PageTree() const;

    std::string m_name;  // the file or stream named in messages
    int32_t m_paperWidth = 0;
    int32_t m_paperHeight = 0;
    std::unique_ptr<OutputFile> m_file;  // none when streaming
    std::unique_ptr<PdfObjectWriter> m_writer;
    int m_pagesObject = 0;
    int m_resourcesObject = 0;
    std::vector<int> m_pageObjects;

    // Embedded fonts by file, in the order of first use; resources are named
    // F1, F2 ... across the document.
    std::vector<std::unique_ptr<PdfFont>> m_fonts;
    std::map<const qv::platform::FontFile*, PdfFont*> m_fontByFile;
    int m_fontResources = 0;
    // Pictures written so far: by picture id, their resource number (Im1 …) and object.
    std::map<uint64_t, std::pair<int, int>> m_pictures;
};

}  // namespace qv::render
