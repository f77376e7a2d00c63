// Draws the bundle's button, badge, banner and icon images as flat vector art
// with alpha, and writes them as PNG files into the folder given on the command line;
// with a second folder, also the desktop icon as SVG and as PNG at the sizes of the
// hicolor icon theme, laid out as the theme's folders.
//
//   g++ -std=c++20 tools/make-images.cpp -o make-images $(pkg-config --cflags --libs cairo)
//   ./make-images Resources cmake/icons
//
// scripts/generate-images does both steps. Shapes are described in unit
// coordinates (0..1 across the drawing's box) so each one scales to any size.

#include <cairo-svg.h>
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <numbers>
#include <string>

namespace {

struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextDeleter {
    void operator()(cairo_t* context) const { cairo_destroy(context); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using ContextPtr = std::unique_ptr<cairo_t, ContextDeleter>;

struct Rgba {
    double r, g, b, a = 1.0;
};

// The palette: one accent per meaning, so the images read as one set.
constexpr Rgba kInk{0.24, 0.28, 0.35};         // slate, for bar icons
constexpr Rgba kHeart{0.91, 0.29, 0.37};       // warm red-pink
constexpr Rgba kHeartMuted{0.62, 0.66, 0.72};  // grey heart of the remove badge
constexpr Rgba kAdd{0.18, 0.75, 0.44};         // green
constexpr Rgba kRemove{0.91, 0.30, 0.24};      // red
constexpr Rgba kBrand{0.42, 0.36, 0.91};       // violet of the icon and headers
constexpr Rgba kPlay{0.18, 0.61, 0.86};        // blue play button
constexpr Rgba kWhite{1.0, 1.0, 1.0};
constexpr Rgba kHud{0.07, 0.08, 0.10, 0.62};  // translucent backdrop of the badges

constexpr double kPi = std::numbers::pi;

void setColor(cairo_t* cr, Rgba color) {
    cairo_set_source_rgba(cr, color.r, color.g, color.b, color.a);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - radius, y + radius, radius, -kPi / 2, 0);
    cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, kPi / 2);
    cairo_arc(cr, x + radius, y + h - radius, radius, kPi / 2, kPi);
    cairo_arc(cr, x + radius, y + radius, radius, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

// A heart filling the box (x, y, size, size): two lobes meeting in a notch on
// top and a point at the bottom.
void heartPath(cairo_t* cr, double x, double y, double size) {
    auto px = [&](double u) { return x + u * size; };
    auto py = [&](double v) { return y + v * size; };
    cairo_new_sub_path(cr);
    cairo_move_to(cr, px(0.50), py(0.92));
    cairo_curve_to(cr, px(0.20), py(0.70), px(0.03), py(0.52), px(0.03), py(0.33));
    cairo_curve_to(cr, px(0.03), py(0.16), px(0.15), py(0.06), px(0.29), py(0.06));
    cairo_curve_to(cr, px(0.39), py(0.06), px(0.46), py(0.12), px(0.50), py(0.21));
    cairo_curve_to(cr, px(0.54), py(0.12), px(0.61), py(0.06), px(0.71), py(0.06));
    cairo_curve_to(cr, px(0.85), py(0.06), px(0.97), py(0.16), px(0.97), py(0.33));
    cairo_curve_to(cr, px(0.97), py(0.52), px(0.80), py(0.70), px(0.50), py(0.92));
    cairo_close_path(cr);
}

// A gear with `teeth` square teeth and a round hole, centred in a box of `size`.
void drawGear(cairo_t* cr, double size, int teeth, Rgba color) {
    const double c = size / 2;
    const double body = size * 0.34;
    const double tip = size * 0.48;
    const double toothHalfWidth = kPi / teeth * 0.42;  // angle
    cairo_save(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_new_path(cr);
    cairo_arc(cr, c, c, body, 0, 2 * kPi);
    cairo_close_path(cr);
    for (int i = 0; i < teeth; ++i) {
        const double angle = 2 * kPi * i / teeth;
        cairo_new_sub_path(cr);
        // Each tooth narrows a little towards its tip.
        cairo_move_to(cr, c + body * 0.9 * std::cos(angle - toothHalfWidth * 1.25),
                      c + body * 0.9 * std::sin(angle - toothHalfWidth * 1.25));
        cairo_line_to(cr, c + tip * std::cos(angle - toothHalfWidth * 0.7),
                      c + tip * std::sin(angle - toothHalfWidth * 0.7));
        cairo_line_to(cr, c + tip * std::cos(angle + toothHalfWidth * 0.7),
                      c + tip * std::sin(angle + toothHalfWidth * 0.7));
        cairo_line_to(cr, c + body * 0.9 * std::cos(angle + toothHalfWidth * 1.25),
                      c + body * 0.9 * std::sin(angle + toothHalfWidth * 1.25));
        cairo_close_path(cr);
    }
    setColor(cr, color);
    cairo_fill(cr);
    // Punch the axle hole through everything drawn so far.
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_arc(cr, c, c, size * 0.14, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_restore(cr);
}

// A plus or minus sign in a filled circle: the corner mark of the badges.
void drawSignDisc(cairo_t* cr, double cx, double cy, double radius, Rgba disc, bool plus) {
    cairo_save(cr);
    // A white ring separates the disc from the heart below it.
    setColor(cr, kWhite);
    cairo_arc(cr, cx, cy, radius + radius * 0.16, 0, 2 * kPi);
    cairo_fill(cr);
    setColor(cr, disc);
    cairo_arc(cr, cx, cy, radius, 0, 2 * kPi);
    cairo_fill(cr);
    setColor(cr, kWhite);
    cairo_set_line_width(cr, radius * 0.34);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    const double arm = radius * 0.52;
    cairo_move_to(cr, cx - arm, cy);
    cairo_line_to(cr, cx + arm, cy);
    if (plus) {
        cairo_move_to(cr, cx, cy - arm);
        cairo_line_to(cr, cx, cy + arm);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
}

void drawBadge(cairo_t* cr, double size, Rgba heart, Rgba disc, bool plus) {
    roundedRect(cr, 0, 0, size, size, size * 0.16);
    setColor(cr, kHud);
    cairo_fill(cr);
    heartPath(cr, size * 0.17, size * 0.17, size * 0.62);
    setColor(cr, heart);
    cairo_fill(cr);
    drawSignDisc(cr, size * 0.72, size * 0.70, size * 0.15, disc, plus);
}

void drawPlayButton(cairo_t* cr, double size) {
    const double c = size / 2;
    setColor(cr, kPlay);
    cairo_arc(cr, c, c, size * 0.47, 0, 2 * kPi);
    cairo_fill(cr);
    // A light inner ring gives the flat disc an edge on any background.
    setColor(cr, Rgba{1, 1, 1, 0.28});
    cairo_set_line_width(cr, size * 0.025);
    cairo_arc(cr, c, c, size * 0.41, 0, 2 * kPi);
    cairo_stroke(cr);
    // The triangle sits a little right of centre so that it looks centred.
    const double h = size * 0.36;
    const double left = c - h * 0.36;
    cairo_move_to(cr, left, c - h / 2);
    cairo_line_to(cr, left + h * 0.87, c);
    cairo_line_to(cr, left, c + h / 2);
    cairo_close_path(cr);
    setColor(cr, kWhite);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, size * 0.04);
    cairo_fill_preserve(cr);
    cairo_stroke(cr);
}

// A loudspeaker with two sound waves, in the box (x, y, size, size).
void drawSpeaker(cairo_t* cr, double x, double y, double size, Rgba color) {
    auto px = [&](double u) { return x + u * size; };
    auto py = [&](double v) { return y + v * size; };
    setColor(cr, color);
    cairo_move_to(cr, px(0.10), py(0.38));
    cairo_line_to(cr, px(0.28), py(0.38));
    cairo_line_to(cr, px(0.50), py(0.18));
    cairo_line_to(cr, px(0.50), py(0.82));
    cairo_line_to(cr, px(0.28), py(0.62));
    cairo_line_to(cr, px(0.10), py(0.62));
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_set_line_width(cr, size * 0.07);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (double radius : {0.16, 0.30}) {
        cairo_new_sub_path(cr);
        cairo_arc(cr, px(0.52), py(0.50), radius * size, -kPi / 4, kPi / 4);
        cairo_stroke(cr);
    }
}

void drawAppIcon(cairo_t* cr, double size) {
    roundedRect(cr, 0, 0, size, size, size * 0.22);
    setColor(cr, kBrand);
    cairo_fill(cr);
    drawSpeaker(cr, size * 0.14, size * 0.14, size * 0.72, kWhite);
    heartPath(cr, size * 0.66, size * 0.08, size * 0.26);
    setColor(cr, kHeart);
    cairo_fill(cr);
}

// Writes one line of text, made smaller when it would run wider than `maxWidth`.
void drawText(cairo_t* cr, const char* text, double x, double baseline, double maxWidth,
              double size, bool bold, Rgba color) {
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text, &extents);
    if (extents.x_advance > maxWidth && extents.x_advance > 0) {
        cairo_set_font_size(cr, size * maxWidth / extents.x_advance);
    }
    setColor(cr, color);
    cairo_move_to(cr, x, baseline);
    cairo_show_text(cr, text);
}

void drawInfoHeader(cairo_t* cr, double width, double height) {
    roundedRect(cr, 0, 0, width, height, 14);
    setColor(cr, kBrand);
    cairo_fill(cr);
    const double icon = height * 0.62;
    const double margin = (height - icon) / 2;
    roundedRect(cr, margin, margin, icon, icon, icon * 0.22);
    setColor(cr, Rgba{1, 1, 1, 0.16});
    cairo_fill(cr);
    drawSpeaker(cr, margin + icon * 0.1, margin + icon * 0.1, icon * 0.8, kWhite);
    const double textLeft = margin * 2 + icon;
    const double textWidth = width - textLeft - margin;
    // No version here: the page shows the program's own beneath the picture.
    drawText(cr, "Soundboard", textLeft, height * 0.52, textWidth, 24, true, kWhite);
    drawText(cr, "Click a sound, make some noise", textLeft, height * 0.70, textWidth, 11, false,
             Rgba{1, 1, 1, 0.8});
}

// Draws one image with `draw` onto a transparent canvas of `width` x `height`
// points at `scale` pixels per point and writes it as PNG.
template <typename Draw>
bool writeImage(const std::filesystem::path& path, int width, int height, int scale, Draw draw) {
    SurfacePtr surface(
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width * scale, height * scale));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return false;
    ContextPtr cr(cairo_create(surface.get()));
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) return false;
    cairo_set_antialias(cr.get(), CAIRO_ANTIALIAS_BEST);
    if (scale != 1) cairo_scale(cr.get(), scale, scale);
    draw(cr.get());
    cairo_surface_flush(surface.get());
    const std::string file = path.string();
    const cairo_status_t status = cairo_surface_write_to_png(surface.get(), file.c_str());
    if (status != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "make-images: %s: %s\n", file.c_str(), cairo_status_to_string(status));
        return false;
    }
    return true;
}

template <typename Draw>
bool writeImage(const std::filesystem::path& folder, const char* name, int width, int height,
                Draw draw) {
    return writeImage(folder / name, width, height, 1, draw);
}

// A bundle picture at 1x ("Play.png") and at 2x ("Play@2x.png", twice the
// pixels of the same drawing): the window picks the one that fits the scale
// it draws at, so pictures stay sharp on a zoomed window or a high-density screen.
template <typename Draw>
bool writeBundleImage(const std::filesystem::path& folder, const char* name, int width, int height,
                      Draw draw) {
    const std::filesystem::path oneX = folder / name;
    const std::filesystem::path twoX =
        folder / (oneX.stem().string() + "@2x" + oneX.extension().string());
    const bool first = writeImage(oneX, width, height, 1, draw);
    return writeImage(twoX, width, height, 2, draw) && first;
}

// Draws the application icon as SVG (scalable/apps) and as PNG at every size
// of the hicolor theme (NxN/apps) under `themeFolder`.
bool writeIcons(const std::filesystem::path& themeFolder, const char* name) {
    const auto scalable = themeFolder / "scalable" / "apps";
    std::error_code error;
    std::filesystem::create_directories(scalable, error);
    if (error) return false;
    const std::string svgPath = (scalable / (std::string(name) + ".svg")).string();
    {
        constexpr double kSvgSize = 128;
        SurfacePtr surface(cairo_svg_surface_create(svgPath.c_str(), kSvgSize, kSvgSize));
        ContextPtr cr(cairo_create(surface.get()));
        drawAppIcon(cr.get(), kSvgSize);
        cairo_surface_finish(surface.get());
        if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
            std::fprintf(stderr, "make-images: %s: %s\n", svgPath.c_str(),
                         cairo_status_to_string(cairo_surface_status(surface.get())));
            return false;
        }
    }
    bool ok = true;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        const std::string sizeName = std::to_string(size) + "x" + std::to_string(size);
        const auto folder = themeFolder / sizeName / "apps";
        std::filesystem::create_directories(folder, error);
        if (error) return false;
        ok &= writeImage(folder, (std::string(name) + ".png").c_str(), size, size,
                         [size](cairo_t* cr) { drawAppIcon(cr, size); });
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: make-images OUTPUT_FOLDER [ICON_THEME_FOLDER]\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    bool ok = true;
    if (argc == 3) ok &= writeIcons(argv[2], "org.soundboard.Soundboard");
    ok &= writeBundleImage(folder, "Settings.png", 30, 30,
                           [](cairo_t* cr) { drawGear(cr, 30, 8, kInk); });
    ok &= writeBundleImage(folder, "love.png", 30, 30, [](cairo_t* cr) {
        heartPath(cr, 2, 2, 26);
        setColor(cr, kHeart);
        cairo_fill(cr);
    });
    ok &= writeBundleImage(folder, "LoveAdd.png", 100, 100,
                           [](cairo_t* cr) { drawBadge(cr, 100, kHeart, kAdd, true); });
    ok &= writeBundleImage(folder, "LoveRemove.png", 100, 100,
                           [](cairo_t* cr) { drawBadge(cr, 100, kHeartMuted, kRemove, false); });
    ok &= writeBundleImage(folder, "Play.png", 120, 120,
                           [](cairo_t* cr) { drawPlayButton(cr, 120); });
    ok &= writeBundleImage(folder, "Banner.png", 40, 40, [](cairo_t* cr) { drawAppIcon(cr, 40); });
    ok &= writeBundleImage(folder, "soundboard.png", 128, 128,
                           [](cairo_t* cr) { drawAppIcon(cr, 128); });
    ok &= writeBundleImage(folder, "InfoHeader.png", 280, 120,
                           [](cairo_t* cr) { drawInfoHeader(cr, 280, 120); });
    return ok ? 0 : 1;
}
