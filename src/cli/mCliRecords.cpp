#include "cli/mCliRecords.h"

#include <algorithm>
#include <cctype>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iostream>
#include <poll.h>
#include <unistd.h>

#include "cli/mCli.h"
#include "base/mJson.h"
#include "base/mSha256.h"
#include "platform/cReplaceFile.h"
#include "platform/mSysText.h"
#include "icon/mDHash.h"
#include "base/mUtf8.h"
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
std::string SourceFields(const mBatchRecord::cSource& s) {
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

cOption JobsOption(int& jobs) {
    return {"--jobs", kJobsNeeds, [&jobs](const std::string& value) { return ParseJobs(value, jobs); }};
}

cOption FromOption(cSourceOptions& sources) {
    return {"--from", "a list file, or - for standard input", [&sources](const std::string& value) {
                sources.lists.push_back(value);
                return true;
            }};
}

cOption NulOption(cSourceOptions& sources) {
    return {"-0", {}, [&sources](const std::string&) { return sources.nulSeparated = true; }};
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
            // Waits for input a little at a time, so that a stop is seen while nothing comes.
            while (keepGoing_) {
                pollfd p{STDIN_FILENO, POLLIN, 0};
                const int ready = ::poll(&p, 1, 100);
                if (ready > 0 || (ready < 0 && errno != EINTR)) break;
                if (!keepGoing_()) return false;
            }
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

namespace {

// The fields of one record that a resume needs, found by a scanner that builds no tree of values.
struct cScanned {
    std::optional<std::string> source; // from `source_bytes` where there is one
    bool bytesSource = false;
    bool hasGroups = false;
    std::optional<std::int64_t> groups, size;
    std::string status, mtime;
    std::optional<std::string> output;
    bool bytesOutput = false;
    std::string sha256; // a group's: of its output
};

class cScanner {
public:
    explicit cScanner(std::string_view text) : t_(text) {}
    // One JSON object and nothing after it; false for anything else.
    bool Record(cScanned& r) {
        Ws();
        if (!Eat('{')) return false;
        Ws();
        if (Eat('}')) return End();
        std::string key;
        for (;;) {
            key.clear();
            Ws();
            if (!String(&key)) return false;
            Ws();
            if (!Eat(':')) return false;
            Ws();
            if (!Field(key, r)) return false;
            Ws();
            if (Eat('}')) return End();
            if (!Eat(',')) return false;
        }
    }

private:
    bool End() {
        Ws();
        return p_ == t_.size();
    }
    bool Eat(char c) {
        if (p_ < t_.size() && t_[p_] == c) {
            ++p_;
            return true;
        }
        return false;
    }
    void Ws() {
        while (p_ < t_.size() && (t_[p_] == ' ' || t_[p_] == '\t' || t_[p_] == '\r' || t_[p_] == '\n')) ++p_;
    }
    bool Field(std::string_view key, cScanned& r) {
        const bool text = p_ < t_.size() && t_[p_] == '"';
        if (key == "source" || key == "source_bytes" || key == "output" || key == "output_bytes") {
            if (!text) return Value(0);
            std::string v;
            if (!String(&v)) return false;
            const bool bytes = key.size() > 7 && key.ends_with("_bytes");
            if (bytes) {
                auto decoded = mJson::FromBase64(v);
                if (!decoded) return true;
                v = std::move(*decoded);
            }
            const bool isSource = key.starts_with("source");
            bool& fromBytes = isSource ? r.bytesSource : r.bytesOutput;
            std::optional<std::string>& into = isSource ? r.source : r.output;
            if (bytes || !fromBytes) into = std::move(v);
            fromBytes = fromBytes || bytes;
            return true;
        }
        if (key == "status" || key == "mtime" || key == "sha256")
            return text ? String(key == "status" ? &r.status : key == "mtime" ? &r.mtime : &r.sha256) : Value(0);
        if (key == "groups" || key == "size") {
            if (key == "groups") r.hasGroups = true;
            return Number(key == "groups" ? r.groups : r.size);
        }
        return Value(0);
    }
    bool Number(std::optional<std::int64_t>& into) {
        const std::size_t start = p_;
        if (!Value(0)) return false;
        std::int64_t n = 0;
        const auto [end, ec] = std::from_chars(t_.data() + start, t_.data() + p_, n);
        if (ec == std::errc() && end == t_.data() + p_) into = n;
        return true;
    }
    // At a '"': the string, decoded into `into` when given.
    bool String(std::string* into) {
        if (!Eat('"')) return false;
        for (;;) {
            // The plain characters up to the next quote, escape or control character, at once.
            const char* from = t_.data() + p_;
            const std::size_t left = t_.size() - p_;
            const void* quote = std::memchr(from, '"', left);
            std::size_t q = quote ? static_cast<std::size_t>(static_cast<const char*>(quote) - t_.data()) : t_.size();
            if (const void* escape = std::memchr(from, '\\', q - p_))
                q = static_cast<std::size_t>(static_cast<const char*>(escape) - t_.data());
            if (into) into->append(t_.data() + p_, q - p_);
            p_ = q;
            if (p_ >= t_.size()) return false;
            const char c = t_[p_++];
            if (c == '"') return true;
            if (p_ >= t_.size()) return false;
            const char e = t_[p_++];
            char32_t cp = 0;
            switch (e) {
            case '"': cp = '"'; break;
            case '\\': cp = '\\'; break;
            case '/': cp = '/'; break;
            case 'b': cp = '\b'; break;
            case 'f': cp = '\f'; break;
            case 'n': cp = '\n'; break;
            case 'r': cp = '\r'; break;
            case 't': cp = '\t'; break;
            case 'u': {
                if (!Hex4(cp)) return false;
                // A surrogate pair is one code point; an unpaired surrogate keeps its own number.
                char32_t low = 0;
                if (cp >= 0xD800 && cp < 0xDC00 && p_ + 6 <= t_.size() && t_[p_] == '\\' && t_[p_ + 1] == 'u') {
                    const std::size_t at = p_;
                    p_ += 2;
                    if (Hex4(low) && low >= 0xDC00 && low < 0xE000)
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    else
                        p_ = at;
                }
                break;
            }
            default: return false;
            }
            if (into) mUtf8::Append(*into, cp);
        }
    }
    bool Hex4(char32_t& v) {
        if (p_ + 4 > t_.size()) return false;
        v = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = t_[p_++];
            const int d = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
            if (d < 0) return false;
            v = v << 4 | static_cast<char32_t>(d);
        }
        return true;
    }
    // Any value, passed over.
    bool Value(int depth) {
        if (p_ >= t_.size() || depth > 64) return false;
        const char c = t_[p_];
        if (c == '"') return String(nullptr);
        if (c == '{' || c == '[') {
            const char close = c == '{' ? '}' : ']';
            ++p_;
            Ws();
            if (Eat(close)) return true;
            for (;;) {
                Ws();
                if (c == '{') {
                    if (!String(nullptr)) return false;
                    Ws();
                    if (!Eat(':')) return false;
                    Ws();
                }
                if (!Value(depth + 1)) return false;
                Ws();
                if (Eat(close)) return true;
                if (!Eat(',')) return false;
            }
        }
        for (const std::string_view word : {"true", "false", "null"}) {
            if (t_.substr(p_, word.size()) == word) {
                p_ += word.size();
                return true;
            }
        }
        const std::size_t start = p_;
        while (p_ < t_.size() && (std::isdigit(static_cast<unsigned char>(t_[p_])) || t_[p_] == '-' || t_[p_] == '+' ||
                                  t_[p_] == '.' || t_[p_] == 'e' || t_[p_] == 'E'))
            ++p_;
        return p_ > start;
    }

    std::string_view t_;
    std::size_t p_ = 0;
};

// A record's time back in ns since 1970; nothing unless it is exactly what Timestamp writes
// ("2026-12-10T00:21:58.123456789Z", UTC). Read by hand: a resume reads a million of them.
std::optional<std::int64_t> TimeOf(const std::string& text) {
    static constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:dd.dddddddddZ";
    if (text.size() != kShape.size()) return std::nullopt;
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kShape[i] == 'd' ? !digit : text[i] != kShape[i]) return std::nullopt;
    }
    const auto num = [&](std::size_t at, std::size_t n) {
        std::int64_t v = 0;
        for (std::size_t i = 0; i < n; ++i) v = v * 10 + (text[at + i] - '0');
        return v;
    };
    const std::int64_t y0 = num(0, 4), mo = num(5, 2), d = num(8, 2), h = num(11, 2), mi = num(14, 2), se = num(17, 2),
                       ns = num(20, 9);
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || se > 60) return std::nullopt;
    // Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
    const std::int64_t y = mo <= 2 ? y0 - 1 : y0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (mo > 2 ? mo - 3 : mo + 9) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const std::int64_t days = era * 146097 + doe - 719468;
    return ((days * 24 + h) * 60 + mi) * 60'000'000'000 + se * 1'000'000'000 + ns;
}

} // namespace

std::uint64_t cEarlierManifest::KeyOf(std::string_view source) noexcept {
    return std::hash<std::string_view>()(source);
}

bool cEarlierManifest::Read(const std::string& path, std::ostream& err,
                            const std::function<void(const std::string&)>& each) {
    entries_.clear();
    extra_.clear();
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
    // One element per run of lines of one source; merged by source at the end, in place. There
    // are no more runs than lines: counted first, so that the vector never grows by copying.
    std::vector<cEntry> runs;
    {
        std::array<char, 1 << 16> chunk;
        std::size_t lines = 0;
        for (std::uint64_t at = 0;;) {
            const std::size_t got = file_.ReadAt(at, chunk.data(), chunk.size());
            if (got == 0) break;
            lines += static_cast<std::size_t>(std::count(chunk.data(), chunk.data() + got, '\n'));
            at += got;
        }
        runs.reserve(lines);
    }
    std::string source; // whose lines come now ("" between sources)
    bool failedGroup = false;
    std::int64_t groupLines = 0;
    std::uint64_t sourceStart = 0;
    // The lines of `source` end before `at` without its own record: not finished.
    const auto cut = [&](std::uint64_t at) {
        if (!source.empty()) {
            cEntry e;
            e.key = KeyOf(source);
            e.offset = sourceStart;
            e.length = static_cast<std::uint32_t>(std::min<std::uint64_t>(at - sourceStart, UINT32_MAX));
            runs.push_back(e);
        }
        source.clear();
    };
    const bool read = file_.EachLine(kMaxRecord, [&](const cReadFile::cLine& line) {
        // A last line without its line end is a record cut short by a killed run: it counts for
        // nothing, and a run continuing the manifest cuts it off.
        if (!line.ended) return true;
        cScanned r;
        if (line.tooLong || !cScanner(line.text).Record(r) || !r.source || r.source->empty()) {
            ++damaged_;
            cut(line.offset);
            broken_.push_back({line.offset, line.next - line.offset});
            return true;
        }
        if (*r.source != source) {
            cut(line.offset);
            source = std::move(*r.source);
            sourceStart = line.offset;
            failedGroup = false;
            groupLines = 0;
        }
        if (r.hasGroups) {
            cEntry e;
            e.key = KeyOf(source);
            e.offset = sourceStart;
            e.length = static_cast<std::uint32_t>(std::min<std::uint64_t>(line.next - sourceStart, UINT32_MAX));
            if (r.groups && *r.groups == groupLines && (r.status == "read" || r.status == "failed")) {
                e.finished = true;
                if (each) each(source);
                const auto written = TimeOf(r.mtime);
                e.read = r.status == "read" && !failedGroup && r.size && *r.size >= 0 && written;
                e.size = r.size ? static_cast<std::uint64_t>(*r.size) : 0;
                e.written = written.value_or(0);
            } else {
                // Fewer (or more) records of groups than it says it had: some were lost.
                ++damaged_;
            }
            runs.push_back(e);
            end_ = line.next;
            source.clear();
            return true;
        }
        ++groupLines;
        if (r.status == "failed") failedGroup = true;
        return true;
    });
    if (!read) {
        err << "pictrix-cli: " << Printable(path)
            << ": cannot read the manifest to resume from: " << Printable(mSysText::TextLine(file_.LastError(), path))
            << '\n';
        return false;
    }
    // What lies past the last finished source is cut off by a run that continues the manifest.
    const auto past = [this](const auto& r) { return r.offset >= end_; };
    std::erase_if(runs, past);
    std::erase_if(broken_, past);
    // In place (no buffer as a stable sort takes), in the order of the file within a source.
    std::sort(runs.begin(), runs.end(),
              [](const cEntry& a, const cEntry& b) { return a.key != b.key ? a.key < b.key : a.offset < b.offset; });
    std::size_t kept = 0;
    for (std::size_t i = 0; i < runs.size();) {
        std::size_t j = i;
        while (j < runs.size() && runs[j].key == runs[i].key) ++j;
        // The last finished run tells; every run is the source's.
        std::size_t told = j - 1;
        for (std::size_t k = i; k < j; ++k)
            if (runs[k].finished) told = k;
        cEntry e = runs[told];
        if (j - i > 1) {
            e.scattered = true;
            auto& all = extra_[e.key];
            for (std::size_t k = i; k < j; ++k) all.push_back({runs[k].offset, runs[k].length});
        }
        runs[kept++] = e;
        i = j;
    }
    runs.resize(kept);
    entries_ = std::move(runs);
    if (damaged_ > 0)
        err << "pictrix-cli: " << Printable(path) << ": " << damaged_ << (damaged_ == 1 ? " line is" : " lines are")
            << " not a whole record of a finished source: left out, and the sources they belong to are read "
               "again\n";
    return true;
}

cEarlierManifest::cEntry* cEarlierManifest::At(std::uint64_t key) {
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), key,
                                     [](const cEntry& e, std::uint64_t k) { return e.key < k; });
    return it != entries_.end() && it->key == key && !it->dropped ? &*it : nullptr;
}

const cEarlierManifest::cEntry* cEarlierManifest::Find(const std::string& source) const {
    return const_cast<cEarlierManifest*>(this)->At(KeyOf(source));
}

bool cEarlierManifest::Outputs(const cEntry& entry, const std::string& source, std::vector<std::string>& outputs,
                               std::vector<std::string>* digests) {
    outputs.clear();
    if (digests) digests->clear();
    std::string lines(entry.length, '\0');
    if (file_.ReadAt(entry.offset, lines.data(), lines.size()) != lines.size()) return false;
    for (std::size_t at = 0, end = 0; at < lines.size(); at = end + 1) {
        end = std::min(lines.find('\n', at), lines.size());
        cScanned r;
        if (!cScanner(std::string_view(lines).substr(at, end - at)).Record(r) || r.source != source) return false;
        if (!r.output || r.hasGroups) continue;
        outputs.push_back(std::move(*r.output));
        if (digests) digests->push_back(std::move(r.sha256));
    }
    return true;
}

bool cEarlierManifest::Records(const cEntry& entry, std::string& into) {
    into.resize(entry.length);
    return file_.ReadAt(entry.offset, into.data(), into.size()) == entry.length;
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
    std::vector<cEntry*> going;
    for (const auto& s : sources) {
        cEntry* e = At(KeyOf(s));
        if (!e) continue;
        going.push_back(e);
        if (!e->scattered) {
            gone.push_back({e->offset, e->length});
            continue;
        }
        const auto& all = extra_[e->key];
        gone.insert(gone.end(), all.begin(), all.end());
    }
    if (gone.size() == dropped_.size()) {
        for (cEntry* e : going) e->dropped = true;
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
    for (cEntry* e : going) e->dropped = true;
    if (!out.Continue(path, size)) {
        error = out.LastError();
        return false;
    }
    return true;
}

std::string ManifestLines(const mBatchRecord::cSource& s, bool outputs) {
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
            if (!im.element.empty())
                r += ",\"element\":" + mJson::String(im.element) + ",\"scale\":" + std::to_string(im.scale);
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
