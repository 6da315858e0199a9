// Start-up with the windows: what a command line opens (the main window, the search window with a
// list file), the splash closing itself.

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "app/ui/FAbout.h"
#include "app/ui/FMain.h"
#include "app/ui/Main.h"
#include "app/ui/cErrorBox.h"
#include "app/ui/cListView.h"
#include "mUiTest.h"
#include "resources/ui/cPromptsFileDialog.h"
#include "search/ui/FRecurse.h"
#include "support/MError.h"
#include "platform/ui/cPrompts.h"

class tStartupTest : public QObject {
    Q_OBJECT

    QTemporaryDir temp_;

    static void CloseMain() {
        if (FMain::DefaultLoaded()) delete &FMain::Default();
        if (FRecurse::DefaultLoaded()) delete &FRecurse::Default();
    }

private slots:
    void initTestCase() {
        QVERIFY(temp_.isValid());
        qputenv("PICTRIX_NO_SPLASH", "1");
        mUiTest::BeginWindowTests(temp_.filePath("errlog.txt"));
    }
    void cleanupTestCase() { mUiTest::EndWindowTests(); }
    void cleanup() { CloseMain(); }

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
        // Quoted, as the shell's open command passes it; an absolute path keeps its first characters.
        const auto result = mStartup::Main(("\"" + file + "\"").toStdString(), host);
        QCOMPARE(result, mStartup::eStartResult::WindowsShown);
        QVERIFY(prompts.Asked().empty());
        QVERIFY(FMain::DefaultLoaded());
        FMain& main = FMain::Default();
        QVERIFY(main.isVisible());
        QCOMPARE(main.IconCount(), icons);
        QCOMPARE(main.lvwIcons->Count(), icons);
        QVERIFY(!main.UsePendingFile);
        // Not a recent file: it did not come through the dialog.
        QCOMPARE(main.RecentFiles.FileCount(), 0);
    }

    void AListFileOnTheCommandLineOpensInTheSearchWindow_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("entries");
        const QString hits = temp_.filePath("My Hits.ier"), notes = temp_.filePath("notes.txt");
        QTest::newRow("list file") << "\"" + hits + "\"" << hits << QStringList{"/a/one.exe", "/b/two.dll"};
        QTest::newRow("edit switch") << "/e \"" + hits + "\"" << hits << QStringList{"/a/one.exe", "/b/two.dll"};
        QTest::newRow("text file") << notes << notes << QStringList{"not an icon"};
    }
    void AListFileOnTheCommandLineOpensInTheSearchWindow() {
        QFETCH(QString, line);
        QFETCH(QString, file);
        QFETCH(QStringList, entries);
        QFile list(temp_.filePath("My Hits.ier"));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("/a/one.exe\r\n\r\n/b/two.dll\r\n\r\n");
        list.close();
        QFile text(temp_.filePath("notes.txt"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not an icon\n");
        text.close();
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        cWindowsHost host;
        QCOMPARE(mStartup::Main(line.toStdString(), host), mStartup::eStartResult::WindowsShown);
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
        QVERIFY(!search.DataChanged);
    }

    void PrintingIsReportedUntilListPrintingExists() {
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        prompts.AnswerMessage(cPrompts::eAnswer::OK);
        cWindowsHost host;
        const auto result = mStartup::Main(("/p " + temp_.filePath("hits.ier")).toStdString(), host);
        QCOMPARE(result, mStartup::eStartResult::Ended);
        QCOMPARE(prompts.Pending(), std::size_t(0));
        QVERIFY(prompts.LastAsked().text.contains("list printing"));
        QVERIFY(!FMain::DefaultLoaded() || !FMain::Default().isVisible());
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
        about.ShowSplash();             // returns only when the timer closed the box
        QVERIFY(fired);
        QVERIFY(!about.isVisible());
        QVERIFY(about.lblVersion->text().contains(PICTRIX_VERSION));
    }
};

PICTRIX_UI_TEST(tStartupTest)
#include "startup_test.moc"
