#pragma once
// cReadFile: a file opened for reading, owned for the lifetime of the object (RAII over a file
// descriptor). Reads are positional (one call per block, no shared file position); the size is
// taken once at open so that parsers can bound every offset and length by it before allocating.
// Only regular files open: a FIFO, socket or device would block the open or a read, or has no
// size to bound anything by.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class cReadFile {
public:
    cReadFile() = default;
    ~cReadFile();
    cReadFile(const cReadFile&) = delete;
    cReadFile& operator=(const cReadFile&) = delete;
    cReadFile(cReadFile&& other) noexcept;
    cReadFile& operator=(cReadFile&& other) noexcept;

    // Opens a regular file for reading. On failure returns false and LastError() holds the
    // system code (mSysText) of the reason: a folder gives kAccessDenied, a FIFO, socket or device
    // kOpenFailed (at once: the open never waits for a writer).
    bool Open(const std::string& path);
    // Reads bytes already in memory as a file of their length (a stream out of a container, which
    // the readers of files then take as they take a file); the object shares them until Close.
    void OpenBytes(std::shared_ptr<const std::vector<std::uint8_t>> bytes);
    void Close();
    bool IsOpen() const noexcept { return fd_ >= 0 || bytes_ != nullptr; }

    // Length of the file in bytes when it was opened.
    std::uint64_t Size() const noexcept { return size_; }
    // The open file's device and inode, size and time of its last write (ns), as they were when it
    // was opened: what a caller would otherwise ask of the path before opening it.
    std::uint64_t Device() const noexcept { return device_; }
    std::uint64_t Inode() const noexcept { return inode_; }
    std::int64_t Written() const noexcept { return written_; }

    // Reads up to n bytes at `offset` into dst; returns how many arrived (fewer at the end of the
    // file or on an error, with LastError() set for an error).
    std::size_t ReadAt(std::uint64_t offset, void* dst, std::size_t n);

    std::uint32_t LastError() const noexcept { return lastError_; }

    // One line of the file as EachLine hands it out: its bytes without the line end, where it
    // starts and where the next one does; `ended` is false for a last line without a line end,
    // `tooLong` is set (and `text` empty) for a line longer than the most a reader takes.
    struct cLine {
        std::string_view text;
        std::uint64_t offset = 0, next = 0;
        bool ended = true, tooLong = false;
    };
    // Reads the file from its start a line (ended by LF) at a time, holding at most `most` bytes
    // of one, until `each` answers false. False, with LastError(), when a read fails.
    bool EachLine(std::size_t most, const std::function<bool(const cLine&)>& each);

    // Positional reads made by every cReadFile of this process so far: lets tests and benchmarks
    // see how often a file is read per item.
    static std::uint64_t ReadCount() noexcept;
    // Files opened by every cReadFile of this process so far: how often a load opens its file.
    static std::uint64_t OpenCount() noexcept;

private:
    int fd_ = -1;
    std::shared_ptr<const std::vector<std::uint8_t>> bytes_;
    std::uint64_t size_ = 0, device_ = 0, inode_ = 0;
    std::int64_t written_ = 0;
    std::uint32_t lastError_ = 0;
};
