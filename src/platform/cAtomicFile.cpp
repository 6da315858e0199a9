#include "platform/cAtomicFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/cWrittenFiles.h"
#include "platform/mSysText.h"

namespace {

std::atomic<std::uint64_t> gFlushes{0};

std::int64_t Nanoseconds(const struct timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + static_cast<std::int64_t>(t.tv_nsec);
}

cWrittenFiles::cIdentity IdentityOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_size), Nanoseconds(st.st_ctim), Nanoseconds(st.st_mtim)};
}

mode_t CurrentUmask() {
    mode_t m = ::umask(0);
    ::umask(m);
    return m;
}

} // namespace

cAtomicFile::~cAtomicFile() { Discard(); }

std::uint64_t cAtomicFile::Flushes() noexcept { return gFlushes.load(std::memory_order_relaxed); }

bool cAtomicFile::Open(const std::string& path, cWrittenFiles* run) {
    Discard();
    lastError_ = 0;
    direct_ = false;
    flush_ = false;
    run_ = run;
    if (path.empty()) {
        lastError_ = mSysText::kPathNotFound;
        return false;
    }
    target_ = path;
    struct stat st {};
    mode_t mode = static_cast<mode_t>(0666 & ~CurrentUmask());
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            lastError_ = mSysText::kAccessDenied;
            return false;
        }
        if (!S_ISREG(st.st_mode)) {
            int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
            if (fd < 0) {
                lastError_ = mSysText::FromErrno(errno);
                return false;
            }
            fd_ = fd;
            direct_ = true;
            return true;
        }
        mode = st.st_mode & 07777;
        // Replace the file a link points to, not the link.
        struct stat link {};
        if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
            std::error_code ec;
            auto real = std::filesystem::canonical(path, ec);
            if (!ec) target_ = real.string();
        }
        flush_ = !(run && run->Holds(target_, IdentityOf(st)));
    } else if (errno != ENOENT) {
        lastError_ = mSysText::FromErrno(errno);
        return false;
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
    int fd = ::mkostemp(buf.data(), O_CLOEXEC);
    if (fd < 0) {
        lastError_ = mSysText::FromErrno(errno, target_);
        return false;
    }
    temp_.assign(buf.data());
    ::fchmod(fd, mode);
    fd_ = fd;
    return true;
}

bool cAtomicFile::Write(std::span<const std::uint8_t> bytes) {
    if (fd_ < 0) {
        lastError_ = mSysText::kInvalidParameter;
        return false;
    }
    const std::uint8_t* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd_, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            lastError_ = mSysText::FromErrno(errno);
            return false;
        }
        if (n == 0) {
            lastError_ = mSysText::kDiskFull;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

bool cAtomicFile::Commit() {
    if (fd_ < 0) {
        lastError_ = mSysText::kInvalidParameter;
        return false;
    }
    if (direct_) {
        int rc = ::close(fd_);
        fd_ = -1;
        if (rc != 0) {
            lastError_ = mSysText::FromErrno(errno);
            return false;
        }
        return true;
    }
    bool ok = true;
    if (flush_) {
        gFlushes.fetch_add(1, std::memory_order_relaxed);
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
    if (ok && ::rename(temp_.c_str(), target_.c_str()) != 0) {
        lastError_ = mSysText::FromErrno(errno);
        ok = false;
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
}
