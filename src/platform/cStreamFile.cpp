#include "platform/cStreamFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/cReplaceFile.h"
#include "platform/mFileAt.h"
#include "platform/mSysText.h"

cStreamFile::~cStreamFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool cStreamFile::Open(const std::string& path) { return OpenAt(path, false); }

bool cStreamFile::Continue(const std::string& path, std::uint64_t keep) {
    if (!OpenAt(path, true)) return false;
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || static_cast<std::uint64_t>(st.st_size) < keep ||
        ::ftruncate(fd_, static_cast<off_t>(keep)) != 0 || ::lseek(fd_, static_cast<off_t>(keep), SEEK_SET) < 0) {
        lastError_ = mSysText::FromErrno(errno ? errno : EINVAL);
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    size_ = keep;
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
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    lastError_ = 0;
    if (path.empty()) {
        lastError_ = mSysText::kPathNotFound;
        return false;
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
        return false;
    }
    const bool exists = at.kind == mFileAt::eKind::kRegular;
    const int fd = ::open(
        path.c_str(), O_WRONLY | O_CREAT | (keep ? 0 : O_TRUNC) | O_NONBLOCK | O_CLOEXEC | (exists ? 0 : O_EXCL), 0666);
    if (fd < 0) {
        lastError_ = mSysText::FromErrno(errno, path);
        return false;
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        lastError_ = mSysText::kOpenFailed;
        return false;
    }
    fd_ = fd;
    return true;
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
