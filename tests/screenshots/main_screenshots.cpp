// pictrix-screenshots FOLDER: draws the dialogs, the icon grid and the search window as PNG files
// in FOLDER for `make screenshots`: the properties of an icon (also of a long path), the main
// window listing a module's icon and cursor groups in the details view, the options, the dialog
// that adds a program to the applications menu and a module's properties with its version strings,
// the grid with two images chosen, the search window after a search, busy, with each menu open,
// and during and after an extraction. The user's answers are scripted; no dialog waits. Any
// picture that cannot be drawn or written ends the program with status 1.

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QFileInfo>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>

#include "app/ui/FLauncher.h"
#include "app/ui/FMain.h"
#include "app/ui/FProps.h"
#include "app/mIconCommands.h"
#include "doubles/cRecordingShell.h"
#include "doubles/cScriptedPrompts.h"
#include "grid/ui/cIconGrid.h"
#include "icon/cFileIcon.h"
#include "resources/mIconGroups.h"
#include "search/ui/FRecurse.h"
#include "search/ui/cSearchListModel.h"
#include "search/ui/cStatusStrip.h"
#include "support/MError.h"
#include "support/mOptions.h"
#include "support/ui/FOptions.h"

namespace {

QString gFolder;
int gFailures = 0;

QString Fixture(const QString& relative) { return QStringLiteral(PICTRIX_FIXTURE_DIR "/") + relative; }

void Save(const QImage& shot, const QString& name) {
    const QString path = QDir(gFolder).filePath(name + ".png");
    if (shot.isNull() || !shot.save(path)) {
        std::fprintf(stderr, "pictrix-screenshots: cannot write %s\n", qPrintable(path));
        ++gFailures;
    }
}

void Save(QWidget& widget, const QString& name) { Save(widget.grab().toImage(), name); }

// Lets a shown window lay itself out and paint.
void Settle(int ms = 50) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Draws the modal dialog `open` shows, then closes it.
void ModalShot(const std::function<void()>& open, const QString& name) {
    QTimer::singleShot(0, [name] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            std::fprintf(stderr, "pictrix-screenshots: no dialog for %s\n", qPrintable(name));
            ++gFailures;
            return;
        }
        dialog->adjustSize();
        Settle();
        Save(*dialog, name);
        dialog->reject();
    });
    open();
}

void Properties(cScriptedPrompts& prompts, const QTemporaryDir& temp) {
    FMain main;
    prompts.AnswerOpen({Fixture("icons/depth8.ico")});
    main.mnuFile_Click(0);
    ModalShot([&] { main.ShowProperties(); }, "properties");
    // A path longer than a screen is wide, wrapped in the dialog.
    QString folder = temp.filePath("deep");
    while (folder.size() < 300) folder += "/folder-of-icons-" + QString::number(folder.size());
    QDir().mkpath(folder);
    QFile::copy(Fixture("icons/six.ico"), folder + "/six.ico");
    prompts.AnswerOpen({folder + "/six.ico"});
    main.mnuFile_Click(0);
    ModalShot([&] { main.ShowProperties(); }, "properties-long-path");
}

// File > Add to Applications Menu for a program inside a Wine prefix, filled in as it comes up
// with a category typed; and that program's properties with its version strings.
void Launcher(const QTemporaryDir& temp) {
    const QString program = temp.filePath("wine/drive_c/Program Files/App/app.exe");
    QDir().mkpath(QFileInfo(program).path());
    QFile::copy(Fixture("modules/program32.exe"), program);
    std::vector<cFileIcon> icons;
    mIconGroups::cHooks hooks;
    hooks.GroupFailed = [](const mIconGroups::cFailure&) { return true; };
    mIconGroups::Load(program.toStdString(), icons, hooks, mIconGroups::kIconGroupsOnly);
    if (icons.empty()) {
        std::fprintf(stderr, "pictrix-screenshots: no icon in %s\n", qPrintable(program));
        ++gFailures;
        return;
    }
    FLauncher launcher(nullptr, program.toStdString(), icons.front(), temp.filePath("data").toStdString());
    launcher.edtCategories->setText("Game;");
    launcher.show();
    launcher.adjustSize();
    Settle();
    Save(launcher, "launcher");
    FProps props;
    props.SetTexts(QString::fromStdString(mIconCommands::PropertiesNameLine(icons.front())),
                   QString::fromStdString(mIconCommands::PropertiesText(icons.front())));
    props.SetVersionText(QString::fromStdString(mIconCommands::VersionPropertiesText(program.toStdString())));
    props.show();
    props.adjustSize();
    Settle();
    Save(props, "properties-version");
}

// The main window on a module with icon and cursor groups, in the details view: the cursor rows
// marked in their text and their type.
void MainWindowCursors(cScriptedPrompts& prompts) {
    FMain main;
    main.setAttribute(Qt::WA_DeleteOnClose, false);
    main.mnuView_Click(6);
    main.show();
    prompts.AnswerOpen({Fixture("modules/cursors32.dll")});
    main.mnuFile_Click(0);
    Settle();
    Save(main, "main-cursors-details");
}

void Options() {
    mOptions::SetEditorPath("/usr/local/bin/icon-editor");
    mOptions::WriteBackColor(0x00D8B060);
    FOptions dialog;
    dialog.cmdOK->setEnabled(true);
    dialog.cmdApply->setEnabled(true);
    dialog.show();
    Settle();
    Save(dialog, "options");
}

void Grid() {
    cIconGrid grid;
    grid.resize(180, 420);
    grid.show();
    cFileIcon icon;
    icon.LoadIcon(Fixture("icons/six.ico").toStdString());
    grid.Init(icon);
    grid.SetSelected(2, true);
    grid.SetSelected(3, true);
    grid.activateWindow();
    grid.setFocus();
    Settle();
    Save(grid, "icon-grid");
}

void SearchWindow(cScriptedPrompts& prompts, const QTemporaryDir& temp) {
    const QString tree = temp.filePath("tree");
    for (const char* file : {"X.EXE", "notes.txt", "B/y.exe", "B/C/z.exe", "D/w.exe"}) {
        const QString path = tree + "/" + file;
        QDir().mkpath(QFileInfo(path).path());
        QFile(path).open(QIODevice::WriteOnly);
    }
    FRecurse w;
    w.show();
    Settle();
    // Busy: the Stop menu and button, the other commands off.
    QTimer::singleShot(0, [&w] { Save(w, "search-busy"); });
    prompts.AnswerFolder(tree).AnswerInput("*.*");
    w.mnuFile_Click(0);
    for (int row : {3, 6}) w.ListModel()->setData(w.ListModel()->index(row), Qt::Checked, Qt::CheckStateRole);
    w.ListView()->setCurrentIndex(w.ListModel()->index(3));
    Settle();
    Save(w, "search-window");
    // A popup menu is a window of its own: it is drawn over the window where it opens.
    for (auto [menu, name] : {std::pair{w.FileMenu(), "search-menu-file"}, std::pair{w.EditMenu(), "search-menu-edit"},
                              std::pair{w.HelpMenu(), "search-menu-help"}}) {
        w.menuBar()->setActiveAction(menu->menuAction());
        Settle();
        QImage shot = w.grab().toImage();
        const QPoint at = w.menuBar()->mapTo(&w, w.menuBar()->actionGeometry(menu->menuAction()).bottomLeft());
        const QPixmap popup = menu->grab();
        if (shot.height() < at.y() + popup.height()) {
            QImage taller(shot.width(), at.y() + popup.height() + 4, shot.format());
            taller.fill(Qt::white);
            QPainter(&taller).drawImage(0, 0, shot);
            shot = taller;
        }
        QPainter(&shot).drawPixmap(at, popup);
        Save(shot, name);
        menu->hide();
    }
    w.menuBar()->setActiveAction(nullptr);
    w.DataChanged(false);
}

void Extraction(cScriptedPrompts& prompts, const QTemporaryDir& temp) {
    FRecurse w;
    w.ListModel()->Reload([](cSearchList& list) {
        for (const char* f :
             {"modules/seven64.dll", "modules/sample.dll", "modules/good32.dll", "modules/good.icl", "icons/six.ico"})
            list.Append(Fixture(f).toStdString());
    });
    for (int row : {1, 2, 4}) w.ListModel()->setData(w.ListModel()->index(row), Qt::Checked, Qt::CheckStateRole);
    w.show();
    Settle();
    bool during = false;
    QObject::connect(w.StatusStrip(), &cStatusStrip::Printed, &w, [&](const QString& text) {
        if (text != "Loading icon 9 of 12...") return;
        during = true;
        Save(w, "search-extracting");
    });
    QDir().mkpath(temp.filePath("out"));
    prompts.AnswerFolder(temp.filePath("out"));
    w.mnuEdit_Click(3);
    if (!during) {
        std::fprintf(stderr, "pictrix-screenshots: the extraction never reached its ninth icon\n");
        ++gFailures;
    }
    Save(w, "search-extracted");
}

} // namespace

int main(int argc, char** argv) {
    // The settings the pictures need are written to folders of the run, never the user's.
    QTemporaryDir temp;
    if (!temp.isValid()) return 1;
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_STATE_HOME"}) {
        const QString folder = temp.filePath(name);
        QDir().mkpath(folder);
        qputenv(name, folder.toLocal8Bit());
    }
    QApplication app(argc, argv);
    app.setApplicationName("pictrix");
    app.setApplicationDisplayName("Pictrix v2");
    if (argc != 2) {
        std::fprintf(stderr, "usage: pictrix-screenshots FOLDER\n");
        return 2;
    }
    gFolder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(gFolder);
    MError::SetErrorLogPath(temp.filePath("errlog.txt").toStdString());
    QApplication::setQuitOnLastWindowClosed(false);
    cScriptedPrompts::SetFailureHandler([](const QString& message) {
        std::fprintf(stderr, "pictrix-screenshots: %s\n", qPrintable(message));
        ++gFailures;
    });
    cScriptedPrompts prompts;
    cPrompts::cScope promptsScope(prompts);
    cRecordingShell shell;
    cShell::cScope shellScope(shell);

    Properties(prompts, temp);
    MainWindowCursors(prompts);
    Launcher(temp);
    Options();
    Grid();
    SearchWindow(prompts, temp);
    Extraction(prompts, temp);
    return gFailures == 0 ? 0 : 1;
}
