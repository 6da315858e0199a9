#pragma once
// mRecurse: the search window's decisions and texts, apart from the window: captions, the
// pattern prompt, the status texts, the file filters, the Save As naming rule, when Save
// must ask for a name, and where its help pages are.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/mTr.h"

namespace mRecurse {

inline constexpr std::string_view kCaption = PICTRIX_TR_NOOP("mRecurse", "Recurse");
inline constexpr std::string_view kCaptionPrefix = PICTRIX_TR_NOOP("mRecurse", "Recursing: ");
inline constexpr std::string_view kReady = PICTRIX_TR_NOOP("mRecurse", "Ready...");
inline constexpr std::string_view kBrowseTitle = PICTRIX_TR_NOOP("mRecurse", "Select folder or drive:");
// The Extract command's folder browse.
inline constexpr std::string_view kTargetTitle = PICTRIX_TR_NOOP("mRecurse", "Select directory:");
inline constexpr std::string_view kSpecTitle = PICTRIX_TR_NOOP("mRecurse", "Find File(s)");
inline constexpr std::string_view kDefaultSpec = "*.exe";
inline constexpr std::string_view kOpenFilter =
    PICTRIX_TR_NOOP("mFileOpenSave", "Pictrix Recure List(*.ier)|*.ier|All Files(*.*)|*.*");
inline constexpr std::string_view kSaveFilter =
    PICTRIX_TR_NOOP("mFileOpenSave", "Pictrix Recurse List(*.ier)|*.ier|All Files(*.*)|*.*");
inline constexpr std::string_view kAddFilter = PICTRIX_TR_NOOP(
    "mFileOpenSave", "Icon Files(*.ico)|*.ico|Executable Files(*.exe;*.dll)|*.exe;*.dll|AllFiles(*.*)|*.*");
inline constexpr std::string_view kChangedQuestion =
    PICTRIX_TR_NOOP("mRecurse", "Data has changed. Save current list?");
inline constexpr std::string_view kListExtension = ".ier";
// The recent list files, under HKEY_LOCAL_MACHINE.
inline constexpr std::string_view kRecentListsKey = "Software\\Pictrix v2\\RecurseMRU";
// Where the search window keeps whether it walks hidden folders ("1" or "0").
inline constexpr std::string_view kSearchKey = "Software\\Pictrix v2\\Recurse";
inline constexpr std::string_view kHiddenFoldersValue = "SearchHiddenFolders";
// And whether Extract saves the cursor groups of modules too ("1" or "0"), under the same key.
inline constexpr std::string_view kExtractCursorsValue = "ExtractCursors";
inline constexpr std::int32_t kRecentCapacity = 4;
inline constexpr const char* kContentsPage = "index.htm";
inline constexpr const char* kRecurseHelpPage = "recurse.htm";

// The characters of text before its first NUL (all of it when it has none).
std::string TrimAtNul(std::string_view text);

// "Recursing: " and the folder searched or the list file last read or written.
std::string Caption(std::string_view folderOrFile);
// The prompt of the name pattern's input box for a search that begins at `folder`.
std::string SpecPrompt(std::string_view folder);
// "Find File(s): N items found matching "SPEC"".
std::string FoundText(std::int64_t count, std::string_view spec);
// "Number of items: N".
std::string CountText(std::int64_t count);
// A list file of more entries than the window holds: what the user is told when it opens, and
// why it is not saved over (saving would cut the file to the entries shown).
std::string CutListText(std::string_view file, std::int64_t total, std::int64_t shown);
std::string CutListSaveText(std::string_view file);
// "Saving to: " and the target folder of an extraction.
std::string SavingToText(std::string_view folder);
// The checked-entries message: "Selected Items: ", two line ends, each entry and a line end.
std::string SelectedItemsText(const std::vector<std::string_view>& checked);

// Save As: a name that does not end in ".ier" (compared exactly, case and all) gets it appended.
std::string ListFileName(std::string name);
// True when Save must ask for a name: no list file yet, or the caption no longer ends with it
// (after a search, whose caption names a folder).
bool SaveNeedsName(std::string_view caption, std::string_view listFile);
// The Add command's filter: the last pattern first, or the icon and executable filter
// when there is none.
std::string AddFilter(std::string_view fileSpec);
// The question asked before Save As replaces a file the dialog did not ask about: the name it
// was given lacked ".ier", and the name with it exists.
std::string ReplaceQuestion(std::string_view path);

// A page of the help the main window opens: share/pictrix/Help of an installed program, the Help
// folder beside it in the build tree.
std::string HelpPage(std::string_view page);
// The same for a program in `programDir`.
std::string HelpPageFor(const std::string& programDir, std::string_view page);

} // namespace mRecurse
