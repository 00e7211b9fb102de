#include "render/PdfDocument.h"

#include <algorithm>
#include <utility>

#include "common/CqvEx.h"
#include "platform/PictureDecoder.h"
#include "render/FontPlacement.h"
#include "render/PdfFont.h"
#include "render/PdfFontSubset.h"
#include "render/PdfNumber.h"
#include "render/PdfPicture.h"

namespace qv::render {

namespace {

// libdeflate level of every stream. Measured on the 10,000-row benchmark's
// 668 page contents (6.05 MB): level 1 leaves 1.51 MB in 0.07 s, level 4
// 1.39 MB in 0.07-0.09 s, level 6 1.37 MB in 0.15 s, level 9 1.36 MB in
// 0.3 s (zlib at 6: 1.38 MB in 0.22 s). Level 4 is as fast as the fastest.
constexpr int kContentLevel = 4;
// Fonts and pictures are written once each: level 9 keeps the demos with
// pictures no larger than zlib at 6 made them (at 6 they grew by 0.7%).
constexpr int kStreamLevel = 9;
// A family whose file cannot be embedded (a Type 1 font) draws with this one:
// its text stays on the page and can be copied.
constexpr const char* kSubstituteFamily = "Liberation Sans";

void AppendPaperSize(std::string& out, int32_t width, int32_t height) {
    out += "[0 0 ";
    AppendNumber(out, width * kPointsPerUnit, 3);
    out += ' ';
    AppendNumber(out, height * kPointsPerUnit, 3);
    out += ']';
}

void AppendReference(std::string& out, int object) {
    AppendInt(out, object);
    out += " 0 R";
}

}  // namespace

PdfDocument::PdfDocument(std::string name, int32_t paperWidth, int32_t paperHeight)
    : m_name(std::move(name)), m_paperWidth(paperWidth), m_paperHeight(paperHeight) {
    if (paperWidth <= 0 || paperHeight <= 0)
        throw CqvEx("The paper size " + std::to_string(paperWidth) + " x " + std::to_string(paperHeight) +
                    " cannot be drawn");
}

PdfDocument::PdfDocument(PdfDocument&&) noexcept = default;
PdfDocument& PdfDocument::operator=(PdfDocument&&) noexcept = default;
PdfDocument::~PdfDocument() = default;

void PdfDocument::Start(WriteFunction write, int threads) {
    m_writer = std::make_unique<PdfObjectWriter>(std::move(write), kContentLevel, kStreamLevel, threads);
    m_writer->WriteHeader();
    // Every page names its parent and the shared resources before they exist.
    m_pagesObject = m_writer->Reserve();
    m_resourcesObject = m_writer->Reserve();
}

PdfDocument PdfDocument::File(const std::string& path, int32_t paperWidth, int32_t paperHeight, int threads) {
    PdfDocument d(path, paperWidth, paperHeight);
    d.m_file = std::make_unique<OutputFile>(path);
    OutputFile* file = d.m_file.get();
    d.Start([file](const unsigned char* data, size_t length) { return file->Write(data, length); }, threads);
    return d;
}

PdfDocument PdfDocument::Stream(WriteFunction write, const std::string& name, int32_t paperWidth, int32_t paperHeight,
                                int threads) {
    PdfDocument d(name, paperWidth, paperHeight);
    d.Start(std::move(write), threads);
    return d;
}

void PdfDocument::RaiseIfWriteFailed() {
    if (!m_writer->Failed()) return;
    // A file tells why with the system's reason; a stream only that it failed.
    if (m_file) m_file->Close();
    throw CqvEx("Drawing on \"" + m_name + "\" failed: error while writing to output stream");
}

void PdfDocument::AddPage(const std::string& content) {
    const int contents = m_writer->Reserve();
    m_writer->WriteContentStream(contents, content);
    const int page = m_writer->Reserve();
    std::string body = "<< /Type /Page /Parent ";
    AppendReference(body, m_pagesObject);
    body += " /Resources ";
    AppendReference(body, m_resourcesObject);
    body += " /Contents ";
    AppendReference(body, contents);
    body += " >>";
    m_writer->WriteObject(page, body);
    m_pageObjects.push_back(page);
    m_writer->Flush();
    RaiseIfWriteFailed();
}

void PdfDocument::Finish() {
    PdfObjectWriter& w = *m_writer;
    for (const auto& font : m_fonts) font->Write(w);
    w.WriteObject(m_resourcesObject, Resources());
    w.WriteObject(m_pagesObject, PageTree());

    const int catalog = w.Reserve();
    std::string root = "<< /Type /Catalog /Pages ";
    AppendReference(root, m_pagesObject);
    // The header went out before the first page, when the fonts were not yet
    // known; the catalog raises the version for what only a later one allows.
    if (std::any_of(m_fonts.begin(), m_fonts.end(), [](const auto& f) { return f->WroteOpenTypeProgram(); }))
        root += " /Version /1.6";
    root += " >>";
    w.WriteObject(catalog, root);
    const int info = w.Reserve();
    w.WriteObject(info, "<< /Producer (Quorvane) /Creator (Quorvane) >>");
    w.Finish(catalog, info);
    RaiseIfWriteFailed();
    if (m_file) m_file->Commit();
}

std::string PdfDocument::Resources() const {
    std::string resources = "<< /ProcSet [/PDF /Text /ImageB /ImageC]";
    if (m_fontResources > 0) {
        // By resource number, so the dictionary reads F1, F2, ...
        std::vector<std::pair<int, int>> fonts;  // number, object
        for (const auto& font : m_fonts)
            for (size_t r = 0; r < font->ResourceCount(); ++r)
                fonts.emplace_back(font->ResourceNumber(r), font->ObjectOf(r));
        std::sort(fonts.begin(), fonts.end());
        resources += " /Font <<";
        for (const auto& [number, object] : fonts) {
            resources += " /F";
            AppendInt(resources, number);
            resources += ' ';
            AppendReference(resources, object);
        }
        resources += " >>";
    }
    if (!m_pictures.empty()) {
        resources += " /XObject <<";
        for (const auto& [id, picture] : m_pictures) {
            resources += " /Im";
            AppendInt(resources, picture.first);
            resources += ' ';
            AppendReference(resources, picture.second);
        }
        resources += " >>";
    }
    resources += " >>";
    return resources;
}

std::string PdfDocument::PageTree() const {
    std::string pages = "<< /Type /Pages /Kids [";
    for (size_t i = 0; i < m_pageObjects.size(); ++i) {
        pages += (i % 10 == 0) ? '\n' : ' ';
        AppendReference(pages, m_pageObjects[i]);
    }
    pages += "\n] /Count ";
    AppendInt(pages, static_cast<int64_t>(m_pageObjects.size()));
    pages += " /MediaBox ";
    AppendPaperSize(pages, m_paperWidth, m_paperHeight);
    pages += " >>";
    return pages;
}

PdfFont& PdfDocument::EmbeddedFont(const qv::platform::ResolvedFont& resolved, int32_t weight, bool italic) {
    auto found = m_fontByFile.find(resolved.file.get());
    if (found != m_fontByFile.end()) return *found->second;
    std::shared_ptr<const qv::platform::FontFile> file = resolved.file;
    if (!CanEmbedFontProgram(*file)) {
        const qv::platform::ResolvedFont substitute = qv::platform::ResolveFont(kSubstituteFamily, weight, italic);
        if (CanEmbedFontProgram(*substitute.file)) file = substitute.file;
        else throw CqvEx("The font file \"" + file->Path() + "\" cannot be embedded in a PDF document");
    }
    // Two families may come to the same file (a substitute among them).
    auto same =
        std::find_if(m_fonts.begin(), m_fonts.end(), [&](const auto& font) { return &font->File() == file.get(); });
    PdfFont* font = same != m_fonts.end() ? same->get() : m_fonts.emplace_back(std::make_unique<PdfFont>(file)).get();
    m_fontByFile.emplace(resolved.file.get(), font);
    return *font;
}

size_t PdfDocument::FontResource(PdfFont& font, double em) {
    const size_t before = font.ResourceCount();
    const size_t resource = font.ResourceFor(em, m_fontResources + 1);
    if (font.ResourceCount() > before) ++m_fontResources;
    return resource;
}

int PdfDocument::PictureResource(const qv::platform::DecodedPicture& picture) {
    auto [entry, isNew] = m_pictures.try_emplace(picture.id, 0, 0);
    if (isNew) {
        entry->second.first = static_cast<int>(m_pictures.size());
        entry->second.second = m_writer->Reserve();
        WritePicture(*m_writer, entry->second.second, picture);
    }
    return entry->second.first;
}

}  // namespace qv::render
