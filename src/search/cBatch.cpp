#include "search/cBatch.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <deque>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "base/mLanguage.h"
#include "base/mSha256.h"
#include "icon/mDHash.h"
#include "icon/mFileKind.h"
#include "platform/cReadFile.h"
#include "platform/mFileAt.h"
#include "platform/mSysText.h"
#include "search/cOrderedPipeline.h"

// What a worker leaves for the committer: the record so far, the loaded source and what the load
// said, in order.
struct cBatch::cLoaded {
    cSource record;
    mExtract::cSource source;
    std::vector<std::size_t> icoBytes;
    struct cEvent {
        std::string text; // a status text, when error is empty
        std::optional<cError> error;
    };
    std::vector<cEvent> events;
    std::uint64_t held = 0; // the bytes of the image blocks it holds
    std::vector<cGroup> failed; // the groups that could not be read, each with its position
    std::vector<std::string> carried; // passed over: the outputs an earlier run wrote for it
    std::exception_ptr hookFailure; // what PassOver threw: the run's failure, not the file's
};

namespace {

// A loaded source holding at most this many bytes of images is a light one (cOrderedPipeline).
constexpr std::uint64_t kLightBytes = 64 * 1024;

// The colour depth an entry's colour count stands for: 1, 4, 8, 24 or 32 bits.
std::int32_t Bits(std::int64_t colours) {
    if (colours >= std::numeric_limits<std::int32_t>::max()) return 32;
    std::int32_t bits = 1;
    while (bits < 31 && (std::int64_t{1} << bits) < colours) ++bits;
    return bits;
}

// The container a file's first bytes announce, "" for none. A compound file is an installer
// package where the name says so or says nothing (documents are compound files too).
std::string ContainerOf(const std::string& path, std::span<const std::uint8_t> head) {
    if (mFileKind::IsIconFileHeader(head)) return "ico";
    if (mFileKind::IsCursorFileHeader(head)) return "cur";
    if (mFileKind::IsAnimatedCursorHeader(head)) return "ani";
    if (mFileKind::IsModuleHeader(head)) return "module";
    if (mFileKind::IsIcnsFileHeader(head)) return "icns";
    if (mFileKind::IsResFileHeader(head)) return "res";
    if (mFileKind::IsAppImageHeader(head)) return "appimage";
    if (mFileKind::IsCompoundFileHeader(head) && mFileKind::ExtensionOf(path).value_or("MSI") == "MSI") return "msi";
    return {};
}

const char* StatusOf(mExtract::eOutcome o) {
    switch (o) {
    case mExtract::eOutcome::kSaved: return "saved";
    case mExtract::eOutcome::kRenamed: return "renamed";
    case mExtract::eOutcome::kDuplicate: return "duplicate";
    case mExtract::eOutcome::kUnchanged: return "unchanged";
    case mExtract::eOutcome::kFailed: return "failed";
    }
    return "";
}

} // namespace

std::string cBatch::FileSha256(const std::string& path, std::uint32_t* error) {
    cReadFile file;
    if (error) *error = 0;
    if (!file.Open(path)) {
        if (error) *error = file.LastError();
        return {};
    }
    cSha256 sha;
    std::array<std::uint8_t, 1 << 16> chunk;
    for (std::uint64_t at = 0;;) {
        const std::size_t got = file.ReadAt(at, chunk.data(), chunk.size());
        if (got == 0) {
            if (file.LastError() != 0) {
                if (error) *error = file.LastError();
                return {};
            }
            break;
        }
        sha.Add(chunk.data(), got);
        at += got;
    }
    return sha.Hex();
}

void cBatch::Load(const std::string& path, const cOptions& options, const cHooks& hooks, cLoaded& into) const {
    into.record.path = path;
    if (path.empty()) return;
    // Looked at before it is read (on the descriptor it is read by, so that the file costs one
    // open and one read when its first bytes say it holds no icons): a file changed while it is
    // read shows a later time than this. One that cannot be opened is looked at by its path, and
    // left to the load, which says why it cannot be read.
    cReadFile file;
    if (file.Open(path)) {
        into.record.stat = {true, file.Size(), file.Device(), file.Inode(), file.Written()};
    } else if (mFileAt::cIdentity id; mFileAt::Follow(path, id)) {
        into.record.stat = {true, static_cast<std::uint64_t>(id.size), id.device, id.inode, id.written};
    }
    if (hooks.PassOver) {
        cHooks::ePass pass = cHooks::ePass::kRead;
        try {
            pass = hooks.PassOver(into.record, into.carried);
        } catch (...) {
            into.hookFailure = std::current_exception();
            return;
        }
        switch (pass) {
        case cHooks::ePass::kRead: into.carried.clear(); break;
        case cHooks::ePass::kSupersede: into.record.supersedes = true; break;
        case cHooks::ePass::kPassOver:
            into.record.passedOver = true;
            into.record.read = true;
            into.source.path = path;
            into.source.read = true;
            return;
        }
    }
    // Judged by its first bytes: a file that starts like no container of icons holds none and is
    // read no further (most files of a collection).
    if (file.IsOpen()) {
        std::array<std::uint8_t, 16> head{};
        const std::size_t got = file.ReadAt(0, head.data(), head.size());
        if (file.LastError() == 0) {
            into.record.container = ContainerOf(path, std::span<const std::uint8_t>(head.data(), got));
            if (into.record.container.empty()) {
                into.record.read = true;
                into.source.path = path;
                into.source.read = true;
                return;
            }
        }
        file.Close();
    }
    mExtract::cLoadHooks h;
    h.Status = [&into](const std::string& text) { into.events.push_back({text, std::nullopt}); };
    h.ReportError = [&into](const cError& e) { into.events.push_back({{}, e}); };
    // A group that cannot be read fails alone: a failed record in its place, the others saved.
    h.GroupFailed = [&into](const mIconGroups::cFailure& f) {
        cGroup g;
        g.position = f.position;
        g.id = f.group.id;
        g.cursor = f.group.kind == cFileIcon::eKind::kCursor;
        if (f.group.language) g.language = mLanguage::Tag(*f.group.language);
        g.status = "failed";
        g.error = f.error.Description();
        const std::string which = std::string(g.cursor ? "cursor" : "icon") + " group " + mIconGroups::Label(f.group);
        into.events.push_back({{}, cError(f.error.Number(), f.error.Source(), which + ": " + g.error)});
        into.failed.push_back(std::move(g));
        return true;
    };
    try {
        cError::Guarded([&] {
            into.source = mExtract::Load(path, {options.cursors, options.languages, true}, h);
            into.record.read = into.source.read;
            if (!into.source.read) {
                for (auto it = into.events.rbegin(); it != into.events.rend(); ++it) {
                    if (it->error) {
                        into.record.error = it->error->Description();
                        while (!into.record.error.empty() &&
                               (into.record.error.back() == '\n' || into.record.error.back() == '\r'))
                            into.record.error.pop_back();
                        break;
                    }
                }
            }
            if (options.digests) into.record.sha256 = FileSha256(path);
            // Written to while it was read (a download, a log): its size, digest and groups could
            // be of different bytes. It fails, and the next run (or resume) reads it again.
            mFileAt::cIdentity after;
            if (into.source.read && into.record.stat.known &&
                (!mFileAt::Follow(path, after) || static_cast<std::uint64_t>(after.size) != into.record.stat.size ||
                 after.written != into.record.stat.written)) {
                const cError e(cError::kPathFileAccess, cError::SourceOf("cBatch"),
                               "the file changed while it was read: " + path);
                into.source.read = into.record.read = false;
                into.source.icons.clear();
                into.failed.clear();
                into.record.sha256.clear();
                into.record.error = e.Description();
                into.events.push_back({{}, e});
            }
            std::int32_t position = 0;
            std::size_t failed = 0;
            for (const cFileIcon& icon : into.source.icons) {
                cGroup g;
                // Its place among every group of the file: the failed ones keep theirs.
                while (failed < into.failed.size() && into.failed[failed].position == position + 1) {
                    ++failed;
                    ++position;
                }
                g.position = ++position;
                g.id = icon.ResourceID();
                g.cursor = icon.IsCursor();
                if (icon.Language()) g.language = mLanguage::Tag(*icon.Language());
                g.frame = icon.Frame();
                for (std::int32_t n = 1; n <= icon.ImageCount(); ++n) {
                    cImage image;
                    image.width = icon.ImageWidth(n);
                    image.height = icon.ImageHeight(n);
                    image.bits = Bits(icon.ImageColourCount(n));
                    image.bytes = static_cast<std::uint32_t>(icon.Block(n).size());
                    into.held += image.bytes;
                    image.png = icon.IsPngImage(n);
                    if (options.digests) image.sha256 = cSha256::Of(icon.Block(n));
                    if (icon.IsCursor()) image.hotspot = icon.Hotspot(n);
                    image.element = icon.ImageElement(n);
                    image.scale = icon.ImageScale(n);
                    g.images.push_back(std::move(image));
                }
                if (options.hashes) g.dhash = mDHash::OfGroup(icon);
                if (options.write && (options.digests || options.dedupe || options.contentNames)) {
                    const std::vector<std::uint8_t> ico = icon.IcoBytes();
                    g.icoSha256 = cSha256::Of(ico);
                    into.icoBytes.push_back(ico.size());
                } else {
                    into.icoBytes.push_back(0);
                }
                into.record.groups.push_back(std::move(g));
            }
        });
    } catch (const cError& e) {
        into.source.read = false;
        into.record.error = e.Description();
        into.events.push_back({{}, e});
    }
    if (!into.source.read) {
        into.record.read = false;
        into.failed.clear();
    }
}

bool cBatch::Commit(cLoaded& loaded, const cOptions& options, const cHooks& hooks) {
    cSource& record = loaded.record;
    const std::string& path = record.path;
    // Its files are those of an earlier run: this run knows them as that source's (and, where it is
    // read again, writes them again).
    if (options.write)
        for (const auto& name : loaded.carried) run_.Folder().Adopt(name, path);
    if (record.passedOver) {
        if (hooks.Done) hooks.Done(record);
        return true;
    }
    // What an earlier run wrote of it goes before anything of it is written.
    if (record.supersedes && hooks.Superseding) hooks.Superseding(record);
    for (const auto& e : loaded.events) {
        if (e.error) {
            if (hooks.Error) hooks.Error(path, *e.error);
        } else if (hooks.Status) {
            hooks.Status(path, e.text);
        }
    }
    bool ok = path.empty() || loaded.source.read;
    if (options.write && loaded.source.read && !loaded.source.icons.empty()) ok = Write(loaded, options, hooks) && ok;
    if (!loaded.failed.empty()) {
        // The groups that failed alone, each in its place; the file counts as failed.
        ok = false;
        for (auto& g : loaded.failed) record.groups.push_back(std::move(g));
        std::stable_sort(record.groups.begin(), record.groups.end(),
                         [](const cGroup& a, const cGroup& b) { return a.position < b.position; });
    }
    return HandOut(std::move(record), options, hooks) && ok;
}

bool cBatch::Write(cLoaded& loaded, const cOptions& options, const cHooks& hooks) {
    cSource& record = loaded.record;
    const std::string& path = record.path;
    bool stopped = false;
    mExtract::cSaveHooks h;
    h.KeepGoing = [&] {
        if (hooks.KeepGoing && !hooks.KeepGoing()) stopped = true;
        return !stopped;
    };
    h.Status = [&](const std::string& text) {
        if (hooks.Status) hooks.Status(path, text);
    };
    h.ReportError = [&](const cError& e) {
        if (hooks.Error) hooks.Error(path, e);
    };
    h.Digest = [&](std::int32_t k) { return record.groups[static_cast<std::size_t>(k - 1)].icoSha256; };
    if (options.dedupe) {
        h.KeptCopy = [&](std::int32_t k) -> std::optional<std::string> {
            const auto it = kept_.find(record.groups[static_cast<std::size_t>(k - 1)].icoSha256);
            if (it == kept_.end()) return std::nullopt;
            return it->second;
        };
    }
    h.Outcome = [&](const mExtract::cOutcome& o) { Count(o, loaded, options, hooks); };
    const bool ok = mExtract::Save(run_, loaded.source, h);
    if (stopped) {
        // Stopped between groups: the groups not written have no record, the source is not
        // complete, and it is no failure.
        std::erase_if(record.groups, [](const cGroup& g) { return g.status.empty(); });
        record.complete = false;
        loaded.failed.clear();
        stopped_ = true;
    }
    // The groups after a failed one are not written, as the search window leaves them.
    for (auto& g : record.groups) {
        if (!g.status.empty()) continue;
        g.status = "failed";
        g.error = "not written: an earlier group of this file could not be saved";
    }
    return ok;
}

void cBatch::Count(const mExtract::cOutcome& o, cLoaded& loaded, const cOptions& options, const cHooks& hooks) {
    cGroup& g = loaded.record.groups[static_cast<std::size_t>(o.group - 1)];
    g.status = StatusOf(o.outcome);
    g.output = o.outcome == mExtract::eOutcome::kFailed ? std::string() : o.path;
    if (o.error) g.error = o.error->Description();
    if (o.outcome == mExtract::eOutcome::kDuplicate) ++duplicates_;
    if (o.outcome == mExtract::eOutcome::kUnchanged) ++unchanged_;
    if (o.outcome == mExtract::eOutcome::kSaved || o.outcome == mExtract::eOutcome::kRenamed)
        bytesWritten_ += loaded.icoBytes[static_cast<std::size_t>(o.group - 1)];
    if (options.dedupe && o.outcome != mExtract::eOutcome::kDuplicate && o.outcome != mExtract::eOutcome::kFailed)
        kept_.emplace(g.icoSha256, o.path);
    if (o.wanted.empty()) return;
    const std::string& path = loaded.record.path;
    if (o.shortened && hooks.Shortened)
        hooks.Shortened(path, o.wanted, o.path);
    else if (!o.shortened && hooks.Renamed)
        hooks.Renamed(path, o.wanted, o.path, o.why.value_or(mExtract::eRename::kSameFile));
}

bool cBatch::HandOut(cSource record, const cOptions& options, const cHooks& hooks) {
    // The record goes out once its files are in place.
    if (options.write && (run_.Folder().Waiting() > 0 || run_.Folder().Failures() || !gate_.Empty())) {
        gate_.Hold(std::move(record));
        if (run_.Folder().Waiting() == 0 || gate_.Due()) return Settle(hooks);
    } else if (hooks.Done) {
        hooks.Done(record);
    }
    return true;
}

bool cBatch::Settle(const cHooks& hooks) {
    bool ok = true;
    gate_.Release(
        [&](std::vector<cSource>& held) {
            const std::vector<std::string> failed = run_.Finish([&](const cError& e) {
                if (hooks.Error) hooks.Error(run_.TargetFolder(), e);
            });
            ok = failed.empty();
            for (auto& record : held) {
                for (auto& g : record.groups) {
                    if (g.status != "saved" && g.status != "renamed") continue;
                    if (std::find(failed.begin(), failed.end(), g.output) == failed.end()) continue;
                    g.status = "failed";
                    g.error = "the file that was there could not be replaced";
                    g.output.clear();
                }
            }
        },
        [&](const cSource& record) {
            if (hooks.Done) hooks.Done(record);
        });
    return ok;
}

std::unique_ptr<cBatch::cLoaded> cBatch::LoadOne(const std::string& path, const cOptions& options,
                                                 const cHooks& hooks) const {
    if (hooks.Loading) hooks.Loading(path);
    auto loaded = std::make_unique<cLoaded>();
    try {
        Load(path, options, hooks, *loaded);
    } catch (...) {
        loaded->record = {};
        loaded->record.path = path;
        loaded->record.error = "the file could not be examined";
        loaded->source = {};
        loaded->icoBytes.clear();
        loaded->held = 0;
    }
    if (loaded->hookFailure) std::rethrow_exception(loaded->hookFailure);
    return loaded;
}

bool cBatch::Run(const std::vector<std::string>& sources, const cOptions& options, const cHooks& hooks) {
    if (options.write && !begun_ && !Begin(options, hooks, sources)) return false;
    std::size_t i = 0;
    return Run(
        [&](std::string& path) {
            if (i >= sources.size()) return false;
            path = sources[i++];
            return true;
        },
        options, hooks);
}

bool cBatch::Begin(const cOptions& options, const cHooks& hooks, const std::vector<std::string>& known) {
    refused_ = false;
    begun_ = true;
    // The folder is checked before anything is read: missing, no folder, not writable, or another
    // run's.
    std::optional<cError> refusal;
    if (!run_.Open(options.folder)) {
        refusal = cError(cFileIcon::kErrCantWrite, cError::SourceOf("cFileIcon"),
                         "The output folder cannot be opened: " + mSysText::TextLine(run_.LastError(), options.folder));
    } else if (!mFileAt::Writable(run_.Folder().Folder().Fd())) {
        refusal = cError(cFileIcon::kErrCantWrite, cError::SourceOf("cFileIcon"),
                         "The output folder cannot be written: " +
                             mSysText::TextLine(mSysText::kAccessDenied, options.folder));
    } else if (options.lock && !options.contentNames && !run_.Folder().Lock()) {
        refusal = cError(cFileIcon::kErrCantWrite, cError::SourceOf("cFileIcon"),
                         "Another run is writing into this folder; wait for it to end, or name the outputs by "
                         "their content, which runs in parallel may share");
    }
    if (refusal) {
        refused_ = true;
        begun_ = false;
        if (hooks.Error) hooks.Error(options.folder, *refusal);
        return false;
    }
    run_.ContentNames(options.contentNames);
    for (const auto& path : known) run_.Folder().AddSource(path);
    return true;
}

bool cBatch::Run(const tNext& nextSource, const cOptions& options, const cHooks& hooks) {
    duplicates_ = 0;
    unchanged_ = 0;
    bytesWritten_ = 0;
    stopped_ = false;
    gate_ = cRecordGate<cSource>(kMaxHeld, kMaxHeldTime);
    kept_.clear();
    if (options.write && !begun_ && !Begin(options, hooks)) return false;
    begun_ = false;

    // Sources loaded in parallel and committed in order (cOrderedPipeline); records whose files
    // wait for the run's flush are held by the gate, which the committer opens when it is due or
    // when the sources keep it waiting.
    using tPipeline = cOrderedPipeline<std::string, cLoaded>;
    tPipeline pipeline;
    tPipeline::cSteps steps;
    bool ok = true;
    steps.Next = nextSource;
    steps.KeepGoing = hooks.KeepGoing;
    steps.Load = [&](const std::string& path) { return LoadOne(path, options, hooks); };
    // Most sources of a collection hold no icons at all: they may wait in the longer queue.
    steps.Light = [](const cLoaded& loaded) { return loaded.held <= kLightBytes; };
    if (options.write) {
        // The run's sources are never replaced by an output: those taken from the list by their
        // names from the moment they are taken, and those loaded by their identity.
        steps.Taken = [this](const std::string& path) { Protect(path); };
        steps.Loaded = [this](cLoaded& loaded) {
            const cStat& st = loaded.record.stat;
            if (st.known) run_.AddSource({st.device, st.inode, 0, 0});
        };
        steps.Deadline = [this] { return gate_.Deadline(); };
        steps.Idle = [&] {
            if (!gate_.Empty()) ok = Settle(hooks) && ok;
        };
    }
    steps.Commit = [&](cLoaded& loaded) {
        ok = Commit(loaded, options, hooks) && ok;
        return !stopped_.load();
    };
    waiting_ = [&pipeline] { pipeline.WaitingForInput(); };
    std::exception_ptr failure;
    try {
        if (!pipeline.Run(steps, static_cast<std::size_t>(std::clamp(options.jobs, 1, 64)))) stopped_ = true;
    } catch (...) {
        failure = std::current_exception();
    }
    waiting_ = nullptr;
    if (options.write) {
        // What waits is complete: it is put in place even after a failure, and the records held
        // for it go out.
        ok = Settle(hooks) && ok;
    }
    if (failure) std::rethrow_exception(failure);
    // A stop between sources leaves sources unread, as one during a source does.
    return ok && !stopped_;
}

std::string cBatch::TotalText() const {
    // The renames were each reported as they happened (Renamed), not in a log.
    std::string text = "Total icons saved: " + std::to_string(run_.IconsSaved());
    if (const std::int32_t renamed = run_.IconsRenamed())
        text += " (" + std::to_string(renamed) + (renamed == 1 ? " was" : " were") +
                " saved under another name, each reported with its reason)";
    if (unchanged_ > 0)
        text += "; " + std::to_string(unchanged_) + " already held the same bytes and were left as they were";
    if (duplicates_ > 0) {
        text += "; " + std::to_string(duplicates_) + (duplicates_ == 1 ? " duplicate" : " duplicates") +
                " of files already written left out";
    }
    return text;
}
