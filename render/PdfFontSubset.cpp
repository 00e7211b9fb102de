#include "render/PdfFontSubset.h"

#include <hb-subset.h>
#include <hb.h>

#include <memory>

#include "platform/FontFile.h"

namespace qv::render {

namespace {

struct BlobDeleter {
    void operator()(hb_blob_t* b) const { hb_blob_destroy(b); }
};
struct FaceDeleter {
    void operator()(hb_face_t* f) const { hb_face_destroy(f); }
};
struct SubsetInputDeleter {
    void operator()(hb_subset_input_t* i) const { hb_subset_input_destroy(i); }
};
using BlobPtr = std::unique_ptr<hb_blob_t, BlobDeleter>;
using FacePtr = std::unique_ptr<hb_face_t, FaceDeleter>;
using SubsetInputPtr = std::unique_ptr<hb_subset_input_t, SubsetInputDeleter>;

FacePtr OpenFace(const qv::platform::FontFile& file) {
    BlobPtr blob(hb_blob_create_from_file_or_fail(file.Path().c_str()));
    if (!blob) return nullptr;
    FacePtr face(hb_face_create(blob.get(), static_cast<unsigned>(file.FaceIndex())));
    if (!face || hb_face_get_glyph_count(face.get()) == 0) return nullptr;
    return face;
}

bool HasTable(hb_face_t* face, hb_tag_t tag) {
    BlobPtr table(hb_face_reference_table(face, tag));
    return hb_blob_get_length(table.get()) > 0;
}

bool HasTrueTypeOutlines(hb_face_t* face) { return HasTable(face, HB_TAG('g', 'l', 'y', 'f')); }
bool HasCffOutlines(hb_face_t* face) { return HasTable(face, HB_TAG('C', 'F', 'F', ' ')); }

}  // namespace

bool CanEmbedFontProgram(const qv::platform::FontFile& file) {
    FacePtr face = OpenFace(file);
    return face && (HasTrueTypeOutlines(face.get()) || HasCffOutlines(face.get()));
}

std::optional<FontProgram> SubsetFontProgram(const qv::platform::FontFile& file, const std::vector<uint32_t>& glyphs) {
    FacePtr face = OpenFace(file);
    if (!face) return std::nullopt;
    const bool cff = HasCffOutlines(face.get()) && !HasTrueTypeOutlines(face.get());
    if (!cff && !HasTrueTypeOutlines(face.get())) return std::nullopt;

    SubsetInputPtr input(hb_subset_input_create_or_fail());
    if (!input) return std::nullopt;
    hb_set_t* glyphSet = hb_subset_input_glyph_set(input.get());
    hb_set_add(glyphSet, 0);
    for (uint32_t glyph : glyphs) hb_set_add(glyphSet, glyph);
    // The characters the glyphs came from do not matter to a PDF viewer (the
    // content names glyphs), so no character map entries pull in more glyphs.
    hb_set_clear(hb_subset_input_unicode_set(input.get()));
    hb_subset_input_set_flags(input.get(), HB_SUBSET_FLAGS_RETAIN_GIDS);

    FacePtr subset(hb_subset_or_fail(face.get(), input.get()));
    if (!subset) return std::nullopt;
    BlobPtr blob(hb_face_reference_blob(subset.get()));
    unsigned length = 0;
    const char* data = hb_blob_get_data(blob.get(), &length);
    if (!data || length == 0) return std::nullopt;
    return FontProgram{std::string(data, length), cff};
}

}  // namespace qv::render
