// FRecurse: construction of the controls and menus, loading, layout, the busy and idle states,
// Stop and Esc, the timer, closing, and the dispatch of the menus and the toolbar.

#include "search/ui/FRecurse.h"

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

std::function<void(QWidget*)>& AboutBox() {
    static std::function<void(QWidget*)> show;
    return show;
}

std::function<void()>& EndProgramHook() {
    static std::function<void()> end;
    return end;
}

// The buttons EnableCommands switches with the menus (all but Stop).
constexpr const char* kCommandButtons[] = {"new", "open", "save", "print", "add", "delete", "extract", "helprecurse", "help"};

// Edit > Search Hidden Folders as kept under the search's key ("1" on, "0" off).
cRegistry HiddenFoldersValue() {
    cRegistry registry = mWindowParts::MachineKey(mRecurse::kSearchKey);
    registry.ValueKey(std::string(mRecurse::kHiddenFoldersValue));
    return registry;
}

} // namespace

FRecurse::FRecurse(QWidget* parent) : QMainWindow(parent), client_(new QWidget(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setCentralWidget(client_);
    SetCaption(std::string(mRecurse::kCaption));

    ListModel = new cSearchListModel(this);
    List1 = new QListView(client_);
    List1->setObjectName("List1");
    List1->setModel(ListModel);
    // Uniform rows let the view place any of 32,767 entries without measuring the others.
    List1->setUniformItemSizes(true);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    Picture1 = new cStatusStrip(client_);
    Picture1->setObjectName("Picture1");
    connect(Picture1, &cStatusStrip::DblClick, this, &FRecurse::Picture1_DblClick);

    tmr1 = new QTimer(this);
    tmr1->setObjectName("tmr1");
    tmr1->setInterval(kTimerInterval);
    connect(tmr1, &QTimer::timeout, this, &FRecurse::tmr1_Timer);

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

FRecurse& FRecurse::Default() {
    if (!gDefault) gDefault = new FRecurse();
    return *gDefault;
}

bool FRecurse::DefaultLoaded() { return !gDefault.isNull(); }

void FRecurse::SetAboutBox(std::function<void(QWidget*)> show) { AboutBox() = std::move(show); }
void FRecurse::SetEndProgram(std::function<void()> end) { EndProgramHook() = std::move(end); }

cSearchList& FRecurse::List() { return ListModel->List(); }
const cSearchList& FRecurse::List() const { return ListModel->List(); }

void FRecurse::CreateMenus() {
    const auto item = [](QMenu* menu, const char* caption, const QKeySequence& shortcut = {}) {
        return mWindowParts::Item(menu, caption, shortcut);
    };

    mnuFileTop = menuBar()->addMenu("&File");
    mnuFile[0] = item(mnuFileTop, "&New", QKeySequence("Ctrl+N"));
    mnuFile[1] = item(mnuFileTop, "&Open", QKeySequence("Ctrl+O"));
    mnuFile[2] = item(mnuFileTop, "&Save", QKeySequence("Ctrl+S"));
    mnuFile[3] = item(mnuFileTop, "Save As");
    mnuFile[4] = item(mnuFileTop, "-");
    mnuFile[5] = item(mnuFileTop, "&Print", QKeySequence("Ctrl+P"));
    mnuMRU = mWindowParts::AddRecentItems(mnuFileTop, this, [this](int i) { mnuMRU_Click(i); });
    mnuClose[0] = item(mnuFileTop, "&Close");
    mnuClose[1] = item(mnuFileTop, "-");
    mnuClose[2] = item(mnuFileTop, "E&xit");

    mnuEditTop = menuBar()->addMenu("&Edit");
    mnuEdit[0] = item(mnuEditTop, "&Add", QKeySequence("Ctrl+Insert"));
    mnuEdit[1] = item(mnuEditTop, "&Delete", QKeySequence(Qt::Key_Delete));
    mnuEdit[2] = item(mnuEditTop, "-");
    mnuEdit[3] = item(mnuEditTop, "&Extract", QKeySequence("F3"));
    mnuHiddenSep = item(mnuEditTop, "-");
    mnuHidden = item(mnuEditTop, "Search &Hidden Folders");
    mnuHidden->setCheckable(true);
    try {
        cRegistry registry = HiddenFoldersValue();
        registry.Default(std::string("0"));
        mnuHidden->setChecked(cRegistry::TextOf(registry.Value()) == "1");
    } catch (const cError& e) {
        MError::ReportError(e, true, false);
    }
    connect(mnuHidden, &QAction::toggled, this, [](bool on) {
        try {
            cRegistry registry = HiddenFoldersValue();
            registry.ValueType(static_cast<std::int32_t>(mReg::kRegSz));
            registry.Value(std::string(on ? "1" : "0"));
        } catch (const cError& e) {
            MError::ReportError(e, true, false);
        }
    });

    mnuHelpTop = menuBar()->addMenu("&Help");
    mnuHelp[0] = item(mnuHelpTop, "&Contents", QKeySequence("F1"));
    mnuHelp[1] = item(mnuHelpTop, "&Recurse Help");
    mnuHelp[2] = item(mnuHelpTop, "&About", QKeySequence("Ctrl+A"));

    // A menu title that acts when chosen; shown only while busy.
    mnuStop = menuBar()->addAction("&Stop");
    mnuStop->setVisible(false);

    const auto connectAll = [this](auto& items, void (FRecurse::*handler)(int)) {
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (!items[i]->isSeparator())
                connect(items[i], &QAction::triggered, this, [this, handler, i] { (this->*handler)(static_cast<int>(i)); });
        }
    };
    connectAll(mnuFile, &FRecurse::mnuFile_Click);
    connectAll(mnuClose, &FRecurse::mnuClose_Click);
    connectAll(mnuEdit, &FRecurse::mnuEdit_Click);
    connectAll(mnuHelp, &FRecurse::mnuHelp_Click);
    connect(mnuStop, &QAction::triggered, this, &FRecurse::mnuStop_Click);
}

const std::vector<QString>& FRecurse::ButtonKeys() const { return toolbar_.Keys(); }

void FRecurse::CreateToolbar() {
    // The toolbar in order; an empty key stands for a separator.
    tbrMain = toolbar_.Add(*this,
                           {
                               {"new", "New List", [this] { mnuFile_Click(0); }},
                               {"open", "Open List File", [this] { mnuFile_Click(1); }},
                               {"save", "Save Current File", [this] { mnuFile_Click(2); }},
                               {"", "", {}},
                               {"print", "Print List", [this] { mnuFile_Click(5); }},
                               {"", "", {}},
                               {"add", "Add Item", [this] { mnuEdit_Click(0); }},
                               {"delete", "Delete", [this] { mnuEdit_Click(1); }},
                               {"", "", {}},
                               {"extract", "Extract Icons", [this] { mnuEdit_Click(3); }},
                               {"", "", {}},
                               {"helprecurse", "Help on Recurse", [this] { mnuHelp_Click(1); }},
                               {"help", "Pictrix Help", [this] { mnuHelp_Click(0); }},
                               {"", "", {}},
                               {"Stop", "Stop", [this] { Stop(); }},
                           },
                           [this](const QString& key) { tbrMain_ButtonClick(key); });
}

QAction* FRecurse::Button(const QString& key) const { return toolbar_.Button(key); }

void FRecurse::SetCaption(std::string caption) {
    caption_ = std::move(caption);
    setWindowTitle(Q(caption_));
}

void FRecurse::Status(const std::string& text) { Picture1->Print(Q(text)); }

void FRecurse::Busy(bool busy) {
    if (busy) setCursor(Qt::WaitCursor);
    else unsetCursor();
}

FRecurse::cBusyRun::cBusyRun(FRecurse& window, eKind kind) : w_(window), kind_(kind) {
    if (kind_ == eKind::kExtraction) w_.List1->setEnabled(false);
    w_.Busy(true);
    if (kind_ == eKind::kCursor) return;
    w_.EnableCommands(false);
    w_.Running = true;
    // The run's first check always processes events.
    w_.eventsClock_.invalidate();
}

FRecurse::cBusyRun::~cBusyRun() {
    try {
        if (kind_ != eKind::kCursor) {
            w_.Running = false;
            w_.tmr1->stop();
            w_.EnableCommands(true);
        }
        if (kind_ == eKind::kExtraction) w_.List1->setEnabled(true);
        w_.Busy(false);
        // The window was closed while the command ran: it closes now that the command has unwound.
        if (w_.closeWhenStopped_) {
            w_.closeWhenStopped_ = false;
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
        StripHeight = Picture1->sizeHint().height();
        List().Reserve(cSearchList::kReservedEntries);
        Status(std::string(mRecurse::kReady));
        // Qt's toolbars are flat already.
        mWindowParts::LoadRecentFiles(RecentLists, mRecurse::kRecentListsKey, mRecurse::kRecentCapacity);
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
    const int width = client_->width();
    const int height = client_->height();
    const int listHeight = std::max(0, height - StripHeight);
    List1->setGeometry(0, 0, width, listHeight);
    List1->setVisible(listHeight > 0);
    Picture1->setGeometry(0, std::max(0, height - StripHeight), width, std::min(StripHeight, height));
}

void FRecurse::EnableCommands(bool enabled) {
    for (QMenu* menu : {mnuFileTop, mnuEditTop, mnuHelpTop}) {
        menu->menuAction()->setEnabled(enabled);
        // A disabled menu title in Qt leaves its items' shortcuts working: switch them too.
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator()) action->setEnabled(enabled);
        }
    }
    mnuStop->setVisible(!enabled);
    for (const char* key : kCommandButtons) {
        if (QAction* button = Button(key)) button->setEnabled(enabled);
    }
    if (QAction* stop = Button("Stop")) stop->setEnabled(!enabled);
}

void FRecurse::Stop() {
    if (Running) Running = false;
}

void FRecurse::mnuStop_Click() { Stop(); }

bool FRecurse::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this) Stop();
    }
    return QMainWindow::eventFilter(watched, event);
}

void FRecurse::EnableTimer(bool enabled) {
    if (!enabled) {
        tmr1->stop();
        return;
    }
    if (tmr1->isActive()) return;
    // Enabled again for the next folder: the tick comes a second after the last one, not a
    // second from now, so that a walk through many small folders still scrolls.
    const qint64 since = sinceTick_.isValid() ? sinceTick_.elapsed() : 0;
    tmr1->start(static_cast<int>(std::clamp<qint64>(kTimerInterval - since, 0, kTimerInterval)));
}

void FRecurse::tmr1_Timer() {
    sinceTick_.restart();
    tmr1->setInterval(kTimerInterval);
    List1->setUpdatesEnabled(false);
    ListModel->Publish();
    List1->scrollToBottom();
    List1->setUpdatesEnabled(true);
}

void FRecurse::RefreshRecentMenu() {
    mWindowParts::ShowRecentFiles(RecentLists, [this](int i) { return mnuMRU[static_cast<std::size_t>(i)]; }, mnuMRU[6]);
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
        if (EndProgramHook()) EndProgramHook()();
        else QApplication::closeAllWindows();
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

void FRecurse::tbrMain_ButtonClick(const QString& key) { toolbar_.Press(key); }

void FRecurse::About() {
    if (AboutBox()) AboutBox()(this);
}

bool FRecurse::Form_QueryUnload() {
    bool stay = false;
    try {
        if (DataChanged) {
            const auto answer = cPrompts::Current().Message(this, Q(mRecurse::kChangedQuestion), cPrompts::eButtons::YesNo,
                                                            cPrompts::eIcon::Exclamation, Q(MError::kTitle));
            // A save that was asked for and failed keeps the window, and the list, open.
            // Yes, then Cancel in Save As, keeps the window and the results too.
            if (answer == cPrompts::eAnswer::Yes) stay = !Save();
        }
    } catch (const cError& e) {
        MError::ReportError(e, true, false);
    }
    try {
        mWindowParts::SaveRecentFiles(RecentLists, mRecurse::kRecentListsKey);
    } catch (const cError& e) {
        MError::ReportError(e, true, false);
    }
    return !stay;
}

void FRecurse::closeEvent(QCloseEvent* event) {
    if (Running) {
        // Stop first; the command that runs the walk closes the window once it has unwound.
        Running = false;
        closeWhenStopped_ = true;
        event->ignore();
        return;
    }
    if (!Form_QueryUnload()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}
