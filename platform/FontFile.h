#pragma once
// One face of a font file opened with FreeType, and the figures that the text
// metrics and the renderer take from it. Everything here is in design units
// (the font's own units, at its em square), read from the font's tables the way
// Windows reports them for TrueType fonts, so that lines measured here break
// where they break on Windows with the metric-compatible Liberation fonts.
//
// Opened faces are shared and live for the rest of the process: opening the
// same (file, index) again returns the same object.
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "common/QvPagedTable.h"

// FreeType's own handle type, declared as FreeType declares it, so that users of
// this header need not see FreeType's headers.
struct FT_FaceRec_;

namespace qv::platform {

// The outline text metrics of a face, in design units; y grows upward from the
// baseline.
struct FontOutlineMetrics {
    int32_t emSquare = 0;    // head unitsPerEm
    int32_t winAscent = 0;   // OS/2 usWinAscent: top of the text cell above the baseline
    int32_t winDescent = 0;  // OS/2 usWinDescent: bottom of the cell below the baseline
    int32_t cellHeight = 0;  // winAscent + winDescent
    // What the font asks for between lines beyond the cell:
    // max(0, hhea lineGap − (cellHeight − (hhea ascender − hhea descender))).
    int32_t externalLeading = 0;
    uint32_t firstChar = 0;          // OS/2 usFirstCharIndex
    uint32_t lastChar = 0;           // OS/2 usLastCharIndex
    int32_t underlinePosition = 0;   // post: top of the underline stroke (negative: below the baseline)
    int32_t underlineThickness = 0;  // post
    int32_t strikeoutPosition = 0;   // OS/2 yStrikeoutPosition: top of the strikeout stroke
    int32_t strikeoutSize = 0;       // OS/2 yStrikeoutSize
    friend bool operator==(const FontOutlineMetrics&, const FontOutlineMetrics&) = default;
};

class FontLibrary;

class FontFile {
public:
    FontFile(std::shared_ptr<FontLibrary> library, std::string path, int faceIndex);
    ~FontFile();
    FontFile(const FontFile&) = delete;
    FontFile& operator=(const FontFile&) = delete;

    const std::string& Path() const { return m_path; }
    int FaceIndex() const { return m_faceIndex; }
    const std::string& FamilyName() const { return m_familyName; }
    const std::string& StyleName() const { return m_styleName; }
    // FreeType's name of the file's format: "TrueType", "CFF" (OpenType with
    // PostScript outlines), "Type 1", "PCF", ...
    const std::string& FormatName() const { return m_formatName; }

    // Empty for a face that is not an outline font with OS/2, hhea and post
    // tables (a bitmap font, for example): such a font has no outline metrics.
    const std::optional<FontOutlineMetrics>& OutlineMetrics() const { return m_metrics; }

    // A symbol or dingbat face: its character map puts pictures or Greek
    // letters where the letters of text are (a symbol character map, PANOSE
    // "pictorial", or "A" mapped to a glyph named as another character). Such a
    // face draws text as symbols, so it never stands in for a text family.
    bool IsSymbolFace() const { return m_symbol; }

    // The glyph the font's character map gives a code point; 0 (.notdef) when
    // the font does not map it.
    uint32_t GlyphIndex(char32_t codePoint) const;

    // Every code point the character map gives a glyph, in ascending order: the code
    // points whose GlyphIndex is not 0. A walk of the map, far cheaper than
    // asking for each of the 1.1 million code points in turn.
    std::vector<char32_t> MappedCodePoints() const;

    // Unscaled horizontal advance from hmtx. A code point the font does not map
    // measures as the .notdef glyph.
    //
    // Both are asked for every character drawn or measured, so each is read
    // from FreeType once per code point (and glyph) and kept in tables filled
    // a page at a time.
    int32_t DesignAdvance(char32_t codePoint) const;
    int32_t GlyphDesignAdvance(uint32_t glyphIndex) const;
    // Advances of every code point from first to last, both included.
    std::vector<int32_t> DesignAdvances(char32_t first, char32_t last) const;

    // The FreeType face, for a renderer that draws with this very file. It is
    // owned by this object; keep the FontFile alive (shared_ptr) while using it.
    FT_FaceRec_* Face() const { return m_face; }

private:
    std::shared_ptr<FontLibrary> m_library;  // FreeType must outlive every face made from it
    std::string m_path;
    int m_faceIndex = 0;
    FT_FaceRec_* m_face = nullptr;
    std::string m_familyName;
    std::string m_styleName;
    std::string m_formatName;
    std::optional<FontOutlineMetrics> m_metrics;
    bool m_symbol = false;
    // By code point (up to U+10FFFF) and by glyph index (below the face's
    // glyph count): what FreeType answered.
    QvPagedTable<uint32_t> m_glyphOf;
    QvPagedTable<int32_t> m_advanceOf;
    // A FreeType face is not to be used by two threads at once, and the two
    // tables fill from the same face: the text metrics may fill one while a
    // page is drawn on another thread.
    mutable std::mutex m_faceMutex;
};

// Opens face `faceIndex` of a font file, or returns the face opened before.
// Raises CqvEx naming the file when FreeType cannot open it.
std::shared_ptr<const FontFile> OpenFontFile(const std::string& path, int faceIndex = 0);

}  // namespace qv::platform
