// Printing the search list, to PDF files read back with pdftotext: the heading block, entries of
// a list file and of the window's list, page breaks, fonts, and failures shown with nothing
// printed (no printer at all, a missing list file, a printer fault).

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "doubles/cScriptedPrompts.h"
#include "mPrintTest.h"
#include "cWindowTest.h"
#include "mUiTest.h"
#include "platform/ui/cPrompts.h"
#include "search/ui/FRecurse.h"
#include "search/ui/cSearchListModel.h"

using namespace mPrintTest;

class tRecursePrintTest : public cWindowTest {
    Q_OBJECT

    std::unique_ptr<FRecurse> window_;
    QDateTime since_;

    // The PDF's lines, the date and time checked against the test's start.
    QStringList Printed(const QString& pdf, int first = 0, int last = 0) const {
        return Normalised(PdfLines(pdf, first, last), since_);
    }

    QString WriteFile(const QString& name, const QByteArray& bytes) {
        QFile f(Path(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(name));
        return f.fileName();
    }

    FRecurse& Window(const QStringList& entries) {
        window_ = std::make_unique<FRecurse>();
        window_->ListModel()->Reload([&](cSearchList& list) {
            for (const QString& e : entries) list.Append(e.toStdString());
        });
        return *window_;
    }

    void SetUp() override { since_ = QDateTime::currentDateTime(); }
    void TearDown() override { window_.reset(); }

private slots:
    void AnEmptyListPrintsTheHeadingBlockAndACountOfZero() {
        const QString pdf = Path("empty.pdf");
        cPdfPrinter printer(pdf);
        FRecurse& w = Window({});
        // The Print command prints nothing for an empty list...
        w.mnuFile_Click(5);
        QVERIFY(!QFile::exists(pdf));
        // ...but the printing itself (as "/p" with no file runs it) prints the heading and 0.
        w.PrintFromFile("");
        QVERIFY(!w.PrintFailed());
        QCOMPARE(Printed(pdf), Heading("") << "Number of items in list: 0");
        QCOMPARE(PdfPages(pdf), 1);
        // "Arial", resolved by the font configuration: the heading bold, the rest regular.
        const QString fonts = Tool("pdffonts", {pdf});
        QVERIFY2(fonts.contains("LiberationSans-Bold") || fonts.contains("Arial-Bold") || fonts.contains("Arial,Bold"),
                 qPrintable(fonts));
        QVERIFY2(fonts.contains(QRegularExpression("(LiberationSans|Arial)\\s")), qPrintable(fonts));
    }

    void TheWindowsListPrintsEveryEntryAndStaysAsItWas() {
        const QString pdf = Path("window.pdf");
        cPdfPrinter printer(pdf);
        FRecurse& w = Window({"/a/one.exe", "/b/two.dll", "/c/three.ocx"});
        w.ListModel()->setData(w.ListModel()->index(1), Qt::Checked, Qt::CheckStateRole);
        w.DataChanged(true);
        const QString caption = w.windowTitle();
        w.tbrMain_ButtonClick("print");
        QCOMPARE(Printed(pdf), Heading("") << "/a/one.exe"
                                           << "/b/two.dll"
                                           << "/c/three.ocx"
                                           << "Number of items in list: 3");
        QVERIFY(w.List().Checked(1) && !w.List().Checked(0));
        QVERIFY(w.DataChanged());
        QCOMPARE(w.windowTitle(), caption);
        QVERIFY(prompts_->Asked().empty());
        w.DataChanged(false);
    }

    void AListFilePrintsItsEntriesWithoutBlankLines() {
        const QString pdf = Path("file.pdf");
        cPdfPrinter printer(pdf);
        const QString list = WriteFile("hits.ier", "/a/one.exe\r\n\r\n\r\n/b/two.dll\n\n/c/three.ocx");
        FRecurse& w = Window({"/not/printed"});
        w.PrintFromFile(list.toStdString());
        QCOMPARE(Printed(pdf), Heading(list) << "/a/one.exe"
                                             << "/b/two.dll"
                                             << "/c/three.ocx"
                                             << "Number of items in list: 3");
        QCOMPARE(w.List().ListCount(), 1);
    }

    void ALongListGoesOnToTheNextPagesWithoutANewHeading() {
        const QString pdf = Path("long.pdf");
        cPdfPrinter printer(pdf);
        QStringList entries;
        for (int i = 1; i <= 150; ++i) entries << QString("/long/list/entry%1.dll").arg(i, 3, 10, QChar('0'));
        FRecurse& w = Window(entries);
        w.PrintFromFile("");
        const int pages = PdfPages(pdf);
        QVERIFY2(pages >= 2, qPrintable(QString::number(pages)));
        QStringList all;
        for (int page = 1; page <= pages; ++page) {
            const QStringList lines = Printed(pdf, page, page);
            QVERIFY(!lines.isEmpty());
            if (page > 1) QVERIFY2(lines.first().startsWith("/long/list/entry"), qPrintable(lines.first()));
            all << lines;
        }
        // Every line once, in order, the heading on the first page only.
        QCOMPARE(all, Heading("") << entries << "Number of items in list: 150");
    }

    // Mended: an entry wider than the page goes on over indented lines, so the path prints whole;
    // and "Time: " carries the seconds in every locale.
    void ALongEntryPrintsWholeAndTheTimeHasSeconds() {
        const QString pdf = Path("wide.pdf");
        cPdfPrinter printer(pdf);
        QString entry;
        for (int i = 1; i <= 30; ++i) entry += QString("/a-rather-long-folder-name-%1").arg(i, 2, 10, QChar('0'));
        entry += "/the-file-name-at-the-end.exe";
        FRecurse& w = Window({entry});
        w.PrintFromFile("");
        const QStringList lines = Printed(pdf);
        const qsizetype first = lines.indexOf(QRegularExpression("^/a-rather-long-folder-name-01.*"));
        const qsizetype count = lines.indexOf(QRegularExpression("^Number of items in list: .*"));
        QVERIFY2(first > 0 && count > first + 1, qPrintable(lines.join(" | ")));
        QString joined;
        for (qsizetype i = first; i < count; ++i) joined += lines[i].trimmed();
        QCOMPARE(joined, entry);

        const QTime time(17, 25, 3);
        const QString us = FRecurse::TimeText(QLocale("en_US"), time);
        QVERIFY2(us.startsWith("5:25:03") && us.endsWith("PM"), qPrintable(us));
        for (const char* name : {"en_GB", "de_DE", "fr_FR", "ja_JP"})
            QVERIFY2(FRecurse::TimeText(QLocale(name), time).contains("25:03"), name);
    }

    void FailuresAreShownAndNothingIsPrinted_data() {
        QTest::addColumn<QString>("cause");
        QTest::newRow("missing list file") << "missing";
        QTest::newRow("no printer at all") << "no printer";
        QTest::newRow("printer fault") << "fault";
    }
    void FailuresAreShownAndNothingIsPrinted() {
        QFETCH(QString, cause);
        const QString pdf = Path("failed.pdf");
        QFile::remove(pdf);
        const QString below = WriteFile("blocker", "x") + "/out.pdf";
        const QString missing = Path("missing.ier");
        const QString exe = QCoreApplication::applicationFilePath().section('/', -1);
        std::unique_ptr<cPdfPrinter> printer;
        QString expected;
        std::string file;
        if (cause == "missing") {
            printer = std::make_unique<cPdfPrinter>(pdf);
            file = missing.toStdString();
            expected = "Error #53\r" + exe + "\rFile not found (" + missing + ")";
        } else if (cause == "fault") {
            printer = std::make_unique<cPdfPrinter>(below);
            expected = "Error #482\r" + exe + "\rThe printer " + below + " cannot begin a document";
        } else {
            // No source installed: the system's default printer, of which the test has none.
            file = missing.toStdString();
            expected = "Error #482\r" + exe + "\rThere is no default printer";
        }
        FRecurse& w = Window({"/a/one.exe"});
        prompts_->AnswerMessage(cPrompts::eAnswer::OK);
        w.PrintFromFile(file);
        QVERIFY(w.PrintFailed());
        const auto& asked = prompts_->LastAsked();
        QCOMPARE(asked.title, QString("Pictrix v2"));
        QVERIFY2(asked.text.startsWith(expected), qPrintable(asked.text + "\n" + expected));
        QVERIFY(!QFile::exists(pdf) && !QFile::exists(below));
        QVERIFY(w.cursor().shape() != Qt::WaitCursor);
        QFile log(temp_.filePath("errlog.txt"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains(expected.section('\r', 2).toUtf8()));
        // The window prints again once the cause is gone.
        cPdfPrinter good(pdf);
        w.PrintFromFile("");
        QVERIFY(!w.PrintFailed());
        QCOMPARE(PdfLines(pdf).last(), QString("Number of items in list: 1"));
    }
};

PICTRIX_UI_TEST(tRecursePrintTest)
#include "recurse_print_test.moc"
