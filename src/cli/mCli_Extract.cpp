// pictrix-cli extract: every icon group of files saved as .ico files into one folder, by the same
// code as the search window's Extract command, at the scale of whole collections: sources from
// lists and pipes, parallel loads, de-duplicated output, a manifest, progress on a terminal.

#include <chrono>
#include <cstdio>
#include <iostream>
#include <thread>
#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/mCli.h"
#include "cli/mCliRecords.h"
#include "platform/cStreamFile.h"
#include "platform/mSysText.h"
#include "search/cBatch.h"

namespace mCli {

namespace {

constexpr const char* kUsage = "usage: pictrix-cli extract [-o DIR] [--cursors] [--manifest FILE] [--dedupe] [--jobs "
                               "N] [--from LIST] [-0] [--quiet] "
                               "FILE...\n";

// One line redrawn in place on a terminal: files done of total, groups saved, speed, time left.
class cProgress {
public:
    cProgress(bool shown, std::size_t total) : shown_(shown), total_(total), start_(std::chrono::steady_clock::now()) {}
    void Step(std::size_t done, std::int32_t saved) {
        if (!shown_) return;
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0;
        char line[160];
        std::snprintf(line, sizeof line, "\r\033[K%zu/%zu files, %d groups saved, %.1f files/s, %.0f s left", done,
                      total_, saved, rate, rate > 0 ? static_cast<double>(total_ - done) / rate : 0.0);
        std::fputs(line, stderr);
        std::fflush(stderr);
    }
    void End() {
        if (shown_) std::fputs("\r\033[K", stderr);
    }
    bool Shown() const noexcept { return shown_; }

private:
    bool shown_;
    std::size_t total_;
    std::chrono::steady_clock::time_point start_;
};

} // namespace

int Extract(const tArgs& args, std::ostream& out, std::ostream& err) {
    cSourceOptions sources;
    std::string folder = ".", manifestPath;
    bool dedupe = false, quiet = false, cursors = false;
    int jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    bool options = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) return false;
            into = args[++i];
            return true;
        };
        std::string v;
        if (options && a == "--") {
            options = false;
        } else if (options && a == "-o") {
            if (!value(folder)) return err << kUsage, 2;
        } else if (options && a == "--manifest") {
            if (!value(manifestPath) || manifestPath.empty()) return err << kUsage, 2;
        } else if (options && a == "--dedupe") {
            dedupe = true;
        } else if (options && a == "--cursors") {
            cursors = true;
        } else if (options && a == "--quiet") {
            quiet = true;
        } else if (options && a == "--jobs") {
            if (!value(v) || !ParseJobs(v, jobs)) return err << kUsage, 2;
        } else if (options && (a == "--from" || a == "-0")) {
            if (a == "-0")
                sources.nulSeparated = true;
            else if (!value(v))
                return err << kUsage, 2;
            else
                sources.lists.push_back(v);
        } else if (options && a.size() > 1 && a[0] == '-') {
            return UnknownOption(err, "extract", a, kUsage);
        } else {
            sources.files.push_back(a);
        }
    }
    std::vector<std::string> files;
    if (!ReadSources(sources, files, err)) return sources.usage ? (err << kUsage, 2) : 1;
    if (files.empty() || folder.empty()) return err << kUsage, 2;
    // A manifest written over one of the sources or the list would destroy what it describes (a
    // shell glob can do this by accident): refused before anything is written.
    if (!manifestPath.empty() && manifestPath != "-") {
        struct stat m {};
        if (::stat(manifestPath.c_str(), &m) == 0) {
            const auto same = [&m](const std::string& path) {
                struct stat st {};
                return path != "-" && ::stat(path.c_str(), &st) == 0 && st.st_dev == m.st_dev && st.st_ino == m.st_ino;
            };
            const auto hit = std::find_if(files.begin(), files.end(), same);
            const auto list = std::find_if(sources.lists.begin(), sources.lists.end(), same);
            if (hit != files.end() || list != sources.lists.end()) {
                err << "pictrix-cli: " << Printable(manifestPath) << ": the manifest would overwrite "
                    << (hit != files.end() ? "one of the files to extract from" : "the list of files to extract from")
                    << "; name another file\n";
                return 2;
            }
        }
    }

    // The manifest: standard output, or a file the user named, written record by record.
    cStreamFile manifestFile;
    const bool manifestOut = manifestPath == "-";
    if (!manifestPath.empty() && !manifestOut && !manifestFile.Open(manifestPath)) {
        err << "pictrix-cli: " << Printable(manifestPath)
            << ": cannot write the manifest: " << Printable(mSysText::TextLine(manifestFile.LastError(), manifestPath))
            << '\n';
        return 1;
    }
    std::ostream& said = manifestOut ? err : out; // what is not the manifest
    bool manifestFailed = false;

    cProgress progress(!quiet && ::isatty(STDERR_FILENO) == 1, files.size());
    std::size_t done = 0;
    cBatch batch;
    cBatch::cHooks hooks;
    hooks.Status = [&](const std::string&, const std::string& text) {
        if (quiet) return;
        std::string_view line = text;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
        if (!line.empty() && !progress.Shown()) said << Printable(line) << '\n';
    };
    hooks.Error = [&](const std::string& source, const cError& e) { PrintError(err, source, e); };
    hooks.Renamed = [&](const std::string& source, const std::string& wanted, const std::string& used,
                        mExtract::eRename why) {
        err << "pictrix-cli: " << Printable(source) << ": " << Printable(wanted) << ' ' << mExtract::RenameReason(why)
            << "; saved as " << Printable(used) << '\n';
    };
    hooks.Shortened = [&](const std::string& source, const std::string& wanted, const std::string& used) {
        err << "pictrix-cli: " << Printable(source) << ": " << Printable(wanted)
            << " is too long for a file name; saved as " << Printable(used) << '\n';
    };
    hooks.Done = [&](const cBatch::cSource& record) {
        if (!manifestPath.empty()) {
            const std::string lines = ManifestLines(record, true);
            if (manifestOut) {
                out << lines;
                out.flush();
            } else if (!manifestFailed && !manifestFile.Write(lines.data(), lines.size())) {
                manifestFailed = true;
                err << "pictrix-cli: " << Printable(manifestPath) << ": cannot write the manifest: "
                    << Printable(mSysText::TextLine(manifestFile.LastError(), manifestPath)) << '\n';
            }
        }
        progress.Step(++done, batch.IconsSaved());
    };

    cBatch::cOptions o;
    o.folder = folder;
    o.jobs = jobs;
    o.dedupe = dedupe;
    o.cursors = cursors;
    // Every language of a group stored in several is saved, each with its language in its name.
    o.languages = true;
    o.digests = !manifestPath.empty();
    o.hashes = !manifestPath.empty();
    const bool ok = batch.Run(files, o, hooks);
    progress.End();
    if (!manifestPath.empty() && !manifestOut && !manifestFile.Commit() && !manifestFailed) {
        manifestFailed = true;
        err << "pictrix-cli: " << Printable(manifestPath) << ": cannot write the manifest\n";
    }
    said << batch.TotalText() << '\n';
    return ok && !manifestFailed ? 0 : 1;
}

} // namespace mCli
