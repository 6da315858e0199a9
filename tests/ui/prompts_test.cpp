// The scripted prompts: answers in order, every question recorded, a question without an answer
// reported as a failure and answered as a cancel.

#include <QtTest>

#include "doubles/cScriptedPrompts.h"
#include "mUiTest.h"
#include "platform/ui/cPrompts.h"

class tPromptsTest : public QObject {
    Q_OBJECT

private slots:
    void AnswersInOrderAndRecordsQuestions() {
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        prompts.AnswerMessage(cPrompts::eAnswer::Yes).AnswerOpen({"/tmp/a.ico", "/tmp/b.ico"}, 2).AnswerInput("typed");

        auto& p = cPrompts::Current();
        QCOMPARE(&p, static_cast<cPrompts*>(&prompts));
        QCOMPARE(
            p.Message(nullptr, "Configure it now?", cPrompts::eButtons::YesNo, cPrompts::eIcon::Question, "Pictrix v2"),
            cPrompts::eAnswer::Yes);
        cPrompts::cFileRequest request;
        request.title = "Open";
        request.filters = {{"Icon Files (*.ico)", "*.ico"}, {"All Files (*.*)", "*.*"}};
        auto files = p.OpenFile(nullptr, request);
        QVERIFY(files.confirmed);
        QCOMPARE(files.files, QStringList({"/tmp/a.ico", "/tmp/b.ico"}));
        QCOMPARE(files.filterIndex, 2);
        QCOMPARE(p.Input(nullptr, "Name:", "", "old"), std::optional<QString>("typed"));

        QCOMPARE(prompts.Asked().size(), std::size_t(3));
        const auto& box = prompts.Asked()[0];
        QCOMPARE(box.kind, cScriptedPrompts::eKind::Message);
        QCOMPARE(box.text, QString("Configure it now?"));
        QCOMPARE(box.buttons, cPrompts::eButtons::YesNo);
        QCOMPARE(box.icon, cPrompts::eIcon::Question);
        QCOMPARE(box.title, QString("Pictrix v2"));
        QCOMPARE(prompts.Asked()[1].file.filters.size(), std::size_t(2));
        QCOMPARE(prompts.LastAsked().initial, QString("old"));
        QCOMPARE(prompts.Pending(), std::size_t(0));
    }

    void ScopeRestoresThePrevious() {
        cPrompts* before = &cPrompts::Current();
        {
            cScriptedPrompts outer, inner;
            cPrompts::cScope a(outer);
            {
                cPrompts::cScope b(inner);
                QCOMPARE(&cPrompts::Current(), static_cast<cPrompts*>(&inner));
            }
            QCOMPARE(&cPrompts::Current(), static_cast<cPrompts*>(&outer));
        }
        QCOMPARE(&cPrompts::Current(), before);
    }

    // Without an answer, or with an answer of another kind, the failure handler hears of it and
    // the question is answered as cancelled.
    void UnscriptedQuestionsFailLoudly() {
        QStringList failures;
        cScriptedPrompts::SetFailureHandler([&](const QString& m) { failures << m; });
        {
            cScriptedPrompts prompts;
            QCOMPARE(prompts.Message(nullptr, "Data has changed. Save current list?", cPrompts::eButtons::YesNo,
                                     cPrompts::eIcon::Exclamation, "Pictrix v2"),
                     cPrompts::eAnswer::No);
            QCOMPARE(prompts.Message(nullptr, "x", cPrompts::eButtons::YesNoCancel, cPrompts::eIcon::None, ""),
                     cPrompts::eAnswer::Cancel);
            prompts.AnswerColour(QColor(Qt::red));
            QVERIFY(!prompts.OpenFile(nullptr, {}).confirmed);
            QCOMPARE(prompts.Colour(nullptr, Qt::white), std::optional<QColor>(QColor(Qt::red)));
            prompts.AnswerFolder("/tmp"); // left over: reported when the object goes
        }
        cScriptedPrompts::SetFailureHandler([](const QString& m) { QTest::qFail(qPrintable(m), __FILE__, __LINE__); });
        QCOMPARE(failures.size(), 4);
        QVERIFY(failures[0].contains("unscripted message box \"Data has changed. Save current list?\""));
        QVERIFY(failures[2].contains("open dialog asked, but the next scripted answer is for a colour dialog"));
        QVERIFY(failures[3].contains("never asked for"));
    }
};

PICTRIX_UI_TEST(tPromptsTest)
#include "prompts_test.moc"
