#pragma once
// cScriptedPrompts: the prompts of the tests. It answers from a queue filled by the test and
// records every question asked, with the window that asked it. A question with no scripted answer
// (or the next answer being for another kind of question) is reported through the failure
// handler (test_ui makes it fail the running test) and answered as a cancel.

#include <QPointer>
#include <QWidget>

#include <deque>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

#include "platform/ui/cPrompts.h"

class cScriptedPrompts final : public cPrompts {
public:
    enum class eKind { OpenFile, SaveFile, Folder, Colour, Message, Input };

    // One question as it was asked.
    struct cAsked {
        eKind kind = eKind::Message;
        QString text; // message or input prompt
        QString title; // message/input title; file dialog and folder title
        eButtons buttons = eButtons::OK;
        eIcon icon = eIcon::None;
        cFileRequest file; // open/save
        QString initial; // folder initial dir; input default text
        QColor colour; // colour initial
        QPointer<QWidget> owner; // the window that asked (null: none)
        bool owned = false; // an owner was given (it may be gone since)
    };

    ~cScriptedPrompts() override;

    // Queue answers, consumed in order.
    cScriptedPrompts& AnswerOpen(QStringList files, int filterIndex = 1, bool readOnly = false);
    cScriptedPrompts& AnswerSave(const QString& file, int filterIndex = 1);
    cScriptedPrompts& CancelFile(eKind kind); // OpenFile or SaveFile
    cScriptedPrompts& AnswerFolder(std::optional<QString> folder);
    cScriptedPrompts& AnswerColour(std::optional<QColor> colour);
    cScriptedPrompts& AnswerMessage(eAnswer answer);
    cScriptedPrompts& AnswerInput(std::optional<QString> text);

    const std::vector<cAsked>& Asked() const noexcept { return asked_; }
    const cAsked& LastAsked() const; // raises when nothing was asked
    std::size_t Pending() const noexcept { return answers_.size(); }
    void Reset();

    cFileAnswer OpenFile(QWidget* owner, const cFileRequest& request) override;
    cFileAnswer SaveFile(QWidget* owner, const cFileRequest& request) override;
    std::optional<QString> Folder(QWidget* owner, const QString& title, const QString& initialDir) override;
    std::optional<QColor> Colour(QWidget* owner, const QColor& initial) override;
    eAnswer Message(QWidget* owner, const QString& text, eButtons buttons, eIcon icon, const QString& title) override;
    std::optional<QString> Input(QWidget* owner, const QString& prompt, const QString& title,
                                 const QString& defaultText) override;

    // Called with a description whenever a question has no fitting scripted answer, and when the
    // object is destroyed with answers left over. The default aborts the program (qFatal);
    // test_ui installs one that fails the running test.
    static void SetFailureHandler(std::function<void(const QString&)> handler);

    static QString KindName(eKind kind);

private:
    struct cAnswer {
        eKind kind;
        std::variant<cFileAnswer, std::optional<QString>, std::optional<QColor>, eAnswer> value;
    };
    static cAsked Ask(eKind kind, QWidget* owner, const QString& text, const QString& title);
    // The next answer when it is of this kind; otherwise reports the failure and answers nothing.
    std::optional<cAnswer> Next(eKind kind, const cAsked& asked);

    std::deque<cAnswer> answers_;
    std::vector<cAsked> asked_;
};
