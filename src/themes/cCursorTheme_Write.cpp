// cCursorTheme: the theme folder, written with libXcursor and put in place whole.

#include "themes/cCursorTheme.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <X11/Xlib.h>
#include <X11/Xcursor/Xcursor.h>

#include "platform/cFolder.h"
#include "platform/cSharedLibrary.h"
#include "platform/cReplaceFile.h"
#include "platform/mFileAt.h"
#include "platform/mSysText.h"

namespace fs = std::filesystem;

namespace {

// libXcursor, loaded when a theme is written: linked into the program, it and the X libraries it
// needs would cost every start of pictrix-cli some milliseconds, for one command.
struct cXcursor {
    decltype(&XcursorImagesCreate) imagesCreate = nullptr;
    decltype(&XcursorImageCreate) imageCreate = nullptr;
    decltype(&XcursorImagesDestroy) imagesDestroy = nullptr;
    decltype(&XcursorCommentsCreate) commentsCreate = nullptr;
    decltype(&XcursorCommentsDestroy) commentsDestroy = nullptr;
    decltype(&XcursorXcFileSave) save = nullptr;
    std::string error; // why it could not be loaded

    static const cXcursor& Get() {
        static const cXcursor library = Load();
        return library;
    }

private:
    static cXcursor Load() {
        cXcursor x;
        cSharedLibrary library("libXcursor.so.1");
        library.Get(x.imagesCreate, "XcursorImagesCreate");
        library.Get(x.imageCreate, "XcursorImageCreate");
        library.Get(x.imagesDestroy, "XcursorImagesDestroy");
        library.Get(x.commentsCreate, "XcursorCommentsCreate");
        library.Get(x.commentsDestroy, "XcursorCommentsDestroy");
        library.Get(x.save, "XcursorXcFileSave");
        x.error = library.Error();
        return x;
    }
};

struct cImagesDeleter {
    void operator()(XcursorImages* images) const noexcept { cXcursor::Get().imagesDestroy(images); }
};
struct cCommentsDeleter {
    void operator()(XcursorComments* comments) const noexcept { cXcursor::Get().commentsDestroy(comments); }
};

// The file libXcursor writes, in memory: it writes four bytes at a time and seeks to each
// chunk, which through stdio cost more than the rest of a conversion; the bytes then go to the
// file in one write.
struct cBuffer {
    std::vector<unsigned char> bytes; // room for the file; its first `end` bytes are written
    std::size_t at = 0, end = 0;
};

int BufferWrite(XcursorFile* file, unsigned char* data, int len) {
    auto* b = static_cast<cBuffer*>(file->closure);
    if (len < 0) return -1;
    const auto n = static_cast<std::size_t>(len);
    // The library writes a number at a time into room made for the whole file, which grows only
    // where the estimate falls short.
    if (b->bytes.size() - b->at < n) b->bytes.resize(std::max(b->at + n, b->bytes.size() * 2));
    if (n == 4)
        std::memcpy(b->bytes.data() + b->at, data, 4); // a number: copied in place, no call
    else
        std::memcpy(b->bytes.data() + b->at, data, n);
    b->at += n;
    b->end = std::max(b->end, b->at);
    return len;
}

int BufferSeek(XcursorFile* file, long offset, int whence) {
    auto* b = static_cast<cBuffer*>(file->closure);
    const long base = whence == SEEK_CUR   ? static_cast<long>(b->at)
                      : whence == SEEK_END ? static_cast<long>(b->end)
                                           : 0;
    if (offset < -base) return EOF;
    b->at = static_cast<std::size_t>(base + offset);
    if (b->at > b->bytes.size()) b->bytes.resize(b->at);
    b->end = std::max(b->end, b->at);
    return static_cast<int>(b->at);
}

int BufferRead(XcursorFile*, unsigned char*, int) { return -1; }

// The images of one cursor as the bytes of an Xcursor file, made by libXcursor. Empty when it
// refuses them.
std::vector<unsigned char> XcursorBytes(const std::vector<cCursorTheme::cImage>& images) {
    if (images.empty() || images.size() > INT32_MAX) return {};
    const cXcursor& x = cXcursor::Get();
    std::unique_ptr<XcursorImages, cImagesDeleter> all(x.imagesCreate(static_cast<int>(images.size())));
    std::unique_ptr<XcursorComments, cCommentsDeleter> comments(x.commentsCreate(0));
    if (!all || !comments) throw std::bad_alloc();
    std::size_t bytes = 16;
    for (const cCursorTheme::cImage& i : images) {
        XcursorImage* image = x.imageCreate(static_cast<int>(i.width), static_cast<int>(i.height));
        if (!image) throw std::bad_alloc();
        all->images[all->nimage++] = image; // owned by `all` from here
        image->size = i.size;
        image->xhot = i.xhot;
        image->yhot = i.yhot;
        image->delay = i.delay;
        std::copy(i.pixels.begin(), i.pixels.end(), image->pixels);
        bytes += 12 + 36 + 4 * i.pixels.size();
    }
    cBuffer buffer;
    buffer.bytes.resize(bytes);
    XcursorFile file{&buffer, BufferRead, BufferWrite, BufferSeek};
    if (x.save(&file, comments.get(), all.get()) != XcursorTrue) return {};
    buffer.bytes.resize(buffer.end);
    return std::move(buffer.bytes);
}

// Writes `bytes` as a new file at `path`, on the disk before it returns when `durable`; 0 or the
// errno of the step that failed.
int WriteNew(const std::string& path, const std::vector<unsigned char>& bytes, bool durable) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return errno;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int e = n < 0 ? errno : ENOSPC;
            close(fd);
            return e;
        }
        done += static_cast<std::size_t>(n);
    }
    if (durable && fdatasync(fd) != 0) {
        const int e = errno;
        close(fd);
        return e;
    }
    if (durable) cReplaceFile::CountFlush();
    return close(fd) == 0 ? 0 : errno;
}

// Puts a folder's entries (new files, links) on the disk; 0 or the errno.
int SyncFolder(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int e = fsync(fd) == 0 ? 0 : errno;
    close(fd);
    return e;
}

std::string Why(int error) { return std::strerror(error); }

// A folder at the theme's name that a run may replace: one holding nothing but what a theme
// written here holds (or nothing at all, where `emptyToo`).
bool IsThemeFolder(const std::string& path, bool emptyToo = false) {
    std::error_code ec;
    bool any = emptyToo;
    for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const fs::file_status st = it->symlink_status(ec);
        if (ec) return false;
        if (name == "cursors" && fs::is_directory(st)) {
            any = true;
        } else if (name == "index.theme" && fs::is_regular_file(st)) {
            any = true;
        } else {
            return false;
        }
    }
    return !ec && any;
}

// Removes the temporary folders of theme `name` that a killed run left in `dirFd`: a new theme
// being made (.NAME.tmp-XXXXXX) or an old one set aside (the same with "-old"). Only folders of
// this user that hold nothing but a theme's files are removed, and only when neither they nor
// their cursors folder changed for kStaleTempNs: a run writing the same theme now is never raced.
void RemoveStaleTemps(int dirFd, const std::string& dir, const std::string& name) {
    const std::string stem = cReplaceFile::TempStem(name);
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    const std::int64_t nowNs = std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
    auto young = [&](int at, const char* path) {
        struct stat st {};
        if (fstatat(at, path, &st, AT_SYMLINK_NOFOLLOW) != 0) return errno != ENOENT;
        const std::int64_t changed = std::int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec;
        return nowNs - changed < cCursorTheme::kStaleTempNs;
    };
    std::vector<std::string> stale;
    const int scan = dup(dirFd);
    if (scan < 0) return;
    DIR* d = fdopendir(scan);
    if (!d) {
        close(scan);
        return;
    }
    while (const dirent* e = readdir(d)) {
        std::string entry = e->d_name, found;
        if (entry.ends_with("-old")) entry.resize(entry.size() - 4);
        if (!cReplaceFile::IsTempName(entry, found) || found != stem) continue;
        struct stat st {};
        if (fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid())
            continue;
        if (young(dirFd, e->d_name) || young(dirFd, (std::string(e->d_name) + "/cursors").c_str())) continue;
        if (!IsThemeFolder((fs::path(dir) / e->d_name).string(), true)) continue;
        stale.emplace_back(e->d_name);
    }
    closedir(d);
    for (const std::string& folder : stale) {
        std::error_code ignored;
        fs::remove_all(fs::path(dir) / folder, ignored);
    }
}

} // namespace

void cCursorTheme::Write(const std::string& dir, const std::string& name) {
    themeFolder_.clear();
    if (name.empty() || FolderName(name) != name) Fail(kErrWrite, "'" + name + "' cannot name a theme folder");
    if (std::none_of(roles_.begin(), roles_.end(), [](const cRole& r) { return r.status == eStatus::kConverted; }))
        Fail(kErrNoCursors, folder_ + ": no cursor of the pack could be converted");
    if (const std::string& why = cXcursor::Get().error; !why.empty())
        Fail(kErrWrite, "the Xcursor library (libXcursor.so.1) is needed to write cursor themes: " + why);
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) Fail(kErrWrite, dir + ": the folder cannot be made: " + ec.message());
    cFolder folder;
    if (!folder.Open(dir)) Fail(kErrWrite, dir + ": the folder cannot be opened");
    const int dirFd = folder.Fd();
    const std::string target = (fs::path(dir) / name).string();

    const mFileAt::cAt at = mFileAt::At(dirFd, name);
    if (at.kind == mFileAt::eKind::kFolder) {
        if (!IsThemeFolder(target))
            Fail(kErrWrite, target + ": the folder holds more than a cursor theme; it is left as it is");
    } else if (at.kind != mFileAt::eKind::kMissing) {
        Fail(kErrWrite, target + ": something other than a theme folder stands there; it is left as it is");
    }

    RemoveStaleTemps(dirFd, dir, name);

    // The new theme, complete, beside its place.
    std::string stem = cReplaceFile::TempStem(name);
    std::string temp = stem + ".tmp-XXXXXX";
    std::string tempPath = (fs::path(dir) / temp).string();
    if (!mkdtemp(tempPath.data())) Fail(kErrWrite, target + ": a temporary folder cannot be made: " + Why(errno));
    temp = fs::path(tempPath).filename().string();
    struct cCleanup {
        std::string path;
        ~cCleanup() {
            std::error_code ignored;
            if (!path.empty()) fs::remove_all(path, ignored);
        }
    } cleanup{tempPath};
    // mkdtemp makes the folder for its owner alone; a theme is for everyone who may read here.
    const mode_t mask = umask(0);
    umask(mask);
    if (chmod(tempPath.c_str(), 0755 & ~mask) != 0) Fail(kErrWrite, tempPath + ": " + Why(errno));

    // What replaces a theme must be on the disk before the old one goes: each file is flushed
    // as it is written, its folders once at the end (only this theme's data waits, not whatever
    // else the file system holds).
    const bool replacing = at.kind == mFileAt::eKind::kFolder;
    const std::string cursors = tempPath + "/cursors";
    if (mkdir(cursors.c_str(), 0755) != 0) Fail(kErrWrite, cursors + ": " + Why(errno));
    for (std::size_t r = 0; r < roles_.size(); ++r) {
        const cRole& role = roles_[r];
        if (role.status != eStatus::kConverted) continue;
        const auto& names = mCursorRoles::Roles()[r].xcursorNames;
        const std::string file = std::string(names.front());
        const std::vector<unsigned char> bytes = XcursorBytes(role.images);
        if (bytes.empty()) Fail(kErrWrite, target + "/cursors/" + file + ": libXcursor could not write the cursor");
        if (const int e = WriteNew(cursors + "/" + file, bytes, replacing); e != 0)
            Fail(kErrWrite, target + "/cursors/" + file + ": " + Why(e));
        for (std::size_t n = 1; n < names.size(); ++n) {
            const std::string link = cursors + "/" + std::string(names[n]);
            if (symlink(file.c_str(), link.c_str()) != 0)
                Fail(kErrWrite, target + "/cursors/" + std::string(names[n]) + ": " + Why(errno));
        }
    }
    const std::string index =
        "[Icon Theme]\nName=" + name + "\nComment=A cursor theme made from a Windows cursor pack\n";
    if (const int e =
            WriteNew(tempPath + "/index.theme", std::vector<unsigned char>(index.begin(), index.end()), replacing);
        e != 0)
        Fail(kErrWrite, target + "/index.theme: " + Why(e));

    if (replacing) {
        for (const std::string& f : {cursors, tempPath}) {
            if (const int e = SyncFolder(f); e != 0)
                Fail(kErrWrite, target + ": the new theme cannot be made durable: " + Why(e));
        }
        if (renameat2(dirFd, temp.c_str(), dirFd, name.c_str(), RENAME_EXCHANGE) != 0) {
            if (errno != EINVAL && errno != ENOSYS)
                Fail(kErrWrite, target + ": the theme cannot be replaced: " + Why(errno));
            // No exchange here: the old theme steps aside, the new one takes its place, and the
            // old one comes back if it cannot.
            const std::string aside = temp + "-old";
            if (renameat(dirFd, name.c_str(), dirFd, aside.c_str()) != 0)
                Fail(kErrWrite, target + ": the theme cannot be replaced: " + Why(errno));
            if (renameat(dirFd, temp.c_str(), dirFd, name.c_str()) != 0) {
                const int e = errno;
                renameat(dirFd, aside.c_str(), dirFd, name.c_str());
                Fail(kErrWrite, target + ": the theme cannot be replaced: " + Why(e));
            }
            cleanup.path = (fs::path(dir) / aside).string();
        }
        // The old theme is now at the temporary name (or beside it) and goes with the cleanup.
    } else {
        if (renameat2(dirFd, temp.c_str(), dirFd, name.c_str(), RENAME_NOREPLACE) != 0) {
            if (errno != EINVAL && errno != ENOSYS)
                Fail(kErrWrite, target + ": the theme cannot be put in place: " + Why(errno));
            // Without RENAME_NOREPLACE: a plain rename, which replaces at most an empty folder.
            if (renameat(dirFd, temp.c_str(), dirFd, name.c_str()) != 0)
                Fail(kErrWrite, target + ": the theme cannot be put in place: " + Why(errno));
        }
        cleanup.path.clear();
    }
    themeFolder_ = target;
}
