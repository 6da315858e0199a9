// Any bytes as an .ico file (and as a .cur file): LoadIcon must fail with a cError or succeed, never crash, hang or
// keep more than the load's budget (the file's size and a fixed allowance); a loaded icon must
// answer its queries and save again.

#include <cstdint>
#include <string>

#include "mFuzzFile.h"
#include "icon/cFileIcon.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = mFuzzFile::Path(data, size);
    if (path.empty()) return 0;

    // The same bytes as a cursor file: the same reader with its own type check.
    cFileIcon cursor;
    try {
        cursor.LoadCursor(path);
        if (!cursor.IsCursor()) __builtin_trap();
        for (std::int32_t i = 1; i <= cursor.ImageCount(); ++i) (void)cursor.ImageColourCount(i);
    } catch (const cError&) {
        if (cursor.ImageCount() != 0) __builtin_trap();
    }

    cFileIcon icon;
    try {
        icon.LoadIcon(path);
    } catch (const cError&) {
        if (icon.ImageCount() != 0) __builtin_trap();
        return 0;
    }
    std::uint64_t kept = 0;
    for (std::int32_t i = 1; i <= icon.ImageCount(); ++i) {
        kept += static_cast<std::uint64_t>(icon.ImageSize(i));
        (void)icon.ImageWidth(i);
        (void)icon.ImageHeight(i);
        (void)icon.ImageColourCount(i);
        (void)icon.ImageSize(i);
    }
    if (kept > cLoadBudget(size).Limit()) __builtin_trap();
    try {
        (void)icon.IcoBytes();
        cFileIcon copy;
        icon.CloneTo(copy);
        copy.RemoveImage(1);
        copy.AddImage(16, 16, 16);
    } catch (const cError&) {}
    return 0;
}
