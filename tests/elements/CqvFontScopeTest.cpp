#include <gtest/gtest.h>
#include <tinyxml.h>

#include <string>

#include "elements/CqvFontScope.h"
#include "elements/CqvStyle.h"
#include "engine/QvSettings.h"
#include "render/RecordingSurface.h"
#include "support/TestSettingsGuard.h"

namespace {

// A surface of another resolution, as a raw device would report it.
class DpiSurface : public RecordingSurface {
public:
    explicit DpiSurface(int dpi) : m_dpi(dpi) {}
    int LogPixelsY() const override { return m_dpi; }

private:
    int m_dpi;
};

TEST(CqvFontScope, EmHeightIsDpiTimesSizeOver72Truncated) {
    struct Case {
        int dpi, size, emHeight;
    };
    const Case cases[] = {{600, 12, 100}, {300, 10, 41}, {254, 12, 42},
                          {254, 10, 35},  {254, 0, 0},   {254, 2147483647, 2147483647}};
    for (const Case& c : cases)
        EXPECT_EQ(CqvFontScope::FontEmHeight(c.dpi, c.size), c.emHeight) << c.dpi << " " << c.size;
}

TEST(CqvFontScope, SelectsTheStyleFontAndColoursAndRestoresThem) {
    qv::test::SettingsGuard guard;
    QvSettings::Instance().fontCharset = 204;
    CqvStyle style;
    TiXmlElement element("Style");
    element.SetAttribute("font-family", "Times New Roman");
    element.SetAttribute("font-size", "10");
    element.SetAttribute("font-bold", "1");
    element.SetAttribute("font-italic", "1");
    element.SetAttribute("font-underline", "1");
    element.SetAttribute("font-strikeout", "1");
    element.SetAttribute("color-text", "#112233");
    element.SetAttribute("color-bg", "#445566");
    style.Load(element);

    RecordingSurface surface;
    QvFontSpec before;
    before.face = "Courier New";
    before.height = -7;
    surface.SelectFont(before);
    surface.Clear();
    {
        CqvFontScope scope(surface, style);
        const QvFontSpec& font = surface.CurrentFont();
        EXPECT_EQ(font.face, "Times New Roman");
        EXPECT_EQ(font.height, -35);
        EXPECT_EQ(font.weight, 700);
        EXPECT_TRUE(font.italic);
        EXPECT_TRUE(font.underline);
        EXPECT_TRUE(font.strikeout);
        EXPECT_EQ(font.charset, 204);
        EXPECT_EQ(surface.TextColor(), QvRgb(0x11, 0x22, 0x33));
        EXPECT_EQ(surface.BkColor(), QvRgb(0x44, 0x55, 0x66));
        EXPECT_TRUE(style.m_metrics.IsBuilt());
        EXPECT_FLOAT_EQ(style.m_metrics.Scale(), 35.0f / 2048.0f);
    }
    EXPECT_EQ(surface.CurrentFont(), before);
    EXPECT_EQ(surface.TextColor(), QvRgb(0, 0, 0));
    EXPECT_EQ(surface.BkColor(), QvRgb(255, 255, 255));
}

TEST(CqvFontScope, FlagsOffOrUnsetMakeARegularFont) {
    for (const char* value : {static_cast<const char*>("0"), static_cast<const char*>(nullptr)}) {
        CqvStyle style;
        TiXmlElement element("Style");
        if (value) {
            for (const char* name : {"font-bold", "font-italic", "font-underline", "font-strikeout"})
                element.SetAttribute(name, value);
        }
        style.Load(element);
        DpiSurface surface(600);
        CqvFontScope scope(surface, style);
        const QvFontSpec& font = surface.CurrentFont();
        EXPECT_EQ(font.weight, 400);
        EXPECT_FALSE(font.italic || font.underline || font.strikeout);
        EXPECT_EQ(font.height, -100);
        EXPECT_EQ(scope.EmHeight(), 100);
    }
}

TEST(CqvFontScope, FaceNameIsCutTo31Characters) {
    qv::test::SettingsGuard guard;
    CqvStyle style;
    style.m_strFontFamily = std::string(40, 'F');
    const QvFontSpec font = CqvFontScope::MakeFont(style, 254, QvSettings::Instance());
    EXPECT_EQ(font.face, std::string(31, 'F'));

    // Wide text counts characters, not bytes: 31 Cyrillic letters stay whole.
    std::string cyrillic;
    for (int i = 0; i < 40; ++i) cyrillic += "\xD0\xAF";  // U+042F
    style.m_strFontFamily = cyrillic;
    EXPECT_EQ(CqvFontScope::MakeFont(style, 254, QvSettings::Instance()).face, cyrillic.substr(0, 62));

    // Narrow text counts bytes.
    QvSettings::Instance().wideText = false;
    QvSettings::Instance().templateCodePage = 28591;
    style.m_strFontFamily = std::string(40, 'G');
    EXPECT_EQ(CqvFontScope::MakeFont(style, 254, QvSettings::Instance()).face, std::string(31, 'G'));
}

}  // namespace
