#pragma once
// cWrittenFiles: the files one run of a command (one batch extraction) has written, each by its
// path (the file a link points to, for a link) and the identity it had when the run left it:
// device, inode, size and the times of its last change and last write, in nanoseconds.
//
// cAtomicFile asks it whether an existing target is the run's own earlier output: replacing that
// needs no flush before the rename, since nothing but the run's own earlier work could be lost.
// A file of that name that anyone else has changed or put there since differs in some part of
// its identity (a new file may get the inode number just freed, but then a later change time, or
// within one tick of the file system's clock most likely another size) and counts as the user's
// again.

#include <cstdint>
#include <string>
#include <unordered_map>

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

    // The run wrote `path`; the file now has this identity.
    void Record(const std::string& path, cIdentity identity);
    // True when the run wrote `path` and the file there still has the identity it left.
    bool Holds(const std::string& path, cIdentity identity) const;
    // A new run: nothing written yet.
    void Clear() noexcept { files_.clear(); }
    std::size_t Count() const noexcept { return files_.size(); }

private:
    std::unordered_map<std::string, cIdentity> files_;
};
