#pragma once
// cOutputFolder: one run of a batch command into one folder (a batch extraction). It owns the
// folder, opened once: every name is resolved against it (openat, renameat), so that a folder
// swapped for a link during the run changes nothing. It knows the run's sources and the files it
// wrote by device and inode, so that where two names are one file (a case-insensitive or
// normalising file system) the run still sees its own file there; and it holds the replacements
// it has not yet made durable.
//
// Listings: SetSource starts the outputs of one source. At tells what stands at a name for the
// run: nothing, the user's file, a file of this listing, one of an earlier listing of the same
// source (the same source listed twice writes its names again), one written from another source,
// one of the run's sources, a link, or something never written (a folder, FIFO or device).
//
// Replacing a file the user already had needs the new bytes on disk before the rename, or a crash
// could leave neither version. Rather than one flush per file, such a replacement waits, complete,
// beside its target, and Finish makes every waiting file durable with one flush of the file
// system, then renames them. What waits is bounded by the room it takes: the run finishes what
// waits before it would hold more than WaitingLimit() bytes or kMaxWaiting files, or before the
// folder's file system would have less than kRoomMargin left, and when a write fails for want of
// room while replacements wait, it finishes them and tries once more. Temporary files that an
// earlier run left behind (killed before it could finish) are removed as the run writes their
// names. The destructor finishes a run that was not finished.
//
// A file at an output name that already holds exactly the bytes to be written is left as it is
// (kUnchanged): a rerun into a folder that holds its outputs touches nothing, and the file counts
// as the run's from then on.
//
// Content names (WriteContent): a file named after the digest of its bytes in a subfolder of two
// hex digits. Such a file is the same whoever writes it, so runs in parallel into one folder are
// harmless by construction: an existing file with the right bytes is kept, a new one is placed
// without replacing anything that appeared meanwhile, and a temporary file is removed only when it
// is old enough that no live run can still be writing it. Default names are not: Lock takes the
// folder for one run at a time.
//
// Some file systems fold names but give each spelling an inode number of its own (FUSE drivers
// without stable inode numbers, such as FAT's): Open tells them by a probe file, and there the run
// also knows its files by their names folded to lower case (ASCII), so that folding never lets one
// source's output replace another's.

#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/cFolder.h"
#include "platform/mFileAt.h"

class cOutputFolder {
public:
    // kEarlierRun: a file an earlier run wrote from the same source (Adopt).
    enum class eAt { kFree, kUsers, kThisListing, kEarlierListing, kEarlierRun, kOtherSource, kSource, kLink, kOther };
    enum class eWrite { kDone, kUnchanged, kOpenFailed, kWriteFailed };
    // A replacement that could not be made: the target keeps its old bytes.
    struct cFailure {
        std::string path;
        std::uint32_t code = 0; // mSysText
    };

    static constexpr std::uint64_t kMaxWaitingBytes = 256ull << 20;
    static constexpr std::size_t kMaxWaiting = 4096;
    static constexpr std::uint64_t kRoomMargin = 4ull << 20;
    // A temporary file of a content name older than this is left over from a run that ended.
    static constexpr std::int64_t kStaleContentNs = 15ll * 60 * 1'000'000'000;

    cOutputFolder() = default;
    ~cOutputFolder();
    cOutputFolder(const cOutputFolder&) = delete;
    cOutputFolder& operator=(const cOutputFolder&) = delete;

    // Opens the folder outputs go to. False, with LastError(), when it is missing or no folder.
    bool Open(const std::string& folder);
    const cFolder& Folder() const noexcept { return folder_; }
    // A source of the run: a file with its device and inode at an output name is never replaced.
    void AddSource(const std::string& path);
    // The same for a file already looked at.
    void AddSource(const mFileAt::cIdentity& identity) { sources_.insert(KeyOf(identity)); }
    // The same for a source named before it is read (from a list), when it lies in this folder:
    // only there can an output take its name. Its folder is looked at once for many sources, so
    // that a list of a million files elsewhere costs a look at each of their folders, not at each
    // file.
    void AddSourceIfHere(const std::string& path);
    // The outputs written next are a new listing of `source`.
    void SetSource(const std::string& source);

    // Takes the folder for this run alone (an exclusive lock on the opened folder, released when
    // the run closes it). False when another run holds it; true also where the file system has no
    // locks to give, and Unlocked() then says why (mSysText).
    bool Lock();
    std::uint32_t Unlocked() const noexcept { return unlocked_; }
    // The file at `name` was written by an earlier run from `source` (whose records this run
    // carries on): from now on it is this run's file of that source.
    void Adopt(const std::string& name, const std::string& source);

    eAt At(const std::string& name) const;
    // Writes `bytes` as `name` (one component), through the folder. What failed (LastError()
    // says why): opening (the name refused, no room for a temporary file) or writing.
    eWrite Write(const std::string& name, std::span<const std::uint8_t> bytes);
    // Writes `bytes` as `name` (one component) in the subfolder `sub` (one component, made when
    // missing): a content name. kUnchanged when a file there already holds these bytes.
    eWrite WriteContent(const std::string& sub, const std::string& name, std::span<const std::uint8_t> bytes);
    // Makes every waiting replacement durable and puts it in place; answers those that failed,
    // with those of an early finish.
    std::vector<cFailure> Finish();

    std::size_t Waiting() const noexcept { return waiting_.size(); }
    // Replacements that failed in an early finish, which the next Finish answers.
    bool Failures() const noexcept { return !failed_.empty(); }
    std::uint64_t WaitingBytes() const noexcept { return waitingBytes_; }
    std::uint64_t WaitingLimit() const noexcept { return limit_; }
    void WaitingLimit(std::uint64_t bytes) noexcept { limit_ = bytes; }
    std::uint32_t LastError() const noexcept { return lastError_; }

private:
    struct cKey {
        std::uint64_t device = 0, inode = 0;
        bool operator==(const cKey&) const = default;
    };
    struct cKeyHash {
        std::size_t operator()(const cKey& k) const noexcept {
            return std::hash<std::uint64_t>()(k.inode * 0x9E3779B97F4A7C15ULL ^ k.device);
        }
    };
    struct cFile {
        std::string source;
        std::uint64_t listing = 0;
        mFileAt::cIdentity identity; // as the run left it (or found it, while its replacement waits)
    };
    struct cWait {
        std::string name, temp;
        cKey target; // the file at the name, which the temporary file replaces
        mFileAt::cIdentity written; // the temporary file's
        std::uint64_t bytes = 0;
    };
    static cKey KeyOf(const mFileAt::cIdentity& id) noexcept { return {id.device, id.inode}; }
    eWrite WriteOnce(const std::string& name, std::span<const std::uint8_t> bytes, bool& roomShort);
    void Record(const cKey& previous, const std::string& name, const mFileAt::cIdentity& now);
    mFileAt::cIdentity Placed(const std::string& name, const mFileAt::cIdentity& written) const;
    bool Room(std::uint64_t bytes) const;
    void RemoveStale(const std::string& name);
    void Probe();
    const cFile* Known(const std::string& name, const mFileAt::cAt& at) const;
    static std::string Folded(const std::string& name);
    static bool Holds(int dir, const std::string& name, const mFileAt::cAt& at, std::span<const std::uint8_t> bytes);
    int Subfolder(const std::string& sub);

    cFolder folder_;
    std::unordered_map<cKey, cFile, cKeyHash> files_;
    std::unordered_set<cKey, cKeyHash> sources_;
    std::vector<cWait> waiting_;
    std::unordered_map<cKey, std::size_t, cKeyHash> waitingAt_; // the file replaced -> index in waiting_
    std::unordered_map<std::string, std::vector<std::string>> stale_; // temporary stem -> files
    bool foldsWithoutIdentity_ = false; // the probe found names folded onto inodes of their own
    std::unordered_map<std::string, cKey> byFolded_; // there: a folded name -> the file written
    std::vector<cFailure> failed_;
    std::unordered_map<std::string, int> subfolders_; // content names: "ab" -> the opened subfolder
    std::unordered_map<std::string, bool> parents_; // AddSourceIfHere: a source's folder -> it is this one
    void CloseSubfolders();
    std::string source_;
    std::uint64_t listing_ = 0;
    std::uint64_t waitingBytes_ = 0;
    std::uint64_t limit_ = kMaxWaitingBytes;
    std::uint32_t lastError_ = 0;
    std::uint32_t unlocked_ = 0;
};
