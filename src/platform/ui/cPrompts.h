#pragma once
// cPrompts: the one interface through which windows ask the user anything: the open, save and
// folder dialogs, the colour dialog, message boxes and input boxes. Windows never open a modal
// dialog of their own; they call cPrompts::Current(), which is the Qt implementation (cQtPrompts)
// in the program; tests install scripted answers (SetCurrent), so no modal dialog ever waits in a
// test.

#include <QColor>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QWidget;

class cPrompts {
public:
    // Message box buttons and icons, as the Windows message box styles name them.
    enum class eButtons { OK, OKCancel, YesNo, YesNoCancel, RetryCancel };
    enum class eIcon { None, Information, Question, Exclamation, Critical };
    enum class eAnswer { OK, Cancel, Yes, No, Retry };

    // One filter of a file dialog: "Icon Files (*.ico)" and "*.ico" (patterns separated by ";").
    struct cFilter {
        QString description;
        QString pattern;
        bool operator==(const cFilter&) const = default;
    };

    // An open or save dialog. Empty strings mean "the dialog's own default" (standard title,
    // current folder, no default extension).
    struct cFileRequest {
        QString title;
        QString initialDir;
        QString fileName; // initial file name (may be a full path)
        std::vector<cFilter> filters;
        int filterIndex = 1; // 1-based filter shown first
        QString defaultExtension; // without the dot
        bool fileMustExist = false; // open
        bool multiSelect = false; // open
        bool readOnly = false; // open: the read-only box ticked (Qt's dialogs have none)
        bool hideReadOnly = true; // open: no read-only box
        bool overwritePrompt = false; // save
    };
    struct cFileAnswer {
        bool confirmed = false;
        QStringList files; // full paths; several only for a multiple selection
        int filterIndex = 0; // 1-based filter chosen
        bool readOnly = false; // the read-only box when the dialog closed (Qt's: unticked)
    };

    virtual ~cPrompts() = default;

    virtual cFileAnswer OpenFile(QWidget* owner, const cFileRequest& request) = 0;
    virtual cFileAnswer SaveFile(QWidget* owner, const cFileRequest& request) = 0;
    // A folder, or nothing when cancelled.
    virtual std::optional<QString> Folder(QWidget* owner, const QString& title, const QString& initialDir) = 0;
    // A colour, or nothing when cancelled.
    virtual std::optional<QColor> Colour(QWidget* owner, const QColor& initial) = 0;
    // A message box. An empty title means the application's title as the platform shows it.
    virtual eAnswer Message(QWidget* owner, const QString& text, eButtons buttons = eButtons::OK,
                            eIcon icon = eIcon::None, const QString& title = {}) = 0;
    // An input box: the text entered, or nothing when cancelled.
    virtual std::optional<QString> Input(QWidget* owner, const QString& prompt, const QString& title = {},
                                         const QString& defaultText = {}) = 0;

    // The answer of a message box closed without a choice: the most cautious one it offers.
    static eAnswer CancelAnswer(eButtons buttons);

    // The prompts windows use: the one installed by SetCurrent, else a process-wide cQtPrompts.
    static cPrompts& Current();
    // Installs `prompts` (not owned; nullptr restores the Qt dialogs).
    static void SetCurrent(cPrompts* prompts);

    // Installs a prompts object for a scope and restores the previous one at its end.
    class cScope {
    public:
        explicit cScope(cPrompts& prompts);
        ~cScope();
        cScope(const cScope&) = delete;
        cScope& operator=(const cScope&) = delete;

    private:
        cPrompts* previous_;
    };
};

// The real dialogs: QFileDialog, QColorDialog, QMessageBox, QInputDialog.
class cQtPrompts final : public cPrompts {
public:
    cFileAnswer OpenFile(QWidget* owner, const cFileRequest& request) override;
    cFileAnswer SaveFile(QWidget* owner, const cFileRequest& request) override;
    std::optional<QString> Folder(QWidget* owner, const QString& title, const QString& initialDir) override;
    std::optional<QColor> Colour(QWidget* owner, const QColor& initial) override;
    eAnswer Message(QWidget* owner, const QString& text, eButtons buttons, eIcon icon, const QString& title) override;
    std::optional<QString> Input(QWidget* owner, const QString& prompt, const QString& title,
                                 const QString& defaultText) override;

    // The Qt name filters of a request's filters: the description, then the patterns in brackets
    // as Qt reads them ("Icon Files (*.ico)" and "*.ico" give "Icon Files (*.ico) (*.ico)"); the
    // dialog shows the description alone. Qt splits patterns at blanks, so a blank inside a
    // pattern becomes "?" (matching that blank); "*.*" becomes "*", which matches every name as
    // "*.*" does on Windows, names without a dot included.
    static QStringList NameFilters(const std::vector<cFilter>& filters);
};
