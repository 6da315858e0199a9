// FRecurse: the commands. New with its walk, the list files (Open, Save, Save As, the recent
// lists, DisplayList, SaveList), Add, Delete, Extract with its run, the checked-entries message,
// and the help pages.

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QListView>
#include <QTimer>

#include <filesystem>
#include <optional>

#include "base/mPrintable.h"
#include "base/mTr.h"
#include "base/ui/mQtPath.h"
#include "base/ui/mQtText.h"
#include "platform/ui/cPrompts.h"
#include "resources/ui/mFileOpenSave.h"
#include "search/mExtract.h"
#include "search/cFolderWalk.h"
#include "search/mListFile.h"
#include "search/mRecurse.h"
#include "search/ui/FRecurse.h"
#include "search/ui/FRecurse_State.h"
#include "search/ui/cSearchListModel.h"
#include "search/ui/cStatusStrip.h"
#include "support/MError.h"
#include "support/ui/cShell.h"

namespace {

using mQtText::Q;
using mQtText::T;
using mQtText::Utf8;

void LogOnly(const cError& e) { MError::ReportError(e, true, false); }

// Runs one stage of a command; an error is logged and the command goes on with its next stage.
template <class F>
void Stage(F&& stage) {
    try {
        cError::Guarded(std::forward<F>(stage));
    } catch (const cError& e) {
        LogOnly(e);
    }
}

} // namespace

// The window's side of the walk.
class FRecurse::cWalkHost final : public cFolderWalk::cHost {
public:
    explicit cWalkHost(FRecurse& window) : w_(window) {}

    bool Append(const std::string& entry) override { return w_.s_->ListModel->Append(entry); }
    void Status(const std::string& text) override { w_.Status(text); }
    bool DoEvents() override {
        w_.DoEvents();
        return w_.s_->Running;
    }
    void EnableTimer(bool enabled) override { w_.EnableTimer(enabled); }
    void ReportError(const cError& e) override { LogOnly(e); }

private:
    FRecurse& w_;
};

// The walk asks at every folder and every match; asking the event loop costs a system call
// even when nothing is pending, so within a few milliseconds of the last time the answer is
// taken as it stands. Stop and Esc still act within those milliseconds.
void FRecurse::DoEvents() {
    if (s_->eventsClock.isValid() && s_->eventsClock.nsecsElapsed() < kEventsEveryNs) return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    s_->eventsClock.restart();
}

void FRecurse::NewList() {
    // Steps 1 and 2: the start folder and the caption; an error ends the command.
    std::string folder;
    try {
        const std::optional<QString> chosen =
            cPrompts::Current().Folder(this, T("mRecurse", mRecurse::kBrowseTitle), QString());
        if (!chosen) return;
        folder = mQtPath::FromQt(*chosen);
        SetCaption(mRecurse::Caption(folder));
    } catch (const cError& e) {
        LogOnly(e);
        return;
    }

    std::optional<QString> spec;
    Stage([&] {
        spec = cPrompts::Current().Input(this, Q(mRecurse::SpecPrompt(folder)), T("mRecurse", mRecurse::kSpecTitle),
                                         Q(mRecurse::kDefaultSpec));
    });
    s_->FileSpec = spec ? Utf8(*spec) : std::string();
    if (s_->FileSpec.empty()) return;

    cBusyRun run(*this, cBusyRun::eKind::kWalk);
    std::string passedOver;
    Stage([&] { s_->ListModel->Clear(); });
    s_->cutFile.clear();
    // An error of the walk ends it; what it found is shown all the same.
    Stage([&] {
        const std::string start = cFolderWalk::StartPath(folder);
        s_->sinceTick.restart();
        cWalkHost host(*this);
        cFolderWalk walk(host, s_->FileSpec, s_->mnuHidden && s_->mnuHidden->isChecked());
        walk.WalkFolder(start);
        passedOver = walk.PassedOverText();
    });
    s_->Running = false;
    s_->tmr1->stop();
    Stage([&] { s_->ListModel->Publish(); });
    Stage([&] {
        // What no list file can hold is said, in the closing text and the log, never dropped.
        std::string text = mRecurse::FoundText(List().ListCount(), s_->FileSpec);
        if (!passedOver.empty()) {
            text += tr(" (%1; see the log)").arg(Q(passedOver)).toStdString();
            LogOnly(cError(cError::kPathFileAccess, cError::SourceOf("FRecurse"), passedOver));
        }
        Status(text);
    });
    QApplication::beep();
    s_->DataChanged = true;
}

bool FRecurse::DisplayList(const std::string& file) {
    if (file.empty()) return false;
    try {
        s_->RecentLists.AddFile(file);
        RefreshRecentMenu();
        // Read whole into a list of its own first: a file that cannot be read leaves the list,
        // its check marks, the caption and the status as they were.
        cSearchList fresh;
        fresh.Reserve(cSearchList::kReservedEntries);
        std::int64_t count = 0, total = 0;
        {
            cBusyRun busy(*this, cBusyRun::eKind::kCursor);
            cError::Guarded([&] {
                mListFile::Read(file, [&](std::string&& entry) {
                    ++total;
                    if (fresh.Append(std::move(entry))) ++count;
                    return true;
                });
            });
            s_->ListModel->Reload([&](cSearchList& list) { list = std::move(fresh); });
        }
        SetCaption(mRecurse::Caption(file));
        Status(mRecurse::CountText(count));
        s_->cutFile.clear();
        if (total > count) {
            // Shown, not only logged: the window holds the first entries, and saving them over the
            // file would lose the rest.
            s_->cutFile = file;
            const std::string text = mRecurse::CutListText(file, total, count);
            LogOnly(cError(cError::kOverflow, cError::SourceOf("FRecurse"), text));
            cPrompts::Current().Message(this, Q(text), cPrompts::eButtons::OK, cPrompts::eIcon::Information,
                                        Q(MError::kTitle));
        }
        return true;
    } catch (const cError& e) {
        MError::ReportError(e, true, true);
    }
    return false;
}

bool FRecurse::IsCutListFile(const std::string& file) const {
    if (s_->cutFile.empty() || file.empty()) return false;
    std::error_code ec;
    return file == s_->cutFile || std::filesystem::equivalent(file, s_->cutFile, ec);
}

bool FRecurse::SaveList(const std::string& file) {
    try {
        const std::vector<std::string_view> entries = cError::Guarded([&] { return List().SavedEntries(); });
        {
            cBusyRun busy(*this, cBusyRun::eKind::kCursor);
            mListFile::Write(file, entries);
        }
        SetCaption(mRecurse::Caption(file));
        Status(mRecurse::CountText(static_cast<std::int64_t>(entries.size())));
        s_->DataChanged = false;
        s_->saveFailed = false;
        return true;
    } catch (const cError& e) {
        // Shown as well as logged: the user asked for the list to be kept and it was not.
        s_->saveFailed = true;
        MError::ReportError(e, true, true);
    }
    return false;
}

void FRecurse::OpenList() {
    try {
        const std::optional<std::string> name = mFileOpenSave::AskOpen(this, mRecurse::kOpenFilter);
        if (!name) return;
        s_->RecentLists.AddFile(*name);
        RefreshRecentMenu();
        if (DisplayList(*name)) s_->ListFile = *name;
    } catch (const cError& e) {
        LogOnly(e);
    }
}

bool FRecurse::Save() {
    try {
        if (mRecurse::SaveNeedsName(s_->caption, s_->ListFile)) return SaveAs();
        if (IsCutListFile(s_->ListFile)) {
            // Saving would cut the file to the entries shown: Save As under another name instead.
            const auto answer = cPrompts::Current().Message(
                this, Q(mRecurse::CutListSaveText(s_->ListFile)) + "\r\r" + tr("Save the list under another name?"),
                cPrompts::eButtons::YesNo, cPrompts::eIcon::Exclamation, Q(MError::kTitle));
            return answer == cPrompts::eAnswer::Yes && SaveAs();
        }
        return SaveList(s_->ListFile);
    } catch (const cError& e) {
        LogOnly(e);
    }
    return false;
}

bool FRecurse::SaveAs() {
    try {
        const std::optional<std::string> chosen = mFileOpenSave::AskSave(this, mRecurse::kSaveFilter);
        if (!chosen) return false;
        std::string name = *chosen;
        const std::string withExtension = mRecurse::ListFileName(name);
        // The dialog asked about the name as typed; a different file that ".ier" makes of it
        // must not be replaced without asking too.
        if (withExtension != name && QFileInfo::exists(Q(withExtension))) {
            const auto answer =
                cPrompts::Current().Message(this, Q(mRecurse::ReplaceQuestion(withExtension)),
                                            cPrompts::eButtons::YesNo, cPrompts::eIcon::Exclamation, Q(MError::kTitle));
            if (answer != cPrompts::eAnswer::Yes) return false;
        }
        name = withExtension;
        if (IsCutListFile(name)) {
            cPrompts::Current().Message(this, Q(mRecurse::CutListSaveText(name)), cPrompts::eButtons::OK,
                                        cPrompts::eIcon::Exclamation, Q(MError::kTitle));
            return false;
        }
        s_->RecentLists.AddFile(name);
        RefreshRecentMenu();
        const bool saved = SaveList(name);
        s_->ListFile = name;
        // The new file holds what the window shows: it is a whole list of its own.
        if (saved) s_->cutFile.clear();
        return saved;
    } catch (const cError& e) {
        LogOnly(e);
    }
    return false;
}

void FRecurse::mnuMRU_Click(int index) {
    try {
        if (index < 1 || index > 4) cError::RaiseRuntime(cError::kSubscriptOutOfRange);
        const QString tag = s_->mnuMRU[static_cast<std::size_t>(index)]->data().toString();
        const std::string file = s_->RecentLists.file(tag.toInt());
        if (DisplayList(file)) s_->ListFile = file;
        RefreshRecentMenu();
    } catch (const cError& e) {
        LogOnly(e);
    }
}

void FRecurse::AddItem() {
    try {
        if (const std::optional<std::string> path = mFileOpenSave::AskOpen(this, mRecurse::AddFilter(s_->FileSpec))) {
            // What the walk passes over, Add refuses too: a list file keeps one name a line.
            if (const std::string why = cFolderWalk::Unlistable(*path); !why.empty()) {
                cPrompts::Current().Message(this, tr("%1 was not added: %2.").arg(Q(mPrintable::Of(*path)), Q(why)),
                                            cPrompts::eButtons::OK, cPrompts::eIcon::Information);
            } else if (!s_->ListModel->Append(*path)) {
                LogOnly(cError(cError::kOverflow, cError::SourceOf("FRecurse"),
                               tr("The search list is full: %1 was not added").arg(Q(*path)).toStdString()));
            } else {
                s_->DataChanged = true;
            }
            s_->ListModel->Publish();
        }
        Busy(false);
        Status(mRecurse::CountText(List().ListCount()));
    } catch (const cError& e) {
        LogOnly(e);
    }
}

void FRecurse::DeleteItems() {
    try {
        {
            cBusyRun busy(*this, cBusyRun::eKind::kCursor);
            if (s_->ListModel->RemoveChecked() > 0) s_->DataChanged = true;
        }
        Status(mRecurse::CountText(List().ListCount()));
    } catch (const cError& e) {
        LogOnly(e);
    }
}

void FRecurse::ExtractList() {
    if (List().ListCount() == 0) return;
    if (ChooseTargetFolder().empty()) return;
    ExtractChecked();
}

std::string FRecurse::ChooseTargetFolder() {
    try {
        return cError::Guarded([&]() -> std::string {
            const std::optional<QString> chosen =
                cPrompts::Current().Folder(this, T("mRecurse", mRecurse::kTargetTitle), QString());
            if (!chosen) return {};
            const std::string folder = mExtract::TargetFolderOf(mQtPath::FromQt(*chosen));
            if (folder.empty()) return {};
            Status(mRecurse::SavingToText(folder));
            s_->TargetFolder = folder;
            return folder;
        });
    } catch (const cError& e) {
        LogOnly(e);
    }
    return {};
}

void FRecurse::ExtractChecked() {
    // The run's sources: the checked entries, or every entry when none is checked.
    const bool all = List().CheckedCount() == 0;
    mExtract::cOptions options;
    Stage([&] {
        std::vector<std::string> sources;
        for (int i = 0; i < List().ListCount(); ++i) {
            if (all || List().Checked(i)) sources.push_back(List().Text(i));
        }
        // A folder that cannot be opened fails each source's first save, which the log says.
        s_->Run.Open(s_->TargetFolder, sources);
        options.cursors = s_->mnuCursors && s_->mnuCursors->isChecked();
    });
    cBusyRun run(*this, cBusyRun::eKind::kExtraction);
    // An error of the loop itself ends the run; the idle state comes back all the same.
    Stage([&] {
        mExtract::cLoadHooks load;
        load.Status = [this](const std::string& text) { Status(text); };
        load.ReportError = LogOnly;
        mExtract::cSaveHooks save;
        save.Status = load.Status;
        save.ReportError = LogOnly;
        save.KeepGoing = [this] {
            DoEvents();
            return s_->Running;
        };
        save.Outcome = [this](const mExtract::cOutcome& o) {
            if (o.wanted.empty()) return;
            const std::string why =
                o.shortened
                    ? tr("is too long for a file name").toStdString()
                    : mTr::Text("mExtract", mExtract::RenameReason(o.why.value_or(mExtract::eRename::kSameFile)));
            MError::LogInformation(
                tr("%1: %2 %3; saved as %4").arg(Q(s_->Source.path), Q(o.wanted), Q(why), Q(o.path)).toStdString());
        };
        for (int i = 0; i < List().ListCount(); ++i) {
            DoEvents();
            if (!s_->Running) break;
            if (!all) {
                if (!List().Checked(i)) continue;
                s_->ListModel->setData(s_->ListModel->index(i), Qt::Unchecked, Qt::CheckStateRole);
            }
            const std::string source = List().Text(i);
            if (source.empty()) continue;
            s_->Source = mExtract::Load(source, options, load);
            if (s_->Source.read) mExtract::Save(s_->Run, s_->Source, save);
        }
    });
    s_->Running = false;
    Stage([&] { s_->Run.Finish(LogOnly); });
    Stage([&] { Status(s_->Run.TotalText()); });
}

void FRecurse::Contents() { cShell::Current().OpenDocument(Q(mRecurse::HelpPage(mRecurse::kContentsPage))); }

void FRecurse::RecurseHelp() { cShell::Current().OpenDocument(Q(mRecurse::HelpPage(mRecurse::kRecurseHelpPage))); }

void FRecurse::Picture1_DblClick() {
    try {
        cPrompts::Current().Message(this, Q(mRecurse::SelectedItemsText(List().CheckedEntries())),
                                    cPrompts::eButtons::OK, cPrompts::eIcon::None, QString());
    } catch (const cError& e) {
        LogOnly(e);
    }
}
