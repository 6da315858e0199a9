#pragma once
// cStreamFile: a file written as a run goes (a manifest), so that a killed run leaves what was
// written before it. The name is checked as a chosen one (mFileAt: a folder, FIFO or device, or a
// file this user may not write, is refused before it is opened; a link is followed), then the file
// is created or cut to nothing and every Write goes straight to it.
//
// One writer at a time: the file is locked (flock) before anything in it is cut, for as long as
// it is open, so a second writer of the same file is refused (kSharingViolation) with the file as
// the first one keeps it. Where the file system gives no locks (ENOLCK, some network and FUSE
// file systems), the file is written without one, and Unlocked() says why.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

class cStreamFile {
public:
    cStreamFile() = default;
    ~cStreamFile();
    cStreamFile(const cStreamFile&) = delete;
    cStreamFile& operator=(const cStreamFile&) = delete;

    bool Open(const std::string& path);
    // Opens an existing file to go on writing it after its first `keep` bytes (what comes after
    // them is cut off).
    bool Continue(const std::string& path, std::uint64_t keep);
    // Opens the file (made when missing) and takes its lock, cutting nothing: Keep decides later.
    bool Hold(const std::string& path);
    // Goes on writing after the first `keep` bytes, cutting off the rest.
    bool Keep(std::uint64_t keep);
    // Why the open file has no lock (mSysText), 0 when it has one.
    std::uint32_t Unlocked() const noexcept { return unlocked_; }
    // Writes `bytes` whole or not at all: a write that fails part way (a full disk) cuts the file
    // back to where it ended before, so that it never ends in a piece of a record.
    bool WriteWhole(std::span<const std::uint8_t> bytes);
    bool Write(std::span<const std::uint8_t> bytes);
    bool Write(const void* data, std::size_t n) {
        return Write(std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(data), n));
    }
    // Closes the file; false when the system reports a late failure.
    bool Commit();
    std::uint32_t LastError() const noexcept { return lastError_; }

private:
    bool OpenAt(const std::string& path, bool keep);
    int OpenLocked(const std::string& path, bool keep);
    bool Locked(int fd, const std::string& path);
    int fd_ = -1;
    std::uint64_t size_ = 0; // what was written so far
    std::uint32_t lastError_ = 0;
    std::uint32_t unlocked_ = 0;
};
