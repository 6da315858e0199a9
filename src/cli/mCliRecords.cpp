#include "cli/mCliRecords.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <unistd.h>

#include "cli/mCli.h"
#include "base/mJson.h"
#include "base/mSha256.h"
#include "platform/cReplaceFile.h"
#include "platform/mSysText.h"
#include "icon/mDHash.h"
#include "search/mListFile.h"

namespace mCli {

// A list's bytes split into entries: lines (as list files are read), or names ended by NUL bytes.
class cSplitter {
public:
    cSplitter(bool nul, std::deque<std::string>& out)
        : nul_(nul), out_(out), lines_([this](std::string&& e) {
              out_.push_back(std::move(e));
              return true;
          }) {}
    bool Feed(std::span<const std::uint8_t> bytes) {
        if (!nul_) return lines_.Feed(bytes);
        for (std::uint8_t b : bytes) {
            if (b != 0) {
                if (entry_.size() >= mListFile::kMaxLineBytes) return false;
                entry_ += static_cast<char>(b);
            } else if (!entry_.empty()) {
                out_.push_back(std::move(entry_));
                entry_.clear();
            }
        }
        return true;
    }
    void Finish() {
        if (!nul_) {
            lines_.Finish();
        } else if (!entry_.empty()) {
            out_.push_back(std::move(entry_));
            entry_.clear();
        }
    }

private:
    bool nul_;
    std::deque<std::string>& out_;
    mListFile::cLineReader lines_;
    std::string entry_;
};

namespace {

std::string Id(const cResourceID& id) {
    if (IsNumber(id)) return std::to_string(std::get<std::int32_t>(id));
    if (IsName(id)) return mJson::String(std::get<std::string>(id));
    return "null";
}

std::string OrNull(const std::string& text) { return text.empty() ? "null" : mJson::String(text); }

// The fields every record of a source starts with.
std::string SourceFields(const cBatch::cSource& s) {
    std::string out = "{\"source\":" + mJson::String(s.path);
    if (!mJson::IsUtf8(s.path)) out += ",\"source_bytes\":" + mJson::String(mJson::Base64(s.path));
    out += ",\"source_sha256\":" + OrNull(s.sha256);
    return out;
}

} // namespace

bool ParseJobs(const std::string& text, int& jobs) {
    int n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || end != text.data() + text.size() || n < 1 || n > 64) return false;
    jobs = n;
    return true;
}

cSourceReader::cSourceReader(const cSourceOptions& options, std::ostream& err) : o_(options), err_(err) {}
cSourceReader::~cSourceReader() = default;

bool cSourceReader::Check(cSourceOptions& options, std::ostream& err) {
    if (options.nulSeparated && std::find(options.lists.begin(), options.lists.end(), "-") == options.lists.end()) {
        err << "pictrix-cli: -0 reads names from standard input: add --from -\n";
        options.usage = true;
        return false;
    }
    return true;
}

bool cSourceReader::Next(std::string& path) {
    if (file_ < o_.files.size()) {
        path = o_.files[file_++];
        return true;
    }
    while (pending_.empty()) {
        if (failed_ || !Refill()) return false;
    }
    path = std::move(pending_.front());
    pending_.pop_front();
    return true;
}

// The next piece of the lists: false when they are all read (or one failed).
bool cSourceReader::Refill() {
    std::array<std::uint8_t, 1 << 16> chunk;
    while (list_ < o_.lists.size()) {
        const std::string& list = o_.lists[list_];
        const bool standardInput = list == "-";
        if (!splitter_) {
            // Standard input is read once, whatever the number of "--from -".
            if (standardInput && stdinUsed_) {
                ++list_;
                continue;
            }
            if (standardInput) {
                stdinUsed_ = true;
            } else {
                open_ = std::make_unique<cReadFile>();
                if (!open_->Open(list)) {
                    PrintError(
                        err_, list,
                        cError(cError::kPathFileAccess, "pictrix-cli", mSysText::TextLine(open_->LastError(), list)));
                    failed_ = true;
                    return false;
                }
            }
            offset_ = 0;
            splitter_ = std::make_unique<cSplitter>(standardInput && o_.nulSeparated, pending_);
        }
        std::size_t got = 0;
        std::uint32_t error = 0;
        if (standardInput) {
            ssize_t n = 0;
            do n = ::read(STDIN_FILENO, chunk.data(), chunk.size());
            while (n < 0 && errno == EINTR);
            if (n < 0) error = mSysText::FromErrno(errno);
            got = n > 0 ? static_cast<std::size_t>(n) : 0;
        } else {
            got = open_->ReadAt(offset_, chunk.data(), chunk.size());
            if (got == 0) error = open_->LastError();
        }
        if (error != 0) {
            PrintError(err_, list, cError(cError::kPathFileAccess, "pictrix-cli", mSysText::TextLine(error, list)));
            failed_ = true;
            return false;
        }
        if (got > 0) {
            offset_ += got;
            if (!splitter_->Feed(std::span<const std::uint8_t>(chunk.data(), got))) {
                err_ << "pictrix-cli: " << Printable(list) << ": not a list of files: an entry is longer than "
                     << mListFile::kMaxLineBytes << " bytes\n";
                failed_ = true;
                return false;
            }
            if (!pending_.empty()) return true;
            continue;
        }
        splitter_->Finish();
        splitter_.reset();
        open_.reset();
        ++list_;
        if (!pending_.empty()) return true;
    }
    return false;
}

std::string Timestamp(std::int64_t ns) {
    std::int64_t seconds = ns / 1'000'000'000;
    std::int64_t rest = ns % 1'000'000'000;
    if (rest < 0) {
        rest += 1'000'000'000;
        --seconds;
    }
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (!::gmtime_r(&t, &tm)) return {};
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%09lldZ", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<long long>(rest));
    return text;
}

std::optional<std::string> PathOf(const mJson::cValue& record, const std::string& name) {
    if (const auto bytes = record.String(name + "_bytes")) return mJson::FromBase64(*bytes);
    return record.String(name);
}

bool InShard(const std::string& path, std::uint64_t k, std::uint64_t n) {
    if (n <= 1) return true;
    cSha256 sha;
    sha.Add(path.data(), path.size());
    const cSha256::tDigest digest = sha.Digest();
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < 8; ++i) v = v << 8 | digest[i];
    return v % n == k;
}

bool cEarlierManifest::Read(const std::string& path, std::ostream& err) {
    entries_.clear();
    dropped_.clear();
    broken_.clear();
    end_ = 0;
    damaged_ = 0;
    if (!file_.Open(path)) {
        // Nothing to resume yet: the first run of a command that is run again to resume.
        if (file_.LastError() == mSysText::kFileNotFound) return true;
        err << "pictrix-cli: " << Printable(path)
            << ": cannot read the manifest to resume from: " << Printable(mSysText::TextLine(file_.LastError(), path))
            << '\n';
        return false;
    }
    // Records longer than this are no records of ours.
    constexpr std::size_t kMaxRecord = 16u << 20;
    std::string source; // whose lines come now ("" between sources)
    bool failedGroup = false;
    std::int64_t groupLines = 0;
    std::uint64_t sourceStart = 0;
    std::vector<std::string> outputs;
    // The lines of `source` end before `at` without its own record: not finished.
    const auto cut = [&](std::uint64_t at) {
        if (!source.empty()) entries_[source].all.push_back({sourceStart, at - sourceStart});
        source.clear();
    };
    const bool read = file_.EachLine(kMaxRecord, [&](const cReadFile::cLine& line) {
        // A last line without its line end is a record cut short by a killed run: it counts for
        // nothing, and a run continuing the manifest cuts it off.
        if (!line.ended) return true;
        const auto record = line.tooLong ? std::nullopt : mJson::ParseObject(line.text);
        const auto name = record ? PathOf(*record, "source") : std::nullopt;
        if (!name || name->empty()) {
            ++damaged_;
            cut(line.offset);
            broken_.push_back({line.offset, line.next - line.offset});
            return true;
        }
        if (*name != source) {
            cut(line.offset);
            source = *name;
            sourceStart = line.offset;
            outputs.clear();
            failedGroup = false;
            groupLines = 0;
        }
        const auto status = record->String("status");
        if (record->Find("groups")) {
            cEntry& e = entries_[source];
            e.all.push_back({sourceStart, line.next - sourceStart});
            const auto groups = record->Count("groups");
            if (groups && *groups == groupLines && (status == "read" || status == "failed")) {
                e.finished = true;
                e.read = status == "read" && !failedGroup;
                const auto size = record->Count("size");
                e.size =
                    size && *size >= 0 ? std::optional<std::uint64_t>(static_cast<std::uint64_t>(*size)) : std::nullopt;
                e.written = record->String("mtime").value_or("");
                e.records = {sourceStart, line.next - sourceStart};
                e.outputs = std::move(outputs);
            } else {
                // Fewer (or more) records of groups than it says it had: some were lost.
                ++damaged_;
                e.finished = e.read = false;
            }
            end_ = line.next;
            source.clear();
            outputs.clear();
            return true;
        }
        ++groupLines;
        if (status == "failed") failedGroup = true;
        if (auto output = PathOf(*record, "output")) outputs.push_back(std::move(*output));
        return true;
    });
    if (!read) {
        err << "pictrix-cli: " << Printable(path)
            << ": cannot read the manifest to resume from: " << Printable(mSysText::TextLine(file_.LastError(), path))
            << '\n';
        return false;
    }
    // What lies past the last finished source is cut off by a run that continues the manifest.
    const auto past = [this](const cRange& r) { return r.offset >= end_; };
    for (auto& [name, e] : entries_) std::erase_if(e.all, past);
    std::erase_if(broken_, past);
    if (damaged_ > 0)
        err << "pictrix-cli: " << Printable(path) << ": " << damaged_ << (damaged_ == 1 ? " line is" : " lines are")
            << " not a whole record of a finished source: left out, and the sources they belong to are read "
               "again\n";
    return true;
}

const cEarlierManifest::cEntry* cEarlierManifest::Find(const std::string& source) const {
    const auto it = entries_.find(source);
    return it == entries_.end() ? nullptr : &it->second;
}

bool cEarlierManifest::Records(const cEntry& entry, std::string& into) {
    into.resize(entry.records.length);
    return file_.ReadAt(entry.records.offset, into.data(), into.size()) == entry.records.length;
}

namespace {

// Copies [from, to) of `in` to `out`; false, with the reason in `error`, when a read or write fails.
bool CopyRange(cReadFile& in, std::uint64_t from, std::uint64_t to, cReplaceFile& out, std::uint32_t& error) {
    std::vector<std::uint8_t> chunk(1 << 16);
    while (from < to) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), to - from));
        const std::size_t got = in.ReadAt(from, chunk.data(), want);
        if (got != want) {
            error = in.LastError() != 0 ? in.LastError() : mSysText::kReadFault;
            return false;
        }
        if (!out.Write(chunk.data(), got)) {
            error = out.LastError();
            return false;
        }
        from += got;
    }
    return true;
}

} // namespace

bool cEarlierManifest::Drop(const std::vector<std::string>& sources, const std::string& path, cStreamFile& out,
                            std::uint32_t& error) {
    error = 0;
    std::vector<cRange> gone = dropped_;
    // Lines that are no records go with the first drop.
    gone.insert(gone.end(), broken_.begin(), broken_.end());
    broken_.clear();
    for (const auto& s : sources) {
        const auto it = entries_.find(s);
        if (it == entries_.end()) continue;
        gone.insert(gone.end(), it->second.all.begin(), it->second.all.end());
    }
    if (gone.size() == dropped_.size()) {
        for (const auto& s : sources) entries_.erase(s);
        return true;
    }
    std::sort(gone.begin(), gone.end(), [](const cRange& a, const cRange& b) { return a.offset < b.offset; });
    std::uint64_t before = 0; // what earlier drops left out
    for (const auto& r : dropped_) before += r.length;
    // The file now: the first End() bytes less what earlier drops left out, then this run's records.
    cReadFile now;
    if (!now.Open(path)) {
        error = now.LastError();
        return false;
    }
    const std::uint64_t appended = end_ - before;
    if (now.Size() < appended) {
        error = mSysText::kInvalidData;
        return false;
    }
    cReplaceFile next;
    if (!next.Open(path)) {
        error = next.LastError();
        return false;
    }
    std::uint64_t at = 0, size = 0;
    for (const auto& r : gone) {
        if (!CopyRange(file_, at, r.offset, next, error)) return false;
        size += r.offset - at;
        at = r.offset + r.length;
    }
    if (!CopyRange(file_, at, end_, next, error) || !CopyRange(now, appended, now.Size(), next, error)) return false;
    size += end_ - at + now.Size() - appended;
    if (!next.Commit()) {
        error = next.LastError();
        return false;
    }
    dropped_ = std::move(gone);
    for (const auto& s : sources) entries_.erase(s);
    if (!out.Continue(path, size)) {
        error = out.LastError();
        return false;
    }
    return true;
}

std::string ManifestLines(const cBatch::cSource& s, bool outputs) {
    std::string lines;
    for (const auto& g : s.groups) {
        std::string r = SourceFields(s);
        r += ",\"kind\":" + std::string(g.cursor ? "\"cursor\"" : "\"icon\"") +
             ",\"position\":" + std::to_string(g.position) + ",\"id\":" + Id(g.id) +
             ",\"language\":" + OrNull(g.language);
        if (g.frame > 0) r += ",\"frame\":" + std::to_string(g.frame);
        r += ",\"images\":[";
        for (std::size_t i = 0; i < g.images.size(); ++i) {
            const auto& im = g.images[i];
            if (i > 0) r += ',';
            r += "{\"width\":" + std::to_string(im.width) + ",\"height\":" + std::to_string(im.height) +
                 ",\"bits\":" + std::to_string(im.bits) + ",\"bytes\":" + std::to_string(im.bytes) +
                 ",\"png\":" + (im.png ? "true" : "false") + ",\"sha256\":" + OrNull(im.sha256);
            if (im.hotspot)
                r += ",\"hotspot\":{\"x\":" + std::to_string(im.hotspot->x) +
                     ",\"y\":" + std::to_string(im.hotspot->y) + "}";
            r += "}";
        }
        r += "]";
        if (!g.images.empty()) r += ",\"dhash\":" + (g.dhash ? '"' + mDHash::Hex(*g.dhash) + '"' : std::string("null"));
        if (outputs) {
            const bool written = !g.output.empty();
            r += ",\"output\":" + OrNull(g.output);
            if (!mJson::IsUtf8(g.output)) r += ",\"output_bytes\":" + mJson::String(mJson::Base64(g.output));
            r += ",\"sha256\":" + (written ? OrNull(g.icoSha256) : "null") + ",\"status\":" + OrNull(g.status);
            if (!g.error.empty()) r += ",\"error\":" + mJson::String(g.error);
        } else if (!g.error.empty()) {
            // A group that could not be read says so in a listing too.
            r += ",\"status\":\"failed\",\"error\":" + mJson::String(g.error);
        }
        lines += r + "}\n";
    }
    if (s.complete && !s.path.empty()) {
        // The source's own record: what was found, and that the run finished it.
        lines += SourceFields(s) + ",\"size\":" + (s.stat.known ? std::to_string(s.stat.size) : "null") +
                 ",\"mtime\":" + (s.stat.known ? mJson::String(Timestamp(s.stat.written)) : "null") +
                 ",\"container\":" + OrNull(s.container) + ",\"groups\":" + std::to_string(s.groups.size()) +
                 ",\"status\":" + (s.read ? "\"read\"" : "\"failed\"");
        if (!s.read) lines += ",\"error\":" + mJson::String(s.error);
        lines += "}\n";
    }
    return lines;
}

} // namespace mCli
