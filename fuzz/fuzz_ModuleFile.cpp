// Any bytes as a module: the reader must open or refuse it, enumerate, find and read resources,
// and the loading core (the callers' own path: every group icon by name or number, each into a
// fresh object, under one memory budget) must load every group or fail with a cError, never
// crash, hang or keep more than the budget allows. Run with -rss_limit_mb and -malloc_limit_mb
// (scripts/run-fuzzers.sh), an input that makes the program copy shared bytes once per reference
// is a finding.

#include <cstdint>
#include <string>
#include <vector>

#include "mFuzzFile.h"
#include "icon/cFileIcon.h"
#include "icon/cLoadBudget.h"
#include "platform/cModuleFile.h"
#include "resources/mIconGroups.h"

namespace {

constexpr std::size_t kMaxEntries = 64; // per enumeration of the reader's own calls
constexpr std::int32_t kMaxGroups = 512; // per load, to keep one input quick

std::vector<cResourceID> Collect(cModuleFile& m, const cResourceID* type) {
    std::vector<cResourceID> out;
    auto proc = [&](const cResourceID& id) {
        out.push_back(id);
        return out.size() < kMaxEntries;
    };
    if (type)
        m.EnumResourceNames(*type, proc);
    else
        m.EnumResourceTypes(proc);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = mFuzzFile::Path(data, size);
    if (path.empty()) return 0;

    cModuleFile m;
    if (!m.Load(path)) {
        (void)m.LastErrorText();
        return 0;
    }
    std::vector<std::uint8_t> bytes;
    for (const auto& type : Collect(m, nullptr)) {
        for (const auto& name : Collect(m, &type)) {
            if (auto r = m.FindResourceId(name, type)) {
                if (m.LoadResource(*r, bytes) && bytes.size() != r->size) __builtin_trap();
            }
        }
    }
    m.Free();

    // The callers' path. What the groups keep together stays within the budget of the file.
    std::vector<cFileIcon> icons;
    mIconGroups::cHooks hooks;
    std::int32_t groups = 0;
    hooks.KeepGoing = [&] { return ++groups <= kMaxGroups; };
    // Groups that cannot be read fail alone, as pictrix-cli lets them: the budget still holds.
    hooks.GroupFailed = [](const mIconGroups::cFailure& f) { return f.position > 0; };
    try {
        mIconGroups::Load(path, icons, hooks);
    } catch (const cError&) {}
    std::uint64_t kept = 0;
    for (const auto& icon : icons) {
        if (icon.ImageCount() < 0) __builtin_trap();
        for (std::int32_t k = 1; k <= icon.ImageCount(); ++k) kept += static_cast<std::uint64_t>(icon.ImageSize(k));
    }
    if (kept > cLoadBudget(size).Limit()) __builtin_trap();
    if (!icons.empty()) (void)icons.back().IcoBytes();

    // A single group loaded on its own fails whole or loads whole.
    cFileIcon icon;
    try {
        icon.LoadIconFromEXE(path, 1, {});
    } catch (const cError&) {
        if (icon.ImageCount() != 0) __builtin_trap();
    }
    return 0;
}
