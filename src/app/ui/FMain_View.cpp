// FMain: filling the icon list, the chosen item, the View menu and the list's background.

#include <QAction>
#include <QScrollArea>
#include <QSplitter>
#include <QToolBar>

#include <algorithm>

#include "base/ui/mQtText.h"
#include "app/mMainWindow.h"
#include "app/ui/FMain.h"
#include "app/ui/FMain_State.h"
#include "app/ui/cImageList.h"
#include "app/ui/cListView.h"
#include "app/ui/cStatusBar.h"
#include "grid/ui/cIconGrid.h"
#include "support/MError.h"
#include "support/ui/mColours.h"

namespace {

using mQtText::Q;
using mQtText::T;

} // namespace

void FMain::SetListBackColour(std::int32_t value) { s_->lvwIcons->SetBackColor(mColours::ColourOf(value)); }

void FMain::DisplayIcons() {
    try {
        s_->sbrMain->SetSimpleText(T("mMainWindow", mMainWindow::kDisplaying));
        s_->lvwIcons->Clear();
        // A menu entry wants an icon group; a file of cursors alone has none.
        s_->mnuLauncher->setEnabled(
            std::any_of(s_->icons.begin(), s_->icons.end(), [](const cFileIcon& i) { return !i.IsCursor(); }));
        if (IconCount() < 1) {
            s_->IconGrid1->Clear();
            s_->IconGrid1->Draw();
            s_->sbrMain->SetStyle(cStatusBar::sbrSimple);
            s_->sbrMain->SetSimpleText(T("mMainWindow", mMainWindow::kNoIconsFound));
            return;
        }
        s_->lvwIcons->SetSmallIcons(s_->ilsIcons16.get());
        s_->lvwIcons->SetIcons(s_->ilsIcons32.get());
        for (std::int32_t i = 1; i <= IconCount(); ++i) {
            const std::string key = mMainWindow::ItemKey(i);
            int index = 0;
            try {
                index = s_->lvwIcons->Add(key, QString::fromStdString(mMainWindow::ItemText(Icon(i))), key, key);
            } catch (const cError& e) {
                // A picture missing from a list: the item stands without it.
                if (e.Number() != cError::kElementNotFound) throw;
                MError::ReportError(e, true, false);
                index = s_->lvwIcons->Count();
            }
            s_->lvwIcons->SetSubItem(index, 1, QString::number(Icon(i).ImageCount()));
            s_->lvwIcons->SetSubItem(index, 2, QString::fromStdString(mMainWindow::TypeText(Icon(i))));
        }
        s_->lvwIcons->SetSelected(1);
        lvwIcons_ItemClick(s_->lvwIcons->SelectedIndex());
        s_->sbrMain->SetStyle(cStatusBar::sbrNormal);
    } catch (const cError& e) {
        MError::ReportError(e, true, true);
        s_->sbrMain->SetStyle(cStatusBar::sbrSimple);
        s_->sbrMain->SetSimpleText(T("mMainWindow", mMainWindow::kReady));
    }
}

void FMain::lvwIcons_ItemClick(int index) {
    try {
        const std::string key = s_->lvwIcons->Key(index);
        s_->sbrMain->SetPanelText(2, QString::fromStdString(mMainWindow::IconPanelText(key)));
        s_->IconGrid1->Init(Icon(mMainWindow::KeyIndex(key)));
        // Another icon may have wider images: a pane the user has not sized grows for them where
        // the window allows; beyond that it scrolls.
        if (s_->imagesWidth <= 0 && s_->scrImages->isVisibleTo(this) &&
            s_->scrImages->width() < s_->IconGrid1->minimumSizeHint().width())
            PlaceImagesPane();
        FitGridToPane();
    } catch (const cError& e) {
        MError::ReportError(e, true, false);
    }
}

void FMain::mnuView_Click(int index) {
    static const char* const kViewButtons[] = {"viewlarge", "viewsmall", "viewlist", "viewdetails"};
    try {
        switch (index) {
        case 0:
            s_->mnuView[0]->setChecked(!s_->mnuView[0]->isChecked());
            s_->tbrMain->setVisible(s_->mnuView[0]->isChecked());
            Form_Resize();
            break;
        case 1:
            s_->mnuView[1]->setChecked(!s_->mnuView[1]->isChecked());
            s_->sbrMain->setVisible(s_->mnuView[1]->isChecked());
            Form_Resize();
            break;
        case 3:
        case 4:
        case 5:
        case 6:
            for (int i = 3; i <= 6; ++i) {
                s_->mnuView[static_cast<std::size_t>(i)]->setChecked(i == index);
                Button(kViewButtons[i - 3])->setChecked(i == index);
            }
            s_->lvwIcons->SetView(index - 3);
            break;
        case 8: ShowProperties(); break;
        default: break;
        }
    } catch (const cError& e) {
        MError::ReportError(e, true, true);
    }
}

bool FMain::ImagesShown() const { return s_->mnuImages->isChecked(); }

bool FMain::CursorsShown() const { return s_->mnuCursors->isChecked(); }

void FMain::mnuCursors_Click() {
    s_->mnuCursors->setChecked(!CursorsShown());
    if (s_->shownFile.empty()) return;
    // Cursor groups come after every icon group, so a chosen icon keeps its number.
    const int chosen = s_->lvwIcons->SelectedIndex();
    Retrieve(s_->shownFile);
    if (chosen > 1 && chosen <= s_->lvwIcons->Count()) {
        s_->lvwIcons->SetSelected(chosen);
        lvwIcons_ItemClick(chosen);
    }
}

void FMain::ShowImages(bool shown) {
    s_->mnuImages->setChecked(shown);
    s_->scrImages->setVisible(shown);
    // The handle comes and goes with the pane.
    s_->splImages->refresh();
    Form_Resize();
    if (!shown) return;
    PlaceImagesPane();
    FitGridToPane();
    s_->IconGrid1->Draw();
}

void FMain::mnuImages_Click() {
    try {
        const bool shown = !ImagesShown();
        // Keyboard focus leaves with the grid.
        if (!shown && s_->IconGrid1->hasFocus()) s_->lvwIcons->ActiveView()->setFocus();
        ShowImages(shown);
    } catch (const cError& e) {
        MError::ReportError(e, true, true);
    }
}
