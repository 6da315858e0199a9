// Any bytes as the file a file manager hands the thumbnailer: recognised as a module or an icon
// file or refused, the shown icon's directory read, the image fitted to the size chosen, read,
// decoded and scaled down (never up). A picture always fits within the square asked for; a
// refusal always says why. The PNG written holds the picture's pixels, whether encoded or kept
// as the image stored it. Run with -malloc_limit_mb=64 (fuzz/Thumbnail.flags): no single
// allocation may come near the thumbnailer's memory budget, whatever the file claims.

#include <algorithm>
#include <cstdint>
#include <string>

#include "mFuzzFile.h"
#include "resources/mThumbnail.h"

namespace {

void Check(const std::string& path, std::int32_t size) {
    const mThumbnail::cThumbnail t = mThumbnail::Make(path, size);
    // The PNG the thumbnailer writes: the same outcome, the same pixels.
    const mThumbnail::cThumbnailPng p = mThumbnail::MakePng(path, size);
    if (p.failure != t.failure || p.image != t.image) __builtin_trap();
    if (!t.argb.Empty() && !(mDib::DecodePng(cByteView(p.png)) == t.argb)) __builtin_trap();
    if (t.argb.Empty()) {
        if (t.failure.empty()) __builtin_trap();
        return;
    }
    if (!t.failure.empty() || t.image < 1) __builtin_trap();
    if (std::max(t.argb.Width(), t.argb.Height()) > size || std::min(t.argb.Width(), t.argb.Height()) < 1)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = mFuzzFile::Path(data, size);
    if (path.empty()) return 0;
    // A common size, and one that depends on the input so that every choice is reached.
    Check(path, 48);
    Check(path, static_cast<std::int32_t>(1 + size % 300));
    return 0;
}
