#include "platform/cReplaceFile.h"

#include <atomic>
#include <ctime>
#include <vector>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fcntl.h>
#include <mutex>
#include <string_view>
#include <utility>
#include <dirent.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/mSysText.h"

namespace {

std::atomic<std::uint64_t> gFlushes{0};

constexpr std::size_t kNameMax = 255;
constexpr std::string_view kTail = ".tmp-";
constexpr std::size_t kRandom = 6;

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

// Six characters of [A-Za-z0-9] from the kernel's random source.
std::string RandomTail() {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::atomic<std::uint64_t> counter{0};
    unsigned char bytes[kRandom] = {};
    if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
        std::uint64_t x = counter.fetch_add(1) * 0x9E3779B97F4A7C15ULL ^ static_cast<std::uint64_t>(::getpid());
        for (auto& b : bytes) {
            b = static_cast<unsigned char>(x);
            x = (x >> 8) | (x << 56);
        }
    }
    std::string tail;
    for (const unsigned char b : bytes) tail += kAlphabet[b % (sizeof kAlphabet - 1)];
    return tail;
}

} // namespace

cReplaceFile::~cReplaceFile() { Discard(); }

std::uint64_t cReplaceFile::Flushes() noexcept { return gFlushes.load(std::memory_order_relaxed); }

void cReplaceFile::CountFlush() noexcept { gFlushes.fetch_add(1, std::memory_order_relaxed); }

void cReplaceFile::IgnoreFileSizeSignal() {
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGXFSZ, SIG_IGN); });
}

std::string cReplaceFile::TempStem(const std::string& name) {
    std::string stem = "." + name;
    if (stem.size() + kTail.size() + kRandom > kNameMax) stem.resize(kNameMax - kTail.size() - kRandom);
    return stem;
}

bool cReplaceFile::IsTempName(const std::string& file, std::string& stem) {
    if (file.size() < 2 + kTail.size() + kRandom || file[0] != '.') return false;
    const std::size_t at = file.size() - kRandom - kTail.size();
    if (file.compare(at, kTail.size(), kTail) != 0) return false;
    for (std::size_t i = file.size() - kRandom; i < file.size(); ++i) {
        const char c = file[i];
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
    }
    stem = file.substr(0, at);
    return true;
}

int cReplaceFile::PlaceNew(int folder, const std::string& temp, const std::string& name) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(folder, temp.c_str(), folder, name.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
#endif
    // File systems without the flag: a hard link fails where the name exists.
    if (::linkat(folder, temp.c_str(), folder, name.c_str(), 0) == 0) {
        ::unlinkat(folder, temp.c_str(), 0);
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS && errno != EMLINK) return errno;
    // Nor hard links (FAT, many FUSE and network file systems): the name is claimed by an
    // exclusive create, and the complete file renamed over the claim.
    const int claim = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (claim < 0) return errno;
    struct stat claimed {};
    const bool known = ::fstat(claim, &claimed) == 0;
    ::close(claim);
    if (::renameat(folder, temp.c_str(), folder, name.c_str()) == 0) return 0;
    const int error = errno;
    struct stat now {};
    if (known && ::fstatat(folder, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_ino == claimed.st_ino &&
        now.st_dev == claimed.st_dev)
        ::unlinkat(folder, name.c_str(), 0);
    return error;
}

bool cReplaceFile::Open(const std::string& path, eName kind) {
    IgnoreFileSizeSignal();
    Discard();
    own_.Close();
    lastError_ = 0;
    if (path.empty()) return Refuse(mSysText::kPathNotFound);
    std::string target = path;
    const mFileAt::cAt at = mFileAt::At(path);
    if (at.kind == mFileAt::eKind::kLink) {
        if (kind == eName::kMade) return Refuse(mFileAt::kLinkAtName);
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0) {
            // Replace the file the link points to, not the link.
            std::error_code ec;
            const auto real = std::filesystem::canonical(path, ec);
            if (ec) return Refuse(mSysText::FromErrno(ec.value(), path));
            target = real.string();
        } else if (errno != ENOENT) {
            return Refuse(mSysText::FromErrno(errno, path));
        }
    } else if (const std::uint32_t refused = mFileAt::Refusal(at)) {
        return Refuse(refused);
    }
    const std::filesystem::path t(target);
    const std::string name = t.filename().string();
    if (name.empty()) return Refuse(mSysText::kOpenFailed);
    if (!own_.Open(t.has_parent_path() ? t.parent_path().string() : std::string("."))) {
        return Refuse(own_.LastError() == mSysText::kPathNotFound ? mSysText::kPathNotFound : own_.LastError());
    }
    return Open(own_.Fd(), name, kind);
}

bool cReplaceFile::Open(int folder, const std::string& name, eName kind) {
    IgnoreFileSizeSignal();
    Discard();
    lastError_ = 0;
    dir_ = folder;
    kind_ = kind;
    name_ = name;
    identity_ = {};
    found_ = mFileAt::At(folder, name);
    if (found_.kind == mFileAt::eKind::kLink && kind == eName::kMade) return Refuse(mFileAt::kLinkAtName);
    if (const std::uint32_t refused = mFileAt::Refusal(found_)) return Refuse(refused);

    const std::string stem = TempStem(name);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temp = stem + std::string(kTail) + RandomTail();
        const int fd = ::openat(folder, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return Refuse(errno == ENOENT ? mSysText::kPathNotFound : mSysText::FromErrno(errno));
        }
        // Held while this writer lives; the kernel lets go of it when the process ends, however.
        ::flock(fd, LOCK_EX | LOCK_NB);
        // A replacement keeps the permissions of the file it replaces.
        if (found_.kind == mFileAt::eKind::kRegular) ::fchmod(fd, static_cast<mode_t>(found_.mode));
        fd_ = fd;
        temp_ = std::move(temp);
        closed_ = false;
        return true;
    }
    return Refuse(mSysText::kFileExists);
}

bool cReplaceFile::Write(std::span<const std::uint8_t> bytes) {
    if (fd_ < 0) return Refuse(mSysText::kInvalidParameter);
    return WriteAll(fd_, bytes.data(), bytes.size(), lastError_);
}

bool cReplaceFile::Close() {
    if (closed_) return true;
    if (fd_ < 0) return Refuse(mSysText::kInvalidParameter);
    bool ok = true;
    struct stat st {};
    if (::fstat(fd_, &st) == 0) identity_ = mFileAt::IdentityOf(st);
    if (::close(fd_) != 0) {
        lastError_ = mSysText::FromErrno(errno);
        ok = false;
    }
    fd_ = -1;
    closed_ = ok;
    if (!ok) Discard();
    return ok;
}

bool cReplaceFile::Commit() {
    if (fd_ < 0 && !closed_) return Refuse(mSysText::kInvalidParameter);
    // What the user had is replaced only by bytes that are on the disk.
    if (!closed_ && found_.kind == mFileAt::eKind::kRegular) {
        CountFlush();
        if (::fdatasync(fd_) != 0 && errno != EINVAL) {
            lastError_ = mSysText::FromErrno(errno);
            Discard();
            return false;
        }
    }
    // The lock stays until the file has its name: a descriptor of the same open file holds it.
    const int hold = fd_ >= 0 ? ::dup(fd_) : -1;
    if (!Close()) {
        if (hold >= 0) ::close(hold);
        return false;
    }
    const int error = found_.kind == mFileAt::eKind::kMissing && kind_ == eName::kMade
                          ? PlaceNew(dir_, temp_, name_)
                          : (::renameat(dir_, temp_.c_str(), dir_, name_.c_str()) == 0 ? 0 : errno);
    if (hold >= 0) ::close(hold);
    if (error != 0) {
        lastError_ = mSysText::FromErrno(error);
        Discard();
        return false;
    }
    temp_.clear();
    closed_ = false;
    return true;
}

std::string cReplaceFile::ReleaseTemp() {
    if (!closed_) return {};
    closed_ = false;
    return std::exchange(temp_, {});
}

void cReplaceFile::Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty() && dir_ >= 0) ::unlinkat(dir_, temp_.c_str(), 0);
    temp_.clear();
    closed_ = false;
}

std::size_t cReplaceFile::RemoveStale(int folder, const std::string& name) {
    const std::string stem = TempStem(name);
    std::vector<std::string> found;
    const int scan = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (scan < 0) return 0;
    DIR* dir = ::fdopendir(scan);
    if (!dir) {
        ::close(scan);
        return 0;
    }
    while (const dirent* e = ::readdir(dir)) {
        std::string s;
        if ((e->d_type == DT_REG || e->d_type == DT_UNKNOWN) && IsTempName(e->d_name, s) && s == stem)
            found.emplace_back(e->d_name);
    }
    ::closedir(dir);
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::size_t removed = 0;
    for (const std::string& temp : found) {
        const int fd = ::openat(folder, temp.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        bool stale = false;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
            const auto age = now.tv_sec - st.st_mtim.tv_sec;
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
                // A writer locks its file right after creating it, before it writes a byte.
                stale = st.st_size > 0 || age > 60;
            } else {
                stale = errno != EWOULDBLOCK && age > 15 * 60;
            }
        }
        // Still the file looked at (not one that took its name meanwhile).
        struct stat again {};
        if (stale && ::fstatat(folder, temp.c_str(), &again, AT_SYMLINK_NOFOLLOW) == 0 && again.st_ino == st.st_ino &&
            again.st_dev == st.st_dev && ::unlinkat(folder, temp.c_str(), 0) == 0)
            ++removed;
        ::close(fd);
    }
    return removed;
}
