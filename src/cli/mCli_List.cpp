// pictrix-cli list: the icon groups of files, each with its images.

#include <algorithm>
#include <thread>

#include "cli/mCli.h"
#include "cli/mCliRecords.h"
#include "resources/mIconGroups.h"

namespace mCli {

namespace {

constexpr std::string_view kListUsage = "usage: pictrix-cli list [--json [--jobs N] [--from LIST] [-0]] FILE...\n";

// list --json [--jobs N] [--from LIST] [-0] FILE...: the records of an extraction's manifest
// without outputs, one line per group.
int ListJson(const tArgs& args, std::ostream& out, std::ostream& err) {
    cSourceOptions sources;
    int jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--json") continue;
        if (a == "--jobs" && i + 1 < args.size() && ParseJobs(args[i + 1], jobs)) {
            ++i;
        } else if (a == "--from" && i + 1 < args.size()) {
            sources.lists.push_back(args[++i]);
        } else if (a == "-0") {
            sources.nulSeparated = true;
        } else if (a == "--") {
            sources.files.insert(sources.files.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            break;
        } else if (a.size() > 1 && a[0] == '-') {
            return UnknownOption(err, "list", a, kListUsage);
        } else {
            sources.files.push_back(a);
        }
    }
    std::vector<std::string> files;
    if (!ReadSources(sources, files, err)) return sources.usage ? 2 : 1;
    cBatch batch;
    cBatch::cHooks hooks;
    hooks.Error = [&](const std::string& source, const cError& e) { PrintError(err, source, e); };
    hooks.Done = [&](const cBatch::cSource& record) { out << ManifestLines(record, false); };
    cBatch::cOptions o;
    o.jobs = jobs;
    o.write = false;
    o.digests = true;
    o.cursors = true;
    o.languages = true;
    return batch.Run(files, o, hooks) ? 0 : 1;
}

} // namespace

int List(const tArgs& given, std::ostream& out, std::ostream& err) {
    // --json among the options (before a "--") chooses the records and their options.
    const auto optionsEnd = std::find(given.begin(), given.end(), "--");
    if (std::find(given.begin(), optionsEnd, "--json") != optionsEnd) return ListJson(given, out, err);
    tArgs args;
    if (!Operands(given, "list", kListUsage, args, err)) return 2;
    if (args.empty()) {
        err << kListUsage;
        return 2;
    }
    int status = 0;
    for (const auto& arg : args) {
        std::vector<cFileIcon> icons;
        bool outOfMemory = false;
        // The file as given: whether it is an icon file is read from its name, or where the name
        // has no extension from its first bytes.
        const bool loaded = Guard(err, arg, [&] {
            try {
                mIconGroups::Load(arg, icons);
            } catch (const std::bad_alloc&) {
                outOfMemory = true;
                throw;
            } catch (const cError& e) {
                outOfMemory = e.Number() == cError::kOutOfMemory;
                throw;
            }
        });
        if (!loaded) {
            status = 1;
            // Out of memory lists the groups loaded whole before it; any other failure none.
            if (!outOfMemory) icons.clear();
        }
        const std::size_t count = icons.size();
        const auto cursors = static_cast<std::size_t>(
            std::count_if(icons.begin(), icons.end(), [](const cFileIcon& icon) { return icon.IsCursor(); }));
        out << Printable(arg) << ": " << count - cursors << (count - cursors == 1 ? " icon group" : " icon groups");
        if (cursors > 0) out << ", " << cursors << (cursors == 1 ? " cursor group" : " cursor groups");
        out << '\n';
        for (std::size_t i = 0; i < count; ++i) {
            const cFileIcon& icon = icons[i];
            const std::string label = icon.Label();
            const std::string name = label.empty() ? std::string("-") : Printable(label);
            out << i + 1 << '\t' << name << '\t';
            // A cursor is marked, and each of its images carries its hotspot.
            if (icon.IsCursor()) out << "cursor\t";
            out << icon.ImageCount();
            for (std::int32_t n = 1; n <= icon.ImageCount(); ++n) {
                out << (n == 1 ? "\t" : ", ") << icon.ImageWidth(n) << 'x' << icon.ImageHeight(n) << ' '
                    << icon.ImageColourCount(n);
                if (icon.IsCursor()) out << " hotspot " << icon.Hotspot(n).x << ',' << icon.Hotspot(n).y;
            }
            out << '\n';
        }
    }
    return status;
}

} // namespace mCli
