#include "app/ui/cApplication.h"

#include "support/MError.h"

bool cApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        MError::ReportEscaped();
        return false;
    }
}
