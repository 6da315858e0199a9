// Any bytes as a Windows shortcut: the reader must end and keep no more text than the bytes hold;
// the arguments it gives split as Windows splits them, whatever they are.

#include <cstdint>
#include <span>

#include "platform/mShortcut.h"
#include "resources/mLauncher.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto link = mShortcut::Parse(std::span<const std::uint8_t>(data, size));
    if (!link) return 0;
    const std::size_t text = link->target.size() + link->relativePath.size() + link->workingDir.size() +
                             link->arguments.size() + link->iconLocation.size() + link->name.size();
    // UTF-16 text grows at most by half again as UTF-8, ANSI at most threefold; the LinkInfo's two
    // forms and the blocks may name a path twice.
    if (text > 6 * size) __builtin_trap();
    std::size_t split = 0;
    for (const auto& a : mLauncher::WindowsArguments(link->arguments)) split += a.size();
    if (split > link->arguments.size()) __builtin_trap();
    return 0;
}
