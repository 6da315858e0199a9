#include "app/ui/Main.h"

#include <QApplication>
#include <QMainWindow>
#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QWidget>

#include <cstdlib>

#include "app/mMainWindow.h"
#include "app/mStartup.h"
#include "app/ui/FAbout.h"
#include "app/ui/FMain.h"
#include "app/ui/cErrorBox.h"
#include "app/ui/mAppIcon.h"
#include "app/ui/mSearchWindows.h"
#include "grid/ui/cIconGrid.h"
#include "search/ui/FRecurse.h"
#include "support/MError.h"

namespace {

bool gEnding = false;
// Set while Main runs the application's event loop: only then is there a loop to end.
bool gLoopRunning = false;

void SaveScreenshots(const QString& folder) {
    if (!FMain::DefaultLoaded()) return;
    FMain& main = FMain::Default();
    QDir().mkpath(folder);
    for (int view = 3; view <= 6; ++view) {
        main.mnuView_Click(view);
        QApplication::processEvents();
        const QString path = QDir(folder).filePath(QString::fromStdString(mMainStart::ScreenshotName(view)) + ".png");
        if (!main.grab().save(path)) {
            MError::ReportError(
                cError(cError::kInvalidCall, cError::SourceOf("Main"), "Cannot write " + path.toStdString()), true,
                false);
        }
    }
    // The large icons with the image grid shown, two images of the chosen icon selected; then the
    // grid as it was, so the stored settings are those of the run.
    main.mnuView_Click(3);
    const bool shown = main.ImagesShown();
    if (!shown) main.mnuImages_Click();
    if (main.ImageGrid()->ItemCount() >= 3) {
        main.ImageGrid()->SetSelected(2, true);
        main.ImageGrid()->SetSelected(3, true);
    }
    main.ImageGrid()->setFocus();
    main.resize(main.width() + 120, main.height() + 160);
    QApplication::processEvents();
    const QString path = QDir(folder).filePath("main-images.png");
    if (!main.grab().save(path)) {
        MError::ReportError(
            cError(cError::kInvalidCall, cError::SourceOf("Main"), "Cannot write " + path.toStdString()), true, false);
    }
    if (!shown) main.mnuImages_Click();
    main.close();
}

} // namespace

void cWindowsHost::PrintFromFile(const std::string& file) {
    FRecurse& search = FRecurse::Default();
    search.PrintFromFile(file);
    printFailed_ = search.PrintFailed();
}

void cWindowsHost::DisplayList(const std::string& file) {
    if (mMainWindow::OpensInMainWindow(file)) {
        mainFile_ = file;
        return;
    }
    FRecurse::Default().DisplayList(file);
}

void cWindowsHost::ShowSplash() {
    if (qEnvironmentVariable("PICTRIX_NO_SPLASH") == "1") return;
    FAbout splash;
    splash.ShowSplash();
}

void cWindowsHost::ShowMainWindow() {
    FMain& main = FMain::Default();
    main.show();
    if (!mainFile_.empty()) {
        main.Retrieve(mainFile_);
    }
}

// The global search window, when a list file was loaded into it.
void cWindowsHost::ShowSearchWindow() {
    if (FRecurse::DefaultLoaded()) FRecurse::Default().show();
}

void cWindowsHost::EndProgram() { ::EndProgram(); }

namespace mMainStart {

std::string ScreenshotName(int viewIndex) {
    switch (viewIndex) {
    case 3: return "main-large";
    case 4: return "main-small";
    case 5: return "main-list";
    case 6: return "main-details";
    default: return "main-" + std::to_string(viewIndex);
    }
}

} // namespace mMainStart

void EndProgram() {
    gEnding = true;
    // Each window is asked on its own (closeAllWindows stops at the first that stays): a search
    // window with unsaved results asks its question, a walking or extracting one stops and closes
    // itself once its run has unwound.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->isWindow()) w->close();
    }
    // A window that stays (Cancel, or a run still unwinding) keeps the program running; it ends
    // when the last window closes.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && qobject_cast<QMainWindow*>(w)) {
            gEnding = false;
            return;
        }
    }
    if (gLoopRunning) QCoreApplication::exit(0);
}

bool mMainStart::ShowsWindows() {
    const QString platform = QGuiApplication::platformName();
    return platform != "offscreen" && platform != "minimal";
}

bool mMainStart::NeedsOffscreen(const std::vector<std::string>& args) {
    if (mStartup::ClassifyArguments(args).command != mStartup::eCommand::Print) return false;
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value) return false;
    }
    return true;
}

void SetUpApplication(QApplication& app) {
    // Without a screen nobody could answer a message box: reports then go to standard error.
    if (mMainStart::ShowsWindows()) cErrorBox::Install();
    mSearchWindows::Install();
    // Every window carries the program's icon. Docks and task switchers match the windows to the
    // desktop entry by its name (Wayland's application id) or by the class of X11's WM_CLASS, which
    // Qt takes from the application's name: the entry's StartupWMClass.
    app.setWindowIcon(mAppIcon::Icon());
    app.setApplicationName("pictrix");
    QGuiApplication::setDesktopFileName("org.pictrix.Pictrix");
}

int Main(QApplication& app, const std::vector<std::string>& args) {
    MError::LogStoreEvents();
    SetUpApplication(app);
    cWindowsHost host;
    const auto result = mStartup::Main(args, host);
    if (result == mStartup::eStartResult::Ended || gEnding) {
        // The windows closed without an event loop: delete them now.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    if (result == mStartup::eStartResult::Failed || host.PrintFailed()) return 1;
    if (result == mStartup::eStartResult::Ended || gEnding) return 0;
    const QString shots = qEnvironmentVariable("PICTRIX_SCREENSHOTS");
    if (!shots.isEmpty()) {
        SaveScreenshots(shots);
        return 0;
    }
    gLoopRunning = true;
    const int status = app.exec();
    gLoopRunning = false;
    return status;
}
