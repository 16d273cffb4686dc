#include "font_impl.h"
#include "platform/text.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <map>
#include <tuple>

namespace platform {
namespace {

// "Arial" is the device's usual face; fonts-liberation answers it with a
// metric-compatible one.
constexpr const char* DefaultFace = "Arial";

// Matched faces live for the whole run: programs ask for the same few faces
// over and over, and matching through fontconfig is the slow part.
cairo_font_face_t* FaceFor(const std::u16string& face, int weight) {
    static std::map<std::pair<std::u16string, int>, cairo_font_face_t*> cache;
    auto key = std::make_pair(face, weight);
    if (auto it = cache.find(key); it != cache.end())
        return it->second;

    FcPattern* pattern = FcPatternCreate();
    std::string family = face.empty() ? DefaultFace : ToUtf8(face);
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_pattern(match ? match : pattern);
    if (match)
        FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    cache.emplace(key, cairoFace);
    return cairoFace;
}

cairo_scaled_font_t* ScaledFont(cairo_font_face_t* face, double size, bool hintMetrics) {
    cairo_matrix_t fontMatrix;
    cairo_matrix_t ctm;
    cairo_matrix_init_scale(&fontMatrix, size, size);
    cairo_matrix_init_identity(&ctm);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    // Whole-pixel advances keep text widths integral, as the device measures.
    cairo_font_options_set_hint_metrics(options, hintMetrics ? CAIRO_HINT_METRICS_ON
                                                             : CAIRO_HINT_METRICS_OFF);
    cairo_scaled_font_t* scaled = cairo_scaled_font_create(face, &fontMatrix, &ctm, options);
    cairo_font_options_destroy(options);
    return scaled;
}

int TextWidth(cairo_scaled_font_t* scaled, const char* utf8) {
    cairo_text_extents_t extents;
    cairo_scaled_font_text_extents(scaled, utf8, &extents);
    return int(std::lround(extents.x_advance));
}

std::shared_ptr<FontImpl> MakeFont(int height, int weight, const std::u16string& face) {
    auto impl = std::make_shared<FontImpl>();
    impl->height = height;
    impl->weight = weight;
    impl->face = face;
    cairo_font_face_t* cairoFace = FaceFor(face, weight);

    // A positive height is the whole cell (ascent + descent); find the em size
    // that gives it from the face's own proportions.
    double emSize = std::abs(height);
    if (height > 0) {
        cairo_scaled_font_t* probe = ScaledFont(cairoFace, 100.0, false);
        cairo_font_extents_t fe;
        cairo_scaled_font_extents(probe, &fe);
        cairo_scaled_font_destroy(probe);
        if (fe.ascent + fe.descent > 0)
            emSize = height * 100.0 / (fe.ascent + fe.descent);
    }
    impl->scaled = ScaledFont(cairoFace, emSize, true);

    cairo_font_extents_t fe;
    cairo_scaled_font_extents(impl->scaled, &fe);
    TextMetrics& m = impl->metrics;
    m.ascent = int(std::lround(fe.ascent));
    m.descent = height > 0 ? height - m.ascent : int(std::lround(fe.descent));
    if (m.descent < 0)
        m.descent = 0;
    m.height = m.ascent + m.descent;
    m.internalLeading = m.height - int(std::lround(emSize));
    if (m.internalLeading < 0)
        m.internalLeading = 0;
    m.externalLeading = std::max(0, int(std::lround(fe.height - fe.ascent - fe.descent)));
    // The classic average over the 52 letters, rounded: what dialog units use.
    int letters = TextWidth(impl->scaled, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m.averageCharWidth = (letters / 26 + 1) / 2;
    m.maxCharWidth = int(std::lround(fe.max_x_advance));
    return impl;
}

} // namespace

Font::Font() : Font(Create(0)) {}

Font Font::Create(int height, int weight, std::u16string_view face) {
    if (height == 0)
        height = DefaultHeight;
    if (weight <= 0)
        weight = 400;
    std::u16string name(face.substr(0, MaxFaceLength));

    // Fonts are created on every settings load; share equal ones while alive.
    static std::map<std::tuple<int, int, std::u16string>, std::weak_ptr<FontImpl>> alive;
    auto key = std::make_tuple(height, weight, name);
    if (auto it = alive.find(key); it != alive.end()) {
        if (auto impl = it->second.lock())
            return Font(std::move(impl));
    }
    auto impl = MakeFont(height, weight, name);
    alive[key] = impl;
    return Font(std::move(impl));
}

int Font::Height() const {
    return m_impl->height;
}
int Font::Weight() const {
    return m_impl->weight;
}
const std::u16string& Font::FaceName() const {
    return m_impl->face;
}

} // namespace platform

#if defined(__SANITIZE_ADDRESS__)
// fontconfig keeps blocks from parsing its configuration until exit; only
// sanitizer builds see it, and only for the library's own allocations.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif
