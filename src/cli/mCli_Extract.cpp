// pictrix-cli extract: every icon group of files saved as .ico files into one folder, by the same
// code as the search window's Extract command, at the scale of whole collections: sources from
// lists and pipes, parallel loads, de-duplicated output, a manifest, progress on a terminal.

#include <array>
#include <atomic>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <sstream>
#include <thread>
#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/mCli.h"
#include "cli/mCliRecords.h"
#include "platform/cReadFile.h"
#include "platform/cStreamFile.h"
#include "platform/mFileAt.h"
#include "platform/mSysText.h"
#include "search/cBatch.h"

namespace mCli {

namespace {

constexpr const char* kUsage = "usage: pictrix-cli extract [-o DIR] [--cursors] [--manifest FILE] [--resume MANIFEST] "
                               "[--names source|content] [--shard K/N] [--dedupe] [--jobs N] [--from LIST] [-0] "
                               "[--quiet] FILE...\n";

// What --help adds to the usage: every option.
constexpr const char* kHelp =
    "Saves every icon group of the files (and lists) as .ico files in DIR. A file that starts as no icon file,\n"
    "cursor or module is read with 0 groups; a file that cannot be read or a damaged container fails.\n"
    "\n"
    "  -o DIR               the output folder (default: the current one); it must exist\n"
    "  --cursors            also every cursor group of modules, saved as .cur files\n"
    "  --manifest FILE      one JSON record per group, then one per finished source, as the run goes\n"
    "                       (- for standard output); one run at a time writes a manifest\n"
    "  --resume MANIFEST    pass over the sources MANIFEST finished whose path, size and time are unchanged\n"
    "                       and whose files are still in DIR; read the rest again. With the manifest\n"
    "                       itself, it is continued in place and the records of sources read again dropped\n"
    "  --names source|content\n"
    "                       outputs named after their source (default) or after the SHA-256 of their\n"
    "                       bytes, ab/abcdef....ico, which runs in parallel may share\n"
    "  --shard K/N          keep only the sources of shard K of N (by the SHA-256 of each path)\n"
    "  --dedupe             write a group whose bytes equal a file this run wrote only once\n"
    "  --jobs N             load N sources at a time, 1 to 64 (default: the number of cores)\n"
    "  --from LIST          take the sources from a list file (.ier or lines), - for standard input\n"
    "  -0                   with --from -, names on standard input end with NUL bytes\n"
    "  --quiet              no status lines and no progress line\n"
    "  -h, --help           this text\n"
    "\n"
    "Exit status: 0 when every source was read and every group written, 1 when a source or a group\n"
    "failed, 2 for bad usage or a refused folder or manifest, 128 + N when stopped by signal N.\n";

// One line redrawn in place on a terminal: files done, groups saved, speed. (The sources are read
// as the run goes, so their number is not known before the end.)
class cProgress {
public:
    explicit cProgress(bool shown) : shown_(shown), start_(std::chrono::steady_clock::now()) {}
    void Step(std::size_t done, std::int32_t saved) {
        if (!shown_) return;
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0;
        char line[160];
        std::snprintf(line, sizeof line, "\r\033[K%zu %s, %d groups saved, %.1f files/s", done,
                      done == 1 ? "file" : "files", saved, rate);
        std::fputs(line, stderr);
        std::fflush(stderr);
        drawn_ = true;
    }
    // Takes the line away, so that a message starts a line of its own (the next Step draws it
    // again under the message).
    void Clear() {
        if (!drawn_) return;
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        drawn_ = false;
    }
    void End() { Clear(); }
    bool Shown() const noexcept { return shown_; }

private:
    bool shown_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_;
};

// Signals that end a run: the run stops after the group it is writing, puts what waits in place,
// ends the manifest on a whole record, prints the total and exits 128 + the signal's number. A
// second SIGINT, SIGTERM or SIGHUP ends the process at once (the next run removes what it leaves).
std::atomic<int> gSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnStopSignal(int n) { gSignal.store(n); }

class cStopSignals {
public:
    cStopSignals() {
        gSignal.store(0);
        for (std::size_t i = 0; i < kSignals.size(); ++i) {
            struct sigaction sa {};
            sa.sa_handler = OnStopSignal;
            sigemptyset(&sa.sa_mask);
            sa.sa_flags = SA_RESTART | (kSignals[i] == SIGPIPE ? 0 : SA_RESETHAND);
            ::sigaction(kSignals[i], &sa, &old_[i]);
        }
    }
    ~cStopSignals() {
        for (std::size_t i = 0; i < kSignals.size(); ++i) ::sigaction(kSignals[i], &old_[i], nullptr);
    }
    cStopSignals(const cStopSignals&) = delete;
    cStopSignals& operator=(const cStopSignals&) = delete;

private:
    static constexpr std::array<int, 4> kSignals{SIGINT, SIGTERM, SIGHUP, SIGPIPE};
    std::array<struct sigaction, 4> old_{};
};

// "K/N" with 0 <= K < N.
bool ParseShard(const std::string& text, std::uint64_t& k, std::uint64_t& n) {
    const auto slash = text.find('/');
    if (slash == std::string::npos) return false;
    const char* begin = text.data();
    const char* end = begin + text.size();
    const auto a = std::from_chars(begin, begin + slash, k);
    const auto b = std::from_chars(begin + slash + 1, end, n);
    return a.ec == std::errc() && a.ptr == begin + slash && b.ec == std::errc() && b.ptr == end && n >= 1 &&
           n <= 1'000'000 && k < n;
}

// True for an empty file or one that starts as every record does.
bool StartsAsManifest(const std::string& path) {
    static constexpr std::string_view kStart = "{\"source\":";
    cReadFile file;
    // One that cannot be read is left to the writer's own checks.
    if (!file.Open(path)) return true;
    std::array<char, kStart.size()> head{};
    const std::size_t got = file.ReadAt(0, head.data(), head.size());
    return file.LastError() == 0 && (file.Size() == 0 || std::string_view(head.data(), got) == kStart);
}

bool SameFile(const std::string& a, const mFileAt::cIdentity& b) {
    mFileAt::cIdentity id;
    return a != "-" && mFileAt::Follow(a, id) && id.SameFile(b);
}

} // namespace

int Extract(const tArgs& args, std::ostream& out, std::ostream& err) {
    cSourceOptions sources;
    std::string folder = ".", manifestPath, resumePath, names = "source";
    bool dedupe = false, quiet = false, cursors = false;
    std::uint64_t shardK = 0, shardN = 1;
    int jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    if (args.size() == 1 && (args[0] == "-h" || args[0] == "--help")) {
        out << kUsage << '\n' << kHelp;
        return 0;
    }
    const auto flag = [](bool& into) { return [&into](const std::string&) { return into = true; }; };
    const auto value = [](std::string& into, bool (*fits)(const std::string&)) {
        return [&into, fits](const std::string& v) {
            into = v;
            return fits(v);
        };
    };
    const auto any = [](const std::string&) { return true; };
    const auto given = [](const std::string& v) { return !v.empty(); };
    const std::vector<cOption> options = {
        {"-o", "a folder", value(folder, any)},
        {"--manifest", "a file, or - for standard output", value(manifestPath, given)},
        {"--resume", "a manifest file", value(resumePath, [](const std::string& v) { return !v.empty() && v != "-"; })},
        {"--names", "source or content",
         value(names, [](const std::string& v) { return v == "source" || v == "content"; })},
        {"--shard", "K/N, 0 <= K < N", [&](const std::string& v) { return ParseShard(v, shardK, shardN); }},
        {"--dedupe", {}, flag(dedupe)},
        {"--cursors", {}, flag(cursors)},
        {"--quiet", {}, flag(quiet)},
        JobsOption(jobs),
        FromOption(sources),
        NulOption(sources),
    };
    if (!ParseOptions(args, "extract", kUsage, options, sources.files, err)) return 2;
    if (!cSourceReader::Check(sources, err)) return err << kUsage, 2;
    if ((sources.files.empty() && sources.lists.empty()) || folder.empty()) return err << kUsage, 2;
    const bool manifestOut = manifestPath == "-";
    if (!resumePath.empty() && manifestPath.empty()) {
        err << "pictrix-cli: --resume carries an earlier manifest's records into a new one: add --manifest\n";
        return 2;
    }
    // A manifest written over one of the sources or the list would destroy what it describes (a
    // shell glob can do this by accident): refused before anything is written. A source read from
    // a list that turns out to be the manifest is passed over.
    mFileAt::cIdentity manifestId;
    const bool manifestExists = !manifestPath.empty() && !manifestOut && mFileAt::Follow(manifestPath, manifestId);
    if (manifestExists) {
        const auto same = [&](const std::string& path) { return SameFile(path, manifestId); };
        const bool source = std::any_of(sources.files.begin(), sources.files.end(), same);
        if (source || std::any_of(sources.lists.begin(), sources.lists.end(), same)) {
            err << "pictrix-cli: " << Printable(manifestPath) << ": the manifest would overwrite "
                << (source ? "one of the files to extract from" : "the list of files to extract from")
                << "; name another file\n";
            return 2;
        }
    }

    if (manifestExists && !StartsAsManifest(manifestPath)) {
        // Something that holds bytes and is no manifest (a module a list names, a document): never
        // cut, whatever else the run is given.
        err << "pictrix-cli: " << Printable(manifestPath)
            << ": the manifest would overwrite a file that is not a manifest; name another file\n";
        return 2;
    }

    cBatch batch;
    cBatch::cOptions o;
    o.folder = folder;
    o.jobs = jobs;
    o.dedupe = dedupe;
    o.cursors = cursors;
    // Every language of a group stored in several is saved, each with its language in its name.
    o.languages = true;
    o.digests = !manifestPath.empty();
    o.hashes = !manifestPath.empty();
    o.contentNames = names == "content";
    // Runs with names of their sources' would replace each other's files: one at a time.
    o.lock = true;
    cBatch::cHooks hooks;
    cProgress progress(!quiet && ::isatty(STDERR_FILENO) == 1);
    hooks.Error = [&](const std::string& source, const cError& e) {
        progress.Clear();
        PrintError(err, source, e);
    };
    if (!batch.Begin(o, hooks, sources.files)) return 2;
    if (const std::uint32_t why = batch.Unlocked()) {
        err << "pictrix-cli: " << Printable(folder) << ": the file system gives no lock ("
            << Printable(mSysText::TextLine(why, folder))
            << "): nothing keeps another run from writing into this folder at the same time\n";
    }

    // Sources known before they come are protected from the start: those of list files (read once
    // ahead for it; a pipe or standard input is not, its sources are protected as they are taken)
    // and those the resumed manifest finished. No output then takes the name of a source of this
    // run that lies in the folder, however far down its list, whatever the number of jobs.
    {
        cSourceOptions ahead;
        for (const auto& list : sources.lists) {
            struct stat st {};
            if (list != "-" && ::stat(list.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ahead.lists.push_back(list);
        }
        if (!ahead.lists.empty()) {
            std::ostringstream unsaid; // the run reads the lists again and says what is wrong with them
            cSourceReader reader(ahead, unsaid);
            for (std::string path; reader.Next(path);) batch.Protect(path);
        }
    }
    const auto protect = [&batch](const std::string& path) { batch.Protect(path); };

    // An earlier manifest to resume from: continued in place when it is the manifest itself, which
    // is then held (locked) before it is read, so that no other run writes it meanwhile.
    cEarlierManifest earlier;
    mFileAt::cIdentity resumeId;
    const bool resuming = !resumePath.empty();
    const bool inPlace =
        resuming && manifestExists && mFileAt::Follow(resumePath, resumeId) && resumeId.SameFile(manifestId);
    // The manifest: standard output, or a file the user named, written record by record.
    cStreamFile manifestFile;
    const auto refused = [&] {
        if (manifestFile.LastError() == mSysText::kSharingViolation)
            err << "pictrix-cli: " << Printable(manifestPath)
                << ": another run is writing this manifest; wait for it to end, or name another manifest\n";
        else
            err << "pictrix-cli: " << Printable(manifestPath) << ": cannot write the manifest: "
                << Printable(mSysText::TextLine(manifestFile.LastError(), manifestPath)) << '\n';
        return 2;
    };
    if (inPlace) {
        if (!manifestFile.Hold(manifestPath)) return refused();
        if (!earlier.Read(resumePath, err, protect)) return 2;
        if (!manifestFile.Keep(earlier.End())) return refused();
        std::uint32_t error = 0;
        if (earlier.Damaged() > 0 && !earlier.Drop({}, manifestPath, manifestFile, error)) {
            err << "pictrix-cli: " << Printable(manifestPath)
                << ": cannot write the manifest: " << Printable(mSysText::TextLine(error, manifestPath)) << '\n';
            return 1;
        }
    } else {
        if (resuming && !earlier.Read(resumePath, err, protect)) return 2;
        if (!manifestPath.empty() && !manifestOut && !manifestFile.Open(manifestPath)) return refused();
    }
    if (const std::uint32_t why = manifestFile.Unlocked()) {
        err << "pictrix-cli: " << Printable(manifestPath) << ": the file system gives no lock ("
            << Printable(mSysText::TextLine(why, manifestPath))
            << "): nothing keeps another run from writing this manifest at the same time\n";
    }
    if (manifestFile.LastError() == 0 && !manifestOut && !manifestPath.empty())
        mFileAt::Follow(manifestPath, manifestId);
    std::ostream& said = manifestOut ? err : out; // what is not the manifest
    // Set by the committer, read by every loader (KeepGoing).
    std::atomic<bool> manifestFailed{false};

    cStopSignals signals;
    cSourceReader reader(sources, err);
    const auto next = [&](std::string& path) {
        while (reader.Next(path)) {
            if (!InShard(path, shardK, shardN)) continue;
            // The manifest, found among the sources of a list: not a file of the collection.
            if (!manifestPath.empty() && !manifestOut && SameFile(path, manifestId)) continue;
            return true;
        }
        return false;
    };
    std::size_t done = 0, passed = 0;
    hooks.KeepGoing = [&] { return gSignal.load() == 0 && !manifestFailed; };
    // While standard input has nothing to give, the records held for the flush go out, and a stop
    // is seen.
    reader.KeepGoing([&] {
        batch.WaitingForInput();
        return hooks.KeepGoing();
    });
    hooks.Status = [&](const std::string&, const std::string& text) {
        if (quiet) return;
        std::string_view line = text;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
        if (!line.empty() && !progress.Shown()) said << Printable(line) << '\n';
    };
    hooks.Renamed = [&](const std::string& source, const std::string& wanted, const std::string& used,
                        mExtract::eRename why) {
        progress.Clear();
        err << "pictrix-cli: " << Printable(source) << ": " << Printable(wanted) << ' ' << mExtract::RenameReason(why)
            << "; saved as " << Printable(used) << '\n';
    };
    hooks.Shortened = [&](const std::string& source, const std::string& wanted, const std::string& used) {
        progress.Clear();
        err << "pictrix-cli: " << Printable(source) << ": " << Printable(wanted)
            << " is too long for a file name; saved as " << Printable(used) << '\n';
    };
    // Resuming: a source the earlier manifest finished is passed over while its path, size and time
    // of last write are those recorded and every file its records name is still in this run's
    // folder; any other source it holds records of is read again, and when the manifest is
    // continued in place, its records are dropped before anything of it is written.
    std::mutex earlierLock; // PassOver asks from every loader, Superseding drops on the committer
    std::vector<std::string> superseded;
    if (resuming) {
        std::string prefix = mExtract::TargetFolderOf(folder);
        if (prefix.back() != '/') prefix += '/';
        hooks.PassOver = [&, prefix](const cBatch::cSource& found, std::vector<std::string>& outputs) {
            using ePass = cBatch::cHooks::ePass;
            std::lock_guard lock(earlierLock);
            const cEarlierManifest::cEntry* e = earlier.Find(found.path);
            std::vector<std::string> named;
            if (!e || !earlier.Outputs(*e, found.path, named)) return ePass::kRead;
            bool trusted = e->read;
            for (const auto& output : named) {
                struct stat st {};
                if (output.size() <= prefix.size() || output.compare(0, prefix.size(), prefix) != 0 ||
                    ::stat(output.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
                    trusted = false;
                    continue;
                }
                const std::string name = output.substr(prefix.size());
                if (!o.contentNames && name.find('/') == std::string::npos) outputs.push_back(name);
            }
            if (trusted && found.stat.known && e->size == found.stat.size && e->written == found.stat.written)
                return ePass::kPassOver;
            if (inPlace) superseded.push_back(found.path);
            return ePass::kSupersede;
        };
        hooks.Superseding = [&](const cBatch::cSource&) {
            if (!inPlace || manifestFailed) return;
            std::lock_guard lock(earlierLock);
            std::uint32_t error = 0;
            if (!earlier.Drop(superseded, manifestPath, manifestFile, error)) {
                manifestFailed = true;
                progress.Clear();
                err << "pictrix-cli: " << Printable(manifestPath)
                    << ": cannot write the manifest: " << Printable(mSysText::TextLine(error, manifestPath))
                    << "; the run stops, its last record is whole\n";
            }
            superseded.clear();
        };
    }
    const auto write = [&](const std::string& lines) {
        if (manifestPath.empty() || manifestFailed) return;
        if (manifestOut) {
            out << lines;
            out.flush();
            manifestFailed = !out.good();
        } else if (!manifestFile.WriteWhole(std::span<const std::uint8_t>(
                       reinterpret_cast<const std::uint8_t*>(lines.data()), lines.size()))) {
            manifestFailed = true;
            progress.Clear();
            err << "pictrix-cli: " << Printable(manifestPath) << ": cannot write the manifest: "
                << Printable(mSysText::TextLine(manifestFile.LastError(), manifestPath))
                << "; the run stops, its last record is whole\n";
        }
    };
    hooks.Done = [&](const cBatch::cSource& record) {
        if (record.passedOver) {
            ++passed;
            // Its files count for --dedupe as this run's.
            if (dedupe && !o.contentNames) {
                std::lock_guard lock(earlierLock);
                std::vector<std::string> outputs, digests;
                const cEarlierManifest::cEntry* e = earlier.Find(record.path);
                if (e && earlier.Outputs(*e, record.path, outputs, &digests))
                    for (std::size_t i = 0; i < outputs.size(); ++i) batch.Keep(digests[i], outputs[i]);
            }
            // Its records, as the earlier run wrote them; already there when continuing in place.
            std::string lines;
            if (!inPlace && (!manifestPath.empty()) && !earlier.Records(*earlier.Find(record.path), lines)) {
                manifestFailed = true;
                progress.Clear();
                err << "pictrix-cli: " << Printable(resumePath)
                    << ": the manifest to resume from could not be read again\n";
            }
            if (!inPlace) write(lines);
        } else {
            write(ManifestLines(record, true));
        }
        progress.Step(++done, batch.IconsSaved());
    };

    const bool ok = batch.Run(next, o, hooks);
    progress.End();
    if (!manifestPath.empty() && !manifestOut && !manifestFile.Commit() && !manifestFailed) {
        manifestFailed = true;
        err << "pictrix-cli: " << Printable(manifestPath) << ": cannot write the manifest\n";
    }
    std::string totalText = batch.TotalText();
    if (passed > 0)
        totalText += "; " + std::to_string(passed) + (passed == 1 ? " file was" : " files were") +
                     " passed over, finished by the run resumed";
    said << totalText << '\n';
    if (const int n = gSignal.load()) {
        err << "pictrix-cli: stopped by signal " << n << "; the manifest ends with the last file finished\n";
        err.flush();
        return 128 + n;
    }
    return ok && !manifestFailed && !reader.Failed() ? 0 : 1;
}

} // namespace mCli
