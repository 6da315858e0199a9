#include "platform/ui/cPrompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

#include <stdexcept>

namespace {

cPrompts* gCurrent = nullptr;

std::function<void(const QString&)>& FailureHandler() {
    static std::function<void(const QString&)> handler = [](const QString& message) {
        qFatal("%s", qPrintable(message));
    };
    return handler;
}

QString BoxTitle(const QString& title) {
    return title.isEmpty() ? QApplication::applicationDisplayName() : title;
}

// The answer a question gets when nobody scripted one: the most cautious choice it offers.
cPrompts::eAnswer CancelAnswer(cPrompts::eButtons buttons) {
    switch (buttons) {
    case cPrompts::eButtons::OK: return cPrompts::eAnswer::OK;
    case cPrompts::eButtons::YesNo: return cPrompts::eAnswer::No;
    default: return cPrompts::eAnswer::Cancel;
    }
}

} // namespace

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
    QString text = QInputDialog::getText(owner, BoxTitle(title), LabelLines(prompt), QLineEdit::Normal, defaultText, &ok);
    if (!ok) return std::nullopt;
    return text;
}

// ---- scripted answers

void cScriptedPrompts::SetFailureHandler(std::function<void(const QString&)> handler) {
    FailureHandler() = std::move(handler);
}

QString cScriptedPrompts::KindName(eKind kind) {
    switch (kind) {
    case eKind::OpenFile: return "open dialog";
    case eKind::SaveFile: return "save dialog";
    case eKind::Folder: return "folder dialog";
    case eKind::Colour: return "colour dialog";
    case eKind::Message: return "message box";
    case eKind::Input: return "input box";
    }
    return "prompt";
}

cScriptedPrompts::~cScriptedPrompts() {
    if (!answers_.empty() && FailureHandler()) {
        FailureHandler()(QStringLiteral("%1 scripted answer(s) never asked for; the first is for a %2")
                             .arg(answers_.size())
                             .arg(KindName(answers_.front().kind)));
    }
}

cScriptedPrompts& cScriptedPrompts::AnswerOpen(QStringList files, int filterIndex, bool readOnly) {
    cFileAnswer a{true, std::move(files), filterIndex, readOnly};
    answers_.push_back({eKind::OpenFile, a});
    return *this;
}

cScriptedPrompts& cScriptedPrompts::AnswerSave(const QString& file, int filterIndex) {
    cFileAnswer a{true, QStringList{file}, filterIndex, false};
    answers_.push_back({eKind::SaveFile, a});
    return *this;
}

cScriptedPrompts& cScriptedPrompts::CancelFile(eKind kind) {
    if (kind != eKind::OpenFile && kind != eKind::SaveFile) throw std::invalid_argument("CancelFile: not a file dialog");
    answers_.push_back({kind, cFileAnswer{}});
    return *this;
}

cScriptedPrompts& cScriptedPrompts::AnswerFolder(std::optional<QString> folder) {
    answers_.push_back({eKind::Folder, std::move(folder)});
    return *this;
}

cScriptedPrompts& cScriptedPrompts::AnswerColour(std::optional<QColor> colour) {
    answers_.push_back({eKind::Colour, colour});
    return *this;
}

cScriptedPrompts& cScriptedPrompts::AnswerMessage(eAnswer answer) {
    answers_.push_back({eKind::Message, answer});
    return *this;
}

cScriptedPrompts& cScriptedPrompts::AnswerInput(std::optional<QString> text) {
    answers_.push_back({eKind::Input, std::move(text)});
    return *this;
}

const cScriptedPrompts::cAsked& cScriptedPrompts::LastAsked() const {
    if (asked_.empty()) throw std::logic_error("cScriptedPrompts: nothing was asked");
    return asked_.back();
}

void cScriptedPrompts::Reset() {
    answers_.clear();
    asked_.clear();
}

cScriptedPrompts::cAsked cScriptedPrompts::Ask(eKind kind, const QString& text, const QString& title) {
    cAsked asked;
    asked.kind = kind;
    asked.text = text;
    asked.title = title;
    return asked;
}

std::optional<cScriptedPrompts::cAnswer> cScriptedPrompts::Next(eKind kind, const cAsked& asked) {
    asked_.push_back(asked);
    QString what = KindName(kind);
    if (!asked.text.isEmpty()) what += QStringLiteral(" \"%1\"").arg(asked.text);
    else if (!asked.title.isEmpty()) what += QStringLiteral(" titled \"%1\"").arg(asked.title);
    if (answers_.empty()) {
        FailureHandler()(QStringLiteral("unscripted %1").arg(what));
        return std::nullopt;
    }
    if (answers_.front().kind != kind) {
        FailureHandler()(QStringLiteral("%1 asked, but the next scripted answer is for a %2")
                             .arg(what, KindName(answers_.front().kind)));
        return std::nullopt;
    }
    cAnswer a = std::move(answers_.front());
    answers_.pop_front();
    return a;
}

cPrompts::cFileAnswer cScriptedPrompts::OpenFile(QWidget*, const cFileRequest& request) {
    cAsked asked = Ask(eKind::OpenFile, {}, request.title);
    asked.file = request;
    auto a = Next(eKind::OpenFile, asked);
    if (!a) return cFileAnswer{false, {}, 0, request.readOnly};
    return std::get<cFileAnswer>(a->value);
}

cPrompts::cFileAnswer cScriptedPrompts::SaveFile(QWidget*, const cFileRequest& request) {
    cAsked asked = Ask(eKind::SaveFile, {}, request.title);
    asked.file = request;
    auto a = Next(eKind::SaveFile, asked);
    if (!a) return cFileAnswer{};
    return std::get<cFileAnswer>(a->value);
}

std::optional<QString> cScriptedPrompts::Folder(QWidget*, const QString& title, const QString& initialDir) {
    cAsked asked = Ask(eKind::Folder, {}, title);
    asked.initial = initialDir;
    auto a = Next(eKind::Folder, asked);
    if (!a) return std::nullopt;
    return std::get<std::optional<QString>>(a->value);
}

std::optional<QColor> cScriptedPrompts::Colour(QWidget*, const QColor& initial) {
    cAsked asked = Ask(eKind::Colour, {}, {});
    asked.colour = initial;
    auto a = Next(eKind::Colour, asked);
    if (!a) return std::nullopt;
    return std::get<std::optional<QColor>>(a->value);
}

cPrompts::eAnswer cScriptedPrompts::Message(QWidget*, const QString& text, eButtons buttons, eIcon icon,
                                            const QString& title) {
    cAsked asked = Ask(eKind::Message, text, title);
    asked.buttons = buttons;
    asked.icon = icon;
    auto a = Next(eKind::Message, asked);
    if (!a) return CancelAnswer(buttons);
    return std::get<eAnswer>(a->value);
}

std::optional<QString> cScriptedPrompts::Input(QWidget*, const QString& prompt, const QString& title,
                                               const QString& defaultText) {
    cAsked asked = Ask(eKind::Input, prompt, title);
    asked.initial = defaultText;
    auto a = Next(eKind::Input, asked);
    if (!a) return std::nullopt;
    return std::get<std::optional<QString>>(a->value);
}
