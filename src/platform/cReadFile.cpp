#include "platform/cReadFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/mSysText.h"

namespace {

std::atomic<std::uint64_t> gReads{0};
std::atomic<std::uint64_t> gOpens{0};

} // namespace

std::uint64_t cReadFile::ReadCount() noexcept { return gReads.load(std::memory_order_relaxed); }
std::uint64_t cReadFile::OpenCount() noexcept { return gOpens.load(std::memory_order_relaxed); }

cReadFile::~cReadFile() { Close(); }

cReadFile::cReadFile(cReadFile&& other) noexcept
    : fd_(other.fd_), bytes_(std::move(other.bytes_)), size_(other.size_), device_(other.device_), inode_(other.inode_),
      written_(other.written_), lastError_(other.lastError_) {
    other.fd_ = -1;
}

cReadFile& cReadFile::operator=(cReadFile&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        bytes_ = std::move(other.bytes_);
        size_ = other.size_;
        device_ = other.device_;
        inode_ = other.inode_;
        written_ = other.written_;
        lastError_ = other.lastError_;
        other.fd_ = -1;
    }
    return *this;
}

bool cReadFile::Open(const std::string& path) {
    Close();
    lastError_ = 0;
    if (path.empty()) {
        lastError_ = mSysText::kPathNotFound;
        return false;
    }
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer. It changes nothing
    // for a regular file, the only kind that is kept.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        lastError_ = mSysText::FromErrno(errno, path);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        lastError_ = mSysText::FromErrno(errno);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        lastError_ = S_ISDIR(st.st_mode) ? mSysText::kAccessDenied : mSysText::kOpenFailed;
        ::close(fd);
        return false;
    }
    fd_ = fd;
    size_ = st.st_size > 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    device_ = st.st_dev;
    inode_ = st.st_ino;
    written_ =
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + static_cast<std::int64_t>(st.st_mtim.tv_nsec);
    gOpens.fetch_add(1, std::memory_order_relaxed);
    return true;
}

void cReadFile::OpenBytes(std::shared_ptr<const std::vector<std::uint8_t>> bytes) {
    Close();
    lastError_ = 0;
    bytes_ = bytes ? std::move(bytes) : std::make_shared<const std::vector<std::uint8_t>>();
    size_ = bytes_->size();
}

void cReadFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    bytes_.reset();
    size_ = device_ = inode_ = 0;
    written_ = 0;
}

std::size_t cReadFile::ReadAt(std::uint64_t offset, void* dst, std::size_t n) {
    if (bytes_) {
        if (offset >= size_) return 0;
        const std::size_t got = static_cast<std::size_t>(std::min<std::uint64_t>(n, size_ - offset));
        if (got > 0) std::memcpy(dst, bytes_->data() + offset, got);
        return got;
    }
    if (fd_ < 0) {
        lastError_ = mSysText::kInvalidParameter;
        return 0;
    }
    auto* out = static_cast<unsigned char*>(dst);
    std::size_t done = 0;
    while (done < n) {
        gReads.fetch_add(1, std::memory_order_relaxed);
        ssize_t got = ::pread(fd_, out + done, n - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR) continue;
            lastError_ = mSysText::FromErrno(errno);
            break;
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

bool cReadFile::EachLine(std::size_t most, const std::function<bool(const cLine&)>& each) {
    std::vector<char> chunk(1 << 16);
    std::string pending; // the line so far, while it fits
    cLine line;
    std::uint64_t at = 0;
    for (;;) {
        const std::size_t got = ReadAt(at, chunk.data(), chunk.size());
        if (got == 0) {
            if (lastError_ != 0) return false;
            break;
        }
        for (std::size_t from = 0; from < got;) {
            const auto* nl = static_cast<const char*>(std::memchr(chunk.data() + from, '\n', got - from));
            const std::size_t end = nl ? static_cast<std::size_t>(nl - chunk.data()) : got;
            if (!line.tooLong && end - from > most - pending.size()) {
                line.tooLong = true;
                pending.clear();
            }
            if (!line.tooLong) pending.append(chunk.data() + from, end - from);
            if (!nl) break;
            line.text = pending;
            line.next = at + end + 1;
            if (!each(line)) return true;
            pending.clear();
            line = {};
            line.offset = at + end + 1;
            from = end + 1;
        }
        at += got;
    }
    if (!pending.empty() || line.tooLong) {
        line.text = pending;
        line.next = at;
        line.ended = false;
        each(line);
    }
    return true;
}
