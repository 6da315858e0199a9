// Any bytes as a Windows Installer package: the Icon table's rows are read through the package's
// library and each stream opened as what it is; the load must end, within its budget, with groups
// or a cError.

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
        mContainers::LoadGroups(path, mFileKind::eKind::kInstaller, groups, failures, budget);
    } catch (const cError&) {}
    if (budget.Used() > budget.Limit()) __builtin_trap();
    return 0;
}
