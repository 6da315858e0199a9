// `pictrix /p LIST.ier` end to end through a real print server: the test starts a private cupsd
// (its configuration, spool and logs in a temporary folder, reached through its own socket) with a
// PDF queue writing into that folder as its default printer, runs the program without a display,
// and reads back the PDF the queue produced. Skipped, saying why, where cupsd cannot start here
// (not installed, not root, no "lp" group, or it refuses to run). The server is stopped at the end.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include "mPrintTest.h"
#include "mUiTest.h"

namespace {

// Runs a program to its end; answers its exit status (-1 when it did not run or end in time).
int RunTool(const QString& program, const QStringList& args, const QProcessEnvironment& env, QString* output = nullptr,
            int timeoutMs = 30000) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    if (output) *output = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

bool GroupLp(const QString& path) {
    const group* lp = ::getgrnam("lp");
    return lp && ::chown(path.toLocal8Bit().constData(), 0, lp->gr_gid) == 0 &&
           ::chmod(path.toLocal8Bit().constData(), 02775) == 0;
}

} // namespace

class tPrintCupsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> temp_;
    std::unique_ptr<QProcess> cupsd_;
    QString socket_;
    QString out_;
    QProcessEnvironment env_;

    QString Path(const QString& name) const { return temp_->filePath(name); }

public:
    ~tPrintCupsTest() override { StopServer(); }

private:
    QString ErrorLog() const {
        QFile log(Path("log/error_log"));
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()).right(2000) : QString();
    }

    // The environment pictrix runs in: this server, a home of its own, no display at all.
    QProcessEnvironment ProgramEnv() const {
        QProcessEnvironment env = env_;
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "PRINTER", "LPDEST"})
            env.remove(name);
        env.insert("HOME", Path("home"));
        env.insert("XDG_CONFIG_HOME", Path("home/config"));
        env.insert("XDG_STATE_HOME", Path("home/state"));
        // Under the sanitizers: a leak inside libcups is not the program's.
        const QString lsan = env.value("LSAN_OPTIONS");
        env.insert("LSAN_OPTIONS",
                   (lsan.isEmpty() ? "" : lsan + ":") + "suppressions=" PICTRIX_SOURCE_DIR "/tests/ui/lsan-cups.supp");
        return env;
    }

    // Stops the server the test started, and waits for it.
    void StopServer() {
        if (!cupsd_) return;
        if (cupsd_->state() != QProcess::NotRunning) {
            cupsd_->terminate();
            if (!cupsd_->waitForFinished(10000)) {
                cupsd_->kill();
                cupsd_->waitForFinished(5000);
            }
        }
        cupsd_.reset();
    }

private slots:
    void initTestCase() {
        const QString cupsd = QStandardPaths::findExecutable("cupsd", {"/usr/sbin", "/usr/local/sbin", "/sbin"});
        const QString lpadmin = QStandardPaths::findExecutable("lpadmin", {"/usr/sbin", "/usr/bin"});
        const QString ppd = "/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd";
        if (cupsd.isEmpty() || lpadmin.isEmpty() || QStandardPaths::findExecutable("lpstat").isEmpty())
            QSKIP("cupsd, lpadmin or lpstat is not installed (cups-daemon, cups-client): no print server to print "
                  "through");
        if (!QFile::exists(ppd)) QSKIP("the Generic PDF printer description (cups-filters) is not installed");
        if (::geteuid() != 0) QSKIP("a private cupsd needs root here (it runs its jobs as the user lp)");
        if (!::getgrnam("lp")) QSKIP("the machine has no group lp for a private cupsd");

        // The folders cupsd and its filters (user lp) write: group lp, set-group-id; the top one
        // open to lp.
        temp_ = std::make_unique<QTemporaryDir>("/tmp/pictrix-cups-XXXXXX");
        QVERIFY(temp_->isValid());
        QVERIFY(::chmod(temp_->path().toLocal8Bit().constData(), 0755) == 0);
        for (const char* dir : {"spool", "cache", "state", "tmp", "log", "out", "ppd", "home"}) {
            QVERIFY(QDir().mkpath(Path(dir)));
            QVERIFY2(GroupLp(Path(dir)), dir);
        }
        socket_ = Path("cups.sock");
        out_ = Path("out/list.pdf");
        QFile conf(Path("cupsd.conf"));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write(("Listen " + socket_ +
                    "\nBrowsing No\nWebInterface No\nDefaultAuthType None\nLogLevel warn\n"
                    "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                    "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                       .toUtf8());
        conf.close();
        QFile files(Path("cups-files.conf"));
        QVERIFY(files.open(QIODevice::WriteOnly));
        const QString t = temp_->path();
        files.write(("User lp\nGroup lp\nSystemGroup root\nServerRoot " + t + "\nRequestRoot " + t +
                     "/spool\nCacheDir " + t + "/cache\nStateDir " + t + "/state\nTempDir " + t + "/tmp\nErrorLog " +
                     t + "/log/error_log\nAccessLog " + t + "/log/access_log\nPageLog " + t +
                     "/log/page_log\nPrintcap " + t + "/printcap\nFileDevice Yes\n")
                        .toUtf8());
        files.close();

        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert("CUPS_SERVER", socket_);
        cupsd_ = std::make_unique<QProcess>();
        cupsd_->setProcessChannelMode(QProcess::MergedChannels);
        cupsd_->start(cupsd, {"-f", "-c", Path("cupsd.conf"), "-s", Path("cups-files.conf")});
        if (!cupsd_->waitForStarted(10000)) QSKIP("cupsd could not be started");
        QElapsedTimer waited;
        waited.start();
        QString status;
        while (RunTool("lpstat", {"-r"}, env_, &status) != 0 || !status.contains("scheduler is running")) {
            if (cupsd_->state() == QProcess::NotRunning || waited.elapsed() > 15000) {
                const QString why = QString::fromUtf8(cupsd_->readAll()) + ErrorLog();
                StopServer();
                QSKIP(qPrintable("cupsd did not start here: " + why.trimmed()));
            }
            QThread::msleep(100);
        }
        QString said;
        const int added = RunTool(lpadmin, {"-p", "PICTRIXPDF", "-E", "-v", "file://" + out_, "-P", ppd}, env_, &said);
        QVERIFY2(added == 0, qPrintable(said + ErrorLog()));
        QVERIFY2(RunTool(lpadmin, {"-d", "PICTRIXPDF"}, env_, &said) == 0, qPrintable(said));
    }

    void cleanupTestCase() { StopServer(); }

    void PrintsAListFileOnTheDefaultPrinterWithoutADisplay() {
        QFile list(Path("home/Hits List.ier"));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("/win/system/shell32.dll\r\n\r\n\r\n/win/notepad.exe\r\n\r\n/win/moricons.dll\r\n\r\n");
        list.close();

        // As a file manager's print action starts it, but with no display at all.
        const QProcessEnvironment env = ProgramEnv();
        QString said;
        const int status =
            RunTool(QStringLiteral(PICTRIX_BINARY_DIR "/pictrix"), {"/p", list.fileName()}, env, &said, 60000);
        if (status != 0) qWarning().noquote() << "pictrix /p said:" << said;
        QCOMPARE(status, 0);

        // The queue takes a few seconds to hand the document to its file.
        QElapsedTimer waited;
        waited.start();
        QString jobs;
        while (!QFileInfo(out_).size() || RunTool("lpstat", {"-o"}, env_, &jobs) != 0 || !jobs.trimmed().isEmpty()) {
            QVERIFY2(waited.elapsed() < 60000, qPrintable("no document arrived: " + jobs + ErrorLog()));
            QThread::msleep(200);
        }
        const QStringList lines = mPrintTest::PdfLines(out_);
        QVERIFY2(lines.size() == 8, qPrintable(lines.join('\n')));
        QCOMPARE(lines[0], QString("Pictrix Recurse List"));
        QVERIFY(lines[1].startsWith("Date: ") && lines[2].startsWith("Time: "));
        QCOMPARE(lines.mid(3), (QStringList{"File: " + list.fileName(), "/win/system/shell32.dll", "/win/notepad.exe",
                                            "/win/moricons.dll", "Number of items in list: 3"}));
    }

    // Mended: a queue that rejects jobs is a failed print, and so is one that is paused (its job
    // waits, kept): shown and logged, and pictrix /p ends with status 1 (it used to say nothing
    // and end with 0).
    void AQueueThatDoesNotPrintIsAFailedPrint_data() {
        QTest::addColumn<QString>("stop");
        QTest::addColumn<QString>("resume");
        QTest::addColumn<QString>("told");
        QTest::newRow("rejecting") << "cupsreject"
                                   << "cupsaccept"
                                   << "does not accept jobs";
        QTest::newRow("paused") << "cupsdisable"
                                << "cupsenable"
                                << "is paused: the job";
    }
    void AQueueThatDoesNotPrintIsAFailedPrint() {
        QFETCH(QString, stop);
        QFETCH(QString, resume);
        QFETCH(QString, told);
        QString said;
        const QString stopTool = QStandardPaths::findExecutable(stop, {"/usr/sbin", "/usr/bin"});
        const QString resumeTool = QStandardPaths::findExecutable(resume, {"/usr/sbin", "/usr/bin"});
        if (stopTool.isEmpty() || resumeTool.isEmpty()) QSKIP("cups-client's queue tools are not installed");
        QVERIFY2(RunTool(stopTool, {"PICTRIXPDF"}, env_, &said) == 0, qPrintable(said));
        QFile list(Path("home/Stopped.ier"));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("/win/notepad.exe\r\n\r\n");
        list.close();
        const int status =
            RunTool(QStringLiteral(PICTRIX_BINARY_DIR "/pictrix"), {"/p", list.fileName()}, ProgramEnv(), &said, 60000);
        QString jobs;
        RunTool("lpstat", {"-o", "PICTRIXPDF"}, env_, &jobs);
        RunTool("cancel", {"-a", "PICTRIXPDF"}, env_, nullptr);
        RunTool(resumeTool, {"PICTRIXPDF"}, env_, nullptr);
        QCOMPARE(status, 1);
        QVERIFY2(said.contains(told), qPrintable(said));
        // The paused queue keeps the job.
        QCOMPARE(jobs.trimmed().isEmpty(), stop == "cupsreject");
    }
};

PICTRIX_UI_TEST(tPrintCupsTest)
#include "print_cups_test.moc"
