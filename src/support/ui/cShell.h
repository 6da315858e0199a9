#pragma once
// cShell: the one way windows hand something to the desktop: opening a document (a help page, the
// error log) in the program the desktop associates with it, and starting a program by its path
// with no arguments. The program uses cQtShell (QDesktopServices, QProcess::startDetached); tests
// install one that records each request and answers as told, so no test ever opens a browser or
// starts a program.

#include <QString>

class cShell {
public:
    virtual ~cShell() = default;

    // False when the desktop could not open the document.
    virtual bool OpenDocument(const QString& path) = 0;
    // False when the program could not be started.
    virtual bool StartProgram(const QString& program) = 0;

    // The shell windows use: the one installed by SetCurrent, else a process-wide cQtShell.
    static cShell& Current();
    // Installs `shell` (not owned; nullptr restores the desktop's).
    static void SetCurrent(cShell* shell);

    // Installs a shell for a scope and restores the previous one at its end.
    class cScope {
    public:
        explicit cScope(cShell& shell);
        ~cScope();
        cScope(const cScope&) = delete;
        cScope& operator=(const cScope&) = delete;

    private:
        cShell* previous_;
    };
};

class cQtShell final : public cShell {
public:
    bool OpenDocument(const QString& path) override;
    bool StartProgram(const QString& program) override;
};
