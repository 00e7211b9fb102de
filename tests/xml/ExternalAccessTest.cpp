#include <gtest/gtest.h>
#include <tinyxml.h>

#include <filesystem>
#include <string>

#include "XmlTestFiles.h"
#include "common/CqvStopped.h"
#include "support/TestScratchDir.h"
#include "xml/CqvXmlDocument.h"
#include "xml/PathInsideFolder.h"

namespace {

using qv::test::ScratchDir;

// A data folder with a file beside it, a secret outside it, and links both ways.
struct Machine {
    ScratchDir outside;
    ScratchDir data;
    std::string secret = outside.Write("secret.txt", "SECRET of the machine");
    Machine() {
        data.Write("inside.ent", "text beside the data");
        data.Write("sub/deeper.ent", "text further down");
        std::filesystem::create_symlink(secret, data / "out.ent");
        std::filesystem::create_symlink(data / "inside.ent", data / "in.ent");
    }
};

TEST(PathInsideFolder, FollowsLinksAndFoldsSteps) {
    Machine m;
    const std::string folder = m.data.Path().string();
    const struct {
        std::string path;
        bool inside;
    } cases[] = {
        {m.data / "inside.ent", true},
        {m.data / "sub/deeper.ent", true},
        {m.data / "sub/../inside.ent", true},
        {m.data / "none.ent", true},  // need not exist
        {m.data / "in.ent", true},    // a link that stays inside
        {m.data / "out.ent", false},  // a link that leads out
        {m.data / "../x/secret.txt", false},
        {m.data / "nothing/../../x", false},  // climbs out through a missing folder
        {m.secret, false},
        {"/etc/passwd", false},
        {folder, true},
        {folder + "-sibling/file", false},  // a common prefix is not a parent
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(PathInsideFolder(folder, c.path), c.inside) << c.path;
    EXPECT_TRUE(PathInsideFolder(folder + "/", m.data / "inside.ent"));
}

TEST(PathInsideFolder, PlainRelativeNames) {
    const struct {
        const char* name;
        bool plain;
    } cases[] = {
        {"photo.png", true},      {"sub/photo.png", true},  {"sub\\photo.png", true},
        {"a..b.png", true},       {"..png", true},          {"", false},
        {"/etc/passwd", false},   {"\\etc\\passwd", false}, {"  /etc/passwd", false},
        {"../photo.png", false},  {"sub/../../x", false},   {"sub\\..\\x", false},
        {"C:\\photo.png", false}, {"c:photo.png", false},   {"..", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsPlainRelativeName(c.name), c.plain) << c.name;
}

std::string EntityData(const std::string& systemId) {
    return "<!DOCTYPE root [<!ENTITY e SYSTEM \"" + systemId + "\">]><root>&e;</root>";
}

std::string RootText(const CqvXmlDocument& document) {
    const TiXmlElement* root = document.RootElement();
    return root && root->FirstChild() ? root->FirstChild()->ValueStr() : std::string();
}

std::string LoadError(const std::string& path, ExternalAccess access) {
    CqvXmlDocument document;
    XmlLoadRules rules;
    rules.access = access;
    try {
        document.Load(path, rules);
    } catch (const CqvEx& error) {
        return error.Message();
    }
    return "loaded: " + RootText(document);
}

TEST(ExternalAccess, DataEntitiesStayInTheirFolder) {
    Machine m;
    const std::string climb = std::filesystem::relative(m.secret, m.data.Path()).string();
    const struct {
        std::string systemId;
        const char* ownFolder;  // the message's end, or the text loaded
    } cases[] = {
        {m.secret, "it lies outside the data file's folder"},
        {"/etc/passwd", "it lies outside the data file's folder"},
        {climb, "it lies outside the data file's folder"},
        {"out.ent", "it lies outside the data file's folder"},
        {"missing/../../nothing.ent", "it lies outside the data file's folder"},
        {"inside.ent", "loaded: text beside the data"},
        {"in.ent", "loaded: text beside the data"},
        {"sub/../sub/deeper.ent", "loaded: text further down"},
    };
    for (const auto& c : cases) {
        const std::string path = m.data.Write("data.xml", EntityData(c.systemId));
        const std::string message = LoadError(path, ExternalAccess::OwnFolder);
        if (std::string(c.ownFolder).starts_with("loaded")) {
            EXPECT_EQ(message, c.ownFolder) << c.systemId;
        } else {
            EXPECT_EQ(message, "The external DTD or entity '" + c.systemId +
                                   "' of the file 'data.xml' is refused: " + c.ownFolder)
                << c.systemId;
        }
        // Nothing reaches a data file that may refer to no file at all ...
        EXPECT_EQ(LoadError(path, ExternalAccess::None),
                  "The external DTD or entity '" + c.systemId +
                      "' of the file 'data.xml' is refused: this data may not refer to other files");
        // ... and a trusted one is refused nothing (a missing file is missing).
        EXPECT_EQ(LoadError(path, ExternalAccess::Any).find("is refused"), std::string::npos) << c.systemId;
    }
}

TEST(ExternalAccess, ADtdBesideTheDataCannotPullAFileIntoAMessage) {
    Machine m;
    // The parameter entity %f; would become the system id of %x;, and the
    // open failure would show the secret.
    m.data.Write("evil.dtd",
                 "<!ENTITY % f SYSTEM \"" + m.secret + "\"><!ENTITY % e \"<!ENTITY &#x25; x SYSTEM '%f;'>\">%e;%x;");
    const std::string path = m.data.Write("data.xml", "<!DOCTYPE root SYSTEM \"evil.dtd\"><root/>");
    for (ExternalAccess access : {ExternalAccess::OwnFolder, ExternalAccess::None}) {
        const std::string message = LoadError(path, access);
        EXPECT_EQ(message.find("SECRET"), std::string::npos) << message;
        EXPECT_TRUE(message.find("is refused") != std::string::npos) << message;
    }
    EXPECT_NE(LoadError(path, ExternalAccess::Any).find("SECRET"), std::string::npos);
}

TEST(ExternalAccess, AStopRequestEndsTheLoad) {
    ScratchDir dir;
    std::string rows = "<root>";
    for (int i = 0; i < 2000; ++i) rows += "<row>some text of a row</row>";
    const std::string path = dir.Write("rows.xml", rows + "</root>");
    int asked = 0;
    XmlLoadRules rules;
    rules.stopRequested = [&] { return ++asked > 3; };
    CqvXmlDocument document;
    EXPECT_THROW(document.Load(path, rules), CqvStopped);
    EXPECT_EQ(asked, 4);  // asked before every block, and obeyed at once
}

}  // namespace
