// FMain: filling the icon list, the chosen item, the View menu and the list's background.

#include <QAction>
#include <QScrollArea>
#include <QSplitter>
#include <QToolBar>

#include "base/ui/mQtText.h"
#include "app/mMainWindow.h"
#include "app/ui/FMain.h"
#include "app/ui/cImageList.h"
#include "app/ui/cListView.h"
#include "app/ui/cStatusBar.h"
#include "grid/ui/cIconGrid.h"
#include "support/MError.h"
#include "support/ui/mColours.h"

namespace {

using mQtText::Q;

} // namespace

void FMain::SetListBackColour(std::int32_t value) { lvwIcons->SetBackColor(mColours::ColourOf(value)); }

void FMain::DisplayIcons() {
    try {
        sbrMain->SetSimpleText(Q(mMainWindow::kDisplaying));
        lvwIcons->Clear();
        if (IconCount() < 1) {
            IconGrid1->Clear();
            IconGrid1->Draw();
            sbrMain->SetStyle(cStatusBar::sbrSimple);
            sbrMain->SetSimpleText(Q(mMainWindow::kNoIconsFound));
            return;
        }
        lvwIcons->SetSmallIcons(ilsIcons16.get());
        lvwIcons->SetIcons(ilsIcons32.get());
        for (std::int32_t i = 1; i <= IconCount(); ++i) {
            const std::string key = mMainWindow::ItemKey(i);
            int index = 0;
            try {
                index = lvwIcons->Add(key, QString::fromStdString(mMainWindow::ItemText(Icon(i))), key, key);
            } catch (const cError& e) {
                // A picture missing from a list: the item stands without it.
                if (e.Number() != cError::kElementNotFound) throw;
                MError::ReportError(e, true, false);
                index = lvwIcons->Count();
            }
            lvwIcons->SetSubItem(index, 1, QString::number(Icon(i).ImageCount()));
        }
        lvwIcons->SetSelected(1);
        lvwIcons_ItemClick(lvwIcons->SelectedIndex());
        sbrMain->SetStyle(cStatusBar::sbrNormal);
    } catch (const cError& e) {
        MError::ReportError(e, true, true);
        sbrMain->SetStyle(cStatusBar::sbrSimple);
        sbrMain->SetSimpleText(Q(mMainWindow::kReady));
    }
}

void FMain::lvwIcons_ItemClick(int index) {
    try {
        const std::string key = lvwIcons->Key(index);
        sbrMain->SetPanelText(2, QString::fromStdString(mMainWindow::IconPanelText(key)));
        IconGrid1->Init(Icon(mMainWindow::KeyIndex(key)));
        // Another icon may have wider images: a pane the user has not sized grows for them where
        // the window allows; beyond that it scrolls.
        if (imagesWidth_ <= 0 && scrImages->isVisibleTo(this) && scrImages->width() < IconGrid1->minimumSizeHint().width())
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
            mnuView[0]->setChecked(!mnuView[0]->isChecked());
            tbrMain->setVisible(mnuView[0]->isChecked());
            Form_Resize();
            break;
        case 1:
            mnuView[1]->setChecked(!mnuView[1]->isChecked());
            sbrMain->setVisible(mnuView[1]->isChecked());
            Form_Resize();
            break;
        case 3:
        case 4:
        case 5:
        case 6:
            for (int i = 3; i <= 6; ++i) {
                mnuView[static_cast<std::size_t>(i)]->setChecked(i == index);
                Button(kViewButtons[i - 3])->setChecked(i == index);
            }
            lvwIcons->SetView(index - 3);
            break;
        case 8: ShowProperties(); break;
        default: break;
        }
    } catch (const cError& e) {
        MError::ReportError(e, true, true);
    }
}

bool FMain::ImagesShown() const { return mnuImages->isChecked(); }

void FMain::ShowImages(bool shown) {
    mnuImages->setChecked(shown);
    scrImages->setVisible(shown);
    // The handle comes and goes with the pane.
    splImages->refresh();
    Form_Resize();
    if (!shown) return;
    PlaceImagesPane();
    FitGridToPane();
    IconGrid1->Draw();
}

void FMain::mnuImages_Click() {
    try {
        const bool shown = !ImagesShown();
        // Keyboard focus leaves with the grid.
        if (!shown && IconGrid1->hasFocus()) lvwIcons->ActiveView()->setFocus();
        ShowImages(shown);
    } catch (const cError& e) {
        MError::ReportError(e, true, true);
    }
}
