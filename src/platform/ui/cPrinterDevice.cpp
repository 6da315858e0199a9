#include "platform/ui/cPrinterDevice.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <cups/cups.h>
#include <string_view>
#include <QPrinterInfo>

#include "base/cError.h"
#include "base/mProgram.h"
#include "base/ui/mQtText.h"

namespace {

using mQtText::Q;
using mQtText::Utf8;

cPrinterDevice::tPrinterSource& Source() {
    static cPrinterDevice::tPrinterSource source;
    return source;
}

[[noreturn]] void Fault(const QString& description) {
    throw cError(cError::kPrinterError, mProgram::ExeBaseName(), Utf8(description));
}

} // namespace

cPrinterDevice::cPrinterDevice(const QString& documentName) : documentName_(documentName) {}

cPrinterDevice::~cPrinterDevice() = default;

std::unique_ptr<QPrinter> cPrinterDevice::DefaultPrinter() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) return nullptr;
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

void cPrinterDevice::SetPrinterSource(tPrinterSource source) { Source() = std::move(source); }

QPrinter& cPrinterDevice::Printer() {
    if (!printer_) {
        printer_ = Source() ? Source()() : DefaultPrinter();
        if (!printer_) {
            Fault(QCoreApplication::translate(
                "cPrinterDevice",
                "There is no default printer: set up a printer, or make one the default, and print again. "
                "Nothing was printed."));
        }
        printer_->setDocName(documentName_);
    }
    return *printer_;
}

QString cPrinterDevice::PrinterName() const {
    if (!printer_) return {};
    if (!printer_->outputFileName().isEmpty()) return printer_->outputFileName();
    return printer_->printerName();
}

void cPrinterDevice::DefaultFont() {
    Printer();
    font_.reset();
}

void cPrinterDevice::FontName(std::string_view name) {
    Printer();
    QFont font = font_.value_or(QFont());
    font.setFamily(Q(name));
    font_ = font;
}

void cPrinterDevice::FontSize(double points) {
    Printer();
    QFont font = font_.value_or(QFont());
    font.setPointSizeF(points);
    font_ = font;
}

void cPrinterDevice::FontBold(bool bold) {
    Printer();
    QFont font = font_.value_or(QFont());
    font.setBold(bold);
    font_ = font;
}

void cPrinterDevice::PrintLine(std::string_view text) {
    Printer();
    lines_.push_back({font_, Q(text)});
}

QStringList cPrinterDevice::WrapLine(const QString& text, const QFontMetricsF& metrics, double width, double indent) {
    QStringList pieces;
    QString rest = text;
    double room = width;
    while (!rest.isEmpty() && metrics.horizontalAdvance(rest) > room && room > metrics.maxWidth()) {
        // The longest start that fits, ended after a separator or a space where there is one.
        qsizetype fit = 1;
        while (fit < rest.size() && metrics.horizontalAdvance(rest.left(fit + 1)) <= room) ++fit;
        qsizetype cut = fit;
        for (qsizetype i = fit; i > fit / 2; --i) {
            const QChar c = rest[i - 1];
            if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(' ')) {
                cut = i;
                break;
            }
        }
        pieces.push_back(rest.left(cut));
        rest = rest.mid(cut);
        room = width - indent;
    }
    pieces.push_back(rest);
    return pieces;
}

namespace {

// The print server's word on a queue: whether it takes jobs, and the newest job of this user on
// it (0 when there is none). Only for a printer of the server, not a file.
struct cQueue {
    bool known = false;
    bool accepting = true;
    bool paused = false; // stopped by its administrator: jobs wait in the queue
    int newestJob = 0;
};

cQueue QueueOf(const std::string& name) {
    cQueue q;
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    if (const cups_dest_t* dest = cupsGetDest(name.c_str(), nullptr, count, dests)) {
        q.known = true;
        const char* accepting = cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
        q.accepting = !accepting || std::string_view(accepting) != "false";
        const char* state = cupsGetOption("printer-state", dest->num_options, dest->options);
        q.paused = state && std::string_view(state) == "5"; // IPP_PSTATE_STOPPED
    }
    cupsFreeDests(count, dests);
    cups_job_t* jobs = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, name.c_str(), 1, CUPS_WHICHJOBS_ALL);
    for (int i = 0; i < n; ++i) q.newestJob = std::max(q.newestJob, jobs[i].id);
    cupsFreeJobs(n, jobs);
    return q;
}

// The state of job `id` on the queue, or IPP_JSTATE_PENDING when it cannot be told.
ipp_jstate_t JobState(const std::string& name, int id) {
    ipp_jstate_t state = IPP_JSTATE_PENDING;
    cups_job_t* jobs = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, name.c_str(), 1, CUPS_WHICHJOBS_ALL);
    for (int i = 0; i < n; ++i)
        if (jobs[i].id == id) state = jobs[i].state;
    cupsFreeJobs(n, jobs);
    return state;
}

} // namespace

void cPrinterDevice::EndDoc() {
    QPrinter& printer = Printer();
    // A queue of the print server: asked before and after, since Qt does not say whether the
    // server took the document or what became of it.
    const bool queue = printer.outputFileName().isEmpty() && printer.outputFormat() == QPrinter::NativeFormat;
    const std::string queueName = printer.printerName().toStdString();
    const cQueue before = queue ? QueueOf(queueName) : cQueue{};
    if (before.known && !before.accepting) {
        lines_.clear();
        Fault(
            QCoreApplication::translate(
                "cPrinterDevice", "The printer %1 does not accept jobs (its queue rejects them). Nothing was printed.")
                .arg(PrinterName()));
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        Fault(QCoreApplication::translate("cPrinterDevice",
                                          "The printer %1 cannot begin a document. Nothing was printed.")
                  .arg(PrinterName()));
    }
    const QFont ownFont = painter.font();
    const double pageHeight = printer.pageLayout().paintRectPixels(printer.resolution()).height();
    const double pageWidth = printer.pageLayout().paintRectPixels(printer.resolution()).width();
    double y = 0;
    bool failed = false;
    for (const cLine& line : lines_) {
        const QFont& font = line.font ? *line.font : ownFont;
        const QFontMetricsF metrics(font, &printer);
        // A line wider than the page goes on over indented continuation lines, so that a long
        // path prints whole.
        const double indent = metrics.horizontalAdvance(QStringLiteral("    "));
        const QStringList pieces = WrapLine(line.text, metrics, pageWidth, indent);
        for (qsizetype k = 0; k < pieces.size() && !failed; ++k) {
            // A line that does not fit goes to the top of a new page; one taller than a page is
            // printed where it starts.
            if (y > 0 && y + metrics.height() > pageHeight) {
                if (!printer.newPage()) {
                    failed = true;
                    break;
                }
                y = 0;
            }
            if (!pieces[k].isEmpty()) {
                painter.setFont(font);
                painter.drawText(QPointF(k == 0 ? 0 : indent, y + metrics.ascent()), pieces[k]);
            }
            y += metrics.lineSpacing();
        }
        if (failed) break;
    }
    lines_.clear();
    if (failed) {
        printer.abort();
        painter.end();
        Fault(QCoreApplication::translate("cPrinterDevice",
                                          "The printer %1 could not begin a new page. The document may be incomplete.")
                  .arg(PrinterName()));
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        Fault(QCoreApplication::translate("cPrinterDevice",
                                          "The printer %1 reported a fault while the document was sent.")
                  .arg(PrinterName()));
    }
    if (before.known) {
        const cQueue after = QueueOf(queueName);
        if (after.newestJob <= before.newestJob) {
            Fault(QCoreApplication::translate("cPrinterDevice",
                                              "The print server did not take the document for the printer %1: %2")
                      .arg(PrinterName(), QString::fromUtf8(cupsLastErrorString())));
        }
        switch (JobState(queueName, after.newestJob)) {
        case IPP_JSTATE_STOPPED:
            Fault(QCoreApplication::translate("cPrinterDevice", "The printer %1 stopped the job %2.")
                      .arg(PrinterName(), QString::number(after.newestJob)));
        case IPP_JSTATE_CANCELED:
            Fault(QCoreApplication::translate("cPrinterDevice", "The job %1 on %2 was canceled.")
                      .arg(QString::number(after.newestJob), PrinterName()));
        case IPP_JSTATE_ABORTED:
            Fault(QCoreApplication::translate("cPrinterDevice", "The printer %1 aborted the job %2.")
                      .arg(PrinterName(), QString::number(after.newestJob)));
        // A job held at once waits for something the program cannot give it, most often a
        // password the server asks for.
        case IPP_JSTATE_HELD:
            Fault(
                QCoreApplication::translate(
                    "cPrinterDevice",
                    "The print server holds the job %1 on %2 (it may ask for authentication). It is not printed until "
                    "it is released.")
                    .arg(QString::number(after.newestJob), PrinterName()));
        default: break;
        }
        // A paused queue keeps the job and prints it once resumed: taken, but not printed.
        if (after.paused) {
            Fault(QCoreApplication::translate(
                      "cPrinterDevice",
                      "The printer %1 is paused: the job %2 waits in its queue and is printed when the printer is "
                      "resumed.")
                      .arg(PrinterName(), QString::number(after.newestJob)));
        }
    }
}

void cPrinterDevice::KillDoc() noexcept {
    lines_.clear();
    printer_.reset();
}
