// pictrix-cli verify: an extraction's manifests checked against the files on disk. Every record
// that names an output must find a file there holding the bytes of its digest; every line must be
// a whole record. Names are taken from the records' `_bytes` members where a name is not UTF-8, so
// any name a file system allows is found. A manifest is untrusted: an output is read only inside
// the output folder (-o, else the manifest's own folder), so that no record makes verify say what
// a file elsewhere holds.

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "base/mJson.h"
#include "cli/mCli.h"
#include "cli/mCliRecords.h"
#include "platform/cReadFile.h"
#include "platform/mSysText.h"
#include "search/cBatch.h"

namespace mCli {

namespace {

constexpr std::string_view kVerifyUsage =
    "usage: pictrix-cli verify [-o DIR] [--sources LIST]... MANIFEST...\n"
    "  Checks that every output the manifests of pictrix-cli extract name holds the bytes their\n"
    "  records say, and that every line is a whole record. Exit 0 when all is true, 1 when\n"
    "  anything is not (a manifest without records included), 2 for bad usage.\n"
    "  -o DIR          the folder the extraction wrote into (its -o): outputs are read only there.\n"
    "                  Without it, only below the folder that holds each manifest.\n"
    "  --sources LIST  every file the list names (as extract --from reads it: one path a line, a\n"
    "                  .ier list, or - for standard input) must have been finished: its source\n"
    "                  record must be in one of the manifests\n";

// The path with links followed, or nothing when it cannot be resolved.
std::optional<std::string> Real(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    if (!real) return std::nullopt;
    return std::string(real.get());
}

bool Inside(const std::string& path, const std::string& folder) {
    if (folder == "/") return path.size() > 1 && path[0] == '/';
    return path.size() > folder.size() + 1 && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

std::string FolderOf(const std::string& file) {
    const std::size_t slash = file.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : file.substr(0, slash);
}

} // namespace

int Verify(const tArgs& args, std::ostream& out, std::ostream& err) {
    tArgs manifests;
    std::string folder;
    cSourceOptions lists;
    bool options = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (options && a == "--") {
            options = false;
        } else if (options && (a == "-o" || a == "--sources")) {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                err << "pictrix-cli verify: " << a << " needs " << (a == "-o" ? "a folder" : "a list") << '\n'
                    << kVerifyUsage;
                return 2;
            }
            (a == "-o" ? folder : lists.lists.emplace_back()) = args[++i];
        } else if (options && a.size() > 1 && a[0] == '-') {
            return UnknownOption(err, "verify", a, kVerifyUsage);
        } else {
            manifests.push_back(a);
        }
    }
    if (manifests.empty()) return err << kVerifyUsage, 2;
    std::optional<std::string> only;
    if (!folder.empty()) {
        only = Real(folder);
        if (!only) {
            err << "pictrix-cli: " << Printable(folder) << ": "
                << Printable(mSysText::TextLine(mSysText::kPathNotFound, folder)) << '\n';
            return 2;
        }
    }

    std::size_t checked = 0, wrong = 0;
    // An output named by several records (duplicates, reruns) is read once.
    std::unordered_map<std::string, std::string> digests;
    // The sources the manifests finished, when a list is to be checked against them.
    std::unordered_set<std::string> finished;
    for (const auto& manifest : manifests) {
        cReadFile file;
        const auto cannot = [&] {
            err << "pictrix-cli: " << Printable(manifest) << ": "
                << Printable(mSysText::TextLine(file.LastError(), manifest)) << '\n';
            ++wrong;
        };
        if (!file.Open(manifest)) {
            cannot();
            continue;
        }
        const std::optional<std::string> within = only ? only : Real(FolderOf(manifest));
        std::uint64_t number = 0;
        const bool read = file.EachLine(mJson::kMaxRecordBytes, [&](const cReadFile::cLine& line) {
            ++number;
            const auto said = [&](const std::string& what) {
                err << "pictrix-cli: " << Printable(manifest) << ":" << number << ": " << what << '\n';
                ++wrong;
                return true;
            };
            if (line.tooLong) return said("longer than 8 MiB, which no record is");
            const auto record = line.ended ? mJson::ParseObject(line.text) : std::nullopt;
            // Only the last line can lack its end: the write a run was killed in.
            if (!record)
                return said(line.ended
                                ? "not a record"
                                : "a record cut short (no line end): the run writing it was ended at once; a run "
                                  "that resumes this manifest cuts it off");
            if (!lists.lists.empty() && record->Find("groups")) {
                if (const auto source = PathOf(*record, "source")) finished.insert(*source);
            }
            const auto output = PathOf(*record, "output");
            if (!output || !record->Find("position")) return true;
            const auto sha = record->String("sha256");
            if (!sha || sha->size() != 64) return said("the record of " + Printable(*output) + " holds no digest");
            ++checked;
            auto it = digests.find(*output);
            std::uint32_t error = 0;
            if (it == digests.end()) {
                // Only a file inside the output folder is read, whatever links or ".." lead elsewhere.
                const auto real = Real(*output);
                if (!real) error = mSysText::FromErrno(errno, *output);
                if (real && (!within || !Inside(*real, *within))) {
                    return said(Printable(*output) + " lies outside " + Printable(within.value_or(FolderOf(manifest))) +
                                ", the only folder verify reads (give the extraction's folder with -o)");
                }
                it = digests.emplace(*output, real ? cBatch::FileSha256(*real, &error) : std::string()).first;
            }
            if (it->second.empty()) {
                return said(Printable(*output) + ": " +
                            (error ? Printable(mSysText::TextLine(error, *output)) : std::string("cannot be read")));
            }
            if (it->second != *sha) said(Printable(*output) + " holds other bytes than its record says");
            return true;
        });
        if (!read) {
            cannot();
        } else if (number == 0) {
            err << "pictrix-cli: " << Printable(manifest) << ": holds no records (the run it belongs to wrote none)\n";
            ++wrong;
        }
    }
    if (!lists.lists.empty()) {
        cSourceReader sources(lists, err);
        std::size_t missing = 0;
        for (std::string source; sources.Next(source);) {
            if (finished.count(source)) continue;
            // The first few by name; the rest counted.
            if (++missing <= 20) err << "pictrix-cli: " << Printable(source) << ": no manifest finished it\n";
            ++wrong;
        }
        if (missing > 20) err << "pictrix-cli: " << missing - 20 << " more sources of the list were not finished\n";
        if (sources.Failed()) ++wrong;
    }
    out << checked << (checked == 1 ? " output" : " outputs") << " checked, " << wrong
        << (wrong == 1 ? " problem" : " problems") << '\n';
    return wrong == 0 ? 0 : 1;
}

} // namespace mCli
