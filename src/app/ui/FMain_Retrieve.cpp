// FMain: retrieving every icon of a file into the window's icons and the two image lists.

#include <QImage>

#include "base/mTr.h"
#include "base/ui/mQtText.h"
#include "app/mIconCommands.h"
#include "app/mListPictures.h"
#include "app/mMainWindow.h"
#include "app/ui/FMain.h"
#include "app/ui/FMain_State.h"
#include "app/ui/cImageList.h"
#include "app/ui/cListView.h"
#include "app/ui/cStatusBar.h"
#include "grid/ui/cIconGrid.h"
#include "grid/ui/mQtDib.h"
#include "icon/mBestImage.h"
#include "icon/mFileKind.h"
#include "resources/mIconGroups.h"
#include "resources/ui/mFileOpenSave.h"
#include "support/MError.h"

namespace {

using mQtText::Q;
using mQtText::T;

} // namespace

std::int32_t FMain::BestImageIndex(std::int32_t n, std::int32_t size) {
    try {
        return mBestImage::BestImageIndex(Icon(n), size, s_->HighColour);
    } catch (const cError& e) {
        MError::ReportError(e, true, false);
        return 0;
    }
}

void FMain::AddPictures(std::int32_t i) {
    const std::string key = mMainWindow::ItemKey(i);
    // Each list's picture is drawn when the list first shows the item, at the screen's pixels
    // from the best image for that many (at ratio 1, the list's own size). Each list on its own:
    // a picture that cannot be made is logged, and the item goes without it in that list only.
    for (cImageList* list : {s_->ilsIcons32.get(), s_->ilsIcons16.get()}) {
        list->Add(key, [this, i, list]() -> QImage {
            try {
                return cError::Guarded([&] {
                    const std::int32_t pixels = list->DevicePixels();
                    const std::int32_t image = BestImageIndex(i, pixels);
                    return mQtDib::ImageFromBitmap(s_->pictures->Picture(Icon(i), image, pixels));
                });
            } catch (const cError& e) {
                MError::ReportError(e, true, false);
                return {};
            }
        });
    }
}

double FMain::PictureRatio() const { return devicePixelRatioF(); }

void FMain::ForgetPictures() {
    s_->ilsIcons16->SetDevicePixelRatio(PictureRatio());
    s_->ilsIcons32->SetDevicePixelRatio(PictureRatio());
    s_->pictures = std::make_unique<mListPictures::cMaker>();
}

void FMain::RemakePictures() {
    if (s_->ilsIcons32->DevicePixelRatio() == PictureRatio() && s_->ilsIcons16->DevicePixelRatio() == PictureRatio())
        return;
    ForgetPictures();
    for (std::int32_t i = 1; i <= IconCount(); ++i) AddPictures(i);
    s_->lvwIcons->SetSmallIcons(s_->lvwIcons->SmallIcons());
    s_->lvwIcons->SetIcons(s_->lvwIcons->Icons());
}

void FMain::ResetIcons() {
    // The list's items and pictures go before the icons they are drawn from.
    s_->lvwIcons->Clear();
    s_->lvwIcons->SetIcons(nullptr);
    s_->lvwIcons->SetSmallIcons(nullptr);
    ForgetPictures();
    s_->IconGrid1->Clear();
    s_->icons.clear();
    s_->animationText.clear();
}

void FMain::RetrieveFailed(const cError& e) {
    if (e.Number() == cError::kOutOfMemory) {
        // Show what was retrieved so far: the icons loaded whole before the failure.
        DisplayIcons();
        s_->sbrMain->SetStyle(cStatusBar::sbrSimple);
        s_->sbrMain->SetSimpleText(T("mMainWindow", mMainWindow::kReady));
        MError::ReportError(e, true, false);
        return;
    }
    MError::ReportError(e, true, true);
    // Nothing of the file is shown: View > Cursors has nothing to read again.
    s_->shownFile.clear();
    ResetIcons();
    DisplayIcons();
    s_->sbrMain->SetStyle(cStatusBar::sbrSimple);
    s_->sbrMain->SetSimpleText(T("mMainWindow", mMainWindow::kReady));
}

void FMain::RetrieveIcons() {
    std::string fileName;
    try {
        // This open dialog offers the read-only box (Qt's dialogs draw none).
        mFileOpenSave::cAsk ask;
        ask.hideReadOnly = false;
        const std::optional<std::string> chosen = mFileOpenSave::AskOpen(this, mMainWindow::kOpenFilter, {}, ask);
        if (!chosen) return;
        fileName = *chosen;
        s_->RecentFiles.AddFile(fileName);
        RefreshRecentMenu();
    } catch (const cError& e) {
        RetrieveFailed(e);
        return;
    }
    Retrieve(fileName);
}

void FMain::RetrieveDroppedFile(const std::string& fileName) {
    // As if the dialog had chosen it.
    s_->RecentFiles.AddFile(fileName);
    RefreshRecentMenu();
    Retrieve(fileName);
}

void FMain::Retrieve(const std::string& fileName) {
    try {
        cError::Guarded([&] {
            ResetIcons();
            const QString name = Q(fileName);
            s_->sbrMain->SetStyle(cStatusBar::sbrSimple);
            mIconGroups::cHooks hooks;
            hooks.Progress = [&](mIconGroups::eStep step, std::int32_t i, std::int32_t count) {
                using mIconGroups::eStep;
                switch (step) {
                case eStep::IconFile: s_->sbrMain->SetSimpleText(Q(mMainWindow::RetrievingIconText(fileName))); break;
                case eStep::CheckingModule:
                    s_->sbrMain->SetSimpleText(T("mMainWindow", mMainWindow::kCheckingForIcons));
                    break;
                case eStep::NoGroupType:
                case eStep::NoGroups: s_->sbrMain->SetSimpleText(T("mMainWindow", mMainWindow::kNoIconsFound)); break;
                case eStep::ReadingNames:
                    s_->sbrMain->SetSimpleText(T("mMainWindow", mMainWindow::kRetrievingIcons));
                    break;
                case eStep::Group: s_->sbrMain->SetSimpleText(Q(mMainWindow::RetrievingIconOfText(i, count))); break;
                case eStep::Done:
                    s_->sbrMain->SetPanelText(1, name);
                    // An icon, cursor or animated cursor file is named in full; a module is not.
                    if (mFileKind::KindOf(fileName) != mFileKind::eKind::kModule) s_->sbrMain->SetSimpleText(name);
                    break;
                }
            };
            // The pictures of each icon as soon as it counts (it is icons_[i - 1] by then), so that a
            // stop for lack of memory still shows the icons before it with theirs.
            hooks.GroupLoaded = [&](std::int32_t i, const cFileIcon&) { AddPictures(i); };
            hooks.AnimationLoaded = [&](const cAnimatedCursor& animation) {
                s_->animationText = mIconCommands::AnimationPropertiesText(animation);
            };
            // A cursor group that cannot be read fails alone: it is logged and the others are
            // listed. So does an installer package's Icon row (each is a file of its own, its
            // error naming the package and the row). A module's icon group's failure ends the
            // retrieval, as it always has.
            std::size_t cursorsFailed = 0, rowsFailed = 0;
            const bool rowsFailAlone = mFileKind::KindOf(fileName) == mFileKind::eKind::kInstaller;
            hooks.GroupFailed = [&](const mIconGroups::cFailure& f) {
                if (rowsFailAlone) {
                    ++rowsFailed;
                    MError::ReportError(f.error, true, false);
                    return true;
                }
                if (f.group.kind != cFileIcon::eKind::kCursor) return false;
                ++cursorsFailed;
                MError::ReportError(cError(f.error.Number(), f.error.Source(),
                                           tr("Cursor group %1: %2")
                                               .arg(Q(mIconGroups::Label(f.group)), Q(f.error.Description()))
                                               .toStdString()),
                                    true, false);
                return true;
            };
            mIconGroups::cOptions options;
            options.cursors = CursorsShown();
            options.languages = true;
            s_->shownFile = fileName;
            mIconGroups::Load(fileName, s_->icons, hooks, options);
            DisplayIcons();
            if (cursorsFailed > 0 || rowsFailed > 0) {
                const std::string text = rowsFailed > 0 ? mMainWindow::IconGroupsNotReadText(rowsFailed)
                                                        : mMainWindow::CursorGroupsNotReadText(cursorsFailed);
                // Beside the chosen item's panel, or alone where nothing is listed.
                if (IconCount() > 0)
                    s_->sbrMain->SetPanelText(2, Q(text));
                else
                    s_->sbrMain->SetSimpleText(Q(text + ". " + mTr::Text("mMainWindow", mMainWindow::kReady)));
            }
        });
    } catch (const cError& e) {
        RetrieveFailed(e);
    }
}
