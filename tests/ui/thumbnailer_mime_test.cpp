// The MIME types of the .thumbnailer file against the freedesktop MIME database that file managers
// use (read here through QMimeDatabase): every kind of file the thumbnailer serves, by its usual
// extension and by its bytes alone, gets a type the file lists. File managers look thumbnailers up
// by the exact type, so a parent type does not count. The database is the system's with our
// package installed (test_ui_mime): on desktops whose own package types every *.dll as a shared
// library (libfm's) too.

#include <QFile>
#include <QMimeDatabase>
#include <QTemporaryDir>
#include <QtTest>

#include "mUiTest.h"

class tThumbnailerMimeTest : public QObject {
    Q_OBJECT

private slots:
    void EveryServedFileGetsAListedType_data() {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("name");
        QTest::newRow("exe") << "modules/good32.exe"
                             << "a.exe";
        QTest::newRow("exe, PE32+") << "modules/good64.exe"
                                    << "a.exe";
        QTest::newRow("dll") << "modules/good32.dll"
                             << "a.dll";
        QTest::newRow("cpl") << "modules/good32.dll"
                             << "a.cpl";
        QTest::newRow("ocx") << "modules/good32.dll"
                             << "a.ocx";
        QTest::newRow("scr") << "modules/good64.exe"
                             << "a.scr";
        QTest::newRow("mun") << "modules/good64.dll"
                             << "a.mun";
        QTest::newRow("icl, NE") << "modules/good.icl"
                                 << "a.icl";
        QTest::newRow("NE by its bytes") << "modules/good.icl"
                                         << "noextension";
        QTest::newRow("ico") << "icons/vista.ico"
                             << "a.ico";
        QTest::newRow("ico by its bytes") << "icons/vista.ico"
                                          << "noextension";
        QTest::newRow("icns") << "icns/png2icns.icns"
                              << "a.icns";
        QTest::newRow("icns by its bytes") << "icns/pillow.icns"
                                           << "noextension";
        QTest::newRow("res") << "modules/cursors.res"
                             << "a.res";
        QTest::newRow("res by its bytes") << "modules/languages.res"
                                          << "noextension";
    }
    void EveryServedFileGetsAListedType() {
        // Our package settles the type of a *.dll where a desktop's package types it otherwise.
        if (!QMimeDatabase().mimeTypeForName("application/x-pictrix-recurse-list").isValid())
            QSKIP("the MIME database lacks our package (test_ui_mime has it)");
        QFETCH(QString, fixture);
        QFETCH(QString, name);
        QFile entry(QStringLiteral(PICTRIX_SOURCE_DIR "/share/thumbnailers/pictrix.thumbnailer"));
        QVERIFY(entry.open(QIODevice::ReadOnly | QIODevice::Text));
        QStringList listed;
        for (const QString& line : QString::fromUtf8(entry.readAll()).split('\n')) {
            if (line.startsWith("MimeType=")) listed = line.mid(9).split(';', Qt::SkipEmptyParts);
        }
        QVERIFY(!listed.isEmpty());

        QTemporaryDir dir;
        const QString path = mUiTest::CopyInto(dir.path(), mUiTest::Fixture(fixture), name);
        const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
        QVERIFY2(listed.contains(type.name()), qPrintable(type.name() + " is not listed"));
    }
};

PICTRIX_UI_TEST(tThumbnailerMimeTest)
#include "thumbnailer_mime_test.moc"
