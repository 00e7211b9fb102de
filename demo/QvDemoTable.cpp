#include "demo/QvDemoTable.h"

#include <array>
#include <cstdlib>

namespace {

constexpr int kCodePageUtf8 = 65001;
constexpr int kCodePageCyrillic = 1251;
constexpr int kCodePageWestern = 1252;

const std::array<DemoRow, 9>& Rows() {
    static const std::array<DemoRow, 9> rows{{
        {{"Blocks", "DemoFiles/dogs.xml", "DemoFiles/dogs.qvrp"}, false},
        {{"Table", "DemoFiles/dogs.xml", "DemoFiles/dogs_table.qvrp"}, false},
        {{"Table in Table", "DemoFiles/dogs.xml", "DemoFiles/dogs_table_in_table.qvrp"}, false},
        {{"UTF8", "DemoFiles/utf8.xml", "DemoFiles/utf8.qvrp"}, false},
        {{"Image from Base64", "DemoFiles/base64.xml", "DemoFiles/base64.qvrp"}, false},
        {{"Blank", "DemoFiles/blank.xml", "DemoFiles/blank.qvrp"}, false},
        {{"Накладная", "DemoFiles/nakladn.xml", "DemoFiles/nakladn.qvrp"}, true},
        {{"Счёт фактура", "DemoFiles/sfactura.xml", "DemoFiles/sfactura.qvrp"}, true},
        {{"Книга (в формате fb2)", "DemoFiles/sample_book.fb2", "DemoFiles/fb2.qvrp"}, true},
    }};
    return rows;
}

}  // namespace

std::span<const DemoRow> DemoTable() { return Rows(); }

std::vector<DemoEntry> ListedDemos(int ansiCodePage) {
    std::vector<DemoEntry> listed;
    for (const DemoRow& row : Rows())
        if (!row.only1251 || ansiCodePage == kCodePageCyrillic) listed.push_back(row.entry);
    return listed;
}

int EditorCodePage(const DemoEntry& demo) {
    return demo.name == "UTF8" || demo.templateFile == "DemoFiles/fb2.qvrp" ? kCodePageUtf8 : 0;
}

namespace {

// Valid UTF-8 with at least one multi-byte sequence.
bool IsUtf8BeyondAscii(std::string_view bytes) {
    bool beyondAscii = false;
    for (size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        size_t length = 1;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) length = 2;
        else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
        else if (lead >= 0xF0 && lead <= 0xF4) length = 4;
        else return false;
        if (i + length > bytes.size()) return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
        beyondAscii = true;
        i += length;
    }
    return beyondAscii;
}

}  // namespace

int ShownCodePage(int ruleCodePage, std::string_view bytes) {
    if (ruleCodePage == 0 && IsUtf8BeyondAscii(bytes)) return kCodePageUtf8;
    return ruleCodePage;
}

int AnsiCodePageOfLocale(const std::string& locale) {
    // The language is what comes before the territory, codeset or modifier.
    const std::string language = locale.substr(0, locale.find_first_of("_.@"));
    for (const char* cyrillic : {"ru", "uk", "be", "bg", "sr", "mk"})
        if (language == cyrillic) return kCodePageCyrillic;
    return kCodePageWestern;
}

int SystemAnsiCodePage() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return AnsiCodePageOfLocale(value);
    }
    return kCodePageWestern;
}
