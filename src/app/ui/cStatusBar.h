#pragma once
// cStatusBar: a status bar with the platform status bar's two modes: panel mode (a row of text
// panels, 1-based) and single-text mode (one text across the whole bar). Switching modes keeps
// the texts of both. A change of what the bar shows is painted at once (at most once every
// kPaintInterval milliseconds; a change that comes sooner waits for the next), so that an
// operation that processes no events still shows its progress.

#include <QElapsedTimer>
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
    QString PanelText(int panel) const; // out of range raises 9
    void SetPanelText(int panel, const QString& text);
    void SetPanelWidth(int panel, int pixels);

    // What the bar shows now: the single text, or the panel texts joined by " | ".
    QString ShownText() const;
    // A panel's text and the single text as they fit their room: a text too wide is elided in the
    // middle (and shown whole in the tool tip).
    QString ShownPanelText(int panel) const;
    QString ShownSimpleText() const;

    // The shortest time between two paints at once (kPaintInterval unless set).
    static constexpr int kPaintInterval = 40;
    void SetPaintInterval(int milliseconds);

private:
    // Paints the bar at once, without waiting for (or processing) events.
    void PaintNow();

    QLabel* Panel(int panel) const;

    QStackedWidget* pages_;
    QLabel* simple_;
    std::vector<QLabel*> panels_;
    eStyle style_ = sbrNormal;
    int paintInterval_ = kPaintInterval;
    QElapsedTimer painted_;
};
