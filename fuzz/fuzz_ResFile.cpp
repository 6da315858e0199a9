// Any bytes as the resources of a compiled resource file: the input follows the empty header every
// .res file starts with, so every input reaches the reader of RESOURCEHEADERs. Opening must
// succeed or fail with a system code, and the loading core must read every icon and cursor group
// of what opened or fail with a cError, within the load's budget, never crash or hang.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "mFuzzFile.h"
#include "icon/cFileIcon.h"
#include "platform/cModuleFile.h"
#include "resources/mIconGroups.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> file = {0, 0, 0, 0, 0x20, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0};
    file.resize(32, 0);
    file.insert(file.end(), data, data + size);
    const std::string path = mFuzzFile::Path(file.data(), file.size());
    if (path.empty()) return 0;

    cModuleFile m;
    if (!m.Load(path)) {
        if (m.LastError() == 0 || m.IsLoaded()) __builtin_trap();
        return 0;
    }
    std::vector<cFileIcon> icons;
    mIconGroups::cHooks hooks;
    std::int32_t groups = 0;
    hooks.KeepGoing = [&groups] { return ++groups <= 256; };
    hooks.GroupFailed = [](const mIconGroups::cFailure&) { return true; };
    try {
        mIconGroups::Load(path, icons, hooks);
    } catch (const cError&) {}
    std::uint64_t kept = 0;
    for (const cFileIcon& icon : icons)
        for (std::int32_t i = 1; i <= icon.ImageCount(); ++i) kept += static_cast<std::uint64_t>(icon.ImageSize(i));
    if (kept > cLoadBudget(file.size()).Limit()) __builtin_trap();
    return 0;
}
