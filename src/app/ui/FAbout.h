#pragma once
// FAbout: the about box: the program's icon, name, version and what it does, with an OK button.
// At start-up it serves as the splash: the OK button hidden and the timer enabled, which closes
// the box after its interval (2500 ms).

#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;

class FAbout : public QDialog {
    Q_OBJECT

public:
    static constexpr int kSplashInterval = 2500;

    explicit FAbout(QWidget* owner = nullptr);

    QLabel* imgIcon; // the program's icon at 48 pixels
    QLabel* lblTitle;
    QLabel* lblVersion;
    QLabel* lblDescription;
    QPushButton* cmdOK;
    // Closes the box when it fires; disabled until enabled by the caller (the splash).
    QTimer* tmrClose;

    // Hides the OK button, enables the timer and shows the box modal; returns when it closed.
    void ShowSplash();

    // "Version 2.0.0".
    static QString VersionText();
};
