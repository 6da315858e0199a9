#include "doubles/cScriptedPrompts.h"

#include <stdexcept>

namespace {

std::function<void(const QString&)>& FailureHandler() {
    static std::function<void(const QString&)> handler = [](const QString& message) {
        qFatal("%s", qPrintable(message));
    };
    return handler;
}

} // namespace

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
    if (kind != eKind::OpenFile && kind != eKind::SaveFile)
        throw std::invalid_argument("CancelFile: not a file dialog");
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

cScriptedPrompts::cAsked cScriptedPrompts::Ask(eKind kind, QWidget* owner, const QString& text, const QString& title) {
    cAsked asked;
    asked.kind = kind;
    asked.owner = owner;
    asked.owned = owner != nullptr;
    asked.text = text;
    asked.title = title;
    return asked;
}

std::optional<cScriptedPrompts::cAnswer> cScriptedPrompts::Next(eKind kind, const cAsked& asked) {
    asked_.push_back(asked);
    QString what = KindName(kind);
    if (!asked.text.isEmpty())
        what += QStringLiteral(" \"%1\"").arg(asked.text);
    else if (!asked.title.isEmpty())
        what += QStringLiteral(" titled \"%1\"").arg(asked.title);
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

cPrompts::cFileAnswer cScriptedPrompts::OpenFile(QWidget* owner, const cFileRequest& request) {
    cAsked asked = Ask(eKind::OpenFile, owner, {}, request.title);
    asked.file = request;
    auto a = Next(eKind::OpenFile, asked);
    if (!a) return cFileAnswer{false, {}, 0, request.readOnly};
    return std::get<cFileAnswer>(a->value);
}

cPrompts::cFileAnswer cScriptedPrompts::SaveFile(QWidget* owner, const cFileRequest& request) {
    cAsked asked = Ask(eKind::SaveFile, owner, {}, request.title);
    asked.file = request;
    auto a = Next(eKind::SaveFile, asked);
    if (!a) return cFileAnswer{};
    return std::get<cFileAnswer>(a->value);
}

std::optional<QString> cScriptedPrompts::Folder(QWidget* owner, const QString& title, const QString& initialDir) {
    cAsked asked = Ask(eKind::Folder, owner, {}, title);
    asked.initial = initialDir;
    auto a = Next(eKind::Folder, asked);
    if (!a) return std::nullopt;
    return std::get<std::optional<QString>>(a->value);
}

std::optional<QColor> cScriptedPrompts::Colour(QWidget* owner, const QColor& initial) {
    cAsked asked = Ask(eKind::Colour, owner, {}, {});
    asked.colour = initial;
    auto a = Next(eKind::Colour, asked);
    if (!a) return std::nullopt;
    return std::get<std::optional<QColor>>(a->value);
}

cPrompts::eAnswer cScriptedPrompts::Message(QWidget* owner, const QString& text, eButtons buttons, eIcon icon,
                                            const QString& title) {
    cAsked asked = Ask(eKind::Message, owner, text, title);
    asked.buttons = buttons;
    asked.icon = icon;
    auto a = Next(eKind::Message, asked);
    if (!a) return CancelAnswer(buttons);
    return std::get<eAnswer>(a->value);
}

std::optional<QString> cScriptedPrompts::Input(QWidget* owner, const QString& prompt, const QString& title,
                                               const QString& defaultText) {
    cAsked asked = Ask(eKind::Input, owner, prompt, title);
    asked.initial = defaultText;
    auto a = Next(eKind::Input, asked);
    if (!a) return std::nullopt;
    return std::get<std::optional<QString>>(a->value);
}
