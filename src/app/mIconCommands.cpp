#include "app/mIconCommands.h"

#include <algorithm>
#include <limits>

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

std::string PropertiesNameLine(const cFileIcon& icon) { return "File Name: " + icon.Filename(); }

std::string PropertiesText(const cFileIcon& icon) {
    std::string text;
    const bool cursor = icon.IsCursor();
    if (!icon.Label().empty()) text = (cursor ? "Cursor: " : "Icon: ") + icon.Label();
    text += cursor ? "\r\n\r\nCursor types in file:\r\n" : "\r\n\r\nIcon types in file:\r\n";
    for (std::int32_t j = 1; j <= icon.ImageCount(); ++j) {
        const std::int32_t colours = icon.ImageColourCount(j);
        text += "    ";
        text += std::to_string(icon.ImageWidth(j));
        text += " x ";
        text += std::to_string(icon.ImageHeight(j));
        text += ",";
        text += colours <= 256 ? std::to_string(colours) : std::string("millions of");
        text += " colors.";
        text += "    ";
        text += "Size=";
        text += std::to_string(icon.ImageSize(j));
        text += " bytes.";
        text += "   ";
        if (cursor) text += "Hotspot=" + std::to_string(icon.Hotspot(j).x) + "," + std::to_string(icon.Hotspot(j).y);
        text += "\r\n";
    }
    return text;
}

std::string AnimationPropertiesText(const cAnimatedCursor& animation) {
    std::string text = "Frames: " + std::to_string(animation.FrameCount()) + "\r\nSteps:";
    for (const std::uint32_t step : animation.Steps()) text += " " + std::to_string(std::uint64_t{step} + 1);
    text += "\r\nRates:";
    for (const std::uint32_t rate : animation.Rates()) text += " " + std::to_string(rate);
    text += " jiffies\r\n";
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
