// Any bytes as an .icns file: LoadIcns must fail with a cError (the object then empty) or succeed,
// never crash, hang or keep more than the file's size and the reader's allowances; every image it
// keeps must answer its queries, draw or refuse to, and save as .ico again.

#include <cstdint>
#include <string>

#include "mFuzzFile.h"
#include "icon/cFileIcon.h"
#include "icon/mIcns.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = mFuzzFile::Path(data, size);
    if (path.empty()) return 0;
    cFileIcon icon;
    try {
        icon.LoadIcns(path);
    } catch (const cError&) {
        if (icon.ImageCount() != 0) __builtin_trap();
        return 0;
    }
    std::uint64_t kept = 0;
    for (std::int32_t i = 1; i <= icon.ImageCount(); ++i) {
        kept += static_cast<std::uint64_t>(icon.ImageSize(i));
        if (icon.ImageElement(i).size() != 4 || icon.ImageWidth(i) < 1 || icon.ImageHeight(i) < 1) __builtin_trap();
        (void)icon.ImageSizeText(i);
        (void)icon.ImageBitDepth(i);
        (void)icon.ImageArgb(i);
    }
    if (kept > cLoadBudget(size + mIcns::kDecodeAllowance).Limit()) __builtin_trap();
    cFileIcon copy;
    icon.CloneTo(copy);
    cFileIcon again;
    try {
        const std::vector<std::uint8_t> ico = copy.IcoBytes();
        cLoadBudget budget(ico.size());
        again.LoadIconBytes(ico, "copy.ico", budget);
    } catch (const cError&) {
        __builtin_trap(); // what was read saves as an .ico that reads again
    }
    return 0;
}
