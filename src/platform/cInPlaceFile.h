#pragma once
// cInPlaceFile: a file written through its own inode where a client created the output and reads
// the result through a handle it keeps (thumbnail services), and whole or not at all elsewhere.
// An existing regular file with no other name that another descriptor holds open (or, where that
// cannot be asked, that is empty) is cut to the new bytes' length after they were written from its
// start, so that writers racing on one output never leave bytes past the end; nothing is written
// before Commit, so a failure before it leaves the file as it was. Everything else takes the
// careful way of cReplaceFile as a made name, its killed writers' temporary files removed: a file
// nobody holds is replaced by a new one renamed over it (where its folder may be written), a
// missing name is created, a file with a second hard link is replaced beside that link (whose
// content stays as it was), a link is never written through.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>
#include <sys/stat.h>

#include "platform/cReplaceFile.h"

class cInPlaceFile {
public:
    cInPlaceFile() = default;
    ~cInPlaceFile();
    cInPlaceFile(const cInPlaceFile&) = delete;
    cInPlaceFile& operator=(const cInPlaceFile&) = delete;

    bool Open(const std::string& path);
    bool Write(std::span<const std::uint8_t> bytes);
    bool Commit();
    std::uint32_t LastError() const noexcept { return lastError_; }

private:
    // Writes a new file renamed over `path` instead (removing a killed writer's leftovers beside it).
    bool ReplaceWhole(const std::string& path);
    static bool HeldElsewhere(int fd, const struct stat& st);
    static bool FolderWritable(const std::string& path);

    int fd_ = -1;
    std::vector<std::uint8_t> pending_;
    cReplaceFile replace_; // used where the file cannot be written in place
    bool replacing_ = false;
    std::uint32_t lastError_ = 0;
};
