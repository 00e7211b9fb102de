// Draws the pictures of the demonstration reports: one dog per breed for the
// dog register, lighthouses for the base64 demo, a book cover and a small
// emblem. Flat colours keep each PNG at a few kilobytes.
//
// Not part of the build; the pictures it makes are committed. To draw them again:
//   g++ -std=c++20 -O2 docs/art/draw_demo_pictures.cpp $(pkg-config --cflags --libs cairo) -o /tmp/draw
//   /tmp/draw OUTDIR
// then copy OUTDIR/dogs/*.png to DemoFiles/images/ and embed the others with
// `base64 -w 76` where the data files hold them.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using SurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using ContextPtr = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

struct Rgb {
    double r, g, b;
};

Rgb Hex(unsigned v) { return {((v >> 16) & 255) / 255.0, ((v >> 8) & 255) / 255.0, (v & 255) / 255.0}; }

void SetColor(cairo_t* cr, Rgb c) { cairo_set_source_rgb(cr, c.r, c.g, c.b); }

void Ellipse(cairo_t* cr, double cx, double cy, double rx, double ry, double angle = 0) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
}

void FillEllipse(cairo_t* cr, Rgb c, double cx, double cy, double rx, double ry, double angle = 0) {
    Ellipse(cr, cx, cy, rx, ry, angle);
    SetColor(cr, c);
    cairo_fill(cr);
}

void RoundRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void FillPolygon(cairo_t* cr, Rgb c, const std::vector<std::pair<double, double>>& pts) {
    cairo_move_to(cr, pts[0].first, pts[0].second);
    for (size_t i = 1; i < pts.size(); ++i) cairo_line_to(cr, pts[i].first, pts[i].second);
    cairo_close_path(cr);
    SetColor(cr, c);
    cairo_fill(cr);
}

// The same stars on every run: a tiny fixed linear congruential generator.
double Scatter() {
    static uint32_t state = 12345;
    state = state * 1664525u + 1013904223u;
    return (state >> 8) / 16777216.0;
}

void Save(cairo_surface_t* s, const std::filesystem::path& path) {
    cairo_surface_write_to_png(s, path.c_str());
    std::printf("%s %ju bytes\n", path.c_str(), static_cast<uintmax_t>(std::filesystem::file_size(path)));
}

// ---------------------------------------------------------------- dogs

enum class Ears { Floppy, Pointy, Long, Folded };
enum class Tail { Straight, Bushy, Curl, Stub, Up, None };

struct Breed {
    const char* file;
    Rgb coat;
    Rgb second;      // saddle, patches or mask
    Rgb sky;         // background
    double bodyLen;  // half length of the body
    double bodyH;    // half height of the body
    double legLen;
    double headR;
    Ears ears;
    Tail tail;
    bool saddle;  // second colour over the back
    bool spots;   // second colour as spots
    bool fluffy;  // coat drawn as curls
    bool whiteChest;
};

void DrawLeg(cairo_t* cr, Rgb c, double x, double top, double len, double w) {
    RoundRect(cr, x - w / 2, top, w, len, w / 2.2);
    SetColor(cr, c);
    cairo_fill(cr);
}

void DrawDog(const Breed& b, const std::filesystem::path& dir) {
    const int W = 200, H = 150;
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, W, H), cairo_surface_destroy);
    ContextPtr cr(cairo_create(surface.get()), cairo_destroy);
    cairo_t* c = cr.get();

    SetColor(c, b.sky);
    cairo_paint(c);
    // Meadow.
    SetColor(c, Hex(0x9cc97a));
    cairo_rectangle(c, 0, 122, W, H - 122);
    cairo_fill(c);
    SetColor(c, Hex(0x86b866));
    cairo_rectangle(c, 0, 122, W, 3);
    cairo_fill(c);
    // Sun.
    FillEllipse(c, Hex(0xfff3b0), 172, 26, 13, 13);

    const double groundY = 128;
    const double legTop = groundY - b.legLen;
    const double bodyCy = legTop - b.bodyH * 0.35;
    const double bodyCx = 96;
    const double legW = std::max(8.0, b.bodyH * 0.42);
    const Rgb legColor = b.whiteChest && !b.spots ? Hex(0xf6f2ea) : b.coat;
    const Rgb farLeg{b.coat.r * 0.82, b.coat.g * 0.82, b.coat.b * 0.82};

    // Shadow.
    FillEllipse(c, Hex(0x7aa85c), bodyCx, groundY + 2, b.bodyLen + 10, 4);

    // Far legs first, a shade darker.
    DrawLeg(c, farLeg, bodyCx - b.bodyLen * 0.55 + 6, legTop - 4, b.legLen + 4, legW);
    DrawLeg(c, farLeg, bodyCx + b.bodyLen * 0.55 + 6, legTop - 4, b.legLen + 4, legW);

    // Tail, behind the body, on the left.
    const double tx = bodyCx - b.bodyLen + 4, ty = bodyCy - b.bodyH * 0.4;
    SetColor(c, b.coat);
    cairo_set_line_cap(c, CAIRO_LINE_CAP_ROUND);
    switch (b.tail) {
    case Tail::Straight:
        cairo_set_line_width(c, 7);
        cairo_move_to(c, tx, ty);
        cairo_curve_to(c, tx - 14, ty + 2, tx - 22, ty + 12, tx - 26, ty + 22);
        cairo_stroke(c);
        break;
    case Tail::Bushy: FillEllipse(c, b.coat, tx - 14, ty + 20, 8, 24, 0.5); break;
    case Tail::Curl:
        cairo_set_line_width(c, 10);
        cairo_arc(c, tx - 2, ty - 14, 12, M_PI * 0.4, M_PI * 1.9);
        cairo_stroke(c);
        break;
    case Tail::Up:
        cairo_set_line_width(c, 6);
        cairo_move_to(c, tx, ty);
        cairo_curve_to(c, tx - 10, ty - 6, tx - 14, ty - 20, tx - 12, ty - 30);
        cairo_stroke(c);
        SetColor(c, Hex(0xffffff));
        FillEllipse(c, Hex(0xffffff), tx - 12, ty - 30, 3.5, 4);
        break;
    case Tail::Stub:
        cairo_set_line_width(c, 7);
        cairo_move_to(c, tx, ty);
        cairo_line_to(c, tx - 8, ty - 6);
        cairo_stroke(c);
        break;
    case Tail::None: break;
    }

    // Body.
    if (b.fluffy) {
        for (int i = -3; i <= 3; ++i)
            for (int j = -1; j <= 1; ++j)
                FillEllipse(c, b.coat, bodyCx + i * b.bodyLen / 3.6, bodyCy + j * b.bodyH / 1.6, b.bodyH * 0.62,
                            b.bodyH * 0.62);
    } else {
        FillEllipse(c, b.coat, bodyCx, bodyCy, b.bodyLen, b.bodyH);
    }
    if (b.saddle) {
        cairo_save(c);
        Ellipse(c, bodyCx, bodyCy, b.bodyLen, b.bodyH);
        cairo_clip(c);
        FillEllipse(c, b.second, bodyCx - 6, bodyCy - b.bodyH * 0.9, b.bodyLen * 0.8, b.bodyH * 0.75);
        cairo_restore(c);
    }
    if (b.spots) {
        const double spots[][3] = {{-30, -6, 4}, {-12, 4, 3.5}, {6, -9, 4.5}, {22, 3, 3},
                                   {-22, 10, 3}, {32, -4, 3.5}, {-4, -14, 3}, {14, 11, 3.2}};
        for (auto& s : spots) FillEllipse(c, b.second, bodyCx + s[0], bodyCy + s[1], s[2], s[2] * 0.9);
    }

    // Near legs.
    DrawLeg(c, legColor, bodyCx - b.bodyLen * 0.55, legTop - 6, b.legLen + 6, legW);
    DrawLeg(c, legColor, bodyCx + b.bodyLen * 0.55, legTop - 6, b.legLen + 6, legW);
    if (b.spots) {
        FillEllipse(c, b.second, bodyCx - b.bodyLen * 0.55, legTop + b.legLen * 0.4, 2.5, 2.5);
        FillEllipse(c, b.second, bodyCx + b.bodyLen * 0.55 + 1, legTop + b.legLen * 0.6, 2.5, 2.5);
    }

    // Neck and head on the right.
    const double hx = bodyCx + b.bodyLen + b.headR * 0.35;
    const double hy = bodyCy - b.bodyH - b.headR * 0.55;
    FillPolygon(c, b.coat,
                {{bodyCx + b.bodyLen * 0.55, bodyCy - b.bodyH * 0.2},
                 {hx - b.headR * 0.7, hy},
                 {hx + b.headR * 0.3, hy + b.headR * 0.6},
                 {bodyCx + b.bodyLen * 0.95, bodyCy + b.bodyH * 0.3}});
    if (b.whiteChest)
        FillEllipse(c, Hex(0xf6f2ea), bodyCx + b.bodyLen * 0.9, bodyCy + b.bodyH * 0.05, b.bodyH * 0.45, b.bodyH * 0.7,
                    -0.3);

    // Ears behind the head for the pointy kind.
    const Rgb earColor = b.saddle ? b.second : b.coat;
    if (b.ears == Ears::Pointy) {
        FillPolygon(c, earColor,
                    {{hx - b.headR * 0.75, hy - b.headR * 0.3},
                     {hx - b.headR * 0.55, hy - b.headR * 1.9},
                     {hx + b.headR * 0.1, hy - b.headR * 0.6}});
    }
    if (b.fluffy) {
        FillEllipse(c, b.coat, hx, hy, b.headR * 1.05, b.headR);
        FillEllipse(c, b.coat, hx - 2, hy - b.headR * 0.9, b.headR * 0.7, b.headR * 0.55);
    } else {
        FillEllipse(c, b.coat, hx, hy, b.headR, b.headR * 0.92);
    }
    // Muzzle.
    const Rgb muzzle = b.whiteChest ? Hex(0xf6f2ea) : b.coat;
    FillEllipse(c, muzzle, hx + b.headR * 0.95, hy + b.headR * 0.3, b.headR * 0.75, b.headR * 0.45);
    FillEllipse(c, Hex(0x2b2220), hx + b.headR * 1.62, hy + b.headR * 0.18, b.headR * 0.2, b.headR * 0.16);
    // Eye.
    FillEllipse(c, Hex(0x2b2220), hx + b.headR * 0.35, hy - b.headR * 0.2, b.headR * 0.14, b.headR * 0.16);
    FillEllipse(c, Hex(0xffffff), hx + b.headR * 0.39, hy - b.headR * 0.25, b.headR * 0.05, b.headR * 0.05);

    switch (b.ears) {
    case Ears::Floppy:
        FillEllipse(c, earColor, hx - b.headR * 0.45, hy + b.headR * 0.1, b.headR * 0.32, b.headR * 0.7, 0.25);
        break;
    case Ears::Long:
        FillEllipse(c, earColor, hx - b.headR * 0.4, hy + b.headR * 0.45, b.headR * 0.36, b.headR * 0.95, 0.2);
        break;
    case Ears::Folded:
        FillPolygon(c, earColor,
                    {{hx - b.headR * 0.7, hy - b.headR * 0.5},
                     {hx - b.headR * 0.2, hy - b.headR * 1.2},
                     {hx + b.headR * 0.05, hy - b.headR * 0.55}});
        break;
    case Ears::Pointy: break;
    }
    // Collar.
    cairo_set_line_width(c, 3.5);
    SetColor(c, Hex(0xc0392b));
    cairo_move_to(c, hx - b.headR * 0.95, hy + b.headR * 0.55);
    cairo_line_to(c, hx - b.headR * 0.2, hy + b.headR * 1.05);
    cairo_stroke(c);

    Save(surface.get(), dir / b.file);
}

const std::vector<Breed>& Breeds() {
    static const std::vector<Breed> breeds = {
        {"labrador.png", Hex(0xdcb46a), Hex(0xdcb46a), Hex(0xdcecf7), 44, 19, 30, 16, Ears::Floppy, Tail::Straight,
         false, false, false, false},
        {"shepherd.png", Hex(0xb9803e), Hex(0x2e2a26), Hex(0xe3eef3), 46, 18, 32, 15, Ears::Pointy, Tail::Bushy, true,
         false, false, false},
        {"collie.png", Hex(0x2b2b2e), Hex(0x2b2b2e), Hex(0xe8f0e0), 40, 17, 28, 14, Ears::Folded, Tail::Bushy, false,
         false, false, true},
        {"dachshund.png", Hex(0xa0522d), Hex(0xa0522d), Hex(0xf4e9d8), 50, 14, 12, 13, Ears::Long, Tail::Straight,
         false, false, false, false},
        {"beagle.png", Hex(0xc98a45), Hex(0x2f2a27), Hex(0xe0ecf4), 38, 16, 24, 14, Ears::Long, Tail::Up, true, false,
         false, true},
        {"husky.png", Hex(0x8a9099), Hex(0x4a4f57), Hex(0xe6eef8), 42, 18, 30, 15, Ears::Pointy, Tail::Curl, true,
         false, false, true},
        {"poodle.png", Hex(0xe8c39e), Hex(0xe8c39e), Hex(0xf7e6ee), 36, 16, 32, 14, Ears::Long, Tail::Up, false, false,
         true, false},
        {"boxer.png", Hex(0xc9843f), Hex(0xc9843f), Hex(0xeaeef2), 40, 18, 32, 15, Ears::Folded, Tail::Stub, false,
         false, false, true},
        {"corgi.png", Hex(0xe08a3c), Hex(0xe08a3c), Hex(0xeef4e4), 44, 16, 14, 15, Ears::Pointy, Tail::None, false,
         false, false, true},
        {"dalmatian.png", Hex(0xfbfbf8), Hex(0x1f1f22), Hex(0xdde9f3), 42, 17, 32, 14, Ears::Floppy, Tail::Straight,
         false, true, false, false},
        {"terrier.png", Hex(0xf4f1ea), Hex(0x9c5a2c), Hex(0xf1eadb), 32, 14, 20, 12, Ears::Folded, Tail::Up, true,
         false, false, false},
    };
    return breeds;
}

// ---------------------------------------------------------------- lighthouses

struct Tower {
    const char* file;
    int width, height;
    Rgb sky, sea, band1, band2;
    int bands;
    double towerH;  // share of the picture's height the tower takes
    bool night;
};

void DrawLighthouse(const Tower& t, const std::filesystem::path& dir) {
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, t.width, t.height), cairo_surface_destroy);
    ContextPtr cr(cairo_create(surface.get()), cairo_destroy);
    cairo_t* c = cr.get();
    const double W = t.width, H = t.height;

    SetColor(c, t.sky);
    cairo_paint(c);
    if (t.night) {
        for (int i = 0; i < 40; ++i) {
            double x = Scatter() * W, y = Scatter() * H * 0.45;
            FillEllipse(c, Hex(0xfdf6d8), x, y, 1.1, 1.1);
        }
        FillEllipse(c, Hex(0xf5efd0), W * 0.8, H * 0.09, W * 0.06, W * 0.06);
    } else {
        FillEllipse(c, Hex(0xffffff), W * 0.2, H * 0.12, W * 0.12, H * 0.025);
        FillEllipse(c, Hex(0xffffff), W * 0.3, H * 0.11, W * 0.1, H * 0.03);
        FillEllipse(c, Hex(0xffffff), W * 0.78, H * 0.2, W * 0.1, H * 0.02);
    }

    // Sea and waves.
    const double seaTop = H * 0.82;
    SetColor(c, t.sea);
    cairo_rectangle(c, 0, seaTop, W, H - seaTop);
    cairo_fill(c);
    cairo_set_line_width(c, 2);
    cairo_set_source_rgba(c, 1, 1, 1, 0.55);
    for (int row = 0; row < 4; ++row) {
        double y = seaTop + 10 + row * (H - seaTop) / 4.5;
        for (double x = (row % 2) * 12; x < W; x += 26) {
            cairo_move_to(c, x, y);
            cairo_curve_to(c, x + 4, y - 4, x + 9, y - 4, x + 13, y);
            cairo_stroke(c);
        }
    }
    const double baseY = H * 0.76;
    // Rock.
    FillPolygon(c, Hex(0x6b5d52),
                {{W * 0.18, seaTop + 8}, {W * 0.3, baseY - 6}, {W * 0.62, baseY - 10}, {W * 0.82, seaTop + 8}});

    // Tower: a tapered trapezium cut into bands.
    const double topY = baseY - H * t.towerH;
    const double cx = W * 0.48, baseHalf = W * 0.16, topHalf = W * 0.1;
    cairo_save(c);
    cairo_move_to(c, cx - baseHalf, baseY);
    cairo_line_to(c, cx - topHalf, topY);
    cairo_line_to(c, cx + topHalf, topY);
    cairo_line_to(c, cx + baseHalf, baseY);
    cairo_close_path(c);
    cairo_clip(c);
    for (int i = 0; i < t.bands; ++i) {
        SetColor(c, i % 2 ? t.band2 : t.band1);
        double y0 = topY + (baseY - topY) * i / t.bands;
        cairo_rectangle(c, 0, y0, W, (baseY - topY) / t.bands + 1);
        cairo_fill(c);
    }
    // Shade on the right side.
    cairo_set_source_rgba(c, 0, 0, 0, 0.12);
    cairo_rectangle(c, cx + topHalf * 0.35, topY, W, baseY - topY);
    cairo_fill(c);
    // Windows.
    for (int i = 1; i < 5; ++i) {
        SetColor(c, Hex(0x33404d));
        double y = topY + (baseY - topY) * i / 5.2;
        RoundRect(c, cx - 3.5, y, 7, 11, 3);
        cairo_fill(c);
    }
    cairo_restore(c);

    // Gallery and lantern.
    SetColor(c, Hex(0x2e3338));
    cairo_rectangle(c, cx - topHalf * 1.35, topY - 5, topHalf * 2.7, 5);
    cairo_fill(c);
    const double lanternH = H * 0.06;
    if (t.night) {
        cairo_set_source_rgba(c, 1, 0.93, 0.55, 0.35);
        cairo_move_to(c, cx, topY - lanternH / 2);
        cairo_line_to(c, W, topY - lanternH * 2.2);
        cairo_line_to(c, W, topY + lanternH * 0.8);
        cairo_close_path(c);
        cairo_fill(c);
        cairo_move_to(c, cx, topY - lanternH / 2);
        cairo_line_to(c, 0, topY - lanternH * 1.8);
        cairo_line_to(c, 0, topY + lanternH * 0.4);
        cairo_close_path(c);
        cairo_fill(c);
    }
    SetColor(c, t.night ? Hex(0xffe98a) : Hex(0xcfe6ef));
    cairo_rectangle(c, cx - topHalf * 0.8, topY - 5 - lanternH, topHalf * 1.6, lanternH);
    cairo_fill(c);
    SetColor(c, Hex(0x2e3338));
    cairo_set_line_width(c, 1.5);
    cairo_rectangle(c, cx - topHalf * 0.8, topY - 5 - lanternH, topHalf * 1.6, lanternH);
    cairo_stroke(c);
    FillPolygon(c, t.band1.r > 0.5 && t.band1.g < 0.4 ? t.band1 : Hex(0xb03a2e),
                {{cx - topHalf, topY - 5 - lanternH},
                 {cx, topY - 5 - lanternH - H * 0.04},
                 {cx + topHalf, topY - 5 - lanternH}});
    // Keeper's house, sized by the picture's width so a tall picture keeps a small house.
    const double hh = std::min(H, W * 1.25) * 0.07;
    SetColor(c, Hex(0xf2efe8));
    cairo_rectangle(c, cx + baseHalf + 2, baseY - hh, W * 0.2, hh);
    cairo_fill(c);
    FillPolygon(c, Hex(0xa5432f),
                {{cx + baseHalf, baseY - hh},
                 {cx + baseHalf + 2 + W * 0.1, baseY - hh * 1.6},
                 {cx + baseHalf + 4 + W * 0.2, baseY - hh}});
    SetColor(c, Hex(0x33404d));
    cairo_rectangle(c, cx + baseHalf + W * 0.08, baseY - hh * 0.7, 6, 8);
    cairo_fill(c);

    Save(surface.get(), dir / t.file);
}

// ---------------------------------------------------------------- cover and emblem

void DrawCover(const std::filesystem::path& dir) {
    const int W = 300, H = 420;
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, W, H), cairo_surface_destroy);
    ContextPtr cr(cairo_create(surface.get()), cairo_destroy);
    cairo_t* c = cr.get();
    SetColor(c, Hex(0x1d2b4a));
    cairo_paint(c);
    // Moon and stars.
    FillEllipse(c, Hex(0xf3ecc8), 222, 92, 38, 38);
    FillEllipse(c, Hex(0x1d2b4a), 238, 82, 32, 32);
    for (int i = 0; i < 30; ++i) FillEllipse(c, Hex(0xe9e2c0), Scatter() * W, Scatter() * 230.0, 1.2, 1.2);
    // Dunes.
    FillPolygon(c, Hex(0x2f4a3a), {{0, 300}, {80, 270}, {170, 292}, {300, 262}, {300, 420}, {0, 420}});
    FillPolygon(c, Hex(0x243a2e), {{0, 340}, {120, 318}, {220, 338}, {300, 320}, {300, 420}, {0, 420}});
    // A lighthouse far away with its beam.
    cairo_set_source_rgba(c, 1, 0.93, 0.6, 0.25);
    cairo_move_to(c, 60, 212);
    cairo_line_to(c, 300, 170);
    cairo_line_to(c, 300, 236);
    cairo_close_path(c);
    cairo_fill(c);
    FillPolygon(c, Hex(0xe9e4da), {{52, 276}, {56, 214}, {64, 214}, {68, 276}});
    SetColor(c, Hex(0xffe27a));
    cairo_rectangle(c, 55, 204, 10, 9);
    cairo_fill(c);
    // The dog sitting on the dune in profile, looking towards the light.
    const Rgb dog = Hex(0x0f1626);
    FillEllipse(c, dog, 196, 284, 22, 32, -0.35);  // haunch and back
    FillEllipse(c, dog, 178, 262, 13, 24, 0.15);   // chest
    RoundRect(c, 170, 268, 9, 44, 4);              // front leg
    SetColor(c, dog);
    cairo_fill(c);
    FillEllipse(c, dog, 214, 306, 16, 8);          // hind paw
    FillEllipse(c, dog, 176, 232, 14, 12);         // head
    FillEllipse(c, dog, 160, 238, 11, 6.5, 0.15);  // muzzle
    FillEllipse(c, dog, 184, 240, 6, 12, -0.35);   // floppy ear
    cairo_set_line_width(c, 8);
    cairo_set_line_cap(c, CAIRO_LINE_CAP_ROUND);
    SetColor(c, dog);
    cairo_move_to(c, 216, 300);
    cairo_curve_to(c, 236, 300, 244, 290, 246, 276);  // tail
    cairo_stroke(c);
    // Title band.
    SetColor(c, Hex(0xc8a24a));
    cairo_rectangle(c, 0, 360, W, 4);
    cairo_fill(c);
    Save(surface.get(), dir / "cover.png");
}

void DrawEmblem(const std::filesystem::path& dir) {
    const int S = 96;
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, S, S), cairo_surface_destroy);
    ContextPtr cr(cairo_create(surface.get()), cairo_destroy);
    cairo_t* c = cr.get();
    SetColor(c, Hex(0xffffff));
    cairo_paint(c);
    FillEllipse(c, Hex(0x1f4e79), S / 2.0, S / 2.0, 44, 44);
    FillEllipse(c, Hex(0xffffff), S / 2.0, S / 2.0, 38, 38);
    FillEllipse(c, Hex(0x1f4e79), S / 2.0, S / 2.0, 35, 35);
    // A paw print.
    const Rgb paw = Hex(0xf2c14e);
    FillEllipse(c, paw, 48, 58, 14, 11);
    FillEllipse(c, paw, 30, 40, 6, 8, -0.3);
    FillEllipse(c, paw, 42, 32, 6, 8, -0.1);
    FillEllipse(c, paw, 55, 32, 6, 8, 0.1);
    FillEllipse(c, paw, 67, 40, 6, 8, 0.3);
    Save(surface.get(), dir / "emblem.png");
}

void DrawCompass(const std::filesystem::path& dir) {
    const int S = 64;
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, S, S), cairo_surface_destroy);
    ContextPtr cr(cairo_create(surface.get()), cairo_destroy);
    cairo_t* c = cr.get();
    SetColor(c, Hex(0xffffff));
    cairo_paint(c);
    const double m = S / 2.0;
    cairo_set_line_width(c, 1.5);
    SetColor(c, Hex(0x1f4e79));
    cairo_arc(c, m, m, 27, 0, 2 * M_PI);
    cairo_stroke(c);
    // Four long points and four short ones, each half dark and half light.
    for (int i = 0; i < 8; ++i) {
        const double a = i * M_PI / 4, len = i % 2 ? 15 : 29, w = i % 2 ? 4 : 6;
        const double tipX = m + len * std::sin(a), tipY = m - len * std::cos(a);
        const double lx = m + w * std::sin(a - M_PI / 2), ly = m - w * std::cos(a - M_PI / 2);
        const double rx = m + w * std::sin(a + M_PI / 2), ry = m - w * std::cos(a + M_PI / 2);
        FillPolygon(c, i == 0 ? Hex(0xb8322a) : Hex(0x1f4e79), {{m, m}, {lx, ly}, {tipX, tipY}});
        FillPolygon(c, Hex(0x9db8d2), {{m, m}, {rx, ry}, {tipX, tipY}});
    }
    FillEllipse(c, Hex(0xffffff), m, m, 2.5, 2.5);
    Save(surface.get(), dir / "compass.png");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    const std::filesystem::path out = argv[1];
    std::filesystem::create_directories(out / "dogs");
    for (const Breed& b : Breeds()) DrawDog(b, out / "dogs");

    const std::vector<Tower> towers = {
        {"vessel_point.png", 240, 300, Hex(0xcfe3f1), Hex(0x3f6f8f), Hex(0xb8322a), Hex(0xf4f1ea), 6, 0.42, false},
        {"gull_rock.png", 240, 300, Hex(0xf3dcc2), Hex(0x4c7391), Hex(0xf4f1ea), Hex(0x1f1f24), 4, 0.38, false},
        {"amber_head.png", 240, 300, Hex(0x243352), Hex(0x1b2c44), Hex(0xf4f1ea), Hex(0xc9a227), 5, 0.46, true},
        {"saltmarsh.png", 240, 300, Hex(0xdbe9e4), Hex(0x5a8a8a), Hex(0x2f6b4f), Hex(0xf4f1ea), 2, 0.34, false},
        {"north_mole.png", 240, 640, Hex(0xbcd7ea), Hex(0x3a6785), Hex(0xb8322a), Hex(0xf4f1ea), 12, 0.62, false},
    };
    std::filesystem::create_directories(out / "lighthouses");
    for (const Tower& t : towers) DrawLighthouse(t, out / "lighthouses");

    DrawCover(out);
    DrawEmblem(out);
    DrawCompass(out);
    return 0;
}
