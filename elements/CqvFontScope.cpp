#include "elements/CqvFontScope.h"

#include <limits>
#include <string>

#include "common/TriState.h"
#include "elements/CqvStyle.h"
#include "elements/QvCodePageText.h"
#include "engine/QvSettings.h"

namespace {

// Face names are limited to 31 characters, as a logical font holds them.
constexpr size_t kFaceNameChars = 31;

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string Utf16ToUtf8(const std::u16string& units) {
    std::string out;
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t cp = units[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

// Wide text: the family is converted from the template code page first and cut
// to 31 UTF-16 units (never between the halves of a surrogate pair); the
// surfaces take face names as UTF-8. Narrow text: cut to 31 bytes.
std::string ConvertFaceName(const std::string& family, const QvSettings& settings) {
    if (!settings.wideText) return family.substr(0, kFaceNameChars);
    std::u16string units;
    if (!TemplateTextToUtf16(settings.templateCodePage, family, units)) return {};
    if (units.size() > kFaceNameChars) {
        size_t keep = kFaceNameChars;
        if (units[keep - 1] >= 0xD800 && units[keep - 1] <= 0xDBFF) --keep;
        units.resize(keep);
    }
    return Utf16ToUtf8(units);
}

// Every text drawn or measured selects its style's font, and a report names
// few families: the name converted last is kept (per thread, as the pages
// may be drawn on more than one). The name stays valid until the thread's next call.
const std::string& FaceName(const std::string& family, const QvSettings& settings) {
    struct Converted {
        std::string family;
        bool wide = false;
        int32_t codePage = 0;
        std::string face;
        bool valid = false;
    };
    thread_local Converted last;
    if (!last.valid || last.wide != settings.wideText || last.codePage != settings.templateCodePage ||
        last.family != family) {
        last.valid = false;
        last.face = ConvertFaceName(family, settings);
        last.family = family;
        last.wide = settings.wideText;
        last.codePage = settings.templateCodePage;
        last.valid = true;
    }
    return last.face;
}

}  // namespace

int32_t CqvFontScope::FontEmHeight(int32_t logPixelsY, int32_t fontSize) {
    // The product is taken positive and divided with truncation; sizes too large
    // for the integer range saturate.
    const int64_t product = static_cast<int64_t>(logPixelsY) * fontSize;
    const int64_t height = (product < 0 ? -product : product) / 72;
    if (height > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(height);
}

QvFontSpec CqvFontScope::MakeFont(const CqvStyle& style, int32_t logPixelsY, const QvSettings& settings) {
    // Built in place, as every text measured or drawn makes one.
    return QvFontSpec{.face = FaceName(style.m_strFontFamily, settings),
                      .height = -FontEmHeight(logPixelsY, style.m_nFontSize),
                      .weight = qv::TriIsTrue(style.m_nBold) ? 700 : 400,
                      .italic = qv::TriIsTrue(style.m_nItalic),
                      .underline = qv::TriIsTrue(style.m_nUnderline),
                      .strikeout = qv::TriIsTrue(style.m_nStrikeout),
                      .charset = settings.fontCharset};
}

// The fonts are made in place rather than assigned, for the same reason.
CqvFontScope::CqvFontScope(Surface& surface, CqvStyle& style)
    : m_surface(surface),
      m_font(MakeFont(style, surface.LogPixelsY(), QvSettings::Instance())),
      m_nEmHeight(FontEmHeight(surface.LogPixelsY(), style.m_nFontSize)),
      m_previousFont(surface.SelectFont(m_font)),
      m_crPreviousText(surface.SetTextColor(style.m_crText)),
      m_crPreviousBg(surface.SetBkColor(style.m_crBg)) {
    const QvSettings& settings = QvSettings::Instance();
    try {
        style.m_metrics.Build(m_font, m_nEmHeight, QvTextMode{settings.wideText, settings.templateCodePage});
    } catch (...) {
        // No usable font at all: the surface still gets its own state back.
        // (Not by calling the destructor: the members would be destroyed
        // twice, once there and once as the constructor fails.)
        Restore();
        throw;
    }
}

CqvFontScope::~CqvFontScope() { Restore(); }

void CqvFontScope::Restore() {
    m_surface.SetBkColor(m_crPreviousBg);
    m_surface.SetTextColor(m_crPreviousText);
    m_surface.SelectFont(m_previousFont);
}
