#pragma once
// Helpers of the printing tests: documents printed to PDF files, and their text read back with
// pdftotext (poppler-utils).

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QPrinter>
#include <QProcess>
#include <QStringList>

#include <memory>

#include "platform/ui/cPrinterDevice.h"

namespace mPrintTest {

// The text of a PDF's pages (all, or from `first` to `last`), its non-empty lines trimmed.
inline QStringList PdfLines(const QString& pdf, int first = 0, int last = 0) {
    QStringList args;
    if (first > 0) args << "-f" << QString::number(first) << "-l" << QString::number(last);
    args << pdf << "-";
    QProcess p;
    p.start("pdftotext", args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return {"<pdftotext failed on " + pdf + ">"};
    QStringList lines;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n')) {
        const QString t = line.trimmed().remove(QChar('\f'));
        if (!t.isEmpty()) lines << t;
    }
    return lines;
}

inline QString Tool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

inline int PdfPages(const QString& pdf) {
    const QString info = Tool("pdfinfo", {pdf});
    const auto at = info.indexOf("Pages:");
    return at < 0 ? -1 : info.mid(at + 6).section('\n', 0, 0).trimmed().toInt();
}

// Documents go to this PDF file while the scope lasts.
class cPdfPrinter {
public:
    explicit cPdfPrinter(const QString& path) {
        QFile::remove(path);
        cPrinterDevice::SetPrinterSource([path] {
            auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(path);
            return printer;
        });
    }
    ~cPdfPrinter() { cPrinterDevice::SetPrinterSource({}); }
};

// The date and time lines stand as "Date: *" and "Time: *" once they are found to hold the date
// and time, in the user's short forms, of some moment from `since` until now.
inline QStringList Normalised(QStringList lines, const QDateTime& since) {
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    for (QString& line : lines) {
        for (const QDateTime& t : {since, now}) {
            if (line == "Date: " + locale.toString(t.date(), QLocale::ShortFormat)) line = "Date: *";
            if (line == "Time: " + locale.toString(t.time(), QLocale::ShortFormat)) line = "Time: *";
        }
    }
    return lines;
}

inline QStringList Heading(const QString& file) {
    return {"Pictrix Recurse List", "Date: *", "Time: *", ("File: " + file).trimmed()};
}

} // namespace mPrintTest
