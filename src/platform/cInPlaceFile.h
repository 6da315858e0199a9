#pragma once
// cInPlaceFile: a file written through its own inode, for clients that create the output and read
// the result through a handle they keep (thumbnail services). An existing regular file with no
// other name is cut to the new bytes' length after they were written from its start, so that
// writers racing on one output never leave bytes past the end; nothing is written before Commit,
// so a failure before it leaves the file as it was. What is not such a file takes the careful way
// of cReplaceFile as a made name: a missing name is created, a file with a second hard link is
// replaced beside that link (whose content stays as it was), a link is never written through.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

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
    int fd_ = -1;
    std::vector<std::uint8_t> pending_;
    cReplaceFile replace_; // used where the file cannot be written in place
    bool replacing_ = false;
    std::uint32_t lastError_ = 0;
};
