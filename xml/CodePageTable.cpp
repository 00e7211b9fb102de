#include "xml/CodePageTable.h"

namespace {

// Grouped by family. Two names occur twice: x-ebcdic-finlandsweden-euro (both
// rows 1143) and iso-2022-jp (50220, then 50222, which a lookup never reaches).
constexpr CodePageEntry kCodePages[] = {
    {"asmo-708", 708, 1256},
    {"dos-720", 720, 1256},
    {"iso-8859-6", 28596, 1256},
    {"x-mac-arabic", 10004, 1256},
    {"windows-1256", 1256, 1256},
    {"ibm775", 775, 1257},
    {"iso-8859-4", 28594, 1257},
    {"windows-1257", 1257, 1257},
    {"ibm852", 852, 1250},
    {"iso-8859-2", 28592, 1250},
    {"x-mac-ce", 10029, 1250},
    {"windows-1250", 1250, 1250},
    {"euc-cn", 51936, 936},
    {"gb2312", 936, 936},
    {"hz-gb-2312", 52936, 936},
    {"x-mac-chinesesimp", 10008, 936},
    {"big5", 950, 950},
    {"x-chinese-cns", 20000, 950},
    {"x-chinese-eten", 20002, 950},
    {"x-mac-chinesetrad", 10002, 950},
    {"cp866", 866, 1251},
    {"iso-8859-5", 28595, 1251},
    {"koi8-r", 20866, 1251},
    {"koi8-u", 21866, 1251},
    {"x-mac-cyrillic", 10007, 1251},
    {"windows-1251", 1251, 1251},
    {"x-europa", 29001, 1252},
    {"x-ia5-german", 20106, 1252},
    {"ibm737", 737, 1253},
    {"iso-8859-7", 28597, 1253},
    {"x-mac-greek", 10006, 1253},
    {"windows-1253", 1253, 1253},
    {"ibm869", 869, 1253},
    {"dos-862", 862, 1255},
    {"iso-8859-8-i", 38598, 1255},
    {"iso-8859-8", 28598, 1255},
    {"x-mac-hebrew", 10005, 1255},
    {"windows-1255", 1255, 1255},
    {"x-ebcdic-arabic", 20420, 1256},
    {"x-ebcdic-cyrillicrussian", 20880, 1251},
    {"x-ebcdic-cyrillicserbianbulgarian", 21025, 1251},
    {"x-ebcdic-denmarknorway", 20277, 1252},
    {"x-ebcdic-denmarknorway-euro", 1142, 1252},
    {"x-ebcdic-finlandsweden", 20278, 1252},
    {"x-ebcdic-finlandsweden-euro", 1143, 1252},
    {"x-ebcdic-finlandsweden-euro", 1143, 1252},
    {"x-ebcdic-france-euro", 1147, 1252},
    {"x-ebcdic-germany", 20273, 1252},
    {"x-ebcdic-germany-euro", 1141, 1252},
    {"x-ebcdic-greekmodern", 875, 1253},
    {"x-ebcdic-greek", 20423, 1253},
    {"x-ebcdic-hebrew", 20424, 1255},
    {"x-ebcdic-icelandic", 20871, 1252},
    {"x-ebcdic-icelandic-euro", 1149, 1252},
    {"x-ebcdic-international-euro", 1148, 1252},
    {"x-ebcdic-italy", 20280, 1252},
    {"x-ebcdic-italy-euro", 1144, 1252},
    {"x-ebcdic-japaneseandkana", 50930, 932},
    {"x-ebcdic-japaneseandjapaneselatin", 50939, 932},
    {"x-ebcdic-japaneseanduscanada", 50931, 932},
    {"x-ebcdic-japanesekatakana", 20290, 932},
    {"x-ebcdic-koreanandkoreanextended", 50933, 949},
    {"x-ebcdic-koreanextended", 20833, 949},
    {"cp870", 870, 1250},
    {"x-ebcdic-simplifiedchinese", 50935, 936},
    {"x-ebcdic-spain", 20284, 1252},
    {"x-ebcdic-spain-euro", 1145, 1252},
    {"x-ebcdic-thai", 20838, 874},
    {"x-ebcdic-traditionalchinese", 50937, 950},
    {"cp1026", 1026, 1254},
    {"x-ebcdic-turkish", 20905, 1254},
    {"x-ebcdic-uk", 20285, 1252},
    {"x-ebcdic-uk-euro", 1146, 1252},
    {"ebcdic-cp-us", 37, 1252},
    {"x-ebcdic-cp-us-euro", 1140, 1252},
    {"ibm861", 861, 1252},
    {"x-mac-icelandic", 10079, 1252},
    {"x-iscii-as", 57006, 57006},
    {"x-iscii-be", 57003, 57003},
    {"x-iscii-de", 57002, 57002},
    {"x-iscii-gu", 57010, 57010},
    {"x-iscii-ka", 57008, 57008},
    {"x-iscii-ma", 57009, 57009},
    {"x-iscii-or", 57007, 57007},
    {"x-iscii-pa", 57011, 57011},
    {"x-iscii-ta", 57004, 57004},
    {"x-iscii-te", 57005, 57005},
    {"euc-jp", 51932, 932},
    {"iso-2022-jp", 50220, 932},
    {"iso-2022-jp", 50222, 932},
    {"csiso2022jp", 50221, 932},
    {"x-mac-japanese", 10001, 932},
    {"shift_jis", 932, 932},
    {"ks_c_5601-1987", 949, 949},
    {"euc-kr", 51949, 949},
    {"iso-2022-kr", 50225, 949},
    {"johab", 1361, 1361},
    {"x-mac-korean", 10003, 949},
    {"iso-8859-3", 28593, 1254},
    {"iso-8859-15", 28605, 1252},
    {"x-ia5-norwegian", 20108, 1252},
    {"ibm437", 437, 1252},
    {"x-ia5-swedish", 20107, 1252},
    {"windows-874", 874, 874},
    {"ibm857", 857, 1254},
    {"iso-8859-9", 28599, 1254},
    {"x-mac-turkish", 10081, 1254},
    {"windows-1254", 1254, 1254},
    {"utf-7", 65000, 1200},
    {"utf-8", 65001, 1200},
    {"us-ascii", 20127, 1252},
    {"windows-1258", 1258, 1258},
    {"ibm850", 850, 1252},
    {"x-ia5", 20105, 1252},
    {"iso-8859-1", 28591, 1252},
    {"macintosh", 10000, 1252},
    {"windows-1252", 1252, 1252},
};

struct CharsetRow {
    int32_t codePage;
    int32_t charset;
};

constexpr CharsetRow kCharsets[] = {
    {874, 222},  {932, 128},  {936, 134},  {949, 129},  {950, 136},  {1250, 238}, {1251, 204}, {1252, 0},
    {1253, 161}, {1254, 162}, {1255, 177}, {1256, 178}, {1257, 186}, {1258, 163}, {1361, 130},
};

constexpr int32_t kDefaultCharset = 1;

}  // namespace

std::span<const CodePageEntry> CodePageTable() { return kCodePages; }

const CodePageEntry* FindCodePageEntry(std::string_view name) {
    for (const CodePageEntry& entry : kCodePages) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

int32_t CharsetForCodePage(int32_t codePage) {
    for (const CharsetRow& row : kCharsets) {
        if (row.codePage == codePage) return row.charset;
    }
    return kDefaultCharset;
}
