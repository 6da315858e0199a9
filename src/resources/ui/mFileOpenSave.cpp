#include "resources/mFileOpenSave.h"

namespace mFileOpenSave {

namespace {

cFileDialogBackend* gBackend = nullptr;
std::int32_t gExtendedError = kNoDialogError;

std::string Padded(const std::string& s, std::size_t length) {
    std::string out = s;
    if (out.size() < length) out.append(length - out.size(), '\0');
    return out;
}

cOpenFileName Record(const std::string& fileName, const std::string& fileTitle, const std::string& filter,
                     std::int32_t filterIndex, const std::optional<std::string>& initialDir,
                     const std::optional<std::string>& title, const std::optional<std::string>& defaultExt,
                     std::int32_t owner, std::size_t maxFile) {
    cOpenFileName ofn;
    ofn.hwndOwner = owner == -1 ? 0 : owner;
    ofn.lpstrFilter = ConvertFilter(filter);
    ofn.nFilterIndex = filterIndex;
    ofn.nMaxFile = maxFile;
    ofn.lpstrFile = Padded(fileName, maxFile);
    ofn.nMaxFileTitle = maxFile;
    ofn.lpstrFileTitle = Padded(fileTitle, maxFile);
    ofn.lpstrInitialDir = initialDir;
    ofn.lpstrTitle = title;
    ofn.lpstrDefExt = defaultExt;
    return ofn;
}

} // namespace

void SetBackend(cFileDialogBackend* backend) { gBackend = backend; }
cFileDialogBackend* Backend() { return gBackend; }

std::int32_t CommDlgExtendedError() { return gExtendedError; }
void SetExtendedError(std::int32_t code) { gExtendedError = code; }

std::string ConvertFilter(std::string_view filter) {
    std::string out(filter);
    for (char& c : out) {
        if (c == '|' || c == ':') c = '\0';
    }
    out.append(2, '\0');
    return out;
}

std::string CutAtNul(std::string_view s) {
    const auto nul = s.find('\0');
    return std::string(nul == std::string_view::npos ? s : s.substr(0, nul));
}

std::string FilterEntryAt(std::string_view s, std::int32_t n) {
    if (s.empty() || n < 1) return {};
    std::size_t start = 0;
    while (true) {
        const std::size_t first = s.find('\0', start);
        if (first == std::string_view::npos) return {};
        const std::size_t second = s.find('\0', first + 1);
        const std::string_view entry =
            second == std::string_view::npos ? s.substr(start) : s.substr(start, second - start);
        // The list's closing NULs hold no entry.
        if (entry.find_first_not_of('\0') == std::string_view::npos) return {};
        if (n == 1) return std::string(entry);
        if (second == std::string_view::npos) return {};
        --n;
        start = second + 1;
    }
}

bool ShowOpenDialog(std::string& fileName, std::string& fileTitle, bool fileMustExist, bool multipleSelection,
                    bool& readOnly, bool hideReadOnly, std::string& filter, std::int32_t& filterIndex,
                    const std::optional<std::string>& initialDir, const std::optional<std::string>& title,
                    const std::optional<std::string>& defaultExt, std::int32_t owner, std::int32_t& extraFlags) {
    cOpenFileName ofn = Record(fileName, fileTitle, filter, filterIndex, initialDir, title, defaultExt, owner,
                               multipleSelection ? kMaxFileMulti : kMaxFile);
    ofn.Flags = extraFlags & ~(OFN_ENABLEHOOK | OFN_ENABLETEMPLATE);
    if (fileMustExist) ofn.Flags |= OFN_FILEMUSTEXIST;
    if (multipleSelection) ofn.Flags |= OFN_ALLOWMULTISELECT;
    if (readOnly) ofn.Flags |= OFN_READONLY;
    if (hideReadOnly) ofn.Flags |= OFN_HIDEREADONLY;

    gExtendedError = kNoDialogError;
    if (!gBackend || !gBackend->GetOpenFileName(ofn)) {
        fileName.clear();
        fileTitle.clear();
        filter.clear();
        extraFlags = 0;
        filterIndex = -1;
        return false;
    }
    if (multipleSelection) {
        fileTitle.clear();
        const auto pair = ofn.lpstrFile.find(std::string_view("\0\0", 2));
        fileName = pair != std::string::npos ? ofn.lpstrFile.substr(0, pair) : CutAtNul(ofn.lpstrFile);
    } else {
        fileName = CutAtNul(ofn.lpstrFile);
        fileTitle = CutAtNul(ofn.lpstrFileTitle);
    }
    extraFlags = ofn.Flags;
    filterIndex = ofn.nFilterIndex;
    filter = FilterEntryAt(ofn.lpstrFilter, filterIndex);
    if (ofn.Flags & OFN_READONLY) readOnly = true;
    return true;
}

bool ShowSaveDialog(std::string& fileName, std::string& fileTitle, bool overwritePrompt, std::string& filter,
                    std::int32_t& filterIndex, const std::optional<std::string>& initialDir,
                    const std::optional<std::string>& title, const std::optional<std::string>& defaultExt,
                    std::int32_t owner, std::int32_t& extraFlags) {
    cOpenFileName ofn =
        Record(fileName, fileTitle, filter, filterIndex, initialDir, title, defaultExt, owner, kMaxFile);
    ofn.Flags = (extraFlags & ~(OFN_ENABLEHOOK | OFN_ENABLETEMPLATE)) | OFN_HIDEREADONLY;
    if (overwritePrompt) ofn.Flags |= OFN_OVERWRITEPROMPT;

    gExtendedError = kNoDialogError;
    if (!gBackend || !gBackend->GetSaveFileName(ofn)) {
        fileName.clear();
        fileTitle.clear();
        filter.clear();
        extraFlags = 0;
        filterIndex = 0;
        return false;
    }
    fileName = CutAtNul(ofn.lpstrFile);
    fileTitle = CutAtNul(ofn.lpstrFileTitle);
    extraFlags = ofn.Flags;
    filterIndex = ofn.nFilterIndex;
    filter = FilterEntryAt(ofn.lpstrFilter, filterIndex);
    return true;
}

} // namespace mFileOpenSave
