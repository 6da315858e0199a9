#include "platform/cOutputFolder.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>
#include <vector>
#include <unistd.h>

#include "platform/cReplaceFile.h"
#include "platform/mSysText.h"

cOutputFolder::~cOutputFolder() {
    Finish();
    CloseSubfolders();
}

void cOutputFolder::CloseSubfolders() {
    for (const auto& [name, fd] : subfolders_) ::close(fd);
    subfolders_.clear();
}

bool cOutputFolder::Open(const std::string& folder) {
    Finish();
    CloseSubfolders();
    files_.clear();
    sources_.clear();
    stale_.clear();
    byFolded_.clear();
    parents_.clear();
    foldsWithoutIdentity_ = false;
    source_.clear();
    lastError_ = 0;
    if (!folder_.Open(folder)) {
        lastError_ = folder_.LastError();
        if (lastError_ == mSysText::kPathNotFound && !folder.empty())
            lastError_ = mSysText::FromErrno(ENOENT, folder + "/");
        return false;
    }
    Probe();
    // Temporary files of an earlier run that was killed before it could finish: removed when this
    // run writes their names (another program's files of the same pattern are left alone).
    const int fd = ::dup(folder_.Fd());
    if (fd >= 0) {
        if (DIR* dir = ::fdopendir(fd)) {
            while (const dirent* e = ::readdir(dir)) {
                std::string stem;
                if (e->d_type != DT_REG && e->d_type != DT_UNKNOWN) continue;
                if (cReplaceFile::IsTempName(e->d_name, stem)) stale_[stem].emplace_back(e->d_name);
            }
            ::closedir(dir);
        } else {
            ::close(fd);
        }
    }
    return true;
}

std::string cOutputFolder::Folded(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

void cOutputFolder::Probe() {
    // A lower-case name looked up in upper case: found under another inode number, the file
    // system folds names without keeping one identity per file.
    const std::string lower = ".pictrix-probe-" + std::to_string(::getpid()) + "-case";
    std::string upper = lower;
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    const int fd = ::openat(folder_.Fd(), lower.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return;
    struct stat mine {
    }, other{};
    const bool known = ::fstat(fd, &mine) == 0;
    ::close(fd);
    if (known && ::fstatat(folder_.Fd(), upper.c_str(), &other, AT_SYMLINK_NOFOLLOW) == 0)
        foldsWithoutIdentity_ = other.st_ino != mine.st_ino || other.st_dev != mine.st_dev;
    ::unlinkat(folder_.Fd(), lower.c_str(), 0);
}

void cOutputFolder::AddSource(const std::string& path) {
    mFileAt::cIdentity identity;
    if (mFileAt::Follow(path, identity)) AddSource(identity);
}

void cOutputFolder::AddSourceIfHere(const std::string& path) {
    const auto slash = path.rfind('/');
    if (path.empty() || slash + 1 == path.size()) return;
    const std::string parent =
        slash == std::string::npos ? std::string(".") : path.substr(0, std::max<std::size_t>(slash, 1));
    auto it = parents_.find(parent);
    if (it == parents_.end()) {
        struct stat folder {};
        struct stat st {};
        const bool here = ::fstat(folder_.Fd(), &folder) == 0 && ::stat(parent.c_str(), &st) == 0 &&
                          S_ISDIR(st.st_mode) && st.st_dev == folder.st_dev && st.st_ino == folder.st_ino;
        // Bounded: a list that visits more folders than this looks at some of them again.
        if (parents_.size() >= 65536) parents_.clear();
        it = parents_.emplace(parent, here).first;
    }
    if (it->second) AddSource(path);
}

bool cOutputFolder::Lock() {
    if (::flock(folder_.Fd(), LOCK_EX | LOCK_NB) == 0) return true;
    if (errno == EWOULDBLOCK || errno == EINTR) {
        lastError_ = mSysText::kSharingViolation;
        return false;
    }
    // A file system without locks (some network ones): the run goes on as it always has, and the
    // caller can say so.
    unlocked_ = mSysText::FromErrno(errno);
    return true;
}

void cOutputFolder::Adopt(const std::string& name, const std::string& source) {
    const mFileAt::cAt at = mFileAt::At(folder_.Fd(), name);
    if (at.kind != mFileAt::eKind::kRegular) return;
    files_[KeyOf(at.identity)] = {source, 0, at.identity};
    if (foldsWithoutIdentity_) byFolded_[Folded(name)] = KeyOf(at.identity);
}

void cOutputFolder::SetSource(const std::string& source) {
    source_ = source;
    ++listing_;
}

cOutputFolder::eAt cOutputFolder::At(const std::string& name) const {
    const mFileAt::cAt at = mFileAt::At(folder_.Fd(), name);
    switch (at.kind) {
    case mFileAt::eKind::kMissing: return eAt::kFree;
    case mFileAt::eKind::kLink: return eAt::kLink;
    case mFileAt::eKind::kRegular: break;
    default: return eAt::kOther;
    }
    if (sources_.count(KeyOf(at.identity)) != 0) return eAt::kSource;
    const cFile* file = Known(name, at);
    if (!file) return eAt::kUsers;
    if (file->source != source_) return eAt::kOtherSource;
    if (file->listing == 0) return eAt::kEarlierRun;
    return file->listing == listing_ ? eAt::kThisListing : eAt::kEarlierListing;
}

const cOutputFolder::cFile* cOutputFolder::Known(const std::string& name, const mFileAt::cAt& at) const {
    auto it = files_.find(KeyOf(at.identity));
    if (it == files_.end() && foldsWithoutIdentity_) {
        const auto folded = byFolded_.find(Folded(name));
        if (folded != byFolded_.end()) it = files_.find(folded->second);
        // The same file under another spelling: its identity but for the inode number.
        if (it != files_.end() &&
            (it->second.identity.size != at.identity.size || it->second.identity.written != at.identity.written))
            return nullptr;
        return it == files_.end() ? nullptr : &it->second;
    }
    // A file changed by someone else since is no longer the run's output.
    if (it == files_.end() || it->second.identity != at.identity) return nullptr;
    return &it->second;
}

void cOutputFolder::Record(const cKey& previous, const std::string& name, const mFileAt::cIdentity& now) {
    if (previous.inode != 0) files_.erase(previous);
    files_[KeyOf(now)] = {source_, listing_, now};
    if (foldsWithoutIdentity_) byFolded_[Folded(name)] = KeyOf(now);
}

mFileAt::cIdentity cOutputFolder::Placed(const std::string& name, const mFileAt::cIdentity& written) const {
    // As the file system shows the file once it is in place (some set its times on close).
    struct stat st {};
    if (::fstatat(folder_.Fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
        return mFileAt::IdentityOf(st);
    return written;
}

bool cOutputFolder::Room(std::uint64_t bytes) const {
    struct statvfs vfs {};
    if (::fstatvfs(folder_.Fd(), &vfs) != 0) return true;
    const std::uint64_t free = static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    return free >= bytes + kRoomMargin;
}

void cOutputFolder::RemoveStale(const std::string& name) {
    if (stale_.empty()) return;
    const auto it = stale_.find(cReplaceFile::TempStem(name));
    if (it == stale_.end()) return;
    for (const auto& file : it->second) ::unlinkat(folder_.Fd(), file.c_str(), 0);
    stale_.erase(it);
}

cOutputFolder::eWrite cOutputFolder::Write(const std::string& name, std::span<const std::uint8_t> bytes) {
    RemoveStale(name);
    bool roomShort = false;
    const eWrite result = WriteOnce(name, bytes, roomShort);
    if (result == eWrite::kDone || !roomShort || waiting_.empty()) return result;
    // The disk ran short while replacements wait, whose old files hold the room: finish them.
    auto early = Finish();
    failed_.insert(failed_.end(), early.begin(), early.end());
    return WriteOnce(name, bytes, roomShort);
}

bool cOutputFolder::Holds(int dir, const std::string& name, const mFileAt::cAt& at,
                          std::span<const std::uint8_t> bytes) {
    if (at.kind != mFileAt::eKind::kRegular || at.identity.size != static_cast<std::int64_t>(bytes.size()))
        return false;
    const int fd = ::openat(dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool same = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && mFileAt::IdentityOf(st) == at.identity;
    std::vector<std::uint8_t> chunk(std::min<std::size_t>(bytes.size(), 1 << 16) + 1);
    std::size_t done = 0;
    while (same) {
        const ssize_t n = ::read(fd, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            same = n == 0 && done == bytes.size();
            break;
        }
        const auto got = static_cast<std::size_t>(n);
        same = got <= bytes.size() - done && std::equal(chunk.begin(), chunk.begin() + n, bytes.begin() + done);
        done += got;
    }
    ::close(fd);
    return same;
}

cOutputFolder::eWrite cOutputFolder::WriteOnce(const std::string& name, std::span<const std::uint8_t> bytes,
                                               bool& roomShort) {
    lastError_ = 0;
    const int dir = folder_.Fd();
    mFileAt::cAt found = mFileAt::At(dir, name);
    const bool replaces = found.kind == mFileAt::eKind::kRegular;
    const cFile* mine = replaces ? Known(name, found) : nullptr;
    const bool own = mine != nullptr;
    // The file the new one replaces, as the run knows it.
    cKey target = replaces ? KeyOf(found.identity) : cKey{};
    if (own && files_.find(target) == files_.end()) target = KeyOf(mine->identity);
    const auto waits = replaces ? waitingAt_.find(target) : waitingAt_.end();
    if (replaces && waits == waitingAt_.end() && Holds(dir, name, found, bytes)) {
        // The bytes are there already: nothing is replaced, and the file is the run's.
        Record(target, name, found.identity);
        return eWrite::kUnchanged;
    }
    // A replacement of the user's file waits for the run's flush, and so does a later version of
    // a file whose replacement already waits.
    const bool defer = replaces && (!own || waits != waitingAt_.end());
    if (defer && !waiting_.empty() &&
        (waiting_.size() >= kMaxWaiting || waitingBytes_ + bytes.size() > limit_ || !Room(bytes.size()))) {
        auto early = Finish();
        failed_.insert(failed_.end(), early.begin(), early.end());
        return WriteOnce(name, bytes, roomShort);
    }
    cReplaceFile out;
    if (!out.Open(dir, name, cReplaceFile::eName::kMade)) {
        lastError_ = out.LastError();
        roomShort = lastError_ == mSysText::kDiskFull;
        return eWrite::kOpenFailed;
    }
    if (!out.Write(bytes) || !out.Close()) {
        lastError_ = out.LastError();
        roomShort = lastError_ == mSysText::kDiskFull;
        return eWrite::kWriteFailed;
    }
    if (!replaces) {
        // A new name (free, or a link to nothing, which is refused above for made names).
        std::string temp = out.ReleaseTemp();
        if (const int error = cReplaceFile::PlaceNew(dir, temp, name)) {
            ::unlinkat(dir, temp.c_str(), 0);
            lastError_ = mSysText::FromErrno(error);
            return eWrite::kWriteFailed;
        }
        Record({}, name, Placed(name, out.Identity()));
        return eWrite::kDone;
    }
    if (!defer) {
        // The run's own file: nothing of the user's could be lost, so no flush.
        std::string temp = out.ReleaseTemp();
        if (::renameat(dir, temp.c_str(), dir, name.c_str()) != 0) {
            lastError_ = mSysText::FromErrno(errno);
            ::unlinkat(dir, temp.c_str(), 0);
            return eWrite::kWriteFailed;
        }
        Record(target, name, Placed(name, out.Identity()));
        return eWrite::kDone;
    }
    if (waits != waitingAt_.end()) {
        // A later version of a waiting replacement takes its place.
        cWait& w = waiting_[waits->second];
        ::unlinkat(dir, w.temp.c_str(), 0);
        waitingBytes_ -= w.bytes;
        w.temp = out.ReleaseTemp();
        w.written = out.Identity();
        w.bytes = bytes.size();
        waitingBytes_ += w.bytes;
    } else {
        waitingAt_[target] = waiting_.size();
        waiting_.push_back({name, out.ReleaseTemp(), target, out.Identity(), bytes.size()});
        waitingBytes_ += bytes.size();
    }
    // Until it is in place, the file at the name is the run's.
    files_[target] = {source_, listing_, own ? mine->identity : found.identity};
    if (foldsWithoutIdentity_) byFolded_[Folded(name)] = target;
    return eWrite::kDone;
}

int cOutputFolder::Subfolder(const std::string& sub) {
    const auto it = subfolders_.find(sub);
    if (it != subfolders_.end()) return it->second;
    if (::mkdirat(folder_.Fd(), sub.c_str(), 0777) != 0 && errno != EEXIST) {
        lastError_ = mSysText::FromErrno(errno);
        return -1;
    }
    // Never through a link: the subfolder is the folder's own.
    const int fd = ::openat(folder_.Fd(), sub.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        // Linux answers a link opened as a folder without following it with ENOTDIR, which
        // reads as a missing path: say what is really there.
        const int error = errno;
        const bool link =
            error == ELOOP || (error == ENOTDIR && mFileAt::At(folder_.Fd(), sub).kind == mFileAt::eKind::kLink);
        lastError_ = link ? mFileAt::kLinkAtName : mSysText::FromErrno(error);
        return -1;
    }
    // Temporary files that a run which ended left here (runs in parallel may be writing younger
    // ones).
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const std::int64_t nowNs = std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
    const int scan = ::dup(fd);
    if (scan >= 0) {
        if (DIR* dir = ::fdopendir(scan)) {
            std::vector<std::string> old;
            while (const dirent* e = ::readdir(dir)) {
                std::string stem;
                if (!cReplaceFile::IsTempName(e->d_name, stem)) continue;
                const mFileAt::cAt at = mFileAt::At(fd, e->d_name);
                if (at.kind == mFileAt::eKind::kRegular && nowNs - at.identity.written > kStaleContentNs)
                    old.emplace_back(e->d_name);
            }
            ::closedir(dir);
            for (const auto& name : old) ::unlinkat(fd, name.c_str(), 0);
        } else {
            ::close(scan);
        }
    }
    subfolders_.emplace(sub, fd);
    return fd;
}

cOutputFolder::eWrite cOutputFolder::WriteContent(const std::string& sub, const std::string& name,
                                                  std::span<const std::uint8_t> bytes) {
    lastError_ = 0;
    const int dir = Subfolder(sub);
    if (dir < 0) return eWrite::kOpenFailed;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const mFileAt::cAt at = mFileAt::At(dir, name);
        if (at.kind == mFileAt::eKind::kRegular && Holds(dir, name, at, bytes)) return eWrite::kUnchanged;
        if (const std::uint32_t refused =
                at.kind == mFileAt::eKind::kLink ? mFileAt::kLinkAtName : mFileAt::Refusal(at)) {
            lastError_ = refused;
            return eWrite::kOpenFailed;
        }
        cReplaceFile out;
        if (!out.Open(dir, name, cReplaceFile::eName::kMade)) {
            lastError_ = out.LastError();
            return eWrite::kOpenFailed;
        }
        if (!out.Write(bytes) || !out.Close()) {
            lastError_ = out.LastError();
            return eWrite::kWriteFailed;
        }
        std::string temp = out.ReleaseTemp();
        // A file at the name whose bytes are not its digest is damaged: it is replaced. A new name
        // never replaces what another run placed meanwhile.
        const int error = at.kind == mFileAt::eKind::kRegular
                              ? (::renameat(dir, temp.c_str(), dir, name.c_str()) == 0 ? 0 : errno)
                              : cReplaceFile::PlaceNew(dir, temp, name);
        if (error == 0) return eWrite::kDone;
        ::unlinkat(dir, temp.c_str(), 0);
        if (error != EEXIST) {
            lastError_ = mSysText::FromErrno(error);
            return eWrite::kWriteFailed;
        }
        // Another run placed it first: look again.
    }
    lastError_ = mSysText::kFileExists;
    return eWrite::kWriteFailed;
}

std::vector<cOutputFolder::cFailure> cOutputFolder::Finish() {
    std::vector<cFailure> failed = std::move(failed_);
    failed_.clear();
    if (waiting_.empty()) return failed;
    const int dir = folder_.Fd();
    // One flush of the file system that holds the folder: the new bytes are on disk before any of
    // them replaces what the user had. Without it, each file is flushed on its own.
    std::vector<bool> synced(waiting_.size(), true);
    cReplaceFile::CountFlush();
    if (::syncfs(dir) != 0) {
        for (std::size_t i = 0; i < waiting_.size(); ++i) {
            const int fd = ::openat(dir, waiting_[i].temp.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
            synced[i] = fd >= 0 && ::fdatasync(fd) == 0;
            if (fd >= 0) ::close(fd);
        }
    }
    for (std::size_t i = 0; i < waiting_.size(); ++i) {
        const cWait& w = waiting_[i];
        const auto file = files_.find(w.target);
        if (!synced[i] || ::renameat(dir, w.temp.c_str(), dir, w.name.c_str()) != 0) {
            failed.push_back({folder_.PathOf(w.name), synced[i] ? mSysText::FromErrno(errno) : mSysText::kWriteFault});
            ::unlinkat(dir, w.temp.c_str(), 0);
            if (file != files_.end()) files_.erase(file);
            continue;
        }
        cFile moved = file != files_.end() ? file->second : cFile{source_, listing_, {}};
        if (file != files_.end()) files_.erase(file);
        moved.identity = Placed(w.name, w.written);
        files_[KeyOf(moved.identity)] = moved;
        if (foldsWithoutIdentity_) byFolded_[Folded(w.name)] = KeyOf(moved.identity);
    }
    waiting_.clear();
    waitingAt_.clear();
    waitingBytes_ = 0;
    return failed;
}
