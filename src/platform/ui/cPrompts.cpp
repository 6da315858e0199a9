#include "platform/ui/cPrompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

namespace {

cPrompts* gCurrent = nullptr;

QString BoxTitle(const QString& title) { return title.isEmpty() ? QApplication::applicationDisplayName() : title; }

} // namespace

cPrompts::eAnswer cPrompts::CancelAnswer(eButtons buttons) {
    switch (buttons) {
    case eButtons::OK: return eAnswer::OK;
    case eButtons::YesNo: return eAnswer::No;
    default: return eAnswer::Cancel;
    }
}

// ---- the current prompts

cPrompts& cPrompts::Current() {
    if (gCurrent) return *gCurrent;
    static cQtPrompts qtPrompts;
    return qtPrompts;
}

void cPrompts::SetCurrent(cPrompts* prompts) { gCurrent = prompts; }

cPrompts::cScope::cScope(cPrompts& prompts) : previous_(gCurrent) { gCurrent = &prompts; }
cPrompts::cScope::~cScope() { gCurrent = previous_; }

// ---- the Qt dialogs

QStringList cQtPrompts::NameFilters(const std::vector<cFilter>& filters) {
    QStringList out;
    for (const auto& f : filters) {
        QStringList patterns;
        for (QString pattern : f.pattern.split(';', Qt::SkipEmptyParts)) {
            pattern = pattern.trimmed();
            if (pattern == QStringLiteral("*.*")) pattern = QStringLiteral("*");
            pattern.replace(' ', '?');
            if (!pattern.isEmpty()) patterns << pattern;
        }
        out << QStringLiteral("%1 (%2)").arg(f.description, patterns.join(' '));
    }
    return out;
}

namespace {

cPrompts::cFileAnswer RunFileDialog(QWidget* owner, const cPrompts::cFileRequest& r, bool save) {
    QFileDialog dialog(owner, r.title);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (save) {
        dialog.setFileMode(QFileDialog::AnyFile);
        if (!r.overwritePrompt) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        // Qt's dialogs have no "open read-only" box to tick (their ReadOnly option is another
        // thing: it stops renaming and deleting in the dialog); the answer says it was not ticked.
        dialog.setFileMode(r.multiSelect ? QFileDialog::ExistingFiles
                                         : (r.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile));
    }
    // The user sees each filter's description, which names its patterns where it wants to.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QStringList filters = cQtPrompts::NameFilters(r.filters);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        if (r.filterIndex >= 1 && r.filterIndex <= filters.size()) dialog.selectNameFilter(filters[r.filterIndex - 1]);
    }
    if (!r.initialDir.isEmpty()) dialog.setDirectory(r.initialDir);
    if (!r.fileName.isEmpty()) {
        QFileInfo info(r.fileName);
        if (r.initialDir.isEmpty() && info.isAbsolute()) dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
    if (!r.defaultExtension.isEmpty()) dialog.setDefaultSuffix(r.defaultExtension);

    cPrompts::cFileAnswer answer;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return answer;
    answer.confirmed = true;
    answer.files = dialog.selectedFiles();
    answer.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (answer.filterIndex < 1) answer.filterIndex = 1;
    return answer;
}

} // namespace

cPrompts::cFileAnswer cQtPrompts::OpenFile(QWidget* owner, const cFileRequest& request) {
    return RunFileDialog(owner, request, false);
}

cPrompts::cFileAnswer cQtPrompts::SaveFile(QWidget* owner, const cFileRequest& request) {
    return RunFileDialog(owner, request, true);
}

std::optional<QString> cQtPrompts::Folder(QWidget* owner, const QString& title, const QString& initialDir) {
    QString dir = QFileDialog::getExistingDirectory(owner, title, initialDir);
    if (dir.isEmpty()) return std::nullopt;
    return dir;
}

std::optional<QColor> cQtPrompts::Colour(QWidget* owner, const QColor& initial) {
    QColor c = QColorDialog::getColor(initial, owner);
    if (!c.isValid()) return std::nullopt;
    return c;
}

namespace {

// Messages and prompts separate their lines by CR (or CR LF); a label breaks lines at LF only.
QString LabelLines(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar('\r'), QChar('\n'));
    return text;
}

} // namespace

cPrompts::eAnswer cQtPrompts::Message(QWidget* owner, const QString& text, eButtons buttons, eIcon icon,
                                      const QString& title) {
    QMessageBox box(owner);
    box.setWindowTitle(BoxTitle(title));
    // Plain text, so that a file name with "<" in it is shown as it is.
    box.setTextFormat(Qt::PlainText);
    box.setText(LabelLines(text));
    switch (icon) {
    case eIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case eIcon::Information: box.setIcon(QMessageBox::Information); break;
    case eIcon::Question: box.setIcon(QMessageBox::Question); break;
    case eIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case eIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    }
    QMessageBox::StandardButtons set;
    switch (buttons) {
    case eButtons::OK: set = QMessageBox::Ok; break;
    case eButtons::OKCancel: set = QMessageBox::Ok | QMessageBox::Cancel; break;
    case eButtons::YesNo: set = QMessageBox::Yes | QMessageBox::No; break;
    case eButtons::YesNoCancel: set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    case eButtons::RetryCancel: set = QMessageBox::Retry | QMessageBox::Cancel; break;
    }
    box.setStandardButtons(set);
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok: return eAnswer::OK;
    case QMessageBox::Yes: return eAnswer::Yes;
    case QMessageBox::No: return eAnswer::No;
    case QMessageBox::Retry: return eAnswer::Retry;
    case QMessageBox::Cancel: return eAnswer::Cancel;
    default: return CancelAnswer(buttons); // closed with the title bar or Escape
    }
}

std::optional<QString> cQtPrompts::Input(QWidget* owner, const QString& prompt, const QString& title,
                                         const QString& defaultText) {
    bool ok = false;
    QString text =
        QInputDialog::getText(owner, BoxTitle(title), LabelLines(prompt), QLineEdit::Normal, defaultText, &ok);
    if (!ok) return std::nullopt;
    return text;
}
