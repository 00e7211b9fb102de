#pragma once
// One font file as a PDF document embeds it: the file's glyphs go in once
// (a subset that keeps the glyph ids), and every em height drawn with it is a
// font resource of its own, a Type0 font over a CIDFontType2 whose widths are
// the engine's ideal advances at that height. All resources of one file share
// the font descriptor, the embedded program and the ToUnicode map.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/FontFile.h"

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

    // The advance the PDF viewer gives glyph `glyph` of resource `resource`,
    // in logical units: the /W width times the em.
    double Advance(uint32_t glyph, double em) const {
        return m_file->GlyphDesignAdvance(glyph) * em / m_emSquare + 0.5;
    }

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
};

}  // namespace qv::render
