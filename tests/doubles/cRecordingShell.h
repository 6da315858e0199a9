#pragma once
// cRecordingShell: the desktop of the tests. It records each request and answers as told.

#include <QString>

#include <vector>

#include "support/ui/cShell.h"

class cRecordingShell final : public cShell {
public:
    enum class eKind { OpenDocument, StartProgram };
    struct cRequest {
        eKind kind;
        QString path;
        bool operator==(const cRequest&) const = default;
    };

    bool OpenDocument(const QString& path) override;
    bool StartProgram(const QString& program) override;

    // The answer every request gets (true: done).
    bool answer = true;
    std::vector<cRequest> requests;
};
