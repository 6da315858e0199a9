#pragma once
// cLoadBudget: the memory that one load of a file may take for what it keeps: the image blocks,
// names and bookkeeping of every icon group read from the file, counted per reference (a block
// that several directory entries or groups name is counted, and copied, once for each).
//
// A valid file stores each block once, so a load of it keeps less than the file's own size; the
// fixed allowance on top leaves room for files that share a few blocks between groups. A crafted
// file whose entries name the same bytes over and over (thousands of entries, one large block)
// would need many times its size: its load stops before taking the memory and fails as a damaged
// file's load does. A load therefore holds at most kAllowance plus the file's size, whatever the
// file claims.

#include <cstdint>

class cLoadBudget {
public:
    static constexpr std::uint64_t kAllowance = std::uint64_t{16} << 20;
    // What a group and an image cost beside their bytes (the object, its directory entry, the
    // block's own header), roughly, so that a file of many tiny groups is held to the budget too.
    static constexpr std::uint64_t kPerGroup = 256;
    static constexpr std::uint64_t kPerImage = 64;

    // The budget of a load of a file of `fileSize` bytes.
    explicit cLoadBudget(std::uint64_t fileSize) noexcept : limit_(kAllowance + fileSize) {}

    // Counts n more bytes; false, counting nothing, when that would pass the limit.
    bool Take(std::uint64_t n) noexcept {
        if (n > limit_ - used_) return false;
        used_ += n;
        return true;
    }
    std::uint64_t Used() const noexcept { return used_; }
    std::uint64_t Limit() const noexcept { return limit_; }

private:
    std::uint64_t limit_;
    std::uint64_t used_ = 0;
};
