// FMain: construction of the controls and menus, the window's load and layout, the global
// instance, and the handlers of the File menu and the toolbar.

#include "base/mTwips.h"
#include "base/ui/mQtPath.h"
#include "base/ui/mQtText.h"
#include "app/ui/FMain.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QToolBar>
#include <QUrl>
#include <QWindow>

#include <algorithm>

#include "app/mMainSettings.h"
#include "app/mMainWindow.h"
#include "app/ui/cImageList.h"
#include "app/ui/cListView.h"
#include "app/ui/cStatusBar.h"
#include "support/ui/mWindowParts.h"
#include "grid/ui/cIconGrid.h"
#include "support/MError.h"
#include "platform/ui/cPrompts.h"

namespace {

QPointer<FMain> gDefault;

using mQtText::Q;

} // namespace

FMain::FMain(QWidget* parent)
    : QMainWindow(parent), ilsIcons32(std::make_unique<cImageList>(32)),
      ilsIcons16(std::make_unique<cImageList>(16)), client_(new QWidget(this)) {
    setWindowTitle(Q(mProgram::kAppName));
    setAttribute(Qt::WA_DeleteOnClose);
    setCentralWidget(client_);
    client_->installEventFilter(this);

    // The list and the images pane share the list's place; the list takes what the pane leaves.
    splImages = new QSplitter(Qt::Horizontal, client_);
    splImages->setObjectName("splImages");
    splImages->setChildrenCollapsible(false);
    splImages->setHandleWidth(2);
    lvwIcons = new cListView(splImages);
    lvwIcons->setObjectName("lvwIcons");
    lvwIcons->AddColumnHeader("Icon", mTwips::ToPixels(kColumnWidthTwips, TwipsPerPixelX()));
    lvwIcons->AddColumnHeader("Number of Images", mTwips::ToPixels(kColumnWidthTwips, TwipsPerPixelX()));
    connect(lvwIcons, &cListView::ItemClick, this, &FMain::lvwIcons_ItemClick);
    // Ctrl+C in the list copies the chosen icon, as the toolbar's Copy does.
    connect(lvwIcons, &cListView::CopyRequested, this, &FMain::mnuCopy_Click);
    // A file dropped anywhere on the window opens as Open would open it.
    setAcceptDrops(true);

    // The grid holds the chosen icon's images and their selection; View > Images shows it. It
    // scrolls itself up and down; the pane scrolls it sideways.
    scrImages = new QScrollArea(splImages);
    scrImages->setObjectName("scrImages");
    scrImages->setFrameShape(QFrame::NoFrame);
    scrImages->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrImages->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    IconGrid1 = new cIconGrid;
    IconGrid1->setObjectName("IconGrid1");
    scrImages->setWidget(IconGrid1);
    scrImages->viewport()->installEventFilter(this);
    splImages->addWidget(lvwIcons);
    splImages->addWidget(scrImages);
    scrImages->setVisible(false);
    splImages->setStretchFactor(0, 1);
    splImages->setStretchFactor(1, 0);
    connect(splImages, &QSplitter::splitterMoved, this, [this] { imagesWidth_ = scrImages->width(); });

    CreateMenus();
    CreateToolbar();
    CreateGridCommands();
    sbrMain = new cStatusBar(2, this);
    sbrMain->setObjectName("sbrMain");
    sbrMain->SetPanelWidth(1, 280);
    setStatusBar(sbrMain);

    resize(mTwips::ToPixels(kDesignWidthTwips, TwipsPerPixelX()),
           mTwips::ToPixels(kDesignHeightTwips, TwipsPerPixelY()) + menuBar()->sizeHint().height());
    Form_Load();
}

FMain::~FMain() = default;

FMain& FMain::Default() {
    if (!gDefault) gDefault = new FMain();
    return *gDefault;
}

bool FMain::DefaultLoaded() { return !gDefault.isNull(); }

const cFileIcon& FMain::Icon(std::int32_t i) const {
    if (i < 1 || i > IconCount()) cError::RaiseRuntime(cError::kSubscriptOutOfRange);
    return icons_[static_cast<std::size_t>(i - 1)];
}

void FMain::CreateMenus() {
    const auto item = [](QMenu* menu, const char* caption, const QKeySequence& shortcut = {}) {
        return mWindowParts::Item(menu, caption, shortcut);
    };

    mnuFileMenu = menuBar()->addMenu("&File");
    mnuFile[0] = item(mnuFileMenu, "&Open", QKeySequence("Ctrl+O"));
    mnuFile[1] = item(mnuFileMenu, "&Save", QKeySequence("Ctrl+S"));
    mnuExportPng = item(mnuFileMenu, "&Export as PNG...", QKeySequence("Ctrl+E"));
    connect(mnuExportPng, &QAction::triggered, this, &FMain::ExportPng);
    mnuFile[2] = item(mnuFileMenu, "-");
    mnuFile[2]->setVisible(false);
    mnuFile[3] = item(mnuFileMenu, "&Print");
    mnuFile[4] = item(mnuFileMenu, "-");
    mnuFile[5] = item(mnuFileMenu, "&Launch Editor", QKeySequence("F2"));
    mnuFile[6] = item(mnuFileMenu, "&Recurse", QKeySequence("F3"));
    mnuFile[7] = item(mnuFileMenu, "&Glintsmith", QKeySequence("F4"));
    mnuMRU = mWindowParts::AddRecentItems(mnuFileMenu, this, [this](int i) { mnuMRU_Click(i); });
    mnuExit = item(mnuFileMenu, "E&xit");
    mnuEdit = item(mnuFileMenu, "&Edit");
    mnuEdit->setVisible(false);
    mnuCopy = item(mnuFileMenu, "&Copy", QKeySequence("Ctrl+C"));
    mnuCopy->setVisible(false);
    for (int i = 0; i < 8; ++i) {
        if (!mnuFile[static_cast<std::size_t>(i)]->isSeparator())
            connect(mnuFile[static_cast<std::size_t>(i)], &QAction::triggered, this, [this, i] { mnuFile_Click(i); });
    }

    mnuViewMenu = menuBar()->addMenu("&View");
    const char* viewCaptions[] = {"&Toolbar", "&Status Bar", "-", "&Large Icons", "S&mall Icons", "L&ist",
                                  "&Details", "-", "&Properties"};
    for (int i = 0; i < 9; ++i) {
        QAction* action = item(mnuViewMenu, viewCaptions[i]);
        mnuView[static_cast<std::size_t>(i)] = action;
        if (action->isSeparator()) continue;
        if (i <= 6) action->setCheckable(true);
        // Qt flips a checkable item before it reports the choice; the handler owns the marks.
        connect(action, &QAction::triggered, this, [this, i, action](bool checked) {
            if (action->isCheckable()) action->setChecked(!checked);
            mnuView_Click(i);
        });
    }
    // "&Images" stands with the other parts of the window that can be shown or hidden; it is no
    // item of mnuView, whose indices the toolbar and the stored view use.
    mnuImages = new QAction("&Images", this);
    mnuImages->setShortcut(QKeySequence("Ctrl+I"));
    mnuImages->setCheckable(true);
    mnuViewMenu->insertAction(mnuView[2], mnuImages);
    connect(mnuImages, &QAction::triggered, this, [this](bool checked) {
        mnuImages->setChecked(!checked);
        mnuImages_Click();
    });
    mnuView[0]->setChecked(true);
    mnuView[1]->setChecked(true);
    mnuView[3]->setChecked(true);
    mnuDashIt = item(mnuViewMenu, "-");
    mnuOptions = item(mnuViewMenu, "&Options...");
    mnuErrorLog[0] = item(mnuViewMenu, "-");
    mnuErrorLog[1] = item(mnuViewMenu, "&Error Log", QKeySequence("Ctrl+L"));
    mnuErrorLog[2] = item(mnuViewMenu, "&Clear Error Log");

    mnuHelpMenu = menuBar()->addMenu("&Help");
    mnuHelp[0] = item(mnuHelpMenu, "&Contents", QKeySequence("F1"));
    mnuHelp[2] = item(mnuHelpMenu, "&About", QKeySequence("Ctrl+A"));
    mnuHelp[3] = item(mnuHelpMenu, "-");
    mnuHelp[4] = item(mnuHelpMenu, "Icon &Formats");
    mnuHelp[5] = item(mnuHelpMenu, "&Settings and Files");

    connect(mnuExit, &QAction::triggered, this, &FMain::mnuExit_Click);
    connect(mnuCopy, &QAction::triggered, this, &FMain::mnuCopy_Click);
    connect(mnuOptions, &QAction::triggered, this, &FMain::mnuOptions_Click);
    for (int i : {1, 2})
        connect(mnuErrorLog[static_cast<std::size_t>(i)], &QAction::triggered, this, [this, i] { mnuErrorLog_Click(i); });
    for (int i : {0, 2, 4, 5})
        connect(mnuHelp[static_cast<std::size_t>(i)], &QAction::triggered, this, [this, i] { mnuHelp_Click(i); });
}

void FMain::CreateGridCommands() {
    // Ctrl+C in the grid copies the chosen images, as Ctrl+C in the list copies the icon (the
    // menu's Copy is hidden, so its key does not reach here).
    auto* copy = new QAction("&Copy", IconGrid1);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &FMain::mnuCopy_Click);
    // A right click on the images offers what acts on the chosen ones.
    auto* separator = new QAction(IconGrid1);
    separator->setSeparator(true);
    IconGrid1->setContextMenuPolicy(Qt::ActionsContextMenu);
    IconGrid1->addActions({mnuFile[1], copy, mnuExportPng, separator, mnuView[8]});
}

const std::vector<QString>& FMain::ButtonKeys() const { return toolbar_.Keys(); }

void FMain::CreateToolbar() {
    // The toolbar in order; an empty key stands for a separator.
    tbrMain = toolbar_.Add(*this,
                           {
                               {"open", "Open Icon or Library", [this] { mnuFile_Click(0); }},
                               {"save", "Save selected icon", [this] { mnuFile_Click(1); }},
                               {"copy", "Copy", [this] { mnuCopy_Click(); }},
                               {"print", "Print selected icon", [this] { mnuFile_Click(3); }},
                               {"", "", {}},
                               {"viewlarge", "Large icons", [this] { mnuView_Click(3); }},
                               {"viewsmall", "Small icons", [this] { mnuView_Click(4); }},
                               {"viewlist", "List icons", [this] { mnuView_Click(5); }},
                               {"viewdetails", "Details", [this] { mnuView_Click(6); }},
                               {"", "", {}},
                               {"properties", "Properties", [this] { mnuView_Click(8); }},
                               {"", "", {}},
                               {"launch", "Launch icon editor", [this] { mnuFile_Click(5); }},
                               {"recurse", "Recurse", [this] { mnuFile_Click(6); }},
                               {"glintsmith", "Run Glintsmith - QRSC", [this] { RunGlintsmith(); }},
                               {"", "", {}},
                               {"help", "Help", [this] { mnuHelp_Click(0); }},
                               {"about", "About Pictrix", [this] { mnuHelp_Click(2); }},
                           },
                           [this](const QString& key) { tbrMain_ButtonClick(key); });
    for (const QString& key : toolbar_.Keys()) {
        if (key.startsWith("view")) Button(key)->setCheckable(true);
    }
    Button("viewlarge")->setChecked(true);
}

QAction* FMain::Button(const QString& key) const { return toolbar_.Button(key); }

double FMain::TwipsPerPixelY() const {
    const QScreen* s = screen();
    return mTwips::TwipsPerPixel(s ? s->logicalDotsPerInchY() : 96.0);
}

double FMain::TwipsPerPixelX() const {
    const QScreen* s = screen();
    return mTwips::TwipsPerPixel(s ? s->logicalDotsPerInchX() : 96.0);
}

void FMain::Settings() {
    const mMainSettings::cStoredSettings stored = mMainSettings::ReadSettings();
    if (stored.backColor) SetListBackColour(*stored.backColor);
    if (stored.toolbar) {
        tbrMain->setVisible(*stored.toolbar);
        mnuView[0]->setChecked(*stored.toolbar);
    }
    if (stored.statusbar) {
        sbrMain->setVisible(*stored.statusbar);
        mnuView[1]->setChecked(*stored.statusbar);
    }
    if (stored.winState) {
        if (*stored.winState == mMainSettings::kStateMaximised) setWindowState(Qt::WindowMaximized);
        else if (*stored.winState == mMainSettings::kStateMinimised) setWindowState(Qt::WindowMinimized);
        else setWindowState(Qt::WindowNoState);
    }
    if (stored.top || stored.left) {
        QPoint at = pos();
        if (stored.top) at.setY(mTwips::ToPixels(*stored.top, TwipsPerPixelY()));
        if (stored.left) at.setX(mTwips::ToPixels(*stored.left, TwipsPerPixelX()));
        move(at);
    }
    if (stored.view) mnuView_Click(*stored.view);
    if (stored.imagesWidth) imagesWidth_ = mTwips::ToPixels(*stored.imagesWidth, TwipsPerPixelX());
    if (stored.images) ShowImages(*stored.images);
    Form_Resize();
}

void FMain::Form_Load() {
    try {
        Settings();
        sbrMain->SetPanelText(1, Q(mMainWindow::kReady));
        const QScreen* s = screen();
        HighColour = (s ? s->depth() : 32) >= 9;
        // Qt's toolbars are flat already.
        mWindowParts::LoadRecentFiles(RecentFiles, mMainSettings::kRecentFilesKey, kRecentCapacity);
        RefreshRecentMenu();
    } catch (const cError& e) {
        MError::ReportError(e, true, true);
    }
}

void FMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

bool FMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && (event->type() == QEvent::Resize || event->type() == QEvent::Move)) Form_Resize();
    // The pane exists once the constructor made it (the client area's events come before).
    if (scrImages && watched == scrImages->viewport() && event->type() == QEvent::Resize) FitGridToPane();
    return QMainWindow::eventFilter(watched, event);
}

void FMain::Form_Resize() {
    // The rule works on the window's inner area below the menu bar; QMainWindow lays the toolbar
    // and status bar out around the central widget, in which the list is placed. Visibility is
    // asked relative to the window, so the rule also holds before the window is first shown.
    const double p = TwipsPerPixelY();
    const double px = TwipsPerPixelX();
    const bool toolbar = tbrMain->isVisibleTo(this);
    const bool status = sbrMain->isVisibleTo(this);
    const int menuBottom = menuBar()->isVisibleTo(this) ? menuBar()->geometry().bottom() + 1 : 0;
    const auto twipsY = [p](int pixels) { return mTwips::ToTwips(pixels, p); };
    const auto place = mMainWindow::ListPlacement(
        mTwips::ToTwips(width(), px), twipsY(height() - menuBottom), toolbar,
        twipsY(toolbar ? tbrMain->height() : 0), status, twipsY(status ? sbrMain->height() : 0),
        mTwips::ToTwips(1, p));
    if (!place) return;
    const auto rect = [&](const mMainWindow::cPlacement& at) {
        const QPoint inner(mTwips::ToPixels(at.left, px), menuBottom + mTwips::ToPixels(at.top, p));
        return QRect(inner - client_->pos(),
                     QSize(mTwips::ToPixels(at.width, px), mTwips::ToPixels(at.height, p)));
    };
    // The splitter keeps the images pane's width and gives the list the rest.
    splImages->setGeometry(rect(*place));
}

void FMain::PlaceImagesPane() {
    if (!scrImages->isVisibleTo(this)) return;
    const int handle = splImages->handleWidth();
    const int whole = splImages->width();
    int width = imagesWidth_;
    if (width <= 0) {
        const double px = TwipsPerPixelX();
        const auto split = mMainWindow::SplitForGrid(
            {0, 0, mTwips::ToTwips(whole, px), 0}, mTwips::ToTwips(1, px));
        width = split ? mTwips::ToPixels(split->grid.width, px) : whole / 2;
        // Wide enough for the widest image while the list keeps a third.
        width = std::max(width, std::min(IconGrid1->minimumSizeHint().width(), whole * 2 / 3));
    }
    // The list keeps at least a pixel; the handle stays where the user can take it.
    width = std::clamp(width, 1, std::max(1, whole - handle - 1));
    splImages->setSizes({whole - handle - width, width});
}

void FMain::FitGridToPane() {
    const QSize pane = scrImages->maximumViewportSize();
    const int needed = IconGrid1->minimumSizeHint().width();
    const bool sideways = needed > pane.width();
    const int height = pane.height() - (sideways ? scrImages->horizontalScrollBar()->sizeHint().height() : 0);
    IconGrid1->resize(std::max(pane.width(), needed), std::max(1, height));
}

void FMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    Form_Resize();
    // On another screen the list pictures are made again for its pixels.
    if (QWindow* window = windowHandle(); window && !screenWatched_) {
        screenWatched_ = true;
        connect(window, &QWindow::screenChanged, this, [this] { RemakePictures(); });
    }
}

namespace {

// The file a drop brings: the first local file among its addresses, as the system names it;
// empty when there is none.
std::string DroppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls()) {
        std::string file = mQtPath::FromUrl(url);
        if (!file.empty()) return file;
    }
    return {};
}

} // namespace

void FMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFile(event->mimeData()).empty()) event->acceptProposedAction();
}

void FMain::dragMoveEvent(QDragMoveEvent* event) {
    if (!DroppedFile(event->mimeData()).empty()) event->acceptProposedAction();
}

void FMain::dropEvent(QDropEvent* event) {
    const std::string file = DroppedFile(event->mimeData());
    if (file.empty()) return;
    event->acceptProposedAction();
    // A list file opens in a search window of its own, as opening it from the desktop does.
    if (mMainWindow::IsListFileName(file)) {
        try {
            OpenSearchWindow(file);
        } catch (const cError& e) {
            ShowCommandError(e);
        }
        return;
    }
    RetrieveDroppedFile(file);
}

void FMain::RefreshRecentMenu() {
    // Positions 1 to 4 are items 2 to 5 of mnuMRU.
    mWindowParts::ShowRecentFiles(RecentFiles, [this](int i) { return mnuMRU[static_cast<std::size_t>(i + 1)]; }, mnuMRU[6]);
}

void FMain::ShowCommandError(const cError& e) {
    cPrompts::Current().Message(this,
                                QString::number(e.Number()) + "\r" + QString::fromStdString(e.Source()) + "\r" +
                                    QString::fromStdString(e.Description()),
                                cPrompts::eButtons::OK, cPrompts::eIcon::Critical, QString());
}

void FMain::mnuFile_Click(int index) {
    try {
        switch (index) {
        case 0: RetrieveIcons(); break;
        case 1: SaveIcons(); break;
        case 5: LaunchEditor(); break;
        case 6: OpenSearchWindow(); break;
        case 7: RunGlintsmith(); break;
        // 2 and 4 are separators; Print (3) has no action.
        default: break;
        }
    } catch (const cError& e) {
        ShowCommandError(e);
    }
}

void FMain::mnuMRU_Click(int index) {
    try {
        if (index < 1 || index >= static_cast<int>(mnuMRU.size()) - 1) cError::RaiseRuntime(cError::kSubscriptOutOfRange);
        const QString tag = mnuMRU[static_cast<std::size_t>(index)]->data().toString();
        UsePendingFile = true;
        PendingFile = RecentFiles.file(tag.toInt());
        RetrieveIcons();
        UsePendingFile = false;
        RefreshRecentMenu();
    } catch (const cError& e) {
        UsePendingFile = false;
        MError::ReportError(e, true, true);
    }
}

void FMain::tbrMain_ButtonClick(const QString& key) { toolbar_.Press(key); }
