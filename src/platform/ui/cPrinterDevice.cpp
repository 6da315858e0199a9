#include "platform/ui/cPrinterDevice.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
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
            Fault("There is no default printer: set up a printer, or make one the default, and print again. "
                  "Nothing was printed.");
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

void cPrinterDevice::EndDoc() {
    QPrinter& printer = Printer();
    QPainter painter;
    if (!painter.begin(&printer)) {
        Fault("The printer " + PrinterName() + " cannot begin a document. Nothing was printed.");
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
        Fault("The printer " + PrinterName() + " could not begin a new page. The document may be incomplete.");
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        Fault("The printer " + PrinterName() + " reported a fault while the document was sent.");
    }
}

void cPrinterDevice::KillDoc() noexcept {
    lines_.clear();
    printer_.reset();
}
