#include "elements/CqvStyle.h"

#include <tinyxml.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>
#include <system_error>

#include "common/AsciiText.h"
#include "elements/AttributeInt.h"
#include "elements/ParseLength.h"
#include "engine/QvSettings.h"
#include "engine/Surface.h"

namespace {

int32_t OnOff(const char* value) { return AttributeInt(value) != 0 ? 1 : 0; }

// One two-digit field of "#rrggbb", read as scanf's "%02x" reads it: white
// space before it is skipped, then one or two hexadecimal digits.
bool ReadHexField(std::string_view& text, unsigned& value) {
    while (!text.empty() && qv::IsAsciiSpace(text.front())) text.remove_prefix(1);
    const char* begin = text.data();
    const auto [end, error] = std::from_chars(begin, begin + std::min<size_t>(2, text.size()), value, 16);
    if (error != std::errc()) return false;
    text.remove_prefix(static_cast<size_t>(end - begin));
    return true;
}

// "#rrggbb"; a colour that does not read all three numbers leaves the old one.
void ReadColor(std::string_view value, QvColor& color) {
    if (value.empty() || value.front() != '#') return;
    value.remove_prefix(1);
    unsigned red = 0, green = 0, blue = 0;
    if (ReadHexField(value, red) && ReadHexField(value, green) && ReadHexField(value, blue))
        color = QvRgb(red, green, blue);
}

}  // namespace

void CqvStyle::Load(const TiXmlElement& element) {
    m_bLoaded = true;
    // The shorthands are taken first and by their exact names only, so a
    // per-side attribute on the same element wins whatever the order.
    if (const char* border = element.Attribute("border")) {
        const int32_t on = OnOff(border);
        m_nBorderLeft = m_nBorderTop = m_nBorderRight = m_nBorderBottom = on;
    }
    if (const char* padding = element.Attribute("padding")) {
        // A plain number of tenths of a millimetre, not a length: "5mm" is 5.
        const int32_t value = AttributeInt(padding);
        m_nPaddingLeft = m_nPaddingTop = m_nPaddingRight = m_nPaddingBottom = value;
    }
    for (const TiXmlAttribute* a = element.FirstAttribute(); a; a = a->Next())
        LoadAttribute(qv::AsciiLower(a->NameTStr()), a->Value());
}

void CqvStyle::LoadAttribute(const std::string& name, const char* value) {
    if (!value) value = "";
    if (name == "name") {
        m_strName = value;
    } else if (name == "font-family") {
        m_strFontFamily = value;
    } else if (name == "font-size") {
        m_nFontSize = AbsoluteValue(AttributeInt(value));
    } else if (name == "font-bold") {
        m_nBold = OnOff(value);
    } else if (name == "font-italic") {
        m_nItalic = OnOff(value);
    } else if (name == "font-strikeout") {
        m_nStrikeout = OnOff(value);
    } else if (name == "font-underline") {
        m_nUnderline = OnOff(value);
    } else if (name == "color-text") {
        ReadColor(value, m_crText);
    } else if (name == "color-bg") {
        ReadColor(value, m_crBg);
    } else if (name == "border-left") {
        m_nBorderLeft = OnOff(value);
    } else if (name == "border-top") {
        m_nBorderTop = OnOff(value);
    } else if (name == "border-right") {
        m_nBorderRight = OnOff(value);
    } else if (name == "border-bottom") {
        m_nBorderBottom = OnOff(value);
    } else if (name == "padding-left") {
        m_nPaddingLeft = AbsoluteValue(ParseLength(value));
    } else if (name == "padding-right") {
        m_nPaddingRight = AbsoluteValue(ParseLength(value));
    } else if (name == "padding-top") {
        m_nPaddingTop = AbsoluteValue(ParseLength(value));
    } else if (name == "padding-bottom") {
        m_nPaddingBottom = AbsoluteValue(ParseLength(value));
    } else if (name == "text-align") {
        if (std::strcmp(value, "left") == 0) m_nTextAlign = kQvAlignLeft;
        else if (std::strcmp(value, "center") == 0) m_nTextAlign = kQvAlignCenter;
        else if (std::strcmp(value, "right") == 0) m_nTextAlign = kQvAlignRight;
    } else if (name == "space-before") {
        m_nSpaceBefore = AbsoluteValue(ParseLength(value));
    } else if (name == "space-after") {
        m_nSpaceAfter = AbsoluteValue(ParseLength(value));
    }
}

void CqvStyle::CopyFrom(const CqvStyle& other) {
    Assign(other);
    m_strFontFamily = other.m_strFontFamily;
    m_nFontSize = other.m_nFontSize;
    m_nBold = other.m_nBold;
    m_nItalic = other.m_nItalic;
    m_nStrikeout = other.m_nStrikeout;
    m_nUnderline = other.m_nUnderline;
    m_crText = other.m_crText;
    m_crBg = other.m_crBg;
    m_nBorderLeft = other.m_nBorderLeft;
    m_nBorderTop = other.m_nBorderTop;
    m_nBorderRight = other.m_nBorderRight;
    m_nBorderBottom = other.m_nBorderBottom;
    m_nTextAlign = other.m_nTextAlign;
    m_nSpaceBefore = other.m_nSpaceBefore;
    m_nSpaceAfter = other.m_nSpaceAfter;
    m_nPaddingLeft = other.m_nPaddingLeft;
    m_nPaddingTop = other.m_nPaddingTop;
    m_nPaddingRight = other.m_nPaddingRight;
    m_nPaddingBottom = other.m_nPaddingBottom;
    m_bLoaded = other.m_bLoaded;
}

void CqvStyle::ApplyDefault() {
    const CqvStyle* defaultStyle = QvSettings::Instance().defaultStyle;
    if (!m_bLoaded && defaultStyle && defaultStyle != this) CopyFrom(*defaultStyle);
}

void CqvStyle::DrawBorders(Surface& surface, const QvRect& outer) const {
    // The left, top and bottom lines start one unit left of the box so that
    // they meet the left border's line, which stands just outside the box.
    const int32_t left = outer.left, top = outer.top, right = outer.right, bottom = outer.bottom;
    if (qv::TriIsTrue(m_nBorderLeft)) {
        surface.MoveTo(left - 1, top);
        surface.LineTo(left - 1, bottom);
    }
    if (qv::TriIsTrue(m_nBorderTop)) {
        surface.MoveTo(left - 1, top);
        surface.LineTo(right, top);
    }
    if (qv::TriIsTrue(m_nBorderRight)) {
        surface.MoveTo(right, top);
        surface.LineTo(right, bottom);
    }
    if (qv::TriIsTrue(m_nBorderBottom)) {
        surface.MoveTo(left - 1, bottom);
        surface.LineTo(right, bottom);
    }
}
