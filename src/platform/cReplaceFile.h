#pragma once
// cReplaceFile: a file written whole or not at all. The bytes go to a temporary file beside the
// target, ".NAME.tmp-XXXXXX", which takes the target's name only once everything was written: a
// failure never destroys the file it was to replace and never leaves a partial file behind, and
// dropping the object before Commit removes the temporary file.
//
// The names it writes, after mFileAt's check (a folder, FIFO, device or a regular file this user
// may not write is refused before anything is opened):
// - kChosen, a path the user chose: a link there is followed and the file it points to is
//   replaced, beside it; a link to nothing is replaced by the new file.
// - kMade, a name the program made inside a folder (batch outputs, exported images, thumbnails):
//   never written through a link nor replacing one (Open answers mFileAt::kLinkAtName and the
//   caller picks another name), and a name that was free is only ever created, never swapped for
//   something that appeared there meanwhile (PlaceNew).
//
// Durability: replacing an existing file makes the new bytes durable first (one fdatasync in
// Commit); a new file needs none, there was nothing to lose. A caller that buys durability once
// for many files takes the complete temporary file over instead (Close, then ReleaseTemp) and
// puts it in place itself.
//
// A temporary file is locked (flock) while its writer lives, so that RemoveStale can tell the
// leftovers of a killed writer from the file a writer beside it is still writing.
//
// A write past the file-size limit (RLIMIT_FSIZE) fails like a full disk: the first Open makes
// the process ignore SIGXFSZ.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/cFolder.h"
#include "platform/mFileAt.h"

class cReplaceFile {
public:
    enum class eName { kChosen, kMade };

    cReplaceFile() = default;
    ~cReplaceFile();
    cReplaceFile(const cReplaceFile&) = delete;
    cReplaceFile& operator=(const cReplaceFile&) = delete;

    // Prepares to write `path`. False when it may not or cannot be written there (see above; a
    // missing folder, no permission...), with LastError() holding the system code.
    bool Open(const std::string& path, eName kind = eName::kChosen);
    // The same for `name` (one component) in a folder the caller keeps open until this object is
    // done with it; `kind` as above (a chosen name here is not followed through a link).
    bool Open(int folder, const std::string& name, eName kind = eName::kMade);
    // Appends bytes; false when fewer were written than asked (a full disk, the size limit...).
    bool Write(std::span<const std::uint8_t> bytes);
    bool Write(const void* data, std::size_t n) {
        return Write(std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(data), n));
    }
    // Finishes: the target now holds exactly what was written. False on failure, in which case
    // the target is as it was and the temporary file is gone.
    bool Commit();
    // Completes the temporary file without putting it in place (see ReleaseTemp).
    bool Close();
    // After Close: the temporary file's name in the target's folder, which is now the caller's to
    // rename or remove.
    std::string ReleaseTemp();
    // Gives up: removes the temporary file; the target is untouched.
    void Discard();

    // What stood at the name when it was opened.
    const mFileAt::cAt& Found() const noexcept { return found_; }
    // The temporary file's identity once closed: the file's after it was put in place.
    const mFileAt::cIdentity& Identity() const noexcept { return identity_; }
    // The name written, in its folder (the file a chosen link points to).
    const std::string& Name() const noexcept { return name_; }
    std::uint32_t LastError() const noexcept { return lastError_; }

    // Flushes made in this process so far (for tests and benchmarks).
    static std::uint64_t Flushes() noexcept;
    static void CountFlush() noexcept;
    // SIGXFSZ ignored from here on, once per process.
    static void IgnoreFileSizeSignal();
    // What the temporary files of `name` are called before their random tail: "." and the name,
    // cut so that the whole fits a file name of 255 bytes.
    static std::string TempStem(const std::string& name);
    // True when `file` is the name of such a temporary file; `stem` is then its TempStem.
    static bool IsTempName(const std::string& file, std::string& stem);
    // Moves the complete file `temp` to `name` in `folder`, where nothing stands: what appeared
    // there meanwhile is never replaced. Where the file system has neither RENAME_NOREPLACE nor
    // hard links, the name is first claimed with an exclusive create and the file renamed over
    // that claim. 0, or the errno of the step that failed.
    static int PlaceNew(int folder, const std::string& temp, const std::string& name);
    // Removes the temporary files of `name` in `folder` that no living writer holds: those a writer
    // killed before it could finish left behind. Answers how many were removed. A file whose lock
    // cannot be asked (a file system without flock) is removed only when older than a quarter of an
    // hour; one not yet locked (empty and younger than a minute) stays.
    static std::size_t RemoveStale(int folder, const std::string& name);
    // The same beside the target, once Open succeeded.
    std::size_t RemoveStale() { return dir_ >= 0 && !name_.empty() ? RemoveStale(dir_, name_) : 0; }

private:
    bool Refuse(std::uint32_t code) {
        lastError_ = code;
        return false;
    }

    cFolder own_; // the target's folder, when opened by path
    int dir_ = -1;
    int fd_ = -1;
    bool closed_ = false;
    eName kind_ = eName::kChosen;
    std::string name_;
    std::string temp_;
    mFileAt::cAt found_;
    mFileAt::cIdentity identity_;
    std::uint32_t lastError_ = 0;
};
