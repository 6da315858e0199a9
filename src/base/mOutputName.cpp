#include "base/mOutputName.h"

#include <cstdint>
#include <string_view>

#include "base/mProgram.h"

namespace mOutputName {

namespace {

// Where the file name of `path` starts, and where its extension (with its ".") starts.
void Split(const std::string& path, std::size_t& nameAt, std::size_t& extAt) {
    const auto sep = path.rfind(mProgram::kSeparator);
    nameAt = sep == std::string::npos ? 0 : sep + 1;
    const auto dot = path.rfind('.');
    extAt = dot == std::string::npos || dot <= nameAt ? path.size() : dot;
}

} // namespace

std::string Fit(const std::string& path) {
    std::size_t nameAt = 0, extAt = 0;
    Split(path, nameAt, extAt);
    const std::string_view name = std::string_view(path).substr(nameAt);
    if (name.size() <= kMaxNameBytes) return path;
    // 64-bit FNV-1a of the whole name.
    std::uint64_t hash = 0xCBF29CE484222325u;
    for (char c : name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001B3u;
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::string tail = "~";
    for (int shift = 60; shift >= 0; shift -= 4) tail += kHex[(hash >> shift) & 15];
    std::string ext = path.substr(extAt);
    if (ext.size() > 16) ext.clear(); // not an extension worth keeping
    tail += ext;
    // The start of the name, not cut inside a UTF-8 sequence.
    std::size_t keep = kMaxNameBytes - tail.size();
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
    return path.substr(0, nameAt) + std::string(name.substr(0, keep)) + tail;
}

std::string Numbered(const std::string& path, int n) {
    if (n < 2) return Fit(path);
    std::size_t nameAt = 0, extAt = 0;
    Split(path, nameAt, extAt);
    return Fit(path.substr(0, extAt) + "~" + std::to_string(n) + path.substr(extAt));
}

} // namespace mOutputName
