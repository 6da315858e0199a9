// Any bytes as an AppImage: the ELF header's end, the SquashFS image after it, the .DirIcon and
// its links; the load must end, within its budget, with its one group or a cError.

#include "mFuzzContainer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (mFuzzContainer::Load(data, size, mFileKind::eKind::kAppImage) > 1) __builtin_trap();
    return 0;
}
