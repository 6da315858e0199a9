#pragma once
// cExtractor: the window-free core of batch extraction. For one file it loads every icon group
// through the loading core the main window uses (mIconGroups), with the extraction's own status
// texts and failure table, and saves each group whole as an .ico file in TargetFolder. The search
// window owns one and answers its hooks: the status strip, its Running flag (asked once per group
// while saving), the error report (log only), the pictures of the hidden image lists and the list
// view. pictrix-cli drives the same code with hooks that print.
//
// Output name of group i: TargetFolder, the separator, SourceBaseName(), i in decimal, the group's
// list text (its resource identifier), ".ico". For an .ico source, whose list text would be its
// full path, the name is the source's base name and the position. Two groups of one file that
// would get the same name in one SaveFileIcons: the later gets "~2" (or "~3"...) before ".ico",
// reported through Renamed, so neither file is lost. A name longer than a file name may be
// (kMaxNameBytes bytes) is shortened to fit (FitFileName), reported through Shortened.
//
// A run (StartRun, then ExtractFile for each source) keeps which files it wrote: replacing an
// older file the user had is flushed to disk before the rename, replacing one this run wrote
// itself (two sources with the same base name, the same source listed twice) is not, since only
// the run's own output could be lost.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/cError.h"
#include "icon/cFileIcon.h"
#include "platform/cWrittenFiles.h"

class cExtractor {
public:
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
        // A group was saved under `used` instead of `wanted`, which this run had already written.
        std::function<void(const std::string& wanted, const std::string& used)> Renamed;
        // A group was saved under `used` because `wanted` is too long for a file name. When this
        // hook is not set, Renamed reports it.
        std::function<void(const std::string& wanted, const std::string& used)> Shortened;
    };

    // The longest file name (one path component) that file systems take, in bytes.
    static constexpr std::size_t kMaxNameBytes = 255;

    cExtractor() = default;
    explicit cExtractor(cHooks hooks) : hooks_(std::move(hooks)) {}
    void SetHooks(cHooks hooks) { hooks_ = std::move(hooks); }

    // Window state, named as the window names it.
    std::string TargetFolder;   // without a trailing separator (except the root)
    std::string SourceFile;     // the file being processed
    std::vector<cFileIcon> Icons; // the groups of SourceFile; Icons[i - 1] is group i
    std::int32_t IconCount = 0;
    std::int32_t IconsSaved = 0;

    // A new run: IconsSaved = 0, and no file counts as written by the run.
    void StartRun();
    // Loads every group of `file` into Icons. True when the file was examined to the end (also
    // when it holds no icons), false after a failure (reported through the hooks).
    bool LoadFileIcons(const std::string& file);
    // Writes every group of Icons. True when every group was written; false when the run was
    // stopped or a save failed (reported; the file's remaining groups are skipped).
    bool SaveFileIcons();
    // SourceFile = file, then load and save. True when both succeeded.
    bool ExtractFile(const std::string& file);
    // "Total icons saved: " and IconsSaved.
    std::string TotalText() const;

    // The base name of SourceFile: its file name (after the last separator) up to the name's last
    // ".", the whole file name when it holds none. A path without a file name (empty, or ending in
    // a separator) is reported and the result is empty.
    std::string SourceBaseName();
    // The list item's text of group i: its resource identifier, or its file name when it has none.
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

    cHooks hooks_;
    cWrittenFiles written_;
};
