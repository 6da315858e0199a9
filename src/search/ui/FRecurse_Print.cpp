// FRecurse: printing the list (the Print command and the start-up's "/p") on the default printer.

#include <QDateTime>
#include <QLocale>

#include "base/ui/mQtText.h"
#include "platform/ui/cPrinterDevice.h"
#include "search/mListPrint.h"
#include "search/ui/FRecurse.h"
#include "search/ui/FRecurse_State.h"
#include "support/MError.h"

QString FRecurse::TimeText(const QLocale& locale, const QTime& time) {
    // The locale's short form, with the seconds the platform's time form carries.
    QString format = locale.timeFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1Char('s'))) {
        const qsizetype minutes = format.indexOf(QLatin1String("mm"));
        if (minutes >= 0) format.insert(minutes + 2, QLatin1String(":ss"));
    }
    return locale.toString(time, format);
}

void FRecurse::PrintList() {
    if (List().ListCount() == 0) return;
    PrintFromFile(std::string());
}

void FRecurse::PrintFromFile(const std::string& file) {
    s_->printFailed = false;
    cPrinterDevice printer(mQtText::Q(mListPrint::kDocumentName));
    try {
        cError::Guarded([&] {
            const QDateTime now = QDateTime::currentDateTime();
            const QLocale locale = QLocale::system();
            mListPrint::PrintFromFile(printer, file, List(),
                                      mQtText::Utf8(locale.toString(now.date(), QLocale::ShortFormat)),
                                      mQtText::Utf8(TimeText(locale, now.time())), [this](bool busy) { Busy(busy); });
        });
    } catch (const cError& e) {
        // Nothing of a failed document reaches the printer.
        printer.KillDoc();
        s_->printFailed = true;
        MError::ReportError(e, true, true);
    }
}
