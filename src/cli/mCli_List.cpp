// pictrix-cli list: the icon groups of files, each with its images.

#include <algorithm>
#include <thread>

#include "cli/mCli.h"
#include "cli/mCliRecords.h"
#include "search/cBatch.h"
#include "resources/mIconGroups.h"

namespace mCli {

namespace {

constexpr std::string_view kListUsage = "usage: pictrix-cli list [--json [--jobs N] [--from LIST] [-0]] FILE...\n";

// list --json [--jobs N] [--from LIST] [-0] FILE...: the records of an extraction's manifest
// without outputs, one line per group.
int ListJson(const tArgs& args, std::ostream& out, std::ostream& err) {
    cSourceOptions sources;
    int jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const std::vector<cOption> options = {
        {"--json", {}, {}},
        JobsOption(jobs),
        FromOption(sources),
        NulOption(sources),
    };
    if (!ParseOptions(args, "list", kListUsage, options, sources.files, err)) return 2;
    if (!cSourceReader::Check(sources, err)) return 2;
    cSourceReader reader(sources, err);
    cBatch batch;
    cBatch::cHooks hooks;
    hooks.Error = [&](const std::string& source, const cError& e) { PrintError(err, source, e); };
    hooks.Done = [&](const cBatch::cSource& record) { out << ManifestLines(record, false); };
    const bool ok = batch.Run([&reader](std::string& path) { return reader.Next(path); }, cBatch::Listing(jobs), hooks);
    return ok && !reader.Failed() ? 0 : 1;
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
        std::vector<mIconGroups::cFailure> failures;
        bool outOfMemory = false;
        // A group that cannot be read fails alone: it is listed as failed in its place, and the
        // groups around it are listed as read.
        mIconGroups::cHooks hooks;
        hooks.GroupFailed = [&](const mIconGroups::cFailure& failure) {
            failures.push_back(failure);
            return true;
        };
        // The file as given: what kind of file it is, is read from its name, or where the name
        // says nothing or another kind from its first bytes.
        const bool loaded = Guard(err, arg, [&] {
            try {
                mIconGroups::Load(arg, icons, hooks);
            } catch (const std::bad_alloc&) {
                outOfMemory = true;
                throw;
            } catch (const cError& e) {
                outOfMemory = e.Number() == cError::kOutOfMemory;
                throw;
            }
        });
        // Out of memory lists the groups loaded whole before it; any other failure none.
        if (!loaded && !outOfMemory) {
            icons.clear();
            failures.clear();
        }
        if (!loaded || !failures.empty()) status = 1;
        for (const auto& f : failures)
            PrintError(err,
                       arg + ": " + (f.group.kind == cFileIcon::eKind::kCursor ? "cursor" : "icon") + " group " +
                           mIconGroups::Label(f.group),
                       f.error);
        const std::size_t count = icons.size();
        const auto cursors = static_cast<std::size_t>(
            std::count_if(icons.begin(), icons.end(), [](const cFileIcon& icon) { return icon.IsCursor(); }));
        out << Printable(arg) << ": " << count - cursors << (count - cursors == 1 ? " icon group" : " icon groups");
        if (cursors > 0) out << ", " << cursors << (cursors == 1 ? " cursor group" : " cursor groups");
        if (!failures.empty()) out << ", " << failures.size() << " not read";
        out << '\n';
        // Each group in its place among every group of the file, read or not.
        std::size_t next = 0, failed = 0;
        for (std::size_t position = 1; next < count || failed < failures.size(); ++position) {
            if (failed < failures.size() && static_cast<std::size_t>(failures[failed].position) == position) {
                const mIconGroups::cFailure& f = failures[failed++];
                out << position << '\t' << Printable(mIconGroups::Label(f.group)) << '\t'
                    << (f.group.kind == cFileIcon::eKind::kCursor ? "cursor\t" : "") << "failed: " << ErrorText(f.error)
                    << '\n';
                continue;
            }
            const cFileIcon& icon = icons[next++];
            const std::string label = icon.Label();
            const std::string name = label.empty() ? std::string("-") : Printable(label);
            out << position << '\t' << name << '\t';
            // A cursor is marked, and each of its images carries its hotspot.
            if (icon.IsCursor()) out << "cursor\t";
            out << icon.ImageCount();
            for (std::int32_t n = 1; n <= icon.ImageCount(); ++n) {
                out << (n == 1 ? "\t" : ", ") << icon.ImageSizeText(n) << ' ' << icon.ImageBitDepth(n) << "-bit";
                if (icon.IsCursor()) out << " hotspot " << icon.Hotspot(n).x << ',' << icon.Hotspot(n).y;
            }
            out << '\n';
        }
    }
    return status;
}

} // namespace mCli
