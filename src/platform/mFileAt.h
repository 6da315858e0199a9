#pragma once
// mFileAt: the one check of the write policy. Every writer of the program asks it what stands at
// a name before it writes there, from what lstat says, without opening anything (opening a FIFO
// to look at it could block for good): nothing, a regular file, a symbolic link, a folder, a FIFO,
// a device or socket; and, for a regular file, whether this user may write it (its own
// permissions and the file system's, not only the folder's). The name is taken in a folder the
// caller opened (a descriptor, so that a folder swapped for a link meanwhile changes nothing), or
// as a path (AT_FDCWD).
//
// A file's identity is its device and inode, with its size and the time of its last write: a file
// that anyone changed since differs in the latter two.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include <sys/stat.h>

namespace mFileAt {

enum class eKind { kMissing, kRegular, kLink, kFolder, kFifo, kDevice, kUnknown };

struct cIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t written = 0; // ns
    bool operator==(const cIdentity&) const = default;
    bool SameFile(const cIdentity& o) const noexcept { return device == o.device && inode == o.inode; }
};

struct cAt {
    eKind kind = eKind::kUnknown;
    cIdentity identity;
    std::uint32_t mode = 0; // permission bits
    std::uint64_t links = 0; // the hard links of a regular file
    bool writable = false; // a regular file this user may write
    std::uint32_t error = 0; // why it could not be looked at (mSysText), for kUnknown
};

// The code a writer answers for a link at a name the program made (mSysText::kFileExists' text).
inline constexpr std::uint32_t kLinkAtName = 80;

// What stands at `name` in the folder `folder` (a descriptor, or AT_FDCWD for a path).
cAt At(int folder, const std::string& name);
cAt At(const std::string& path);
cIdentity IdentityOf(const struct stat& st);
// The identity of the file a path leads to (links followed); false when it cannot be looked at.
bool Follow(const std::string& path, cIdentity& identity);
// The first of `inputs` that is the very file `output` leads to (the same device and inode: the
// name itself, a hard link, or a symbolic link to it), or -1 when none is or nothing stands at
// `output`. A writer asks before it opens anything, so that no output ever replaces an input.
std::ptrdiff_t InputAt(const std::string& output, const std::vector<std::string>& inputs);
// True when this user may create files in the folder `folder` (its permissions and the file
// system's: a read-only mount is not writable).
bool Writable(int folder);

// The code that refuses writing over what stands there, or 0 where a writer may go on: a folder,
// FIFO or device is refused (mSysText::kOpenFailed), a regular file this user may not write
// (kAccessDenied), a name that could not be looked at (its own code).
std::uint32_t Refusal(const cAt& at);

} // namespace mFileAt
