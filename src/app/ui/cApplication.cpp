#include "app/ui/cApplication.h"

#include <new>

#include "support/MError.h"

bool cApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ReportEscaped();
        return false;
    }
}

void cApplication::ReportEscaped() noexcept {
    try {
        throw;
    } catch (const cError& e) {
        MError::ReportError(e, true, true);
    } catch (const std::bad_alloc&) {
        MError::ReportError(cError::Runtime(cError::kOutOfMemory), true, true);
    } catch (const std::exception& e) {
        MError::ReportError(cError::kInvalidCall, mProgram::ExeBaseName(), e.what(), true, true);
    } catch (...) {
        MError::ReportError(cError::kInvalidCall, mProgram::ExeBaseName(),
                            cError::RuntimeDescription(cError::kInvalidCall), true, true);
    }
}
