#pragma once
// mSimilar: finding the groups that look like a given one (their difference hashes, mDHash, within
// a Hamming distance) across a collection: the groups as the manifests of pictrix-cli record them,
// as an index (cSimilarIndex) points at them, or as files are loaded. The ranking keeps the best
// first; "same bytes" is known where both sides carry the digests of their images.

#include <array>
#include <bit>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/mJson.h"
#include "platform/cReadFile.h"
#include "search/mBatchRecord.h"

namespace mSimilar {

// What stands for a group's bytes: the first 16 bytes of the SHA-256 of its images' SHA-256
// digests, in the group's order, one after the other (32 bytes each).
using tDigest = std::array<std::uint8_t, 16>;

// One group as a search compares and reports it.
struct cGroup {
    std::uint64_t dhash = 0;
    std::optional<tDigest> digest;
    std::string source; // the file's path
    std::int32_t position = 0; // 1-based, among every group of the file
    std::string id; // the resource identifier: a number's digits or a name ("" for a file's one group)
    bool idIsName = false;
    bool cursor = false;
    std::int32_t frame = 0; // an animated cursor's frame, 0 otherwise
    bool operator==(const cGroup&) const = default;
};

// The digest of a group from its images' digests as 64 hex digits each; none when there are no
// images or one digest is missing or malformed.
std::optional<tDigest> GroupDigest(const std::vector<std::string>& imageSha256);

// One line of a manifest (or of list --json) as a group. False for a line that is JSON but no
// group with a hash (a file that failed, a group no image of which decodes, records of other
// kinds); fields it does not know are passed over. A line that is not JSON raises nothing either:
// `json` says which it was.
bool FromRecord(std::string_view line, cGroup& group, bool* json = nullptr);

// The groups with a hash of a manifest, each with the byte offset its line starts at, in the
// file's order. Raises a cError naming the file when it cannot be read, and naming the line when
// a line is not JSON. Lines are at most kMaxLine bytes.
constexpr std::size_t kMaxLine = mJson::kMaxRecordBytes;
void ReadManifest(const std::string& path, const std::function<void(cGroup&&, std::uint64_t offset)>& each);
// The line that starts at `offset` of an open file, without its line end; false when nothing can
// be read there or the line runs past kMaxLine.
bool LineAt(cReadFile& file, std::uint64_t offset, std::string& line);

// The groups with a hash of a loaded source.
std::vector<cGroup> FromSource(const mBatchRecord::cSource& source);

// The positions of the hashes within `maxDistance` of `query`, in order (the scan of an index).
std::vector<std::size_t> Within(std::span<const std::uint64_t> hashes, std::uint64_t query, int maxDistance);

// A match: a group within the distance asked, how far, and whether its bytes are the query's.
struct cMatch {
    int distance = 0;
    cGroup group;
    bool sameBytes = false;
};

// The positions of the `top` hashes nearest `query` within `maxDistance` (0: all within it), in
// the order of the scan; of hashes at one distance the first scanned are kept. Memory and time
// are bounded by `top`, not by the hashes within reach.
std::vector<std::size_t> Nearest(std::span<const std::uint64_t> hashes, std::uint64_t query, int maxDistance,
                                 std::size_t top);
// The same over hashes that come a piece at a time (an index read in chunks): Scan each piece
// with the position of its first hash, in order, then take Positions().
class cNearest {
public:
    cNearest(std::uint64_t query, int maxDistance, std::size_t top)
        : query_(query), maxDistance_(maxDistance), top_(top), worst_(maxDistance) {}
    void Scan(std::span<const std::uint64_t> hashes, std::size_t first);
    std::vector<std::size_t> Positions() const;

private:
    std::uint64_t query_;
    int maxDistance_;
    std::size_t top_;
    int worst_;
    // With a `top`: a max-heap by (distance, position), its top the first to go. Without: every
    // position within reach.
    std::vector<std::pair<int, std::size_t>> best_;
};

// Collects the groups within `maxDistance` of the query in the order they are offered and answers
// them best first: by distance, then in the order offered; the first `top` of them (0: all). With
// a `top`, no more than twice that many are held while offers come.
class cRanking {
public:
    cRanking(std::uint64_t query, std::optional<tDigest> digest, int maxDistance, std::size_t top)
        : query_(query), digest_(digest), maxDistance_(maxDistance), top_(top) {}
    // True when a group of this hash would be kept (its distance is within reach).
    bool Near(std::uint64_t dhash) const noexcept { return std::popcount(query_ ^ dhash) <= maxDistance_; }
    void Offer(const cGroup& group);
    std::vector<cMatch> Best() const;

private:
    struct cHeld {
        cMatch match;
        std::uint64_t order = 0;
    };
    void Trim(std::vector<cHeld>& held) const;

    std::uint64_t query_;
    std::optional<tDigest> digest_;
    int maxDistance_;
    std::size_t top_;
    std::uint64_t offered_ = 0;
    std::vector<cHeld> matches_;
};

// A file of a walk as the search window lists it: its nearest group's distance, that group's
// place among the groups read (1-based) and what a list shows for it (cFileIcon::Label).
struct cFileMatch {
    int distance = 0;
    std::int32_t group = 0;
    std::string label;
};
// Loads `file` as the extraction loads it (icon and cursor groups, each language; a group that
// cannot be read is passed over) and answers its nearest group within `maxDistance` of `query`;
// none when no group is that near. Raises what the load raises.
std::optional<cFileMatch> NearestGroup(const std::string& file, std::uint64_t query, int maxDistance);

// The path and the name pattern a search walks for an operand: a folder walks every file ("*.*");
// a path whose last part holds "*" or "?" below an existing folder walks that folder with it.
// False when the operand is neither.
bool WalkOperand(const std::string& operand, std::string& folder, std::string& spec);

} // namespace mSimilar
