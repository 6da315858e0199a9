#include "support/ui/FOptions.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/ui/mQtText.h"
#include "base/mNumber.h"
#include "base/mProgram.h"
#include "resources/ui/mFileOpenSave.h"
#include "support/MError.h"
#include "support/mOptions.h"
#include "platform/ui/cPrompts.h"
#include "support/ui/mColours.h"

namespace {

using mQtText::Q;

} // namespace

cColourBox::cColourBox(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Sunken);
    setAutoFillBackground(true);
    setMinimumSize(48, 22);
}

void cColourBox::SetValue(std::int32_t value) {
    value_ = value;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, mColours::ColourOf(value));
    setPalette(pal);
}

FOptions::FOptions(QWidget* owner, tApplyBackColor applyBackColor)
    : QDialog(owner), applyBackColor_(std::move(applyBackColor)) {
    setWindowTitle(tr("Options"));
    setObjectName("FOptions");

    lblIconEditor = new QLabel(tr("Icon &Editor"), this);
    lblEditorPath = new QLabel(this);
    lblEditorPath->setObjectName("lblEditorPath");
    lblEditorPath->setFrameShape(QFrame::Panel);
    lblEditorPath->setFrameShadow(QFrame::Sunken);
    lblEditorPath->setMinimumWidth(260);
    lblEditorPath->setTextInteractionFlags(Qt::NoTextInteraction);
    lblEditorPath->setMouseTracking(true);
    lblEditorPath->installEventFilter(this);
    cmdBrowse = new QPushButton(tr("&Browse..."), this);
    cmdClear = new QPushButton(tr("Clea&r"), this);
    cmdClear->setObjectName("cmdClear");
    cmdClear->setToolTip(tr("No icon editor"));

    lblIconBackcolor = new QLabel(tr("&Icon Backcolor"), this);
    pic = new cColourBox(this);
    pic->setObjectName("pic");
    // Alt+O belongs to OK.
    cmdColor = new QPushButton(tr("Co&lor..."), this);

    cmdOK = new QPushButton(tr("&OK"), this);
    cmdApply = new QPushButton(tr("&Apply"), this);
    cmdCancel = new QPushButton(tr("&Cancel"), this);
    // Nothing to apply until something changed.
    cmdOK->setEnabled(false);
    cmdApply->setEnabled(false);
    // A label's letter moves to the button that changes what it names (the path and the colour
    // themselves take no focus).
    lblIconEditor->setBuddy(cmdBrowse);
    lblIconBackcolor->setBuddy(cmdColor);
    cmdOK->setAutoDefault(false);
    cmdApply->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(lblIconEditor, 0, 0);
    grid->addWidget(lblEditorPath, 0, 1);
    grid->addWidget(cmdBrowse, 0, 2);
    grid->addWidget(cmdClear, 0, 3);
    grid->addWidget(lblIconBackcolor, 1, 0);
    grid->addWidget(pic, 1, 1, Qt::AlignLeft);
    grid->addWidget(cmdColor, 1, 2);
    grid->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdApply);
    buttons->addWidget(cmdCancel);

    auto* all = new QVBoxLayout(this);
    all->addLayout(grid);
    all->addSpacing(8);
    all->addLayout(buttons);

    connect(cmdBrowse, &QPushButton::clicked, this, &FOptions::cmdBrowse_Click);
    connect(cmdClear, &QPushButton::clicked, this, &FOptions::cmdClear_Click);
    connect(cmdColor, &QPushButton::clicked, this, &FOptions::cmdColor_Click);
    connect(cmdApply, &QPushButton::clicked, this, &FOptions::cmdApply_Click);
    connect(cmdOK, &QPushButton::clicked, this, &FOptions::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FOptions::cmdCancel_Click);

    Load();
}

void FOptions::Load() {
    const std::string editor = mOptions::EditorPath();
    if (!editor.empty()) {
        editorPath_ = editor;
        lblEditorPath->setText(Q(editor));
    }
    // The stored colour; the read falls back to the text just read, and whatever is not a number
    // (no colour stored at all) shows the program's first-start colour.
    const auto colour = mNumber::LongOf(mOptions::BackColorText(editor));
    pic->SetValue(colour.value_or(mOptions::kDefaultBackColor));
}

bool FOptions::eventFilter(QObject* watched, QEvent* event) {
    // A path cut off by the label's width can be read in full in its tool tip.
    if (watched == lblEditorPath && (event->type() == QEvent::MouseMove || event->type() == QEvent::ToolTip)) {
        lblEditorPath->setToolTip(lblEditorPath->text());
    }
    return QDialog::eventFilter(watched, event);
}

void FOptions::EnableApply() {
    cmdOK->setEnabled(true);
    cmdApply->setEnabled(true);
}

void FOptions::ShowError(std::int32_t number, const std::string& source, const std::string& description) {
    cPrompts::Current().Message(this, QString::number(number) + "\r" + Q(source) + "\r" + Q(description),
                                cPrompts::eButtons::OK, cPrompts::eIcon::Critical, Q(std::string(MError::kTitle)));
}

void FOptions::cmdBrowse_Click() {
    try {
        mFileOpenSave::cAsk ask;
        ask.initialDir = mProgram::ProgramDir();
        ask.filterIndex = mOptions::kBrowseEditorFilterIndex;
        if (const std::optional<std::string> path =
                mFileOpenSave::AskOpen(this, mOptions::kBrowseEditorFilter, {}, ask)) {
            editorPath_ = *path;
            lblEditorPath->setText(Q(*path));
            EnableApply();
        }
    } catch (const cError& e) {
        ShowError(e.Number(), e.Source(), e.Description());
    }
}

void FOptions::cmdClear_Click() {
    if (lblEditorPath->text().isEmpty()) return;
    editorPath_.clear();
    lblEditorPath->clear();
    lblEditorPath->setToolTip(QString());
    EnableApply();
}

void FOptions::cmdColor_Click() {
    try {
        // Cancelling the colour dialog changes nothing and shows nothing.
        const auto chosen = cPrompts::Current().Colour(this, mColours::ColourOf(pic->Value()));
        if (!chosen) return;
        pic->SetValue(mColours::ValueOf(*chosen));
        EnableApply();
    } catch (const cError& e) {
        ShowError(e.Number(), e.Source(), e.Description());
    }
}

void FOptions::Apply() {
    mOptions::SetEditorPath(editorPath_);
    mOptions::WriteBackColor(pic->Value());
    if (applyBackColor_) applyBackColor_(pic->Value());
}

void FOptions::cmdApply_Click() {
    // A failure to store is shown; it must not escape into the event loop.
    try {
        Apply();
    } catch (const cError& e) {
        ShowError(e.Number(), e.Source(), e.Description());
    }
}

void FOptions::cmdOK_Click() {
    try {
        Apply();
    } catch (const cError&) {
        // OK closes the dialog whatever the apply step met.
    }
    accept();
}

void FOptions::cmdCancel_Click() { reject(); }
