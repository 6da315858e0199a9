#pragma once
// Builds .ico files byte by byte for tests: any directory values, any block placement.

#include <cstdint>
#include <vector>

#include "common/mTestKit.h"

struct cTestEntry {
    std::uint8_t width = 16, height = 16, colours = 0, reserved = 0;
    std::uint16_t planes = 1;
    std::int16_t bits = 32;
    std::vector<std::uint8_t> block;
    std::int32_t offset = -1; // -1: back to back after the directory
    std::int32_t bytes = -1; // -1: the block's length
};

// A BITMAPINFOHEADER-led block of `size` bytes with the given planes and bit count.
inline std::vector<std::uint8_t> DibBlock(std::size_t size, std::uint16_t planes, std::uint16_t bits) {
    std::vector<std::uint8_t> b(size, 0x5A);
    if (size >= 40) {
        PutLE32(b, 0, 40);
        PutLE32(b, 4, 16);
        PutLE32(b, 8, 32);
        PutLE16(b, 12, planes);
        PutLE16(b, 14, bits);
    }
    return b;
}

inline std::vector<std::uint8_t> PngBlock(std::size_t size) {
    std::vector<std::uint8_t> b(size, 0);
    const std::uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    for (std::size_t i = 0; i < 8 && i < size; ++i) b[i] = sig[i];
    return b;
}

// Header, directory and blocks; blocks are placed at their offsets (the file grows to fit).
inline std::vector<std::uint8_t> BuildIco(const std::vector<cTestEntry>& entries, std::uint16_t reserved = 0,
                                          std::uint16_t type = 1) {
    const std::size_t dir = 6 + 16 * entries.size();
    std::vector<std::uint8_t> out(dir, 0);
    PutLE16(out, 0, reserved);
    PutLE16(out, 2, type);
    PutLE16(out, 4, static_cast<std::uint16_t>(entries.size()));
    std::size_t next = dir;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const cTestEntry& e = entries[i];
        const std::size_t at = e.offset >= 0 ? static_cast<std::size_t>(e.offset) : next;
        const std::size_t p = 6 + 16 * i;
        out[p] = e.width;
        out[p + 1] = e.height;
        out[p + 2] = e.colours;
        out[p + 3] = e.reserved;
        PutLE16(out, p + 4, e.planes);
        PutLE16(out, p + 6, static_cast<std::uint16_t>(e.bits));
        PutLE32(out, p + 8,
                static_cast<std::uint32_t>(e.bytes >= 0 ? e.bytes : static_cast<std::int32_t>(e.block.size())));
        PutLE32(out, p + 12, static_cast<std::uint32_t>(at));
        if (out.size() < at + e.block.size()) out.resize(at + e.block.size(), 0);
        std::copy(e.block.begin(), e.block.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
        next = std::max(next, at + e.block.size());
    }
    return out;
}
