// Font lookup and measuring on the drawing library. A face is measured once, unhinted at a large size, for
// its ascent and descent per em; each em size gets one scaled font with whole-pixel advances, as the
// window system's text functions report them.
#include <cmath>
#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "platform/ui/cairo_fonts.h"
#include "platform/ui/font_engine.h"
#include "platform/ui/text_quote.h"

namespace plat {
namespace {

constexpr int kDefaultCellHeight = 16;
constexpr double kMeasureSize = 1000.0;

struct FaceKey {
    std::string face;
    bool bold = false;
    auto operator<=>(const FaceKey&) const = default;
};

struct FaceEntry {
    cairo_font_face_t* face = nullptr;
    double ascent = 0.9, descent = 0.2;  // per em
};

struct FontCache {
    std::mutex mutex;
    std::map<FaceKey, FaceEntry> faces;
    std::map<std::pair<FaceKey, long>, cairo_scaled_font_t*> scaled;
};

FontCache& cache() {
    static FontCache* c = new FontCache;  // lives to the end: fonts are used by code run at exit
    return *c;
}

FaceKey keyOf(const Font& font) { return {font.face, font.weight >= 600}; }

cairo_scaled_font_t* makeScaled(cairo_font_face_t* face, double size, cairo_hint_metrics_t hint) {
    cairo_matrix_t fontMatrix, ctm;
    cairo::matrix_init_scale(&fontMatrix, size, size);
    cairo::matrix_init_identity(&ctm);
    cairo_font_options_t* options = cairo::font_options_create();
    cairo::font_options_set_hint_metrics(options, hint);
    cairo::font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_scaled_font_t* scaled = cairo::scaled_font_create(face, &fontMatrix, &ctm, options);
    cairo::font_options_destroy(options);
    return scaled;
}

// Under the cache's lock.
FaceEntry& faceEntry(FontCache& c, const FaceKey& key) {
    auto it = c.faces.find(key);
    if (it != c.faces.end()) return it->second;
    FaceEntry e;
    e.face = cairo::toy_font_face_create(key.face.c_str(), CAIRO_FONT_SLANT_NORMAL,
                                        key.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_scaled_font_t* probe = makeScaled(e.face, kMeasureSize, CAIRO_HINT_METRICS_OFF);
    if (cairo::scaled_font_status(probe) == CAIRO_STATUS_SUCCESS) {
        cairo_font_extents_t fe;
        cairo::scaled_font_extents(probe, &fe);
        if (fe.ascent + fe.descent > 0) {
            e.ascent = fe.ascent / kMeasureSize;
            e.descent = fe.descent / kMeasureSize;
        }
    }
    cairo::scaled_font_destroy(probe);
    return c.faces.emplace(key, e).first->second;
}

double emSizeOf(const FaceEntry& e, int height) {
    if (height < 0) return -static_cast<double>(height);
    int cell = height == 0 ? kDefaultCellHeight : height;
    return cell / (e.ascent + e.descent);
}

}  // namespace

double fontEmSize(const Font& font) {
    FontCache& c = cache();
    std::lock_guard lock(c.mutex);
    return emSizeOf(faceEntry(c, keyOf(font)), font.height);
}

cairo_scaled_font_t* scaledFont(const Font& font) {
    FontCache& c = cache();
    std::lock_guard lock(c.mutex);
    FaceKey key = keyOf(font);
    FaceEntry& e = faceEntry(c, key);
    double em = emSizeOf(e, font.height);
    auto sizeKey = std::make_pair(key, std::lround(em * 64));
    auto it = c.scaled.find(sizeKey);
    if (it != c.scaled.end()) return it->second;
    return c.scaled.emplace(sizeKey, makeScaled(e.face, em, CAIRO_HINT_METRICS_ON)).first->second;
}

TextMetrics fontMetrics(const Font& font) {
    double ascentPerEm = 0, descentPerEm = 0, em = 0;
    {
        FontCache& c = cache();
        std::lock_guard lock(c.mutex);
        const FaceEntry& e = faceEntry(c, keyOf(font));
        ascentPerEm = e.ascent;
        descentPerEm = e.descent;
        em = emSizeOf(e, font.height);
    }
    TextMetrics m;
    m.ascent = static_cast<int>(std::lround(ascentPerEm * em));
    // A cell height is the height asked for; the rounding goes into the descent.
    m.descent = font.height > 0 ? std::max(0, font.height - m.ascent)
                                : static_cast<int>(std::lround(descentPerEm * em));
    m.height = m.ascent + m.descent;
    m.internalLeading = std::max(0, m.height - static_cast<int>(std::lround(em)));
    cairo_text_extents_t te;
    cairo::scaled_font_text_extents(scaledFont(font), "x", &te);
    m.aveCharWidth = std::max(1, static_cast<int>(std::lround(te.x_advance)));
    return m;
}

Size fontTextExtent(const Font& font, std::string_view text) {
    Size s;
    s.cy = fontMetrics(font).height;
    if (text.empty()) return s;
    std::string utf8 = cp1252ToUtf8(text);
    cairo_text_extents_t te;
    cairo::scaled_font_text_extents(scaledFont(font), utf8.c_str(), &te);
    s.cx = static_cast<int>(std::lround(te.x_advance));
    return s;
}

}  // namespace plat
