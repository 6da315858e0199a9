#pragma once
// cMRUFileList: a short list of recently used file paths, most recent first (entries 1 to
// FileCount of an array sized to MaxFileCount), with its menu captions and its storage in a
// registry key through cRegistry: values "MaxCount" and "Count" (REG_DWORD) and "File1"...
// (REG_SZ).
//
// Invariant: 0 <= FileCount <= MaxFileCount; lowering the capacity lowers FileCount with it, so
// no member ever addresses an entry beyond the capacity. Indices outside 1..MaxFileCount raise
// runtime error 9.

#include <cstdint>
#include <string>
#include <vector>

class cRegistry;

class cMRUFileList {
public:
    // The largest capacity accepted (a stored "MaxCount" beyond it makes Load answer false).
    static constexpr std::int32_t kCapacityLimit = 1024;
    // Paths longer than this (in characters) are shortened in their captions.
    static constexpr std::size_t kCaptionLength = 32;

    std::int32_t MaxFileCount() const noexcept { return static_cast<std::int32_t>(files_.size()); }
    // Resizes to lMax entries keeping those that fit; raises runtime error 9 outside
    // 0..kCapacityLimit.
    void MaxFileCount(std::int32_t lMax);
    std::int32_t FileCount() const noexcept { return fileCount_; }

    const std::string& file(std::int32_t iIndex) const;
    // True when entry iIndex is not empty (the disk is not consulted).
    bool FileExists(std::int32_t iIndex) const;
    // "&" + index + two spaces + the path, shortened to "..." and its tail from a separator when
    // it is long.
    std::string MenuCaption(std::int32_t iIndex) const;

    // Puts the path at the front; a path already there (compared without case) moves up, and a
    // full list drops its last entry. Raises runtime error 9 on a list of capacity 0.
    void AddFile(const std::string& sfileName);

    // Writes and reads the list in the key set on cR; false on any failure, never raises.
    bool Save(cRegistry& cR) const;
    bool Load(cRegistry& cR);

    // The text shown for a path (the caption without "&n  ").
    static std::string ShortenedPath(const std::string& p);

private:
    std::size_t Slot(std::int32_t iIndex) const;

    std::vector<std::string> files_;
    std::int32_t fileCount_ = 0;
};
