#include "search/cExtractor.h"

#include <set>
#include <utility>
#include <sys/stat.h>

#include "icon/mFileKind.h"
#include "base/mProgram.h"
#include "platform/cAtomicFile.h"
#include "platform/mSysText.h"
#include "resources/cResources.h"
#include "resources/mIconGroups.h"

std::string cExtractor::FitFileName(const std::string& path) { return mOutputName::Fit(path); }

const char* cExtractor::RenameReason(eRename why) {
    switch (why) {
    case eRename::kSameFile: return "was already written from this file";
    case eRename::kOtherSource: return "was already written from another file of this run";
    case eRename::kSource: return "is one of the files this run extracts from";
    case eRename::kLink: return "is a symbolic link, which is never written through";
    }
    return "";
}

bool cExtractor::BaseNameOf(const std::string& path, std::string& base) {
    base.clear();
    const auto sep = path.rfind(mProgram::kSeparator);
    const std::string name = sep == std::string::npos ? path : path.substr(sep + 1);
    if (name.empty()) return false;
    // A folder's dot never counts: a module without extension is named by its whole file name.
    base = name.substr(0, name.rfind('.'));
    return true;
}

std::string cExtractor::TargetFolderOf(std::string folder) {
    while (folder.size() > 1 && folder.back() == mProgram::kSeparator) folder.pop_back();
    return folder;
}

std::string cExtractor::SourceBaseName() {
    std::string base;
    if (!BaseNameOf(sourceFile_, base)) Report(cError::Runtime(cError::kInvalidCall));
    return base;
}

std::string cExtractor::ItemText(std::int32_t i) const {
    if (i < 1 || i > iconCount_ || static_cast<std::size_t>(i) > icons_.size())
        cError::RaiseRuntime(cError::kSubscriptOutOfRange);
    const cFileIcon& icon = icons_[static_cast<std::size_t>(i - 1)];
    if (!IsEmpty(icon.ResourceID())) return icon.Label();
    return icon.Filename();
}

std::string cExtractor::OutputFileName(std::int32_t i, const std::string& baseName) const {
    std::string name = targetFolder_;
    if (name.empty() || name.back() != mProgram::kSeparator) name += mProgram::kSeparator;
    name += baseName;
    name += std::to_string(i);
    const cFileIcon& icon = icons_.at(static_cast<std::size_t>(i - 1));
    // An icon file's group has no identifier; its list text is a path, which has no place inside
    // a file name.
    if (!IsEmpty(icon.ResourceID())) {
        // A resource name could hold a separator and so lead out of the target folder.
        for (char c : ItemText(i)) name += (c == mProgram::kSeparator || c == '\0') ? '_' : c;
    }
    name += icon.FileExtension();
    return name;
}

void cExtractor::Outcome(std::int32_t k, eOutcome outcome, const std::string& path, const cError* error) const {
    if (hooks_.Outcome) hooks_.Outcome(k, outcome, path, error);
}

void cExtractor::Display() const {
    if (hooks_.DisplayIcons) hooks_.DisplayIcons();
}

void cExtractor::Pictures(std::int32_t i) const {
    if (!hooks_.GroupLoaded) return;
    try {
        hooks_.GroupLoaded(i, icons_[static_cast<std::size_t>(i - 1)]);
    } catch (const cError& e) {
        if (e.Number() != cError::kObjectNotSet && e.Number() != cError::kInvalidPicture) throw;
        Report(e);
    }
}

bool cExtractor::LoadFileIcons(const std::string& file) {
    if (file.empty()) return false;
    iconCount_ = 0;
    icons_.clear();
    mIconGroups::cHooks hooks;
    hooks.Progress = [&](mIconGroups::eStep step, std::int32_t i, std::int32_t count) {
        using mIconGroups::eStep;
        switch (step) {
        case eStep::IconFile: Status("Loading icon " + file); break;
        case eStep::CheckingModule: Status("Checking for resources..."); break;
        case eStep::NoGroupType: Status("No icons found in file."); break;
        case eStep::ReadingNames: Status("Getting icon resources..."); break;
        case eStep::NoGroups: Status("No icon resources were found."); break;
        case eStep::Group: Status("Loading icon " + std::to_string(i) + " of " + std::to_string(count) + "..."); break;
        case eStep::Done: Status(file); break;
        }
    };
    hooks.GroupLoaded = [&](std::int32_t i, const cFileIcon&) {
        iconCount_ = i;
        Pictures(i);
    };
    hooks.GroupFailed = hooks_.GroupFailed;
    try {
        return cError::Guarded([&] {
            mIconGroups::cOptions options;
            options.cursors = extractCursors_;
            options.languages = extractLanguages_;
            mIconGroups::Load(file, icons_, hooks, options);
            Display();
            return true;
        });
    } catch (const cError& e) {
        // Icons holds the groups loaded whole before the failure.
        iconCount_ = static_cast<std::int32_t>(icons_.size());
        if (e.Number() == cError::kOutOfMemory) {
            Display();
            Report(e);
            return false;
        }
        if (e.Number() == cFileIcon::kErrCantWrite || e.Number() == cResources::kErrLoad) {
            Status(e.Description());
            Report(e);
            return false;
        }
        iconCount_ = 0;
        icons_.clear();
        Display();
        Status("");
        Report(e);
        return false;
    }
}

std::optional<cExtractor::eRename> cExtractor::Taken(const std::string& name,
                                                     const std::set<std::string>& thisFile) const {
    if (thisFile.count(name) != 0) return eRename::kSameFile;
    // The same source listed twice writes its names again.
    if (const std::string* from = written_.WrittenFrom(name); from && *from != sourceFile_)
        return eRename::kOtherSource;
    const cAtomicFile::cProbe at = cAtomicFile::Probe(name);
    if (at.kind == cAtomicFile::eKind::kLink) return eRename::kLink;
    if (at.kind == cAtomicFile::eKind::kRegular && written_.IsSource(at.identity.device, at.identity.inode))
        return eRename::kSource;
    return std::nullopt;
}

bool cExtractor::SaveFileIcons() {
    // An icon file, a cursor file or the frames of an animated cursor: groups without identifiers.
    const bool iconFile = mFileKind::KindOf(sourceFile_) != mFileKind::eKind::kModule;
    std::string base;
    if (iconFile) {
        // The list text of an icon file's group is its full path: the name is made of the base
        // name and the position alone.
        const auto sep = sourceFile_.rfind(mProgram::kSeparator);
        base = sourceFile_.substr(sep == std::string::npos ? 0 : sep + 1);
        const auto dot = base.rfind('.');
        if (dot != std::string::npos && dot > 0) base.erase(dot);
    } else if (iconCount_ > 0) {
        base = SourceBaseName();
    }
    written_.SetSource(sourceFile_);
    std::set<std::string> thisFile;
    for (std::int32_t k = 1; k <= iconCount_; ++k) {
        if (!KeepGoing()) return false;
        if (hooks_.KeptCopy) {
            if (const std::optional<std::string> kept = hooks_.KeptCopy(k)) {
                Outcome(k, eOutcome::kDuplicate, *kept, nullptr);
                continue;
            }
        }
        const std::string wanted = OutputFileName(k, base);
        std::string name = FitFileName(wanted);
        std::optional<eRename> why;
        for (int n = 2; n < 1'000'000; ++n) {
            const std::optional<eRename> taken = Taken(name, thisFile);
            if (!taken) break;
            if (!why) why = taken;
            name = mOutputName::Numbered(wanted, n);
        }
        // A file the run wrote from this source in an earlier listing is replaced, not added.
        const bool again = written_.WrittenFrom(name) != nullptr;
        cFileIcon copy;
        try {
            cError::Guarded([&] {
                icons_[static_cast<std::size_t>(k - 1)].CloneTo(copy);
                copy.SaveIcon(name, written_);
            });
        } catch (const cError& e) {
            if (e.Number() == cFileIcon::kErrCantWrite) Status(e.Description());
            // The log names the file and the system's reason.
            std::string what = e.Description();
            if (copy.SaveSystemError() != 0)
                what += " (" + name + ": " + mSysText::TextLine(copy.SaveSystemError(), name) + ")";
            const cError reported(e.Number(), e.Source(), what);
            Report(reported);
            Outcome(k, eOutcome::kFailed, name, &reported);
            return false;
        }
        thisFile.insert(name);
        if (why) ++iconsRenamed_;
        if (name != wanted) {
            if (FitFileName(wanted) != wanted && hooks_.Shortened)
                hooks_.Shortened(wanted, name);
            else if (hooks_.Renamed)
                hooks_.Renamed(wanted, name, why.value_or(eRename::kSameFile));
        }
        if (!again) ++iconsSaved_;
        Outcome(k, name == wanted ? eOutcome::kSaved : eOutcome::kRenamed, name, nullptr);
    }
    return true;
}

std::vector<cFileIcon> cExtractor::TakeIcons() {
    iconCount_ = 0;
    return std::exchange(icons_, {});
}

void cExtractor::GiveIcons(std::vector<cFileIcon> icons, std::int32_t count) {
    icons_ = std::move(icons);
    iconCount_ = count;
}

void cExtractor::StartRun(const std::vector<std::string>& sources) {
    iconsSaved_ = 0;
    iconsRenamed_ = 0;
    written_.Clear();
    for (const auto& source : sources) {
        struct stat st {};
        if (!source.empty() && ::stat(source.c_str(), &st) == 0)
            written_.AddSource(static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino));
    }
}

void cExtractor::FinishRun() {
    for (const auto& f : written_.Finish()) {
        if (iconsSaved_ > 0) --iconsSaved_;
        Report(cError(cFileIcon::kErrWriteFailure, mProgram::ExeBaseName() + ".cFileIcon",
                      "General failure writing icon. (" + f.path + ": " + mSysText::TextLine(f.code, f.path) + ")"));
    }
}

bool cExtractor::ExtractFile(const std::string& file) {
    sourceFile_ = file;
    if (file.empty()) return true;
    return LoadFileIcons(file) && SaveFileIcons();
}

std::string cExtractor::TotalText() const {
    std::string text = "Total icons saved: " + std::to_string(iconsSaved_);
    if (iconsRenamed_ > 0) {
        text += " (" + std::to_string(iconsRenamed_) + (iconsRenamed_ == 1 ? " was" : " were") +
                " saved under another name; see the log)";
    }
    return text;
}
