#pragma once
// The fuzz input loaded as a container of one kind through its reader, as the loading core loads
// it: the load must end, within its budget, with groups or a cError.

#include <cstdint>
#include <vector>

#include "containers/mContainers.h"
#include "mFuzzFile.h"

namespace mFuzzContainer {

// The number of groups the input gave; traps where the load held more than its budget.
inline std::size_t Load(const std::uint8_t* data, std::size_t size, mFileKind::eKind kind) {
    const std::string path = mFuzzFile::Path(data, size);
    if (path.empty()) return 0;
    std::vector<cFileIcon> groups;
    std::vector<mIconGroups::cFailure> failures;
    cLoadBudget budget(size);
    try {
        mContainers::LoadGroups(path, kind, groups, failures, budget);
    } catch (const cError&) {}
    if (budget.Used() > budget.Limit()) __builtin_trap();
    return groups.size();
}

} // namespace mFuzzContainer
