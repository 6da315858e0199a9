#include "search/cSimilarIndex.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <cstring>

#include "base/mChecked.h"
#include "icon/mDHash.h"
#include "platform/cReplaceFile.h"
#include "platform/mSysText.h"

namespace {

void Put(std::vector<std::uint8_t>& out, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint64_t Get(const std::uint8_t* p, int bytes) {
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

constexpr std::uint32_t kDigestKnown = 0x80000000u;

std::string Absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return path;
    std::string out(real);
    std::free(real);
    return out;
}

cError IndexError(const std::string& name, const std::string& why) {
    return cError(cError::kInvalidCall, cError::SourceOf("cSimilarIndex"), name + ": " + why);
}

} // namespace

std::vector<std::uint8_t> cSimilarIndex::Bytes(const std::vector<cManifest>& manifests,
                                               const std::vector<cEntry>& entries) {
    std::vector<std::uint8_t> table;
    for (const auto& m : manifests) {
        Put(table, m.size, 8);
        Put(table, m.path.size(), 4);
        table.insert(table.end(), m.path.begin(), m.path.end());
    }
    std::vector<std::uint8_t> out(kMagic, kMagic + sizeof kMagic);
    Put(out, kVersion, 4);
    Put(out, manifests.size(), 4);
    Put(out, entries.size(), 8);
    Put(out, table.size(), 8);
    out.insert(out.end(), table.begin(), table.end());
    out.resize((out.size() + 7) / 8 * 8, 0);
    out.reserve(out.size() + entries.size() * kEntrySize);
    for (const auto& e : entries) Put(out, e.dhash, 8);
    for (const auto& e : entries) {
        const mSimilar::tDigest d = e.digest.value_or(mSimilar::tDigest{});
        out.insert(out.end(), d.begin(), d.end());
    }
    for (const auto& e : entries) Put(out, e.manifest | (e.digest ? kDigestKnown : 0u), 4);
    for (const auto& e : entries) Put(out, e.offset, 8);
    return out;
}

std::uint64_t cSimilarIndex::Make(const std::vector<std::string>& paths, const std::string& path) {
    std::vector<cManifest> manifests;
    std::vector<cEntry> entries;
    for (const std::string& m : paths) {
        const auto number = static_cast<std::uint32_t>(manifests.size());
        cReadFile probe;
        if (!probe.Open(m)) throw IndexError(m, mSysText::TextLine(probe.LastError()));
        manifests.push_back({Absolute(m), probe.Size()});
        mSimilar::ReadManifest(m, [&](mSimilar::cGroup&& g, std::uint64_t offset) {
            entries.push_back({g.dhash, g.digest, number, offset});
        });
    }
    const std::vector<std::uint8_t> bytes = Bytes(manifests, entries);
    cReplaceFile out;
    if (!out.Open(path) || !out.Write(bytes) || !out.Commit())
        throw IndexError(path, mSysText::TextLine(out.LastError()));
    return entries.size();
}

bool cSimilarIndex::IsIndex(const std::string& path) {
    cReadFile file;
    char magic[sizeof kMagic] = {};
    return file.Open(path) && file.ReadAt(0, magic, sizeof magic) == sizeof magic &&
           std::memcmp(magic, kMagic, sizeof magic) == 0;
}

void cSimilarIndex::Damaged(const std::string& why) const {
    throw IndexError(name_, "not a similar-icons index, or a damaged one: " + why);
}

void cSimilarIndex::ReadExactly(std::uint64_t at, void* dst, std::size_t n) const {
    if (at > size_ || n > size_ - at) Damaged("it ends early");
    if (read_(at, dst, n) != n)
        throw IndexError(name_, "it was cut short or changed while it was read: make the index again");
}

void cSimilarIndex::Open(std::uint64_t size, tReader read, std::string name) {
    name_ = std::move(name);
    size_ = size;
    read_ = std::move(read);
    manifests_.clear();
    hashes_.reset();
    count_ = 0;
    open_.clear();
    std::uint8_t h[kHeaderSize];
    ReadExactly(0, h, sizeof h);
    if (std::memcmp(h, kMagic, sizeof kMagic) != 0) Damaged("its first bytes are not the index's");
    if (Get(h + 8, 4) != kVersion) Damaged("version " + std::to_string(Get(h + 8, 4)) + " is not known");
    const std::uint64_t manifests = Get(h + 12, 4), entries = Get(h + 16, 8), table = Get(h + 24, 8);
    // Every count bounded by the length before anything is sized by it.
    if (table > size - kHeaderSize) Damaged("its manifest table is longer than the file");
    if (manifests > table / 12) Damaged("it counts more manifests than its table holds");
    const std::uint64_t columns = (kHeaderSize + table + 7) / 8 * 8;
    if (columns > size || entries > (size - columns) / kEntrySize || size - columns != entries * kEntrySize)
        Damaged("its length is not what its counts make");
    std::vector<std::uint8_t> t(static_cast<std::size_t>(table));
    ReadExactly(kHeaderSize, t.data(), t.size());
    std::size_t at = 0;
    for (std::uint64_t m = 0; m < manifests; ++m) {
        if (t.size() - at < 12) Damaged("its manifest table ends early");
        cManifest entry;
        entry.size = Get(t.data() + at, 8);
        const std::uint64_t length = Get(t.data() + at + 8, 4);
        at += 12;
        if (length == 0 || length > t.size() - at) Damaged("a manifest's name is cut short");
        entry.path.assign(reinterpret_cast<const char*>(t.data() + at), static_cast<std::size_t>(length));
        at += static_cast<std::size_t>(length);
        manifests_.push_back(std::move(entry));
    }
    if (at != t.size()) Damaged("its manifest table holds more than its manifests");
    columns_ = columns;
    count_ = static_cast<std::size_t>(entries);
    open_.resize(manifests_.size());
}

void cSimilarIndex::OpenFile(const std::string& path) {
    if (!file_.Open(path)) throw IndexError(path, mSysText::TextLine(file_.LastError()));
    Open(
        file_.Size(), [this](std::uint64_t at, void* dst, std::size_t n) { return file_.ReadAt(at, dst, n); }, path);
}

cSimilarIndex::cEntry cSimilarIndex::Entry(std::uint64_t i) const {
    if (i >= count_) cError::RaiseRuntime(cError::kSubscriptOutOfRange);
    const std::uint64_t n = count_;
    std::uint8_t d[16], m[4], o[8];
    ReadExactly(columns_ + n * 8 + i * 16, d, sizeof d);
    ReadExactly(columns_ + n * 24 + i * 4, m, sizeof m);
    ReadExactly(columns_ + n * 28 + i * 8, o, sizeof o);
    return Decode(i, d, m, o);
}

std::span<const std::uint64_t> cSimilarIndex::Hashes() {
    // The hashes are stored little-endian, as this machine keeps them. They are copied, not
    // mapped: a file cut short while it is read then ends a read early, never the process.
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__);
    if (!hashes_ && count_ > 0) {
        auto hashes = std::make_unique_for_overwrite<std::uint64_t[]>(count_);
        ReadExactly(columns_, hashes.get(), count_ * 8);
        hashes_ = std::move(hashes);
    }
    return {hashes_.get(), count_};
}

std::uint64_t cSimilarIndex::Hash(std::uint64_t i) const {
    if (hashes_) return hashes_[static_cast<std::size_t>(i)];
    std::uint8_t b[8];
    ReadExactly(columns_ + i * 8, b, sizeof b);
    return Get(b, 8);
}

std::vector<std::size_t> cSimilarIndex::Nearest(std::uint64_t query, int maxDistance, std::size_t top) {
    mSimilar::cNearest nearest(query, maxDistance, top);
    // A piece at a time through one small buffer: no copy of the whole column to fault in.
    constexpr std::size_t kPiece = 1 << 15;
    const auto piece = std::make_unique_for_overwrite<std::uint64_t[]>(kPiece);
    for (std::size_t at = 0; at < count_; at += kPiece) {
        const std::size_t n = std::min(kPiece, count_ - at);
        ReadExactly(columns_ + at * 8, piece.get(), n * 8);
        nearest.Scan({piece.get(), n}, at);
    }
    return nearest.Positions();
}

cSimilarIndex::cEntry cSimilarIndex::Decode(std::uint64_t i, const std::uint8_t* digest, const std::uint8_t* manifest,
                                            const std::uint8_t* offset) const {
    cEntry e;
    e.dhash = Hash(i);
    const auto m = static_cast<std::uint32_t>(Get(manifest, 4));
    e.offset = Get(offset, 8);
    e.manifest = m & ~kDigestKnown;
    if (m & kDigestKnown) {
        e.digest.emplace();
        std::copy_n(digest, e.digest->size(), e.digest->begin());
    }
    if (e.manifest >= manifests_.size()) Damaged("entry " + std::to_string(i + 1) + " names no manifest");
    if (e.offset >= manifests_[e.manifest].size)
        Damaged("entry " + std::to_string(i + 1) + " points past the end of its manifest");
    return e;
}

std::vector<cSimilarIndex::cEntry> cSimilarIndex::Entries(const std::vector<std::uint64_t>& which) const {
    std::vector<cEntry> entries;
    entries.reserve(which.size());
    // Many of them: the columns are read whole (28 bytes an entry, less than the file), not three
    // reads an entry.
    if (which.size() < 4096 || which.size() < count_ / 64) {
        for (const std::uint64_t i : which) entries.push_back(Entry(i));
        return entries;
    }
    const std::uint64_t n = count_;
    std::vector<std::uint8_t> columns(static_cast<std::size_t>(n) * 28);
    ReadExactly(columns_ + n * 8, columns.data(), columns.size());
    for (const std::uint64_t i : which) {
        if (i >= n) cError::RaiseRuntime(cError::kSubscriptOutOfRange);
        const std::uint8_t* at = columns.data();
        entries.push_back(Decode(i, at + i * 16, at + n * 16 + i * 4, at + n * 20 + i * 8));
    }
    return entries;
}

mSimilar::cGroup cSimilarIndex::Resolve(std::uint64_t i) { return ResolveAll({i}).front(); }

std::vector<mSimilar::cGroup> cSimilarIndex::ResolveAll(const std::vector<std::uint64_t>& which) {
    const std::vector<cEntry> entries = Entries(which);
    // In the manifests' order, each line read once.
    std::vector<std::size_t> order(which.size());
    for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
    const auto place = [&](std::size_t k) { return std::pair(entries[k].manifest, entries[k].offset); };
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return place(a) < place(b); });
    // An index has one entry for each record: more would make one record be read and copied over
    // and over. Refused before anything is read or held for them.
    for (std::size_t k = 1; k < order.size(); ++k) {
        if (place(order[k - 1]) == place(order[k]) && which[order[k - 1]] != which[order[k]])
            Damaged("entries " + std::to_string(which[order[k - 1]] + 1) + " and " +
                    std::to_string(which[order[k]] + 1) + " point at one record");
    }
    std::vector<mSimilar::cGroup> groups(which.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (k > 0 && place(order[k - 1]) == place(order[k]))
            groups[order[k]] = groups[order[k - 1]]; // the same entry asked twice
        else
            groups[order[k]] = Read(entries[order[k]], which[order[k]]);
    }
    return groups;
}

mSimilar::cGroup cSimilarIndex::Read(const cEntry& e, std::uint64_t i) {
    const cManifest& m = manifests_[e.manifest];
    auto& file = open_[e.manifest];
    if (!file) {
        cReadFile f;
        if (!f.Open(m.path)) throw IndexError(m.path, mSysText::TextLine(f.LastError()));
        file = std::move(f);
    }
    const auto stale = [&] {
        return IndexError(name_, m.path + " changed since the index was made: make the index again");
    };
    if (file->Size() != m.size) throw stale();
    // An entry points at the start of a line: one inside a line is damaged (and would let many
    // entries make one long line be read over and over).
    char before = '\n';
    if (e.offset > 0 && (file->ReadAt(e.offset - 1, &before, 1) != 1 || before != '\n'))
        Damaged("entry " + std::to_string(i + 1) + " points into the middle of a record");
    std::string line;
    mSimilar::cGroup g;
    if (!mSimilar::LineAt(*file, e.offset, line) || !mSimilar::FromRecord(line, g) || g.dhash != e.dhash) throw stale();
    return g;
}
