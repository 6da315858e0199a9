// Any bytes as the file a file manager hands the thumbnailer: recognised as a module or an icon
// file or refused, the shown icon's directory read, the image fitted to the size chosen, read,
// decoded and scaled. A picture always fits the square asked for exactly; a refusal always says
// why. Run with -malloc_limit_mb=64 (fuzz/Thumbnail.flags): no single allocation may come near the
// thumbnailer's memory budget, whatever the file claims.

#include <algorithm>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "resources/mThumbnail.h"

namespace {

void Check(const std::string& path, std::int32_t size) {
    const mThumbnail::cThumbnail t = mThumbnail::Make(path, size);
    if (t.argb.Empty()) {
        if (t.failure.empty()) __builtin_trap();
        return;
    }
    if (!t.failure.empty() || t.image < 1) __builtin_trap();
    if (std::max(t.argb.Width(), t.argb.Height()) != size || std::min(t.argb.Width(), t.argb.Height()) < 1)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static int fd = ::memfd_create("thumbnail", 0);
    if (fd < 0) return 0;
    if (::ftruncate(fd, 0) != 0) return 0;
    if (size > 0 && ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) return 0;
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    // A common size, and one that depends on the input so that every choice is reached.
    Check(path, 48);
    Check(path, static_cast<std::int32_t>(1 + size % 300));
    return 0;
}
