#pragma once
// cStatusBar: a status bar with the platform status bar's two modes: panel mode (a row of text
// panels, 1-based) and single-text mode (one text across the whole bar). Switching modes keeps
// the texts of both.

#include <QStatusBar>

#include <vector>

class QLabel;
class QStackedWidget;

class cStatusBar : public QStatusBar {
    Q_OBJECT

public:
    enum eStyle { sbrNormal = 0, sbrSimple = 1 };

    // A bar with `panels` panels; the last one takes the remaining width.
    explicit cStatusBar(int panels, QWidget* parent = nullptr);

    eStyle Style() const noexcept { return style_; }
    void SetStyle(eStyle style);

    QString SimpleText() const;
    void SetSimpleText(const QString& text);

    int PanelCount() const noexcept { return static_cast<int>(panels_.size()); }
    QString PanelText(int panel) const;             // out of range raises 9
    void SetPanelText(int panel, const QString& text);
    void SetPanelWidth(int panel, int pixels);

    // What the bar shows now: the single text, or the panel texts joined by " | ".
    QString ShownText() const;

private:
    QLabel* Panel(int panel) const;

    QStackedWidget* pages_;
    QLabel* simple_;
    std::vector<QLabel*> panels_;
    eStyle style_ = sbrNormal;
};
