#pragma once
// cWrittenFiles: the files one run of a command (one batch extraction) has written, each by its
// path (the file a link points to, for a link) and the identity (device and inode) it had when
// the run left it.
//
// cAtomicFile asks it whether an existing target is the run's own earlier output: replacing that
// needs no flush before the rename, since nothing but the run's own earlier work could be lost.
// A file of that name that has been replaced by anyone else since carries another identity and
// counts as the user's again.

#include <cstdint>
#include <string>
#include <unordered_map>

class cWrittenFiles {
public:
    struct cIdentity {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
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
