#include "platform/cFolder.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

#include "platform/mSysText.h"

cFolder::~cFolder() { Close(); }

cFolder::cFolder(cFolder&& o) noexcept
    : fd_(std::exchange(o.fd_, -1)), path_(std::move(o.path_)), lastError_(o.lastError_) {}

cFolder& cFolder::operator=(cFolder&& o) noexcept {
    if (this != &o) {
        Close();
        fd_ = std::exchange(o.fd_, -1);
        path_ = std::move(o.path_);
        lastError_ = o.lastError_;
    }
    return *this;
}

bool cFolder::Open(const std::string& path) {
    Close();
    path_ = path;
    lastError_ = 0;
    const int fd = ::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        lastError_ = errno == ENOENT ? mSysText::kPathNotFound : mSysText::FromErrno(errno);
        if (errno == ENOTDIR) lastError_ = mSysText::kDirectory;
        return false;
    }
    fd_ = fd;
    return true;
}

void cFolder::Close() noexcept {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::string cFolder::PathOf(const std::string& name) const {
    if (path_.empty()) return name;
    return path_.back() == '/' ? path_ + name : path_ + "/" + name;
}
