#include "platform/cWrittenFiles.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/cAtomicFile.h"
#include "platform/mSysText.h"

cWrittenFiles::~cWrittenFiles() { Finish(); }

void cWrittenFiles::AddSource(std::uint64_t device, std::uint64_t inode) { sources_.insert({device, inode}); }

bool cWrittenFiles::IsSource(std::uint64_t device, std::uint64_t inode) const {
    return sources_.count({device, inode}) != 0;
}

void cWrittenFiles::Record(const std::string& path, cIdentity identity) {
    cFile& f = files_[path];
    f.identity = identity;
    f.source = source_;
}

bool cWrittenFiles::Holds(const std::string& path, cIdentity identity) const {
    const auto it = files_.find(path);
    return it != files_.end() && it->second.identity == identity;
}

const std::string* cWrittenFiles::WrittenFrom(const std::string& path) const {
    const auto it = files_.find(path);
    if (it == files_.end()) return nullptr;
    // A file changed by someone else since is no longer the run's output.
    struct stat st {};
    if (it->second.temp.empty()) {
        if (::stat(path.c_str(), &st) != 0 || cAtomicFile::IdentityOf(st) != it->second.identity) return nullptr;
    }
    return &it->second.source;
}

bool cWrittenFiles::IsWaiting(const std::string& path) const {
    const auto it = files_.find(path);
    return it != files_.end() && !it->second.temp.empty();
}

void cWrittenFiles::Defer(const std::string& path, const std::string& temp, cIdentity found) {
    if (waiting_.size() >= kMaxWaiting) {
        auto early = Finish();
        failed_.insert(failed_.end(), early.begin(), early.end());
    }
    cFile& f = files_[path];
    if (!f.temp.empty()) {
        ::unlink(f.temp.c_str());
    } else {
        waiting_.push_back(path);
    }
    f.identity = found;
    f.source = source_;
    f.temp = temp;
}

std::vector<cWrittenFiles::cFailure> cWrittenFiles::Finish() {
    std::vector<cFailure> failed = std::move(failed_);
    failed_.clear();
    if (waiting_.empty()) return failed;
    // One flush of each file system that holds a waiting file: the new bytes are on disk before
    // any of them replaces what the user had.
    std::set<std::uint64_t> flushed;
    std::vector<bool> synced(waiting_.size(), true);
    for (std::size_t i = 0; i < waiting_.size(); ++i) {
        const cFile& f = files_[waiting_[i]];
        struct stat st {};
        if (::stat(f.temp.c_str(), &st) != 0) continue;
        if (!flushed.insert(static_cast<std::uint64_t>(st.st_dev)).second) continue;
        const int fd = ::open(f.temp.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        cAtomicFile::CountFlush();
        if (fd < 0 || ::syncfs(fd) != 0) {
            // Without a file-system flush, each file of that device is flushed on its own.
            for (std::size_t j = i; j < waiting_.size(); ++j) {
                const cFile& g = files_[waiting_[j]];
                struct stat gs {};
                if (::stat(g.temp.c_str(), &gs) != 0 || gs.st_dev != st.st_dev) continue;
                const int gfd = ::open(g.temp.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
                synced[j] = gfd >= 0 && ::fdatasync(gfd) == 0;
                if (gfd >= 0) ::close(gfd);
            }
        }
        if (fd >= 0) ::close(fd);
    }
    for (std::size_t i = 0; i < waiting_.size(); ++i) {
        const std::string& path = waiting_[i];
        cFile& f = files_[path];
        const std::string temp = std::move(f.temp);
        f.temp.clear();
        if (!synced[i] || ::rename(temp.c_str(), path.c_str()) != 0) {
            failed.push_back({path, synced[i] ? mSysText::FromErrno(errno) : mSysText::kWriteFault});
            ::unlink(temp.c_str());
            files_.erase(path);
            continue;
        }
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0) f.identity = cAtomicFile::IdentityOf(st);
    }
    waiting_.clear();
    return failed;
}

void cWrittenFiles::Clear() {
    Finish();
    files_.clear();
    sources_.clear();
    source_.clear();
}
