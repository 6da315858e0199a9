#pragma once
// cAtomicFile: writes a file so that a failure never destroys the file it was to replace and never
// leaves a partial file behind. The bytes go to a temporary file in the target's folder, which is
// renamed over the target by Commit() only when everything was written. Dropping the object
// without Commit() removes the temporary file.
//
// A target that exists but is not a regular file (a device such as /dev/null or /dev/full, a FIFO)
// is written directly, since it cannot be replaced by renaming. A symbolic link is followed: the
// file it points to is replaced and the link stays. Replacing an existing file flushes the new data
// to disk before the rename, so a crash cannot leave the user with neither version; a new file
// needs no flush (there was nothing to lose), and neither does a file the same run wrote earlier
// (cWrittenFiles), since only that run's own output could be lost.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

class cWrittenFiles;

class cAtomicFile {
public:
    cAtomicFile() = default;
    ~cAtomicFile();
    cAtomicFile(const cAtomicFile&) = delete;
    cAtomicFile& operator=(const cAtomicFile&) = delete;

    // Prepares to write `path`. False when the file cannot be created there (missing folder,
    // target is a folder, no permission...); LastError() holds the system code. With `run`, an
    // existing target that the run wrote itself is replaced without a flush, and Commit records
    // the new file in `run` (which must outlive the object's use).
    bool Open(const std::string& path, cWrittenFiles* run = nullptr);
    // Appends bytes; false when fewer were written than asked (a full disk...).
    bool Write(std::span<const std::uint8_t> bytes);
    bool Write(const void* data, std::size_t n) {
        return Write(std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(data), n));
    }
    // Finishes: the target now holds exactly what was written. False on failure, in which case
    // the target is as it was before Open.
    bool Commit();
    // Gives up: removes the temporary file; the target is untouched.
    void Discard();

    std::uint32_t LastError() const noexcept { return lastError_; }
    // True when Commit will flush the data before the rename: an existing file that is not the
    // run's own output is replaced.
    bool FlushesOnCommit() const noexcept { return flush_; }
    // Flushes made by Commit in this process so far (for tests and benchmarks).
    static std::uint64_t Flushes() noexcept;

private:
    int fd_ = -1;
    bool direct_ = false;   // writing into a non-regular target in place
    bool flush_ = false;    // an older file that is not the run's own is replaced
    cWrittenFiles* run_ = nullptr;
    std::string target_;    // the file replaced: the path, or the file a link points to
    std::string temp_;
    std::uint32_t lastError_ = 0;
};
