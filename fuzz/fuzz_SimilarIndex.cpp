// Any bytes as a similar-icons index, and each of their lines as a manifest record: the index
// reader must refuse what is not an index with a cError, never read outside the bytes, find the
// same nearest entries whether it reads the hashes whole or a piece at a time, and give back the
// same index when what it read is written again; the record reader must end on any line.

#include <cstdint>
#include <cstring>
#include <string_view>

#include "search/cSimilarIndex.h"
#include "search/mSimilar.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        mSimilar::cGroup g;
        mSimilar::FromRecord(text.substr(at, end - at), g);
        at = end + 1;
    }

    cSimilarIndex index;
    try {
        index.Open(
            size,
            [&](std::uint64_t at, void* dst, std::size_t n) -> std::size_t {
                if (at > size) return 0;
                const std::size_t got = std::min<std::uint64_t>(n, size - at);
                if (got > 0) std::memcpy(dst, data + at, got);
                return got;
            },
            "fuzz");
    } catch (const cError&) {
        return 0;
    }
    // The search read a piece at a time finds what the whole column finds.
    for (const std::size_t top : {std::size_t{0}, std::size_t{3}}) {
        if (index.Nearest(0x0123456789abcdefULL, 40, top) !=
            mSimilar::Nearest(index.Hashes(), 0x0123456789abcdefULL, 40, top))
            __builtin_trap();
    }
    std::vector<cSimilarIndex::cEntry> entries;
    for (std::uint64_t i = 0; i < index.Hashes().size(); ++i) {
        try {
            entries.push_back(index.Entry(i));
        } catch (const cError&) {
            return 0; // a damaged entry: refused, as it must be
        }
    }
    // Read whole: what it says, written again, is the same index.
    const std::vector<std::uint8_t> again = cSimilarIndex::Bytes(index.Manifests(), entries);
    cSimilarIndex reread;
    reread.Open(
        again.size(),
        [&](std::uint64_t at, void* dst, std::size_t n) -> std::size_t {
            const std::size_t got = std::min<std::uint64_t>(n, again.size() - at);
            std::memcpy(dst, again.data() + at, got);
            return got;
        },
        "again");
    if (reread.Manifests() != index.Manifests()) __builtin_trap();
    for (std::uint64_t i = 0; i < entries.size(); ++i)
        if (!(reread.Entry(i) == entries[i])) __builtin_trap();
    return 0;
}
