// Start-up with the windows: what a command line opens, the splash closing itself.

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
#include "support/MError.h"
#include "platform/ui/cPrompts.h"

class tStartupTest : public QObject {
    Q_OBJECT

    QTemporaryDir temp_;

    static void CloseMain() {
        if (FMain::DefaultLoaded()) delete &FMain::Default();
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

    void ListFilesAndPrintingAreReportedUntilTheSearchWindowExists_data() {
        QTest::addColumn<QString>("line");
        QTest::newRow("list file") << temp_.filePath("hits.ier");
        QTest::newRow("icon bytes in a list file's name") << temp_.filePath("icons.ier");
        QTest::newRow("print") << "/p " + temp_.filePath("hits.ier");
        QTest::newRow("text file") << temp_.filePath("notes.txt");
    }
    void ListFilesAndPrintingAreReportedUntilTheSearchWindowExists() {
        QFETCH(QString, line);
        QFile::copy(mUiTest::Fixture("icons/multi.ico"), temp_.filePath("icons.ier"));
        QFile text(temp_.filePath("notes.txt"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not an icon\n");
        text.close();
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        prompts.AnswerMessage(cPrompts::eAnswer::OK);
        cWindowsHost host;
        const auto result = mStartup::Main(line.toStdString(), host);
        QCOMPARE(result, mStartup::eStartResult::Ended);
        QCOMPARE(prompts.Pending(), std::size_t(0));
        QVERIFY(prompts.LastAsked().text.contains("search window"));
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
