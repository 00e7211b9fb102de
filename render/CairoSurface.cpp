#include "render/CairoSurface.h"

#include <cairo-ps.h>
#include <cairo-svg.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <utility>

#include "common/CqvEx.h"
#include "common/CqvStopped.h"
#include "platform/PictureDecoder.h"
#include "platform/FontFaces.h"
#include "render/CairoFontFace.h"
#include "render/FontPlacement.h"
#include "render/PdfNumber.h"
#include "render/Utf16Text.h"

using qv::render::CairoContextPtr;
using qv::render::CairoFontOptionsPtr;
using qv::render::CairoSurfacePtr;
using qv::render::OutputFile;
using qv::render::AppendUtf8;
using qv::render::kPointsPerUnit;

namespace {

cairo_status_t StatusOf(cairo_surface_t* s) { return s ? cairo_surface_status(s) : CAIRO_STATUS_NULL_POINTER; }

cairo_status_t AppendToVector(void* closure, const unsigned char* data, unsigned int length) {
    auto& bytes = *static_cast<std::vector<unsigned char>*>(closure);
    bytes.insert(bytes.end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

CairoSurface::CairoSurface(Target target, std::string path, int32_t paperWidth, int32_t paperHeight, double scale,
                           double offsetX, double offsetY)
    : m_target(target),
      m_path(std::move(path)),
      m_paperWidth(paperWidth),
      m_paperHeight(paperHeight),
      m_scale(scale),
      m_offsetX(offsetX),
      m_offsetY(offsetY) {
    if (target != Target::Image && (paperWidth <= 0 || paperHeight <= 0))
        throw CqvEx("The paper size " + std::to_string(paperWidth) + " x " + std::to_string(paperHeight) +
                    " cannot be drawn");
}

CairoSurface::CairoSurface(CairoSurface&&) noexcept = default;

CairoSurface::~CairoSurface() {
    // Cairo may still write when a surface is destroyed, so the surfaces go
    // before the files they write to; the files then remove themselves.
    m_cr.reset();
    m_surface.reset();
}

CairoSurface CairoSurface::Png(const std::string& path, int32_t paperWidth, int32_t paperHeight, double dpi) {
    if (!(dpi > 0) || dpi > 10000) {
        std::string number;  // to_string would write the locale's decimal comma
        qv::render::AppendNumber(number, dpi, 3);
        throw CqvEx("The resolution " + number + " dpi cannot be drawn");
    }
    CairoSurface s(Target::Png, path, paperWidth, paperHeight, dpi / 254.0, 0, 0);
    s.m_pixelWidth = static_cast<int>(std::lround(paperWidth * s.m_scale));
    s.m_pixelHeight = static_cast<int>(std::lround(paperHeight * s.m_scale));
    const double width = std::round(paperWidth * s.m_scale), height = std::round(paperHeight * s.m_scale);
    if (width < 1 || height < 1 || width > 32767 || height > 32767)
        throw CqvEx("A page of " + std::to_string(int64_t(width)) + " x " + std::to_string(int64_t(height)) +
                    " pixels cannot be drawn");
    if (width * height > double(kMaxPagePixels))
        throw CqvEx("A page of " + std::to_string(s.m_pixelWidth) + " x " + std::to_string(s.m_pixelHeight) +
                    " pixels is larger than the " + std::to_string(kMaxPagePixels) +
                    " pixels a PNG page may have; a lower resolution draws it");
    return s;
}

CairoSurface CairoSurface::PngPages(PngPageFunction page, int32_t paperWidth, int32_t paperHeight, double dpi) {
    CairoSurface s = Png("PNG in memory", paperWidth, paperHeight, dpi);
    s.m_pngPage = std::move(page);
    return s;
}

CairoSurface CairoSurface::Svg(const std::string& path, int32_t paperWidth, int32_t paperHeight) {
    return CairoSurface(Target::Svg, path, paperWidth, paperHeight, kPointsPerUnit, 0, 0);
}

CairoSurface CairoSurface::PostScript(const std::string& path, int32_t paperWidth, int32_t paperHeight) {
    return CairoSurface(Target::PostScript, path, paperWidth, paperHeight, kPointsPerUnit, 0, 0);
}

CairoSurface CairoSurface::Image(int width, int height, double scale, double offsetX, double offsetY) {
    CairoSurface s(Target::Image, {}, 0, 0, scale, offsetX, offsetY);
    s.m_surface.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (width <= 0 || height <= 0 || StatusOf(s.m_surface.get()) != CAIRO_STATUS_SUCCESS)
        throw CqvEx("An image of " + std::to_string(width) + " x " + std::to_string(height) + " pixels cannot be made");
    s.m_pixelWidth = width;
    s.m_pixelHeight = height;
    return s;
}

CairoSurface CairoSurface::ImageOnBuffer(unsigned char* data, int width, int height, int stride, double scale,
                                         double offsetX, double offsetY) {
    CairoSurface s(Target::Image, {}, 0, 0, scale, offsetX, offsetY);
    if (!data || width <= 0 || height <= 0 || stride < cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width) ||
        stride % 4 != 0)
        throw CqvEx("An image buffer of " + std::to_string(width) + " x " + std::to_string(height) + " pixels with " +
                    std::to_string(stride) + " bytes per row cannot be drawn on");
    s.m_surface.reset(cairo_image_surface_create_for_data(data, CAIRO_FORMAT_ARGB32, width, height, stride));
    s.CheckStatus(StatusOf(s.m_surface.get()), nullptr);
    s.m_pixelWidth = width;
    s.m_pixelHeight = height;
    return s;
}

std::string CairoSurface::PageFileName(const std::string& path, int page, int pageCount) {
    if (pageCount <= 1) return path;
    std::filesystem::path p(path);
    std::string name = p.stem().string() + "-" + std::to_string(page) + p.extension().string();
    return (p.parent_path() / name).string();
}

// ---- Page control --------------------------------------------------------------------

void CairoSurface::CheckStatus(cairo_status_t status, OutputFile* file) {
    if (status == CAIRO_STATUS_SUCCESS) return;
    // A write error is best told by the file itself, with the system's reason.
    if (status == CAIRO_STATUS_WRITE_ERROR && file) file->Close();
    const std::string what = m_path.empty() ? std::string("the image") : "\"" + m_path + "\"";
    throw CqvEx("Drawing on " + what + " failed: " + cairo_status_to_string(status));
}

void CairoSurface::OpenPageSurface() {
    const double widthPt = m_paperWidth * kPointsPerUnit;
    const double heightPt = m_paperHeight * kPointsPerUnit;
    switch (m_target) {
    case Target::Png:
        // Opaque: a page is white paper, and PNG viewers show no checkerboard.
        m_surface.reset(cairo_image_surface_create(CAIRO_FORMAT_RGB24, m_pixelWidth, m_pixelHeight));
        CheckStatus(StatusOf(m_surface.get()), nullptr);
        if (!m_pngPage) m_pageFiles.push_back(std::make_unique<OutputFile>(m_path));
        break;
    case Target::Svg:
        m_pageFiles.push_back(std::make_unique<OutputFile>(m_path));
        m_surface.reset(
            cairo_svg_surface_create_for_stream(OutputFile::CairoWrite, m_pageFiles.back().get(), widthPt, heightPt));
        CheckStatus(StatusOf(m_surface.get()), m_pageFiles.back().get());
        cairo_svg_surface_set_document_unit(m_surface.get(), CAIRO_SVG_UNIT_PT);
        break;
    case Target::PostScript:
        m_pageFiles.push_back(std::make_unique<OutputFile>(m_path));
        m_surface.reset(
            cairo_ps_surface_create_for_stream(OutputFile::CairoWrite, m_pageFiles.back().get(), widthPt, heightPt));
        CheckStatus(StatusOf(m_surface.get()), m_pageFiles.back().get());
        break;
    case Target::Image: break;
    }
}

void CairoSurface::StartPage() {
    if (m_finished) throw CqvEx("Drawing on \"" + m_path + "\" has already been finished");
    if (m_pageOpen) EndPage();
    OpenPageSurface();
    m_cr.reset(cairo_create(m_surface.get()));
    CheckStatus(cairo_status(m_cr.get()), nullptr);
    CairoFontOptionsPtr options(cairo_font_options_create());
    // Glyph positions come from the engine's layout; hinted metrics would move
    // them to whole pixels.
    cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(m_cr.get(), options.get());
    if (m_target == Target::Png)
        FillDeviceRect({0, 0, double(m_pixelWidth), double(m_pixelHeight)}, QvRgb(255, 255, 255));
    m_pageOpen = true;
}

namespace {

// The PNG encoder hands its output over in chunks; between them a stop request
// ends the write, as a failed write would.
struct PngWrite {
    OutputFile* file;
    const std::function<bool()>* stopRequested;
    bool stopped = false;

    static cairo_status_t Chunk(void* closure, const unsigned char* data, unsigned int length) {
        auto* write = static_cast<PngWrite*>(closure);
        if (write->stopRequested && (*write->stopRequested)()) {
            write->stopped = true;
            return CAIRO_STATUS_WRITE_ERROR;
        }
        return OutputFile::CairoWrite(write->file, data, length);
    }
};

}  // namespace

void CairoSurface::EndPage() {
    if (!m_pageOpen) StartPage();  // an empty page is still a page
    EndPageDrawing();
    m_pageOpen = false;
    ++m_pagesDone;
    CheckStatus(cairo_status(m_cr.get()), nullptr);
    switch (m_target) {
    case Target::Png: {
        m_cr.reset();
        cairo_surface_flush(m_surface.get());
        if (m_pngPage) {
            std::vector<unsigned char> png;
            CheckStatus(cairo_surface_write_to_png_stream(m_surface.get(), AppendToVector, &png), nullptr);
            m_surface.reset();
            m_pngPage(std::move(png));
            break;
        }
        OutputFile* file = m_pageFiles.back().get();
        PngWrite write{file, m_stopRequested ? &m_stopRequested : nullptr};
        const cairo_status_t status = cairo_surface_write_to_png_stream(m_surface.get(), &PngWrite::Chunk, &write);
        // The exception waits until Cairo has returned: it never crosses its frames.
        if (write.stopped) throw CqvStopped();
        CheckStatus(status, file);
        m_surface.reset();
        file->Close();
        break;
    }
    case Target::Svg:
    case Target::PostScript: {
        cairo_show_page(m_cr.get());
        m_cr.reset();
        OutputFile* file = m_pageFiles.back().get();
        cairo_surface_finish(m_surface.get());
        CheckStatus(StatusOf(m_surface.get()), file);
        m_surface.reset();
        file->Close();
        break;
    }
    case Target::Image: cairo_surface_flush(m_surface.get()); break;
    }
}

void CairoSurface::Finish() {
    if (m_finished) return;
    if (m_pageOpen) EndPage();
    m_finished = true;
    switch (m_target) {
    case Target::Png:
    case Target::Svg:
    case Target::PostScript: {
        if (m_pngPage) break;  // no files: its pages are already handed over
        const int count = static_cast<int>(m_pageFiles.size());
        for (int i = 0; i < count; ++i) m_pageFiles[i]->Commit(PageFileName(m_path, i + 1, count));
        RemoveStalePages(count);
        break;
    }
    case Target::Image:
        if (m_surface) cairo_surface_flush(m_surface.get());
        break;
    }
}

// Pages of an earlier, longer series under the same name would read as part of
// this one. They go only once the new series is complete: a failed run leaves
// the earlier series whole.
void CairoSurface::RemoveStalePages(int pageCount) const {
    for (int page = pageCount <= 1 ? 1 : pageCount + 1;; ++page) {
        const std::string stale = PageFileName(m_path, page, 2);
        std::error_code error;
        if (!std::filesystem::is_regular_file(stale, error) || !std::filesystem::remove(stale, error)) break;
    }
}

cairo_t* CairoSurface::Context() {
    if (!m_pageOpen) StartPage();
    return m_cr.get();
}

unsigned char* CairoSurface::ImageData() {
    if (m_target != Target::Image || !m_surface) return nullptr;
    cairo_surface_flush(m_surface.get());
    return cairo_image_surface_get_data(m_surface.get());
}

int CairoSurface::ImageStride() const {
    return m_target == Target::Image && m_surface ? cairo_image_surface_get_stride(m_surface.get()) : 0;
}

int CairoSurface::ImageWidth() const { return m_target == Target::Image ? m_pixelWidth : 0; }

int CairoSurface::ImageHeight() const { return m_target == Target::Image ? m_pixelHeight : 0; }

// ---- State ---------------------------------------------------------------------------

CairoSurface::SelectedFont& CairoSurface::Font() {
    if (m_selected) return *m_selected;
    const QvFontSpec& spec = CurrentFont();
    SelectedFont selected;
    selected.faces = qv::platform::ResolveFontFaces(spec.face, spec.weight, spec.italic);
    selected.font = selected.faces->Primary();
    // Fallback faces get their slots when a line first needs one: counting
    // them would look for them.
    selected.cairoFaces.assign(1, qv::render::CairoFontFaceFor(selected.font));
    selected.placement = qv::render::PlaceFont(spec, selected.font.file->OutlineMetrics());
    m_selected = selected;
    return *m_selected;
}

cairo_font_face_t* CairoSurface::CairoFace(SelectedFont& font, size_t face) {
    if (face >= font.cairoFaces.size()) font.cairoFaces.resize(face + 1, nullptr);
    if (!font.cairoFaces[face]) font.cairoFaces[face] = qv::render::CairoFontFaceFor(font.faces->Face(face));
    return font.cairoFaces[face];
}

// ---- Drawing -------------------------------------------------------------------------

CairoSurface::DeviceRect CairoSurface::ToDevice(const QvRect& rect) const {
    double x0 = DevX(rect.left), x1 = DevX(rect.right);
    double y0 = DevY(rect.top), y1 = DevY(rect.bottom);
    if (x1 < x0) std::swap(x0, x1);
    if (y1 < y0) std::swap(y0, y1);
    if (IsRaster()) {
        // Whole pixels, as a raster device fills a rectangle.
        x0 = std::round(x0), x1 = std::round(x1), y0 = std::round(y0), y1 = std::round(y1);
    }
    return {x0, y0, x1, y1};
}

void CairoSurface::SetSourceColor(QvColor color) {
    cairo_set_source_rgb(m_cr.get(), QvRed(color) / 255.0, QvGreen(color) / 255.0, QvBlue(color) / 255.0);
}

// A raster fill of a whole page writes up to the page's 400 MB, seconds on a
// busy machine: a large fill goes in bands of rows with a look at the stop
// request between them. Bands end on whole rows, so each pixel is covered as
// by one fill.
void CairoSurface::FillDeviceRect(const DeviceRect& rect, QvColor color) {
    const double width = rect.x1 - rect.x0;
    if (!IsRaster() || !m_stopRequested || !(width > 0) || width * (rect.y1 - rect.y0) <= kFillBandPixels) {
        FillDeviceBand(rect, color);
        return;
    }
    const double rows = std::max(1.0, std::floor(kFillBandPixels / width));
    for (double top = rect.y0; top < rect.y1;) {
        if (m_stopRequested()) throw CqvStopped();
        const double bottom = std::min(rect.y1, std::floor(top) + rows);
        FillDeviceBand({rect.x0, top, rect.x1, bottom}, color);
        top = bottom;
    }
}

void CairoSurface::FillDeviceBand(const DeviceRect& rect, QvColor color) {
    cairo_t* cr = m_cr.get();
    cairo_save(cr);
    SetSourceColor(color);
    cairo_rectangle(cr, rect.x0, rect.y0, rect.x1 - rect.x0, rect.y1 - rect.y0);
    cairo_fill(cr);
    cairo_restore(cr);
}

void CairoSurface::StrokeLines(std::span<const PenLine> lines) {
    if (IsRaster()) {
        for (const PenLine& line : lines) StrokePixelLine(line);
        return;
    }
    // The default pen on paper: black, 0.1 mm wide; square ends close the
    // corners where borders meet.
    cairo_t* cr = m_cr.get();
    cairo_save(cr);
    SetSourceColor(QvRgb(0, 0, 0));
    cairo_set_line_width(cr, m_scale);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
    for (const PenLine& line : lines) {
        cairo_move_to(cr, DevX(line.x0), DevY(line.y0));
        cairo_line_to(cr, DevX(line.x1), DevY(line.y1));
    }
    cairo_stroke(cr);
    cairo_restore(cr);
}

// The default pen on pixels: black, one pixel wide. It covers the pixels from
// the first point up to, but not including, the last; straight lines cover
// whole pixels exactly.
void CairoSurface::StrokePixelLine(const PenLine& line) {
    cairo_t* cr = m_cr.get();
    cairo_save(cr);
    SetSourceColor(QvRgb(0, 0, 0));
    const double ix0 = std::round(DevX(line.x0)), iy0 = std::round(DevY(line.y0));
    const double ix1 = std::round(DevX(line.x1)), iy1 = std::round(DevY(line.y1));
    cairo_set_line_width(cr, 1.0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    if (iy0 == iy1) {
        const double shift = ix1 < ix0 ? 1.0 : 0.0;
        cairo_move_to(cr, ix0 + shift, iy0 + 0.5);
        cairo_line_to(cr, ix1 + shift, iy1 + 0.5);
    } else if (ix0 == ix1) {
        const double shift = iy1 < iy0 ? 1.0 : 0.0;
        cairo_move_to(cr, ix0 + 0.5, iy0 + shift);
        cairo_line_to(cr, ix1 + 0.5, iy1 + shift);
    } else {
        cairo_move_to(cr, ix0 + 0.5, iy0 + 0.5);
        cairo_line_to(cr, ix1 + 0.5, iy1 + 0.5);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
}

void CairoSurface::FrameBox(const PaintBox& r) {
    cairo_t* cr = m_cr.get();
    FillDeviceRect(r, QvRgb(255, 255, 255));  // the default brush
    cairo_save(cr);
    SetSourceColor(QvRgb(0, 0, 0));
    if (IsRaster()) {
        // The outline takes the outermost pixels inside the rectangle, which
        // ends one pixel before its right and bottom edges.
        if (r.x1 - r.x0 <= 2 || r.y1 - r.y0 <= 2) {
            cairo_rectangle(cr, r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0);
            cairo_fill(cr);
        } else {
            cairo_set_line_width(cr, 1.0);
            cairo_rectangle(cr, r.x0 + 0.5, r.y0 + 0.5, r.x1 - r.x0 - 1, r.y1 - r.y0 - 1);
            cairo_stroke(cr);
        }
    } else {
        cairo_set_line_width(cr, m_scale);
        cairo_rectangle(cr, r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

void CairoSurface::DrawText(int32_t x, int32_t top, unsigned options, const PaintBox& clip, std::u16string_view text,
                            const int32_t* advances) {
    cairo_t* cr = m_cr.get();
    cairo_save(cr);
    if (options & kTextClipped) {
        cairo_rectangle(cr, clip.x0, clip.y0, clip.x1 - clip.x0, clip.y1 - clip.y0);
        cairo_clip(cr);
    }
    DrawGlyphs(x, top, text, advances);
    cairo_restore(cr);
}

void CairoSurface::DrawGlyphs(int32_t x, int32_t top, std::u16string_view text, const int32_t* advances) {
    SelectedFont& font = Font();
    const qv::platform::FontFaces& faces = *font.faces;
    const int64_t width = qv::render::PlaceGlyphs(
        faces, font.placement.emHeight, text, advances,
        [&](size_t face) -> const qv::platform::FontFile& { return *faces.Face(face).file; }, m_placed);

    // The text goes along as UTF-8, one cluster a glyph, so that vector files
    // can be searched and copied.
    std::vector<cairo_glyph_t> glyphs;
    std::vector<cairo_text_cluster_t> clusters;
    std::vector<size_t> utf8Start;  // where each glyph's text starts in utf8
    std::string utf8;
    glyphs.reserve(m_placed.size());
    clusters.reserve(m_placed.size());
    utf8Start.reserve(m_placed.size() + 1);
    utf8.reserve(text.size());
    // Every face sits on the first face's baseline, at the same em height.
    const double baseline = DevY(top - font.placement.ascent);
    for (const qv::render::PlacedGlyph& placed : m_placed) {
        const size_t before = utf8.size();
        AppendUtf8(utf8, placed.codePoint);
        glyphs.push_back({placed.glyph, DevX(static_cast<double>(x + placed.offset)), baseline});
        clusters.push_back({static_cast<int>(utf8.size() - before), 1});
        utf8Start.push_back(before);
    }
    utf8Start.push_back(utf8.size());

    cairo_t* cr = m_cr.get();
    cairo_set_font_size(cr, font.placement.emHeight * m_scale);
    SetSourceColor(TextColor());
    // One call per run of glyphs of one face: a Cairo call draws with one face.
    for (size_t start = 0; start < glyphs.size();) {
        size_t end = start + 1;
        while (end < glyphs.size() && m_placed[end].face == m_placed[start].face) ++end;
        cairo_set_font_face(cr, CairoFace(font, m_placed[start].face));
        cairo_show_text_glyphs(cr, utf8.data() + utf8Start[start], static_cast<int>(utf8Start[end] - utf8Start[start]),
                               glyphs.data() + start, static_cast<int>(end - start), clusters.data() + start,
                               static_cast<int>(end - start), cairo_text_cluster_flags_t(0));
        start = end;
    }
    const auto& metrics = font.font.file->OutlineMetrics();
    if ((CurrentFont().underline || CurrentFont().strikeout) && metrics)
        DrawTextDecorations(font.placement, metrics, x, top, width);
}

void CairoSurface::FillTextBand(int32_t x, int64_t width, const qv::render::TextBand& band) {
    double x0 = DevX(x), x1 = DevX(static_cast<double>(x + width));
    double y0 = DevY(band.top), y1 = DevY(band.top - band.thickness);
    if (IsRaster()) {
        // At least one pixel, so that small text keeps its underline.
        x0 = std::round(x0), x1 = std::round(x1), y0 = std::round(y0), y1 = std::round(y1);
        if (y1 <= y0) y1 = y0 + 1;
    }
    FillDeviceRect({x0, y0, x1, y1}, TextColor());
}

// ---- Pictures ------------------------------------------------------------------------

namespace {

// Cairo paints the picture's own pixels, without a copy; the image surface made
// over them holds the picture until Cairo lets the surface go, which a vector
// file does only when it has written the picture out.
struct PictureHold {
    std::shared_ptr<const qv::platform::DecodedPicture> picture;
    std::string uniqueId;
};
const cairo_user_data_key_t kPictureHoldKey{};

void ReleasePictureHold(void* hold) { std::unique_ptr<PictureHold> owned(static_cast<PictureHold*>(hold)); }

CairoSurfacePtr PictureSurface(const std::shared_ptr<const qv::platform::DecodedPicture>& picture) {
    auto* pixels = reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(picture->pixels.data()));
    CairoSurfacePtr surface(cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_ARGB32, picture->width,
                                                                picture->height, picture->Stride()));
    auto hold = std::make_unique<PictureHold>(PictureHold{picture, "quorvane-picture-" + std::to_string(picture->id)});
    if (StatusOf(surface.get()) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_set_user_data(surface.get(), &kPictureHoldKey, hold.get(), ReleasePictureHold) !=
            CAIRO_STATUS_SUCCESS)
        throw CqvEx("Can not allocate enough memory");
    PictureHold& held = *hold.release();  // the surface owns it now
    // The mime data point into the held picture, so they need no release of their own.
    cairo_surface_set_mime_data(surface.get(), CAIRO_MIME_TYPE_UNIQUE_ID,
                                reinterpret_cast<const unsigned char*>(held.uniqueId.data()), held.uniqueId.size(),
                                nullptr, nullptr);
    if (!picture->jpeg.empty())
        cairo_surface_set_mime_data(surface.get(), CAIRO_MIME_TYPE_JPEG, picture->jpeg.data(), picture->jpeg.size(),
                                    nullptr, nullptr);
    return surface;
}

}  // namespace

void CairoSurface::DrawPictureSlice(const std::shared_ptr<const qv::platform::DecodedPicture>& picture,
                                    const PaintBox& d, int32_t top, int32_t height) {
    cairo_t* cr = m_cr.get();
    // One image surface per picture for the life of this surface: a vector
    // file recognises a picture it has written by the identity attached to
    // it, and keeps looking at that identity until the file ends.
    CairoSurfacePtr& source = m_pictures[picture->id];
    if (!source) source = PictureSurface(picture);
    cairo_save(cr);
    cairo_rectangle(cr, d.x0, d.y0, d.x1 - d.x0, d.y1 - d.y0);
    cairo_clip(cr);
    // The source rows top .. top + height fill the destination; the rest of the
    // picture lies outside the clip. A vector file gets the whole picture and
    // shows the slice, so a JPEG keeps its own encoding.
    cairo_translate(cr, d.x0, d.y0);
    cairo_scale(cr, (d.x1 - d.x0) / picture->width, (d.y1 - d.y0) / height);
    cairo_set_source_surface(cr, source.get(), 0, -double(top));
    cairo_pattern_t* pattern = cairo_get_source(cr);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
    // On pixels, the edge of a slice repeats its last row instead of fading
    // into transparency; vector targets leave the edge to the viewer.
    if (IsRaster()) cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_paint(cr);
    cairo_restore(cr);
    CheckStatus(cairo_status(cr), nullptr);
}
