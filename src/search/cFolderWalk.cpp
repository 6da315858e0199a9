#include "search/cFolderWalk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/mProgram.h"
#include "base/mTr.h"
#include "search/mRecurse.h"

using mRecurse::TrimAtNul;

namespace {

// The timer runs while the matches of one folder are listed, and stops however that ends.
class cTimerOn {
public:
    explicit cTimerOn(cFolderWalk::cHost& host) : host_(host) { host_.EnableTimer(true); }
    ~cTimerOn() {
        try {
            host_.EnableTimer(false);
        } catch (...) {}
    }
    cTimerOn(const cTimerOn&) = delete;
    cTimerOn& operator=(const cTimerOn&) = delete;

private:
    cFolderWalk::cHost& host_;
};

} // namespace

cFolderWalk::cFolderWalk(cHost& host, std::string fileSpec, bool hiddenFolders)
    : host_(host), fileSpec_(std::move(fileSpec)), hiddenFolders_(hiddenFolders), pattern_(fileSpec_) {}

std::string cFolderWalk::PassedOverText() const {
    std::string text;
    if (lineBreaks_ > 0)
        text = mTr::Fill(lineBreaks_ == 1 ? PICTRIX_TR("cFolderWalk", "%1 name holds a line break")
                                          : PICTRIX_TR("cFolderWalk", "%1 names hold a line break"),
                         {std::to_string(lineBreaks_)});
    if (pastLimit_ > 0) {
        if (!text.empty()) text += ", ";
        text += mTr::Fill(pastLimit_ == 1 ? PICTRIX_TR("cFolderWalk", "%1 path lies past the system's path limit")
                                          : PICTRIX_TR("cFolderWalk", "%1 paths lie past the system's path limit"),
                          {std::to_string(pastLimit_)});
    }
    if (!text.empty()) text += PICTRIX_TR("cFolderWalk", ": not listed");
    return text;
}

std::string cFolderWalk::Unlistable(std::string_view path) {
    if (path.find_first_of("\r\n") != std::string_view::npos)
        return PICTRIX_TR("cFolderWalk", "its name holds a line break");
    if (path.size() > kPathLimit) return PICTRIX_TR("cFolderWalk", "its path lies past the system's path limit");
    return {};
}

std::string cFolderWalk::StartPath(std::string_view folder) {
    std::string path = TrimAtNul(folder);
    if (path.empty() || path.back() != mProgram::kSeparator) path += mProgram::kSeparator;
    return path;
}

std::string cFolderWalk::SearchingText(std::string_view path) {
    return mTr::Fill(PICTRIX_TR("cFolderWalk", "Searching %1"), {path});
}

void cFolderWalk::Report(const cError& e) {
    try {
        host_.ReportError(e);
    } catch (...) {}
}

void cFolderWalk::WalkFolder(const std::string& path) { Walk(path, true, 0); }

void cFolderWalk::Walk(const std::string& path, bool start, std::uint64_t parentDevice) {
    host_.Status(SearchingText(path));
    if (!host_.DoEvents()) return;

    std::vector<std::string> subFolders;
    std::uint64_t device = 0;
    try {
        // A return in here leaves the folder before any of its sub-folders was taken.
        cError::Guarded([&] {
            mFindFile::cFolder folder;
            // A folder that cannot be searched yields nothing.
            if (std::uint32_t error = 0; !mFindFile::ReadFolder(path, folder, &error)) {
                host_.FolderUnreadable(path, error);
                return;
            }
            if (!start && folder.kernelFileSystem && folder.device != parentDevice) return;
            if (!entered_.emplace(folder.device, folder.inode).second) return;
            device = folder.device;
            for (const mFindFile::cFindData& e : folder.entries) {
                if (!e.IsFolder() || e.name.empty() || e.name == "." || e.name == "..") continue;
                if (e.name[0] == '.' && !hiddenFolders_) continue;
                // A folder whose path the system cannot take is never entered by a path: its
                // matches are counted through its parent.
                if (path.size() + e.name.size() + 1 > kPathLimit) {
                    const int parent = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                    if (parent >= 0) {
                        pastLimit_ += CountPastLimit(parent, e.name, folder.device, 0);
                        ::close(parent);
                    }
                    continue;
                }
                if (subFolders.size() >= static_cast<std::size_t>(kMaxSubFolders)) {
                    throw cError(cError::kOverflow, mProgram::ExeBaseName(),
                                 mTr::Fill(PICTRIX_TR("cFolderWalk", "Overflow: more than %1 sub-folders in %2"),
                                           {std::to_string(kMaxSubFolders), path}));
                }
                subFolders.push_back(TrimAtNul(e.name));
            }
            cTimerOn timer(host_);
            ListMatches(path, folder.entries);
        });
    } catch (const cError& e) {
        Report(e);
        return;
    }
    // After a stop every pending sub-folder still shows its Searching text and returns at once.
    for (const std::string& name : subFolders) Walk(path + name + mProgram::kSeparator, false, device);
}

std::int64_t cFolderWalk::CountPastLimit(int parent, const std::string& name, std::uint64_t parentDevice, int depth) {
    if (depth >= kPastLimitDepth || !host_.DoEvents()) return 0;
    const int fd = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat st {};
    DIR* dir = ::fstat(fd, &st) == 0 && static_cast<std::uint64_t>(st.st_dev) == parentDevice &&
                       entered_.emplace(st.st_dev, st.st_ino).second
                   ? ::fdopendir(fd)
                   : nullptr;
    if (!dir) {
        ::close(fd);
        return 0;
    }
    std::int64_t count = 0;
    std::vector<std::string> folders;
    while (const dirent* d = ::readdir(dir)) {
        const std::string entry = d->d_name;
        if (entry == "." || entry == "..") continue;
        if (pattern_.Matches(entry)) ++count;
        bool folder = d->d_type == DT_DIR;
        struct stat est {};
        if (d->d_type == DT_UNKNOWN)
            folder = ::fstatat(fd, d->d_name, &est, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(est.st_mode);
        if (folder && (entry[0] != '.' || hiddenFolders_)) folders.push_back(entry);
    }
    for (const std::string& sub : folders) count += CountPastLimit(fd, sub, parentDevice, depth + 1);
    ::closedir(dir); // closes fd
    return count;
}

void cFolderWalk::ListMatches(const std::string& path) {
    try {
        cError::Guarded([&] {
            mFindFile::cFolder folder;
            if (!mFindFile::ReadFolder(path, folder)) return;
            ListMatches(path, folder.entries);
        });
    } catch (const cError& e) {
        Report(e);
    }
}

void cFolderWalk::ListMatches(const std::string& path, const std::vector<mFindFile::cFindData>& entries) {
    for (const mFindFile::cFindData& e : entries) {
        if (!pattern_.Matches(e.name)) continue;
        if (!host_.DoEvents()) return;
        if (e.name.find_first_of("\r\n") != std::string::npos) {
            ++lineBreaks_;
            continue;
        }
        if (path.size() + e.name.size() > kPathLimit) {
            ++pastLimit_;
            continue;
        }
        if (host_.Append(path + TrimAtNul(e.name))) {
            ++found_;
        } else if (!listFull_) {
            listFull_ = true;
            Report(cError(cError::kOverflow, cError::SourceOf("cFolderWalk"),
                          PICTRIX_TR("cFolderWalk", "The search list is full: further matches are not listed")));
        }
    }
}
