#include "search/cExtractor.h"

#include <new>
#include <set>

#include "icon/mFileKind.h"
#include "base/mProgram.h"
#include "resources/cResources.h"
#include "resources/mIconGroups.h"

std::string cExtractor::FitFileName(const std::string& path) {
    const auto sep = path.rfind(mProgram::kSeparator);
    const std::size_t nameAt = sep == std::string::npos ? 0 : sep + 1;
    const std::string_view name = std::string_view(path).substr(nameAt);
    if (name.size() <= kMaxNameBytes) return path;
    // 64-bit FNV-1a of the whole name.
    std::uint64_t hash = 0xCBF29CE484222325u;
    for (char c : name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001B3u;
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::string tail = "~";
    for (int shift = 60; shift >= 0; shift -= 4) tail += kHex[(hash >> shift) & 15];
    tail += ".ico";
    // The start of the name, not cut inside a UTF-8 sequence.
    std::size_t keep = kMaxNameBytes - tail.size();
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
    return path.substr(0, nameAt) + std::string(name.substr(0, keep)) + tail;
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
    if (!BaseNameOf(SourceFile, base)) Report(cError::Runtime(cError::kInvalidCall));
    return base;
}

std::string cExtractor::ItemText(std::int32_t i) const {
    if (i < 1 || i > IconCount || static_cast<std::size_t>(i) > Icons.size())
        cError::RaiseRuntime(cError::kSubscriptOutOfRange);
    const cFileIcon& icon = Icons[static_cast<std::size_t>(i - 1)];
    if (!IsEmpty(icon.ResourceID())) return ResourceIDText(icon.ResourceID());
    return icon.Filename();
}

std::string cExtractor::OutputFileName(std::int32_t i, const std::string& baseName) const {
    std::string name = TargetFolder;
    if (name.empty() || name.back() != mProgram::kSeparator) name += mProgram::kSeparator;
    name += baseName;
    name += std::to_string(i);
    const cFileIcon& icon = Icons.at(static_cast<std::size_t>(i - 1));
    // An icon file's group has no identifier; its list text is a path, which has no place inside
    // a file name.
    if (!IsEmpty(icon.ResourceID())) {
        // A resource name could hold a separator and so lead out of the target folder.
        for (char c : ItemText(i)) name += (c == mProgram::kSeparator || c == '\0') ? '_' : c;
    }
    name += ".ico";
    return name;
}

void cExtractor::Display() const {
    if (hooks_.DisplayIcons) hooks_.DisplayIcons();
}

void cExtractor::Pictures(std::int32_t i) const {
    if (!hooks_.GroupLoaded) return;
    try {
        hooks_.GroupLoaded(i, Icons[static_cast<std::size_t>(i - 1)]);
    } catch (const cError& e) {
        if (e.Number() != cError::kObjectNotSet && e.Number() != cError::kInvalidPicture) throw;
        Report(e);
    }
}

bool cExtractor::LoadFileIcons(const std::string& file) {
    if (file.empty()) return false;
    IconCount = 0;
    Icons.clear();
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
        IconCount = i;
        Pictures(i);
    };
    try {
        try {
            mIconGroups::Load(file, Icons, hooks);
            Display();
            return true;
        } catch (const std::bad_alloc&) {
            throw cError::Runtime(cError::kOutOfMemory);
        }
    } catch (const cError& e) {
        // Icons holds the groups loaded whole before the failure.
        IconCount = static_cast<std::int32_t>(Icons.size());
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
        IconCount = 0;
        Icons.clear();
        Display();
        Status("");
        Report(e);
        return false;
    }
}

bool cExtractor::SaveFileIcons() {
    const bool iconFile = mFileKind::IsIconFile(SourceFile);
    std::string base;
    if (iconFile) {
        // The list text of an icon file's group is its full path: the name is made of the base
        // name and the position alone.
        const auto sep = SourceFile.rfind(mProgram::kSeparator);
        base = SourceFile.substr(sep == std::string::npos ? 0 : sep + 1);
        const auto dot = base.rfind('.');
        if (dot != std::string::npos && dot > 0) base.erase(dot);
    } else if (IconCount > 0) {
        base = SourceBaseName();
    }
    std::set<std::string> written;
    for (std::int32_t k = 1; k <= IconCount; ++k) {
        if (!KeepGoing()) return false;
        const std::string wanted = OutputFileName(k, base);
        std::string name = FitFileName(wanted);
        for (int n = 2; written.count(name) != 0; ++n) {
            name = FitFileName(wanted.substr(0, wanted.size() - 4) + "~" + std::to_string(n) + ".ico");
        }
        try {
            cFileIcon copy;
            Icons[static_cast<std::size_t>(k - 1)].CloneTo(copy);
            copy.SaveIcon(name, written_);
        } catch (const cError& e) {
            if (e.Number() == cFileIcon::kErrCantWrite) Status(e.Description());
            Report(e);
            return false;
        } catch (const std::bad_alloc&) {
            Report(cError::Runtime(cError::kOutOfMemory));
            return false;
        }
        written.insert(name);
        if (name != wanted) {
            if (FitFileName(wanted) != wanted && hooks_.Shortened) hooks_.Shortened(wanted, name);
            else if (hooks_.Renamed) hooks_.Renamed(wanted, name);
        }
        ++IconsSaved;
    }
    return true;
}

void cExtractor::StartRun() {
    IconsSaved = 0;
    written_.Clear();
}

bool cExtractor::ExtractFile(const std::string& file) {
    SourceFile = file;
    if (file.empty()) return true;
    return LoadFileIcons(file) && SaveFileIcons();
}

std::string cExtractor::TotalText() const { return "Total icons saved: " + std::to_string(IconsSaved); }
