// FMain: retrieving every icon of a file into the window's icons and the two image lists.

#include <QImage>

#include "base/ui/mQtText.h"
#include "app/mMainWindow.h"
#include "app/ui/FMain.h"
#include "app/ui/cImageList.h"
#include "app/ui/cListView.h"
#include "app/ui/cStatusBar.h"
#include "grid/ui/cIconGrid.h"
#include "grid/ui/mQtDib.h"
#include "icon/mBestImage.h"
#include "icon/mFileKind.h"
#include "resources/mIconGroups.h"
#include "resources/mFileOpenSave.h"
#include "support/MError.h"

namespace {

using mQtText::Q;

// The owner handle the open dialog is given for the main window (the dialog backend knows the
// window itself).
constexpr std::int32_t kOwnerMainWindow = 1;

// A picture as the image lists store it. An empty picture (a block that cannot be drawn) is the
// invalid-picture error, as the platform's picture objects report it.
QImage PictureImage(const mDib::cPicture& picture) {
    QImage image = mQtDib::ImageFromIcon(picture.Handle());
    if (image.isNull()) cError::RaiseRuntime(cError::kInvalidPicture);
    return image;
}

} // namespace

std::int32_t FMain::BestImageIndex(std::int32_t n, std::int32_t size) {
    try {
        return mBestImage::BestImageIndex(Icon(n), size, HighColour);
    } catch (const cError& e) {
        MError::ReportError(e, true, false);
        return 0;
    }
}

void FMain::AddPictures(std::int32_t i) {
    const std::string key = mMainWindow::ItemKey(i);
    // Each list on its own: an invalid picture skips only that step.
    for (cImageList* list : {ilsIcons32.get(), ilsIcons16.get()}) {
        try {
            const std::int32_t image = BestImageIndex(i, list->ImageSize());
            if (image < 1) cError::RaiseRuntime(cError::kInvalidPicture);
            list->Add(key, PictureImage(Icon(i).IconPicture(image)));
        } catch (const cError& e) {
            if (e.Number() != cError::kInvalidPicture) throw;
            MError::ReportError(e, true, false);
        }
    }
}

void FMain::ResetIcons() {
    IconGrid1->Clear();
    icons_.clear();
    lvwIcons->SetIcons(nullptr);
    lvwIcons->SetSmallIcons(nullptr);
    ilsIcons16->Clear();
    ilsIcons32->Clear();
}

void FMain::RetrieveFailed(const cError& e) {
    if (e.Number() == cError::kOutOfMemory) {
        // Show what was retrieved so far: the icons loaded whole before the failure.
        DisplayIcons();
        sbrMain->SetStyle(cStatusBar::sbrSimple);
        sbrMain->SetSimpleText(Q(mMainWindow::kReady));
        MError::ReportError(e, true, false);
        return;
    }
    MError::ReportError(e, true, true);
    icons_.clear();
    DisplayIcons();
    sbrMain->SetStyle(cStatusBar::sbrSimple);
    sbrMain->SetSimpleText(Q(mMainWindow::kReady));
}

void FMain::RetrieveIcons() {
    try {
        std::string fileName;
        if (UsePendingFile) {
            fileName = PendingFile;
        } else {
            std::string title;
            std::string filter(mMainWindow::kOpenFilter);
            std::int32_t filterIndex = 1, flags = 0;
            bool readOnly = false;
            if (!mFileOpenSave::ShowOpenDialog(fileName, title, true, false, readOnly, false, filter, filterIndex,
                                               std::nullopt, std::nullopt, std::nullopt, kOwnerMainWindow, flags)) {
                return;
            }
            if (!fileName.empty()) {
                RecentFiles.AddFile(fileName);
                RefreshRecentMenu();
            }
        }

        ResetIcons();
        const QString name = Q(fileName);
        sbrMain->SetStyle(cStatusBar::sbrSimple);
        mIconGroups::cHooks hooks;
        hooks.Progress = [&](mIconGroups::eStep step, std::int32_t i, std::int32_t count) {
            using mIconGroups::eStep;
            switch (step) {
            case eStep::IconFile: sbrMain->SetSimpleText(Q(mMainWindow::RetrievingIconText(fileName))); break;
            case eStep::CheckingModule: sbrMain->SetSimpleText(Q(mMainWindow::kCheckingForIcons)); break;
            case eStep::NoGroupType:
            case eStep::NoGroups: sbrMain->SetSimpleText(Q(mMainWindow::kNoIconsFound)); break;
            case eStep::ReadingNames: sbrMain->SetSimpleText(Q(mMainWindow::kRetrievingIcons)); break;
            case eStep::Group: sbrMain->SetSimpleText(Q(mMainWindow::RetrievingIconOfText(i, count))); break;
            case eStep::Done:
                sbrMain->SetPanelText(1, name);
                if (mFileKind::IsIconFileName(fileName)) sbrMain->SetSimpleText(name);
                break;
            }
        };
        // The pictures of each icon as soon as it counts (it is icons_[i - 1] by then), so that a
        // stop for lack of memory still shows the icons before it with theirs.
        hooks.GroupLoaded = [&](std::int32_t i, const cFileIcon&) { AddPictures(i); };
        mIconGroups::Load(fileName, icons_, hooks);
        DisplayIcons();
    } catch (const cError& e) {
        RetrieveFailed(e);
    } catch (const std::bad_alloc&) {
        RetrieveFailed(cError::Runtime(cError::kOutOfMemory));
    }
}
