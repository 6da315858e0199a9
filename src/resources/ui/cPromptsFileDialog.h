#pragma once
// cPromptsFileDialog: the file-dialog backend of the windows. It turns the dialog record into a
// request to cPrompts (the Qt dialogs, or scripted answers in tests) and writes the answer back
// into the record as the platform's dialogs do.

#include "resources/mFileOpenSave.h"

class QWidget;

class cPromptsFileDialog final : public mFileOpenSave::cFileDialogBackend {
public:
    bool GetOpenFileName(mFileOpenSave::cOpenFileName& ofn) override;
    bool GetSaveFileName(mFileOpenSave::cOpenFileName& ofn) override;

    // Installs one process-wide instance as the backend of mFileOpenSave.
    static void Install();
    // The window that owns the dialogs (the owner handle of the record cannot name a QWidget).
    static void SetOwner(QWidget* owner);
};
