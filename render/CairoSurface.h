#pragma once
// The engine's drawing surface on Cairo: one PNG, SVG or PostScript file per
// page, or an in-memory ARGB32 image (the preview). PDF documents have a
// writer of their own, PdfSurface.
//
// Logical units are 0.1 mm with y upward and the paper's top at y = 0. A
// logical point (x, y) lands at (x × f, −y × f) on the page, where f is 72/254
// PostScript points per unit on vector targets and dpi/254 pixels per unit on
// PNG pages; the in-memory image takes any scale and pixel offset.
//
// Text is drawn with the font files of the platform's font module at the
// positions the engine measured, with its UTF-8 text attached, so that vector
// files embed the measured font.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/FontResolver.h"
#include "render/CairoHandles.h"
#include "render/FontPlacement.h"
#include "render/GlyphPlacement.h"
#include "render/OutputFile.h"
#include "render/PaintingSurface.h"

class CairoSurface : public PaintingSurface {
public:
    enum class Target { Png, Svg, PostScript, Image };

    // A PNG page holds at most this many pixels (400 MB while it is drawn, a
    // few seconds to write): A0 paper at 250 dpi. A larger page is refused
    // before anything is allocated.
    static constexpr int64_t kMaxPagePixels = 100'000'000;
    // Raster fills larger than this many pixels (16 MB, milliseconds) are
    // drawn in bands, so that a stop request is seen between them.
    static constexpr double kFillBandPixels = 4'000'000;

    // One file per page, named by PageFileName once Finish knows the page count.
    // Paper size in logical units (2100 × 2970 is A4).
    static CairoSurface Png(const std::string& path, int32_t paperWidth, int32_t paperHeight, double dpi);
    // The same PNG pages handed to `page` as each one ends, byte for byte
    // what Png writes to a file, instead of files.
    using PngPageFunction = std::function<void(std::vector<unsigned char>&& png)>;
    static CairoSurface PngPages(PngPageFunction page, int32_t paperWidth, int32_t paperHeight, double dpi);
    static CairoSurface Svg(const std::string& path, int32_t paperWidth, int32_t paperHeight);
    static CairoSurface PostScript(const std::string& path, int32_t paperWidth, int32_t paperHeight);
    // An ARGB32 image of its own: logical (x, y) lands on pixel
    // (x × scale + offsetX, −y × scale + offsetY).
    static CairoSurface Image(int width, int height, double scale, double offsetX, double offsetY);
    // The same over pixels the caller owns (a QImage's premultiplied ARGB32
    // buffer), which must outlive the surface.
    static CairoSurface ImageOnBuffer(unsigned char* data, int width, int height, int stride, double scale,
                                      double offsetX, double offsetY);

    // The file of page `page` (1-based) of a per-page output: the path itself
    // when there is one page, else NAME-page.EXT ("out.png" → "out-2.png").
    static std::string PageFileName(const std::string& path, int page, int pageCount);

    CairoSurface(CairoSurface&&) noexcept;
    ~CairoSurface() override;

    // Page control. Drawing without a started page starts one. Raise CqvEx when
    // an output cannot be written, naming the file.
    void StartPage();
    void EndPage();
    // Ends an open page, completes the output and puts every file in its
    // place; before Finish nothing is visible under the output's names. An
    // abandoned surface (destroyed without Finish) leaves no file behind.
    void Finish();
    int PageCount() const { return m_pagesDone; }
    Target GetTarget() const { return m_target; }
    // Asked while a raster page is filled and while it is compressed into its
    // PNG file, which take seconds for a page of many megapixels: true
    // abandons the page and raises CqvStopped.
    void SetStopCheck(std::function<bool()> stopRequested) { m_stopRequested = std::move(stopRequested); }

    // The in-memory image's pixels (premultiplied ARGB32 in native-endian
    // 32-bit words); null for file targets. Flushes pending drawing first.
    unsigned char* ImageData();
    int ImageStride() const;
    int ImageWidth() const;
    int ImageHeight() const;

private:
    void FontChanged() override { m_selected.reset(); }
    // The font the selected QvFontSpec names, resolved when text is first drawn with it.
    struct SelectedFont {
        qv::platform::ResolvedFont font;  // the first of `faces`
        std::shared_ptr<const qv::platform::FontFaces> faces;
        // Cairo's face for each of `faces`, made when it first draws; owned
        // by the process-wide face cache.
        std::vector<cairo_font_face_t*> cairoFaces;
        qv::render::FontPlacement placement;  // logical units
    };

    CairoSurface(Target target, std::string path, int32_t paperWidth, int32_t paperHeight, double scale, double offsetX,
                 double offsetY);

    bool IsRaster() const { return m_target == Target::Png || m_target == Target::Image; }
    double DevX(double x) const { return x * m_scale + m_offsetX; }
    double DevY(double y) const { return -y * m_scale + m_offsetY; }
    // A rectangle in device space: x0 < x1 and y0 < y1 (y downward).
    using DeviceRect = PaintBox;
    DeviceRect ToDevice(const QvRect& rect) const;
    cairo_t* Context();
    void OpenPageSurface();
    void RemoveStalePages(int pageCount) const;
    void CheckStatus(cairo_status_t status, qv::render::OutputFile* file);
    SelectedFont& Font();
    cairo_font_face_t* CairoFace(SelectedFont& font, size_t face);
    void SetSourceColor(QvColor color);
    void FillDeviceRect(const DeviceRect& rect, QvColor color);
    void FillDeviceBand(const DeviceRect& rect, QvColor color);
    void StrokePixelLine(const PenLine& line);
    void DrawGlyphs(int32_t x, int32_t top, std::u16string_view text, const int32_t* advances);

    // PaintingSurface
    void OpenPage() override { Context(); }
    PaintBox BoxOf(const QvRect& rect) const override { return ToDevice(rect); }
    void FillBox(const PaintBox& box, QvColor color) override { FillDeviceRect(box, color); }
    void FrameBox(const PaintBox& box) override;
    // On paper the lines of one pen go out as one stroke; pixels keep one
    // stroke per line, whose ends the tests count exactly.
    void StrokeLines(std::span<const PenLine> lines) override;
    bool BatchesLines() const override { return !IsRaster(); }
    // Vector targets only: there a repeated fill adds to the file, on pixels
    // it costs next to nothing.
    bool RemembersFills() const override { return !IsRaster(); }
    void DrawText(int32_t x, int32_t top, unsigned options, const PaintBox& clip, std::u16string_view text,
                  const int32_t* advances) override;
    // A JPEG picture goes into a PostScript page as the JPEG file itself.
    void DrawPictureSlice(const std::shared_ptr<const qv::platform::DecodedPicture>& picture, const PaintBox& dest,
                          int32_t top, int32_t height) override;
    void FillTextBand(int32_t x, int64_t width, const qv::render::TextBand& band) override;

    Target m_target;
    std::string m_path;
    int32_t m_paperWidth = 0;
    int32_t m_paperHeight = 0;
    double m_scale = 1;    // device units per logical unit
    double m_offsetX = 0;  // device position of logical x = 0
    double m_offsetY = 0;  // device position of logical y = 0 (the paper's top)
    int m_pixelWidth = 0;  // raster page or image size
    int m_pixelHeight = 0;

    // The page being drawn or the in-memory image; per-page targets make one surface per page.
    qv::render::CairoSurfacePtr m_surface;
    qv::render::CairoContextPtr m_cr;
    // Per-page outputs, closed at EndPage and renamed into place by Finish.
    std::vector<std::unique_ptr<qv::render::OutputFile>> m_pageFiles;
    PngPageFunction m_pngPage;  // PNG pages go here, not to files, when set

    bool m_pageOpen = false;
    bool m_finished = false;
    int m_pagesDone = 0;
    std::function<bool()> m_stopRequested;

    std::optional<SelectedFont> m_selected;
    std::vector<qv::render::PlacedGlyph> m_placed;  // of the line being drawn
    // The pictures drawn so far, by their id; released with the surface.
    std::map<uint64_t, qv::render::CairoSurfacePtr> m_pictures;
};
