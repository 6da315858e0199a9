#include "base/mLanguage.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace mLanguage {

namespace {

// The LANGIDs that resources are commonly stored in, sorted by number.
constexpr std::pair<std::uint16_t, const char*> kTags[] = {
    {0x0401, "ar-SA"},      {0x0402, "bg-BG"}, {0x0403, "ca-ES"},      {0x0404, "zh-TW"},      {0x0405, "cs-CZ"},
    {0x0406, "da-DK"},      {0x0407, "de-DE"}, {0x0408, "el-GR"},      {0x0409, "en-US"},      {0x040A, "es-ES_tradnl"},
    {0x040B, "fi-FI"},      {0x040C, "fr-FR"}, {0x040D, "he-IL"},      {0x040E, "hu-HU"},      {0x040F, "is-IS"},
    {0x0410, "it-IT"},      {0x0411, "ja-JP"}, {0x0412, "ko-KR"},      {0x0413, "nl-NL"},      {0x0414, "nb-NO"},
    {0x0415, "pl-PL"},      {0x0416, "pt-BR"}, {0x0417, "rm-CH"},      {0x0418, "ro-RO"},      {0x0419, "ru-RU"},
    {0x041A, "hr-HR"},      {0x041B, "sk-SK"}, {0x041C, "sq-AL"},      {0x041D, "sv-SE"},      {0x041E, "th-TH"},
    {0x041F, "tr-TR"},      {0x0420, "ur-PK"}, {0x0421, "id-ID"},      {0x0422, "uk-UA"},      {0x0423, "be-BY"},
    {0x0424, "sl-SI"},      {0x0425, "et-EE"}, {0x0426, "lv-LV"},      {0x0427, "lt-LT"},      {0x0429, "fa-IR"},
    {0x042A, "vi-VN"},      {0x042B, "hy-AM"}, {0x042C, "az-Latn-AZ"}, {0x042D, "eu-ES"},      {0x042F, "mk-MK"},
    {0x0436, "af-ZA"},      {0x0437, "ka-GE"}, {0x0438, "fo-FO"},      {0x0439, "hi-IN"},      {0x043E, "ms-MY"},
    {0x043F, "kk-KZ"},      {0x0441, "sw-KE"}, {0x0443, "uz-Latn-UZ"}, {0x0445, "bn-IN"},      {0x0446, "pa-IN"},
    {0x0447, "gu-IN"},      {0x0449, "ta-IN"}, {0x044A, "te-IN"},      {0x044B, "kn-IN"},      {0x044C, "ml-IN"},
    {0x044E, "mr-IN"},      {0x0456, "gl-ES"}, {0x045A, "syr-SY"},     {0x0461, "ne-NP"},      {0x0464, "fil-PH"},
    {0x0801, "ar-IQ"},      {0x0804, "zh-CN"}, {0x0807, "de-CH"},      {0x0809, "en-GB"},      {0x080A, "es-MX"},
    {0x080C, "fr-BE"},      {0x0810, "it-CH"}, {0x0813, "nl-BE"},      {0x0814, "nn-NO"},      {0x0816, "pt-PT"},
    {0x081A, "sr-Latn-CS"}, {0x081D, "sv-FI"}, {0x0C01, "ar-EG"},      {0x0C04, "zh-HK"},      {0x0C07, "de-AT"},
    {0x0C09, "en-AU"},      {0x0C0A, "es-ES"}, {0x0C0C, "fr-CA"},      {0x0C1A, "sr-Cyrl-CS"}, {0x1004, "zh-SG"},
    {0x1007, "de-LU"},      {0x1009, "en-CA"}, {0x100C, "fr-CH"},      {0x1404, "zh-MO"},      {0x1409, "en-NZ"},
    {0x140C, "fr-LU"},      {0x1809, "en-IE"}, {0x1C09, "en-ZA"},      {0x2C0A, "es-AR"},      {0x4009, "en-IN"},
};

} // namespace

std::string Tag(std::uint16_t langid) {
    if (langid == 0) return "neutral";
    const auto* end = std::end(kTags);
    const auto* it = std::lower_bound(std::begin(kTags), end, langid,
                                      [](const auto& entry, std::uint16_t id) { return entry.first < id; });
    if (it != end && it->first == langid) return it->second;
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%04x", static_cast<unsigned>(langid));
    return hex;
}

std::string UserLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0') continue;
        const std::string locale = value;
        return locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0 ? std::string() : locale;
    }
    return {};
}

namespace {

// A locale's or a tag's language (lower case) and region (upper case): "de_DE.UTF-8@euro" and
// "de-DE" both give de and DE; "sr-Latn-CS" gives sr and CS; "es-ES_tradnl" es and ES.
std::pair<std::string, std::string> LanguageAndRegion(std::string_view name) {
    name = name.substr(0, name.find_first_of(".@"));
    const auto cut = name.find_first_of("_-");
    std::string language(name.substr(0, cut)), region;
    if (cut != std::string_view::npos) {
        std::string_view rest = name.substr(cut + 1);
        // The region is the last part of a tag (after a script), before any sort order.
        if (const auto dash = rest.rfind('-'); dash != std::string_view::npos) rest = rest.substr(dash + 1);
        region = std::string(rest.substr(0, rest.find('_')));
    }
    for (char& c : language) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    for (char& c : region) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return {language, region};
}

} // namespace

std::size_t BestMatch(const std::vector<std::uint16_t>& languages, std::string_view locale) {
    const auto [language, region] = LanguageAndRegion(locale);
    std::size_t best = 0;
    int bestScore = -1;
    for (std::size_t i = 0; i < languages.size(); ++i) {
        int score = 0;
        if ((languages[i] & 0x3FF) == 0) {
            score = 1; // LANG_NEUTRAL, whatever its sublanguage
        } else if (!language.empty()) {
            const auto [l, r] = LanguageAndRegion(Tag(languages[i]));
            if (l == language) score = r == region ? 3 : 2;
        }
        if (score > bestScore) {
            best = i;
            bestScore = score;
        }
    }
    return best;
}

} // namespace mLanguage
