#pragma once
// mExtract: the window-free core of batch extraction, as two functions that the search window and
// pictrix-cli's batch both call. Load reads every group of one source through the loading core the
// main window uses (mIconGroups), with the extraction's own status texts and failure table; Save
// writes given groups of a source whole, as .ico files (.cur for cursors), into the folder of a
// run (cRun) and reports what became of each.
//
// Output name of group i: the source's base name, i in decimal, the group's list text (its
// resource identifier, with its language where the group is one of several) and the extension.
// For an icon file, cursor file or animated cursor, whose list text would be its full path, the
// name is the source's base name and the position. A name longer than a file name may be
// (kMaxNameBytes) is shortened to fit (FitFileName).
//
// A run never loses an icon to a name clash: the output takes the next free "~2", "~3"... before
// its extension, reported with the reason, when the name is taken by another group of the same
// listing, by a file the run wrote from another source (x86 and x64 copies of one DLL), by one of
// the run's sources, or by a symbolic link (never written through nor replaced). The same source
// listed twice writes the same names again. A FIFO, device or folder at the name is one failed
// output. Which file is the run's is known by device and inode (cOutputFolder), so a
// case-insensitive file system cannot fold two outputs into one. Files the user already had are
// replaced once the run has made the new files durable; a file that already holds the bytes is
// left alone (kUnchanged). IconsSaved counts the files the run leaves, each once.
//
// With content names (cRun::ContentNames), group i is saved as "ab/abcdef….ico": the SHA-256 of
// its bytes in hex, under a subfolder named by the digest's first two digits. Such names do not
// depend on which sources share a run, so any split of a collection gives the same files; a
// group whose bytes this run already saved is a duplicate of that file.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/cError.h"
#include "base/mOutputName.h"
#include "icon/cFileIcon.h"
#include "icon/mFileKind.h"
#include "platform/cOutputFolder.h"
#include "resources/mIconGroups.h"

namespace mExtract {

// The longest file name (one path component) that file systems take, in bytes.
inline constexpr std::size_t kMaxNameBytes = mOutputName::kMaxNameBytes;

// What a load includes beyond a module's icon groups (both off unless asked for): its cursor
// groups, and one group per language of a group stored in several.
struct cOptions {
    bool cursors = false;
    bool languages = false;
    // A module without a resource table is read as one without icons (the batch's rule); off, it
    // fails with the system's "did not contain a resource section" (the search window's).
    bool emptyWithoutResources = false;
};

// One source as a load found it.
struct cSource {
    std::string path;
    mFileKind::eKind kind = mFileKind::eKind::kModule; // decided once, by the load that read it
    std::vector<cFileIcon> icons; // its groups, in the file's order; Icons(i - 1) is group i
    bool read = false; // examined to the end (also when it holds no icons)
};

struct cLoadHooks {
    // Clear the status strip and write the text ("" just clears it).
    std::function<void(const std::string&)> Status;
    // ReportError with the log flag set and the show flag clear.
    std::function<void(const cError&)> ReportError;
    // A group of the file could not be read: true lets it fail alone (the others are loaded and
    // saved); without the hook, or on false, the file fails as a whole.
    std::function<bool(const mIconGroups::cFailure&)> GroupFailed;
};

// LoadFileIcons: every group of `file`. `read` is false after a failure, which was reported;
// `icons` then holds what the failure table keeps (the groups read before running out of memory,
// or before a module that could not be loaded; nothing after any other failure).
cSource Load(const std::string& file, const cOptions& options, const cLoadHooks& hooks);

// Why an output took another name than its own.
enum class eRename {
    kSameFile, // another group of the same listing has that name
    kOtherSource, // the run wrote that file from another source
    kSource, // the file there is one of the run's sources
    kLink, // a symbolic link stands there
};
// The sentence that says why, after the wanted name ("... is a symbolic link ...").
const char* RenameReason(eRename why);

enum class eOutcome { kSaved, kRenamed, kDuplicate, kUnchanged, kFailed };

// What became of one group.
struct cOutcome {
    std::int32_t group = 0; // 1-based
    eOutcome outcome = eOutcome::kFailed;
    std::string path; // the file written, the kept file of a duplicate, or the name it was to take
    std::string wanted; // the name it wanted, where it took another
    std::optional<eRename> why; // why it took another (nothing for a name shortened to fit)
    bool shortened = false; // the wanted name was too long for a file name
    const cError* error = nullptr; // why it failed
};

struct cSaveHooks;

// The state of one run: its folder, its sources, its totals.
class cRun {
public:
    // A run into `folder` over `sources` (a file that is one of them is never replaced). False,
    // with LastError() (mSysText), when the folder cannot be opened.
    bool Open(const std::string& folder, const std::vector<std::string>& sources = {});
    // One more source of the run, as it was looked at (sources read as the run goes are added as
    // they are read).
    void AddSource(const mFileAt::cIdentity& identity) { folder_.AddSource(identity); }
    // Names outputs by their digest from now on (see above).
    void ContentNames(bool on) noexcept { contentNames_ = on; }
    bool ContentNames() const noexcept { return contentNames_; }
    std::uint32_t LastError() const noexcept { return folder_.LastError(); }
    cOutputFolder& Folder() noexcept { return folder_; }
    const std::string& TargetFolder() const noexcept { return folder_.Folder().Path(); }
    // The files the run leaves, each once; those of them saved under another name than their own.
    std::int32_t IconsSaved() const noexcept { return iconsSaved_; }
    std::int32_t IconsRenamed() const noexcept { return iconsRenamed_; }
    // Puts the replacements that wait in place; each that fails is reported (log only) and no
    // longer counted. Answers the paths of those that failed.
    std::vector<std::string> Finish(const std::function<void(const cError&)>& report);
    // "Total icons saved: " and IconsSaved, then how many took another name, if any.
    std::string TotalText() const;

private:
    friend bool Save(cRun&, const cSource&, const cSaveHooks&);
    bool SaveByContent(const cSource& source, std::int32_t k, const cSaveHooks& hooks);
    cOutputFolder folder_;
    std::int32_t iconsSaved_ = 0;
    std::int32_t iconsRenamed_ = 0;
    bool contentNames_ = false;
    std::unordered_set<std::string> contentSaved_; // content names: the digests saved by this run
};

struct cSaveHooks {
    // Process pending events; answer the Running flag (false stops the run). Asked once a group.
    std::function<bool()> KeepGoing;
    std::function<void(const std::string&)> Status;
    std::function<void(const cError&)> ReportError;
    // What became of a group, as soon as it is settled.
    std::function<void(const cOutcome&)> Outcome;
    // Content names: the SHA-256 (hex) of the bytes group k is saved with, when the caller has
    // it already; otherwise Save takes it.
    std::function<std::string(std::int32_t k)> Digest;
    // De-duplication: the file this run already wrote with the bytes group k would be saved
    // with, if any; the group is then not written.
    std::function<std::optional<std::string>(std::int32_t k)> KeptCopy;
};

// SaveFileIcons: writes every group of `source` into the run's folder. True when every group was
// written; false when the run was stopped or a save failed (reported; the source's remaining
// groups are skipped).
bool Save(cRun& run, const cSource& source, const cSaveHooks& hooks);

// A folder as a run takes it: without trailing separators, except the root.
std::string TargetFolderOf(std::string folder);
// The base name of a path: its file name (after the last separator) up to the name's last ".",
// the whole file name when it holds none. False, with `base` empty, for a path without a file
// name (empty, or ending in a separator).
bool BaseNameOf(const std::string& path, std::string& base);
// The list item's text of a group: its label (resource identifier, language where shown), or its
// file name when it has none.
std::string ItemText(const cFileIcon& icon);
// The file name of group i (1-based) of `source` before any distinguishing suffix, given its base
// name.
std::string OutputName(const cSource& source, std::int32_t i, const std::string& baseName);
// `name` (ending in its extension) made to fit kMaxNameBytes: a longer name keeps its start, cut
// at a character boundary, then "~" and 16 hex digits of a hash of the whole name, then the
// extension. The same name always gives the same result; a name that fits is returned as it is.
std::string FitFileName(const std::string& name);

} // namespace mExtract
