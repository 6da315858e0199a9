#include "platform/cStreamFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/cReplaceFile.h"
#include "platform/mFileAt.h"
#include "platform/mSysText.h"

cStreamFile::~cStreamFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool cStreamFile::Open(const std::string& path) { return OpenAt(path, false); }

bool cStreamFile::Continue(const std::string& path, std::uint64_t keep) { return OpenAt(path, true) && Keep(keep); }

bool cStreamFile::Hold(const std::string& path) {
    if (!OpenAt(path, true)) return false;
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || ::lseek(fd_, 0, SEEK_END) < 0) {
        lastError_ = mSysText::FromErrno(errno);
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    size_ = static_cast<std::uint64_t>(st.st_size);
    return true;
}

bool cStreamFile::Keep(std::uint64_t keep) {
    struct stat st {};
    errno = 0;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || static_cast<std::uint64_t>(st.st_size) < keep ||
        ::ftruncate(fd_, static_cast<off_t>(keep)) != 0 || ::lseek(fd_, static_cast<off_t>(keep), SEEK_SET) < 0) {
        lastError_ = mSysText::FromErrno(errno ? errno : EINVAL);
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        return false;
    }
    size_ = keep;
    return true;
}

// Takes the lock of `fd`, opened as `path`: false (kSharingViolation) when another writer holds
// it, or when the name no longer leads to that file (a writer that put a new file in its place
// holds that one).
bool cStreamFile::Locked(int fd, const std::string& path) {
    unlocked_ = 0;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK || errno == EINTR) {
            lastError_ = mSysText::kSharingViolation;
            return false;
        }
        unlocked_ = mSysText::FromErrno(errno);
        return true;
    }
    struct stat held {
    }, named{};
    if (::fstat(fd, &held) != 0 || ::stat(path.c_str(), &named) != 0 || held.st_dev != named.st_dev ||
        held.st_ino != named.st_ino) {
        lastError_ = mSysText::kSharingViolation;
        return false;
    }
    return true;
}

bool cStreamFile::WriteWhole(std::span<const std::uint8_t> bytes) {
    const std::uint64_t before = size_;
    if (Write(bytes)) return true;
    if (fd_ >= 0 && ::ftruncate(fd_, static_cast<off_t>(before)) == 0) {
        ::lseek(fd_, static_cast<off_t>(before), SEEK_SET);
        size_ = before;
    }
    return false;
}

bool cStreamFile::OpenAt(const std::string& path, bool keep) {
    cReplaceFile::IgnoreFileSizeSignal();
    size_ = 0;
    lastError_ = 0;
    // The file open so far stays open (and locked) until the new one is: then it is closed, as it
    // is when the new one fails.
    const int fd = OpenLocked(path, keep);
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
    return fd >= 0;
}

int cStreamFile::OpenLocked(const std::string& path, bool keep) {
    if (path.empty()) {
        lastError_ = mSysText::kPathNotFound;
        return -1;
    }
    mFileAt::cAt at = mFileAt::At(path);
    if (at.kind == mFileAt::eKind::kLink) {
        // What the link leads to is checked as the name itself would be.
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0) {
            at.kind = S_ISREG(st.st_mode)   ? mFileAt::eKind::kRegular
                      : S_ISDIR(st.st_mode) ? mFileAt::eKind::kFolder
                                            : mFileAt::eKind::kDevice;
            at.writable = ::access(path.c_str(), W_OK) == 0;
        } else {
            at.kind = mFileAt::eKind::kMissing;
        }
    }
    if (const std::uint32_t refused = mFileAt::Refusal(at)) {
        lastError_ = refused;
        return -1;
    }
    const bool exists = at.kind == mFileAt::eKind::kRegular;
    // Nothing is cut before the lock is held.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC | (exists ? 0 : O_EXCL), 0666);
    if (fd < 0) {
        lastError_ = mSysText::FromErrno(errno, path);
        return -1;
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        lastError_ = mSysText::kOpenFailed;
        return -1;
    }
    if (!Locked(fd, path) || (!keep && ::ftruncate(fd, 0) != 0)) {
        if (lastError_ == 0) lastError_ = mSysText::FromErrno(errno);
        ::close(fd);
        return -1;
    }
    return fd;
}

bool cStreamFile::Write(std::span<const std::uint8_t> bytes) {
    if (fd_ < 0) {
        lastError_ = mSysText::kInvalidParameter;
        return false;
    }
    const std::uint8_t* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            lastError_ = n < 0 ? mSysText::FromErrno(errno) : mSysText::kDiskFull;
            return false;
        }
        p += n;
        size_ += static_cast<std::uint64_t>(n);
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

bool cStreamFile::Commit() {
    if (fd_ < 0) {
        lastError_ = mSysText::kInvalidParameter;
        return false;
    }
    const bool ok = ::close(fd_) == 0;
    if (!ok) lastError_ = mSysText::FromErrno(errno);
    fd_ = -1;
    return ok;
}
