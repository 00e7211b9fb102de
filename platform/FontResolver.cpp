#include "platform/FontResolver.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <tuple>

#include "common/CqvEx.h"

namespace qv::platform {

namespace {

struct PatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

struct ConfigDeleter {
    void operator()(FcConfig* c) const { FcConfigDestroy(c); }
};
using ConfigPtr = std::unique_ptr<FcConfig, ConfigDeleter>;

// A LOGFONT weight of 0 is "don't care", which Windows maps to regular.
int NormalizedWeight(int weight) {
    if (weight <= 0)
        return 400;
    return std::min(weight, 1000);
}

struct ResolverCache {
    std::mutex mutex;
    ConfigPtr config;
    std::map<std::tuple<std::string, int, bool>, ResolvedFont> fonts;
};

ResolverCache& Cache() {
    static ResolverCache cache;
    return cache;
}

ResolvedFont MatchFont(FcConfig* config, const std::string& family, int weight, bool italic) {
    PatternPtr pattern(FcPatternCreate());
    if (!pattern)
        throw CqvEx("Out of memory while looking up the font \"" + family + "\"");
    // An empty family is left out, so fontconfig's default face is chosen.
    if (!family.empty())
        FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    // Left out, fontconfig takes the language from LANG or LC_*, and a user's
    // language can change the face a family falls back to, and with it every
    // line break. The layout may not depend on the locale: always the weak
    // "en" that the "C" locale gives.
    FcValue language;
    language.type = FcTypeString;
    language.u.s = reinterpret_cast<const FcChar8*>("en");
    FcPatternAddWeak(pattern.get(), FC_LANG, language, FcTrue);
    FcConfigSubstitute(config, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());

    FcResult result = FcResultNoMatch;
    PatternPtr match(FcFontMatch(config, pattern.get(), &result));
    FcChar8* file = nullptr;
    if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch || !file)
        throw CqvEx("No font is installed that could stand in for \"" + family + "\"");
    int index = 0;
    FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
    int matchedWeight = FC_WEIGHT_REGULAR;
    FcPatternGetInteger(match.get(), FC_WEIGHT, 0, &matchedWeight);
    int matchedSlant = FC_SLANT_ROMAN;
    FcPatternGetInteger(match.get(), FC_SLANT, 0, &matchedSlant);

    ResolvedFont font;
    font.file = OpenFontFile(reinterpret_cast<const char*>(file), index);
    font.syntheticBold = weight >= 600 && matchedWeight < FC_WEIGHT_DEMIBOLD;
    font.syntheticItalic = italic && matchedSlant == FC_SLANT_ROMAN;
    return font;
}

}  // namespace

ResolvedFont ResolveFont(std::string_view family, int weight, bool italic) {
    ResolverCache& cache = Cache();
    std::lock_guard lock(cache.mutex);
    weight = NormalizedWeight(weight);
    auto key = std::make_tuple(std::string(family), weight, italic);
    if (auto it = cache.fonts.find(key); it != cache.fonts.end())
        return it->second;
    if (!cache.config) {
        cache.config.reset(FcInitLoadConfigAndFonts());
        if (!cache.config)
            throw CqvEx("The font configuration (fontconfig) cannot be loaded");
    }
    ResolvedFont font = MatchFont(cache.config.get(), std::get<0>(key), weight, italic);
    cache.fonts.emplace(std::move(key), font);
    return font;
}

}  // namespace qv::platform
