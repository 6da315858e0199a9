#include "app/ui/FProps.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

#include "app/ui/mAccessibleLists.h"

namespace {

// A one-line label whose text wraps when it is wider than the label may grow: after a path
// separator or a blank where it can, anywhere where it must. text() keeps the text whole.
class cWrappedLabel final : public QLabel {
public:
    explicit cWrappedLabel(QWidget* parent) : QLabel(parent) {
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }

    // The widest the label asks to be.
    void SetMaximumTextWidth(int width) {
        maximumTextWidth_ = std::max(width, 1);
        updateGeometry();
    }

    QStringList Lines(int width) const {
        width = std::max(width, 1);
        const QFontMetrics metrics = fontMetrics();
        const QString text = this->text();
        QStringList lines;
        QString line;
        // Pieces that end after a separator or a blank, laid out greedily; a piece wider than the
        // label is cut where the width ends.
        for (qsizetype start = 0; start < text.size();) {
            qsizetype end = start;
            while (end < text.size() && text[end] != '/' && text[end] != ' ') ++end;
            const QString piece = text.mid(start, std::min(end + 1, text.size()) - start);
            start += piece.size();
            if (metrics.horizontalAdvance(line + piece) <= width) {
                line += piece;
                continue;
            }
            if (!line.isEmpty()) lines << line;
            line.clear();
            for (const QChar c : piece) {
                if (!line.isEmpty() && metrics.horizontalAdvance(line + c) > width) {
                    lines << line;
                    line.clear();
                }
                line += c;
            }
        }
        if (!line.isEmpty() || lines.isEmpty()) lines << line;
        return lines;
    }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        const int margins = contentsMargins().top() + contentsMargins().bottom();
        return static_cast<int>(Lines(TextWidth(width)).size()) * fontMetrics().lineSpacing() + margins;
    }
    QSize sizeHint() const override {
        const int margins = contentsMargins().left() + contentsMargins().right();
        const int width = std::min(fontMetrics().horizontalAdvance(text()) + 1, maximumTextWidth_) + margins;
        return {width, heightForWidth(width)};
    }
    QSize minimumSizeHint() const override {
        const int width = std::min(sizeHint().width(), 120);
        return {width, heightForWidth(width)};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect area = contentsRect();
        int y = area.top();
        for (const QString& line : Lines(area.width())) {
            painter.drawText(QRect(area.left(), y, area.width(), fontMetrics().lineSpacing()),
                             Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, line);
            y += fontMetrics().lineSpacing();
        }
    }

private:
    int TextWidth(int width) const { return width - contentsMargins().left() - contentsMargins().right(); }

    int maximumTextWidth_ = 480;
};

} // namespace

FProps::FProps(QWidget* owner) : QDialog(owner) {
    setObjectName("FProps");
    // The images of the text a screen reader reads as a list.
    mAccessibleLists::Install();
    auto* filename = new cWrappedLabel(this);
    lblFilename = filename;
    lblFilename->setObjectName("lblFilename");
    lblFilename->setTextFormat(Qt::PlainText);
    lblProperties = new QLabel(this);
    lblProperties->setObjectName("lblProperties");
    lblProperties->setAccessibleName(tr("Properties")); // before its text is set, and for a screen reader

    lblProperties->setTextFormat(Qt::PlainText);
    lblProperties->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblProperties->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblProperties->setFrameShape(QFrame::StyledPanel);
    lblProperties->setFrameShadow(QFrame::Sunken);
    lblProperties->setMargin(6);
    lblProperties->setMinimumSize(300, 120);
    lblVersion = new QLabel(this);
    lblVersion->setObjectName("lblVersion");
    lblVersion->setAccessibleName(tr("Version"));
    lblVersion->setTextFormat(Qt::PlainText);
    lblVersion->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblVersion->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblVersion->setFrameShape(QFrame::StyledPanel);
    lblVersion->setFrameShadow(QFrame::Sunken);
    lblVersion->setMargin(6);
    lblVersion->setWordWrap(true);
    lblVersion->setVisible(false);
    cmdOK = new QPushButton(tr("OK"), this);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    // Three fifths of the screen at most for the name; the dialog itself never beyond the screen.
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect available = screen->availableGeometry();
        filename->SetMaximumTextWidth(available.width() * 3 / 5);
        setMaximumSize(available.size());
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    auto* all = new QVBoxLayout(this);
    all->addWidget(lblFilename);
    all->addWidget(lblProperties, 1);
    all->addWidget(lblVersion);
    all->addLayout(buttons);
}

void FProps::SetTexts(const QString& nameLine, const QString& properties) {
    setWindowTitle(tr("Properties"));
    lblFilename->setText(nameLine);
    lblFilename->updateGeometry();
    // The text keeps its CR LF line ends; the label breaks lines at the LF.
    lblProperties->setText(properties);
}

void FProps::SetVersionText(const QString& text) {
    // Trailing line ends would leave an empty line in the frame.
    QString shown = text;
    while (shown.endsWith('\n') || shown.endsWith('\r')) shown.chop(1);
    lblVersion->setText(shown);
    lblVersion->setVisible(!shown.isEmpty());
}

QStringList FProps::FilenameLines() const {
    return static_cast<const cWrappedLabel*>(lblFilename)->Lines(lblFilename->contentsRect().width());
}
