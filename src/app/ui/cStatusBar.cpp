#include "app/ui/cStatusBar.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStackedWidget>

#include "base/cError.h"

namespace {

// A text of the bar: a text wider than its room is elided in the middle (a path keeps its
// beginning and its file name) and shown whole in the tool tip; it never widens the window.
class cPanel final : public QLabel {
public:
    explicit cPanel(QWidget* parent) : QLabel(parent) {
        setTextFormat(Qt::PlainText);
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    }

    QString Shown() const {
        return fontMetrics().elidedText(text(), Qt::ElideMiddle, std::max(contentsRect().width() - 2 * margin(), 0));
    }

    QSize minimumSizeHint() const override { return {minimumWidth(), QLabel::minimumSizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        drawFrame(&painter);
        const QString shown = Shown();
        setToolTip(shown == text() ? QString() : text());
        painter.drawText(contentsRect().adjusted(margin(), 0, -margin(), 0),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    }
};

} // namespace

cStatusBar::cStatusBar(int panels, QWidget* parent)
    : QStatusBar(parent), pages_(new QStackedWidget(this)), simple_(new cPanel(this)) {
    setSizeGripEnabled(true);
    auto* row = new QWidget(pages_);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    for (int i = 0; i < panels; ++i) {
        auto* panel = new cPanel(row);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        layout->addWidget(panel, i + 1 == panels ? 1 : 0);
        panels_.push_back(panel);
    }
    simple_->setTextFormat(Qt::PlainText);
    pages_->addWidget(row);
    pages_->addWidget(simple_);
    addWidget(pages_, 1);
}

void cStatusBar::SetStyle(eStyle style) {
    // The switch shows with the next text set (or the next paint): its texts are set right after.
    style_ = style;
    pages_->setCurrentIndex(style == sbrSimple ? 1 : 0);
}

QString cStatusBar::SimpleText() const { return simple_->text(); }

void cStatusBar::SetSimpleText(const QString& text) {
    simple_->setText(text);
    if (style_ == sbrSimple) PaintNow();
}

void cStatusBar::PaintNow() {
    // A long operation that processes no events still shows its progress: the bar is painted
    // and put on the screen here and now, though not more often than the eye can follow (a
    // retrieval of a thousand groups would spend more time painting than reading). A change that
    // comes sooner is painted with the next one, or by the event loop.
    if (!isVisible()) return;
    if (painted_.isValid() && painted_.elapsed() < paintInterval_) {
        update();
        return;
    }
    repaint();
    painted_.start();
}

void cStatusBar::SetPaintInterval(int milliseconds) {
    paintInterval_ = std::max(0, milliseconds);
    painted_.invalidate();
}

QLabel* cStatusBar::Panel(int panel) const {
    if (panel < 1 || panel > PanelCount()) cError::RaiseRuntime(cError::kSubscriptOutOfRange);
    return panels_[static_cast<std::size_t>(panel - 1)];
}

QString cStatusBar::PanelText(int panel) const { return Panel(panel)->text(); }

void cStatusBar::SetPanelText(int panel, const QString& text) {
    QLabel* label = Panel(panel);
    if (text == label->text()) return;
    label->setText(text);
    if (style_ == sbrNormal) PaintNow();
}

void cStatusBar::SetPanelWidth(int panel, int pixels) { Panel(panel)->setMinimumWidth(pixels); }

QString cStatusBar::ShownText() const {
    if (style_ == sbrSimple) return SimpleText();
    QStringList texts;
    for (const QLabel* panel : panels_) texts << panel->text();
    return texts.join(" | ");
}

QString cStatusBar::ShownPanelText(int panel) const { return static_cast<const cPanel*>(Panel(panel))->Shown(); }

QString cStatusBar::ShownSimpleText() const { return static_cast<const cPanel*>(simple_)->Shown(); }
