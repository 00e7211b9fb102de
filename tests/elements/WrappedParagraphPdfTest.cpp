// A wrapped paragraph in two styles, through the real font scope, text metrics
// and PDF surface: what a reader of the PDF gets back.
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <sstream>
#include <string>

#include "elements/CqvFontScope.h"
#include "elements/CqvStyle.h"
#include "engine/QvSettings.h"
#include "render/PdfSurface.h"
#include "support/TestCommand.h"
#include "support/TestScratchDir.h"
#include "support/TestSettingsGuard.h"

namespace {

std::string Squeezed(const std::string& text) {
    std::istringstream words(text);
    std::string word, out;
    while (words >> word) out += (out.empty() ? "" : " ") + word;
    return out;
}

void LoadStyle(CqvStyle& style, const char* family, int size, bool bold) {
    TiXmlElement element("Style");
    element.SetAttribute("font-family", family);
    element.SetAttribute("font-size", size);
    if (bold) element.SetAttribute("font-bold", 1);
    style.Load(element);
}

TEST(WrappedParagraphPdf, TwoStylesComeBackAsTextOnAnA4PageWithTheFontsEmbedded) {
    qv::test::SettingsGuard settings;
    QvSettings::Instance().wideText = true;
    QvSettings::Instance().templateCodePage = 65001;
    const qv::test::ScratchDir dir;
    const std::string pdf = dir / "wrapped.pdf";

    const std::string body =
        "The quick brown fox jumps over the lazy dog while the register of dogs grows "
        "longer with every line, so that this paragraph has to wrap several times.";
    const std::string heading = "Register of dogs";
    CqvStyle regular, bold;
    LoadStyle(regular, "Arial", 12, false);
    LoadStyle(bold, "Arial", 16, true);
    int32_t headingHeight = 0, bodyHeight = 0;
    {
        PdfSurface surface = PdfSurface::File(pdf, 2100, 2970);
        surface.StartPage();
        {
            CqvFontScope scope(surface, bold);
            headingHeight =
                bold.m_metrics.DrawWrapped(&surface, heading.c_str(), 0, QvRect{200, -200, 1900, -2700}, 0, true);
        }
        {
            CqvFontScope scope(surface, regular);
            bodyHeight =
                regular.m_metrics.DrawWrapped(&surface, body.c_str(), 0, QvRect{200, -400, 900, -2700}, 0, true);
        }
        surface.EndPage();
        surface.Finish();
    }
    EXPECT_LT(headingHeight, 0);
    // A 70 mm column breaks the paragraph into several lines of about 5 mm.
    EXPECT_LE(bodyHeight, -4 * 50);

    const std::string text = Squeezed(qv::test::Capture("pdftotext '" + pdf + "' -"));
    EXPECT_NE(text.find(heading), std::string::npos) << text;
    EXPECT_NE(text.find(Squeezed(body)), std::string::npos) << text;

    const std::string fonts = qv::test::Capture("pdffonts '" + pdf + "'");
    EXPECT_NE(fonts.find("LiberationSans-Bold"), std::string::npos) << fonts;
    EXPECT_NE(fonts.find("LiberationSans "), std::string::npos) << fonts;

    const std::string info = qv::test::Capture("pdfinfo '" + pdf + "'");
    EXPECT_NE(info.find("595.276 x 841.89 pts (A4)"), std::string::npos) << info;
}

}  // namespace
