#include "render/PdfFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <hb.h>

#include <cstdio>

#include "common/CqvEx.h"
#include "render/PdfFontSubset.h"
#include "render/PdfNumber.h"
#include "render/PdfObjectWriter.h"

namespace qv::render {

namespace {

// Characters a PDF name may hold without escaping.
bool PlainNameChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u >= 0x7F) return false;
    switch (c) {
    case '(':
    case ')':
    case '<':
    case '>':
    case '[':
    case ']':
    case '{':
    case '}':
    case '/':
    case '%':
    case '#': return false;
    default: return true;
    }
}

void AppendHex4(std::string& out, uint32_t value) {
    static const char kHex[] = "0123456789ABCDEF";
    out.push_back(kHex[(value >> 12) & 0xF]);
    out.push_back(kHex[(value >> 8) & 0xF]);
    out.push_back(kHex[(value >> 4) & 0xF]);
    out.push_back(kHex[value & 0xF]);
}

void AppendUtf16Hex(std::string& out, char32_t codePoint) {
    if (codePoint >= 0x10000) {
        const uint32_t v = codePoint - 0x10000;
        AppendHex4(out, 0xD800 + (v >> 10));
        AppendHex4(out, 0xDC00 + (v & 0x3FF));
    } else {
        AppendHex4(out, codePoint);
    }
}

}  // namespace

PdfFont::PdfFont(std::shared_ptr<const qv::platform::FontFile> file) : m_file(std::move(file)) {
    if (m_file->Face() && m_file->Face()->units_per_EM > 0) m_emSquare = m_file->Face()->units_per_EM;
}

const PdfFont::GlyphInk& PdfFont::Ink(uint32_t glyph) {
    if (glyph >= m_ink.size()) {
        m_ink.resize(glyph + 1);
        m_inkRead.resize(glyph + 1, 0);
    }
    if (m_inkRead[glyph]) return m_ink[glyph];
    m_inkRead[glyph] = 1;
    if (!m_inkFont) {
        hb_blob_t* blob = hb_blob_create_from_file(m_file->Path().c_str());
        hb_face_t* face = hb_face_create(blob, static_cast<unsigned>(m_file->FaceIndex()));
        hb_blob_destroy(blob);
        // At its default scale a font answers in design units.
        m_inkFont.reset(hb_font_create(face), hb_font_destroy);
        hb_face_destroy(face);
    }
    hb_glyph_extents_t extents{};
    if (hb_font_get_glyph_extents(m_inkFont.get(), glyph, &extents)) {
        // y_bearing is the top, and height runs downward (negative).
        m_ink[glyph] = GlyphInk{extents.x_bearing, extents.y_bearing + extents.height,
                                extents.x_bearing + extents.width, extents.y_bearing};
    }
    return m_ink[glyph];
}

size_t PdfFont::ResourceFor(double em, int number) {
    for (size_t i = 0; i < m_resources.size(); ++i)
        if (m_resources[i].em == em) return i;
    m_resources.push_back(Resource{em, number, "F" + std::to_string(number), {}, 0});
    return m_resources.size() - 1;
}

std::string PdfFont::BaseFontName(const std::vector<uint32_t>& glyphs) const {
    std::string postScript;
    if (const char* name = FT_Get_Postscript_Name(m_file->Face())) postScript = name;
    if (postScript.empty()) postScript = m_file->FamilyName() + "-" + m_file->StyleName();
    std::string clean;
    for (char c : postScript)
        if (PlainNameChar(c)) clean.push_back(c);
    if (clean.empty()) clean = "Font";
    // A subset is named TAG+Name with a tag of six capitals that differs
    // between different subsets of one font; derived from the glyphs, so the
    // same document always comes out byte for byte the same.
    uint64_t hash = 1469598103934665603ull;
    auto mix = [&](uint64_t v) { hash = (hash ^ v) * 1099511628211ull; };
    for (char c : clean) mix(static_cast<unsigned char>(c));
    for (uint32_t glyph : glyphs) mix(glyph);
    std::string tag;
    for (int i = 0; i < 6; ++i) {
        tag.push_back(static_cast<char>('A' + hash % 26));
        hash /= 26;
    }
    return tag + "+" + clean;
}

std::string PdfFont::Descriptor(const std::string& baseFont, int fontFileObject, bool cff) const {
    FT_Face face = m_file->Face();
    const double k = 1000.0 / m_emSquare;
    int flags = 32;  // nonsymbolic: the glyphs are named by id, the text by ToUnicode
    if (FT_IS_FIXED_WIDTH(face)) flags |= 1;
    if (face->style_flags & FT_STYLE_FLAG_ITALIC) flags |= 64;
    double italicAngle = 0;
    if (const auto* post = static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST)))
        italicAngle = post->italicAngle / 65536.0;
    double capHeight = face->ascender * 0.7;
    if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        os2 && os2->version >= 2 && os2->sCapHeight > 0)
        capHeight = os2->sCapHeight;

    std::string d = "<< /Type /FontDescriptor /FontName /" + baseFont + " /Flags ";
    AppendInt(d, flags);
    d += " /FontBBox [";
    for (FT_Pos v : {face->bbox.xMin, face->bbox.yMin, face->bbox.xMax, face->bbox.yMax}) {
        d += ' ';
        AppendNumber(d, static_cast<double>(v) * k, 0);
    }
    d += " ] /ItalicAngle ";
    AppendNumber(d, italicAngle, 2);
    d += " /Ascent ";
    AppendNumber(d, face->ascender * k, 0);
    d += " /Descent ";
    AppendNumber(d, face->descender * k, 0);
    d += " /CapHeight ";
    AppendNumber(d, capHeight * k, 0);
    d += " /StemV 80 ";
    d += cff ? "/FontFile3 " : "/FontFile2 ";
    AppendInt(d, fontFileObject);
    d += " 0 R >>";
    return d;
}

std::string PdfFont::Widths(const Resource& resource) const {
    // Runs of consecutive glyph ids share one array: "first [w w w]".
    std::string w = "[";
    uint32_t runEnd = 0;
    for (uint32_t glyph = 0; glyph < resource.used.size(); ++glyph) {
        if (!resource.used[glyph]) continue;
        if (glyph == 0 || glyph != runEnd) {
            if (w.size() > 1) w += "]";
            w += ' ';
            AppendInt(w, glyph);
            w += " [";
        } else {
            w += ' ';
        }
        AppendNumber(w, m_file->GlyphDesignAdvance(glyph) * 1000.0 / m_emSquare, 3);
        runEnd = glyph + 1;
    }
    if (w.size() > 1) w += "]";
    w += " ]";
    return w;
}

std::string PdfFont::ToUnicodeMap() const {
    std::string map =
        "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
        "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
        "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
        "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    std::vector<uint32_t> glyphs;
    for (uint32_t glyph = 0; glyph < m_unicode.size(); ++glyph)
        if (m_unicode[glyph] != 0) glyphs.push_back(glyph);
    // A bfchar block holds at most 100 entries.
    for (size_t start = 0; start < glyphs.size(); start += 100) {
        const size_t end = std::min(glyphs.size(), start + 100);
        AppendInt(map, static_cast<int64_t>(end - start));
        map += " beginbfchar\n";
        for (size_t i = start; i < end; ++i) {
            map += '<';
            AppendHex4(map, glyphs[i]);
            map += "> <";
            AppendUtf16Hex(map, m_unicode[glyphs[i]]);
            map += ">\n";
        }
        map += "endbfchar\n";
    }
    map += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    return map;
}

void PdfFont::Write(PdfObjectWriter& writer) {
    std::vector<uint32_t> glyphs;
    for (uint32_t glyph = 0; glyph < m_unicode.size(); ++glyph)
        if (m_unicode[glyph] != 0) glyphs.push_back(glyph);
    std::optional<FontProgram> program = SubsetFontProgram(*m_file, glyphs);
    if (!program) throw CqvEx("The font file \"" + m_file->Path() + "\" cannot be embedded in a PDF document");
    const std::string baseFont = BaseFontName(glyphs);

    const int fontFile = writer.Reserve();
    std::string entries;
    m_wroteOpenType = program->cff;
    if (program->cff) {
        entries = "/Subtype /OpenType";
    } else {
        entries = "/Length1 ";
        AppendInt(entries, static_cast<int64_t>(program->bytes.size()));
    }
    writer.WriteStream(fontFile, entries, program->bytes, true);

    const int descriptor = writer.Reserve();
    writer.WriteObject(descriptor, Descriptor(baseFont, fontFile, program->cff));
    const int toUnicode = writer.Reserve();
    writer.WriteStream(toUnicode, {}, ToUnicodeMap(), true);

    for (Resource& resource : m_resources) {
        const int cidFont = writer.Reserve();
        std::string cid = program->cff ? "<< /Type /Font /Subtype /CIDFontType0 /BaseFont /"
                                       : "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /";
        cid += baseFont;
        cid += " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor ";
        AppendInt(cid, descriptor);
        cid += " 0 R";
        if (!program->cff) cid += " /CIDToGIDMap /Identity";
        cid += " /DW 0 /W ";
        cid += Widths(resource);
        cid += " >>";
        writer.WriteObject(cidFont, cid);

        resource.object = writer.Reserve();
        std::string type0 =
            "<< /Type /Font /Subtype /Type0 /BaseFont /" + baseFont + " /Encoding /Identity-H /DescendantFonts [";
        AppendInt(type0, cidFont);
        type0 += " 0 R] /ToUnicode ";
        AppendInt(type0, toUnicode);
        type0 += " 0 R >>";
        writer.WriteObject(resource.object, type0);
    }
}

}  // namespace qv::render
