#pragma once
// cSimilarIndex: the compact index pictrix-cli index makes of manifests, so that a search of a
// large collection reads 8 bytes per group instead of its records. All numbers little-endian:
//
//   header (32 bytes)   "PXDHIDX\x1a", u32 version (1), u32 manifest count M, u64 entry count N,
//                       u64 length T of the manifest table
//   manifest table      M times: u64 the manifest's size when indexed, u32 path length, the
//                       path's bytes (absolute)
//   padding             zero bytes up to a multiple of 8
//   hashes              N times u64: the groups' difference hashes
//   digests             N times 16 bytes: the groups' digests (mSimilar::tDigest)
//   manifests           N times u32: the manifest the record is in; bit 31 set when the digest is
//                       known
//   offsets             N times u64: where the record's line starts in its manifest
//
// The file is untrusted: its length must be exactly what the header makes of it, each count is
// bounded by the length before anything is sized by it, and an entry that names a manifest or an
// offset outside it, or a place inside a line, fails as a damaged index when it is read. A file
// cut short while it is read is an error, not a signal: it is read, never mapped. A search reads the header, the
// table and the hashes; the other columns only for the entries it reports, and the records those
// point at from their manifests, which must still be as they were indexed.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/cError.h"
#include "platform/cReadFile.h"
#include "search/mSimilar.h"

class cSimilarIndex {
public:
    static constexpr char kMagic[8] = {'P', 'X', 'D', 'H', 'I', 'D', 'X', '\x1a'};
    static constexpr std::uint32_t kVersion = 1;
    static constexpr std::size_t kHeaderSize = 32;
    static constexpr std::size_t kEntrySize = 8 + 16 + 4 + 8;

    struct cManifest {
        std::string path;
        std::uint64_t size = 0;
        bool operator==(const cManifest&) const = default;
    };
    struct cEntry {
        std::uint64_t dhash = 0;
        std::optional<mSimilar::tDigest> digest;
        std::uint32_t manifest = 0; // 0-based, into Manifests()
        std::uint64_t offset = 0;
        bool operator==(const cEntry&) const = default;
    };

    // The bytes of an index of these manifests and entries.
    static std::vector<std::uint8_t> Bytes(const std::vector<cManifest>& manifests, const std::vector<cEntry>& entries);
    // Indexes the manifests (paths made absolute) and writes the index to `path` whole or not at
    // all. Raises a cError naming the manifest or the index file that failed.
    static std::uint64_t Make(const std::vector<std::string>& manifests, const std::string& path);
    // True when the file starts with the index's magic.
    static bool IsIndex(const std::string& path);

    // Reads the header and the table; raises a cError naming `name` when the bytes are
    // not an index.
    using tReader = std::function<std::size_t(std::uint64_t at, void* dst, std::size_t n)>;
    void Open(std::uint64_t size, tReader read, std::string name);
    void OpenFile(const std::string& path);

    const std::vector<cManifest>& Manifests() const noexcept { return manifests_; }
    std::size_t Count() const noexcept { return count_; }
    // Every hash, read whole on the first call (8 bytes an entry).
    std::span<const std::uint64_t> Hashes();
    // The positions of the `top` entries nearest `query` within `maxDistance` (0: all within it),
    // as mSimilar::Nearest answers them, from the hashes read a piece at a time.
    std::vector<std::size_t> Nearest(std::uint64_t query, int maxDistance, std::size_t top);
    // Entry i (0-based) in full; raises when it is damaged.
    cEntry Entry(std::uint64_t i) const;
    // The group entry i stands for, read from its manifest; raises when the manifest changed since.
    mSimilar::cGroup Resolve(std::uint64_t i);
    // The groups of several entries, in their order, each record read once. Each must point at
    // the start of a line of its own: two entries on one record are a damaged index.
    std::vector<mSimilar::cGroup> ResolveAll(const std::vector<std::uint64_t>& entries);

private:
    [[noreturn]] void Damaged(const std::string& why) const;
    void ReadExactly(std::uint64_t at, void* dst, std::size_t n) const;

    mSimilar::cGroup Read(const cEntry& e, std::uint64_t i);
    cEntry Decode(std::uint64_t i, const std::uint8_t* digest, const std::uint8_t* manifest,
                  const std::uint8_t* offset) const;
    std::vector<cEntry> Entries(const std::vector<std::uint64_t>& which) const;

    std::string name_;
    std::uint64_t size_ = 0;
    tReader read_;
    cReadFile file_;
    std::vector<cManifest> manifests_;
    std::uint64_t Hash(std::uint64_t i) const;

    // The hashes when read whole; a search reads them a piece at a time. Never mapped: a file cut
    // short under a mapping would end the process.
    std::unique_ptr<std::uint64_t[]> hashes_;
    std::size_t count_ = 0;
    std::uint64_t columns_ = 0; // where the hashes start
    std::vector<std::optional<cReadFile>> open_; // the manifests opened so far
};
