#pragma once
// One font file as a PDF document embeds it: the file's glyphs go in once
// (a subset that keeps the glyph ids), and every em height drawn with it is a
// font resource of its own, a Type0 font over a CIDFontType2. All resources of
// one file share the font descriptor, the embedded program and the ToUnicode
// map.
//
// The widths are the font program's own advances. Programs that print rebuild
// glyphs from the embedded font and trust its metrics over the PDF's, so any
// other width prints shifted or scaled glyphs. The engine's advances are wider
// by kAdvanceBias logical units per glyph: the page's character spacing (Tc)
// adds exactly that, so the viewer's pen still follows the engine.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/FontFile.h"

struct hb_font_t;

namespace qv::render {

class PdfObjectWriter;

class PdfFont {
public:
    explicit PdfFont(std::shared_ptr<const qv::platform::FontFile> file);

    const qv::platform::FontFile& File() const { return *m_file; }

    // The resource for text of em height `em` (logical units), made with the
    // document-wide number `number` (its name is F<number>) when the height
    // is new.
    size_t ResourceFor(double em, int number);
    int ResourceNumber(size_t resource) const { return m_resources[resource].number; }
    const std::string& ResourceName(size_t resource) const { return m_resources[resource].name; }

    // What the engine's ideal advance adds to the scaled design advance, in
    // logical units, at every em height.
    static constexpr double kAdvanceBias = 0.5;

    // The advance the PDF viewer gives glyph `glyph` at em height `em`, in
    // logical units: the /W width times the em, plus the character spacing
    // kAdvanceBias the page sets.
    double Advance(uint32_t glyph, double em) const {
        return m_file->GlyphDesignAdvance(glyph) * em / m_emSquare + kAdvanceBias;
    }

    // The box of a glyph's outline in the font's design units, y upward from
    // the baseline and x from the glyph's origin; all zero for a glyph without
    // ink. Read with HarfBuzz from the file itself, so that nothing touches
    // the FreeType face a Cairo surface may be drawing with meanwhile.
    struct GlyphInk {
        int32_t xMin = 0, yMin = 0, xMax = 0, yMax = 0;
        bool Empty() const { return xMin == xMax && yMin == yMax; }
    };
    const GlyphInk& Ink(uint32_t glyph);
    int32_t EmSquare() const { return m_emSquare; }

    // Records that `glyph` was drawn with `resource` for `codePoint` (the
    // first character seen for a glyph is what copying the glyph gives).
    void UseGlyph(size_t resource, uint32_t glyph, char32_t codePoint) {
        std::vector<uint8_t>& used = m_resources[resource].used;
        if (glyph >= used.size()) used.resize(glyph + 1, 0);
        used[glyph] = 1;
        if (glyph >= m_unicode.size()) m_unicode.resize(glyph + 1, 0);
        if (m_unicode[glyph] == 0) m_unicode[glyph] = codePoint;
    }

    // Writes the font program, descriptor, ToUnicode map and one font per
    // resource; then ObjectOf gives each resource's object number. Raises
    // CqvEx naming the font file when it cannot be embedded.
    void Write(PdfObjectWriter& writer);
    int ObjectOf(size_t resource) const { return m_resources[resource].object; }
    // Whether Write embedded the program as FontFile3 /OpenType (CFF
    // outlines), which a document may hold from PDF 1.6 on.
    bool WroteOpenTypeProgram() const { return m_wroteOpenType; }
    size_t ResourceCount() const { return m_resources.size(); }

private:
    struct Resource {
        double em = 0;
        int number = 0;
        std::string name;
        std::vector<uint8_t> used;  // by glyph id
        int object = 0;
    };

    std::string BaseFontName(const std::vector<uint32_t>& glyphs) const;
    std::string Descriptor(const std::string& baseFont, int fontFileObject, bool cff) const;
    std::string Widths(const Resource& resource) const;
    std::string ToUnicodeMap() const;

    std::shared_ptr<const qv::platform::FontFile> m_file;
    int32_t m_emSquare = 2048;
    std::vector<Resource> m_resources;
    std::vector<char32_t> m_unicode;  // by glyph id; 0 = not drawn
    bool m_wroteOpenType = false;
    std::shared_ptr<hb_font_t> m_inkFont;  // opened at the first Ink
    std::vector<GlyphInk> m_ink;           // by glyph id
    std::vector<uint8_t> m_inkRead;        // by glyph id
};

}  // namespace qv::render
