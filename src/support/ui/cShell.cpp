#include "support/ui/cShell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace {
cShell* gCurrent = nullptr;
}

cShell& cShell::Current() {
    static cQtShell desktop;
    return gCurrent ? *gCurrent : desktop;
}

void cShell::SetCurrent(cShell* shell) { gCurrent = shell; }

cShell::cScope::cScope(cShell& shell) : previous_(gCurrent) { gCurrent = &shell; }
cShell::cScope::~cScope() { gCurrent = previous_; }

bool cQtShell::OpenDocument(const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }

bool cQtShell::StartProgram(const QString& program) { return QProcess::startDetached(program, {}); }
