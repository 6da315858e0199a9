#include "platform/cAtomicFile.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fcntl.h>
#include <mutex>
#include <string_view>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/mSysText.h"

namespace {

std::atomic<std::uint64_t> gFlushes{0};

std::int64_t Nanoseconds(const struct timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + static_cast<std::int64_t>(t.tv_nsec);
}

mode_t CurrentUmask() {
    mode_t m = ::umask(0);
    ::umask(m);
    return m;
}

// Moves `from` to the name `to`, which must not exist: a name that appeared since Open (a link
// planted in the meantime) is never replaced.
int RenameNoReplace(const char* from, const char* to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
#endif
    // File systems without the flag: a hard link fails where the name exists.
    if (::link(from, to) != 0) return -1;
    ::unlink(from);
    return 0;
}

bool WriteAll(int fd, const std::uint8_t* p, std::size_t left, std::uint32_t& error) {
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = mSysText::FromErrno(errno);
            return false;
        }
        if (n == 0) {
            error = mSysText::kDiskFull;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

cAtomicFile::~cAtomicFile() { Discard(); }

std::uint64_t cAtomicFile::Flushes() noexcept { return gFlushes.load(std::memory_order_relaxed); }

void cAtomicFile::CountFlush() noexcept { gFlushes.fetch_add(1, std::memory_order_relaxed); }

void cAtomicFile::IgnoreFileSizeSignal() {
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGXFSZ, SIG_IGN); });
}

cWrittenFiles::cIdentity cAtomicFile::IdentityOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_size), Nanoseconds(st.st_ctim), Nanoseconds(st.st_mtim)};
}

cAtomicFile::cProbe cAtomicFile::Probe(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return {errno == ENOENT ? eKind::kMissing : eKind::kUnknown, {}};
    if (S_ISLNK(st.st_mode)) return {eKind::kLink, IdentityOf(st)};
    return {S_ISREG(st.st_mode) ? eKind::kRegular : eKind::kOther, IdentityOf(st)};
}

bool cAtomicFile::Refuse(std::uint32_t code) {
    lastError_ = code;
    return false;
}

bool cAtomicFile::Open(const std::string& path, cWrittenFiles* run, eName name) {
    IgnoreFileSizeSignal();
    Discard();
    lastError_ = 0;
    inPlace_ = false;
    stream_ = false;
    flush_ = false;
    create_ = false;
    made_ = name == eName::kMade || name == eName::kInPlace;
    found_ = {};
    pending_.clear();
    run_ = run;
    if (path.empty()) return Refuse(mSysText::kPathNotFound);
    target_ = path;
    mode_t mode = static_cast<mode_t>(0666 & ~CurrentUmask());

    // Decide from lstat/stat alone: opening a FIFO to look at it could block for good.
    struct stat st {};
    bool exists = false;
    if (::lstat(path.c_str(), &st) == 0) {
        exists = true;
        if (S_ISLNK(st.st_mode)) {
            if (made_) return Refuse(kLinkAtName);
            if (::stat(path.c_str(), &st) == 0) {
                // Replace the file the link points to, not the link.
                std::error_code ec;
                const auto real = std::filesystem::canonical(path, ec);
                if (ec) return Refuse(mSysText::FromErrno(ec.value(), path));
                target_ = real.string();
            } else if (errno == ENOENT) {
                exists = false; // a link to nothing: the new file takes the link's place
            } else {
                return Refuse(mSysText::FromErrno(errno, path));
            }
        }
    } else if (errno == ENOENT) {
        create_ = true;
    } else {
        return Refuse(mSysText::FromErrno(errno, path));
    }

    if (exists) {
        if (!S_ISREG(st.st_mode)) return Refuse(mSysText::kOpenFailed);
        // The user's own protection counts, not only the folder's.
        if (::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) {
            return Refuse(errno == ENOENT ? mSysText::kFileNotFound : mSysText::kAccessDenied);
        }
        mode = st.st_mode & 07777;
        found_ = IdentityOf(st);
        flush_ = !(run && run->Holds(target_, found_));
        if (name == eName::kInPlace) {
            const int fd = ::open(target_.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0) return Refuse(errno == ELOOP ? kLinkAtName : mSysText::FromErrno(errno, target_));
            struct stat opened {};
            if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_ino != st.st_ino ||
                opened.st_dev != st.st_dev) {
                ::close(fd);
                return Refuse(mSysText::kOpenFailed);
            }
            fd_ = fd;
            inPlace_ = true;
            return true;
        }
    }

    if (name == eName::kStream) {
        const int flags = O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC | (exists ? 0 : O_EXCL);
        const int fd = ::open(target_.c_str(), flags, mode);
        if (fd < 0) return Refuse(mSysText::FromErrno(errno, target_));
        struct stat opened {};
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            ::close(fd);
            return Refuse(mSysText::kOpenFailed);
        }
        fd_ = fd;
        stream_ = true;
        return true;
    }

    std::filesystem::path t(target_);
    std::string dir = t.parent_path().string();
    if (dir.empty()) dir = ".";
    // The temporary file is named after the target, cut so that its name fits where the target's
    // fits (a name of up to 255 bytes).
    constexpr std::size_t kNameMax = 255;
    constexpr std::string_view kTail = ".tmp-XXXXXX";
    std::string stem = "." + t.filename().string();
    if (stem.size() + kTail.size() > kNameMax) stem.resize(kNameMax - kTail.size());
    std::string pattern = dir + "/" + stem + std::string(kTail);
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    const int fd = ::mkostemp(buf.data(), O_CLOEXEC);
    if (fd < 0) return Refuse(mSysText::FromErrno(errno, target_));
    temp_.assign(buf.data());
    ::fchmod(fd, mode);
    fd_ = fd;
    return true;
}

bool cAtomicFile::Write(std::span<const std::uint8_t> bytes) {
    if (fd_ < 0) return Refuse(mSysText::kInvalidParameter);
    if (inPlace_) {
        // Written at Commit, so that a failure before it leaves the file as it was.
        pending_.insert(pending_.end(), bytes.begin(), bytes.end());
        return true;
    }
    return WriteAll(fd_, bytes.data(), bytes.size(), lastError_);
}

bool cAtomicFile::Commit() {
    if (fd_ < 0) return Refuse(mSysText::kInvalidParameter);
    if (stream_) {
        const bool ok = ::close(fd_) == 0;
        if (!ok) lastError_ = mSysText::FromErrno(errno);
        fd_ = -1;
        return ok;
    }
    if (inPlace_) {
        // The file cannot be swapped whole here, so what can be known to fail does so before it
        // is cut: bytes past the file-size limit, or no room for them on the disk.
        bool ok = true;
        struct rlimit limit {};
        if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
            pending_.size() > limit.rlim_cur) {
            lastError_ = mSysText::kDiskFull;
            ok = false;
        }
        if (ok && !pending_.empty() &&
            ::fallocate(fd_, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(pending_.size())) != 0 && errno != EOPNOTSUPP &&
            errno != ENOSYS) {
            lastError_ = mSysText::FromErrno(errno);
            ok = false;
        }
        if (ok && ::ftruncate(fd_, 0) != 0) {
            lastError_ = mSysText::FromErrno(errno);
            ok = false;
        }
        ok = ok && WriteAll(fd_, pending_.data(), pending_.size(), lastError_);
        if (::close(fd_) != 0 && ok) {
            lastError_ = mSysText::FromErrno(errno);
            ok = false;
        }
        fd_ = -1;
        pending_.clear();
        return ok;
    }
    bool ok = true;
    // A replacement of the user's file waits for the run's flush, and so does a later version of
    // a file whose replacement already waits.
    const bool waits = run_ != nullptr && (flush_ || run_->IsWaiting(target_));
    if (flush_ && !run_) {
        CountFlush();
        if (::fdatasync(fd_) != 0 && errno != EINVAL) {
            lastError_ = mSysText::FromErrno(errno);
            ok = false;
        }
    }
    if (::close(fd_) != 0 && ok) {
        lastError_ = mSysText::FromErrno(errno);
        ok = false;
    }
    fd_ = -1;
    if (ok && waits) {
        run_->Defer(target_, temp_, found_);
        temp_.clear();
        return true;
    }
    if (ok) {
        const int rc = create_ && made_ ? RenameNoReplace(temp_.c_str(), target_.c_str())
                                        : ::rename(temp_.c_str(), target_.c_str());
        if (rc != 0) {
            lastError_ = mSysText::FromErrno(errno);
            ok = false;
        }
    }
    if (!ok) {
        ::unlink(temp_.c_str());
    } else if (run_) {
        // The file as the run leaves it, the rename included (it sets the change time).
        struct stat written {};
        if (::stat(target_.c_str(), &written) == 0) run_->Record(target_, IdentityOf(written));
    }
    temp_.clear();
    return ok;
}

void cAtomicFile::Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
    pending_.clear();
}
