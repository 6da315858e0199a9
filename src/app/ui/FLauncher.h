#pragma once
// FLauncher: the dialog of File > "Add to Applications Menu...". It makes a menu entry for the
// chosen icon group of the open file (a module, a Windows shortcut or an icon file) through
// mLauncher, exactly as `pictrix-cli launcher` makes one, so that the command line lists and
// removes it: the entry's name and command come filled in as the command line would choose them
// (an icon file has no command of its own: OK waits until one is typed), the categories are the
// user's, and the sizes the icon will be written at are shown with the image each comes from.
//
// OK writes below the data home and says where. A launcher this program made earlier from the
// same file is replaced only after a question; files at the names that this program did not
// write are never replaced from here.
//
// The group is copied when the dialog is made; file_ is held as the system's bytes.

#include <QDialog>

#include <string>
#include <string_view>

#include "base/mTr.h"
#include "icon/cFileIcon.h"
#include "resources/mLauncher.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class FLauncher : public QDialog {
    Q_OBJECT

public:
    // The main window's words when there is nothing to make an entry of.
    static constexpr std::string_view kNoIcons = PICTRIX_TR_NOOP("FLauncher", "No icons to add to the menu. Ready...");
    static constexpr std::string_view kChooseIcon =
        PICTRIX_TR_NOOP("FLauncher", "Please choose an icon for the menu entry.");

    // `file`: the file shown; `icon`: its chosen group; `dataHome`: where applications/ and
    // icons/ are, empty for mLauncher::DefaultDataHome().
    FLauncher(QWidget* owner, std::string file, const cFileIcon& icon, std::string dataHome = {});

    QLabel* lblName;
    QLineEdit* edtName;
    QLabel* lblCommand;
    QLineEdit* edtCommand;
    QLabel* lblCategories;
    QLineEdit* edtCategories;
    QLabel* lblSizes;
    QPlainTextEdit* txtSizes;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    // Writes the launcher (asking first where it replaces one of ours) and says where it went;
    // the dialog then closes. A refusal or a failure is shown and the dialog stays.
    void Write();
    // What the last Write put in place; empty before.
    const mLauncher::cResult& Result() const noexcept { return result_; }

private:
    void UpdateOK();

    std::string file_, dataHome_;
    // The command the entry runs when the user leaves edtCommand as it came: the core then
    // also gives it its working folder and window class.
    std::string defaultExec_;
    cFileIcon icon_;
    bool sizesOk_ = false;
    mLauncher::cResult result_;
};
