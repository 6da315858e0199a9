#include "platform/cInPlaceFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/mSysText.h"

cInPlaceFile::~cInPlaceFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool cInPlaceFile::Open(const std::string& path) {
    cReplaceFile::IgnoreFileSizeSignal();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    pending_.clear();
    replacing_ = false;
    lastError_ = 0;
    const mFileAt::cAt at = mFileAt::At(path);
    if (at.kind == mFileAt::eKind::kLink) {
        lastError_ = mFileAt::kLinkAtName;
        return false;
    }
    if (at.kind != mFileAt::eKind::kRegular || at.links > 1) return ReplaceWhole(path);
    if (!at.writable) {
        lastError_ = mSysText::kAccessDenied;
        return false;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        lastError_ = errno == ELOOP ? mFileAt::kLinkAtName : mSysText::FromErrno(errno, path);
        return false;
    }
    // The file opened is the one looked at, and still has no other name.
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || !mFileAt::IdentityOf(opened).SameFile(at.identity) ||
        opened.st_nlink > 1) {
        ::close(fd);
        lastError_ = mSysText::kOpenFailed;
        return false;
    }
    // Only a caller that holds the file open (thumbnail services that read the result through the
    // handle they created it with) needs it written through its inode; any other file is replaced
    // whole by a new one, so that a writer killed halfway leaves the old bytes, not a cut picture.
    if (!HeldElsewhere(fd, opened) && FolderWritable(path)) {
        ::close(fd);
        return ReplaceWhole(path);
    }
    fd_ = fd;
    return true;
}

bool cInPlaceFile::ReplaceWhole(const std::string& path) {
    replacing_ = true;
    if (!replace_.Open(path, cReplaceFile::eName::kMade)) {
        lastError_ = replace_.LastError();
        return false;
    }
    replace_.RemoveStale();
    return true;
}

bool cInPlaceFile::HeldElsewhere(int fd, const struct stat& st) {
    // A write lease is granted only while no other descriptor in any process has the file open.
    if (::fcntl(fd, F_SETLEASE, F_WRLCK) == 0) {
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
        return false;
    }
    if (errno == EAGAIN) return true;
    // Where leases are not to be had (another user's file, a network file system), an empty file is
    // taken for one a caller made to receive the result.
    return st.st_size == 0;
}

bool cInPlaceFile::FolderWritable(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

bool cInPlaceFile::Write(std::span<const std::uint8_t> bytes) {
    if (replacing_) {
        if (replace_.Write(bytes)) return true;
        lastError_ = replace_.LastError();
        return false;
    }
    if (fd_ < 0) {
        lastError_ = mSysText::kInvalidParameter;
        return false;
    }
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    return true;
}

bool cInPlaceFile::Commit() {
    if (replacing_) {
        replacing_ = false;
        if (replace_.Commit()) return true;
        lastError_ = replace_.LastError();
        return false;
    }
    if (fd_ < 0) {
        lastError_ = mSysText::kInvalidParameter;
        return false;
    }
    // The file cannot be swapped whole here, so what can be known to fail does so before it is
    // touched: bytes past the file-size limit, or no room for them on the disk.
    bool ok = true;
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && pending_.size() > limit.rlim_cur) {
        lastError_ = mSysText::kDiskFull;
        ok = false;
    }
    if (ok && !pending_.empty() && ::fallocate(fd_, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(pending_.size())) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS) {
        lastError_ = mSysText::FromErrno(errno);
        ok = false;
    }
    // Written from the start, then cut to length: a writer racing on the same output can leave
    // its bytes or ours, never a tail of the longer behind the shorter.
    for (std::size_t at = 0; ok && at < pending_.size();) {
        const ssize_t n = ::pwrite(fd_, pending_.data() + at, pending_.size() - at, static_cast<off_t>(at));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            lastError_ = n < 0 ? mSysText::FromErrno(errno) : mSysText::kDiskFull;
            ok = false;
            break;
        }
        at += static_cast<std::size_t>(n);
    }
    if (ok && ::ftruncate(fd_, static_cast<off_t>(pending_.size())) != 0) {
        lastError_ = mSysText::FromErrno(errno);
        ok = false;
    }
    if (::close(fd_) != 0 && ok) {
        lastError_ = mSysText::FromErrno(errno);
        ok = false;
    }
    fd_ = -1;
    pending_.clear();
    return ok;
}
