#include "platform/mFileAt.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "platform/mSysText.h"

namespace mFileAt {

cIdentity IdentityOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 +
                static_cast<std::int64_t>(st.st_mtim.tv_nsec)};
}

cAt At(int folder, const std::string& name) {
    cAt at;
    struct stat st {};
    if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) {
            at.kind = eKind::kMissing;
        } else {
            at.error = folder == AT_FDCWD ? mSysText::FromErrno(errno, name) : mSysText::FromErrno(errno);
        }
        return at;
    }
    at.identity = IdentityOf(st);
    at.mode = st.st_mode & 07777;
    if (S_ISLNK(st.st_mode)) {
        at.kind = eKind::kLink;
    } else if (S_ISDIR(st.st_mode)) {
        at.kind = eKind::kFolder;
    } else if (S_ISFIFO(st.st_mode)) {
        at.kind = eKind::kFifo;
    } else if (!S_ISREG(st.st_mode)) {
        at.kind = eKind::kDevice;
    } else {
        at.kind = eKind::kRegular;
        at.links = static_cast<std::uint64_t>(st.st_nlink);
        // The user's own protection counts, and a read-only file system's.
        at.writable = ::faccessat(folder, name.c_str(), W_OK, AT_EACCESS) == 0;
    }
    return at;
}

cAt At(const std::string& path) { return At(AT_FDCWD, path); }

std::uint32_t Refusal(const cAt& at) {
    switch (at.kind) {
    case eKind::kMissing:
    case eKind::kLink: return 0;
    case eKind::kRegular: return at.writable ? 0 : mSysText::kAccessDenied;
    case eKind::kFolder:
    case eKind::kFifo:
    case eKind::kDevice: return mSysText::kOpenFailed;
    case eKind::kUnknown: return at.error != 0 ? at.error : mSysText::kOpenFailed;
    }
    return mSysText::kOpenFailed;
}

} // namespace mFileAt

namespace mFileAt {

bool Follow(const std::string& path, cIdentity& identity) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return false;
    identity = IdentityOf(st);
    return true;
}

std::ptrdiff_t InputAt(const std::string& output, const std::vector<std::string>& inputs) {
    cIdentity out;
    if (!Follow(output, out)) return -1;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        cIdentity in;
        if (Follow(inputs[i], in) && in.SameFile(out)) return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
}

} // namespace mFileAt

bool mFileAt::Writable(int folder) { return ::faccessat(folder, ".", W_OK | X_OK, AT_EACCESS) == 0; }
