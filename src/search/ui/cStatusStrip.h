#pragma once
// cStatusStrip: the search window's status strip (Picture1): one line of text across the window,
// written after clearing what was there, with a double-click the window answers.

#include <QFrame>
#include <QString>

class cStatusStrip final : public QFrame {
    Q_OBJECT

public:
    // The strip's height at the design size, in pixels.
    static constexpr int kDesignHeight = 17;

    explicit cStatusStrip(QWidget* parent = nullptr);

    // Clears the strip and writes one line.
    void Print(const QString& text);
    void Cls() { Print(QString()); }
    const QString& Text() const noexcept { return text_; }

    QSize sizeHint() const override;

signals:
    void DblClick();
    // Every text written, in order (a run writes many in one step; this is how they are seen).
    void Printed(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QString text_;
};
