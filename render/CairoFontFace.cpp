#include "render/CairoFontFace.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <map>
#include <mutex>
#include <tuple>

#include "common/CqvEx.h"
#include "render/CairoHandles.h"

namespace qv::render {

namespace {

const cairo_user_data_key_t kFontFileKey{};

// Cairo may keep a face in its own caches after we drop it, so the face holds a
// share of the font file: the FreeType face underneath lives exactly as long as
// Cairo can still use it.
void ReleaseFontFile(void* data) { delete static_cast<std::shared_ptr<const qv::platform::FontFile>*>(data); }

CairoFontFacePtr MakeFace(const qv::platform::ResolvedFont& font) {
    CairoFontFacePtr face(cairo_ft_font_face_create_for_ft_face(font.file->Face(), FT_LOAD_DEFAULT));
    auto holder = std::make_unique<std::shared_ptr<const qv::platform::FontFile>>(font.file);
    if (cairo_font_face_status(face.get()) != CAIRO_STATUS_SUCCESS ||
        cairo_font_face_set_user_data(face.get(), &kFontFileKey, holder.get(), ReleaseFontFile) != CAIRO_STATUS_SUCCESS)
        throw CqvEx("The font file \"" + font.file->Path() + "\" cannot be used for drawing");
    holder.release();  // now owned by the face's user data
    unsigned synthesize = 0;
    if (font.syntheticBold) synthesize |= CAIRO_FT_SYNTHESIZE_BOLD;
    if (font.syntheticItalic) synthesize |= CAIRO_FT_SYNTHESIZE_OBLIQUE;
    if (synthesize) cairo_ft_font_face_set_synthesize(face.get(), synthesize);
    return face;
}

}  // namespace

cairo_font_face_t* CairoFontFaceFor(const qv::platform::ResolvedFont& font) {
    static std::mutex mutex;
    static std::map<std::tuple<const qv::platform::FontFile*, bool, bool>, CairoFontFacePtr> faces;
    std::lock_guard lock(mutex);
    auto key = std::make_tuple(font.file.get(), font.syntheticBold, font.syntheticItalic);
    auto it = faces.find(key);
    if (it == faces.end()) it = faces.emplace(key, MakeFace(font)).first;
    return it->second.get();
}

}  // namespace qv::render
