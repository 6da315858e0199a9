#pragma once
// mOptions: the two settings the Options dialog edits, apart from any window: the configured icon
// editor and the background colour of the icon list. The main window reads them as well.
//
// Where they live:
//   HKEY_LOCAL_MACHINE "SOFTWARE\Maltrow Software\PX2\Settings", value "Editor Path"
//   per-user store, application "Pictrix v2": "Settings"/"Backcolor"

#include <cstdint>
#include <string>
#include <string_view>

#include "base/mTr.h"

class cRegistryStore;

namespace mOptions {

inline constexpr std::string_view kEditorKey = "SOFTWARE\\Maltrow Software\\PX2\\Settings";
inline constexpr std::string_view kEditorValue = "Editor Path";

// The filter of the editor's Browse button, and the entry it starts on: programs carry the
// extension only on Windows, so elsewhere it starts on all files.
inline constexpr std::string_view kBrowseEditorFilter =
    PICTRIX_TR_NOOP("mFileOpenSave", "Executable Files|*.exe|All Files|*.*");
#if defined(_WIN32)
inline constexpr std::int32_t kBrowseEditorFilterIndex = 1;
#else
inline constexpr std::int32_t kBrowseEditorFilterIndex = 2;
#endif

// The first-start background colour of the icon list: the system menu colour (0x80000004).
inline constexpr std::int32_t kDefaultBackColor = static_cast<std::int32_t>(0x80000004u);

// "Editor Path": empty when none is configured.
std::string EditorPath(cRegistryStore& store);
std::string EditorPath();
void SetEditorPath(cRegistryStore& store, const std::string& path);
void SetEditorPath(const std::string& path);

// "Settings"/"Backcolor" as decimal text of the 32-bit colour value.
void WriteBackColor(cRegistryStore& store, std::int32_t colour);
void WriteBackColor(std::int32_t colour);
// The stored text of "Settings"/"Backcolor", `defaultText` when it is missing.
std::string BackColorText(cRegistryStore& store, const std::string& defaultText);
std::string BackColorText(const std::string& defaultText);

} // namespace mOptions
