#include "app/mIconCommands.h"

#include <algorithm>
#include <limits>

#include "base/mTr.h"
#include "icon/mBestImage.h"

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
