#include "platform/FontResolver.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "common/CqvEx.h"
#include "platform/FontFaces.h"

namespace qv::platform {

namespace {

struct PatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

struct FontSetDeleter {
    void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
};
using FontSetPtr = std::unique_ptr<FcFontSet, FontSetDeleter>;

struct ConfigDeleter {
    void operator()(FcConfig* c) const { FcConfigDestroy(c); }
};
using ConfigPtr = std::unique_ptr<FcConfig, ConfigDeleter>;

// Windows families and the fonts made to stand in for them with the same
// advances, so that a template's lines break where they break on Windows.
struct MetricCompatible {
    const char* family;
    const char* face;
};
constexpr MetricCompatible kMetricCompatible[] = {
    {"Arial", "Liberation Sans"},
    {"Helvetica", "Liberation Sans"},
    {"Arial Narrow", "Liberation Sans Narrow"},
    {"Helvetica Narrow", "Liberation Sans Narrow"},
    {"Times New Roman", "Liberation Serif"},
    {"Times", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},
    {"Courier", "Liberation Mono"},
    {"Calibri", "Carlito"},
    {"Cambria", "Caladea"},
};

enum class Generic { Sans, Serif, Mono };

// Families known to be serif or monospaced; every other family is drawn sans.
constexpr const char* kSerifFamilies[] = {
    "serif",
    "Times New Roman",
    "Times",
    "Cambria",
    "Georgia",
    "Book Antiqua",
    "Palatino Linotype",
    "Palatino",
    "Garamond",
    "Constantia",
    "Century",
    "Century Schoolbook",
    "Bookman Old Style",
    "MS Serif",
    "Sylfaen",
    "Baskerville Old Face",
    "Bodoni MT",
    "Perpetua",
    "Rockwell",
    "Liberation Serif",
    "Caladea",
    "DejaVu Serif",
};
constexpr const char* kMonoFamilies[] = {
    "monospace",
    "mono",
    "Courier New",
    "Courier",
    "Consolas",
    "Lucida Console",
    "Lucida Sans Typewriter",
    "Cascadia Code",
    "Cascadia Mono",
    "Fixedsys",
    "Terminal",
    "OCR A Extended",
    "Liberation Mono",
    "DejaVu Sans Mono",
};

// The nearest outline face of each kind, and fontconfig's name for the kind
// where even that face is missing.
struct GenericFace {
    const char* face;
    const char* fontconfigName;
};
GenericFace GenericFaceOf(Generic generic) {
    switch (generic) {
    case Generic::Serif: return {"DejaVu Serif", "serif"};
    case Generic::Mono: return {"DejaVu Sans Mono", "monospace"};
    case Generic::Sans: break;
    }
    return {"DejaVu Sans", "sans-serif"};
}

// Family names compare as fontconfig compares them: blanks and ASCII case
// do not count (whatever the locale).
bool SameFamily(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    size_t i = 0, j = 0;
    while (true) {
        while (i < a.size() && a[i] == ' ') ++i;
        while (j < b.size() && b[j] == ' ') ++j;
        if (i == a.size() || j == b.size()) return i == a.size() && j == b.size();
        if (lower(a[i]) != lower(b[j])) return false;
        ++i, ++j;
    }
}

Generic GenericOf(std::string_view family) {
    for (const char* serif : kSerifFamilies)
        if (SameFamily(family, serif)) return Generic::Serif;
    for (const char* mono : kMonoFamilies)
        if (SameFamily(family, mono)) return Generic::Mono;
    return Generic::Sans;
}

const char* MetricCompatibleFace(std::string_view family) {
    for (const MetricCompatible& entry : kMetricCompatible)
        if (SameFamily(family, entry.family)) return entry.face;
    return nullptr;
}

// A LOGFONT weight of 0 is "don't care", which Windows maps to regular.
int NormalizedWeight(int weight) {
    if (weight <= 0) return 400;
    return std::min(weight, 1000);
}

// What fontconfig knows of a face without opening it: enough to pass over
// bitmap, Type 1, colour and variable faces and declared symbol fonts.
bool IsOutlineCandidate(FcPattern* font) {
    FcChar8* format = nullptr;
    if (FcPatternGetString(font, FC_FONTFORMAT, 0, &format) != FcResultMatch || !format) return false;
    const std::string_view formatName(reinterpret_cast<const char*>(format));
    if (formatName != "TrueType" && formatName != "CFF") return false;
    FcBool flag = FcFalse;
    if (FcPatternGetBool(font, FC_SCALABLE, 0, &flag) == FcResultMatch && !flag) return false;
    for (const char* excluded : {FC_COLOR, FC_SYMBOL, FC_VARIABLE}) {
        flag = FcFalse;
        if (FcPatternGetBool(font, excluded, 0, &flag) == FcResultMatch && flag) return false;
    }
    int index = 0;
    FcPatternGetInteger(font, FC_INDEX, 0, &index);
    // A named instance of a variable font (index above 0xFFFF) is not a file's face.
    return (index >> 16) == 0;
}

bool HasFamily(FcPattern* font, std::string_view family) {
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &name) == FcResultMatch; ++i)
        if (name && SameFamily(family, reinterpret_cast<const char*>(name))) return true;
    return false;
}

// The families of the installed fonts, by the key under which SameFamily
// finds them equal. Read once: a template may name thousands of families that
// are not installed, and ranking every installed font for each of them
// (fontconfig's sort) costs a noticeable fraction of a second apiece.
class InstalledFamilies {
public:
    explicit InstalledFamilies(FcConfig* config) {
        for (FcSetName set : {FcSetSystem, FcSetApplication}) {
            FcFontSet* fonts = FcConfigGetFonts(config, set);
            for (int i = 0; fonts && i < fonts->nfont; ++i) {
                FcChar8* name = nullptr;
                for (int k = 0; FcPatternGetString(fonts->fonts[i], FC_FAMILY, k, &name) == FcResultMatch; ++k)
                    if (name) m_keys.insert(KeyOf(reinterpret_cast<const char*>(name)));
            }
        }
    }
    bool Has(std::string_view family) const { return m_keys.count(KeyOf(family)) != 0; }

private:
    static std::string KeyOf(std::string_view family) {
        std::string key;
        for (char c : family)
            if (c != ' ') key += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        return key;
    }
    std::set<std::string> m_keys;
};

std::atomic<size_t> g_fontSorts{0};

// Every installed font, best first for the family, weight and slant. The
// language is fixed, so that the ranking, and with it the faces chosen for
// characters the family lacks, do not follow the user's locale.
FontSetPtr SortedFonts(FcConfig* config, std::string_view family, int weight, bool italic) {
    PatternPtr pattern(FcPatternCreate());
    if (!pattern) throw CqvEx("Out of memory while looking up the font \"" + std::string(family) + "\"");
    // An empty family is left out, so fontconfig's default face is chosen.
    if (!family.empty())
        FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(std::string(family).c_str()));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddString(pattern.get(), FC_LANG, reinterpret_cast<const FcChar8*>("en"));
    FcConfigSubstitute(config, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    ++g_fontSorts;
    return FontSetPtr(FcFontSort(config, pattern.get(), FcFalse, nullptr, &result));
}

// Opens the face a font pattern names, if it may draw text.
std::optional<ResolvedFont> OpenTextFace(FcPattern* font, int weight, bool italic) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch || !file) return std::nullopt;
    int index = 0;
    FcPatternGetInteger(font, FC_INDEX, 0, &index);
    int matchedWeight = FC_WEIGHT_REGULAR;
    FcPatternGetInteger(font, FC_WEIGHT, 0, &matchedWeight);
    int matchedSlant = FC_SLANT_ROMAN;
    FcPatternGetInteger(font, FC_SLANT, 0, &matchedSlant);

    ResolvedFont resolved;
    try {
        resolved.file = OpenFontFile(reinterpret_cast<const char*>(file), index);
    } catch (const CqvEx&) {
        return std::nullopt;  // unreadable: the next face will do
    }
    if (!IsTextFace(*resolved.file)) return std::nullopt;
    resolved.syntheticBold = weight >= 600 && matchedWeight < FC_WEIGHT_DEMIBOLD;
    resolved.syntheticItalic = italic && matchedSlant == FC_SLANT_ROMAN;
    return resolved;
}

int SlantOf(FcPattern* font) {
    int slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(font, FC_SLANT, 0, &slant);
    return slant;
}

// The best text face of the family itself; none when the family has none.
// An upright request takes a slanted face only from a family that has
// nothing else.
std::optional<ResolvedFont> FindFamilyFace(FcConfig* config, std::string_view family, int weight, bool italic) {
    FontSetPtr sorted = SortedFonts(config, family, weight, italic);
    if (!sorted) return std::nullopt;
    std::optional<ResolvedFont> slanted;
    for (int i = 0; i < sorted->nfont; ++i) {
        FcPattern* font = sorted->fonts[i];
        if (!HasFamily(font, family) || !IsOutlineCandidate(font)) continue;
        if (!italic && SlantOf(font) != FC_SLANT_ROMAN && slanted) continue;
        std::optional<ResolvedFont> face = OpenTextFace(font, weight, italic);
        if (!face) continue;
        if (!italic && SlantOf(font) != FC_SLANT_ROMAN) {
            slanted = face;
            continue;
        }
        return face;
    }
    return slanted;
}

// The first text face fontconfig ranks for a name, of any family.
std::optional<ResolvedFont> FindAnyFace(FcConfig* config, std::string_view name, int weight, bool italic) {
    FontSetPtr sorted = SortedFonts(config, name, weight, italic);
    for (int i = 0; sorted && i < sorted->nfont; ++i) {
        if (!IsOutlineCandidate(sorted->fonts[i])) continue;
        if (std::optional<ResolvedFont> face = OpenTextFace(sorted->fonts[i], weight, italic)) return face;
    }
    return std::nullopt;
}

// The family's own face, or its metric-compatible stand-in's; none when
// neither is installed.
std::optional<ResolvedFont> MatchFamily(FcConfig* config, const InstalledFamilies& installed, const std::string& family,
                                        int weight, bool italic) {
    if (family.empty()) return std::nullopt;
    // The metric-compatible font first, then the family itself (a real
    // Arial, say, where the stand-in is missing).
    if (const char* compatible = MetricCompatibleFace(family); compatible && installed.Has(compatible))
        if (std::optional<ResolvedFont> face = FindFamilyFace(config, compatible, weight, italic)) return face;
    if (!installed.Has(family)) return std::nullopt;
    return FindFamilyFace(config, family, weight, italic);
}

// The nearest sans, serif or monospaced face, for a family that has none.
std::optional<ResolvedFont> MatchGeneric(FcConfig* config, Generic kind, int weight, bool italic) {
    const GenericFace generic = GenericFaceOf(kind);
    if (std::optional<ResolvedFont> face = FindFamilyFace(config, generic.face, weight, italic)) return face;
    return FindAnyFace(config, generic.fontconfigName, weight, italic);
}

constexpr size_t kMaxFaces = 255;  // a face index is a byte

// Gives each character the primary face lacks to the first face in
// fontconfig's ranking that has it. Faces are opened only when they add a
// character.
FontFaces::Fallbacks FindFallbackFaces(FcConfig* config, const ResolvedFont& primary, int weight, bool italic) {
    const FontFile& first = *primary.file;
    std::vector<ResolvedFont> faces{primary};
    FontFaces::CharacterFaces characters;
    characters.faceOf.assign(FontFaces::kBmpSize, 0);
    // What the primary face lacks, from a walk of its character map: far
    // cheaper than asking for each of the 65,536 characters in turn.
    std::vector<uint8_t> missing(FontFaces::kBmpSize, 0);
    for (char32_t c = 0x20; c < FontFaces::kBmpSize; ++c) missing[c] = FontFaces::IsDrawnCharacter(c);
    std::vector<char32_t> mappedBeyond;
    for (char32_t c : first.MappedCodePoints()) {
        if (c < FontFaces::kBmpSize) missing[c] = 0;
        else mappedBeyond.push_back(c);
    }
    auto firstMaps = [&](char32_t c) { return std::binary_search(mappedBeyond.begin(), mappedBeyond.end(), c); };
    std::map<char32_t, uint8_t> beyond;

    FontSetPtr sorted = SortedFonts(config, first.FamilyName(), weight, italic);
    std::vector<char32_t> adds;
    for (int i = 0; sorted && i < sorted->nfont && faces.size() < kMaxFaces; ++i) {
        FcPattern* font = sorted->fonts[i];
        FcCharSet* charset = nullptr;
        if (!IsOutlineCandidate(font) || FcPatternGetCharSet(font, FC_CHARSET, 0, &charset) != FcResultMatch) continue;
        adds.clear();
        FcChar32 map[FC_CHARSET_MAP_SIZE];
        FcChar32 next = 0;
        for (FcChar32 base = FcCharSetFirstPage(charset, map, &next); base != FC_CHARSET_DONE;
             base = FcCharSetNextPage(charset, map, &next)) {
            for (unsigned word = 0; word < FC_CHARSET_MAP_SIZE; ++word) {
                for (unsigned bit = 0; map[word] && bit < 32; ++bit) {
                    if (!(map[word] & (1u << bit))) continue;
                    const char32_t c = base + word * 32 + bit;
                    if (c < FontFaces::kBmpSize ? (missing[c] && characters.faceOf[c] == 0)
                                                : (FontFaces::IsDrawnCharacter(c) && !beyond.count(c) && !firstMaps(c)))
                        adds.push_back(c);
                }
            }
        }
        if (adds.empty()) continue;
        std::optional<ResolvedFont> face = OpenTextFace(font, weight, italic);
        if (!face || face->file == primary.file) continue;
        const auto index = static_cast<uint8_t>(faces.size());
        bool added = false;
        for (char32_t c : adds) {
            // fontconfig's coverage is a hint; the face's own map decides.
            if (face->file->GlyphIndex(c) == 0) continue;
            if (c < FontFaces::kBmpSize) characters.faceOf[c] = index;
            else beyond.emplace(c, index);
            added = true;
        }
        if (added) faces.push_back(*face);
    }
    characters.beyond.assign(beyond.begin(), beyond.end());
    faces.erase(faces.begin());
    return {std::move(faces), std::move(characters)};
}

struct ResolverCache {
    std::mutex mutex;
    ConfigPtr config;
    std::optional<InstalledFamilies> installed;
    std::map<std::tuple<std::string, int, bool>, ResolvedFont> fonts;
    // The stand-in faces by kind, weight and slant: every family that is not
    // installed shares one of a handful.
    std::map<std::tuple<Generic, int, bool>, ResolvedFont> generics;
    std::map<std::tuple<const FontFile*, bool, bool, int, bool>, std::shared_ptr<const FontFaces>> faces;
};

ResolverCache& Cache() {
    static ResolverCache cache;
    return cache;
}

// With the cache locked. False when fontconfig cannot load its configuration.
bool LoadConfigLocked(ResolverCache& cache) {
    if (cache.config) return true;
    ConfigPtr config(FcInitLoadConfigAndFonts());
    if (!config) return false;
    cache.installed.emplace(config.get());
    cache.config = std::move(config);
    return true;
}

// With the cache locked.
ResolvedFont ResolveLocked(ResolverCache& cache, std::string_view family, int weight, bool italic) {
    auto key = std::make_tuple(std::string(family), weight, italic);
    if (auto it = cache.fonts.find(key); it != cache.fonts.end()) return it->second;
    if (!LoadConfigLocked(cache)) throw CqvEx("The font configuration (fontconfig) cannot be loaded");
    std::optional<ResolvedFont> font =
        MatchFamily(cache.config.get(), *cache.installed, std::get<0>(key), weight, italic);
    if (!font) {
        const auto genericKey = std::make_tuple(GenericOf(family), weight, italic);
        if (auto it = cache.generics.find(genericKey); it != cache.generics.end()) {
            font = it->second;
        } else {
            font = MatchGeneric(cache.config.get(), std::get<0>(genericKey), weight, italic);
            if (!font) throw CqvEx("No font is installed that could stand in for \"" + std::string(family) + "\"");
            cache.generics.emplace(genericKey, *font);
        }
    }
    cache.fonts.emplace(std::move(key), *font);
    return *font;
}

}  // namespace

bool IsTextFace(const FontFile& file) {
    const std::string& format = file.FormatName();
    return (format == "TrueType" || format == "CFF") && file.OutlineMetrics().has_value() && !file.IsSymbolFace();
}

ResolvedFont ResolveFont(std::string_view family, int weight, bool italic) {
    ResolverCache& cache = Cache();
    std::lock_guard lock(cache.mutex);
    return ResolveLocked(cache, family, NormalizedWeight(weight), italic);
}

void LoadFontConfiguration() {
    ResolverCache& cache = Cache();
    std::lock_guard lock(cache.mutex);
    LoadConfigLocked(cache);
}

size_t FontSortCount() { return g_fontSorts.load(); }

std::shared_ptr<const FontFaces> ResolveFontFaces(std::string_view family, int weight, bool italic) {
    ResolverCache& cache = Cache();
    std::lock_guard lock(cache.mutex);
    weight = NormalizedWeight(weight);
    const ResolvedFont primary = ResolveLocked(cache, family, weight, italic);
    // Families that come to the same face share its fallbacks.
    auto key = std::make_tuple(primary.file.get(), primary.syntheticBold, primary.syntheticItalic, weight, italic);
    if (auto it = cache.faces.find(key); it != cache.faces.end()) return it->second;
    auto faces = std::make_shared<const FontFaces>(primary, [primary, weight, italic] {
        ResolverCache& resolver = Cache();
        std::lock_guard lock(resolver.mutex);
        return FindFallbackFaces(resolver.config.get(), primary, weight, italic);
    });
    cache.faces.emplace(key, faces);
    return faces;
}

}  // namespace qv::platform
