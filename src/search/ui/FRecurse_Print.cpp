// FRecurse: printing the list (the Print command and the start-up's "/p") on the default printer.

#include <QDateTime>
#include <QLocale>

#include <new>

#include "base/ui/mQtText.h"
#include "platform/ui/cPrinterDevice.h"
#include "search/mListPrint.h"
#include "search/ui/FRecurse.h"
#include "support/MError.h"

void FRecurse::PrintList() {
    if (List().ListCount() == 0) return;
    PrintFromFile(std::string());
}

void FRecurse::PrintFromFile(const std::string& file) {
    printFailed_ = false;
    cPrinterDevice printer(mQtText::Q(mListPrint::kDocumentName));
    try {
        try {
            const QDateTime now = QDateTime::currentDateTime();
            const QLocale locale = QLocale::system();
            mListPrint::PrintFromFile(printer, file, List(), mQtText::Utf8(locale.toString(now.date(), QLocale::ShortFormat)),
                                      mQtText::Utf8(locale.toString(now.time(), QLocale::ShortFormat)),
                                      [this](bool busy) { Busy(busy); });
            return;
        } catch (const std::bad_alloc&) {
            throw cError::Runtime(cError::kOutOfMemory);
        }
    } catch (const cError& e) {
        // Nothing of a failed document reaches the printer.
        printer.KillDoc();
        printFailed_ = true;
        MError::ReportError(e, true, true);
    }
}
