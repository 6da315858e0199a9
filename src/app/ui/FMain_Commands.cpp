// FMain: the commands on the chosen icon (save, copy, properties), the outside programs (the
// configured icon editor, the sibling editor, the search window), the options dialog, the error
// log, the Help menu and Exit.

#include <algorithm>
#include <filesystem>
#include <memory>

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDrag>
#include <QFileInfo>
#include <QMimeData>

#include "base/ui/mQtPath.h"
#include "base/ui/mQtText.h"
#include "app/mIconCommands.h"
#include "app/mMainSettings.h"
#include "app/mMainWindow.h"
#include "app/mPngExport.h"
#include "app/ui/FAbout.h"
#include "app/ui/FLauncher.h"
#include "app/ui/FMain.h"
#include "app/ui/FMain_State.h"
#include "app/ui/FProps.h"
#include "app/ui/cListView.h"
#include "app/ui/cStatusBar.h"
#include "app/ui/mIconDrag.h"
#include "themes/ui/FCursorTheme.h"
#include "grid/ui/cIconGrid.h"
#include "icon/mDHash.h"
#include "grid/ui/mQtDib.h"
#include "base/mProgram.h"
#include "resources/ui/mFileOpenSave.h"
#include "support/CLog.h"
#include "support/MError.h"
#include "support/mOptions.h"
#include "support/ui/FOptions.h"
#include "platform/ui/cPrompts.h"
#include "support/ui/cShell.h"

namespace {

using mQtText::Q;
using mQtText::T;

const QString kTitle = Q(MError::kTitle);

// The busy pointer for the life of a command.
class cBusyCursor {
public:
    cBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~cBusyCursor() { QApplication::restoreOverrideCursor(); }
    cBusyCursor(const cBusyCursor&) = delete;
    cBusyCursor& operator=(const cBusyCursor&) = delete;
};

// A page of the program's help (beside it in the build tree, under share/pictrix when installed).
std::string HelpPage(const char* name) { return mProgram::HelpDir() + mProgram::kSeparator + name; }

FMain::tSearchWindowFactory& SearchWindowFactory() {
    static FMain::tSearchWindowFactory factory;
    return factory;
}

} // namespace

void FMain::SetSearchWindowFactory(tSearchWindowFactory factory) { SearchWindowFactory() = std::move(factory); }

namespace {
FMain::tSimilarSearch& SimilarSearch() {
    static FMain::tSimilarSearch search;
    return search;
}
} // namespace

void FMain::SetSimilarSearch(tSimilarSearch search) { SimilarSearch() = std::move(search); }

void FMain::MakeCursorTheme() {
    FCursorTheme dlg(this);
    dlg.exec();
}

void FMain::AddLauncher() {
    try {
        if (!HasChosenIcon("FLauncher", FLauncher::kNoIcons, FLauncher::kChooseIcon)) return;
        FLauncher dlg(this, s_->shownFile, Icon(ChosenIndex()));
        dlg.exec();
    } catch (const cError& e) {
        MError::ReportError(e, true, true);
    }
}

void FMain::FindSimilar() {
    try {
        if (!HasChosenIcon("mDHash", mDHash::kNoIconsToFind, mDHash::kChooseIconToFind)) return;
        const cFileIcon& icon = Icon(ChosenIndex());
        const std::optional<std::uint64_t> hash = mDHash::OfGroup(icon);
        if (!hash) {
            cPrompts::Current().Message(this, tr("No picture of the chosen icon can be read."), cPrompts::eButtons::OK,
                                        cPrompts::eIcon::Information, kTitle);
            return;
        }
        if (!SimilarSearch()) {
            throw cError(cError::kInvalidCall, mProgram::ExeBaseName(), "The search window is not part of this build.");
        }
        std::string what = icon.Label();
        what = std::filesystem::path(icon.Filename()).filename().string() + (what.empty() ? "" : " " + what);
        SimilarSearch()(this, *hash, what);
    } catch (const cError& e) {
        MError::ReportError(e, true, true);
    }
}

std::int32_t FMain::ChosenIndex() const {
    return mMainWindow::KeyIndex(s_->lvwIcons->Key(s_->lvwIcons->SelectedIndex()));
}

std::vector<bool> FMain::ChosenImages() const {
    // A selection made while the grid was shown is kept for the next showing, but a hidden grid
    // chooses nothing: the commands then act on the whole icon.
    if (!ImagesShown()) return {};
    std::vector<bool> chosen(static_cast<std::size_t>(std::max(s_->IconGrid1->ItemCount(), 0)));
    for (std::int32_t j = 1; j <= s_->IconGrid1->ItemCount(); ++j)
        chosen[static_cast<std::size_t>(j - 1)] = s_->IconGrid1->Selected(j);
    return chosen;
}

cFileIcon FMain::ChosenCopy() { return mIconCommands::RestrictedCopy(Icon(ChosenIndex()), ChosenImages()); }

bool FMain::HasChosenIcon(const char* context, std::string_view noIcons, std::string_view chooseOne) {
    if (IconCount() < 1) {
        s_->sbrMain->SetStyle(cStatusBar::sbrSimple);
        s_->sbrMain->SetSimpleText(T(context, noIcons));
        return false;
    }
    if (s_->lvwIcons->SelectedIndex() < 1) {
        cPrompts::Current().Message(this, T(context, chooseOne), cPrompts::eButtons::OK, cPrompts::eIcon::Information,
                                    kTitle);
        return false;
    }
    return true;
}

void FMain::SaveIcons() {
    try {
        if (!HasChosenIcon("mIconCommands", mIconCommands::kNoIconsToSave, mIconCommands::kChooseIconToSave)) return;
        cFileIcon copy = ChosenCopy();
        // A cursor is saved as a cursor file, its hotspots kept.
        const bool cursor = copy.IsCursor();
        mFileOpenSave::cAsk ask;
        ask.defaultExt = cursor ? mIconCommands::kCursorSaveDefaultExt : mIconCommands::kSaveDefaultExt;
        // No name would save over the file the icon came from (a module, even): nothing to do.
        const std::optional<std::string> path = mFileOpenSave::AskSave(
            this, cursor ? mIconCommands::kCursorSaveFilter : mIconCommands::kSaveFilter, {}, ask);
        if (!path) return;
        copy.SaveIcon(*path);
        s_->RecentFiles.AddFile(*path);
        RefreshRecentMenu();
    } catch (const cError& e) {
        MError::ReportError(e, true, true);
    }
}

void FMain::mnuCopy_Click() {
    cBusyCursor busy;
    try {
        // Nothing chosen: the clipboard keeps what the user had on it.
        if (IconCount() < 1 || s_->lvwIcons->SelectedIndex() < 1) return;
        // The icon's bytes, its largest image, and the file Save would write, for file managers.
        cFileIcon copy = ChosenCopy();
        std::unique_ptr<QMimeData> mime = mIconDrag::MimeData(copy, true);
        if (!mime) return;
        QApplication::clipboard()->setMimeData(mime.release());
    } catch (const cError& e) {
        ShowCommandError(e);
    }
}

void FMain::StartDrag() {
    try {
        if (IconCount() < 1 || s_->lvwIcons->SelectedIndex() < 1) return;
        cFileIcon copy = ChosenCopy();
        std::unique_ptr<QMimeData> mime = mIconDrag::MimeData(copy, true);
        if (!mime) return;
        auto* drag = new QDrag(this);
        const QPixmap picture = s_->lvwIcons->Picture(s_->lvwIcons->SelectedIndex());
        if (!picture.isNull()) drag->setPixmap(picture);
        drag->setMimeData(mime.release());
        drag->exec(Qt::CopyAction);
    } catch (const cError& e) {
        ShowCommandError(e);
    }
}

void FMain::ShowProperties() {
    try {
        if (IconCount() < 1) {
            cPrompts::Current().Message(this, T("mIconCommands", mIconCommands::kNoIconsForProperties),
                                        cPrompts::eButtons::OK, cPrompts::eIcon::Information);
            return;
        }
        if (s_->lvwIcons->SelectedIndex() < 1) {
            cPrompts::Current().Message(this, T("mIconCommands", mIconCommands::kSelectIconForProperties),
                                        cPrompts::eButtons::OK, cPrompts::eIcon::Information);
            return;
        }
        // The images chosen in the grid, as Save and Copy take them.
        const cFileIcon icon = ChosenCopy();
        FProps props(this);
        std::string text = mIconCommands::PropertiesText(icon);
        // A frame of an animated cursor also tells how the animation runs.
        if (icon.Frame() > 0 && !s_->animationText.empty()) text += "\r\n" + s_->animationText;
        props.SetTexts(Q(mIconCommands::PropertiesNameLine(icon)), Q(text));
        props.SetVersionText(Q(mIconCommands::VersionPropertiesText(s_->shownFile)));
        props.exec();
    } catch (const cError& e) {
        MError::ReportError(e, true, true);
    }
}

void FMain::ExportPng() {
    try {
        if (!HasChosenIcon("mPngExport", mPngExport::kNoIconsToExport, mPngExport::kChooseIconToExport)) return;
        const cFileIcon& icon = Icon(ChosenIndex());
        std::vector<mPngExport::cFile> plan =
            mPngExport::Plan(icon, mPngExport::ImagesToExport(icon, ChosenImages(), ImagesShown()));
        if (plan.empty()) return;
        std::string folder;
        if (plan.size() == 1) {
            // One file: the save dialog, offering the planned name; it asks before replacing.
            mFileOpenSave::cAsk ask;
            ask.fileName = plan.front().name;
            ask.defaultExt = mPngExport::kSaveDefaultExt;
            if (!s_->exportFolder.isEmpty()) ask.initialDir = mQtPath::FromQt(s_->exportFolder);
            const std::optional<std::string> path = mFileOpenSave::AskSave(
                this, mPngExport::kSaveFilter, T("mPngExport", mPngExport::kCaption).toStdString(), ask);
            if (!path) return;
            plan.front().name = *path;
            s_->exportFolder = QFileInfo(Q(*path)).absolutePath();
        } else {
            // Several files: a folder, and one question for the files already there.
            const std::optional<QString> chosen =
                cPrompts::Current().Folder(this, T("mPngExport", mPngExport::kCaption), s_->exportFolder);
            if (!chosen || chosen->isEmpty()) return;
            folder = mQtPath::FromQt(*chosen);
            s_->exportFolder = *chosen;
            const std::vector<std::string> existing = mPngExport::ExistingFiles(plan, folder);
            if (!existing.empty() &&
                cPrompts::Current().Message(this, Q(mPngExport::ReplaceQuestion(existing)), cPrompts::eButtons::YesNo,
                                            cPrompts::eIcon::Exclamation, kTitle) != cPrompts::eAnswer::Yes) {
                return;
            }
        }
        const mPngExport::cReport report = [&] {
            cBusyCursor busy;
            return mPngExport::Write(icon, plan, folder);
        }();
        cPrompts::Current().Message(this, Q(mPngExport::ReportText(report)), cPrompts::eButtons::OK,
                                    report.failed.empty() ? cPrompts::eIcon::Information : cPrompts::eIcon::Exclamation,
                                    kTitle);
    } catch (const cError& e) {
        MError::ReportError(e, true, true);
    }
}

void FMain::LaunchEditor() {
    std::string path = mOptions::EditorPath();
    if (path.empty()) {
        const auto answer = cPrompts::Current().Message(this, T("mMainSettings", mMainSettings::kEditorQuestion),
                                                        cPrompts::eButtons::YesNo, cPrompts::eIcon::Question, kTitle);
        if (answer != cPrompts::eAnswer::Yes) return;
        mnuOptions_Click();
        path = mOptions::EditorPath();
        if (path.empty()) return;
    }
    // The editor is started on its own; it is not told about any icon.
    if (!cShell::Current().StartProgram(Q(path))) throw mMainSettings::OpenError(path);
}

void FMain::OpenSearchWindow(const std::string& listFile) {
    const tSearchWindowFactory& factory = SearchWindowFactory();
    if (!factory) {
        throw cError(cError::kInvalidCall, mProgram::ExeBaseName(),
                     tr("The search window is not part of this build.").toStdString());
    }
    // Each use opens another, independent search window, owned by the main window.
    QWidget* window = factory(this, listFile);
    if (!window) return;
    window->setWindowFlag(Qt::Window, true);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}

void FMain::RunGlintsmith() {
    std::string path;
    try {
        path = mMainSettings::SiblingPath();
    } catch (const cError& e) {
        MError::ReportError(e, true, false);
    }
    if (path.empty()) {
        const auto answer = cPrompts::Current().Message(this, Q(mMainSettings::kLocateSiblingQuestion),
                                                        cPrompts::eButtons::YesNo, cPrompts::eIcon::Question, kTitle);
        if (answer != cPrompts::eAnswer::Yes) return;
        // A save dialog without an owner or an overwrite question: it only names the program.
        mFileOpenSave::cAsk ask;
        ask.overwritePrompt = false;
        std::optional<std::string> chosen;
        try {
            chosen = mFileOpenSave::AskSave(nullptr, mMainSettings::kSiblingFilter, {}, ask);
        } catch (const cError& e) {
            MError::ReportError(e, true, true);
            return;
        }
        if (!chosen) return;
        path = *chosen;
        // A record that cannot be written is logged; the editor is started all the same.
        try {
            mMainSettings::SetSiblingPath(path);
        } catch (const cError& e) {
            MError::ReportError(e, true, false);
        }
    }
    if (!cShell::Current().StartProgram(Q(path))) ShowCommandError(mMainSettings::SiblingStartError(path));
}

void FMain::mnuOptions_Click() {
    try {
        FOptions options(this, [this](std::int32_t colour) { SetListBackColour(colour); });
        options.exec();
    } catch (const cError& e) {
        MError::ReportError(e, true, true);
    }
}

void FMain::mnuErrorLog_Click(int index) {
    try {
        const std::string log = MError::ErrorLogPath();
        switch (index) {
        case 1:
            if (!cShell::Current().OpenDocument(Q(log)))
                throw mMainSettings::OpenDocumentError(log, tr("text files").toStdString());
            break;
        case 2: {
            CLog clog;
            clog.LogPath(log);
            clog.ClearLog();
            break;
        }
        default: break;
        }
    } catch (const cError& e) {
        MError::ReportError(e, true, true);
    }
}

void FMain::mnuHelp_Click(int index) {
    try {
        const char* page = nullptr;
        switch (index) {
        case 0: page = "index.htm"; break;
        case 2: {
            FAbout about(this);
            about.exec();
            return;
        }
        case 4: page = kHelpPage4; break;
        case 5: page = kHelpPage5; break;
        default: return;
        }
        const std::string path = HelpPage(page);
        if (!cShell::Current().OpenDocument(Q(path)))
            throw mMainSettings::OpenDocumentError(path, tr("web pages").toStdString());
    } catch (const cError& e) {
        ShowCommandError(e);
    }
}

void FMain::mnuExit_Click() { close(); }
