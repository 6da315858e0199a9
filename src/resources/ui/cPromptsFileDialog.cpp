#include "resources/ui/cPromptsFileDialog.h"

#include <QDir>
#include <QPointer>
#include <QWidget>

#include <filesystem>

#include "base/ui/mQtPath.h"
#include "base/ui/mQtText.h"
#include "platform/ui/cPrompts.h"

using mFileOpenSave::cOpenFileName;

namespace {

QPointer<QWidget> gOwner;

using mQtText::Q;

// The converted filter's entries: description and pattern pairs.
std::vector<cPrompts::cFilter> Filters(const std::string& converted) {
    std::vector<cPrompts::cFilter> out;
    for (std::int32_t n = 1;; ++n) {
        const std::string entry = mFileOpenSave::FilterEntryAt(converted, n);
        if (entry.empty()) break;
        const auto nul = entry.find('\0');
        out.push_back({Q(entry.substr(0, nul)), nul == std::string::npos ? QString() : Q(entry.substr(nul + 1))});
    }
    return out;
}

cPrompts::cFileRequest Request(const cOpenFileName& ofn) {
    cPrompts::cFileRequest r;
    r.title = Q(ofn.lpstrTitle.value_or(std::string()));
    r.initialDir = Q(ofn.lpstrInitialDir.value_or(std::string()));
    r.fileName = Q(mFileOpenSave::CutAtNul(ofn.lpstrFile));
    r.filters = Filters(ofn.lpstrFilter);
    r.filterIndex = ofn.nFilterIndex;
    r.defaultExtension = Q(ofn.lpstrDefExt.value_or(std::string()));
    r.fileMustExist = (ofn.Flags & mFileOpenSave::OFN_FILEMUSTEXIST) != 0;
    r.multiSelect = (ofn.Flags & mFileOpenSave::OFN_ALLOWMULTISELECT) != 0;
    r.readOnly = (ofn.Flags & mFileOpenSave::OFN_READONLY) != 0;
    r.hideReadOnly = (ofn.Flags & mFileOpenSave::OFN_HIDEREADONLY) != 0;
    r.overwritePrompt = (ofn.Flags & mFileOpenSave::OFN_OVERWRITEPROMPT) != 0;
    return r;
}

// A name too long for the buffer: the user is told, and the caller sees a failed dialog (false,
// CommDlgExtendedError FNERR_BUFFERTOOSMALL) rather than a cancel.
bool TooLong(const std::string& file, const cOpenFileName& ofn) {
    mFileOpenSave::SetExtendedError(mFileOpenSave::FNERR_BUFFERTOOSMALL);
    // The name with its middle left out: a box as wide as a 4,000-byte path fits no screen.
    QString shown = Q(mFileOpenSave::CutAtNul(file));
    if (shown.size() > 120) shown = shown.left(60) + QChar(0x2026) + shown.right(59);
    cPrompts::Current().Message(gOwner,
                                QStringLiteral("The name of the chosen file is %1 bytes long; at most %2 fit.\r%3")
                                    .arg(file.size())
                                    .arg(ofn.nMaxFile - 1)
                                    .arg(shown),
                                cPrompts::eButtons::OK, cPrompts::eIcon::Critical, {});
    return false;
}

// Writes the chosen files back: one file as its full path; several as the folder, NUL, each name,
// NUL, and a closing NUL.
bool Answer(const cPrompts::cFileAnswer& a, cOpenFileName& ofn) {
    if (!a.confirmed || a.files.isEmpty()) return false;
    std::string file;
    // The system's names, as the dialog's folder holds them (Qt may show a name otherwise).
    const std::string first = mQtPath::FromQt(QDir::toNativeSeparators(a.files.front()));
    if (a.files.size() == 1) {
        file = first;
    } else {
        file = std::filesystem::path(first).parent_path().string();
        for (const QString& f : a.files) {
            file += '\0';
            file += std::filesystem::path(mQtPath::FromQt(f)).filename().string();
        }
        file += '\0';
    }
    if (file.size() + 1 > ofn.nMaxFile) return TooLong(file, ofn);
    file.resize(ofn.nMaxFile, '\0');
    ofn.lpstrFile = file;
    ofn.lpstrFileTitle = a.files.size() == 1 ? std::filesystem::path(first).filename().string() : std::string();
    ofn.lpstrFileTitle.resize(ofn.nMaxFileTitle, '\0');
    ofn.nFilterIndex = a.filterIndex;
    if (a.readOnly) ofn.Flags |= mFileOpenSave::OFN_READONLY;
    else ofn.Flags &= ~mFileOpenSave::OFN_READONLY;
    return true;
}

} // namespace

bool cPromptsFileDialog::GetOpenFileName(cOpenFileName& ofn) {
    return Answer(cPrompts::Current().OpenFile(gOwner, Request(ofn)), ofn);
}

bool cPromptsFileDialog::GetSaveFileName(cOpenFileName& ofn) {
    return Answer(cPrompts::Current().SaveFile(gOwner, Request(ofn)), ofn);
}

void cPromptsFileDialog::Install() {
    static cPromptsFileDialog backend;
    mFileOpenSave::SetBackend(&backend);
}

void cPromptsFileDialog::SetOwner(QWidget* owner) { gOwner = owner; }
