// The main of test_ui: a QApplication on the platform plugin of the environment (offscreen under
// CTest), settings and state folders in a fresh temporary folder, no printer, every registered
// test class run with Qt Test. A scripted prompt asked without an answer fails the running test
// function.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>
#include <vector>

#include "doubles/cScriptedPrompts.h"
#include "mUiTest.h"
#include "app/ui/cApplication.h"
#include "containers/mContainers.h"
#include "containers/ui/mSvgIcons.h"
#include "support/MError.h"
#include "platform/ui/cPrompts.h"

namespace mUiTest {

std::map<std::string, tFactory>& Registry() {
    static std::map<std::string, tFactory> registry;
    return registry;
}

QString Fixture(const QString& relative) { return QStringLiteral(PICTRIX_FIXTURE_DIR "/") + relative; }

QString CopyInto(const QString& dir, const QString& fixture, const QString& relative) {
    const QString target = QDir(dir).filePath(relative);
    QDir().mkpath(QFileInfo(target).path());
    QFile::remove(target);
    if (!QFile::copy(fixture, target)) qFatal("cannot copy %s", qPrintable(fixture));
    return target;
}

} // namespace mUiTest

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    if (!home.isValid()) return 3;
    const QString config = home.filePath("config"), state = home.filePath("state");
    QDir().mkpath(config);
    QDir().mkpath(state);
    qputenv("XDG_CONFIG_HOME", config.toLocal8Bit());
    qputenv("XDG_STATE_HOME", state.toLocal8Bit());
    qputenv("HOME", home.path().toLocal8Bit());
    // No test reaches a printer of the machine: the print server is a socket that does not exist, so
    // the system has no printer at all (the end-to-end printing test starts a server of its own).
    qputenv("CUPS_SERVER", home.filePath("no-print-server.sock").toLocal8Bit());
    qunsetenv("PRINTER");
    qunsetenv("LPDEST");

    MError::LogStoreEvents();
    mContainers::Install();
    mSvgIcons::Install();
    cApplication app(argc, argv);
    app.setApplicationName("pictrix");
    app.setApplicationDisplayName("Pictrix v2");

    cScriptedPrompts::SetFailureHandler(
        [](const QString& message) { QTest::qFail(qPrintable(message), __FILE__, __LINE__); });

    // "-class NAME" picks one class; everything else goes to Qt Test.
    std::vector<char*> args{argv[0]};
    QString only;
    for (int i = 1; i < argc; ++i) {
        if (QString(argv[i]) == "-class" && i + 1 < argc) {
            only = argv[++i];
            continue;
        }
        args.push_back(argv[i]);
    }
    int failed = 0;
    int ran = 0;
    for (const auto& [name, factory] : mUiTest::Registry()) {
        if (!only.isEmpty() && only != QString::fromStdString(name)) continue;
        auto test = factory();
        ++ran;
        if (QTest::qExec(test.get(), static_cast<int>(args.size()), args.data()) != 0) ++failed;
    }
    if (ran == 0) {
        fprintf(stderr, "test_ui: no test class %s\n", qPrintable(only));
        return 2;
    }
    if (failed) fprintf(stderr, "test_ui: %d of %d test classes failed\n", failed, ran);
    return failed ? 1 : 0;
}
