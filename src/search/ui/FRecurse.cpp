// FRecurse: construction of the controls and menus, loading, layout, the busy and idle states,
// Stop and Esc, the timer, closing, and the dispatch of the menus and the toolbar.

#include "search/ui/FRecurse.h"
#include "base/mTr.h"
#include "search/ui/FRecurse_State.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <string_view>

#include "base/ui/mQtText.h"
#include "platform/ui/cPrompts.h"
#include "search/mRecurse.h"
#include "search/ui/cSearchListModel.h"
#include "search/ui/cStatusStrip.h"
#include "support/MError.h"
#include "support/cRegistry.h"
#include "support/ui/mWindowParts.h"

namespace {

QPointer<FRecurse> gDefault;

using mQtText::Q;
using mQtText::T;

std::function<void(QWidget*)>& AboutBox() {
    static std::function<void(QWidget*)> show;
    return show;
}

std::function<void()>& EndProgramHook() {
    static std::function<void()> end;
    return end;
}

// The buttons EnableCommands switches with the menus (all but Stop).
constexpr const char* kCommandButtons[] = {"new",    "open",    "save",        "print", "add",
                                           "delete", "extract", "helprecurse", "help"};

// An Edit item's check mark as kept under the search's key ("1" on, "0" off): Search Hidden
// Folders (kHiddenFoldersValue), Extract Cursors Too (kExtractCursorsValue).
cRegistry SearchValue(std::string_view name) {
    cRegistry registry = mWindowParts::MachineKey(mRecurse::kSearchKey);
    registry.ValueKey(std::string(name));
    return registry;
}

// A checkable item that shows the stored mark (off when none is stored) and stores each change.
void RememberCheck(QAction* item, std::string_view name) {
    item->setCheckable(true);
    try {
        cRegistry registry = SearchValue(name);
        registry.Default(std::string("0"));
        item->setChecked(cRegistry::TextOf(registry.Value()) == "1");
    } catch (const cError& e) {
        MError::ReportError(e, true, false);
    }
    QObject::connect(item, &QAction::toggled, item, [name](bool on) {
        try {
            cRegistry registry = SearchValue(name);
            registry.ValueType(static_cast<std::int32_t>(mReg::kRegSz));
            registry.Value(std::string(on ? "1" : "0"));
        } catch (const cError& e) {
            MError::ReportError(e, true, false);
        }
    });
}

} // namespace

FRecurse::FRecurse(QWidget* parent) : QMainWindow(parent), s_(std::make_unique<cState>()) {
    s_->client = new QWidget(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setCentralWidget(s_->client);
    SetCaption(mTr::Text("mRecurse", mRecurse::kCaption));

    s_->ListModel = new cSearchListModel(this);
    s_->List1 = new QListView(s_->client);
    s_->List1->setObjectName("List1");
    s_->List1->setAccessibleName(tr("Files")); // what a screen reader calls the list
    s_->List1->setModel(s_->ListModel);
    // Uniform rows let the view place any of 32,767 entries without measuring the others.
    s_->List1->setUniformItemSizes(true);
    s_->List1->setSelectionMode(QAbstractItemView::SingleSelection);
    s_->List1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    s_->List1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    s_->Picture1 = new cStatusStrip(s_->client);
    s_->Picture1->setObjectName("Picture1");
    connect(s_->Picture1, &cStatusStrip::DblClick, this, &FRecurse::Picture1_DblClick);

    s_->tmr1 = new QTimer(this);
    s_->tmr1->setObjectName("tmr1");
    s_->tmr1->setInterval(kTimerInterval);
    connect(s_->tmr1, &QTimer::timeout, this, &FRecurse::tmr1_Timer);

    CreateMenus();
    CreateToolbar();
    EnableCommands(true);
    // The window sees every key before its controls do, so that Esc works while the list has
    // the focus.
    qApp->installEventFilter(this);

    // The client area (toolbar, list and strip) below the menu bar.
    resize(kDesignWidth, kDesignHeight + menuBar()->sizeHint().height());
    Form_Load();
}

FRecurse::~FRecurse() = default;

FRecurse& FRecurse::Default() { return mWindowParts::DefaultWindow(gDefault); }

bool FRecurse::DefaultLoaded() { return !gDefault.isNull(); }

void FRecurse::SetAboutBox(std::function<void(QWidget*)> show) { AboutBox() = std::move(show); }
void FRecurse::SetEndProgram(std::function<void()> end) { EndProgramHook() = std::move(end); }

bool FRecurse::Running() const noexcept { return s_->Running; }
const std::string& FRecurse::FileSpec() const noexcept { return s_->FileSpec; }
bool FRecurse::DataChanged() const noexcept { return s_->DataChanged; }
void FRecurse::DataChanged(bool changed) noexcept { s_->DataChanged = changed; }
const std::string& FRecurse::ListFile() const noexcept { return s_->ListFile; }
const cMRUFileList& FRecurse::RecentLists() const noexcept { return s_->RecentLists; }
const std::string& FRecurse::Caption() const noexcept { return s_->caption; }
const std::string& FRecurse::TargetFolder() const noexcept { return s_->TargetFolder; }
const mExtract::cSource& FRecurse::Source() const noexcept { return s_->Source; }
std::int32_t FRecurse::IconsSaved() const noexcept { return s_->Run.IconsSaved(); }
bool FRecurse::PrintFailed() const noexcept { return s_->printFailed; }
QListView* FRecurse::ListView() const noexcept { return s_->List1; }
cSearchListModel* FRecurse::ListModel() const noexcept { return s_->ListModel; }
cStatusStrip* FRecurse::StatusStrip() const noexcept { return s_->Picture1; }
QTimer* FRecurse::Timer() const noexcept { return s_->tmr1; }
QToolBar* FRecurse::Toolbar() const noexcept { return s_->tbrMain; }
QMenu* FRecurse::FileMenu() const noexcept { return s_->mnuFileTop; }
QMenu* FRecurse::EditMenu() const noexcept { return s_->mnuEditTop; }
QMenu* FRecurse::HelpMenu() const noexcept { return s_->mnuHelpTop; }
QAction* FRecurse::StopItem() const noexcept { return s_->mnuStop; }
QAction* FRecurse::HiddenFoldersItem() const noexcept { return s_->mnuHidden; }
QAction* FRecurse::ExtractCursorsItem() const noexcept { return s_->mnuCursors; }
QAction* FRecurse::FileItem(int index) const { return mWindowParts::At(s_->mnuFile, index); }
QAction* FRecurse::RecentItem(int index) const { return mWindowParts::At(s_->mnuMRU, index); }
QAction* FRecurse::CloseItem(int index) const { return mWindowParts::At(s_->mnuClose, index); }
QAction* FRecurse::EditItem(int index) const { return mWindowParts::At(s_->mnuEdit, index); }
QAction* FRecurse::HelpItem(int index) const { return mWindowParts::At(s_->mnuHelp, index); }

cSearchList& FRecurse::List() { return s_->ListModel->List(); }
const cSearchList& FRecurse::List() const { return s_->ListModel->List(); }

void FRecurse::CreateMenus() {
    const auto item = [](QMenu* menu, const QString& caption, const QKeySequence& shortcut = {}) {
        return mWindowParts::Item(menu, caption, shortcut);
    };

    s_->mnuFileTop = menuBar()->addMenu(tr("&File"));
    s_->mnuFile[0] = item(s_->mnuFileTop, tr("&New"), QKeySequence("Ctrl+N"));
    s_->mnuFile[1] = item(s_->mnuFileTop, tr("&Open"), QKeySequence("Ctrl+O"));
    s_->mnuFile[2] = item(s_->mnuFileTop, tr("&Save"), QKeySequence("Ctrl+S"));
    s_->mnuFile[3] = item(s_->mnuFileTop, tr("Save As"));
    s_->mnuFile[4] = item(s_->mnuFileTop, "-");
    s_->mnuFile[5] = item(s_->mnuFileTop, tr("&Print"), QKeySequence("Ctrl+P"));
    s_->mnuMRU = mWindowParts::AddRecentItems(s_->mnuFileTop, this, [this](int i) { mnuMRU_Click(i); });
    s_->mnuClose[0] = item(s_->mnuFileTop, tr("&Close"));
    s_->mnuClose[1] = item(s_->mnuFileTop, "-");
    s_->mnuClose[2] = item(s_->mnuFileTop, tr("E&xit"));

    s_->mnuEditTop = menuBar()->addMenu(tr("&Edit"));
    s_->mnuEdit[0] = item(s_->mnuEditTop, tr("&Add"), QKeySequence("Ctrl+Insert"));
    s_->mnuEdit[1] = item(s_->mnuEditTop, tr("&Delete"), QKeySequence(Qt::Key_Delete));
    s_->mnuEdit[2] = item(s_->mnuEditTop, "-");
    s_->mnuEdit[3] = item(s_->mnuEditTop, tr("&Extract"), QKeySequence("F3"));
    s_->mnuCursors = item(s_->mnuEditTop, tr("Extract &Cursors Too"));
    RememberCheck(s_->mnuCursors, mRecurse::kExtractCursorsValue);
    s_->mnuHiddenSep = item(s_->mnuEditTop, "-");
    s_->mnuHidden = item(s_->mnuEditTop, tr("Search &Hidden Folders"));
    RememberCheck(s_->mnuHidden, mRecurse::kHiddenFoldersValue);

    s_->mnuHelpTop = menuBar()->addMenu(tr("&Help"));
    s_->mnuHelp[0] = item(s_->mnuHelpTop, tr("&Contents"), QKeySequence("F1"));
    s_->mnuHelp[1] = item(s_->mnuHelpTop, tr("&Recurse Help"));
    s_->mnuHelp[2] = item(s_->mnuHelpTop, tr("&About"), QKeySequence("Ctrl+A"));

    // A menu title that acts when chosen; shown only while busy.
    s_->mnuStop = menuBar()->addAction(tr("&Stop"));
    s_->mnuStop->setVisible(false);

    const auto connectAll = [this](auto& items, void (FRecurse::*handler)(int)) {
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (!items[i]->isSeparator())
                connect(items[i], &QAction::triggered, this,
                        [this, handler, i] { (this->*handler)(static_cast<int>(i)); });
        }
    };
    connectAll(s_->mnuFile, &FRecurse::mnuFile_Click);
    connectAll(s_->mnuClose, &FRecurse::mnuClose_Click);
    connectAll(s_->mnuEdit, &FRecurse::mnuEdit_Click);
    connectAll(s_->mnuHelp, &FRecurse::mnuHelp_Click);
    connect(s_->mnuStop, &QAction::triggered, this, &FRecurse::mnuStop_Click);
}

const std::vector<QString>& FRecurse::ButtonKeys() const { return s_->toolbar.Keys(); }

void FRecurse::CreateToolbar() {
    // The toolbar in order; an empty key stands for a separator.
    s_->tbrMain = s_->toolbar.Add(*this,
                                  {
                                      {"new", tr("New List"), [this] { mnuFile_Click(0); }},
                                      {"open", tr("Open List File"), [this] { mnuFile_Click(1); }},
                                      {"save", tr("Save Current File"), [this] { mnuFile_Click(2); }},
                                      {"", "", {}},
                                      {"print", tr("Print List"), [this] { mnuFile_Click(5); }},
                                      {"", "", {}},
                                      {"add", tr("Add Item"), [this] { mnuEdit_Click(0); }},
                                      {"delete", tr("Delete"), [this] { mnuEdit_Click(1); }},
                                      {"", "", {}},
                                      {"extract", tr("Extract Icons"), [this] { mnuEdit_Click(3); }},
                                      {"", "", {}},
                                      {"helprecurse", tr("Help on Recurse"), [this] { mnuHelp_Click(1); }},
                                      {"help", tr("Pictrix Help"), [this] { mnuHelp_Click(0); }},
                                      {"", "", {}},
                                      {"Stop", tr("Stop"), [this] { Stop(); }},
                                  },
                                  [this](const QString& key) { tbrMain_ButtonClick(key); });
}

QAction* FRecurse::Button(const QString& key) const { return s_->toolbar.Button(key); }

void FRecurse::SetCaption(std::string caption) {
    s_->caption = std::move(caption);
    setWindowTitle(Q(s_->caption));
}

void FRecurse::Status(const std::string& text) { s_->Picture1->Print(Q(text)); }

void FRecurse::Busy(bool busy) {
    if (busy)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

FRecurse::cBusyRun::cBusyRun(FRecurse& window, eKind kind) : w_(window), kind_(kind) {
    if (kind_ == eKind::kExtraction) w_.s_->List1->setEnabled(false);
    w_.Busy(true);
    if (kind_ == eKind::kCursor) return;
    w_.EnableCommands(false);
    w_.s_->Running = true;
    // The run's first check always processes events.
    w_.s_->eventsClock.invalidate();
}

FRecurse::cBusyRun::~cBusyRun() {
    try {
        if (kind_ != eKind::kCursor) {
            w_.s_->Running = false;
            w_.s_->tmr1->stop();
            w_.EnableCommands(true);
        }
        if (kind_ == eKind::kExtraction) w_.s_->List1->setEnabled(true);
        w_.Busy(false);
        // The window was closed while the command ran: it closes now that the command has unwound.
        if (w_.s_->closeWhenStopped) {
            w_.s_->closeWhenStopped = false;
            w_.close();
        }
    } catch (const cError& e) {
        MError::ReportError(e, true, false);
    } catch (...) {
        MError::ReportEscaped();
    }
}

void FRecurse::Form_Load() {
    try {
        s_->StripHeight = s_->Picture1->sizeHint().height();
        List().Reserve(cSearchList::kReservedEntries);
        Status(mTr::Text("mRecurse", mRecurse::kReady));
        // Qt's toolbars are flat already.
        mWindowParts::LoadRecentFiles(s_->RecentLists, mRecurse::kRecentListsKey, mRecurse::kRecentCapacity);
        RefreshRecentMenu();
    } catch (const cError& e) {
        MError::ReportError(e, true, false);
    }
}

void FRecurse::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void FRecurse::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    Form_Resize();
}

void FRecurse::Form_Resize() {
    // The central area already lies below the toolbar; the list fills it above the strip. A
    // window too small for both gives the list no height at all rather than a negative one.
    const int width = s_->client->width();
    const int height = s_->client->height();
    const int listHeight = std::max(0, height - s_->StripHeight);
    s_->List1->setGeometry(0, 0, width, listHeight);
    s_->List1->setVisible(listHeight > 0);
    s_->Picture1->setGeometry(0, std::max(0, height - s_->StripHeight), width, std::min(s_->StripHeight, height));
}

void FRecurse::EnableCommands(bool enabled) {
    for (QMenu* menu : {s_->mnuFileTop, s_->mnuEditTop, s_->mnuHelpTop}) {
        menu->menuAction()->setEnabled(enabled);
        // A disabled menu title in Qt leaves its items' shortcuts working: switch them too.
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator()) action->setEnabled(enabled);
        }
    }
    s_->mnuStop->setVisible(!enabled);
    for (const char* key : kCommandButtons) {
        if (QAction* button = Button(key)) button->setEnabled(enabled);
    }
    if (QAction* stop = Button("Stop")) stop->setEnabled(!enabled);
}

void FRecurse::Stop() {
    if (s_->Running) s_->Running = false;
}

void FRecurse::mnuStop_Click() { Stop(); }

bool FRecurse::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this) Stop();
    }
    // In the list, Ctrl+A checks every entry, as Select All does in lists of one selection; the
    // About box keeps Ctrl+A everywhere else in the window.
    if (watched == s_->List1 && (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::SelectAll)) {
        event->accept();
        if (event->type() == QEvent::KeyPress && s_->ListModel->rowCount() > 0) s_->ListModel->CheckAll();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void FRecurse::EnableTimer(bool enabled) {
    if (!enabled) {
        s_->tmr1->stop();
        return;
    }
    if (s_->tmr1->isActive()) return;
    // Enabled again for the next folder: the tick comes a second after the last one, not a
    // second from now, so that a walk through many small folders still scrolls.
    const qint64 since = s_->sinceTick.isValid() ? s_->sinceTick.elapsed() : 0;
    s_->tmr1->start(static_cast<int>(std::clamp<qint64>(kTimerInterval - since, 0, kTimerInterval)));
}

void FRecurse::tmr1_Timer() {
    s_->sinceTick.restart();
    s_->tmr1->setInterval(kTimerInterval);
    s_->List1->setUpdatesEnabled(false);
    s_->ListModel->Publish();
    s_->List1->scrollToBottom();
    s_->List1->setUpdatesEnabled(true);
}

void FRecurse::RefreshRecentMenu() {
    mWindowParts::ShowRecentFiles(
        s_->RecentLists, [this](int i) { return s_->mnuMRU[static_cast<std::size_t>(i)]; }, s_->mnuMRU[6]);
}

void FRecurse::mnuFile_Click(int index) {
    switch (index) {
    case 0: NewList(); break;
    case 1: OpenList(); break;
    case 2: Save(); break;
    case 3: SaveAs(); break;
    case 5: PrintList(); break;
    default: break; // 4 is a separator
    }
}

void FRecurse::mnuClose_Click(int index) {
    if (index == 0) {
        close();
    } else if (index == 2) {
        if (EndProgramHook())
            EndProgramHook()();
        else
            QApplication::closeAllWindows();
    }
}

void FRecurse::mnuEdit_Click(int index) {
    switch (index) {
    case 0: AddItem(); break;
    case 1: DeleteItems(); break;
    case 3: ExtractList(); break;
    default: break; // 2 is a separator
    }
}

void FRecurse::mnuHelp_Click(int index) {
    switch (index) {
    case 0: Contents(); break;
    case 1: RecurseHelp(); break;
    case 2: About(); break;
    default: break;
    }
}

void FRecurse::tbrMain_ButtonClick(const QString& key) { s_->toolbar.Press(key); }

void FRecurse::About() {
    if (AboutBox()) AboutBox()(this);
}

bool FRecurse::Form_QueryUnload() {
    bool stay = false;
    try {
        if (s_->DataChanged) {
            const auto answer =
                cPrompts::Current().Message(this, T("mRecurse", mRecurse::kChangedQuestion), cPrompts::eButtons::YesNo,
                                            cPrompts::eIcon::Exclamation, Q(MError::kTitle));
            // A save that was asked for and failed keeps the window, and the list, open.
            // Yes, then Cancel in Save As, keeps the window and the results too.
            if (answer == cPrompts::eAnswer::Yes) stay = !Save();
        }
    } catch (const cError& e) {
        MError::ReportError(e, true, false);
    }
    try {
        mWindowParts::SaveRecentFiles(s_->RecentLists, mRecurse::kRecentListsKey);
    } catch (const cError& e) {
        MError::ReportError(e, true, false);
    }
    return !stay;
}

void FRecurse::closeEvent(QCloseEvent* event) {
    if (s_->Running) {
        // Stop first; the command that runs the walk closes the window once it has unwound.
        s_->Running = false;
        s_->closeWhenStopped = true;
        event->ignore();
        return;
    }
    if (!Form_QueryUnload()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}
