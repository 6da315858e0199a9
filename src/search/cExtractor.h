#pragma once
// cExtractor: the window-free core of batch extraction. For one file it loads every icon group
// through the loading core the main window uses (mIconGroups), with the extraction's own status
// texts and failure table, and saves each group whole as an .ico file in TargetFolder. The search
// window owns one and answers its hooks: the status strip, its Running flag (asked once per group
// while saving), the error report (log only), the pictures of the hidden image lists and the list
// view. pictrix-cli drives the same code with hooks that print.
//
// Output name of group i: TargetFolder, the separator, SourceBaseName(), i in decimal, the group's
// list text (its resource identifier, with its language where the group is one of several), and
// ".ico" (".cur" for a cursor). For an icon file, cursor file or animated cursor source, whose list
// text would be its full path, the name is the source's base name and the position.
//
// What a file gives is the loading core's icon groups; ExtractCursors adds the cursor groups of
// modules, ExtractLanguages one group per language of a group stored in several. A name longer than a file name
// may be (kMaxNameBytes bytes) is shortened to fit (FitFileName), reported through Shortened.
//
// A run (StartRun with its sources, ExtractFile for each, FinishRun) never loses an icon to a
// name clash: the output takes the next free "~2", "~3"... before ".ico", reported through
// Renamed with the reason, when the name is taken by another group of the same file, by a file
// the run wrote from another source (x86 and x64 copies of one DLL), by one of the run's own
// sources, or by a symbolic link (never written through nor replaced). The same source listed
// twice writes the same names again. A FIFO, device or folder at the name is one failed output.
// Files the user already had are replaced once the run's one flush has made the new files
// durable (FinishRun); IconsSaved counts the files the run leaves, each once.

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/cError.h"
#include "base/mOutputName.h"
#include "icon/cFileIcon.h"
#include "platform/cWrittenFiles.h"
#include "resources/mIconGroups.h"

class cExtractor {
public:
    // Why an output took another name than its own.
    enum class eRename {
        kSameFile, // another group of the same file has that name
        kOtherSource, // the run wrote that file from another source
        kSource, // the file there is one of the run's sources
        kLink, // a symbolic link stands there
    };
    // The sentence that says why, after the wanted name ("... is a symbolic link").
    static const char* RenameReason(eRename why);
    enum class eOutcome { kSaved, kRenamed, kDuplicate, kFailed };

    struct cHooks {
        // Clear the status strip and write the text ("" just clears it).
        std::function<void(const std::string&)> Status;
        // Process pending events; answer the Running flag (false stops the run).
        std::function<bool()> KeepGoing;
        // ReportError with the log flag set and the show flag clear.
        std::function<void(const cError&)> ReportError;
        // Group i (1-based) was loaded: build its 32- and 16-pixel pictures. Errors 91 and 481
        // raised here are reported and loading goes on.
        std::function<void(std::int32_t, const cFileIcon&)> GroupLoaded;
        // Fill the list view from Icons (DisplayIcons).
        std::function<void()> DisplayIcons;
        // A group was saved under `used` instead of `wanted`, for the reason given.
        std::function<void(const std::string& wanted, const std::string& used, eRename why)> Renamed;
        // A group was saved under `used` because `wanted` is too long for a file name. When this
        // hook is not set, Renamed reports it.
        std::function<void(const std::string& wanted, const std::string& used)> Shortened;
        // De-duplication: the file this run already wrote with the bytes group k would be saved
        // with, if any; the group is then not written.
        std::function<std::optional<std::string>(std::int32_t k)> KeptCopy;
        // What became of group k: written to `path` (under its own name or another), left to the
        // file `path` holding the same bytes, or failed (`path` the name it was to take).
        std::function<void(std::int32_t k, eOutcome outcome, const std::string& path, const cError* error)> Outcome;
        // A group of the file could not be read: true lets it fail alone (the others are loaded
        // and saved); without the hook, or on false, the file fails as a whole.
        std::function<bool(const mIconGroups::cFailure&)> GroupFailed;
    };

    // The longest file name (one path component) that file systems take, in bytes.
    static constexpr std::size_t kMaxNameBytes = mOutputName::kMaxNameBytes;

    cExtractor() = default;
    explicit cExtractor(cHooks hooks) : hooks_(std::move(hooks)) {}
    void SetHooks(cHooks hooks) { hooks_ = std::move(hooks); }

    // The run's state, named as the window names it.
    // The folder outputs go to, without a trailing separator (except the root).
    const std::string& TargetFolder() const noexcept { return targetFolder_; }
    void TargetFolder(std::string folder) { targetFolder_ = std::move(folder); }
    // The file being processed.
    const std::string& SourceFile() const noexcept { return sourceFile_; }
    void SourceFile(std::string file) { sourceFile_ = std::move(file); }
    // The groups of SourceFile, IconCount of them; Icons()[i - 1] is group i.
    const std::vector<cFileIcon>& Icons() const noexcept { return icons_; }
    std::int32_t IconCount() const noexcept { return iconCount_; }
    // Hands the groups over (the extractor keeps none), and takes groups loaded elsewhere.
    std::vector<cFileIcon> TakeIcons();
    void GiveIcons(std::vector<cFileIcon> icons, std::int32_t count);
    // The files the run leaves, each once; those of them saved under another name than their own.
    std::int32_t IconsSaved() const noexcept { return iconsSaved_; }
    std::int32_t IconsRenamed() const noexcept { return iconsRenamed_; }
    // Also the cursor groups of modules, saved as .cur files; every language of a group stored in
    // several (both off unless asked for).
    bool ExtractCursors() const noexcept { return extractCursors_; }
    void ExtractCursors(bool on) noexcept { extractCursors_ = on; }
    bool ExtractLanguages() const noexcept { return extractLanguages_; }
    void ExtractLanguages(bool on) noexcept { extractLanguages_ = on; }

    // A new run over `sources`: IconsSaved = 0, no file counts as written by the run, and a file
    // that is one of the sources is never replaced by an output.
    void StartRun(const std::vector<std::string>& sources = {});
    // Ends the run: replaces the files the user had by the run's new ones after one flush.
    // A replacement that fails is reported and not counted.
    void FinishRun();
    // Loads every group of `file` into Icons. True when the file was examined to the end (also
    // when it holds no icons), false after a failure (reported through the hooks).
    bool LoadFileIcons(const std::string& file);
    // Writes every group of Icons. True when every group was written; false when the run was
    // stopped or a save failed (reported; the file's remaining groups are skipped).
    bool SaveFileIcons();
    // SourceFile = file, then load and save. True when both succeeded.
    bool ExtractFile(const std::string& file);
    // "Total icons saved: " and IconsSaved, then how many took another name, if any.
    std::string TotalText() const;

    // The base name of SourceFile: its file name (after the last separator) up to the name's last
    // ".", the whole file name when it holds none. A path without a file name (empty, or ending in
    // a separator) is reported and the result is empty.
    std::string SourceBaseName();
    // The list item's text of group i: its label (resource identifier, language where shown), or
    // its file name when it has none.
    std::string ItemText(std::int32_t i) const;
    // The output name of group i before any distinguishing suffix, given the base name.
    std::string OutputFileName(std::int32_t i, const std::string& baseName) const;

    // A folder as TargetFolder holds it: without trailing separators, except the root.
    static std::string TargetFolderOf(std::string folder);
    // The base name of a path (see SourceBaseName); false, with `base` empty, when it has none.
    static bool BaseNameOf(const std::string& path, std::string& base);
    // `path` with its file name (ending in ".ico") made to fit kMaxNameBytes: a longer name keeps
    // its start, cut at a character boundary, then "~" and 16 hex digits of a hash of the whole
    // name, then ".ico". The same path always gives the same result, and names that differ
    // anywhere get different hashes. A name that fits is returned as it is.
    static std::string FitFileName(const std::string& path);

private:
    void Status(const std::string& text) const {
        if (hooks_.Status) hooks_.Status(text);
    }
    bool KeepGoing() const { return hooks_.KeepGoing ? hooks_.KeepGoing() : true; }
    void Report(const cError& e) const {
        if (hooks_.ReportError) hooks_.ReportError(e);
    }
    void Display() const;
    void Pictures(std::int32_t i) const;
    void Outcome(std::int32_t k, eOutcome outcome, const std::string& path, const cError* error) const;
    // Why `name` cannot take the output being saved, or nothing when it can.
    std::optional<eRename> Taken(const std::string& name, const std::set<std::string>& thisFile) const;

    cHooks hooks_;
    cWrittenFiles written_;
    std::string targetFolder_;
    std::string sourceFile_;
    std::vector<cFileIcon> icons_;
    std::int32_t iconCount_ = 0;
    std::int32_t iconsSaved_ = 0;
    std::int32_t iconsRenamed_ = 0;
    bool extractCursors_ = false;
    bool extractLanguages_ = false;
};
