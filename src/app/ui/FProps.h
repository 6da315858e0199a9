#pragma once
// FProps: the properties dialog of one icon: the name line on top (lblFilename), the text with
// one line per image below it (lblProperties), a module's version strings under that (lblVersion,
// hidden when there are none) and an OK button (cmdOK) that closes it. The dialog
// never grows beyond its screen: a name line wider than three fifths of the screen wraps, after a
// path separator or a blank where it can and anywhere where it must.

#include <QDialog>

class QLabel;
class QPushButton;

class FProps : public QDialog {
    Q_OBJECT

public:
    explicit FProps(QWidget* owner = nullptr);

    QLabel* lblFilename;
    QLabel* lblProperties;
    QLabel* lblVersion;
    QPushButton* cmdOK;

    // Fills both labels (texts with CR LF line ends) and sets the caption "Properties".
    void SetTexts(const QString& nameLine, const QString& properties);

    // The version strings (CR LF line ends); the label is hidden while they are empty.
    void SetVersionText(const QString& text);

    // The name line as it is drawn, one entry per line.
    QStringList FilenameLines() const;
};
