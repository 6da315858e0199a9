// Any bytes as a Windows Installer package: the Icon table's rows are read through the package's
// library and each stream opened as what it is; the load must end, within its budget, with groups
// or a cError.

#include "mFuzzContainer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    mFuzzContainer::Load(data, size, mFileKind::eKind::kInstaller);
    return 0;
}
