#pragma once
// mFindFile: the directory search behind the folder walk, with the rules of the Windows directory
// search the program was designed on:
//
// - Names are compared without regard to case: Unicode simple case folding of UTF-8 names (bytes
//   that are not UTF-8 compare as themselves).
// - In a name pattern, "*" stands for any run of characters (also none) and "?" for exactly one
//   character; every other character stands for itself. "*.*" matches every name, also names
//   without a dot, and any pattern ending in ".*" also matches a name without a dot that
//   the part before ".*" matches ("readme.*" finds README), as on Windows.
// - Every folder but the root "/" reports the entries "." and "..", first.
// - An entry carries the folder bit (kAttributeDirectory) when it is a folder or a symbolic link
//   to a folder, as a Windows junction does; names beginning with "." (hidden on Linux) are
//   entries like any other.
// - Order: "." and "..", then every other entry sorted by name without regard to case, as NTFS
//   returns them (letters compared as upper case, so "_" sorts after "Z"); names that differ only
//   in case are ordered by their bytes. The order is stable: the same folder always lists the same
//   way, whatever order the file system keeps.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mFindFile {

inline constexpr std::uint32_t kAttributeDirectory = 0x10;

// One entry of a directory search: its attributes and its name as the file system stores it.
struct cFindData {
    std::uint32_t attributes = 0;
    std::string name;
    bool IsFolder() const noexcept { return (attributes & kAttributeDirectory) != 0; }
};

// A folder read whole: its identity and every entry, in the order above.
struct cFolder {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    // A kernel interface mounted as a file system (proc, sysfs, cgroup, debugfs...), whose
    // entries are not files a user searches for.
    bool kernelFileSystem = false;
    std::vector<cFindData> entries;
};

// Reads the folder at `path`. False when it cannot be searched (missing, not a folder, no
// access); `error` then holds the system code (mSysText) of the reason.
bool ReadFolder(const std::string& path, cFolder& folder, std::uint32_t* error = nullptr);

// A name pattern prepared for matching many names.
class cPattern {
public:
    explicit cPattern(std::string_view spec);
    bool Matches(std::string_view name) const;

private:
    std::u32string folded_; // the pattern, case-folded
    std::u32string beforeDotStar_; // for a pattern ending in ".*": the part before it
    bool endsInDotStar_ = false;
    bool everything_ = false; // "*.*" or "*"
    bool ascii_ = true; // the pattern is plain ASCII
    std::string asciiFolded_;
};

// True when `name` matches the pattern `spec` (the rules above).
bool Matches(std::string_view spec, std::string_view name);

// The order of entries: negative when a sorts before b, 0 only for identical names.
int CompareNames(std::string_view a, std::string_view b);

// The search FindFirstFile and FindNextFile make, in one call: the entries of `folder` whose
// names match `spec`, in order. False when the folder cannot be searched.
bool FindFiles(const std::string& folder, std::string_view spec, std::vector<cFindData>& found);

} // namespace mFindFile
