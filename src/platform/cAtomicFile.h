#pragma once
// cAtomicFile: the one careful writer every output of the program goes through. A failure never
// destroys the file it was to replace and never leaves a partial file behind: the bytes go to a
// temporary file in the target's folder, which is renamed over the target by Commit() only when
// everything was written. Dropping the object without Commit() removes the temporary file.
//
// What may be written:
// - Only a regular file, or a name that does not exist yet. A FIFO, socket, device or folder at
//   the name is refused (kOpenFailed) from what lstat/stat say, before anything is opened, so a
//   FIFO can never block the program.
// - A regular file this user may not write (its permissions, a read-only file system) is refused
//   (kAccessDenied) and left as it is, even where the folder would allow a rename over it.
// - Links: a name the user chose (eName::kChosen) may be a link; the file it points to is
//   replaced, beside it, and the link stays. A name the program made inside a folder
//   (eName::kMade: batch outputs, images exported into a folder) is never written through a link
//   nor replaces one: Open refuses it with kLinkAtName, and the caller picks another name. A new
//   name is only ever created, never swapped for something that appeared there meanwhile.
// - eName::kInPlace (thumbnails): an existing regular file, not a link, is truncated and written
//   through its one inode, for clients that read the result through a handle they keep open;
//   a name that does not exist is written as a new file.
// - eName::kStream (a manifest written as a run goes): the name is checked as a chosen one, then
//   the file is truncated or created and every Write goes straight to it, so a killed run leaves
//   what was written before; Commit closes it.
//
// Durability: replacing an existing file makes the new bytes durable before the rename. Alone,
// Commit flushes the file; in a run (cWrittenFiles) the replacement waits for the run's one flush
// (cWrittenFiles::Finish); a file the same run wrote needs none, as only the run's own output
// could be lost. A new file needs no flush (there was nothing to lose).
//
// A write past the file-size limit (RLIMIT_FSIZE) fails like a full disk: the first Open makes
// the process ignore SIGXFSZ.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "platform/cWrittenFiles.h"

class cAtomicFile {
public:
    enum class eName { kChosen, kMade, kInPlace, kStream };
    // Open's answer for a link at a name the program made (see mSysText::kFileExists' text).
    static constexpr std::uint32_t kLinkAtName = 80;

    cAtomicFile() = default;
    ~cAtomicFile();
    cAtomicFile(const cAtomicFile&) = delete;
    cAtomicFile& operator=(const cAtomicFile&) = delete;

    // Prepares to write `path`. False when it may not or cannot be written there (see above;
    // missing folder, no permission...); LastError() holds the system code. With `run`, the file
    // is recorded in the run and a replacement waits for the run's flush.
    bool Open(const std::string& path, cWrittenFiles* run = nullptr, eName name = eName::kChosen);
    // Appends bytes; false when fewer were written than asked (a full disk, the size limit...).
    bool Write(std::span<const std::uint8_t> bytes);
    bool Write(const void* data, std::size_t n) {
        return Write(std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(data), n));
    }
    // Finishes: the target now holds exactly what was written (in a run, a waiting replacement
    // does once the run finishes). False on failure, in which case the target is as it was.
    bool Commit();
    // Gives up: removes the temporary file; the target is untouched.
    void Discard();

    std::uint32_t LastError() const noexcept { return lastError_; }
    // True when the target exists and is not the run's own output, so its replacement must be
    // made durable first.
    bool FlushesOnCommit() const noexcept { return flush_; }
    // Flushes made in this process so far, one per file or one per file system of a run's
    // finish (for tests and benchmarks).
    static std::uint64_t Flushes() noexcept;
    static void CountFlush() noexcept;

    // What stands at a name, without following a link and without opening it.
    enum class eKind { kMissing, kRegular, kLink, kOther, kUnknown };
    struct cProbe {
        eKind kind = eKind::kUnknown;
        cWrittenFiles::cIdentity identity;
    };
    static cProbe Probe(const std::string& path);
    static cWrittenFiles::cIdentity IdentityOf(const struct stat& st);
    // SIGXFSZ ignored from here on, once per process.
    static void IgnoreFileSizeSignal();

private:
    bool Refuse(std::uint32_t code);

    int fd_ = -1;
    bool inPlace_ = false; // truncating and writing the existing file itself
    bool stream_ = false; // writing straight into the target
    bool flush_ = false; // an older file that is not the run's own is replaced
    bool create_ = false; // the target did not exist: create it
    bool made_ = false; // a name the program made: never replace what appears there
    cWrittenFiles* run_ = nullptr;
    cWrittenFiles::cIdentity found_; // the target's identity at Open
    std::string target_; // the file replaced: the path, or the file a link points to
    std::string temp_;
    std::vector<std::uint8_t> pending_; // the bytes of an in-place write
    std::uint32_t lastError_ = 0;
};
