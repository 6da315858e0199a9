// Any bytes as a version resource: the reader must end, keep only what lies inside the bytes, and
// never keep more text than the bytes can hold.

#include <cstdint>
#include <span>

#include "platform/mVersionInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto info = mVersionInfo::Parse(std::span<const std::uint8_t>(data, size));
    if (!info) return 0;
    std::size_t text = 0;
    for (const auto& t : info->tables)
        for (const auto& [key, value] : t.strings) text += key.size() + value.size();
    // UTF-16 text grows at most by half again as UTF-8; ANSI text at most threefold.
    if (text > 3 * size) __builtin_trap();
    mVersionInfo::OrderForLocale(*info, "de_DE.UTF-8");
    (void)mVersionInfo::Value(*info, "FileDescription");
    return 0;
}
