#include "app/ui/cStatusBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>

#include "base/cError.h"

cStatusBar::cStatusBar(int panels, QWidget* parent)
    : QStatusBar(parent), pages_(new QStackedWidget(this)), simple_(new QLabel(this)) {
    setSizeGripEnabled(true);
    auto* row = new QWidget(pages_);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    for (int i = 0; i < panels; ++i) {
        auto* panel = new QLabel(row);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setTextFormat(Qt::PlainText);
        layout->addWidget(panel, i + 1 == panels ? 1 : 0);
        panels_.push_back(panel);
    }
    simple_->setTextFormat(Qt::PlainText);
    pages_->addWidget(row);
    pages_->addWidget(simple_);
    addWidget(pages_, 1);
}

void cStatusBar::SetStyle(eStyle style) {
    style_ = style;
    pages_->setCurrentIndex(style == sbrSimple ? 1 : 0);
}

QString cStatusBar::SimpleText() const { return simple_->text(); }

void cStatusBar::SetSimpleText(const QString& text) { simple_->setText(text); }

QLabel* cStatusBar::Panel(int panel) const {
    if (panel < 1 || panel > PanelCount()) cError::RaiseRuntime(cError::kSubscriptOutOfRange);
    return panels_[static_cast<std::size_t>(panel - 1)];
}

QString cStatusBar::PanelText(int panel) const { return Panel(panel)->text(); }

void cStatusBar::SetPanelText(int panel, const QString& text) { Panel(panel)->setText(text); }

void cStatusBar::SetPanelWidth(int panel, int pixels) { Panel(panel)->setMinimumWidth(pixels); }

QString cStatusBar::ShownText() const {
    if (style_ == sbrSimple) return SimpleText();
    QStringList texts;
    for (const QLabel* panel : panels_) texts << panel->text();
    return texts.join(" | ");
}
