// Any bytes as an AppImage: the ELF header's end, the SquashFS image after it, the .DirIcon and
// its links; the load must end, within its budget, with its group or a cError.

#include <cstdint>
#include <vector>

#include "containers/mContainers.h"
#include "mFuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = mFuzzFile::Path(data, size);
    if (path.empty()) return 0;
    std::vector<cFileIcon> groups;
    std::vector<mIconGroups::cFailure> failures;
    cLoadBudget budget(size);
    try {
        mContainers::LoadGroups(path, mFileKind::eKind::kAppImage, groups, failures, budget);
    } catch (const cError&) {}
    if (budget.Used() > budget.Limit() || groups.size() > 1) __builtin_trap();
    return 0;
}
