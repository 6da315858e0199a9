// The search window's Extract: the folder prompt, which entries are extracted and what is left
// checked, the status texts and totals, Stop, Esc and closing during a run, the busy and idle
// states, failures that skip an entry. Saves the screenshots of a run for `make screenshots`.

#include <QAction>
#include <QDir>
#include <QFile>
#include <QListView>
#include <QMenu>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

#include "doubles/cScriptedPrompts.h"
#include "icon/cFileIcon.h"
#include "cWindowTest.h"
#include "mUiTest.h"
#include "platform/ui/cPrompts.h"
#include "search/ui/FRecurse.h"
#include "search/ui/cSearchListModel.h"
#include "search/ui/cStatusStrip.h"

namespace {

using eKind = cScriptedPrompts::eKind;

QStringList Files(const QString& folder) { return QDir(folder).entryList(QDir::Files, QDir::Name); }

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

std::vector<bool> CheckMarks(const FRecurse& w) {
    std::vector<bool> out;
    for (int i = 0; i < w.List().ListCount(); ++i) out.push_back(w.List().Checked(i));
    return out;
}

bool Idle(const FRecurse& w) {
    return !w.Running() && w.ListView()->isEnabled() && w.EditMenu()->menuAction()->isEnabled() &&
           !w.StopItem()->isVisible() && w.Button("extract")->isEnabled() && !w.Button("Stop")->isEnabled() &&
           w.cursor().shape() != Qt::WaitCursor;
}

bool Busy(const FRecurse& w) {
    return w.Running() && !w.ListView()->isEnabled() && !w.FileMenu()->menuAction()->isEnabled() &&
           w.StopItem()->isVisible() && !w.Button("extract")->isEnabled() && w.Button("Stop")->isEnabled() &&
           w.cursor().shape() == Qt::WaitCursor;
}

} // namespace

class tRecurseExtractTest : public cWindowTest {
    Q_OBJECT

    QStringList printed_; // every status text, in order
    // Runs when the strip shows a text (the run's points where a test acts).
    std::function<void(const QString&)> onStatus_;
    int outputs_ = 0;

    QString Fixture(const QString& name) const { return mUiTest::Fixture(name); }

    FRecurse& NewWindow(const QStringList& entries) {
        FRecurse& w = Track(new FRecurse());
        w.ListModel()->Reload([&](cSearchList& list) {
            for (const QString& e : entries) list.Append(e.toStdString());
        });
        connect(w.StatusStrip(), &cStatusStrip::Printed, this, [this](const QString& text) {
            printed_ << text;
            if (onStatus_) onStatus_(text);
        });
        return w;
    }

    // A fresh, empty output folder.
    QString OutDir() {
        const QString dir = temp_.filePath("out" + QString::number(++outputs_));
        QDir().mkpath(dir);
        return dir;
    }

    void Extract(FRecurse& w, const QString& folder) {
        prompts_->AnswerFolder(folder);
        w.mnuEdit_Click(3);
    }

    void SetUp() override {
        printed_.clear();
        onStatus_ = {};
    }
    void TearDown() override { onStatus_ = {}; }

private slots:
    void NothingCheckedExtractsEveryEntry() {
        FRecurse& w =
            NewWindow({Fixture("modules/seven64.dll"), Fixture("modules/sample.dll"), Fixture("icons/six.ico")});
        const QString out = OutDir();
        bool busySeen = false;
        onStatus_ = [&](const QString& text) {
            if (text == "Loading icon 1 of 12...") busySeen = Busy(w);
        };
        Extract(w, out);
        const auto& asked = prompts_->LastAsked();
        QCOMPARE(asked.kind, eKind::Folder);
        QCOMPARE(asked.title, QString("Select directory:"));
        QCOMPARE(printed_.first(), "Saving to: " + out);
        QVERIFY(busySeen);
        QVERIFY(Idle(w));
        QCOMPARE(w.StatusStrip()->Text(), QString("Total icons saved: 20"));
        QCOMPARE(w.IconsSaved(), 20);
        QCOMPARE(Files(out).size(), 20);
        // Positions 1 to 7 with the resource names and numbers of the seven groups.
        for (const char* name :
             {"seven641APP.ico", "seven642TOOL.ico", "seven6431.ico", "seven6442.ico", "seven6453.ico",
              "seven64610.ico", "seven64720.ico", "sample3VISTA.ico", "sample12100.ico", "six1.ico"})
            QVERIFY2(Files(out).contains(name), name);
        QCOMPARE(ReadAll(out + "/six1.ico"), ReadAll(Fixture("icons/six.ico")));
        QCOMPARE(CheckMarks(w), (std::vector<bool>{false, false, false}));
        // The module's texts, in order, between the folder and the total.
        const QStringList seven{"Checking for resources...",   "Getting icon resources...", "Loading icon 1 of 7...",
                                "Loading icon 2 of 7...",      "Loading icon 3 of 7...",    "Loading icon 4 of 7...",
                                "Loading icon 5 of 7...",      "Loading icon 6 of 7...",    "Loading icon 7 of 7...",
                                Fixture("modules/seven64.dll")};
        QCOMPARE(printed_.mid(1, seven.size()), seven);
        QCOMPARE(printed_.last(), QString("Total icons saved: 20"));
    }

    // Edit > Extract Cursors Too: off by default, a module gives its icon groups alone; on, its
    // cursor groups too, each the .cur file it was made of. The mark outlives the window.
    void ExtractCursorsTooAddsTheCursorGroups() {
        FRecurse& w = NewWindow({Fixture("modules/cursors32.dll")});
        QVERIFY(w.ExtractCursorsItem()->isCheckable() && !w.ExtractCursorsItem()->isChecked());
        QCOMPARE(w.ExtractCursorsItem()->text(), QString("Extract &Cursors Too"));
        const QString icons = OutDir();
        Extract(w, icons);
        QCOMPARE(Files(icons), QStringList{"cursors3211.ico"});

        w.ExtractCursorsItem()->setChecked(true);
        const QString both = OutDir();
        Extract(w, both);
        QCOMPARE(Files(both),
                 (QStringList{"cursors3211.ico", "cursors322POINTER.cur", "cursors3231.cur", "cursors3242.cur"}));
        QCOMPARE(ReadAll(both + "/cursors3211.ico"), ReadAll(icons + "/cursors3211.ico"));
        QCOMPARE(ReadAll(both + "/cursors3231.cur"), ReadAll(Fixture("cursors/arrow.cur")));
        for (const char* name : {"cursors322POINTER.cur", "cursors3242.cur"})
            QVERIFY2(ReadAll(both + "/" + name).startsWith(QByteArray("\0\0\2\0", 4)), name);
        QCOMPARE(w.StatusStrip()->Text(), QString("Total icons saved: 4"));

        FRecurse& again = NewWindow({});
        QVERIFY(again.ExtractCursorsItem()->isChecked());
        again.ExtractCursorsItem()->setChecked(false);
        QVERIFY(!NewWindow({}).ExtractCursorsItem()->isChecked());
    }

    void TwoOfFiveCheckedExtractsThoseAndUnchecksThem() {
        FRecurse& w = NewWindow({Fixture("modules/sample.dll"), Fixture("modules/seven64.dll"),
                                 Fixture("icons/six.ico"), Fixture("modules/good32.dll"), Fixture("modules/good.icl")});
        for (int row : {1, 3}) w.ListModel()->setData(w.ListModel()->index(row), Qt::Checked, Qt::CheckStateRole);
        const QString out = OutDir();
        Extract(w, out);
        QCOMPARE(w.StatusStrip()->Text(), QString("Total icons saved: 15"));
        for (const QString& f : Files(out)) QVERIFY2(f.startsWith("seven64") || f.startsWith("good32"), qPrintable(f));
        QCOMPARE(Files(out).size(), 15);
        QCOMPARE(CheckMarks(w), (std::vector<bool>(5, false)));
        QCOMPARE(w.ListModel()->data(w.ListModel()->index(3), Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QVERIFY(Idle(w));
    }

    // Two copies of one DLL in two folders keep both sets of icons; the closing text and the log
    // say that some took other names.
    void SameBaseNameFromTwoFoldersKeepsBoth() {
        QDir(temp_.path()).mkpath("x86");
        QDir(temp_.path()).mkpath("x64");
        const QString x86 = temp_.filePath("x86/good.dll"), x64 = temp_.filePath("x64/good.dll");
        QVERIFY(QFile::copy(mUiTest::Fixture("modules/good32.dll"), x86));
        QVERIFY(QFile::copy(mUiTest::Fixture("modules/good64.dll"), x64));
        FRecurse& w = NewWindow({x86, x64});
        const QString out = OutDir();
        Extract(w, out);
        QCOMPARE(w.StatusStrip()->Text(),
                 QString("Total icons saved: 16 (8 were saved under another name; see the log)"));
        QCOMPARE(Files(out).size(), 16);
        QFile log(temp_.filePath("errlog.txt"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(log.readAll());
        QCOMPARE(text.count("was already written from another file of this run; saved as "), 8);
        QVERIFY(text.contains(out + "/good55~2.ico"));
        QVERIFY(Idle(w));
    }

    // Each entry's texts and what it adds; a failing entry is skipped and the run goes on.
    void EachEntryAddsItsGroups_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("files");
        const QString seven = mUiTest::Fixture("modules/seven64.dll");
        QTest::newRow("no icons") << QStringList{mUiTest::Fixture("modules/noicons32.dll")} << "No icons found in file."
                                  << 0 << 0;
        QTest::newRow("seven groups") << QStringList{seven} << "Loading icon 7 of 7..." << 7 << 7;
        // The same names again: the total counts the files the run leaves, each once.
        QTest::newRow("listed twice") << QStringList{seven, seven} << seven << 7 << 7;
        QTest::newRow("missing file") << QStringList{temp_.filePath("gone.dll"), seven}
                                      << "The system cannot find the file specified.\r\n"
                                      << 7 << 7;
        const QString notModule = mUiTest::Fixture("modules/img16x4.bin");
        QTest::newRow("not a module") << QStringList{notModule, seven}
                                      << notModule + " is not a valid Win32 application.\r\n"
                                      << 7 << 7;
        QTest::newRow("empty entry") << QStringList{"", seven} << seven << 7 << 7;
    }
    void EachEntryAddsItsGroups() {
        QFETCH(QStringList, entries);
        QFETCH(QString, text);
        QFETCH(int, total);
        QFETCH(int, files);
        FRecurse& w = NewWindow(entries);
        const QString out = OutDir();
        Extract(w, out);
        QVERIFY2(printed_.contains(text), qPrintable(printed_.join(" | ")));
        QCOMPARE(w.StatusStrip()->Text(), "Total icons saved: " + QString::number(total));
        QCOMPARE(Files(out).size(), files);
        QVERIFY(Idle(w));
    }

    void ACancelledFolderChoiceExtractsNothing() {
        FRecurse& w = NewWindow({Fixture("modules/seven64.dll")});
        w.ListModel()->setData(w.ListModel()->index(0), Qt::Checked, Qt::CheckStateRole);
        const QString before = w.StatusStrip()->Text();
        prompts_->AnswerFolder(std::nullopt);
        w.tbrMain_ButtonClick("extract");
        QCOMPARE(prompts_->Asked().size(), std::size_t(1));
        QCOMPARE(w.StatusStrip()->Text(), before);
        QVERIFY(printed_.isEmpty());
        QCOMPARE(CheckMarks(w), std::vector<bool>{true});
        QCOMPARE(w.IconsSaved(), 0);
        QVERIFY(Idle(w));

        // An empty list asks nothing at all.
        FRecurse& empty = NewWindow({});
        empty.mnuEdit_Click(3);
        QCOMPARE(prompts_->Asked().size(), std::size_t(1));
    }

    void StopEndsTheRunAndTheTotalCountsWhatWasWritten_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Stop menu") << "menu";
        QTest::newRow("Stop button") << "button";
        QTest::newRow("Esc") << "esc";
    }
    void StopEndsTheRunAndTheTotalCountsWhatWasWritten() {
        QFETCH(QString, how);
        FRecurse& w =
            NewWindow({Fixture("modules/seven64.dll"), Fixture("modules/sample.dll"), Fixture("modules/good32.dll")});
        for (int row : {0, 1, 2}) w.ListModel()->setData(w.ListModel()->index(row), Qt::Checked, Qt::CheckStateRole);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QString out = OutDir();
        int checks = 0;
        // Stopped while the second entry loads: its groups are not saved, the third is not begun.
        onStatus_ = [&](const QString& text) {
            if (text != "Checking for resources..." || ++checks != 2) return;
            QVERIFY(Busy(w));
            QCOMPARE(Files(out).size(), 7);
            if (how == "menu")
                w.StopItem()->trigger();
            else if (how == "button")
                w.Button("Stop")->trigger();
            else
                QTest::keyClick(&w, Qt::Key_Escape);
            QVERIFY(!w.Running());
        };
        Extract(w, out);
        QCOMPARE(checks, 2);
        QCOMPARE(w.StatusStrip()->Text(), QString("Total icons saved: 7"));
        QCOMPARE(Files(out).size(), 7);
        // Processed entries lost their marks; the one not reached keeps it.
        QCOMPARE(CheckMarks(w), (std::vector<bool>{false, false, true}));
        QVERIFY(Idle(w));
    }

    void ClosingDuringARunStopsItThenCloses() {
        FRecurse& w = NewWindow({Fixture("modules/sample.dll"), Fixture("modules/seven64.dll")});
        QPointer<FRecurse> alive(&w);
        const QString out = OutDir();
        onStatus_ = [&](const QString& text) {
            if (text == "Checking for resources...") QVERIFY(!w.close());
        };
        Extract(w, out);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!alive);
        QCOMPARE(Files(out).size(), 0);
    }

    void AnUndrawableImageIsStillSaved() {
        // One 16 x 16 image whose block is no bitmap and no PNG stream.
        QByteArray ico("\0\0\1\0\1\0", 6);
        const QByteArray block(40, '\xEE');
        ico += QByteArray("\x10\x10\0\0\1\0\x20\0", 8);
        ico += QByteArray::fromRawData("\x28\0\0\0\x16\0\0\0", 8);
        ico += block;
        const QString source = temp_.filePath("garbled.ico");
        QFile f(source);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(ico) == ico.size());
        f.close();
        cFileIcon icon;
        QVERIFY(icon.LoadIcon(source.toStdString()));
        QVERIFY(!icon.IconPicture(1));

        FRecurse& w = NewWindow({source});
        const QString out = OutDir();
        Extract(w, out);
        QCOMPARE(w.StatusStrip()->Text(), QString("Total icons saved: 1"));
        QCOMPARE(ReadAll(out + "/garbled1.ico"), ico);
    }

    void AFolderThatCannotBeWrittenSkipsEachEntry() {
        FRecurse& w = NewWindow({Fixture("modules/seven64.dll"), Fixture("icons/six.ico")});
        QFile blocker(temp_.filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        Extract(w, blocker.fileName() + "/below");
        QCOMPARE(printed_.count("Couldn't open file for writing."), 2);
        QCOMPARE(w.StatusStrip()->Text(), QString("Total icons saved: 0"));
        QVERIFY(Idle(w));
    }
};

PICTRIX_UI_TEST(tRecurseExtractTest)
#include "recurse_extract_test.moc"
