#pragma once
// cFolderWalk: the folder walk of the search window's New command, apart from any window. It walks
// a folder tree depth first and appends the full path of every entry whose name matches FileSpec
// to the search list: the matches of a folder first (in the directory search's order, see
// mFindFile), then the whole subtree of its first sub-folder, then of its second, and so on.
// Sub-folders whose names begin with "." are listed when they match but never entered.
//
// The walk asks its host for everything a window does: appending an entry, the status strip,
// processing pending events (once per folder and once per match; the answer is the window's
// Running flag, and false makes the walk unwind), the timer that keeps the newest entries in view,
// and the error report. pictrix-cli hosts the same walk with a host that prints.
//
// Every folder is read once: the one directory read gives both the sub-folders and the matches.
// Each folder is entered at most once, known by its device and inode, so links to folders and
// mount loops cannot make the walk run for ever; a link to a folder is entered like the folder
// (once, under the first path that reaches it). Kernel file systems (proc, sysfs and the like,
// see mFindFile) are not entered from a folder of another file system: a walk from "/" stays out
// of /proc and /sys. A start folder on such a file system is walked, since the user chose it.
//
// Limits kept from the design: at most 32,760 sub-folders per folder (the count is 16-bit and grows
// in steps of 10): a folder with more is reported (log only) and skipped whole. The search list's
// own limit is the host's: an append it refuses is counted as not found, the first refusal is
// reported once, and the walk goes on.

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/cError.h"
#include "platform/mFindFile.h"

class cFolderWalk {
public:
    static constexpr std::int16_t kMaxSubFolders = 32760;

    class cHost {
    public:
        virtual ~cHost() = default;
        // Appends an entry, unchecked, at the end of the search list; false when the list is
        // full and refuses it.
        virtual bool Append(const std::string& entry) = 0;
        // Clears the status strip and writes the text.
        virtual void Status(const std::string& text) = 0;
        // Processes pending window events and answers the Running flag.
        virtual bool DoEvents() = 0;
        // Enables or disables the timer that scrolls the list to its newest entries.
        virtual void EnableTimer(bool enabled) = 0;
        // ReportError with the log flag set and the show flag clear.
        virtual void ReportError(const cError& e) = 0;
        // A folder of the walk that could not be read (its system error code): the walk goes on
        // without it. Windows pass over it as the search always has; a command says so.
        virtual void FolderUnreadable(const std::string& /*folder*/, std::uint32_t /*error*/) {}
    };
    // A host for walks without a window: every entry to `append`, every error to `error` (either
    // may be empty); never stops, never refuses.
    class cQuietHost final : public cHost {
    public:
        cQuietHost(std::function<void(const std::string&)> append, std::function<void(const cError&)> error)
            : append_(std::move(append)), error_(std::move(error)) {}
        bool Append(const std::string& entry) override {
            if (append_) append_(entry);
            return true;
        }
        void Status(const std::string&) override {}
        bool DoEvents() override { return true; }
        void EnableTimer(bool) override {}
        void ReportError(const cError& e) override {
            if (error_) error_(e);
        }
        void FolderUnreadable(const std::string& folder, std::uint32_t error) override {
            if (unreadable_) unreadable_(folder, error);
        }
        // Where the folders that cannot be read are told.
        void OnUnreadable(std::function<void(const std::string&, std::uint32_t)> unreadable) {
            unreadable_ = std::move(unreadable);
        }

    private:
        std::function<void(const std::string&)> append_;
        std::function<void(const cError&)> error_;
        std::function<void(const std::string&, std::uint32_t)> unreadable_;
    };

    // With `hiddenFolders`, folders whose names begin with "." are walked too (never "." and
    // ".."); the start folder is always walked.
    cFolderWalk(cHost& host, std::string fileSpec, bool hiddenFolders = false);

    // The folder path the walk starts at: the folder cut at its first NUL, with a separator at
    // its end.
    static std::string StartPath(std::string_view folder);
    // "Searching " and the folder path.
    static std::string SearchingText(std::string_view path);

    // Walks `path` (a folder path ending in the separator) and every folder below it.
    void WalkFolder(const std::string& path);
    // Appends the matches in that one folder.
    void ListMatches(const std::string& path);

    // Entries the host accepted so far.
    std::int64_t Found() const noexcept { return found_; }
    // True when the host refused an entry because its list was full.
    bool ListFull() const noexcept { return listFull_; }
    // Matches that no list file can hold, passed over and counted, never dropped in silence: a
    // name with a line break (a list file's entries are lines), and paths past the system's path
    // limit: every match below a folder whose path the system cannot take, reached from its
    // parent by the folder's own name (openat), down to kPastLimitDepth levels.
    std::int64_t LineBreakNames() const noexcept { return lineBreaks_; }
    std::int64_t PastPathLimit() const noexcept { return pastLimit_; }
    // The walk's closing words on them ("" when there were none), for the status text and the log.
    std::string PassedOverText() const;
    // Why no search list can hold `path`, as the walk passes such paths over ("its name holds a
    // line break", "its path lies past the system's path limit"); "" when it can.
    static std::string Unlistable(std::string_view path);
    // The longest path the system takes.
    static constexpr std::size_t kPathLimit = 4095;
    // How deep the count goes below a folder past the limit (each level holds a descriptor).
    static constexpr int kPastLimitDepth = 256;

private:
    void Walk(const std::string& path, bool start, std::uint64_t parentDevice);
    // Appends the matching entries of a folder already read, until Running goes false.
    void ListMatches(const std::string& path, const std::vector<mFindFile::cFindData>& entries);
    void Report(const cError& e);
    // The matches in the folder `name` of the open folder `parent` and below it, never by a path.
    std::int64_t CountPastLimit(int parent, const std::string& name, std::uint64_t parentDevice, int depth);

    cHost& host_;
    std::string fileSpec_;
    bool hiddenFolders_ = false;
    std::int64_t lineBreaks_ = 0;
    std::int64_t pastLimit_ = 0;
    mFindFile::cPattern pattern_;
    std::set<std::pair<std::uint64_t, std::uint64_t>> entered_;
    std::int64_t found_ = 0;
    bool listFull_ = false;
};
