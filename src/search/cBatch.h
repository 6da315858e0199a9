#pragma once
// cBatch: batch extraction at the scale of whole collections, for pictrix-cli extract and
// list --json. Sources are loaded (and their digests taken) by `jobs` threads, each load within
// its own memory budget; one committer takes the results strictly in source order, so the output
// names, the messages and the records are those of a run with one job, whatever finishes first.
// The committer is one of the `jobs` loaders: while the source it is to commit is not ready, it
// loads the next one itself. At most `jobs` sources are being loaded or wait holding images;
// sources that hold little (64 KiB of images at most: most files of a collection hold none) may
// wait up to 64 deep, so that the loaders need not stop at every small file. Sources are loaded
// and saved by the functions the search window's Extract uses (mExtract: the same names, renames
// and run rules), and one record per source goes to Done as soon as it is settled.
//
// With dedupe, a group whose .ico bytes equal a file this run already wrote is not written again:
// its record names the kept file.
//
// When something fails half way (out of memory, a hook that throws), on whichever thread: the
// other loaders stop at their next source and are joined, the records of the sources committed
// so far have been handed out, the files written so far stay (each complete), replacements that
// wait are put in place, and the failure leaves Run as it was raised, whatever the number of
// jobs. A folder that cannot be opened is the run's first failure: nothing is loaded.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/cError.h"
#include "base/cResourceID.h"
#include "search/mExtract.h"

class cBatch {
public:
    struct cImage {
        std::int32_t width = 0, height = 0, bits = 0;
        std::uint32_t bytes = 0;
        bool png = false;
        std::string sha256;
        std::optional<cFileIcon::cHotspot> hotspot; // a cursor's image
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
    struct cSource {
        std::string path;
        bool read = false; // the file was examined to the end
        std::string sha256; // of the file's bytes ("" when it could not be read)
        std::string error; // why it could not be read
        std::vector<cGroup> groups;
    };
    struct cOptions {
        std::string folder; // where outputs go
        int jobs = 1;
        bool write = true; // false: load and describe only (list --json)
        bool digests = false; // take the sha256 of sources, blocks and outputs
        bool dedupe = false;
        bool cursors = false; // also the cursor groups of modules
        bool languages = false; // every language of a group stored in several
        bool hashes = false; // take the difference hash of every group (mDHash)
    };
    struct cHooks {
        // A source is settled, in source order: its record, with what it printed before.
        std::function<void(const cSource&)> Done;
        // The extraction's status texts and errors, replayed in source order.
        std::function<void(const std::string& source, const std::string& text)> Status;
        std::function<void(const std::string& source, const cError& error)> Error;
        std::function<void(const std::string& source, const std::string& wanted, const std::string& used,
                           mExtract::eRename why)>
            Renamed;
        std::function<void(const std::string& source, const std::string& wanted, const std::string& used)> Shortened;
        // A source is about to be loaded, on the thread that loads it (in any order).
        std::function<void(const std::string& source)> Loading;
    };

    // Runs over `sources`; true when every source was read and every group written. With writing,
    // a folder that cannot be opened is reported through Error (with the folder as its source)
    // before anything is loaded, and the run answers false.
    bool Run(const std::vector<std::string>& sources, const cOptions& options, const cHooks& hooks);

    std::int32_t IconsSaved() const noexcept { return run_.IconsSaved(); }
    std::int32_t Duplicates() const noexcept { return duplicates_; }
    std::uint64_t BytesWritten() const noexcept { return bytesWritten_; }
    // "Total icons saved: N", the renames, and the duplicates left out.
    std::string TotalText() const;

private:
    struct cLoaded;
    void Load(const std::string& path, const cOptions& options, cLoaded& into) const;
    std::unique_ptr<cLoaded> LoadOne(const std::string& path, const cOptions& options, const cHooks& hooks) const;
    bool Commit(cLoaded& loaded, const cOptions& options, const cHooks& hooks);

    mExtract::cRun run_;
    std::int32_t duplicates_ = 0;
    std::uint64_t bytesWritten_ = 0;
    std::unordered_map<std::string, std::string> kept_; // .ico digest -> the first file written with it
};
