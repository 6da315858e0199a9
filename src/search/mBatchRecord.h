#pragma once
// mBatchRecord: what a batch extraction or listing says of each source it took: the source as it
// was found, what its first bytes say it is, and each icon group with its images, digests and the
// file it went to. Plain data: no threads, no I/O. The batch (cBatch) fills them; the manifest's
// writer and the similar-icons search read them.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/cResourceID.h"
#include "icon/cFileIcon.h"

namespace mBatchRecord {

struct cImage {
    std::int32_t width = 0, height = 0, bits = 0;
    std::uint32_t bytes = 0;
    bool png = false;
    std::string sha256;
    std::optional<cFileIcon::cHotspot> hotspot; // a cursor's image
    std::string element; // an .icns file's image: its element type ("" otherwise)
    std::int32_t scale = 1; // 2 for a double-density image of an .icns file
};

struct cGroup {
    std::int32_t position = 0; // 1-based, in the file's order
    cResourceID id;
    bool cursor = false; // a cursor group (or cursor file, or frame of an animated cursor)
    std::string language; // the language's tag where known ("" otherwise)
    std::int32_t frame = 0; // the frame of an animated cursor, 0 otherwise
    std::vector<cImage> images;
    std::optional<std::uint64_t> dhash; // with hashes: mDHash::OfGroup, none when no image decodes
    std::string icoSha256; // of the .ico bytes the group is saved as
    std::string output; // the file written, or the kept file of a duplicate; "" when none
    std::string status; // "saved", "renamed", "duplicate", "failed"; "" without writing
    std::string error; // why it failed
};

// The source's file as the run found it before reading it.
struct cStat {
    bool known = false; // false: it could not be looked at
    std::uint64_t size = 0, device = 0, inode = 0;
    std::int64_t written = 0; // ns since 1970
};

struct cSource {
    std::string path;
    cStat stat;
    bool read = false; // the file was examined to the end
    bool complete = true; // false: the run stopped while saving it; groups not written are left out
    bool passedOver = false; // not read: an earlier run's records of it stand (a resume)
    bool supersedes = false; // read again: an earlier run's records of it are void
    // What its first bytes say it is: "ico", "cur", "ani", "module", "icns", "res", "msi" (an
    // installer package), "appimage", or "" for a file that starts like none of them (read no
    // further: it holds no icons, and its sha256 is not taken).
    std::string container;
    std::string sha256; // of the file's bytes ("" when it could not be read)
    std::string error; // why it could not be read
    std::vector<cGroup> groups;
};

} // namespace mBatchRecord
