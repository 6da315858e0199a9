#pragma once
// mCliRecords: what pictrix-cli extract and list share at scale: the sources named on the command
// line, in list files and on standard input (read as the run goes), and the JSON Lines records of
// a run: one object per icon group, then one per source that was read or could not be (its
// `groups`, size and time: a source without it was not finished); reading such records back.

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/mJson.h"
#include "platform/cReadFile.h"
#include "search/cBatch.h"

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
};
// "--jobs N": 1 to 64.
bool ParseJobs(const std::string& text, int& jobs);

// The records of one source as JSON Lines. Without outputs (list --json) the groups carry no
// output, digest of it or status. A source the run finished ends in its own record.
std::string ManifestLines(const cBatch::cSource& source, bool outputs);
// A file's time of last write as the records give it: "2026-12-10T00:21:58.123456789Z" (UTC).
std::string Timestamp(std::int64_t ns);
// The source, output or other path of a record: the `NAME_bytes` member where the name is not
// UTF-8, else `NAME`.
std::optional<std::string> PathOf(const mJson::cValue& record, const std::string& name);
// Sources as `shard` K of N (0 <= K < N) take them: the first eight bytes of the SHA-256 of the
// path's bytes, as a big-endian number, modulo N, equal K.
bool InShard(const std::string& path, std::uint64_t k, std::uint64_t n);

// An earlier manifest, read for --resume: every source it finished (read, no failed group), with
// where its records lie and the output names it wrote.
class cEarlierManifest {
public:
    struct cEntry {
        std::uint64_t size = 0;
        std::string written; // Timestamp
        std::uint64_t offset = 0, length = 0; // its records' bytes in the manifest
        std::vector<std::string> outputs; // the file names of its outputs
    };
    // False, with a message, when the manifest cannot be read; a missing one holds nothing.
    bool Read(const std::string& path, std::ostream& err);
    const cEntry* Find(const std::string& source) const;
    // The end of its last finished source's records: what a manifest continued in place keeps.
    std::uint64_t End() const noexcept { return end_; }
    std::size_t Sources() const noexcept { return entries_.size(); }
    // Copies an entry's records (false when the manifest could not be read again).
    bool Records(const cEntry& entry, std::string& into);

private:
    std::unordered_map<std::string, cEntry> entries_;
    std::uint64_t end_ = 0;
    cReadFile file_;
};

} // namespace mCli
