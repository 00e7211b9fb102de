#include "platform/FontFile.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H
#include FT_FONT_FORMATS_H

#include <algorithm>
#include <map>
#include <mutex>
#include <string_view>
#include <utility>

#include "common/CqvEx.h"

namespace qv::platform {

// The FreeType library instance. Every face holds a share of it, so the library
// is released only after the last face, whatever order statics die in.
class FontLibrary {
public:
    FontLibrary() {
        if (FT_Init_FreeType(&m_library) != 0) throw CqvEx("The font library (FreeType) cannot be initialised");
    }
    ~FontLibrary() { FT_Done_FreeType(m_library); }
    FontLibrary(const FontLibrary&) = delete;
    FontLibrary& operator=(const FontLibrary&) = delete;

    FT_Library Get() const { return m_library; }

private:
    FT_Library m_library = nullptr;
};

namespace {

std::optional<FontOutlineMetrics> ReadOutlineMetrics(FT_Face face) {
    if (!FT_IS_SFNT(face) || !FT_IS_SCALABLE(face) || face->units_per_EM == 0) return std::nullopt;
    auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    auto* post = static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));
    // FreeType marks a missing OS/2 table with version 0xFFFF.
    if (!os2 || os2->version == 0xFFFFu || !hhea || !post) return std::nullopt;

    FontOutlineMetrics m;
    m.emSquare = face->units_per_EM;
    m.winAscent = os2->usWinAscent;
    m.winDescent = os2->usWinDescent;
    m.cellHeight = m.winAscent + m.winDescent;
    // The hhea line gap is measured from the typographic extent; the part of it
    // already covered by a taller win cell is not leading any more.
    const int32_t hheaExtent = int32_t{hhea->Ascender} - int32_t{hhea->Descender};
    m.externalLeading = std::max<int32_t>(0, hhea->Line_Gap - (m.cellHeight - hheaExtent));
    m.firstChar = os2->usFirstCharIndex;
    m.lastChar = os2->usLastCharIndex;
    m.underlinePosition = post->underlinePosition;
    m.underlineThickness = post->underlineThickness;
    m.strikeoutPosition = os2->yStrikeoutPosition;
    m.strikeoutSize = os2->yStrikeoutSize;
    return m;
}

// Generic glyph names ("glyph36", "cid00034", "g12") tell nothing of what a
// glyph shows.
bool IsGenericGlyphName(std::string_view name) {
    for (std::string_view prefix : {"glyph", "cid", "gid", "index", "g"}) {
        if (name.size() > prefix.size() && name.substr(0, prefix.size()) == prefix &&
            std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                        [](char c) { return c >= '0' && c <= '9'; }))
            return true;
    }
    return false;
}

// What a glyph named for the letter A is called: "A", "uni0041", "u0041", or
// a variant of it ("A.alt", "A_sc").
bool NamesLetterA(std::string_view name) {
    if (name == "A" || name == "uni0041" || name == "u0041") return true;
    return name.size() > 1 && name[0] == 'A' && (name[1] == '.' || name[1] == '_');
}

bool ReadIsSymbolFace(FT_Face face) {
    for (int i = 0; i < face->num_charmaps; ++i)
        if (face->charmaps[i]->encoding == FT_ENCODING_MS_SYMBOL) return true;
    // PANOSE family kind 5: Latin pictorial (symbols, dingbats).
    auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFFu && os2->panose[0] == 5) return true;
    // A PostScript-flavoured dingbat font may map the Unicode letters to its
    // pictures and declare nothing else that gives it away: its glyph names
    // do. (A TrueType symbol font declares a symbol character map; reading
    // a TrueType font's glyph names would cost a CJK face milliseconds.)
    const char* format = FT_Get_Font_Format(face);
    if (!format || std::string_view(format) != "CFF") return false;
    const FT_UInt a = FT_Get_Char_Index(face, U'A');
    if (a == 0 || !FT_HAS_GLYPH_NAMES(face)) return false;
    char name[64] = {};
    if (FT_Get_Glyph_Name(face, a, name, sizeof name) != 0 || name[0] == '\0') return false;
    const std::string_view glyphName(name);
    return !IsGenericGlyphName(glyphName) && !NamesLetterA(glyphName);
}

struct FontFileCache {
    std::mutex mutex;
    std::shared_ptr<FontLibrary> library;
    std::map<std::pair<std::string, int>, std::shared_ptr<const FontFile>> files;
};

FontFileCache& FileCache() {
    static FontFileCache cache;
    return cache;
}

}  // namespace

namespace {

constexpr size_t kCodePointCount = 0x110000;

FT_Face OpenFace(const FontLibrary& library, const std::string& path, int faceIndex) {
    FT_Face face = nullptr;
    if (FT_New_Face(library.Get(), path.c_str(), faceIndex, &face) != 0 || !face)
        throw CqvEx("The font file \"" + path + "\" cannot be opened");
    return face;
}

}  // namespace

FontFile::FontFile(std::shared_ptr<FontLibrary> library, std::string path, int faceIndex)
    : m_library(std::move(library)),
      m_path(std::move(path)),
      m_faceIndex(faceIndex),
      m_face(OpenFace(*m_library, m_path, m_faceIndex)),
      m_glyphOf(kCodePointCount),
      m_advanceOf(static_cast<size_t>(std::max<FT_Long>(m_face->num_glyphs, 0))) {
    FT_Face face = m_face;
    if (face->family_name) m_familyName = face->family_name;
    if (face->style_name) m_styleName = face->style_name;
    if (const char* format = FT_Get_Font_Format(face)) m_formatName = format;
    m_metrics = ReadOutlineMetrics(face);
    m_symbol = ReadIsSymbolFace(face);
}

FontFile::~FontFile() {
    if (m_face) FT_Done_Face(m_face);
}

uint32_t FontFile::GlyphIndex(char32_t codePoint) const {
    if (codePoint >= m_glyphOf.Count()) return 0;  // beyond Unicode: no font maps it
    return m_glyphOf.Get(codePoint, [this](size_t first, std::span<uint32_t> glyphs) {
        std::lock_guard lock(m_faceMutex);
        for (size_t k = 0; k < glyphs.size(); ++k)
            glyphs[k] = FT_Get_Char_Index(m_face, static_cast<FT_ULong>(first + k));
    });
}

std::vector<char32_t> FontFile::MappedCodePoints() const {
    std::vector<char32_t> mapped;
    std::lock_guard lock(m_faceMutex);
    // FreeType walks the selected map, the one FT_Get_Char_Index reads, and
    // passes over codes that give glyph 0 or a glyph the face does not have,
    // as FT_Get_Char_Index answers 0 for them.
    FT_UInt glyph = 0;
    for (FT_ULong c = FT_Get_First_Char(m_face, &glyph); glyph != 0; c = FT_Get_Next_Char(m_face, c, &glyph)) {
        if (c >= kCodePointCount) break;
        mapped.push_back(static_cast<char32_t>(c));
    }
    // Each step moves up, but a map's subtables need not keep to one order
    // in the file: what callers search must ascend.
    if (!std::is_sorted(mapped.begin(), mapped.end())) std::sort(mapped.begin(), mapped.end());
    return mapped;
}

int32_t FontFile::GlyphDesignAdvance(uint32_t glyphIndex) const {
    // A glyph the face does not have has no advance.
    if (glyphIndex >= m_advanceOf.Count()) return 0;
    return m_advanceOf.Get(glyphIndex, [this](size_t first, std::span<int32_t> advances) {
        std::lock_guard lock(m_faceMutex);
        for (size_t k = 0; k < advances.size(); ++k) {
            FT_Fixed advance = 0;
            // Unscaled: the advance straight from hmtx, independent of any size
            // a renderer may have set on the shared face.
            if (FT_Get_Advance(m_face, static_cast<FT_UInt>(first + k), FT_LOAD_NO_SCALE, &advance) == 0)
                advances[k] = static_cast<int32_t>(advance);
        }
    });
}

int32_t FontFile::DesignAdvance(char32_t codePoint) const { return GlyphDesignAdvance(GlyphIndex(codePoint)); }

std::vector<int32_t> FontFile::DesignAdvances(char32_t first, char32_t last) const {
    std::vector<int32_t> advances;
    if (last < first) return advances;
    advances.reserve(static_cast<size_t>(last - first) + 1);
    for (char32_t c = first;; ++c) {
        advances.push_back(DesignAdvance(c));
        if (c == last) break;
    }
    return advances;
}

std::shared_ptr<const FontFile> OpenFontFile(const std::string& path, int faceIndex) {
    FontFileCache& cache = FileCache();
    std::lock_guard lock(cache.mutex);
    auto key = std::make_pair(path, faceIndex);
    if (auto it = cache.files.find(key); it != cache.files.end()) return it->second;
    if (!cache.library) cache.library = std::make_shared<FontLibrary>();
    auto file = std::make_shared<const FontFile>(cache.library, path, faceIndex);
    cache.files.emplace(std::move(key), file);
    return file;
}

}  // namespace qv::platform
