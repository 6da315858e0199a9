#pragma once
// FOptions: the options dialog (caption "Options"). It edits the path of the icon editor the main
// window starts and the background colour of the main window's icon list. It holds the path as the
// system's bytes (lblEditorPath shows its readable form), the colour value is held by pic. Each showing
// is a new instance, so every opening reads the stored values afresh.
//
// Apply writes both values ("Editor Path" and "Backcolor") and hands the colour to the window that
// shows the icon list, through the callback given at construction.

#include <QDialog>
#include <QFrame>

#include <cstdint>
#include <functional>

class QLabel;
class QPushButton;

// The picture box that shows a stored colour value (a colour or a system colour reference) as its
// background and keeps the value itself, so a reference stays a reference when it is written back.
class cColourBox : public QFrame {
    Q_OBJECT

public:
    explicit cColourBox(QWidget* parent = nullptr);
    std::int32_t Value() const noexcept { return value_; }
    void SetValue(std::int32_t value);

private:
    std::int32_t value_ = 0;
};

class FOptions : public QDialog {
    Q_OBJECT

public:
    using tApplyBackColor = std::function<void(std::int32_t colour)>;

    // Loads the stored values. `applyBackColor` is called with the colour on every apply.
    explicit FOptions(QWidget* owner = nullptr, tApplyBackColor applyBackColor = {});

    QLabel* lblIconEditor;
    QLabel* lblEditorPath;
    QPushButton* cmdBrowse;
    QPushButton* cmdClear; // forgets the editor path (Apply stores it empty)
    QLabel* lblIconBackcolor;
    cColourBox* pic;
    QPushButton* cmdColor;
    QPushButton* cmdOK;
    QPushButton* cmdApply;
    QPushButton* cmdCancel;

    // Writes both values and applies the colour; raises what the store raises.
    void Apply();

    void cmdBrowse_Click();
    void cmdClear_Click();
    void cmdColor_Click();
    void cmdApply_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Load();
    void EnableApply();
    void ShowError(std::int32_t number, const std::string& source, const std::string& description);

    tApplyBackColor applyBackColor_;
    // The editor's path as the file system names it; the label's text may have lost bytes.
    std::string editorPath_;
};
