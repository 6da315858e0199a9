#pragma once
// FCursorTheme: the dialog of File > "Make Cursor Theme...". The user names a Windows cursor pack
// (its folder, or its INF) and the theme's name; Install converts the pack into the user's
// cursor themes ($XDG_DATA_HOME/icons) through cCursorTheme, which makes every decision, and shows
// its report with how to choose the theme. The dialog changes no setting of the desktop.
//
// The pack's path is held as the system's bytes (pack_); edtPack shows its readable form.

#include <QDialog>

#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class FCursorTheme : public QDialog {
    Q_OBJECT

public:
    // `dir`: where themes go; empty for cCursorTheme::DefaultDir().
    explicit FCursorTheme(QWidget* owner = nullptr, std::string dir = {});

    QLabel* lblPack;
    QLineEdit* edtPack;
    QPushButton* cmdFolder;
    QPushButton* cmdInf;
    QLabel* lblName;
    QLineEdit* edtName;
    QPlainTextEdit* txtReport;
    QPushButton* cmdInstall;
    QPushButton* cmdClose;

    // Takes `pack` as the pack: its name is proposed as the theme's, and what the pack holds is
    // shown; Install is enabled when it holds a cursor.
    void SetPack(const std::string& pack);
    // Converts and installs; the report, or what went wrong, replaces the text shown.
    void Install();
    // The theme's folder once installed; empty before and after a failure.
    const std::string& Installed() const noexcept { return installed_; }

private:
    void cmdFolder_Click();
    void cmdInf_Click();

    std::string dir_, pack_, installed_;
};
