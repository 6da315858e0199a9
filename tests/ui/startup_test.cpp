// Start-up with the windows: what a command line opens (the main window, the search window with a
// list file), printing a list file without a window, the splash closing itself.

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "doubles/cScriptedPrompts.h"
#include "app/ui/FAbout.h"
#include "app/ui/FMain.h"
#include "app/ui/FProps.h"
#include "app/ui/Main.h"
#include "app/ui/mAppIcon.h"
#include "app/ui/cErrorBox.h"
#include "app/ui/cListView.h"
#include "mPrintTest.h"
#include "cWindowTest.h"
#include "mUiTest.h"
#include "search/ui/FRecurse.h"
#include "support/MError.h"
#include "platform/ui/cPrompts.h"

class tStartupTest : public cWindowTest {
    Q_OBJECT

    // A list file of two entries in the temporary folder.
    QString WriteHits(const QString& name) {
        QFile list(temp_.filePath(name));
        if (!list.open(QIODevice::WriteOnly) || list.write("/a/one.exe\r\n\r\n/b/two.dll\r\n\r\n") < 0)
            qFatal("cannot write %s", qPrintable(list.fileName()));
        return list.fileName();
    }

    // Arguments as the system hands them to the program.
    static std::vector<std::string> Args(const QStringList& args) {
        std::vector<std::string> out;
        for (const QString& a : args) out.push_back(QFile::encodeName(a).toStdString());
        return out;
    }

    static void CloseMain() {
        if (FMain::DefaultLoaded()) delete &FMain::Default();
        if (FRecurse::DefaultLoaded()) delete &FRecurse::Default();
    }

    void SetUp() override { qputenv("PICTRIX_NO_SPLASH", "1"); }
    void TearDown() override { CloseMain(); }

private slots:
    void AModuleOnTheCommandLineOpensInTheMainWindow_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("icons");
        QTest::newRow("module") << mUiTest::Fixture("modules/sample.dll") << 12;
        QTest::newRow("icon file") << mUiTest::Fixture("icons/multi.ico") << 1;
    }
    void AModuleOnTheCommandLineOpensInTheMainWindow() {
        QFETCH(QString, file);
        QFETCH(int, icons);
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        cWindowsHost host;
        // An absolute path keeps its first characters.
        const auto result = mStartup::Main(Args({file}), host);
        QCOMPARE(result, mStartup::eStartResult::WindowsShown);
        QVERIFY(prompts.Asked().empty());
        QVERIFY(FMain::DefaultLoaded());
        FMain& main = FMain::Default();
        QVERIFY(main.isVisible());
        QCOMPARE(main.IconCount(), icons);
        QCOMPARE(main.IconList()->Count(), icons);
        // The next Open asks for its file.
        prompts.CancelFile(cScriptedPrompts::eKind::OpenFile);
        main.mnuFile_Click(0);
        // Not a recent file: it did not come through the dialog.
        QCOMPARE(main.RecentFiles().FileCount(), 0);
    }

    void AListFileOnTheCommandLineOpensInTheSearchWindow_data() {
        QTest::addColumn<QStringList>("line");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("entries");
        const QString hits = temp_.filePath("My Hits.ier"), notes = temp_.filePath("notes.txt");
        QTest::newRow("list file") << QStringList{hits} << hits << QStringList{"/a/one.exe", "/b/two.dll"};
        QTest::newRow("edit switch") << QStringList{"/e", hits} << hits << QStringList{"/a/one.exe", "/b/two.dll"};
        QTest::newRow("text file") << QStringList{notes} << notes << QStringList{"not an icon"};
    }
    void AListFileOnTheCommandLineOpensInTheSearchWindow() {
        QFETCH(QStringList, line);
        QFETCH(QString, file);
        QFETCH(QStringList, entries);
        WriteHits("My Hits.ier");
        QFile text(temp_.filePath("notes.txt"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not an icon\n");
        text.close();
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        cWindowsHost host;
        QCOMPARE(mStartup::Main(Args(line), host), mStartup::eStartResult::WindowsShown);
        QVERIFY(prompts.Asked().empty());
        QVERIFY(FMain::DefaultLoaded() && FMain::Default().isVisible());
        QVERIFY(FRecurse::DefaultLoaded());
        FRecurse& search = FRecurse::Default();
        QVERIFY(search.isVisible());
        QVERIFY(!search.parentWidget());
        QStringList shown;
        for (int i = 0; i < search.List().ListCount(); ++i) shown << QString::fromStdString(search.List().Text(i));
        QCOMPARE(shown, entries);
        QCOMPARE(search.windowTitle(), "Recursing: " + file);
        QVERIFY(!search.DataChanged());
    }

    // "/p" prints through the hidden global search window and ends the program; no window shows.
    void APrintLinePrintsWithoutAWindow_data() {
        QTest::addColumn<QStringList>("line");
        QTest::addColumn<QStringList>("entries");
        const QString list = temp_.filePath("Print Me.ier");
        QTest::newRow("list file") << QStringList{"/p", list} << QStringList{"/a/one.exe", "/b/two.dll"};
        QTest::newRow("upper-case switch") << QStringList{"/P", list} << QStringList{"/a/one.exe", "/b/two.dll"};
        QTest::newRow("no file") << QStringList{"/p"} << QStringList{};
    }
    void APrintLinePrintsWithoutAWindow() {
        QFETCH(QStringList, line);
        QFETCH(QStringList, entries);
        const QString list = WriteHits("Print Me.ier");
        const QString pdf = temp_.filePath("printed.pdf");
        mPrintTest::cPdfPrinter printer(pdf);
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        cWindowsHost host;
        bool shown = false;
        for (QWidget* w : QApplication::topLevelWidgets()) shown = shown || w->isVisible();
        QVERIFY(!shown);
        QCOMPARE(mStartup::Main(Args(line), host), mStartup::eStartResult::Ended);
        QVERIFY(!host.PrintFailed());
        QVERIFY(prompts.Asked().empty());
        QVERIFY(!FMain::DefaultLoaded());
        for (QWidget* w : QApplication::topLevelWidgets()) QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
        const QStringList lines = mPrintTest::PdfLines(pdf);
        QVERIFY(lines.size() > 4);
        QCOMPARE(lines[3], (entries.isEmpty() ? QString("File:") : "File: " + list));
        QCOMPARE(lines.mid(4), QStringList(entries) << "Number of items in list: " + QString::number(entries.size()));
    }

    void APrintLineRunsOffscreenOnlyWithoutADisplay_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("platform");
        QTest::addColumn<bool>("offscreen");
        QTest::newRow("print, no display") << QStringList{"/p", "a.ier"} << ""
                                           << "" << true;
        QTest::newRow("print alone") << QStringList{"/P"} << ""
                                     << "" << true;
        QTest::newRow("print on a display") << QStringList{"/p", "a.ier"} << ":0"
                                            << "" << false;
        QTest::newRow("print, platform chosen") << QStringList{"/p", "a.ier"} << ""
                                                << "xcb" << false;
        QTest::newRow("open, no display") << QStringList{"a.ier"} << ""
                                          << "" << false;
        QTest::newRow("a path beginning /p") << QStringList{"/pub/a.ier"} << ""
                                             << "" << false;
    }
    void APrintLineRunsOffscreenOnlyWithoutADisplay() {
        QFETCH(QStringList, args);
        QFETCH(QString, display);
        QFETCH(QString, platform);
        QFETCH(bool, offscreen);
        const QByteArray keptDisplay = qgetenv("DISPLAY"), keptWayland = qgetenv("WAYLAND_DISPLAY"),
                         keptPlatform = qgetenv("QT_QPA_PLATFORM");
        qputenv("DISPLAY", display.toUtf8());
        qunsetenv("WAYLAND_DISPLAY");
        qputenv("QT_QPA_PLATFORM", platform.toUtf8());
        std::vector<std::string> line;
        for (const QString& a : args) line.push_back(a.toStdString());
        const bool answer = mMainStart::NeedsOffscreen(line);
        qputenv("DISPLAY", keptDisplay);
        qputenv("WAYLAND_DISPLAY", keptWayland);
        qputenv("QT_QPA_PLATFORM", keptPlatform);
        QCOMPARE(answer, offscreen);
    }

    void AFailedPrintLineIsShownAndEndsWithAFailure() {
        const QString pdf = temp_.filePath("never.pdf");
        mPrintTest::cPdfPrinter printer(pdf);
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        prompts.AnswerMessage(cPrompts::eAnswer::OK);
        cWindowsHost host;
        const QString missing = temp_.filePath("missing.ier");
        QCOMPARE(mStartup::Main(Args({"/p", missing}), host), mStartup::eStartResult::Ended);
        QVERIFY(host.PrintFailed());
        QCOMPARE(prompts.Pending(), std::size_t(0));
        QVERIFY(prompts.LastAsked().text.endsWith("File not found (" + missing + ")"));
        QVERIFY(!QFile::exists(pdf));
        QVERIFY(!FMain::DefaultLoaded());
    }

    // A file named on the command line that cannot be read is reported with its name and the
    // cause, as an error; no window stays.
    void ACommandLineFileThatCannotBeReadIsNamed_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("cause");
        const QString missing = temp_.filePath("no such list.ier");
        QTest::newRow("missing list file") << missing << "The system cannot find the file specified.";
        const QString icon = temp_.filePath("gone.ico");
        QTest::newRow("missing icon file") << icon << "The system cannot find the file specified.";
        const QString below = temp_.filePath("plain/x.ier");
        QTest::newRow("below a file") << below << "The system cannot find the path specified.";
        QTest::newRow("folder") << temp_.path() << "it is a folder, not a file.";
    }
    void ACommandLineFileThatCannotBeReadIsNamed() {
        QFETCH(QString, file);
        QFETCH(QString, cause);
        QFile plain(temp_.filePath("plain"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        prompts.AnswerMessage(cPrompts::eAnswer::OK);
        cWindowsHost host;
        QCOMPARE(mStartup::Main(Args({file}), host), mStartup::eStartResult::Ended);
        const auto& told = prompts.LastAsked();
        QCOMPARE(told.icon, cPrompts::eIcon::Critical);
        QVERIFY2(told.text.contains("\"" + file + "\"") && told.text.endsWith(cause), qPrintable(told.text));
        QVERIFY(!FMain::DefaultLoaded() || !FMain::Default().isVisible());
    }

    // The program's windows carry its own icon, at every size the desktop may ask for, and name
    // its desktop entry: by the entry's file name (Wayland) and by StartupWMClass, the class of
    // X11's WM_CLASS, which Qt takes from the application's name.
    void TheWindowsCarryTheProgramsIconAndEntry() {
        const QIcon before = QApplication::windowIcon();
        QCoreApplication::setApplicationName("test_ui");
        SetUpApplication(*qApp);
        QFile entry(QStringLiteral(PICTRIX_SOURCE_DIR "/data/") + QGuiApplication::desktopFileName() + ".desktop");
        QVERIFY2(entry.open(QIODevice::ReadOnly), qPrintable(entry.fileName()));
        const QStringList lines = QString::fromUtf8(entry.readAll()).split('\n');
        QVERIFY(lines.contains("StartupWMClass=" + QCoreApplication::applicationName()));
        FMain main;
        FProps props(&main);
        for (const QWidget* w : {static_cast<const QWidget*>(&main), static_cast<const QWidget*>(&props)}) {
            const QIcon icon = w->windowIcon();
            QCOMPARE(icon.availableSizes().size(), static_cast<qsizetype>(mAppIcon::kSizes.size()));
            QCOMPARE(icon.cacheKey(), QApplication::windowIcon().cacheKey());
        }
        // Drawn, not empty: the middle of the largest picture is opaque.
        const QImage large = QApplication::windowIcon().pixmap(256).toImage();
        QCOMPARE(large.size(), QSize(256, 256));
        QCOMPARE(qAlpha(large.pixel(128, 128)), 255);
        QCOMPARE(qAlpha(large.pixel(0, 0)), 0);
        QApplication::setWindowIcon(before);
    }

    void TheSplashClosesItselfWithoutItsOKButton() {
        // A quit posted when an earlier test closed its last window would end the modal loop.
        QCoreApplication::removePostedEvents(QCoreApplication::instance(), QEvent::Quit);
        FAbout about;
        QCOMPARE(about.tmrClose->interval(), 2500);
        QVERIFY(!about.tmrClose->isActive());
        about.tmrClose->setInterval(50);
        QTimer::singleShot(0, &about, [&about] { QVERIFY(about.isVisible() && !about.cmdOK->isVisible()); });
        bool fired = false;
        QObject::connect(about.tmrClose, &QTimer::timeout, [&fired] { fired = true; });
        about.ShowSplash(); // returns only when the timer closed the box
        QVERIFY(fired);
        QVERIFY(!about.isVisible());
        QVERIFY(about.lblVersion->text().contains(PICTRIX_VERSION));
        // The program's own icon, not a toolbar picture.
        const auto argb = [](const QImage& i) { return i.convertToFormat(QImage::Format_ARGB32_Premultiplied); };
        QCOMPARE(argb(about.imgIcon->pixmap().toImage()), argb(mAppIcon::Draw(48)));
    }
};

PICTRIX_UI_TEST(tStartupTest)
#include "startup_test.moc"
