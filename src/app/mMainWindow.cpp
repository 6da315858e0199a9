#include "app/mMainWindow.h"

#include <algorithm>
#include <limits>
#include <span>

#include "base/mTr.h"
#include "icon/cFileIcon.h"
#include "icon/mFileKind.h"
#include "platform/cModuleFile.h"
#include "platform/mShortcut.h"
#include "platform/cReadFile.h"

namespace mMainWindow {

bool IsListFileName(std::string_view path) { return mFileKind::ExtensionOf(path) == "IER"; }

bool OpensInMainWindow(const std::string& path) {
    if (IsListFileName(path)) return false;
    if (mFileKind::ExtensionOf(path) == std::optional<std::string>("LNK")) return mShortcut::IsShortcut(path);
    cReadFile file;
    if (!file.Open(path)) return false;
    std::uint8_t header[12] = {};
    const std::size_t got = file.ReadAt(0, header, sizeof header);
    const std::span<const std::uint8_t> head(header, got);
    if (mFileKind::IsIconFileHeader(head) || mFileKind::IsCursorFileHeader(head) ||
        mFileKind::IsAnimatedCursorHeader(head) || mFileKind::IsIcnsFileHeader(head))
        return true;
    cModuleFile module;
    const bool isModule = module.Load(path);
    module.Free();
    return isModule;
}

std::string RetrievingIconText(std::string_view fileName) {
    return mTr::Fill(PICTRIX_TR("mMainWindow", "Retrieving icon %1"), {fileName});
}

std::string RetrievingIconOfText(std::int32_t i, std::int32_t count) {
    return mTr::Fill(PICTRIX_TR("mMainWindow", "Retrieving icon %1 of %2..."),
                     {std::to_string(i), std::to_string(count)});
}

std::string CursorGroupsNotReadText(std::size_t count) {
    return mTr::Fill(count == 1 ? PICTRIX_TR("mMainWindow", "%1 cursor group could not be read; see the error log")
                                : PICTRIX_TR("mMainWindow", "%1 cursor groups could not be read; see the error log"),
                     {std::to_string(count)});
}

std::string IconGroupsNotReadText(std::size_t count) {
    return mTr::Fill(count == 1 ? PICTRIX_TR("mMainWindow", "%1 icon group could not be read; see the error log")
                                : PICTRIX_TR("mMainWindow", "%1 icon groups could not be read; see the error log"),
                     {std::to_string(count)});
}

std::string ItemKey(std::int32_t i) { return "C" + std::to_string(i); }

std::int32_t KeyIndex(std::string_view key) {
    if (key.size() < 2) return 0;
    std::size_t at = 1;
    while (at < key.size() && (key[at] == ' ' || key[at] == '\t')) ++at;
    std::int64_t value = 0;
    for (; at < key.size() && key[at] >= '0' && key[at] <= '9'; ++at) {
        value = value * 10 + (key[at] - '0');
        // A number that does not fit is no icon of ours.
        if (value > std::numeric_limits<std::int32_t>::max()) return 0;
    }
    return static_cast<std::int32_t>(value);
}

std::string IconPanelText(std::string_view key) { return mTr::Fill(PICTRIX_TR("mMainWindow", "Icon: %1"), {key}); }

std::string ItemText(const cFileIcon& icon) {
    std::string text = icon.Label();
    if (text.empty()) text = icon.Filename();
    if (icon.IsCursor()) text += mTr::Text("mMainWindow", kCursorMark);
    return text;
}

std::string TypeText(const cFileIcon& icon) {
    return icon.IsCursor() ? PICTRIX_TR("mMainWindow", "Cursor") : PICTRIX_TR("mMainWindow", "Icon");
}

std::optional<cPlacement> ListPlacement(std::int32_t innerWidth, std::int32_t innerHeight, bool toolbarVisible,
                                        std::int32_t toolbarHeight, bool statusVisible, std::int32_t statusHeight,
                                        std::int32_t twipsPerPixel) {
    constexpr std::int32_t kLeft = 30;
    const std::int64_t p = twipsPerPixel;
    const std::int64_t top = 2 * p + (toolbarVisible ? std::int64_t{toolbarHeight} : 0);
    const std::int64_t height =
        std::int64_t{innerHeight} - top - (statusVisible ? std::int64_t{statusHeight} + 2 * p : 0);
    const std::int64_t width = std::int64_t{innerWidth} - kLeft;
    if (width < 0 || height < 0 || top > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return cPlacement{kLeft, static_cast<std::int32_t>(top), static_cast<std::int32_t>(width),
                      static_cast<std::int32_t>(height)};
}

std::optional<cSplit> SplitForGrid(const cPlacement& list, std::int32_t twipsPerPixel) {
    const std::int64_t p = twipsPerPixel;
    const std::int64_t grid = std::clamp<std::int64_t>(list.width / 3, 120 * p, 280 * p);
    const std::int64_t rest = std::int64_t{list.width} - grid - 2 * p;
    if (rest < 0) return std::nullopt;
    cSplit split{list, list};
    split.list.width = static_cast<std::int32_t>(rest);
    split.grid.left = static_cast<std::int32_t>(std::int64_t{list.left} + rest + 2 * p);
    split.grid.width = static_cast<std::int32_t>(grid);
    return split;
}

} // namespace mMainWindow
