// Any bytes as an animated cursor: the reader must load it or fail with a cError, never crash,
// hang or keep more than the file's budget; a loaded one must hold frames that answer their
// queries and encode again, and steps that all name one of them.

#include <cstdint>
#include <string>

#include "mFuzzFile.h"
#include "icon/cAnimatedCursor.h"
#include "icon/cLoadBudget.h"
#include "resources/mIconGroups.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = mFuzzFile::Path(data, size);
    if (path.empty()) return 0;

    cAnimatedCursor animation;
    try {
        animation.Load(path);
    } catch (const cError&) {
        if (animation.FrameCount() != 0 || animation.StepCount() != 0) __builtin_trap();
        return 0;
    }
    if (animation.FrameCount() < 1 || animation.Rates().size() != animation.Steps().size()) __builtin_trap();
    for (const std::uint32_t step : animation.Steps()) {
        if (step >= static_cast<std::uint32_t>(animation.FrameCount())) __builtin_trap();
    }
    std::uint64_t kept = 0;
    for (const cFileIcon& frame : animation.Frames()) {
        for (std::int32_t i = 1; i <= frame.ImageCount(); ++i) {
            kept += static_cast<std::uint64_t>(frame.ImageSize(i));
            (void)frame.ImageColourCount(i);
            (void)frame.Hotspot(i);
        }
        (void)frame.IcoBytes();
    }
    if (kept > cLoadBudget(size).Limit()) __builtin_trap();

    // The loading core's path for the same file (no extension: told by its first bytes).
    std::vector<cFileIcon> icons;
    try {
        mIconGroups::Load(path, icons);
    } catch (const cError&) {}
    return 0;
}
