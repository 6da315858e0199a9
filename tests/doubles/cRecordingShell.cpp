#include "doubles/cRecordingShell.h"

bool cRecordingShell::OpenDocument(const QString& path) {
    requests.push_back({eKind::OpenDocument, path});
    return answer;
}

bool cRecordingShell::StartProgram(const QString& program) {
    requests.push_back({eKind::StartProgram, program});
    return answer;
}
