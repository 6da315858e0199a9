// Any bytes as a list file, fed in chunks whose size the first byte chooses: the reader must end,
// never hold an entry that is empty, too long or carries a line end or NUL, stop when the list
// is full, and give back exactly its entries when what it read is written and read again.

#include <cstdint>
#include <string>
#include <vector>

#include "search/cSearchList.h"
#include "search/mListFile.h"

namespace {

std::vector<std::string> Split(const std::uint8_t* data, std::size_t size, std::size_t step, bool& tooLong) {
    std::vector<std::string> entries;
    mListFile::cLineReader reader([&entries](std::string&& e) {
        if (entries.size() >= static_cast<std::size_t>(cSearchList::kMaxEntries)) return false;
        entries.push_back(std::move(e));
        return true;
    });
    for (std::size_t at = 0; at < size; at += step) {
        const std::size_t n = size - at < step ? size - at : step;
        if (!reader.Feed({data + at, n})) break;
    }
    reader.Finish();
    tooLong = reader.TooLong();
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t step = 1 + data[0] % 64;
    bool tooLong = false;
    const std::vector<std::string> entries = Split(data + 1, size - 1, step, tooLong);
    if (entries.size() > static_cast<std::size_t>(cSearchList::kMaxEntries)) __builtin_trap();
    for (const std::string& e : entries) {
        if (e.empty() || e.size() > mListFile::kMaxLineBytes) __builtin_trap();
        if (e.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) __builtin_trap();
    }
    if (tooLong) return 0;
    // Written by the program and read back: the same entries.
    const std::string written = mListFile::Encode(std::vector<std::string_view>(entries.begin(), entries.end()));
    bool again = false;
    const auto reread = Split(reinterpret_cast<const std::uint8_t*>(written.data()), written.size(), step, again);
    if (again || reread != entries) __builtin_trap();
    return 0;
}
