// cCursorTheme: the theme folder, written with libXcursor and put in place whole.

#include "themes/cCursorTheme.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <X11/Xlib.h>
#include <X11/Xcursor/Xcursor.h>

#include "platform/cFolder.h"
#include "platform/cReplaceFile.h"
#include "platform/mFileAt.h"
#include "platform/mSysText.h"

namespace fs = std::filesystem;

namespace {

struct cImagesDeleter {
    void operator()(XcursorImages* images) const noexcept { XcursorImagesDestroy(images); }
};

// Writes the images of one cursor as an Xcursor file at `path`. False when libXcursor could not.
bool SaveXcursor(const std::string& path, const std::vector<cCursorTheme::cImage>& images) {
    if (images.empty() || images.size() > INT32_MAX) return false;
    std::unique_ptr<XcursorImages, cImagesDeleter> all(XcursorImagesCreate(static_cast<int>(images.size())));
    if (!all) throw std::bad_alloc();
    for (const cCursorTheme::cImage& i : images) {
        XcursorImage* x = XcursorImageCreate(static_cast<int>(i.width), static_cast<int>(i.height));
        if (!x) throw std::bad_alloc();
        all->images[all->nimage++] = x; // owned by `all` from here
        x->size = i.size;
        x->xhot = i.xhot;
        x->yhot = i.yhot;
        x->delay = i.delay;
        std::copy(i.pixels.begin(), i.pixels.end(), x->pixels);
    }
    return XcursorFilenameSaveImages(path.c_str(), all.get()) == XcursorTrue;
}

std::string Why(int error) { return std::strerror(error); }

// A folder at the theme's name that a run may replace: one holding nothing but what a theme
// written here holds.
bool IsThemeFolder(const std::string& path) {
    std::error_code ec;
    bool any = false;
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

} // namespace

void cCursorTheme::Write(const std::string& dir, const std::string& name) {
    themeFolder_.clear();
    if (name.empty() || FolderName(name) != name) Fail(kErrWrite, "'" + name + "' cannot name a theme folder");
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

    const std::string cursors = tempPath + "/cursors";
    if (mkdir(cursors.c_str(), 0755) != 0) Fail(kErrWrite, cursors + ": " + Why(errno));
    for (std::size_t r = 0; r < roles_.size(); ++r) {
        const cRole& role = roles_[r];
        if (role.status != eStatus::kConverted) continue;
        const auto& names = mCursorRoles::Roles()[r].xcursorNames;
        const std::string file = std::string(names.front());
        if (!SaveXcursor(cursors + "/" + file, role.images))
            Fail(kErrWrite, target + "/cursors/" + file + ": libXcursor could not write the cursor");
        for (std::size_t n = 1; n < names.size(); ++n) {
            const std::string link = cursors + "/" + std::string(names[n]);
            if (symlink(file.c_str(), link.c_str()) != 0)
                Fail(kErrWrite, target + "/cursors/" + std::string(names[n]) + ": " + Why(errno));
        }
    }
    const std::string index =
        "[Icon Theme]\nName=" + name + "\nComment=A cursor theme made from a Windows cursor pack\n";
    {
        cReplaceFile file;
        if (!file.Open(tempPath + "/index.theme", cReplaceFile::eName::kMade) ||
            !file.Write(index.data(), index.size()) || !file.Commit())
            Fail(kErrWrite, target + "/index.theme: " + mSysText::TextLine(file.LastError()));
    }

    // What replaces a theme must be on the disk before the old one goes: one flush for all.
    if (at.kind == mFileAt::eKind::kFolder) {
        const int fd = open(tempPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0 || syncfs(fd) != 0) {
            const int e = errno;
            if (fd >= 0) close(fd);
            Fail(kErrWrite, target + ": the new theme cannot be made durable: " + Why(e));
        }
        close(fd);
        cReplaceFile::CountFlush();
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
