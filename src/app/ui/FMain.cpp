// FMain: construction of the controls and menus, the window's load and layout, the global
// instance, and the handlers of the File menu and the toolbar.

#include "base/mTwips.h"
#include "base/ui/mQtPath.h"
#include "base/ui/mQtText.h"
#include "app/ui/FMain.h"
#include "app/ui/FMain_State.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QListView>
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
#include <QTreeView>
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
using mQtText::T;

} // namespace

FMain::FMain(QWidget* parent) : QMainWindow(parent), s_(std::make_unique<cState>()) {
    s_->client = new QWidget(this);
    setWindowTitle(Q(mProgram::kAppName));
    setAttribute(Qt::WA_DeleteOnClose);
    setCentralWidget(s_->client);
    s_->client->installEventFilter(this);

    // The list and the images pane share the list's place; the list takes what the pane leaves.
    s_->splImages = new QSplitter(Qt::Horizontal, s_->client);
    s_->splImages->setObjectName("splImages");
    s_->splImages->setChildrenCollapsible(false);
    s_->splImages->setHandleWidth(2);
    s_->lvwIcons = new cListView(s_->splImages);
    s_->lvwIcons->setObjectName("lvwIcons");
    // What a screen reader names the controls that show no text of their own.
    s_->lvwIcons->ListWidget()->setAccessibleName(tr("Icons"));
    s_->lvwIcons->ReportWidget()->setAccessibleName(tr("Icons"));
    s_->lvwIcons->AddColumnHeader(tr("Icon"), mTwips::ToPixels(kColumnWidthTwips, TwipsPerPixelX()));
    s_->lvwIcons->AddColumnHeader(tr("Number of Images"), mTwips::ToPixels(kColumnWidthTwips, TwipsPerPixelX()));
    s_->lvwIcons->AddColumnHeader(tr("Type"), mTwips::ToPixels(kTypeColumnWidthTwips, TwipsPerPixelX()));
    connect(s_->lvwIcons, &cListView::ItemClick, this, &FMain::lvwIcons_ItemClick);
    // Ctrl+C in the list copies the chosen icon, as the toolbar's Copy does.
    connect(s_->lvwIcons, &cListView::CopyRequested, this, &FMain::mnuCopy_Click);
    connect(s_->lvwIcons, &cListView::DragRequested, this, &FMain::StartDrag);
    // A file dropped anywhere on the window opens as Open would open it.
    setAcceptDrops(true);

    // The grid holds the chosen icon's images and their selection; View > Images shows it. It
    // scrolls itself up and down; the pane scrolls it sideways.
    s_->scrImages = new QScrollArea(s_->splImages);
    s_->scrImages->setObjectName("scrImages");
    s_->scrImages->setFrameShape(QFrame::NoFrame);
    s_->scrImages->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    s_->scrImages->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    s_->IconGrid1 = new cIconGrid;
    // The list's icon and the grid's chosen images are dragged out as files.
    connect(s_->IconGrid1, &cIconGrid::DragRequested, this, &FMain::StartDrag);
    s_->IconGrid1->setObjectName("IconGrid1");
    s_->IconGrid1->setAccessibleName(tr("Images"));
    s_->scrImages->setAccessibleName(tr("Images"));
    s_->scrImages->setWidget(s_->IconGrid1);
    s_->scrImages->viewport()->installEventFilter(this);
    s_->splImages->addWidget(s_->lvwIcons);
    s_->splImages->addWidget(s_->scrImages);
    s_->scrImages->setVisible(false);
    s_->splImages->setStretchFactor(0, 1);
    s_->splImages->setStretchFactor(1, 0);
    connect(s_->splImages, &QSplitter::splitterMoved, this, [this] { s_->imagesWidth = s_->scrImages->width(); });

    CreateMenus();
    CreateToolbar();
    CreateGridCommands();
    s_->sbrMain = new cStatusBar(2, this);
    s_->sbrMain->setObjectName("sbrMain");
    s_->sbrMain->SetPanelWidth(1, 280);
    setStatusBar(s_->sbrMain);

    resize(mTwips::ToPixels(kDesignWidthTwips, TwipsPerPixelX()),
           mTwips::ToPixels(kDesignHeightTwips, TwipsPerPixelY()) + menuBar()->sizeHint().height());
    Form_Load();
}

FMain::~FMain() = default;

FMain& FMain::Default() { return mWindowParts::DefaultWindow(gDefault); }

bool FMain::DefaultLoaded() { return !gDefault.isNull(); }

std::int32_t FMain::IconCount() const noexcept { return static_cast<std::int32_t>(s_->icons.size()); }
const cMRUFileList& FMain::RecentFiles() const noexcept { return s_->RecentFiles; }
cListView* FMain::IconList() const noexcept { return s_->lvwIcons; }
cIconGrid* FMain::ImageGrid() const noexcept { return s_->IconGrid1; }
QScrollArea* FMain::ImagesPane() const noexcept { return s_->scrImages; }
QSplitter* FMain::ImagesSplitter() const noexcept { return s_->splImages; }
QToolBar* FMain::Toolbar() const noexcept { return s_->tbrMain; }
cStatusBar* FMain::StatusPanels() const noexcept { return s_->sbrMain; }
const cImageList* FMain::Pictures32() const noexcept { return s_->ilsIcons32.get(); }
const cImageList* FMain::Pictures16() const noexcept { return s_->ilsIcons16.get(); }
QAction* FMain::FileItem(int index) const { return mWindowParts::At(s_->mnuFile, index); }
QAction* FMain::RecentItem(int index) const { return mWindowParts::At(s_->mnuMRU, index); }
QAction* FMain::ViewItem(int index) const { return mWindowParts::At(s_->mnuView, index); }
QAction* FMain::ErrorLogItem(int index) const { return mWindowParts::At(s_->mnuErrorLog, index); }
QAction* FMain::HelpItem(int index) const { return mWindowParts::At(s_->mnuHelp, index); }
QAction* FMain::ImagesItem() const noexcept { return s_->mnuImages; }
QAction* FMain::CursorsItem() const noexcept { return s_->mnuCursors; }
QAction* FMain::ExportPngItem() const noexcept { return s_->mnuExportPng; }
QAction* FMain::CursorThemeItem() const noexcept { return s_->mnuCursorTheme; }
QAction* FMain::LauncherItem() const noexcept { return s_->mnuLauncher; }
QAction* FMain::CopyItem() const noexcept { return s_->mnuCopy; }
QAction* FMain::FindSimilarItem() const noexcept { return s_->mnuFindSimilar; }
QAction* FMain::OptionsItem() const noexcept { return s_->mnuOptions; }

const cFileIcon& FMain::Icon(std::int32_t i) const {
    if (i < 1 || i > IconCount()) cError::RaiseRuntime(cError::kSubscriptOutOfRange);
    return s_->icons[static_cast<std::size_t>(i - 1)];
}

void FMain::CreateMenus() {
    const auto item = [](QMenu* menu, const QString& caption, const QKeySequence& shortcut = {}) {
        return mWindowParts::Item(menu, caption, shortcut);
    };

    s_->mnuFileMenu = menuBar()->addMenu(tr("&File"));
    s_->mnuFile[0] = item(s_->mnuFileMenu, tr("&Open"), QKeySequence("Ctrl+O"));
    s_->mnuFile[1] = item(s_->mnuFileMenu, tr("&Save"), QKeySequence("Ctrl+S"));
    s_->mnuExportPng = item(s_->mnuFileMenu, tr("&Export as PNG..."), QKeySequence("Ctrl+E"));
    connect(s_->mnuExportPng, &QAction::triggered, this, &FMain::ExportPng);
    s_->mnuCursorTheme = item(s_->mnuFileMenu, tr("Make Cursor &Theme..."));
    connect(s_->mnuCursorTheme, &QAction::triggered, this, &FMain::MakeCursorTheme);
    s_->mnuLauncher = item(s_->mnuFileMenu, tr("Add to Applications &Menu..."));
    s_->mnuLauncher->setEnabled(false);
    connect(s_->mnuLauncher, &QAction::triggered, this, &FMain::AddLauncher);
    s_->mnuFile[2] = item(s_->mnuFileMenu, "-");
    s_->mnuFile[2]->setVisible(false);
    s_->mnuFile[3] = item(s_->mnuFileMenu, tr("&Print"));
    s_->mnuFile[4] = item(s_->mnuFileMenu, "-");
    s_->mnuFile[5] = item(s_->mnuFileMenu, tr("&Launch Editor"), QKeySequence("F2"));
    s_->mnuFile[6] = item(s_->mnuFileMenu, tr("&Recurse"), QKeySequence("F3"));
    s_->mnuFile[7] = item(s_->mnuFileMenu, tr("&Glintsmith"), QKeySequence("F4"));
    s_->mnuMRU = mWindowParts::AddRecentItems(s_->mnuFileMenu, this, [this](int i) { mnuMRU_Click(i); });
    s_->mnuExit = item(s_->mnuFileMenu, tr("E&xit"));
    s_->mnuEdit = item(s_->mnuFileMenu, tr("&Edit"));
    s_->mnuEdit->setVisible(false);
    s_->mnuCopy = item(s_->mnuFileMenu, tr("&Copy"), QKeySequence("Ctrl+C"));
    s_->mnuCopy->setVisible(false);
    for (int i = 0; i < 8; ++i) {
        if (!s_->mnuFile[static_cast<std::size_t>(i)]->isSeparator())
            connect(s_->mnuFile[static_cast<std::size_t>(i)], &QAction::triggered, this,
                    [this, i] { mnuFile_Click(i); });
    }

    s_->mnuEditMenu = menuBar()->addMenu(tr("&Edit", "menu bar"));
    s_->mnuFindSimilar = s_->mnuEditMenu->addAction(tr("Find &Similar Icons..."));
    connect(s_->mnuFindSimilar, &QAction::triggered, this, &FMain::FindSimilar);

    s_->mnuViewMenu = menuBar()->addMenu(tr("&View"));
    static const char* const viewCaptions[] = {
        QT_TR_NOOP("&Toolbar"), QT_TR_NOOP("&Status Bar"), "-", QT_TR_NOOP("&Large Icons"), QT_TR_NOOP("S&mall Icons"),
        QT_TR_NOOP("L&ist"),    QT_TR_NOOP("&Details"),    "-", QT_TR_NOOP("&Properties")};
    for (int i = 0; i < 9; ++i) {
        QAction* action = item(s_->mnuViewMenu, viewCaptions[i][0] == '-' ? QString("-") : tr(viewCaptions[i]));
        s_->mnuView[static_cast<std::size_t>(i)] = action;
        if (action->isSeparator()) continue;
        if (i <= 6) action->setCheckable(true);
        // Qt flips a checkable item before it reports the choice; the handler owns the marks.
        connect(action, &QAction::triggered, this, [this, i, action](bool checked) {
            if (action->isCheckable()) action->setChecked(!checked);
            mnuView_Click(i);
        });
    }
    // "Ima&ges" stands with the other parts of the window that can be shown or hidden; it is no
    // item of mnuView, whose indices the toolbar and the stored view use.
    s_->mnuImages = new QAction(tr("Ima&ges"), this);
    s_->mnuImages->setShortcut(QKeySequence("Ctrl+I"));
    s_->mnuImages->setCheckable(true);
    s_->mnuViewMenu->insertAction(s_->mnuView[2], s_->mnuImages);
    connect(s_->mnuImages, &QAction::triggered, this, [this](bool checked) {
        s_->mnuImages->setChecked(!checked);
        mnuImages_Click();
    });
    // "C&ursors" decides what the list holds, so it stands apart from the views, before the
    // separator above Properties; it is no item of mnuView either.
    s_->mnuCursorsSep = new QAction(this);
    s_->mnuCursorsSep->setSeparator(true);
    s_->mnuCursors = new QAction(tr("C&ursors"), this);
    s_->mnuCursors->setCheckable(true);
    s_->mnuCursors->setChecked(true);
    s_->mnuViewMenu->insertActions(s_->mnuView[7], {s_->mnuCursorsSep, s_->mnuCursors});
    connect(s_->mnuCursors, &QAction::triggered, this, [this](bool checked) {
        s_->mnuCursors->setChecked(!checked);
        mnuCursors_Click();
    });
    s_->mnuView[0]->setChecked(true);
    s_->mnuView[1]->setChecked(true);
    s_->mnuView[3]->setChecked(true);
    s_->mnuDashIt = item(s_->mnuViewMenu, "-");
    s_->mnuOptions = item(s_->mnuViewMenu, tr("&Options..."));
    s_->mnuErrorLog[0] = item(s_->mnuViewMenu, "-");
    s_->mnuErrorLog[1] = item(s_->mnuViewMenu, tr("&Error Log"), QKeySequence("Ctrl+L"));
    s_->mnuErrorLog[2] = item(s_->mnuViewMenu, tr("&Clear Error Log"));

    s_->mnuHelpMenu = menuBar()->addMenu(tr("&Help"));
    s_->mnuHelp[0] = item(s_->mnuHelpMenu, tr("&Contents"), QKeySequence("F1"));
    s_->mnuHelp[2] = item(s_->mnuHelpMenu, tr("&About"), QKeySequence("Ctrl+A"));
    s_->mnuHelp[3] = item(s_->mnuHelpMenu, "-");
    s_->mnuHelp[4] = item(s_->mnuHelpMenu, tr("Icon &Formats"));
    s_->mnuHelp[5] = item(s_->mnuHelpMenu, tr("&Settings and Files"));

    connect(s_->mnuExit, &QAction::triggered, this, &FMain::mnuExit_Click);
    connect(s_->mnuCopy, &QAction::triggered, this, &FMain::mnuCopy_Click);
    connect(s_->mnuOptions, &QAction::triggered, this, &FMain::mnuOptions_Click);
    for (int i : {1, 2})
        connect(s_->mnuErrorLog[static_cast<std::size_t>(i)], &QAction::triggered, this,
                [this, i] { mnuErrorLog_Click(i); });
    for (int i : {0, 2, 4, 5})
        connect(s_->mnuHelp[static_cast<std::size_t>(i)], &QAction::triggered, this, [this, i] { mnuHelp_Click(i); });
}

void FMain::CreateGridCommands() {
    // Ctrl+C in the grid copies the chosen images, as Ctrl+C in the list copies the icon (the
    // menu's Copy is hidden, so its key does not reach here).
    auto* copy = new QAction(tr("&Copy"), s_->IconGrid1);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &FMain::mnuCopy_Click);
    // A right click on the images offers what acts on the chosen ones.
    auto* separator = new QAction(s_->IconGrid1);
    separator->setSeparator(true);
    s_->IconGrid1->setContextMenuPolicy(Qt::ActionsContextMenu);
    s_->IconGrid1->addActions({s_->mnuFile[1], copy, s_->mnuExportPng, separator, s_->mnuView[8]});
    // A right click on the list chooses the icon under the pointer and offers the same commands
    // on it (the menu's Copy is hidden, so the list has one of its own; its key is the list's
    // Ctrl+C).
    auto* listCopy = new QAction(tr("&Copy"), s_->lvwIcons);
    listCopy->setShortcut(QKeySequence::Copy);
    listCopy->setShortcutContext(Qt::WidgetShortcut);
    connect(listCopy, &QAction::triggered, this, &FMain::mnuCopy_Click);
    auto* listSeparator = new QAction(s_->lvwIcons);
    listSeparator->setSeparator(true);
    s_->lvwIcons->SetContextActions({s_->mnuFile[1], listCopy, s_->mnuExportPng, listSeparator, s_->mnuView[8]});
}

const std::vector<QString>& FMain::ButtonKeys() const { return s_->toolbar.Keys(); }

void FMain::CreateToolbar() {
    // The toolbar in order; an empty key stands for a separator.
    s_->tbrMain = s_->toolbar.Add(*this,
                                  {
                                      {"open", tr("Open Icon or Library"), [this] { mnuFile_Click(0); }},
                                      {"save", tr("Save selected icon"), [this] { mnuFile_Click(1); }},
                                      {"copy", tr("Copy"), [this] { mnuCopy_Click(); }},
                                      {"print", tr("Print selected icon"), [this] { mnuFile_Click(3); }},
                                      {"", "", {}},
                                      {"viewlarge", tr("Large icons"), [this] { mnuView_Click(3); }},
                                      {"viewsmall", tr("Small icons"), [this] { mnuView_Click(4); }},
                                      {"viewlist", tr("List icons"), [this] { mnuView_Click(5); }},
                                      {"viewdetails", tr("Details"), [this] { mnuView_Click(6); }},
                                      {"", "", {}},
                                      {"properties", tr("Properties"), [this] { mnuView_Click(8); }},
                                      {"", "", {}},
                                      {"launch", tr("Launch icon editor"), [this] { mnuFile_Click(5); }},
                                      {"recurse", tr("Recurse"), [this] { mnuFile_Click(6); }},
                                      {"glintsmith", tr("Run Glintsmith - QRSC"), [this] { RunGlintsmith(); }},
                                      {"", "", {}},
                                      {"help", tr("Help"), [this] { mnuHelp_Click(0); }},
                                      {"about", tr("About Pictrix"), [this] { mnuHelp_Click(2); }},
                                  },
                                  [this](const QString& key) { tbrMain_ButtonClick(key); });
    for (const QString& key : s_->toolbar.Keys()) {
        if (key.startsWith("view")) Button(key)->setCheckable(true);
    }
    Button("viewlarge")->setChecked(true);
}

QAction* FMain::Button(const QString& key) const { return s_->toolbar.Button(key); }

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
        s_->tbrMain->setVisible(*stored.toolbar);
        s_->mnuView[0]->setChecked(*stored.toolbar);
    }
    if (stored.statusbar) {
        s_->sbrMain->setVisible(*stored.statusbar);
        s_->mnuView[1]->setChecked(*stored.statusbar);
    }
    if (stored.winState) {
        if (*stored.winState == mMainSettings::kStateMaximised)
            setWindowState(Qt::WindowMaximized);
        else if (*stored.winState == mMainSettings::kStateMinimised)
            setWindowState(Qt::WindowMinimized);
        else
            setWindowState(Qt::WindowNoState);
    }
    if (stored.top || stored.left) {
        QPoint at = pos();
        if (stored.top) at.setY(mTwips::ToPixels(*stored.top, TwipsPerPixelY()));
        if (stored.left) at.setX(mTwips::ToPixels(*stored.left, TwipsPerPixelX()));
        move(at);
    }
    if (stored.view) mnuView_Click(*stored.view);
    if (stored.imagesWidth) s_->imagesWidth = mTwips::ToPixels(*stored.imagesWidth, TwipsPerPixelX());
    if (stored.images) ShowImages(*stored.images);
    if (stored.cursors) s_->mnuCursors->setChecked(*stored.cursors);
    Form_Resize();
}

void FMain::Form_Load() {
    try {
        Settings();
        s_->sbrMain->SetPanelText(1, T("mMainWindow", mMainWindow::kReady));
        const QScreen* s = screen();
        s_->HighColour = (s ? s->depth() : 32) >= 9;
        // Qt's toolbars are flat already.
        mWindowParts::LoadRecentFiles(s_->RecentFiles, mMainSettings::kRecentFilesKey, kRecentCapacity);
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
    if (watched == s_->client && (event->type() == QEvent::Resize || event->type() == QEvent::Move)) Form_Resize();
    // The pane exists once the constructor made it (the client area's events come before).
    if (s_->scrImages && watched == s_->scrImages->viewport() && event->type() == QEvent::Resize) FitGridToPane();
    return QMainWindow::eventFilter(watched, event);
}

void FMain::Form_Resize() {
    // The rule works on the window's inner area below the menu bar; QMainWindow lays the toolbar
    // and status bar out around the central widget, in which the list is placed. Visibility is
    // asked relative to the window, so the rule also holds before the window is first shown.
    const double p = TwipsPerPixelY();
    const double px = TwipsPerPixelX();
    const bool toolbar = s_->tbrMain->isVisibleTo(this);
    const bool status = s_->sbrMain->isVisibleTo(this);
    const int menuBottom = menuBar()->isVisibleTo(this) ? menuBar()->geometry().bottom() + 1 : 0;
    const auto twipsY = [p](int pixels) { return mTwips::ToTwips(pixels, p); };
    const auto place = mMainWindow::ListPlacement(mTwips::ToTwips(width(), px), twipsY(height() - menuBottom), toolbar,
                                                  twipsY(toolbar ? s_->tbrMain->height() : 0), status,
                                                  twipsY(status ? s_->sbrMain->height() : 0), mTwips::ToTwips(1, p));
    if (!place) return;
    const auto rect = [&](const mMainWindow::cPlacement& at) {
        const QPoint inner(mTwips::ToPixels(at.left, px), menuBottom + mTwips::ToPixels(at.top, p));
        return QRect(inner - s_->client->pos(), QSize(mTwips::ToPixels(at.width, px), mTwips::ToPixels(at.height, p)));
    };
    // The splitter keeps the images pane's width and gives the list the rest.
    s_->splImages->setGeometry(rect(*place));
}

void FMain::PlaceImagesPane() {
    if (!s_->scrImages->isVisibleTo(this)) return;
    const int handle = s_->splImages->handleWidth();
    const int whole = s_->splImages->width();
    int width = s_->imagesWidth;
    if (width <= 0) {
        const double px = TwipsPerPixelX();
        const auto split = mMainWindow::SplitForGrid({0, 0, mTwips::ToTwips(whole, px), 0}, mTwips::ToTwips(1, px));
        width = split ? mTwips::ToPixels(split->grid.width, px) : whole / 2;
        // Wide enough for the widest image while the list keeps a third.
        width = std::max(width, std::min(s_->IconGrid1->minimumSizeHint().width(), whole * 2 / 3));
    }
    // The list keeps at least a pixel; the handle stays where the user can take it.
    width = std::clamp(width, 1, std::max(1, whole - handle - 1));
    s_->splImages->setSizes({whole - handle - width, width});
}

void FMain::FitGridToPane() {
    const QSize pane = s_->scrImages->maximumViewportSize();
    const int needed = s_->IconGrid1->minimumSizeHint().width();
    const bool sideways = needed > pane.width();
    const int height = pane.height() - (sideways ? s_->scrImages->horizontalScrollBar()->sizeHint().height() : 0);
    s_->IconGrid1->resize(std::max(pane.width(), needed), std::max(1, height));
}

void FMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    Form_Resize();
    // On another screen the list pictures are made again for its pixels.
    if (QWindow* window = windowHandle(); window && !s_->screenWatched) {
        s_->screenWatched = true;
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

// An icon dragged out of this window and let go over it again: the drag's file is a copy in the
// cache folder, not something to open (nor to remember among the recent files).
bool FromWindow(const QDropEvent* event, const QWidget* window) {
    const auto* source = qobject_cast<const QWidget*>(event->source());
    return source && source->window() == window;
}

} // namespace

void FMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!FromWindow(event, this) && !DroppedFile(event->mimeData()).empty()) event->acceptProposedAction();
}

void FMain::dragMoveEvent(QDragMoveEvent* event) {
    if (!FromWindow(event, this) && !DroppedFile(event->mimeData()).empty()) event->acceptProposedAction();
}

void FMain::dropEvent(QDropEvent* event) {
    if (FromWindow(event, this)) return;
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
    mWindowParts::ShowRecentFiles(
        s_->RecentFiles, [this](int i) { return s_->mnuMRU[static_cast<std::size_t>(i + 1)]; }, s_->mnuMRU[6]);
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
        if (index < 1 || index >= static_cast<int>(s_->mnuMRU.size()) - 1)
            cError::RaiseRuntime(cError::kSubscriptOutOfRange);
        const QString tag = s_->mnuMRU[static_cast<std::size_t>(index)]->data().toString();
        Retrieve(s_->RecentFiles.file(tag.toInt()));
        RefreshRecentMenu();
    } catch (const cError& e) {
        MError::ReportError(e, true, true);
    }
}

void FMain::tbrMain_ButtonClick(const QString& key) { s_->toolbar.Press(key); }
