// FMain: storing the window's settings when it closes.

#include <QAction>
#include <QCloseEvent>
#include <QToolBar>

#include "app/mMainSettings.h"
#include "base/mTwips.h"
#include "app/ui/FMain.h"
#include "app/ui/FMain_State.h"
#include "app/ui/cStatusBar.h"
#include "support/MError.h"
#include "support/ui/mWindowParts.h"

void FMain::StoreSettings() {
    mWindowParts::SaveRecentFiles(s_->RecentFiles, mMainSettings::kRecentFilesKey);

    mMainSettings::cWindowSettings w;
    w.toolbar = s_->tbrMain->isVisibleTo(this);
    w.statusbar = s_->sbrMain->isVisibleTo(this);
    const Qt::WindowStates state = windowState();
    w.winState = state.testFlag(Qt::WindowMinimized)   ? mMainSettings::kStateMinimised
                 : state.testFlag(Qt::WindowMaximized) ? mMainSettings::kStateMaximised
                                                       : mMainSettings::kStateNormal;
    // The window's place in twips, whatever its state.
    w.top = static_cast<std::int32_t>(pos().y() * TwipsPerPixelY());
    w.left = static_cast<std::int32_t>(pos().x() * TwipsPerPixelX());
    for (int i = mMainSettings::kFirstView; i <= mMainSettings::kLastView; ++i) {
        if (s_->mnuView[static_cast<std::size_t>(i)]->isChecked()) {
            w.view = i;
            break;
        }
    }
    w.images = ImagesShown();
    w.cursors = CursorsShown();
    if (s_->imagesWidth > 0) w.imagesWidth = mTwips::ToTwips(s_->imagesWidth, TwipsPerPixelX());
    mMainSettings::WriteSettings(w);
}

void FMain::Form_QueryUnload() {
    // Settings that cannot be stored are reported; the window closes all the same.
    try {
        StoreSettings();
    } catch (const cError& e) {
        MError::ReportError(e, true, true);
    }
}

void FMain::closeEvent(QCloseEvent* event) {
    Form_QueryUnload();
    QMainWindow::closeEvent(event);
    // Form_Unload: the window deletes itself on close (WA_DeleteOnClose), which releases the
    // global reference (a QPointer) to it.
}
