// File > Add to Applications Menu and the Properties dialog's version strings, driven by keys and
// clicks: a program inside a fake Wine prefix, a shortcut to it and an icon file opened, an icon
// clicked in the list, the dialog opened by Alt+F and its letter, then what is on disk held
// against GIO's and Pillow's reading of it, and against pictrix-cli's list and removal. The menus
// need a display server: CTest runs this class under a virtual X server (test_ui_launcher).

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

#include "app/ui/FLauncher.h"
#include "app/ui/FMain.h"
#include "app/ui/FProps.h"
#include "app/ui/cListView.h"
#include "cMainWindowTest.h"
#include "doubles/cScriptedPrompts.h"
#include "fixtures/mCraft.h"
#include "mUiTest.h"

namespace {

using eKind = cScriptedPrompts::eKind;
using eAnswer = cPrompts::eAnswer;

enum class eSource { Program, Shortcut, IconFile };
// What is at the launcher's names before the dialog writes: nothing, a launcher pictrix-cli made
// of the same program, or that launcher with its desktop entry since replaced by someone else's.
enum class eBefore { Nothing, Ours, Theirs };

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Runs a program; answers its standard output, and its exit code through `code`.
QString Run(const QString& program, const QStringList& args, int* code = nullptr) {
    QProcess p;
    // A locale the C library has, whatever the test set for the program's own reading.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C.UTF-8");
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    p.waitForFinished(60000);
    if (code) *code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAll());
}

QString Cli(const QStringList& args, int* code = nullptr) {
    return Run(QStringLiteral(PICTRIX_BINARY_DIR "/pictrix-cli"), args, code);
}

// Every PNG below `icons` as Pillow reads it: "SxS WxH" a line, sorted.
QString PngSizes(const QString& icons) {
    const char* script = "import sys, os\n"
                         "from PIL import Image\n"
                         "rows = []\n"
                         "for root, _, files in os.walk(sys.argv[1]):\n"
                         "    for f in files:\n"
                         "        if f.endswith('.png'):\n"
                         "            w, h = Image.open(os.path.join(root, f)).size\n"
                         "            rows.append((int(os.path.basename(os.path.dirname(root)).split('x')[0]),\n"
                         "                         os.path.basename(os.path.dirname(root)) + ' %dx%d' % (w, h)))\n"
                         "print('\\n'.join(r for _, r in sorted(rows)))\n";
    return Run(QStringLiteral(PICTRIX_PYTHON), {"-c", script, icons}).trimmed();
}

// Every file below `folder`, relative to it, sorted.
QStringList Files(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

// What the dialog showed when it came up, and whether OK could be pressed before and after the
// test's typing.
struct cShown {
    bool shown = false;
    QString name, command, sizes;
    bool okAtFirst = false, okAfterTyping = false, stayed = false;
};

} // namespace

class tLauncherWindowTest : public cMainWindowTest {
    Q_OBJECT

    QString prefix_, program_, home_;

    QAbstractItemView* View() { return static_cast<QAbstractItemView*>(Window().IconList()->ActiveView()); }
    void Click(int item) {
        QAbstractItemView* view = View();
        const QModelIndex index = view->model()->index(item - 1, 0);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    }

    // The window shown and active, `file` opened and its first icon clicked.
    void OpenAndChoose(const QString& file) {
        Window().setGeometry(50, 50, 520, 400);
        Window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Window()));
        Window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&Window()));
        Open(file);
        QVERIFY(Window().IconCount() >= 1);
        Click(1);
        QCOMPARE(Window().IconList()->SelectedIndex(), 1);
    }

    void SetUp() override {
        prefix_ = Path("wine prefix");
        program_ = prefix_ + "/drive_c/Program Files/It's $5/app.exe";
        home_ = Path("data");
        QDir(home_).removeRecursively();
        QDir(prefix_).removeRecursively();
        mUiTest::CopyInto(prefix_, mUiTest::Fixture("modules/program32.exe"), "drive_c/Program Files/It's $5/app.exe");
        qputenv("XDG_DATA_HOME", home_.toUtf8());
        // The entry's name comes from the version strings in the user's language.
        qputenv("LC_ALL", "en_US.UTF-8");
    }
    void TearDown() override {
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("LC_ALL");
        cMainWindowTest::TearDown();
    }

    QString Shortcut() {
        mCraft::cShortcutShape shape;
        shape.target = "C:\\Program Files\\It's $5\\APP.exe";
        shape.arguments = "--level \"two words\"";
        const QString menu = prefix_ + "/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs";
        QDir().mkpath(menu);
        const mCraft::tBytes bytes = mCraft::Shortcut(shape);
        QFile f(menu + "/Play.lnk");
        if (!f.open(QIODevice::WriteOnly)) return {};
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return f.fileName();
    }

private slots:
    void TheItemWaitsForAFile() {
        QVERIFY(!Window().LauncherItem()->isEnabled());
        QCOMPARE(Window().LauncherItem()->text(), QString("Add to Applications &Menu..."));
        Open(mUiTest::Fixture("modules/noicons32.dll"));
        QVERIFY(!Window().LauncherItem()->isEnabled());
        Open(mUiTest::Fixture("icons/vista.ico"));
        QVERIFY(Window().LauncherItem()->isEnabled());
        Open(mUiTest::Fixture("cursors/arrow.cur"));
        QVERIFY(!Window().LauncherItem()->isEnabled());
    }

    void AddedFromTheWindow_data() {
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("answer"); // to the question whether ours is replaced
        QTest::addColumn<bool>("written");
        QTest::addRow("a program in a prefix") << int(eSource::Program) << int(eBefore::Nothing) << -1 << true;
        QTest::addRow("a shortcut to it") << int(eSource::Shortcut) << int(eBefore::Nothing) << -1 << true;
        QTest::addRow("an icon file, its command typed")
            << int(eSource::IconFile) << int(eBefore::Nothing) << -1 << true;
        QTest::addRow("ours again, replaced")
            << int(eSource::Program) << int(eBefore::Ours) << int(eAnswer::Yes) << true;
        QTest::addRow("ours again, kept") << int(eSource::Program) << int(eBefore::Ours) << int(eAnswer::No) << false;
        QTest::addRow("theirs in the way")
            << int(eSource::Program) << int(eBefore::Theirs) << int(eAnswer::Yes) << false;
    }

    void AddedFromTheWindow() {
        if (QGuiApplication::platformName() == "offscreen")
            QSKIP("menus by keyboard need a display server (test_ui_launcher)");
        QFETCH(int, source);
        QFETCH(int, before);
        QFETCH(int, answer);
        QFETCH(bool, written);
        const QString desktop = home_ + "/applications/My-App.desktop";
        if (before != int(eBefore::Nothing)) {
            int code = 0;
            const QString out = Cli({"launcher", program_, "--categories", "Game"}, &code);
            QVERIFY2(code == 0, qPrintable(out));
            if (before == int(eBefore::Theirs)) {
                QFile::remove(desktop);
                QFile f(desktop);
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write("mine");
            }
        }
        const QStringList filesBefore = Files(home_);
        const QByteArray desktopBefore = ReadAll(desktop);

        QString file = program_;
        if (source == int(eSource::Shortcut)) file = Shortcut();
        if (source == int(eSource::IconFile))
            file = mUiTest::CopyInto(Path("icons"), mUiTest::Fixture("icons/vista.ico"), "vista.ico");
        OpenAndChoose(file);

        if (answer >= 0) prompts_->AnswerMessage(static_cast<eAnswer>(answer));
        if (written || before == int(eBefore::Theirs)) prompts_->AnswerMessage(eAnswer::OK);
        cShown shown;
        ByKeys<FLauncher>(Qt::Key_F, Qt::Key_M, [&](FLauncher& dlg) {
            shown.shown = true;
            shown.name = dlg.edtName->text();
            shown.command = dlg.edtCommand->text();
            shown.sizes = dlg.txtSizes->toPlainText();
            shown.okAtFirst = dlg.cmdOK->isEnabled();
            if (source == int(eSource::IconFile)) {
                QTest::keyClicks(dlg.edtCommand, "xdg-open %f");
            } else {
                dlg.edtCategories->setFocus();
                QTest::keyClicks(dlg.edtCategories, "Office;Utility");
            }
            shown.okAfterTyping = dlg.cmdOK->isEnabled();
            QTest::mouseClick(dlg.cmdOK, Qt::LeftButton);
            shown.stayed = dlg.isVisible();
        });
        QVERIFY(shown.shown);
        QCOMPARE(prompts_->Pending(), std::size_t{0});
        QCOMPARE(shown.stayed, !written);

        // Filled in as the command line fills them in; an icon file waits for its command.
        // The program's path quoted for an Exec line: its "$" escaped.
        const QString wine =
            "env \"WINEPREFIX=" + prefix_ + "\" wine \"" + QString(program_).replace("$", "\\$") + "\"";
        switch (static_cast<eSource>(source)) {
        case eSource::Program:
            QCOMPARE(shown.name, QString("My App"));
            QCOMPARE(shown.command, wine);
            break;
        case eSource::Shortcut:
            QCOMPARE(shown.name, QString("Play"));
            QCOMPARE(shown.command, wine + " --level \"two words\"");
            break;
        case eSource::IconFile:
            QCOMPARE(shown.name, QString("vista"));
            QCOMPARE(shown.command, QString());
            break;
        }
        QCOMPARE(shown.okAtFirst, source != int(eSource::IconFile));
        QVERIFY(shown.okAfterTyping);
        // vista.ico holds 16, 32, 48 and a 256-pixel PNG.
        QVERIFY2(shown.sizes.startsWith("16 x 16\n22 x 22  scaled from 32 x 32\n24 x 24  scaled from 32 x 32\n32 x 32\n"
                                        "48 x 48\n64 x 64  scaled from 256 x 256\n"),
                 qPrintable(shown.sizes));
        QVERIFY2(shown.sizes.endsWith("256 x 256  PNG image as stored\n"), qPrintable(shown.sizes));

        const auto& asked = prompts_->Asked();
        // Open, then the question where ours is there, then what came of it.
        QCOMPARE(asked.size(),
                 std::size_t{1} + (answer >= 0 ? 1 : 0) + (written || before == int(eBefore::Theirs) ? 1 : 0));
        if (answer >= 0) {
            QCOMPARE(asked[1].buttons, cPrompts::eButtons::YesNo);
            QVERIFY2(asked[1].text.contains("Do you want to replace it?"), qPrintable(asked[1].text));
        }
        if (!written) {
            // Nothing changed on disk: theirs is still theirs, ours still says Game.
            QCOMPARE(Files(home_), filesBefore);
            QCOMPARE(ReadAll(desktop), desktopBefore);
            if (before == int(eBefore::Theirs)) {
                QCOMPARE(asked.back().icon, cPrompts::eIcon::Exclamation);
                QCOMPARE(asked.back().text, "The menu entry was not made: " + desktop +
                                                " was not written by Pictrix.\nPictrix replaces only files it "
                                                "wrote; move that file away or choose another name.");
            }
            return;
        }

        const QString id = source == int(eSource::Program) ? "My-App" : shown.name;
        const QString entry = home_ + "/applications/" + id + ".desktop";
        const QString icons = home_ + "/icons/hicolor";
        QCOMPARE(asked.back().icon, cPrompts::eIcon::Information);
        QCOMPARE(asked.back().text, "\"" + shown.name + "\" is in the applications menu.\n\nDesktop entry: " + entry +
                                        "\nIcon: " + id + " at 9 sizes, in " + icons +
                                        "\n\npictrix-cli launcher "
                                        "--remove " +
                                        id + " removes it.");

        // The desktop sees it: GIO lists it and splits its command, GTK's theme finds its icon.
        int code = 0;
        QString text = Run(QStringLiteral(PICTRIX_PYTHON),
                           {QStringLiteral(PICTRIX_SOURCE_DIR "/tests/cli/launcher_desktop.py"), home_, id}, &code);
        QVERIFY2(code == 0, qPrintable(text));
        QString argv = source == int(eSource::IconFile)
                           ? "xdg-open\n%f\n"
                           : "env\nWINEPREFIX=" + prefix_ + "\nwine\n" + program_ + "\n" +
                                 (source == int(eSource::Shortcut) ? "--level\ntwo words\n" : "");
        const QString wmclass = source == int(eSource::IconFile) ? "None" : "app.exe";
        QCOMPARE(text, "name " + shown.name + "\nwmclass " + wmclass + "\nargv\n" + argv + "16 " + icons +
                           "/16x16/apps/" + id + ".png 16\n48 " + icons + "/48x48/apps/" + id + ".png 48\n256 " +
                           icons + "/256x256/apps/" + id + ".png 256\n");
        QCOMPARE(PngSizes(icons), QString("16x16 16x16\n22x22 22x22\n24x24 24x24\n32x32 32x32\n48x48 48x48\n64x64 "
                                          "64x64\n96x96 96x96\n128x128 128x128\n256x256 256x256"));
        if (source != int(eSource::IconFile)) {
            const QString categories = source == int(eSource::Program) ? "Categories=Office;Utility;\n" : "";
            QVERIFY2(ReadAll(entry).contains(categories.toUtf8()), ReadAll(entry).constData());
        }

        // The command line's records: listed, and removed to the last file.
        text = Cli({"launcher", "--list"}, &code);
        QCOMPARE(code, 0);
        QVERIFY2(text.startsWith(id + ": " + shown.name + " ("), qPrintable(text));
        text = Cli({"launcher", "--remove", id}, &code);
        QVERIFY2(code == 0, qPrintable(text));
        QCOMPARE(Files(home_), QStringList());
    }

    void PropertiesShowTheVersionStrings_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("source");
        QTest::addColumn<QString>("version");
        const QString english =
            "    CompanyName: Example Works\r\n    FileDescription: My App\r\n    ProductName: My App "
            "Suite\r\n";
        const QString german = "    FileDescription: Meine Anwendung\r\n    ProductName: Meine Suite";
        const QString fixed = "File version: 1.2.3.4\r\nProduct version: 5.6.0.7\r\n";
        QTest::addRow("an English user") << "en_US.UTF-8" << int(eSource::Program)
                                         << fixed + "Version strings (en-US):\r\n" + english +
                                                "Version strings (de-DE):\r\n" + german;
        QTest::addRow("a German user") << "de_AT.UTF-8" << int(eSource::Program)
                                       << fixed + "Version strings (de-DE):\r\n" + german +
                                              "\r\nVersion strings (en-US):\r\n" + english.chopped(2);
        QTest::addRow("a shortcut's target")
            << "en_US.UTF-8" << int(eSource::Shortcut)
            << fixed + "Version strings (en-US):\r\n" + english + "Version strings (de-DE):\r\n" + german;
        QTest::addRow("an icon file") << "en_US.UTF-8" << int(eSource::IconFile) << QString();
    }

    void PropertiesShowTheVersionStrings() {
        if (QGuiApplication::platformName() == "offscreen")
            QSKIP("menus by keyboard need a display server (test_ui_launcher)");
        QFETCH(QString, locale);
        QFETCH(int, source);
        QFETCH(QString, version);
        qputenv("LC_ALL", locale.toUtf8());
        QString file = program_;
        if (source == int(eSource::Shortcut)) file = Shortcut();
        if (source == int(eSource::IconFile)) file = mUiTest::Fixture("icons/vista.ico");
        OpenAndChoose(file);
        QString shown;
        bool visible = false;
        QString accessible;
        ByKeys<FProps>(Qt::Key_V, Qt::Key_P, [&](FProps& props) {
            shown = props.lblVersion->text();
            visible = props.lblVersion->isVisible();
            accessible = props.lblVersion->accessibleName();
        });
        QCOMPARE(shown, version);
        QCOMPARE(visible, !version.isEmpty());
        QCOMPARE(accessible, QString("Version"));
    }
};

PICTRIX_UI_TEST(tLauncherWindowTest)
#include "launcher_window_test.moc"
