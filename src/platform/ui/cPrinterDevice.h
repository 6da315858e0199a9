#pragma once
// cPrinterDevice: the default printer as a text device (cTextDevice) over Qt PrintSupport, without
// a dialog. The printer is found at the first use, so that a machine without one fails before
// anything else is done. Lines are kept with their fonts until EndDoc, which lays them out on
// pages (a new page when the next line does not fit; margins and line spacing are the printer's)
// and sends the document in one piece; a document that failed, was dropped by KillDoc or never
// ended sends nothing, since a print job once begun cannot be taken back.
//
// "Arial" and other font names are resolved by the system's font configuration (a metric-
// compatible face where Arial itself is not installed).

#include <QFont>
#include <QFontMetricsF>
#include <QStringList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/cTextDevice.h"

class QPrinter;

class cPrinterDevice final : public cTextDevice {
public:
    // A line as printed within `width` pixels: its first piece, then continuation pieces that each
    // fit `width - indent`, broken after a separator or a space where there is one in the line's
    // second half, else where the width ends.
    static QStringList WrapLine(const QString& text, const QFontMetricsF& metrics, double width, double indent);

    // Where documents go: a new printer, or nullptr when there is none.
    using tPrinterSource = std::function<std::unique_ptr<QPrinter>()>;

    explicit cPrinterDevice(const QString& documentName);
    ~cPrinterDevice() override;
    cPrinterDevice(const cPrinterDevice&) = delete;
    cPrinterDevice& operator=(const cPrinterDevice&) = delete;

    void DefaultFont() override;
    void FontName(std::string_view name) override;
    void FontSize(double points) override;
    void FontBold(bool bold) override;
    void PrintLine(std::string_view text) override;
    void EndDoc() override;
    void KillDoc() noexcept override;

    // The system's default printer (QPrinterInfo::defaultPrinter), in high resolution.
    static std::unique_ptr<QPrinter> DefaultPrinter();
    // Installs where documents go (tests print to PDF files); an empty source restores the
    // default printer.
    static void SetPrinterSource(tPrinterSource source);

private:
    struct cLine {
        std::optional<QFont> font; // none: the printer's own font
        QString text;
    };

    QPrinter& Printer();
    // The printer's name for messages: its queue, or the file it writes.
    QString PrinterName() const;

    QString documentName_;
    std::unique_ptr<QPrinter> printer_;
    std::optional<QFont> font_;
    std::vector<cLine> lines_;
};
