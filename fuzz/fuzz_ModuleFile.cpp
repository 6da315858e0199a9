// Any bytes as a module: the reader must open or refuse it, enumerate, find and read resources,
// and LoadIconFromEXE must load every group or fail with a cError, never crash, hang or allocate
// beyond what the file holds. The resource enumerator runs the callers' sequence over the same
// bytes.

#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

#include "icon/cFileIcon.h"
#include "platform/cModuleFile.h"
#include "resources/cResources.h"

namespace {

constexpr std::size_t kMaxEntries = 64; // per enumeration, to keep one input quick

std::vector<cResourceID> Collect(cModuleFile& m, const cResourceID* type) {
    std::vector<cResourceID> out;
    auto proc = [&](const cResourceID& id) {
        out.push_back(id);
        return out.size() < kMaxEntries;
    };
    if (type) m.EnumResourceNames(*type, proc);
    else m.EnumResourceTypes(proc);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static int fd = ::memfd_create("module", 0);
    if (fd < 0) return 0;
    if (::ftruncate(fd, 0) != 0) return 0;
    if (size > 0 && ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) return 0;
    const std::string path = "/proc/self/fd/" + std::to_string(fd);

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

    // The callers' sequence: the group icons by cResources, each loaded into a fresh object.
    cResources resources;
    try {
        resources.file(path);
        resources.GetResourceTypes();
        const std::int32_t index = resources.IndexOfResourceType(14);
        if (index < 1) return 0;
        resources.GetResourceNames(index);
        resources.UnloadModule();
        const std::int32_t count = resources.ResourceNameCount(index);
        for (std::int32_t i = 1; i <= count && static_cast<std::size_t>(i) <= kMaxEntries; ++i) {
            const cResourceID name = resources.ResourceName(index, i);
            cFileIcon icon;
            try {
                if (const auto* n = std::get_if<std::int32_t>(&name)) icon.LoadIconFromEXE(path, *n, {});
                else icon.LoadIconFromEXE(path, 0, ResourceIDText(name));
                std::int64_t total = 0;
                for (std::int32_t k = 1; k <= icon.ImageCount(); ++k) total += icon.ImageSize(k);
                if (icon.ImageCount() < 0 ||
                    total > static_cast<std::int64_t>(icon.ImageCount()) * static_cast<std::int64_t>(size))
                    __builtin_trap();
                (void)icon.IcoBytes();
            } catch (const cError&) {
                if (icon.ImageCount() != 0) __builtin_trap();
            }
        }
    } catch (const cError&) {
    }
    return 0;
}
