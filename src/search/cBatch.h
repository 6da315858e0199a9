#pragma once
// cBatch: batch extraction at the scale of whole collections, for pictrix-cli extract and
// list --json: the policy that wires its parts, the records it fills (mBatchRecord), the pipeline
// that loads sources in parallel and commits them in order (cOrderedPipeline) and the gate that
// hands records out once their files are in place (cRecordGate). Sources are loaded (and their
// digests taken) by `jobs` threads, each load within its own memory budget; one committer takes
// the results strictly in source order, so the output names, the messages and the records are
// those of a run with one job, whatever finishes first. At most `jobs` sources are being loaded
// or wait holding images; sources that hold little (64 KiB of images at most: most files of a
// collection hold none) may wait up to 64 deep. Sources are loaded
// and saved by the functions the search window's Extract uses (mExtract: the same names, renames
// and run rules), and one record per source goes to Done as soon as it is settled.
//
// With dedupe, a group whose .ico bytes equal a file this run already wrote is not written again:
// its record names the kept file.
//
// Sources are taken from a function as the run goes (a list is read while the run works, never
// held whole), so memory does not grow with the list. A source's file is looked at (size, time of
// its last write, identity) before it is read, and a file that is one of the run's sources is
// never replaced by an output, from the moment the run has taken it from its list (sources known
// in advance, from the start).
//
// A source's record goes to Done only once every file it names is in place: records whose files
// wait for the run's flush are held (at most kMaxHeld, for at most kMaxHeldTime by the clock, not
// until the next source comes, and no longer than the sources keep the run waiting) and handed
// out, in order, each once, as soon as the flush has put them there. A replacement that could not be made turns its group's record into a
// failed one. A module without a resource table, or without icons, is read: its record has no
// groups and is no failure. So is a file whose first bytes are no icon file's, cursor's, animated
// cursor's or module's (a document, an image, a program of another system, an empty file): it is
// judged by those bytes alone and read no further. `failed` is left for files that cannot be read
// and containers that are damaged.
//
// KeepGoing stops a run between groups: the source being saved keeps the groups written so far
// (its record is not `complete`), nothing after it is started, what waits is put in place, and
// every record whose files are in place is handed out.
//
// When something fails half way (out of memory, a hook that throws), on whichever thread: the
// other loaders stop at their next source and are joined, the records of the sources committed
// so far have been handed out, the files written so far stay (each complete), replacements that
// wait are put in place, and the failure leaves Run as it was raised, whatever the number of
// jobs. A folder that cannot be opened is the run's first failure: nothing is loaded.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/cError.h"
#include "base/cResourceID.h"
#include "search/cRecordGate.h"
#include "search/mBatchRecord.h"
#include "search/mExtract.h"

class cBatch {
public:
    // What the run says of each source (see mBatchRecord).
    using cImage = mBatchRecord::cImage;
    using cGroup = mBatchRecord::cGroup;
    using cStat = mBatchRecord::cStat;
    using cSource = mBatchRecord::cSource;
    struct cOptions {
        std::string folder; // where outputs go
        int jobs = 1;
        bool write = true; // false: load and describe only (list --json)
        bool digests = false; // take the sha256 of sources, blocks and outputs
        bool dedupe = false;
        bool cursors = false; // also the cursor groups of modules
        bool languages = false; // every language of a group stored in several
        bool contentNames = false; // outputs named by their digest (mExtract)
        bool lock = false; // take the folder for this run alone (refused when another run has it)
        bool hashes = false; // take the difference hash of every group (mDHash)
    };
    // A listing's options (list --json, similar): every group of every kind and language,
    // described with its digests and hash, nothing written.
    static cOptions Listing(int jobs) {
        cOptions o;
        o.jobs = jobs;
        o.write = false;
        o.digests = o.cursors = o.languages = o.hashes = true;
        return o;
    }
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
        // Asked before each source is started and each group saved, from any thread: false stops
        // the run (see above).
        std::function<bool()> KeepGoing;
        // A source as found (path and stat), from any thread: what an earlier run left of it.
        // kPassOver: it is not read and its record (passedOver, no groups) goes to Done in its
        // place. kSupersede: it is read again, and what the earlier run wrote for it is void: the
        // committer calls Superseding before it writes anything of the source. With either, the
        // output names the earlier run wrote for it, which this run then knows as that source's
        // (written again by it, taken by no other), are put in `outputs` (file names in the folder).
        enum class ePass { kRead, kPassOver, kSupersede };
        std::function<ePass(const cSource& found, std::vector<std::string>& outputs)> PassOver;
        // A source whose earlier records are void (kSupersede) is about to be written, in source
        // order, on the committing thread: its earlier records must be gone when this returns.
        std::function<void(const cSource& source)> Superseding;
    };

    // The next source into `path`; false at the end of the sources. Called one at a time, from
    // whichever thread starts the next source, and not under the lock the loaders share: while it
    // waits for input, the others go on and the committer still hands out what it holds.
    using tNext = std::function<bool(std::string& path)>;

    // Runs over the sources; true when every source was read and every group written. With
    // writing, a folder that cannot be opened or written, or that another run holds (with lock),
    // is reported through Error (with the folder as its source) before anything is loaded, the
    // run answers false and Refused() is set.
    bool Run(const tNext& next, const cOptions& options, const cHooks& hooks);
    // The folder's checks alone (Run makes them when they were not made): false, reported, when
    // the run is refused. `known` are sources known before the run (those named on a command
    // line): no output replaces them, whenever they come.
    bool Begin(const cOptions& options, const cHooks& hooks, const std::vector<std::string>& known = {});
    // Over sources known in advance: each is protected from the start.
    bool Run(const std::vector<std::string>& sources, const cOptions& options, const cHooks& hooks);

    bool Refused() const noexcept { return refused_; }
    // From `next`, on any thread, while the sources have nothing to give yet (a list on standard
    // input): the records held for the run's flush go out now rather than by their age.
    void WaitingForInput() {
        if (waiting_) waiting_();
    }
    // A source the run will read, named before it comes (a list read ahead, an earlier manifest):
    // where it lies in the output folder, no output replaces it from now on. After Begin. Each
    // source taken from `next` is protected from the moment it is taken.
    void Protect(const std::string& path) { run_.Folder().AddSourceIfHere(path); }
    // With dedupe: `output` holds the .ico bytes of `digest`, written by an earlier run (a source
    // passed over, from its Done); a group of those bytes is then a duplicate of it. On the
    // thread that Done is called on.
    void Keep(const std::string& digest, const std::string& output) {
        if (!digest.empty()) kept_.emplace(digest, output);
    }
    // Why the folder could not be locked where the file system gives no locks (mSysText), else 0.
    std::uint32_t Unlocked() noexcept { return run_.Folder().Unlocked(); }
    // The run ended because KeepGoing answered false.
    bool Stopped() const noexcept { return stopped_; }
    std::int32_t Unchanged() const noexcept { return unchanged_; }
    // The SHA-256 (hex) of a file's bytes, read in pieces; "" when it cannot be read whole (why,
    // mSysText, in `error`).
    static std::string FileSha256(const std::string& path, std::uint32_t* error = nullptr);
    // Records held back at most, and for how long, waiting for their files: past either, the
    // waiting files are put in place early (so a killed run loses at most that much of its record).
    static constexpr std::size_t kMaxHeld = 4096;
    static constexpr std::chrono::milliseconds kMaxHeldTime{1000};

    std::int32_t IconsSaved() const noexcept { return run_.IconsSaved(); }
    std::int32_t Duplicates() const noexcept { return duplicates_; }
    std::uint64_t BytesWritten() const noexcept { return bytesWritten_; }
    // "Total icons saved: N", the renames, and the duplicates left out.
    std::string TotalText() const;

private:
    struct cLoaded;
    void Load(const std::string& path, const cOptions& options, const cHooks& hooks, cLoaded& into) const;
    std::unique_ptr<cLoaded> LoadOne(const std::string& path, const cOptions& options, const cHooks& hooks) const;
    // The policy of one loaded source, in order: its earlier outputs adopted, what it supersedes
    // and what its load said reported, its groups written (Write), the failed ones merged in their
    // places, and its record handed out (HandOut); false when the source failed.
    bool Commit(cLoaded& loaded, const cOptions& options, const cHooks& hooks);
    // Writes the groups of a source that was read; false when one could not be saved. A stop
    // between groups leaves the record with the groups written, incomplete but not failed.
    bool Write(cLoaded& loaded, const cOptions& options, const cHooks& hooks);
    // What the save of one group came to, into its row of the record and the run's counts.
    void Count(const mExtract::cOutcome& o, cLoaded& loaded, const cOptions& options, const cHooks& hooks);
    // The record out to Done now, or held until its files are in place; false as Settle.
    bool HandOut(cSource record, const cOptions& options, const cHooks& hooks);
    // Puts what waits in place, turns the records of replacements that failed into failed ones
    // and hands out every held record; false when a replacement failed.
    bool Settle(const cHooks& hooks);

    mExtract::cRun run_;
    cRecordGate<cSource> gate_{kMaxHeld, kMaxHeldTime}; // settled sources whose files wait for the run's flush
    std::function<void()> waiting_; // during Run: the sources keep the run waiting
    bool refused_ = false;
    bool begun_ = false;
    std::atomic<bool> stopped_{false}; // set by the committer and by any loader
    std::int32_t unchanged_ = 0;
    std::int32_t duplicates_ = 0;
    std::uint64_t bytesWritten_ = 0;
    std::unordered_map<std::string, std::string> kept_; // .ico digest -> the first file written with it
};
