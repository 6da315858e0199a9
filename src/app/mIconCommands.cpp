#include "app/mIconCommands.h"

#include <algorithm>
#include <limits>

#include "base/mLanguage.h"
#include "base/mPrintable.h"
#include "base/mTr.h"
#include "icon/mBestImage.h"
#include "icon/mFileKind.h"
#include "platform/mVersionInfo.h"
#include "resources/mLauncher.h"

namespace mIconCommands {

std::vector<std::int32_t> ChosenImageNumbers(std::int32_t count, const std::vector<bool>& chosen) {
    const bool any = std::find(chosen.begin(), chosen.end(), true) != chosen.end();
    std::vector<std::int32_t> numbers;
    for (std::int32_t j = 1; j <= count; ++j) {
        const auto at = static_cast<std::size_t>(j - 1);
        if (!any || (at < chosen.size() && chosen[at])) numbers.push_back(j);
    }
    return numbers;
}

cFileIcon RestrictedCopy(const cFileIcon& icon, const std::vector<bool>& chosen) {
    cFileIcon copy;
    icon.CloneTo(copy);
    const std::vector<std::int32_t> keep = ChosenImageNumbers(copy.ImageCount(), chosen);
    // From the last image down, so the numbers still to remove stay valid.
    for (std::int32_t j = copy.ImageCount(); j >= 1; --j) {
        if (!std::binary_search(keep.begin(), keep.end(), j)) copy.RemoveImage(j);
    }
    return copy;
}

std::string PropertiesNameLine(const cFileIcon& icon) {
    return mTr::Fill(PICTRIX_TR("mIconCommands", "File Name: %1"), {icon.Filename()});
}

std::string PropertiesText(const cFileIcon& icon) {
    std::string text;
    const bool cursor = icon.IsCursor();
    if (!icon.Label().empty())
        text = mTr::Fill(cursor ? PICTRIX_TR("mIconCommands", "Cursor: %1") : PICTRIX_TR("mIconCommands", "Icon: %1"),
                         {icon.Label()});
    text += "\r\n\r\n";
    text += cursor ? PICTRIX_TR("mIconCommands", "Cursor types in file:")
                   : PICTRIX_TR("mIconCommands", "Icon types in file:");
    text += "\r\n";
    for (std::int32_t j = 1; j <= icon.ImageCount(); ++j) {
        const std::int32_t colours = icon.ImageColourCount(j);
        text += "    ";
        text += mTr::Fill(PICTRIX_TR("mIconCommands", "%1 x %2,%3 colors."),
                          {std::to_string(icon.ImageWidth(j)), std::to_string(icon.ImageHeight(j)),
                           colours <= 256 ? std::to_string(colours) : PICTRIX_TR("mIconCommands", "millions of")});
        text += "    ";
        text += mTr::Fill(PICTRIX_TR("mIconCommands", "Size=%1 bytes."), {std::to_string(icon.ImageSize(j))});
        text += "   ";
        if (cursor)
            text += mTr::Fill(PICTRIX_TR("mIconCommands", "Hotspot=%1,%2"),
                              {std::to_string(icon.Hotspot(j).x), std::to_string(icon.Hotspot(j).y)});
        // An .icns file's image names its element, and a double-density one says so.
        if (!icon.ImageElement(j).empty())
            text += mTr::Fill(icon.ImageScale(j) > 1 ? PICTRIX_TR("mIconCommands", "Element '%1', %2x density.")
                                                     : PICTRIX_TR("mIconCommands", "Element '%1'."),
                              {icon.ImageElement(j), std::to_string(icon.ImageScale(j))});
        text += "\r\n";
    }
    return text;
}

namespace {

// `text` printable and cut to `bytes` at a character's start, "..." marking the cut.
std::string Shown(std::string_view text, std::size_t bytes) {
    if (text.size() > bytes) {
        std::size_t cut = bytes;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
        return mPrintable::Of(text.substr(0, cut)) + "...";
    }
    return mPrintable::Of(text);
}

} // namespace

std::string VersionPropertiesText(const std::string& file) {
    std::string module = file;
    if (mFileKind::ExtensionOf(file) == std::optional<std::string>("LNK")) {
        try {
            module = mLauncher::ProgramOf(file).exe;
        } catch (const cError&) {
            return {};
        }
    }
    if (mFileKind::KindOf(module) != mFileKind::eKind::kModule) return {};
    auto info = mVersionInfo::ReadFile(module);
    if (!info) return {};
    mVersionInfo::OrderForLocale(*info, mLanguage::UserLocale());
    std::string text;
    if (info->fileVersion)
        text += mTr::Fill(PICTRIX_TR("mIconCommands", "File version: %1"),
                          {mVersionInfo::VersionText(*info->fileVersion)}) +
                "\r\n";
    if (info->productVersion)
        text += mTr::Fill(PICTRIX_TR("mIconCommands", "Product version: %1"),
                          {mVersionInfo::VersionText(*info->productVersion)}) +
                "\r\n";
    for (const mVersionInfo::cTable& t : info->tables) {
        if (t.strings.empty()) continue;
        text += mTr::Fill(PICTRIX_TR("mIconCommands", "Version strings (%1):"), {mLanguage::Tag(t.language)}) + "\r\n";
        for (const auto& [key, value] : t.strings)
            text += "    " + Shown(key, kVersionValueBytes) + ": " + Shown(value, kVersionValueBytes) + "\r\n";
    }
    return text;
}

std::string AnimationPropertiesText(const cAnimatedCursor& animation) {
    std::string text = mTr::Fill(PICTRIX_TR("mIconCommands", "Frames: %1"), {std::to_string(animation.FrameCount())}) +
                       "\r\n" + PICTRIX_TR("mIconCommands", "Steps:");
    for (const std::uint32_t step : animation.Steps()) text += " " + std::to_string(std::uint64_t{step} + 1);
    text += "\r\n" + PICTRIX_TR("mIconCommands", "Rates:");
    for (const std::uint32_t rate : animation.Rates()) text += " " + std::to_string(rate);
    text += " " + PICTRIX_TR("mIconCommands", "jiffies") + "\r\n";
    return text;
}

cClipboardIcon ClipboardIcon(const cFileIcon& restricted) {
    cClipboardIcon out;
    if (restricted.ImageCount() < 1) return out;
    out.icoBytes = restricted.IcoBytes();
    // No image is larger than every size: the largest, with the most colours.
    out.imageIndex = mBestImage::FitImageIndex(restricted, std::numeric_limits<std::int32_t>::max());
    return out;
}

} // namespace mIconCommands
