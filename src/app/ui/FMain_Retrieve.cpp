// FMain: retrieving every icon of a file into Icons and the two image lists.

#include <QImage>

#include "app/mMainWindow.h"
#include "app/ui/FMain.h"
#include "app/ui/cImageList.h"
#include "app/ui/cListView.h"
#include "app/ui/cStatusBar.h"
#include "grid/ui/cIconGrid.h"
#include "grid/ui/mQtDib.h"
#include "icon/mBestImage.h"
#include "resources/cResources.h"
#include "resources/mFileOpenSave.h"
#include "support/MError.h"

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

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
    for (cImageList* list : {ilsIcons32, ilsIcons16}) {
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
    IconCount = 0;
    IconGrid1->Clear();
    Icons.clear();
    lvwIcons->SetIcons(nullptr);
    lvwIcons->SetSmallIcons(nullptr);
    ilsIcons16->Clear();
    ilsIcons32->Clear();
}

void FMain::RetrieveFailed(const cError& e) {
    if (e.Number() == cError::kOutOfMemory) {
        // Show what was retrieved so far: the icons counted before the failure.
        Icons.resize(static_cast<std::size_t>(IconCount));
        DisplayIcons();
        sbrMain->SetStyle(cStatusBar::sbrSimple);
        sbrMain->SetSimpleText(Q(mMainWindow::kReady));
        MError::ReportError(e, true, false);
        return;
    }
    MError::ReportError(e, true, true);
    IconCount = 0;
    Icons.clear();
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
        const QString name = QString::fromStdString(fileName);
        sbrMain->SetStyle(cStatusBar::sbrSimple);
        if (mMainWindow::IsIconFileName(fileName)) {
            sbrMain->SetSimpleText(QString::fromStdString(mMainWindow::RetrievingIconText(fileName)));
            Icons.resize(1);
            IconCount = 1;
            Icons[0].LoadIcon(fileName);
            AddPictures(1);
            sbrMain->SetPanelText(1, name);
            sbrMain->SetSimpleText(name);
            DisplayIcons();
            return;
        }

        sbrMain->SetSimpleText(Q(mMainWindow::kCheckingForIcons));
        cResources resources;
        resources.file(fileName);
        resources.GetResourceTypes();
        const std::int32_t type = resources.IndexOfResourceType(mMainWindow::kRtGroupIcon);
        if (type <= 0) {
            sbrMain->SetSimpleText(Q(mMainWindow::kNoIconsFound));
            DisplayIcons();
            return;
        }
        sbrMain->SetSimpleText(Q(mMainWindow::kRetrievingIcons));
        resources.GetResourceNames(type);
        resources.UnloadModule();
        const std::int32_t count = resources.ResourceNameCount(type);
        if (count == 0) {
            sbrMain->SetSimpleText(Q(mMainWindow::kNoIconsFound));
            DisplayIcons();
            return;
        }
        Icons.reserve(static_cast<std::size_t>(count));
        for (std::int32_t i = 1; i <= count; ++i) {
            sbrMain->SetSimpleText(QString::fromStdString(mMainWindow::RetrievingIconOfText(i, count)));
            Icons.emplace_back();
            const cResourceID id = resources.ResourceName(type, i);
            if (const auto* number = std::get_if<std::int32_t>(&id)) {
                Icons.back().LoadIconFromEXE(fileName, *number, {});
            } else {
                Icons.back().LoadIconFromEXE(fileName, 0, ResourceIDText(id));
            }
            // The icon counts from here on, so an out-of-memory stop still shows it.
            IconCount = i;
            AddPictures(i);
        }
        sbrMain->SetPanelText(1, name);
        DisplayIcons();
    } catch (const cError& e) {
        RetrieveFailed(e);
    } catch (const std::bad_alloc&) {
        RetrieveFailed(cError::Runtime(cError::kOutOfMemory));
    }
}
