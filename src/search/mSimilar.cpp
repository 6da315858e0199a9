#include "search/mSimilar.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

#include "base/mJson.h"
#include "base/mSha256.h"
#include "icon/mDHash.h"
#include "platform/mSysText.h"
#include "resources/mIconGroups.h"

namespace mSimilar {

namespace {

cError ManifestError(const std::string& path, std::string what) {
    return cError(cError::kInvalidCall, cError::SourceOf("mSimilar"), path + ": " + std::move(what));
}

} // namespace

std::optional<tDigest> GroupDigest(const std::vector<std::string>& imageSha256) {
    if (imageSha256.empty()) return std::nullopt;
    cSha256 sha;
    for (const std::string& hex : imageSha256) {
        const auto raw = cSha256::FromHex(hex);
        if (!raw) return std::nullopt;
        sha.Add(raw->data(), raw->size());
    }
    const cSha256::tDigest all = sha.Digest();
    tDigest digest{};
    std::copy_n(all.begin(), digest.size(), digest.begin());
    return digest;
}

bool FromRecord(std::string_view line, cGroup& group, bool* json) {
    mJson::cValue record;
    const bool parsed = mJson::Parse(line, record);
    if (json) *json = parsed;
    if (!parsed || record.type != mJson::cValue::eType::kObject) return false;
    using eType = mJson::cValue::eType;
    const auto* dhash = record.Find("dhash");
    const auto* source = record.Find("source");
    const auto* position = record.Find("position");
    if (!dhash || dhash->type != eType::kString || !source || source->type != eType::kString || !position ||
        !position->Int32())
        return false;
    cGroup g;
    if (!mDHash::ParseHex(dhash->text, g.dhash)) return false;
    g.source = source->text;
    // A name that is not UTF-8 is carried exactly in source_bytes.
    if (const auto* bytes = record.Find("source_bytes"); bytes && bytes->type == eType::kString) {
        if (auto decoded = mJson::FromBase64(bytes->text)) g.source = std::move(*decoded);
    }
    g.position = *position->Int32();
    if (const auto* id = record.Find("id")) {
        if (id->type == eType::kString) {
            g.id = id->text;
            g.idIsName = true;
        } else if (const auto n = id->Int32()) {
            g.id = std::to_string(*n);
        }
    }
    if (const auto* kind = record.Find("kind"); kind && kind->type == eType::kString) g.cursor = kind->text == "cursor";
    if (const auto* frame = record.Find("frame"); frame && frame->Int32()) g.frame = *frame->Int32();
    if (const auto* images = record.Find("images"); images && images->type == eType::kArray) {
        std::vector<std::string> digests;
        for (const auto& image : images->Items()) {
            const auto* sha = image.Find("sha256");
            digests.push_back(sha && sha->type == eType::kString ? sha->text : std::string());
        }
        g.digest = GroupDigest(digests);
    }
    group = std::move(g);
    return true;
}

bool LineAt(cReadFile& file, std::uint64_t offset, std::string& line) {
    line.clear();
    char chunk[4096];
    for (std::uint64_t at = offset;;) {
        const std::size_t got = file.ReadAt(at, chunk, sizeof chunk);
        if (got == 0) return !line.empty() && file.LastError() == 0;
        const auto* end = static_cast<const char*>(std::memchr(chunk, '\n', got));
        line.append(chunk, end ? static_cast<std::size_t>(end - chunk) : got);
        if (line.size() > kMaxLine) return false;
        if (end) break;
        at += got;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

void ReadManifest(const std::string& path, const std::function<void(cGroup&&, std::uint64_t offset)>& each) {
    cReadFile file;
    if (!file.Open(path)) throw ManifestError(path, mSysText::TextLine(file.LastError()));
    std::uint64_t lineNumber = 0;
    const bool read = file.EachLine(kMaxLine, [&](const cReadFile::cLine& l) {
        ++lineNumber;
        if (l.tooLong) throw ManifestError(path, "line " + std::to_string(lineNumber) + " is too long");
        std::string_view line = l.text;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.find_first_not_of(" \t") == std::string_view::npos) return true;
        cGroup g;
        bool json = false;
        if (FromRecord(line, g, &json))
            each(std::move(g), l.offset);
        else if (!json)
            throw ManifestError(path, "line " + std::to_string(lineNumber) + " is not a JSON record");
        return true;
    });
    if (!read) throw ManifestError(path, mSysText::TextLine(file.LastError()));
}

std::vector<cGroup> FromSource(const mBatchRecord::cSource& source) {
    std::vector<cGroup> groups;
    for (const auto& s : source.groups) {
        if (!s.dhash) continue;
        cGroup g;
        g.dhash = *s.dhash;
        g.source = source.path;
        g.position = s.position;
        if (IsNumber(s.id)) {
            g.id = std::to_string(std::get<std::int32_t>(s.id));
        } else if (IsName(s.id)) {
            g.id = std::get<std::string>(s.id);
            g.idIsName = true;
        }
        g.cursor = s.cursor;
        g.frame = s.frame;
        std::vector<std::string> digests;
        for (const auto& image : s.images) digests.push_back(image.sha256);
        g.digest = GroupDigest(digests);
        groups.push_back(std::move(g));
    }
    return groups;
}

void cRanking::Offer(const cGroup& group) {
    const int distance = mDHash::Distance(query_, group.dhash);
    if (distance > maxDistance_) return;
    matches_.push_back({{distance, group, digest_ && group.digest && *digest_ == *group.digest}, offered_++});
    if (top_ > 0 && matches_.size() >= 2 * top_) Trim(matches_);
}

void cRanking::Trim(std::vector<cHeld>& held) const {
    const auto before = [](const cHeld& a, const cHeld& b) {
        return a.match.distance != b.match.distance ? a.match.distance < b.match.distance : a.order < b.order;
    };
    if (top_ > 0 && held.size() > top_) {
        std::nth_element(held.begin(), held.begin() + static_cast<std::ptrdiff_t>(top_), held.end(), before);
        held.resize(top_);
    }
    std::sort(held.begin(), held.end(), before);
}

std::vector<cMatch> cRanking::Best() const {
    std::vector<cHeld> held = matches_;
    Trim(held);
    std::vector<cMatch> best;
    best.reserve(held.size());
    for (auto& h : held) best.push_back(std::move(h.match));
    return best;
}

// Where the processor counts bits in one instruction, the scan uses it (chosen when the program
// starts); elsewhere the portable count.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
__attribute__((target_clones("popcnt", "default")))
#endif
std::vector<std::size_t>
Within(std::span<const std::uint64_t> hashes, std::uint64_t query, int maxDistance) {
    std::vector<std::size_t> near;
    for (std::size_t i = 0; i < hashes.size(); ++i)
        if (std::popcount(hashes[i] ^ query) <= maxDistance) near.push_back(i);
    return near;
}

namespace {

// The first position from `at` whose hash lies within `most` bits of `query`, or `n`: the scan's
// inner loop, in the processor's bit-count instruction where it has one.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
__attribute__((target_clones("popcnt", "default")))
#endif
std::size_t
NextWithin(const std::uint64_t* hashes, std::size_t n, std::size_t at, std::uint64_t query, int most) {
    while (at < n && std::popcount(hashes[at] ^ query) > most) ++at;
    return at;
}

} // namespace

void cNearest::Scan(std::span<const std::uint64_t> hashes, std::size_t first) {
    for (std::size_t i = 0;; ++i) {
        i = NextWithin(hashes.data(), hashes.size(), i, query_, worst_);
        if (i >= hashes.size()) break;
        const int d = std::popcount(hashes[i] ^ query_);
        if (top_ == 0) {
            best_.emplace_back(d, first + i);
            continue;
        }
        if (best_.size() == top_ && d >= best_.front().first) continue;
        best_.emplace_back(d, first + i);
        std::push_heap(best_.begin(), best_.end());
        if (best_.size() > top_) {
            std::pop_heap(best_.begin(), best_.end());
            best_.pop_back();
        }
        if (best_.size() == top_) worst_ = best_.front().first;
    }
}

std::vector<std::size_t> Nearest(std::span<const std::uint64_t> hashes, std::uint64_t query, int maxDistance,
                                 std::size_t top) {
    cNearest nearest(query, maxDistance, top);
    nearest.Scan(hashes, 0);
    return nearest.Positions();
}

std::vector<std::size_t> cNearest::Positions() const {
    std::vector<std::size_t> near;
    near.reserve(best_.size());
    for (const auto& b : best_) near.push_back(b.second);
    std::sort(near.begin(), near.end());
    return near;
}

std::optional<cFileMatch> NearestGroup(const std::string& file, std::uint64_t query, int maxDistance) {
    std::optional<cFileMatch> best;
    mIconGroups::cHooks hooks;
    hooks.GroupFailed = [](const mIconGroups::cFailure&) { return true; };
    hooks.GroupLoaded = [&](std::int32_t i, const cFileIcon& icon) {
        const auto hash = mDHash::OfGroup(icon);
        if (!hash) return;
        const int distance = mDHash::Distance(query, *hash);
        if (distance > maxDistance || (best && best->distance <= distance)) return;
        best = cFileMatch{distance, i, icon.Label()};
    };
    std::vector<cFileIcon> icons;
    mIconGroups::Load(file, icons, hooks);
    return best;
}

bool WalkOperand(const std::string& operand, std::string& folder, std::string& spec) {
    struct stat st {};
    if (::stat(operand.c_str(), &st) == 0) {
        if (!S_ISDIR(st.st_mode)) return false;
        folder = operand;
        spec = "*.*";
        return true;
    }
    const std::size_t slash = operand.find_last_of('/');
    const std::string last = slash == std::string::npos ? operand : operand.substr(slash + 1);
    if (last.empty() || last.find_first_of("*?") == std::string::npos) return false;
    const std::string parent = slash == std::string::npos ? "." : (slash == 0 ? "/" : operand.substr(0, slash));
    if (::stat(parent.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    folder = parent;
    spec = last;
    return true;
}

} // namespace mSimilar
