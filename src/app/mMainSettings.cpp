#include "app/mMainSettings.h"

#include <cctype>
#include <cmath>
#include <filesystem>
#include <limits>

#include "platform/cRegistryStore.h"
#include "platform/mProgram.h"
#include "support/cRegistry.h"
#include "support/mSettings.h"

namespace mMainSettings {

namespace {

const std::string kApp(kAppName);
const std::string kSibling(kSiblingApp);

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (std::tolower(x) != std::tolower(y)) return false;
    }
    return true;
}

cRegistry EditorRegistry(cRegistryStore& store) {
    cRegistry reg(store);
    reg.ClassKey(cRegistry::kHKeyLocalMachine);
    reg.SectionKey(std::string(kEditorKey));
    reg.ValueKey(std::string(kEditorValue));
    reg.ValueType(static_cast<std::int32_t>(mReg::kRegSz));
    reg.Default(std::string());
    return reg;
}

} // namespace

std::optional<std::int32_t> LongOf(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b])) ++b;
    while (e > b && IsBlank(text[e - 1])) --e;
    text = text.substr(b, e - b);
    if (EqualsNoCase(text, "True")) return -1;
    if (EqualsNoCase(text, "False")) return 0;

    // [sign] digits [. digits], or [sign] . digits. Parsed by hand: the number's form must not
    // depend on the locale the windows run in.
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t whole = 0;
    bool digits = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        digits = true;
        whole = whole * 10 + (text[i] - '0');
        if (whole > std::int64_t{1} << 32) return std::nullopt; // far beyond the range already
    }
    // The fraction only decides the rounding: below, at or above one half.
    int half = -1; // -1 below, 0 exactly, 1 above
    if (i < text.size() && text[i] == '.') {
        ++i;
        bool first = true;
        bool fractionDigits = false;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            fractionDigits = true;
            const int d = text[i] - '0';
            if (first) {
                half = d > 5 ? 1 : d == 5 ? 0 : -1;
                first = false;
            } else if (half == 0 && d != 0) {
                half = 1;
            }
        }
        digits = digits || fractionDigits;
    }
    if (!digits || i != text.size()) return std::nullopt;
    if (half > 0 || (half == 0 && (whole % 2) != 0)) ++whole; // half to even
    const std::int64_t value = negative ? -whole : whole;
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

std::optional<std::int16_t> IntegerOf(std::string_view text) {
    const auto v = LongOf(text);
    if (!v || *v < std::numeric_limits<std::int16_t>::min() || *v > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(*v);
}

cStoredSettings ReadSettings(cRegistryStore& store) {
    cStoredSettings out;
    // Each read falls back to the text of the read before it.
    std::string s = mSettings::GetSetting(store, kApp, "Settings", "Backcolor", "");
    out.backColor = LongOf(s);

    s = mSettings::GetSetting(store, kApp, "WinSet", "Toolbar", s);
    if (const auto v = LongOf(s)) out.toolbar = *v != 0;

    s = mSettings::GetSetting(store, kApp, "WinSet", "Statusbar", s);
    if (const auto v = LongOf(s)) out.statusbar = *v != 0;

    s = mSettings::GetSetting(store, kApp, "WinSet", "WinState", s);
    const auto state = LongOf(s);
    if (state && *state >= kStateNormal && *state <= kStateMaximised) {
        out.winState = *state;
        if (*state == kStateNormal) {
            s = mSettings::GetSetting(store, kApp, "WinSet", "Top", s);
            out.top = IntegerOf(s);
            s = mSettings::GetSetting(store, kApp, "WinSet", "Left", s);
            out.left = IntegerOf(s);
        }
    }

    s = mSettings::GetSetting(store, kApp, "WinSet", "mnuView", s);
    const auto view = LongOf(s);
    if (view && *view >= kFirstView && *view <= kLastView) out.view = *view;
    return out;
}

cStoredSettings ReadSettings() { return ReadSettings(cRegistryStore::User()); }

void WriteSettings(cRegistryStore& store, const cWindowSettings& w) {
    mSettings::SaveSetting(store, kApp, "WinSet", "Toolbar", w.toolbar ? "-1" : "0");
    mSettings::SaveSetting(store, kApp, "WinSet", "Statusbar", w.statusbar ? "-1" : "0");
    mSettings::SaveSetting(store, kApp, "WinSet", "WinState", std::to_string(w.winState));
    mSettings::SaveSetting(store, kApp, "WinSet", "Top", std::to_string(w.top));
    mSettings::SaveSetting(store, kApp, "WinSet", "Left", std::to_string(w.left));
    if (w.view) mSettings::SaveSetting(store, kApp, "WinSet", "mnuView", std::to_string(*w.view));
}

void WriteSettings(const cWindowSettings& settings) { WriteSettings(cRegistryStore::User(), settings); }

void WriteBackColor(cRegistryStore& store, std::int32_t colour) {
    mSettings::SaveSetting(store, kApp, "Settings", "Backcolor", std::to_string(colour));
}
void WriteBackColor(std::int32_t colour) { WriteBackColor(cRegistryStore::User(), colour); }

std::string BackColorText(cRegistryStore& store, const std::string& defaultText) {
    return mSettings::GetSetting(store, kApp, "Settings", "Backcolor", defaultText);
}
std::string BackColorText(const std::string& defaultText) { return BackColorText(cRegistryStore::User(), defaultText); }

std::string EditorPath(cRegistryStore& store) { return cRegistry::TextOf(EditorRegistry(store).Value()); }
std::string EditorPath() { return EditorPath(cRegistryStore::User()); }

void SetEditorPath(cRegistryStore& store, const std::string& path) { EditorRegistry(store).Value(path); }
void SetEditorPath(const std::string& path) { SetEditorPath(cRegistryStore::User(), path); }

std::string SiblingPath(cRegistryStore& store) { return mSettings::GetSetting(store, kSibling, "Path", "AppPath", ""); }
std::string SiblingPath() { return SiblingPath(cRegistryStore::User()); }

void SetSiblingPath(cRegistryStore& store, const std::string& path) {
    mSettings::SaveSetting(store, kSibling, "Path", "AppPath", path);
}
void SetSiblingPath(const std::string& path) { SetSiblingPath(cRegistryStore::User(), path); }

cError EditorStartError(const std::string& path) { return OpenError(path); }

cError OpenError(const std::string& path) {
    std::error_code ec;
    const bool there = !path.empty() && std::filesystem::exists(path, ec);
    constexpr std::int32_t kPathFileAccessError = 75;
    if (there) return cError(kPathFileAccessError, mProgram::ExeBaseName(), "Path/File access error: " + path);
    return cError(cError::kFileNotFound, mProgram::ExeBaseName(), "File not found: " + path);
}

cError SiblingStartError(const std::string& path) {
    return cError(kErrOpenSibling, mProgram::ExeBaseName(), std::string(kOpenSiblingText) + ": " + path);
}

std::int32_t TwipsPerPixel(double dotsPerInch) {
    if (!(dotsPerInch > 0) || !std::isfinite(dotsPerInch)) return 15;
    const double t = std::round(1440.0 / dotsPerInch);
    return t < 1 ? 1 : t > 1440 ? 1440 : static_cast<std::int32_t>(t);
}

} // namespace mMainSettings
