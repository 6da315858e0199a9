#pragma once
// mIconGroups: every icon group of one file, the one loading core that the main window's
// retrieval, the batch extraction and pictrix-cli share. An icon file (mFileKind::IsIconFile) is one
// group read with LoadIcon; any other file is opened as a module, once per load, its group icons
// (type 14) are enumerated and each is read from the open module into a fresh cFileIcon with
// LoadIconFromEXE. Everything the groups keep is held to one cLoadBudget: a load keeps at most a
// fixed allowance plus the file's size.
//
// The callers keep what differs between them: their status texts (the core names the step, the
// caller words it), the pictures of their image lists (GroupLoaded), and their failure tables
// (errors leave Load as they were raised, with `icons` holding every group loaded before the
// failure and nothing of the one that failed).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "icon/cAnimatedCursor.h"
#include "icon/cFileIcon.h"
#include "icon/mFileKind.h"

namespace mIconGroups {

// The steps a load passes, in order. A module passes CheckingModule, then either NoGroupType, or
// ReadingNames and then NoGroups or one Group step per group; every load that ends normally ends
// with Done.
enum class eStep {
    IconFile, // an icon file is about to be read
    CheckingModule, // the module is being opened and its resource types read
    NoGroupType, // the module has no group icons (nor, when asked for, group cursors) at all
    ReadingNames, // the names of its group icons are being read
    NoGroups, // the group-icon type lists no names
    Group, // group `index` of `count` is about to be read
    Done, // every group was read
};

// A group of a module that could not be read: its place among every group the load reads
// (1-based, as the Group steps count), which group it is, and what its load raised.
struct cFailure {
    std::int32_t position = 0;
    cFileIcon::cGroupRef group;
    cError error;
};

// What a list shows for a group that could not be read, as cFileIcon::Label does for one that was:
// the identifier, with " [" the language's tag "]" when the group is one of several languages.
std::string Label(const cFileIcon::cGroupRef& group);

struct cHooks {
    // The step reached; `index` and `count` are set for Group (1-based) and for Done (the groups).
    std::function<void(eStep step, std::int32_t index, std::int32_t count)> Progress;
    // Group i (1-based) was read and appended as icons[i - 1]: the caller builds its pictures.
    // What it raises ends the load like a failure of the group itself.
    std::function<void(std::int32_t i, const cFileIcon& icon)> GroupLoaded;
    // Asked before each group of a module; false ends the load early (Done is not reported).
    std::function<bool()> KeepGoing;
    // A group of a module could not be read: true goes on without it (the group fails alone and
    // the groups after it keep their places), false ends the load with the error as raised. Not
    // asked when memory runs out, which always ends the load. Without the hook every failure
    // ends the load.
    std::function<bool(const cFailure& failure)> GroupFailed;
    // An animated cursor was read: its steps, rates and frame count (for the properties), before
    // its frames are appended one by one.
    std::function<void(const cAnimatedCursor& animation)> AnimationLoaded;
};

// What a load includes beyond a module's icon groups, each in its lowest language.
struct cOptions {
    // The cursor groups (type 12), after every icon group, each read as a cursor (.cur layout).
    bool cursors = true;
    // A group stored in several languages gives one group per language, in the module's order
    // (ascending language numbers), each read in its own language and labelled with it
    // (cFileIcon::LanguageShown, Label); every group of a PE module carries its Language().
    bool languages = true;
    // A module without a resource table holds no groups (NoGroupType), where otherwise the load
    // fails with the system's "did not contain a resource section".
    bool emptyWithoutResources = false;
};

// The options of a load as it was before cursors and languages: icon groups alone, each once.
inline constexpr cOptions kIconGroupsOnly{false, false};

// Containers of other files (mFileKind::IsContainer: Windows Installer packages, AppImages) are
// read by libraries that only the programs that show them link (src/containers): such a program
// installs its reader once at start (mContainers::Install). The reader appends the file's groups
// to `groups` in their order, each labelled by its ResourceID, all of them held to `budget`; a
// part of the container that cannot be read goes into `failures` instead, at its place among the
// groups (1-based, counting the groups and failures before it), named by its cGroupRef's id. What
// is wrong with the whole file it raises (naming the file and the part). Without a reader such a
// file fails as one this program does not read.
using tContainerReader =
    std::function<void(const std::string& file, mFileKind::eKind kind, std::vector<cFileIcon>& groups,
                       std::vector<cFailure>& failures, cLoadBudget& budget)>;
void SetContainerReader(tContainerReader reader);
// Loads the groups of a container of the kind given, whatever its name says (the thumbnails, which
// tell files by their first bytes); otherwise as Load.
mFileKind::eKind LoadContainer(const std::string& file, mFileKind::eKind kind, std::vector<cFileIcon>& icons,
                               const cHooks& hooks = {});

// Loads every group of `file` into `icons` (emptied first). An icon file is one group, a cursor
// file one cursor (LoadCursor), an animated cursor one cursor per frame (cAnimatedCursor, in
// frame order); a module gives its icon groups and, with the options, its cursor groups and
// language variants. A group that lists no images is kept with none, as LoadIconFromEXE leaves
// it. Raises what opening, enumerating or reading raises, except for the groups the GroupFailed
// hook lets fail alone. Group steps count every group the load will read (icon and cursor
// groups, language variants). Answers the kind the file was read as, decided once per load.
mFileKind::eKind Load(const std::string& file, std::vector<cFileIcon>& icons, const cHooks& hooks = {},
                      const cOptions& options = {});

// Every group of a file with the groups that failed alone in their places (LoadEvery): a group is
// asked for by its number among them all, as a list shows them.
struct cEveryGroup {
    std::vector<cFileIcon> groups;
    std::vector<cFailure> failures;
    std::size_t Count() const { return groups.size() + failures.size(); }
    // Group `position` (1-based): the group; nullptr with `*failure` set where it failed, or with
    // it null where there is no such group.
    cFileIcon* At(std::int32_t position, const cFailure** failure);
};
// Load with every group that cannot be read failing alone (memory run out still ends it).
cEveryGroup LoadEvery(const std::string& file, const cOptions& options = {});

} // namespace mIconGroups
