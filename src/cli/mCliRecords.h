#pragma once
// mCliRecords: what pictrix-cli extract and list share at scale: the sources named on the command
// line, in list files and on standard input (read as the run goes), and the JSON Lines records of
// a run: one object per icon group, then one per source that was read or could not be (its
// `groups`, size and time: a source without it was not finished); reading such records back.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/mJson.h"
#include "cli/mCli.h"
#include "platform/cReadFile.h"
#include "platform/cStreamFile.h"
#include "search/mBatchRecord.h"

namespace mCli {

struct cSourceOptions {
    std::vector<std::string> files; // named as arguments
    std::vector<std::string> lists; // --from: a list file (.ier or plain lines) or "-"
    bool nulSeparated = false; // -0: standard input holds names ended by NUL bytes
    bool usage = false; // set when the options do not fit together
};

// The sources in order: the arguments, then each list's entries, each list read a piece at a
// time as the sources are asked for.
class cSplitter;
class cSourceReader {
public:
    cSourceReader(const cSourceOptions& options, std::ostream& err);
    ~cSourceReader();
    // False, with a message and `usage` set, when the options do not fit together (-0 without
    // --from -).
    static bool Check(cSourceOptions& options, std::ostream& err);
    // The next source; false at the end, or when a list could not be read (said, and Failed()).
    bool Next(std::string& path);
    bool Failed() const noexcept { return failed_; }
    // Asked while standard input has nothing to read yet: false ends the sources there (a run
    // stopped by a signal does not wait for the next name).
    void KeepGoing(std::function<bool()> keepGoing) { keepGoing_ = std::move(keepGoing); }

private:
    bool Refill();
    const cSourceOptions& o_;
    std::ostream& err_;
    std::size_t file_ = 0, list_ = 0;
    bool stdinUsed_ = false, failed_ = false;
    std::unique_ptr<cReadFile> open_; // the list being read
    std::uint64_t offset_ = 0;
    std::unique_ptr<cSplitter> splitter_;
    std::deque<std::string> pending_;
    std::function<bool()> keepGoing_;
};
// "--jobs N": 1 to 64.
bool ParseJobs(const std::string& text, int& jobs);
// The options every command over many sources takes, each the same way everywhere (ParseOptions):
// --jobs N, --from LIST, -0.
cOption JobsOption(int& jobs);
cOption FromOption(cSourceOptions& sources);
cOption NulOption(cSourceOptions& sources);

// The records of one source as JSON Lines. Without outputs (list --json) the groups carry no
// output, digest of it or status. A source the run finished ends in its own record.
std::string ManifestLines(const mBatchRecord::cSource& source, bool outputs);
// A file's time of last write as the records give it: "2026-12-10T00:21:58.123456789Z" (UTC).
std::string Timestamp(std::int64_t ns);
// The source, output or other path of a record: the `NAME_bytes` member where the name is not
// UTF-8, else `NAME`.
std::optional<std::string> PathOf(const mJson::cValue& record, const std::string& name);
// Sources as `shard` K of N (0 <= K < N) take them: the first eight bytes of the SHA-256 of the
// path's bytes, as a big-endian number, modulo N, equal K.
bool InShard(const std::string& path, std::uint64_t k, std::uint64_t n);

// An earlier manifest, read for --resume: every source it holds records of, with where they lie,
// whether it was finished (read or failed, as many group records as its `groups`), its size and
// time. Lines that are no records are counted and reported.
//
// Kept compactly, for manifests of millions of records: a record is scanned for the few fields a
// resume needs (no tree of values), and each source is known by a 64-bit hash of its path with its
// numbers, about 40 bytes; its path and outputs are read back from the manifest when asked for
// (Outputs), which also tells a source from another of the same hash.
class cEarlierManifest {
public:
    struct cRange {
        std::uint64_t offset = 0, length = 0;
    };
    struct cEntry {
        std::uint64_t key = 0; // the hash of its path
        std::uint64_t offset = 0; // its last finished records (or its last lines, unfinished)
        std::uint32_t length = 0;
        bool finished = false; // its last records end in its own record, whole
        bool read = false; // finished, read, no group failed, size and time known: what a resume may pass over
        bool scattered = false; // its lines lie in more than one place (see extra_)
        bool dropped = false;
        std::uint64_t size = 0;
        std::int64_t written = 0; // ns since 1970
    };
    // False, with a message, when the manifest cannot be read; a missing one holds nothing.
    // `each`, when given, is told the path of every source the manifest finished.
    bool Read(const std::string& path, std::ostream& err, const std::function<void(const std::string&)>& each = {});
    const cEntry* Find(const std::string& source) const;
    // The output paths of the entry's records (and with `digests`, each one's sha256), read back
    // from the manifest; false when they are not `source`'s (another path of the same hash) or
    // cannot be read.
    bool Outputs(const cEntry& entry, const std::string& source, std::vector<std::string>& outputs,
                 std::vector<std::string>* digests = nullptr);
    // The end of its last finished source's records: what a manifest continued in place keeps.
    std::uint64_t End() const noexcept { return end_; }
    std::size_t Sources() const noexcept { return entries_.size(); }
    // Lines that are no whole records of a source.
    std::size_t Damaged() const noexcept { return damaged_; }
    // Copies an entry's records (false when the manifest could not be read again).
    bool Records(const cEntry& entry, std::string& into);
    // The manifest continued in place at `path`, which `out` goes on writing, without any line of
    // `sources` (those this run reads again) nor any line that is no record: written anew beside
    // itself and renamed over it, so that it holds either every record it held or all but theirs,
    // never less. `out` then goes on writing the new file. False, with the system's reason in
    // `error`, when it could not be done; the manifest is then as it was. The sources are
    // forgotten (Find no longer knows them).
    bool Drop(const std::vector<std::string>& sources, const std::string& path, cStreamFile& out, std::uint32_t& error);
    // The hash a source is known by.
    static std::uint64_t KeyOf(std::string_view source) noexcept;

private:
    cEntry* At(std::uint64_t key);
    std::vector<cEntry> entries_; // by key
    std::unordered_map<std::uint64_t, std::vector<cRange>> extra_; // every place of a scattered source's lines
    std::vector<cRange> dropped_; // what Drop left out of the first End() bytes so far, in order
    std::vector<cRange> broken_; // lines that are no records, which the next Drop leaves out
    std::uint64_t end_ = 0;
    std::size_t damaged_ = 0;
    cReadFile file_; // the manifest as it was read (kept open: a rewritten one replaces its name only)
};

} // namespace mCli
