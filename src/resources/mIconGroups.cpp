#include "resources/mIconGroups.h"

#include "base/cResourceID.h"
#include "icon/mFileKind.h"
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

} // namespace

void Load(const std::string& file, std::vector<cFileIcon>& icons, const cHooks& hooks) {
    icons.clear();
    if (mFileKind::IsIconFile(file)) {
        Report(hooks, eStep::IconFile);
        cFileIcon icon;
        icon.LoadIcon(file);
        Append(icons, std::move(icon), hooks);
        Report(hooks, eStep::Done, 1, 1);
        return;
    }

    Report(hooks, eStep::CheckingModule);
    // The module is opened once: every group is read from it.
    cResources resources;
    resources.file(file);
    // What every group of the file keeps together is held to one budget.
    cLoadBudget budget(resources.hModule()->FileSize());
    resources.GetResourceTypes();
    const std::int32_t type = resources.IndexOfResourceType(kRtGroupIcon);
    if (type < 1) {
        Report(hooks, eStep::NoGroupType);
        return;
    }
    Report(hooks, eStep::ReadingNames);
    resources.GetResourceNames(type);
    cModuleFile& module = *resources.Module();
    const std::int32_t count = resources.ResourceNameCount(type);
    if (count == 0) {
        Report(hooks, eStep::NoGroups);
        return;
    }
    icons.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 1; i <= count; ++i) {
        if (hooks.KeepGoing && !hooks.KeepGoing()) return;
        Report(hooks, eStep::Group, i, count);
        const cResourceID id = resources.ResourceName(type, i);
        cFileIcon icon;
        if (const auto* number = std::get_if<std::int32_t>(&id)) {
            icon.LoadIconFromEXE(module, *number, {}, &budget);
        } else {
            icon.LoadIconFromEXE(module, 0, ResourceIDText(id), &budget);
        }
        Append(icons, std::move(icon), hooks);
    }
    Report(hooks, eStep::Done, count, count);
}

} // namespace mIconGroups
