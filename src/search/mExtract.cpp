#include "search/mExtract.h"

#include "base/mProgram.h"
#include "base/mSha256.h"
#include "base/mTr.h"
#include "platform/mSysText.h"
#include "resources/cResources.h"
#include "resources/mIconGroups.h"

namespace mExtract {

namespace {

void Say(const std::function<void(const std::string&)>& status, const std::string& text) {
    if (status) status(text);
}

// The sentences of a failed save, as SaveIcon words them.
constexpr const char* kNoImages = PICTRIX_TR_NOOP("mExtract", "Icon contains no images.");
constexpr const char* kCantOpen = PICTRIX_TR_NOOP("mExtract", "Couldn't open file for writing.");
constexpr const char* kWriteFailure = PICTRIX_TR_NOOP("mExtract", "General failure writing icon.");

cError SaveError(std::int32_t number, const std::string& text, const std::string& path, std::uint32_t code) {
    // The log names the file and the system's reason.
    std::string what = mTr::Text("mExtract", text);
    if (code != 0) what += " (" + path + ": " + mSysText::TextLine(code, path) + ")";
    return cError(number, cError::SourceOf("cFileIcon"), what);
}

// Saves one group through `write` unless it cannot be: what failed (reported, with the sentence
// alone in the status strip), or nothing; `unchanged` when the file already held the bytes.
std::optional<cError> Written(const cFileIcon& icon, cRun& run, const std::string& path, const cSaveHooks& hooks,
                              const std::function<cOutputFolder::eWrite()>& write, bool& unchanged) {
    std::optional<cError> failure;
    cOutputFolder& folder = run.Folder();
    if (icon.ImageCount() == 0) {
        failure = SaveError(cFileIcon::kErrCantWrite, kNoImages, path, 0);
    } else if (!folder.Folder().IsOpen()) {
        // The folder could not be opened when the run began: no output can be written.
        failure = SaveError(cFileIcon::kErrCantWrite, kCantOpen, path, run.LastError());
    } else {
        switch (write()) {
        case cOutputFolder::eWrite::kDone: break;
        case cOutputFolder::eWrite::kUnchanged: unchanged = true; break;
        case cOutputFolder::eWrite::kOpenFailed:
            failure = SaveError(cFileIcon::kErrCantWrite, kCantOpen, path, folder.LastError());
            break;
        case cOutputFolder::eWrite::kWriteFailed:
            failure = SaveError(cFileIcon::kErrWriteFailure, kWriteFailure, path, folder.LastError());
            break;
        }
    }
    if (failure) {
        // The status strip shows the sentence alone, the log the file and the system's reason.
        if (failure->Number() == cFileIcon::kErrCantWrite)
            Say(hooks.Status, icon.ImageCount() == 0 ? kNoImages : kCantOpen);
        if (hooks.ReportError) hooks.ReportError(*failure);
    }
    return failure;
}

} // namespace

std::string FitFileName(const std::string& name) { return mOutputName::Fit(name); }

const char* RenameReason(eRename why) {
    switch (why) {
    case eRename::kSameFile: return PICTRIX_TR_NOOP("mExtract", "was already written from this file");
    case eRename::kOtherSource: return PICTRIX_TR_NOOP("mExtract", "was already written from another file of this run");
    case eRename::kSource: return PICTRIX_TR_NOOP("mExtract", "is one of the files this run extracts from");
    case eRename::kLink: return PICTRIX_TR_NOOP("mExtract", "is a symbolic link, which is never written through");
    }
    return "";
}

bool BaseNameOf(const std::string& path, std::string& base) {
    base.clear();
    const auto sep = path.rfind(mProgram::kSeparator);
    const std::string name = sep == std::string::npos ? path : path.substr(sep + 1);
    if (name.empty()) return false;
    // A folder's dot never counts: a module without extension is named by its whole file name.
    base = name.substr(0, name.rfind('.'));
    return true;
}

std::string TargetFolderOf(std::string folder) {
    while (folder.size() > 1 && folder.back() == mProgram::kSeparator) folder.pop_back();
    return folder;
}

std::string ItemText(const cFileIcon& icon) {
    if (!IsEmpty(icon.ResourceID())) return icon.Label();
    return icon.Filename();
}

std::string OutputName(const cSource& source, std::int32_t i, const std::string& baseName) {
    if (i < 1 || static_cast<std::size_t>(i) > source.icons.size()) cError::RaiseRuntime(cError::kSubscriptOutOfRange);
    const cFileIcon& icon = source.icons[static_cast<std::size_t>(i - 1)];
    std::string name = baseName + std::to_string(i);
    // An icon file's group has no identifier; its list text is a path, which has no place inside
    // a file name.
    if (!IsEmpty(icon.ResourceID())) {
        // A resource name could hold a separator and so lead out of the target folder.
        for (char c : ItemText(icon)) name += (c == mProgram::kSeparator || c == '\0') ? '_' : c;
    }
    name += icon.FileExtension();
    return name;
}

cSource Load(const std::string& file, const cOptions& options, const cLoadHooks& hooks) {
    cSource source;
    source.path = file;
    if (file.empty()) return source;
    const auto status = [&](const std::string& text) { Say(hooks.Status, text); };
    const auto report = [&](const cError& e) {
        if (hooks.ReportError) hooks.ReportError(e);
    };
    mIconGroups::cHooks h;
    h.Progress = [&](mIconGroups::eStep step, std::int32_t i, std::int32_t count) {
        using mIconGroups::eStep;
        switch (step) {
        case eStep::IconFile: status(mTr::Fill(PICTRIX_TR("mExtract", "Loading icon %1"), {file})); break;
        case eStep::CheckingModule: status(PICTRIX_TR("mExtract", "Checking for resources...")); break;
        case eStep::NoGroupType: status(PICTRIX_TR("mExtract", "No icons found in file.")); break;
        case eStep::ReadingNames: status(PICTRIX_TR("mExtract", "Getting icon resources...")); break;
        case eStep::NoGroups: status(PICTRIX_TR("mExtract", "No icon resources were found.")); break;
        case eStep::Group:
            status(mTr::Fill(PICTRIX_TR("mExtract", "Loading icon %1 of %2..."),
                             {std::to_string(i), std::to_string(count)}));
            break;
        case eStep::Done: status(file); break;
        }
    };
    h.GroupFailed = hooks.GroupFailed;
    try {
        cError::Guarded([&] {
            mIconGroups::cOptions o;
            o.cursors = options.cursors;
            o.languages = options.languages;
            o.emptyWithoutResources = options.emptyWithoutResources;
            source.kind = mIconGroups::Load(file, source.icons, h, o);
        });
        source.read = true;
    } catch (const cError& e) {
        // The groups read whole before the failure stay for the failures that keep them.
        if (e.Number() == cError::kOutOfMemory) {
            report(e);
        } else if (e.Number() == cFileIcon::kErrCantWrite || e.Number() == cResources::kErrLoad) {
            status(e.Description());
            report(e);
        } else {
            source.icons.clear();
            status("");
            report(e);
        }
    }
    return source;
}

bool cRun::Open(const std::string& folder, const std::vector<std::string>& sources) {
    iconsSaved_ = 0;
    iconsRenamed_ = 0;
    contentSaved_.clear();
    if (!folder_.Open(TargetFolderOf(folder))) return false;
    for (const auto& s : sources) folder_.AddSource(s);
    return true;
}

std::vector<std::string> cRun::Finish(const std::function<void(const cError&)>& report) {
    std::vector<std::string> failed;
    for (const auto& f : folder_.Finish()) {
        if (iconsSaved_ > 0) --iconsSaved_;
        if (report) {
            report(SaveError(cFileIcon::kErrWriteFailure, kWriteFailure, f.path, f.code));
        }
        failed.push_back(f.path);
    }
    return failed;
}

std::string cRun::TotalText() const {
    std::string text = mTr::Fill(PICTRIX_TR("mExtract", "Total icons saved: %1"), {std::to_string(iconsSaved_)});
    if (iconsRenamed_ > 0) {
        text +=
            mTr::Fill(iconsRenamed_ == 1 ? PICTRIX_TR("mExtract", " (%1 was saved under another name; see the log)")
                                         : PICTRIX_TR("mExtract", " (%1 were saved under another name; see the log)"),
                      {std::to_string(iconsRenamed_)});
    }
    return text;
}

// Group k of `source` under its content name.
bool cRun::SaveByContent(const cSource& source, std::int32_t k, const cSaveHooks& hooks) {
    cRun& run = *this;
    const cFileIcon& icon = source.icons[static_cast<std::size_t>(k - 1)];
    cOutputFolder& folder = run.Folder();
    const std::vector<std::uint8_t> bytes = icon.IcoBytes();
    std::string digest = hooks.Digest ? hooks.Digest(k) : std::string();
    if (digest.size() != 64) digest = cSha256::Of(bytes);
    const std::string sub = digest.substr(0, 2);
    const std::string name = digest + icon.FileExtension();
    const std::string path = folder.Folder().PathOf(sub + mProgram::kSeparator + name);
    const auto outcome = [&](eOutcome o, const cError* e) {
        if (hooks.Outcome) hooks.Outcome({k, o, path, {}, std::nullopt, false, e});
    };
    if (run.contentSaved_.count(digest + name) != 0) {
        outcome(eOutcome::kDuplicate, nullptr);
        return true;
    }
    bool unchanged = false;
    const auto failure = Written(
        icon, run, path, hooks, [&] { return folder.WriteContent(sub, name, bytes); }, unchanged);
    if (failure) {
        outcome(eOutcome::kFailed, &*failure);
        return false;
    }
    run.contentSaved_.insert(digest + name);
    ++run.iconsSaved_;
    outcome(unchanged ? eOutcome::kUnchanged : eOutcome::kSaved, nullptr);
    return true;
}

bool Save(cRun& run, const cSource& source, const cSaveHooks& hooks) {
    const auto report = [&](const cError& e) {
        if (hooks.ReportError) hooks.ReportError(e);
    };
    const auto outcome = [&](const cOutcome& o) {
        if (hooks.Outcome) hooks.Outcome(o);
    };
    const auto count = static_cast<std::int32_t>(source.icons.size());
    if (source.path.empty() || count == 0) return true;
    std::string base;
    if (source.kind != mFileKind::eKind::kModule) {
        // The list text of an icon file's group is its full path: the name is made of the base
        // name and the position alone.
        const auto sep = source.path.rfind(mProgram::kSeparator);
        base = source.path.substr(sep == std::string::npos ? 0 : sep + 1);
        const auto dot = base.rfind('.');
        if (dot != std::string::npos && dot > 0) base.erase(dot);
    } else if (!BaseNameOf(source.path, base)) {
        report(cError::Runtime(cError::kInvalidCall));
    }
    cOutputFolder& folder = run.folder_;
    folder.SetSource(source.path);
    for (std::int32_t k = 1; k <= count; ++k) {
        if (hooks.KeepGoing && !hooks.KeepGoing()) return false;
        if (hooks.KeptCopy) {
            if (const std::optional<std::string> kept = hooks.KeptCopy(k)) {
                outcome({k, eOutcome::kDuplicate, *kept, {}, std::nullopt, false, nullptr});
                continue;
            }
        }
        const cFileIcon& icon = source.icons[static_cast<std::size_t>(k - 1)];
        if (run.contentNames_) {
            if (!run.SaveByContent(source, k, hooks)) return false;
            continue;
        }
        const std::string wanted = OutputName(source, k, base);
        std::string name = FitFileName(wanted);
        std::optional<eRename> why;
        const bool open = folder.Folder().IsOpen();
        cOutputFolder::eAt at = open ? folder.At(name) : cOutputFolder::eAt::kFree;
        for (int n = 2; open && n < 1'000'000; ++n) {
            std::optional<eRename> taken;
            switch (at) {
            case cOutputFolder::eAt::kThisListing: taken = eRename::kSameFile; break;
            case cOutputFolder::eAt::kOtherSource: taken = eRename::kOtherSource; break;
            case cOutputFolder::eAt::kSource: taken = eRename::kSource; break;
            case cOutputFolder::eAt::kLink: taken = eRename::kLink; break;
            default: break;
            }
            if (!taken) break;
            if (!why) why = taken;
            name = mOutputName::Numbered(wanted, n);
            at = folder.At(name);
        }
        const std::string path = folder.Folder().PathOf(name);
        bool unchanged = false;
        const auto failure = Written(
            icon, run, path, hooks, [&] { return folder.Write(name, icon.IcoBytes()); }, unchanged);
        if (failure) {
            outcome({k, eOutcome::kFailed, path, {}, std::nullopt, false, &*failure});
            return false;
        }
        // A file left as it was is no save under another name.
        if (why && !unchanged) ++run.iconsRenamed_;
        // A file the run wrote from this source in an earlier listing is replaced, not added.
        if (at != cOutputFolder::eAt::kEarlierListing) ++run.iconsSaved_;
        const std::string wantedPath = folder.Folder().PathOf(wanted);
        const bool shortened = FitFileName(wanted) != wanted;
        outcome({k,
                 unchanged        ? eOutcome::kUnchanged
                 : name == wanted ? eOutcome::kSaved
                                  : eOutcome::kRenamed,
                 path, name == wanted ? std::string() : wantedPath, why, shortened, nullptr});
    }
    return true;
}

} // namespace mExtract
