#include "app/mMainSettings.h"

#include <filesystem>

#include "base/mTr.h"
#include "platform/cRegistryStore.h"
#include "base/mProgram.h"
#include "base/mNumber.h"
#include "support/mOptions.h"
#include "support/mSettings.h"

namespace mMainSettings {

namespace {

const std::string kApp(mProgram::kAppName);
const std::string kSibling(kSiblingApp);

} // namespace

cStoredSettings ReadSettings(cRegistryStore& store) {
    cStoredSettings out;
    // Each read falls back to the text of the read before it.
    std::string s = mOptions::BackColorText(store, "");
    out.backColor = mNumber::LongOf(s);

    s = mSettings::GetSetting(store, kApp, "WinSet", "Toolbar", s);
    if (const auto v = mNumber::LongOf(s)) out.toolbar = *v != 0;

    s = mSettings::GetSetting(store, kApp, "WinSet", "Statusbar", s);
    if (const auto v = mNumber::LongOf(s)) out.statusbar = *v != 0;

    s = mSettings::GetSetting(store, kApp, "WinSet", "WinState", s);
    const auto state = mNumber::LongOf(s);
    if (state && *state >= kStateNormal && *state <= kStateMaximised) {
        out.winState = *state;
        if (*state == kStateNormal) {
            s = mSettings::GetSetting(store, kApp, "WinSet", "Top", s);
            out.top = mNumber::IntegerOf(s);
            s = mSettings::GetSetting(store, kApp, "WinSet", "Left", s);
            out.left = mNumber::IntegerOf(s);
        }
    }

    s = mSettings::GetSetting(store, kApp, "WinSet", "mnuView", s);
    const auto view = mNumber::LongOf(s);
    if (view && *view >= kFirstView && *view <= kLastView) out.view = *view;

    if (const auto v = mNumber::LongOf(mSettings::GetSetting(store, kApp, "WinSet", "Images", "0")))
        out.images = *v != 0;
    if (const auto v = mNumber::LongOf(mSettings::GetSetting(store, kApp, "WinSet", "ImagesWidth", "0")); v && *v > 0)
        out.imagesWidth = *v;
    if (const auto v = mNumber::LongOf(mSettings::GetSetting(store, kApp, "WinSet", "Cursors", "-1")))
        out.cursors = *v != 0;
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
    mSettings::SaveSetting(store, kApp, "WinSet", "Images", w.images ? "-1" : "0");
    if (w.imagesWidth) mSettings::SaveSetting(store, kApp, "WinSet", "ImagesWidth", std::to_string(*w.imagesWidth));
    mSettings::SaveSetting(store, kApp, "WinSet", "Cursors", w.cursors ? "-1" : "0");
}

void WriteSettings(const cWindowSettings& settings) { WriteSettings(cRegistryStore::User(), settings); }

std::string SiblingPath(cRegistryStore& store) { return mSettings::GetSetting(store, kSibling, "Path", "AppPath", ""); }
std::string SiblingPath() { return SiblingPath(cRegistryStore::User()); }

void SetSiblingPath(cRegistryStore& store, const std::string& path) {
    mSettings::SaveSetting(store, kSibling, "Path", "AppPath", path);
}
void SetSiblingPath(const std::string& path) { SetSiblingPath(cRegistryStore::User(), path); }

cError OpenError(const std::string& path) {
    std::error_code ec;
    const bool there = !path.empty() && std::filesystem::exists(path, ec);
    if (there)
        return cError(cError::kPathFileAccess, mProgram::ExeBaseName(),
                      mTr::Fill(PICTRIX_TR("mMainSettings", "Path/File access error: %1"), {path}));
    return cError(cError::kFileNotFound, mProgram::ExeBaseName(),
                  mTr::Fill(PICTRIX_TR("mMainSettings", "File not found: %1"), {path}));
}

cError OpenDocumentError(const std::string& path, std::string_view kind) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::exists(path, ec)) return OpenError(path);
    return cError(kErrNoProgram, mProgram::ExeBaseName(),
                  mTr::Fill(PICTRIX_TR("mMainSettings", "No program to open %1 was found to show %2"), {kind, path}));
}

cError SiblingStartError(const std::string& path) {
    return cError(kErrOpenSibling, mProgram::ExeBaseName(), mTr::Text("mMainSettings", kOpenSiblingText) + ": " + path);
}

} // namespace mMainSettings
