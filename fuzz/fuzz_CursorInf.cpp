// Any bytes as a cursor pack's INF: the reader must give a scheme, never crash or hang, and keep
// every name it gives within the line limit.

#include <cstdint>
#include <string_view>

#include "themes/mCursorInf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const mCursorInf::cScheme scheme = mCursorInf::Parse(text);
    if (scheme.name.size() > mCursorInf::kMaxLine) __builtin_trap();
    for (const std::string& file : scheme.files) {
        if (file.size() > mCursorInf::kMaxLine) __builtin_trap();
        // A file is one component of a path: it can never lead out of the pack's folder.
        if (file.find_first_of("\\/") != std::string::npos) __builtin_trap();
    }
    return 0;
}
