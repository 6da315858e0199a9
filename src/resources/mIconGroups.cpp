#include "resources/mIconGroups.h"

#include "base/cResourceID.h"
#include "base/mLanguage.h"
#include "icon/cAnimatedCursor.h"
#include "icon/mFileKind.h"
#include "platform/cReadFile.h"
#include "platform/mShortcut.h"
#include "platform/mSysText.h"
#include "resources/cResources.h"

namespace mIconGroups {

namespace {

void Report(const cHooks& hooks, eStep step, std::int32_t index = 0, std::int32_t count = 0) {
    if (hooks.Progress) hooks.Progress(step, index, count);
}

// Appends a read group and hands it to the caller's pictures. The group counts once it is in
// `icons`; a load that fails before then leaves nothing of it behind.
void Append(std::vector<cFileIcon>& icons, cFileIcon&& icon, const cHooks& hooks) {
    icons.push_back(std::move(icon));
    if (hooks.GroupLoaded) hooks.GroupLoaded(static_cast<std::int32_t>(icons.size()), icons.back());
}

// An icon file, a cursor file or an animated cursor.
void LoadFile(const std::string& file, mFileKind::eKind kind, std::vector<cFileIcon>& icons, const cHooks& hooks) {
    Report(hooks, eStep::IconFile);
    if (kind == mFileKind::eKind::kAnimatedCursor) {
        cAnimatedCursor animation;
        animation.Load(file);
        if (hooks.AnimationLoaded) hooks.AnimationLoaded(animation);
        std::vector<cFileIcon> frames = animation.TakeFrames();
        const auto count = static_cast<std::int32_t>(frames.size());
        icons.reserve(frames.size());
        for (auto& frame : frames) Append(icons, std::move(frame), hooks);
        Report(hooks, eStep::Done, count, count);
        return;
    }
    cFileIcon icon;
    if (kind == mFileKind::eKind::kCursorFile)
        icon.LoadCursor(file);
    else if (kind == mFileKind::eKind::kIcns)
        icon.LoadIcns(file);
    else
        icon.LoadIcon(file);
    Append(icons, std::move(icon), hooks);
    Report(hooks, eStep::Done, 1, 1);
}

// A Windows shortcut: the one group it shows, out of its icon location (a group's position, or
// with a negative index its resource id) or else its target's first group.
mFileKind::eKind LoadShortcut(const std::string& file, std::vector<cFileIcon>& icons, const cHooks& hooks) {
    Report(hooks, eStep::IconFile);
    const auto link = mShortcut::ReadFile(file);
    if (!link)
        throw cError(cError::kInvalidPicture, cError::SourceOf("mIconGroups"),
                     file + " is not a Windows shortcut that can be read");
    const mShortcut::cIconSource source = mShortcut::IconSource(file, *link);
    if (mFileKind::ExtensionOf(source.file) == std::optional<std::string>("LNK"))
        throw cError(cError::kInvalidPicture, cError::SourceOf("mIconGroups"),
                     file + " shows the icon of another shortcut, " + source.file);
    std::vector<cFileIcon> all;
    std::vector<cFailure> failures;
    cHooks inner;
    inner.GroupFailed = [&failures](const cFailure& f) {
        failures.push_back(f);
        return true;
    };
    const mFileKind::eKind kind = Load(source.file, all, inner, kIconGroupsOnly);
    // Every group in its place: the loaded ones between the failed ones.
    const std::size_t total = all.size() + failures.size();
    std::size_t next = 0, failed = 0;
    for (std::size_t position = 1; position <= total; ++position) {
        const bool isFailure =
            failed < failures.size() && static_cast<std::size_t>(failures[failed].position) == position;
        const cResourceID id = isFailure ? failures[failed].group.id : all[next].ResourceID();
        const bool wanted = source.index >= 0
                                ? position == static_cast<std::size_t>(source.index) + 1
                                : id == cResourceID{static_cast<std::int32_t>(-std::int64_t{source.index})};
        if (wanted) {
            if (isFailure) throw failures[failed].error;
            Report(hooks, eStep::Group, 1, 1);
            Append(icons, std::move(all[next]), hooks);
            Report(hooks, eStep::Done, 1, 1);
            return kind;
        }
        isFailure ? ++failed : ++next;
    }
    throw cError(cFileIcon::kErrCantFindIcons, cError::SourceOf("mIconGroups"),
                 source.file + " holds no icon group " +
                     (source.index >= 0 ? "at index " + std::to_string(source.index)
                                        : "with the id " + std::to_string(-std::int64_t{source.index})) +
                     " (the icon " + file + " shows)");
}

tContainerReader& ContainerReader() {
    static tContainerReader reader;
    return reader;
}

} // namespace

// An installer package or an AppImage: the groups its reader finds, in its order.
mFileKind::eKind LoadContainer(const std::string& file, mFileKind::eKind kind, std::vector<cFileIcon>& icons,
                               const cHooks& hooks) {
    icons.clear();
    Report(hooks, eStep::CheckingModule);
    if (!ContainerReader())
        throw cError(cFileIcon::kErrCantLoadLibrary, cError::SourceOf("mIconGroups"),
                     file +
                         (kind == mFileKind::eKind::kAppImage ? " is an AppImage" : " is a Windows Installer package") +
                         ", which this program does not read");
    // Only a regular file is handed to the readers: the package library would wait on a FIFO.
    cReadFile size;
    if (!size.Open(file))
        throw cError(cFileIcon::kErrCantLoadLibrary, cError::SourceOf("mIconGroups"),
                     file + ": " + mSysText::TextLine(size.LastError(), file));
    cLoadBudget budget(size.Size());
    size.Close();
    std::vector<cFileIcon> groups;
    std::vector<cFailure> failures;
    ContainerReader()(file, kind, groups, failures, budget);
    const auto count = static_cast<std::int32_t>(groups.size() + failures.size());
    if (count == 0) {
        Report(hooks, eStep::NoGroups);
        return kind;
    }
    icons.reserve(groups.size());
    // The groups in their places between the parts that failed, each of which fails alone where
    // the caller lets it.
    std::size_t next = 0, failed = 0;
    for (std::int32_t i = 1; i <= count; ++i) {
        if (hooks.KeepGoing && !hooks.KeepGoing()) return kind;
        Report(hooks, eStep::Group, i, count);
        if (failed < failures.size() && (failures[failed].position == i || next == groups.size())) {
            cFailure failure = failures[failed++];
            failure.position = i;
            if (!hooks.GroupFailed || failure.error.Number() == cError::kOutOfMemory || !hooks.GroupFailed(failure))
                throw failure.error;
            continue;
        }
        Append(icons, std::move(groups[next++]), hooks);
    }
    Report(hooks, eStep::Done, count, count);
    return kind;
}

void SetContainerReader(tContainerReader reader) { ContainerReader() = std::move(reader); }

std::string Label(const cFileIcon::cGroupRef& group) {
    std::string label = ResourceIDText(group.id);
    if (group.ownLanguage && group.language) label += " [" + mLanguage::Tag(*group.language) + "]";
    return label;
}

cFileIcon* cEveryGroup::At(std::int32_t position, const cFailure** failure) {
    *failure = nullptr;
    std::int32_t index = position;
    for (const auto& f : failures) {
        if (f.position > position) break;
        if (f.position == position) {
            *failure = &f;
            return nullptr;
        }
        --index;
    }
    if (position < 1 || index > static_cast<std::int32_t>(groups.size())) return nullptr;
    return &groups[static_cast<std::size_t>(index - 1)];
}

cEveryGroup LoadEvery(const std::string& file, const cOptions& options) {
    cEveryGroup every;
    cHooks hooks;
    hooks.GroupFailed = [&every](const cFailure& f) {
        every.failures.push_back(f);
        return true;
    };
    Load(file, every.groups, hooks, options);
    return every;
}

mFileKind::eKind Load(const std::string& file, std::vector<cFileIcon>& icons, const cHooks& hooks,
                      const cOptions& options) {
    icons.clear();
    // A file named as a module is opened as one at once, so that a module is opened once per
    // load; only where it is none are its first bytes asked whether it is a cursor after all.
    const auto extension = mFileKind::ExtensionOf(file);
    if (extension && *extension == "LNK") return LoadShortcut(file, icons, hooks);
    const bool moduleByName = extension && *extension != "ICO" && *extension != "CUR" && *extension != "ANI" &&
                              *extension != "ICNS" && *extension != "MSI" && *extension != "APPIMAGE";
    const mFileKind::eKind kind = moduleByName ? mFileKind::eKind::kModule : mFileKind::KindOf(file);
    if (mFileKind::IsContainer(kind)) return LoadContainer(file, kind, icons, hooks);
    if (kind != mFileKind::eKind::kModule) {
        LoadFile(file, kind, icons, hooks);
        return kind;
    }

    Report(hooks, eStep::CheckingModule);
    // The module is opened once: every group is read from it.
    cResources resources;
    try {
        resources.file(file);
    } catch (const cError&) {
        const mFileKind::eKind byBytes = mFileKind::KindOf(file);
        if (byBytes == mFileKind::eKind::kAppImage) return LoadContainer(file, byBytes, icons, hooks);
        if (byBytes != mFileKind::eKind::kCursorFile && byBytes != mFileKind::eKind::kAnimatedCursor &&
            byBytes != mFileKind::eKind::kIcns)
            throw;
        LoadFile(file, byBytes, icons, hooks);
        return byBytes;
    }
    // What every group of the file keeps together is held to one budget.
    cLoadBudget budget(resources.hModule()->FileSize());
    if (options.emptyWithoutResources && !resources.Module()->HasResourceTable()) {
        Report(hooks, eStep::NoGroupType);
        return kind;
    }
    resources.GetResourceTypes();
    const std::int32_t iconType = resources.IndexOfResourceType(kRtGroupIcon);
    const std::int32_t cursorType = options.cursors ? resources.IndexOfResourceType(kRtGroupCursor) : 0;
    if (iconType < 1 && cursorType < 1) {
        Report(hooks, eStep::NoGroupType);
        return kind;
    }
    Report(hooks, eStep::ReadingNames);
    cModuleFile& module = *resources.Module();
    // Every group the load will read, in order: the icon groups, then the cursor groups; a group
    // in several languages once per language.
    std::vector<cFileIcon::cGroupRef> groups;
    // A language variant with images costs at least its share of the budget when it is read:
    // more variants than the budget could ever hold (names sharing one long list of languages)
    // are refused before they are listed, as a group that does not fit the budget is.
    const std::uint64_t mostVariants = budget.Limit() / cLoadBudget::kPerGroup;
    std::uint64_t variants = 0;
    auto add = [&](cFileIcon::cGroupRef group) {
        if (group.ownLanguage && ++variants > mostVariants)
            throw cError(cFileIcon::kErrReadBits, cError::SourceOf("cFileIcon"),
                         "Failed to read bitmap bits from resource.");
        groups.push_back(std::move(group));
    };
    auto addGroups = [&](std::int32_t type, cFileIcon::eKind groupKind) {
        if (type < 1) return;
        resources.GetResourceNames(type);
        const std::int32_t typeId = groupKind == cFileIcon::eKind::kCursor ? kRtGroupCursor : kRtGroupIcon;
        const auto count = static_cast<std::size_t>(resources.ResourceNameCount(type));
        // The languages of every name in one pass over the type's directory. A group whose
        // languages cannot be listed is read as without them: its own load reports what is
        // wrong with it.
        struct cLanguages {
            std::optional<std::uint16_t> only; // the one language of most groups
            std::vector<std::uint16_t> several;
        };
        std::vector<cLanguages> languagesOf(count);
        if (options.languages) {
            module.EnumNameLanguages(typeId, [&](std::size_t position, const std::vector<std::uint16_t>& languages) {
                if (position >= count) return;
                if (languages.size() == 1)
                    languagesOf[position].only = languages.front();
                else if (languages.size() > 1)
                    languagesOf[position].several = languages;
            });
        }
        for (std::size_t i = 0; i < count; ++i) {
            const cResourceID id = resources.ResourceName(type, static_cast<std::int32_t>(i + 1));
            const cLanguages& languages = languagesOf[i];
            if (languages.several.empty()) {
                add({groupKind, id, languages.only, false});
                continue;
            }
            for (const std::uint16_t language : languages.several) add({groupKind, id, language, true});
        }
    };
    addGroups(iconType, cFileIcon::eKind::kIcon);
    addGroups(cursorType, cFileIcon::eKind::kCursor);
    const auto count = static_cast<std::int32_t>(groups.size());
    if (count == 0) {
        Report(hooks, eStep::NoGroups);
        return kind;
    }
    icons.reserve(groups.size());
    for (std::int32_t i = 1; i <= count; ++i) {
        if (hooks.KeepGoing && !hooks.KeepGoing()) return kind;
        Report(hooks, eStep::Group, i, count);
        const cFileIcon::cGroupRef& group = groups[static_cast<std::size_t>(i - 1)];
        cFileIcon icon;
        try {
            icon.LoadGroupFromEXE(module, group, &budget);
        } catch (const cError& e) {
            if (!hooks.GroupFailed || e.Number() == cError::kOutOfMemory || !hooks.GroupFailed({i, group, e})) throw;
            continue;
        }
        Append(icons, std::move(icon), hooks);
    }
    Report(hooks, eStep::Done, count, count);
    return kind;
}

} // namespace mIconGroups
