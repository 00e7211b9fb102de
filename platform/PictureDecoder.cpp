#include "platform/PictureDecoder.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <string_view>

#include "common/CqvEx.h"

namespace qv::platform {

namespace {

// The formats pictures of reports come in. gdk-pixbuf may have more loader
// modules installed (SVG through librsvg among them); bytes from a data file
// should not reach code that was never meant to read them.
constexpr std::array<std::string_view, 6> kFormats = {"png", "jpeg", "gif", "bmp", "ico", "tiff"};

// Bytes are handed to the loader in pieces of this size so that the size a
// picture claims is known, and judged, before most of it is decoded.
constexpr size_t kChunk = 4096;

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct GErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
using ErrorPtr = std::unique_ptr<GError, GErrorFree>;
using PixbufPtr = std::unique_ptr<GdkPixbuf, GObjectUnref>;

// The format the bytes' signature names, among those we decode; none for any
// other bytes. gdk-pixbuf would otherwise pick a loader by sniffing the bytes
// itself, and hand an SVG (or any of its other formats) to its loader before
// the format could be refused.
const char* FormatBySignature(const unsigned char* bytes, size_t count) {
    auto starts = [&](std::string_view signature) {
        return count >= signature.size() && std::memcmp(bytes, signature.data(), signature.size()) == 0;
    };
    using namespace std::string_view_literals;
    if (starts("\x89PNG\r\n\x1a\n"sv)) return "png";
    if (starts("\xFF\xD8\xFF"sv)) return "jpeg";
    if (starts("GIF87a"sv) || starts("GIF89a"sv)) return "gif";
    if (starts("BM"sv)) return "bmp";
    // Icons and cursors share a loader.
    if (starts("\0\0\1\0"sv) || starts("\0\0\2\0"sv)) return "ico";
    if (starts("II*\0"sv) || starts("MM\0*"sv)) return "tiff";
    return nullptr;
}

// A loader is always closed before it is released, as gdk-pixbuf requires.
class Loader {
public:
    // A loader of exactly that format: no other module sees the bytes.
    explicit Loader(const char* format) : m_loader(NewLoader(format)) {}
    ~Loader() {
        if (m_loader) Close();
    }
    Loader(const Loader&) = delete;
    Loader& operator=(const Loader&) = delete;

    GdkPixbufLoader* Get() const { return m_loader.get(); }
    bool Valid() const { return m_loader != nullptr; }

    bool Write(const unsigned char* bytes, size_t count) {
        GError* error = nullptr;
        const bool ok = gdk_pixbuf_loader_write(m_loader.get(), bytes, count, &error);
        ErrorPtr owned(error);
        return ok;
    }

    // False when the picture turned out incomplete or damaged.
    bool Close() {
        if (m_closed) return m_closedOk;
        m_closed = true;
        GError* error = nullptr;
        m_closedOk = gdk_pixbuf_loader_close(m_loader.get(), &error);
        ErrorPtr owned(error);
        return m_closedOk;
    }

private:
    static GdkPixbufLoader* NewLoader(const char* format) {
        GError* error = nullptr;
        GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type(format, &error);
        ErrorPtr owned(error);
        return loader;
    }

    std::unique_ptr<GdkPixbufLoader, GObjectUnref> m_loader;
    bool m_closed = false;
    bool m_closedOk = false;
};

struct SizeCheck {
    uint64_t budget = kMaxPicturePixels;
    int claimedWidth = 0;
    int claimedHeight = 0;
    bool tooLarge = false;
    bool overBudget = false;
    bool unsupported = false;
    int64_t rowsReached = 0;
};

bool SupportedFormat(GdkPixbufLoader* loader) {
    GdkPixbufFormat* format = gdk_pixbuf_loader_get_format(loader);
    if (!format) return false;
    gchar* name = gdk_pixbuf_format_get_name(format);
    const bool supported =
        name && std::find(kFormats.begin(), kFormats.end(), std::string_view(name)) != kFormats.end();
    g_free(name);
    return supported;
}

// "size-prepared": the loader knows the picture's size and has allocated and
// decoded nothing yet. A size of 0 x 0 asked for here makes every loader stop
// at once (some formats are decoded only when the loader is closed, so this is
// the one point where a refusal is sure to come first).
void OnSizePrepared(GdkPixbufLoader* loader, gint width, gint height, gpointer data) {
    auto& check = *static_cast<SizeCheck*>(data);
    check.claimedWidth = width;
    check.claimedHeight = height;
    if (!SupportedFormat(loader)) {
        check.unsupported = true;
        gdk_pixbuf_loader_set_size(loader, 0, 0);
        return;
    }
    if (width <= 0 || height <= 0) return;
    if (uint64_t(width) * uint64_t(height) > kMaxPicturePixels) {
        check.tooLarge = true;
        gdk_pixbuf_loader_set_size(loader, 0, 0);
        return;
    }
    if (uint64_t(width) * uint64_t(height) > check.budget) {
        check.overBudget = true;
        gdk_pixbuf_loader_set_size(loader, 0, 0);
        return;
    }
    if (width > kMaxPictureSide || height > kMaxPictureSide) {
        const double scale = double(kMaxPictureSide) / std::max(width, height);
        gdk_pixbuf_loader_set_size(loader, std::max(1, int(width * scale)), std::max(1, int(height * scale)));
    }
}

// "area-prepared": the pixels exist but hold nothing yet. An interlaced
// picture whose bytes end during a later pass has rows that no pass reached;
// they show white (or nothing, where the picture has transparency) rather
// than whatever the memory held.
void OnAreaPrepared(GdkPixbufLoader* loader, gpointer) {
    if (GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader)) gdk_pixbuf_fill(pixbuf, 0xFFFFFF00u);
}

// "area-updated": rows that received pixels. A picture whose rows never reach
// its bottom was cut short.
void OnAreaUpdated(GdkPixbufLoader*, gint, gint y, gint, gint height, gpointer data) {
    auto& check = *static_cast<SizeCheck*>(data);
    check.rowsReached = std::max(check.rowsReached, int64_t{y} + height);
}

// The number of colour components of a JPEG's frame, or 0 when the bytes do
// not reach a frame header.
int JpegComponents(const unsigned char* bytes, size_t count) {
    if (count < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return 0;
    size_t at = 2;
    while (at + 4 <= count) {
        if (bytes[at] != 0xFF) return 0;
        const unsigned char marker = bytes[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        const size_t length = (size_t(bytes[at + 2]) << 8) | bytes[at + 3];
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) return at + 9 < count ? bytes[at + 9] : 0;
        if (length < 2) return 0;
        at += 2 + length;
    }
    return 0;
}

bool NormalOrientation(GdkPixbuf* pixbuf) {
    const gchar* orientation = gdk_pixbuf_get_option(pixbuf, "orientation");
    return !orientation || std::strcmp(orientation, "1") == 0;
}

uint32_t Premultiplied(unsigned r, unsigned g, unsigned b, unsigned a) {
    auto mul = [a](unsigned c) { return (c * a + 127) / 255; };
    return (uint32_t(a) << 24) | (mul(r) << 16) | (mul(g) << 8) | mul(b);
}

void CopyPixels(GdkPixbuf* pixbuf, DecodedPicture& picture) {
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
    const int rowstride = gdk_pixbuf_get_rowstride(pixbuf);
    const guchar* rows = gdk_pixbuf_read_pixels(pixbuf);
    picture.pixels.resize(size_t(picture.width) * size_t(picture.height));
    uint32_t* out = picture.pixels.data();
    for (int y = 0; y < picture.height; ++y) {
        const guchar* p = rows + size_t(y) * size_t(rowstride);
        for (int x = 0; x < picture.width; ++x, p += channels)
            *out++ = Premultiplied(p[0], p[1], p[2], alpha ? p[3] : 255);
    }
}

uint64_t NextPictureId() {
    static std::atomic<uint64_t> counter{0};
    return ++counter;
}

}  // namespace

std::string PictureTooLargeMessage(uint64_t width, uint64_t height) {
    return "The picture of " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels is too large: a picture may have at most " + std::to_string(kMaxPicturePixels) + " pixels";
}

std::string PictureBudgetMessage(uint64_t width, uint64_t height) {
    return "The picture of " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels is refused: the pictures of one report may have at most " +
           std::to_string(kMaxReportPicturePixels) + " pixels together";
}

std::shared_ptr<const DecodedPicture> DecodePicture(const unsigned char* bytes, size_t count, uint64_t pixelBudget) {
    if (!bytes || count == 0) return nullptr;
    const char* format = FormatBySignature(bytes, count);
    if (!format) return nullptr;
    Loader loader(format);
    if (!loader.Valid()) return nullptr;
    SizeCheck check;
    check.budget = pixelBudget;
    const auto refuse = [&check] {
        if (check.tooLarge)
            throw CqvEx(PictureTooLargeMessage(uint64_t(check.claimedWidth), uint64_t(check.claimedHeight)));
        if (check.overBudget)
            throw CqvEx(PictureBudgetMessage(uint64_t(check.claimedWidth), uint64_t(check.claimedHeight)));
    };
    g_signal_connect(loader.Get(), "size-prepared", G_CALLBACK(OnSizePrepared), &check);
    g_signal_connect(loader.Get(), "area-prepared", G_CALLBACK(OnAreaPrepared), nullptr);
    g_signal_connect(loader.Get(), "area-updated", G_CALLBACK(OnAreaUpdated), &check);

    for (size_t at = 0; at < count; at += kChunk) {
        const bool written = loader.Write(bytes + at, std::min(kChunk, count - at));
        refuse();
        if (!written || check.unsupported) return nullptr;
    }
    if (!loader.Close() || check.tooLarge || check.overBudget || check.unsupported) {
        refuse();
        return nullptr;
    }

    GdkPixbuf* decoded = gdk_pixbuf_loader_get_pixbuf(loader.Get());  // owned by the loader
    if (!decoded || !SupportedFormat(loader.Get()) || check.rowsReached < gdk_pixbuf_get_height(decoded) ||
        gdk_pixbuf_get_bits_per_sample(decoded) != 8 || gdk_pixbuf_get_n_channels(decoded) < 3)
        return nullptr;
    const bool normal = NormalOrientation(decoded);
    // Photographs often say how the camera was held; the picture is shown upright.
    PixbufPtr upright(normal ? GDK_PIXBUF(g_object_ref(decoded)) : gdk_pixbuf_apply_embedded_orientation(decoded));
    if (!upright) return nullptr;

    auto picture = std::make_shared<DecodedPicture>();
    picture->width = gdk_pixbuf_get_width(upright.get());
    picture->height = gdk_pixbuf_get_height(upright.get());
    if (picture->width <= 0 || picture->height <= 0) return nullptr;
    CopyPixels(upright.get(), *picture);
    picture->id = NextPictureId();

    // A PDF embeds the JPEG unchanged only when the file shows exactly these
    // pixels: upright, unscaled, and grey or RGB (CMYK files differ in how
    // their inks are to be read).
    const bool jpeg = check.claimedWidth == picture->width && check.claimedHeight == picture->height && normal;
    if (jpeg) {
        GdkPixbufFormat* format = gdk_pixbuf_loader_get_format(loader.Get());
        gchar* name = format ? gdk_pixbuf_format_get_name(format) : nullptr;
        const int components = JpegComponents(bytes, count);
        if (name && std::string_view(name) == "jpeg" && (components == 1 || components == 3))
            picture->jpeg.assign(bytes, bytes + count);
        g_free(name);
    }
    return picture;
}

}  // namespace qv::platform
