#pragma once
// mDHash: the 64-bit difference hash of an icon group, by which pictures that look alike are found
// whatever their depth, palette or set of sizes. docs/similar.md gives the algorithm so that
// others can compute the same numbers:
//  1. the image: of the group's images, the one whose larger side (by its directory entry) is
//     nearest 64 pixels; of two equally near, the larger; of equal sides, the one with the most
//     colours, the first of equals. An image that cannot be decoded gives way to the next in that
//     order; a group none of whose images decode has no hash.
//  2. that image as straight-alpha ARGB (a bitmap's mask as its alpha), composited over mid-grey
//     (128, 128, 128): c' = (a c + (255 - a) 128) / 255 per channel;
//  3. its luma Y = 0.299 R + 0.587 G + 0.114 B (ITU-R 601);
//  4. reduced to 9 x 8 by the area average: output column i covers source columns
//     [i W / 9, (i + 1) W / 9), each source pixel weighted by how much of it lies inside, rows
//     likewise with 8;
//  5. one bit per horizontal neighbour pair, row by row from the top, left to right: 1 when the
//     right value is greater than the left; the first pair is the most significant bit.
// Two pictures are as alike as their hashes' Hamming distance is small.

#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/mTr.h"
#include "platform/mDib.h"

class cFileIcon;

namespace mDHash {

// What the main window's Find Similar Icons says without a chosen icon.
inline constexpr std::string_view kNoIconsToFind = PICTRIX_TR_NOOP("mDHash", "No icons to compare. Ready...");
inline constexpr std::string_view kChooseIconToFind =
    PICTRIX_TR_NOOP("mDHash", "Please choose an icon to find icons like it.");

// The side the image is chosen for.
constexpr std::int32_t kTargetSide = 64;

// The 1-based images of `icon` in the order step 1 tries them.
std::vector<std::int32_t> ImageOrder(const cFileIcon& icon);
// The hash of the group; none when no image decodes. Never raises for a damaged block.
std::optional<std::uint64_t> OfGroup(const cFileIcon& icon);
// Steps 2 to 5 for a decoded image (ARGB or monochrome); none for an empty bitmap.
std::optional<std::uint64_t> OfBitmap(const mDib::cBitmap& argb);

// Sixteen lower-case hex digits.
std::string Hex(std::uint64_t hash);
// Sixteen hex digits of either case; false for anything else.
bool ParseHex(std::string_view text, std::uint64_t& hash);
// The number of bits in which two hashes differ (0..64).
inline int Distance(std::uint64_t a, std::uint64_t b) noexcept { return std::popcount(a ^ b); }

} // namespace mDHash
