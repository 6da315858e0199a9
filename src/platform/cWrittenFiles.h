#pragma once
// cWrittenFiles: one run of a batch command (a batch extraction, an export into a folder): the
// files it wrote, its sources, and the replacements it has not yet made durable.
//
// Each written file is kept by its path (the file a link points to, for a link), the source it
// was written from, and the identity it had when the run left it: device, inode, size and the
// times of its last change and last write, in nanoseconds. A file of that name that anyone else
// has changed or put there since differs in some part of its identity (a new file may get the
// inode number just freed, but then a later change time, or within one tick of the file system's
// clock most likely another size) and counts as the user's again.
//
// Replacing a file the user already had needs the new bytes on disk before the rename, or a
// crash could leave neither version. Rather than one flush per file, cAtomicFile hands such a
// replacement to the run (Defer): the complete temporary file waits beside its target, and
// Finish makes every waiting file durable with one flush of each file system involved, then
// renames them over their targets. The destructor finishes a run that was not finished.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class cWrittenFiles {
public:
    struct cIdentity {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = 0;
        std::int64_t changed = 0; // ns
        std::int64_t written = 0; // ns
        bool operator==(const cIdentity&) const = default;
    };
    // A replacement that Finish could not make: the target keeps its old bytes.
    struct cFailure {
        std::string path;
        std::uint32_t code = 0; // mSysText
    };

    cWrittenFiles() = default;
    ~cWrittenFiles();
    cWrittenFiles(const cWrittenFiles&) = delete;
    cWrittenFiles& operator=(const cWrittenFiles&) = delete;

    // The source whose outputs the next writes are (recorded with each file).
    void SetSource(std::string source) { source_ = std::move(source); }
    const std::string& Source() const noexcept { return source_; }
    // A source of the run: a file at an output name with this device and inode is never replaced.
    void AddSource(std::uint64_t device, std::uint64_t inode);
    bool IsSource(std::uint64_t device, std::uint64_t inode) const;

    // The run wrote `path` from the current source; the file now has this identity.
    void Record(const std::string& path, cIdentity identity);
    // True when the run wrote `path` (or has a replacement of it waiting) and the file there
    // still has the identity the run left or found.
    bool Holds(const std::string& path, cIdentity identity) const;
    // The source `path` was written from in this run, or null when the run did not write it.
    const std::string* WrittenFrom(const std::string& path) const;

    // A complete temporary file `temp` is to replace `path`, whose present identity is `found`.
    // A replacement of the same path already waiting is dropped (its temporary file removed).
    // Past kMaxWaiting waiting files the run finishes what it holds first.
    void Defer(const std::string& path, const std::string& temp, cIdentity found);
    // Flushes and renames every waiting file; answers the replacements that failed.
    std::vector<cFailure> Finish();
    std::size_t Waiting() const noexcept { return waiting_.size(); }
    bool IsWaiting(const std::string& path) const;

    // A new run: nothing written, no sources, nothing waiting (what waits is finished first).
    void Clear();
    std::size_t Count() const noexcept { return files_.size(); }

    static constexpr std::size_t kMaxWaiting = 4096;

private:
    struct cFile {
        cIdentity identity;
        std::string source;
        std::string temp; // non-empty while the replacement waits
    };
    struct cSourceKey {
        std::uint64_t device, inode;
        bool operator==(const cSourceKey&) const = default;
    };
    struct cSourceHash {
        std::size_t operator()(const cSourceKey& k) const noexcept {
            return std::hash<std::uint64_t>()(k.inode ^ (k.device << 32));
        }
    };

    std::unordered_map<std::string, cFile> files_;
    std::vector<std::string> waiting_; // paths, in the order they were deferred
    std::unordered_set<cSourceKey, cSourceHash> sources_;
    std::vector<cFailure> failed_; // failures of an early finish, answered by the next Finish
    std::string source_;
};
