// The file dialogs over the prompts: the filter the user sees and the answer as the callers get it.

#include <QtTest>

#include "mUiTest.h"
#include "resources/mFileOpenSave.h"
#include "resources/ui/cPromptsFileDialog.h"
#include "platform/ui/cPrompts.h"

using namespace std::string_literals;

class tFileDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { cPromptsFileDialog::Install(); }

    void OpenShowsTheFiltersAndReturnsThePath() {
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        prompts.AnswerOpen({"/icons/app.ico"}, 2, true);
        std::string name, title, filter = "All Files (*.*)|*.*|Icon Files (*.ICO)|*.ICO";
        std::int32_t index = 1, extra = 0;
        bool readOnly = false;
        QVERIFY(mFileOpenSave::ShowOpenDialog(name, title, true, false, readOnly, true, filter, index, std::nullopt,
                                              "Pick one", std::nullopt, -1, extra));
        const auto& asked = prompts.LastAsked();
        QCOMPARE(asked.kind, cScriptedPrompts::eKind::OpenFile);
        QCOMPARE(asked.file.filters.size(), std::size_t(2));
        QCOMPARE(asked.file.filters[1].description, QString("Icon Files (*.ICO)"));
        QCOMPARE(asked.file.filters[1].pattern, QString("*.ICO"));
        QCOMPARE(asked.file.title, QString("Pick one"));
        QVERIFY(asked.file.fileMustExist);
        QVERIFY(!asked.file.multiSelect);
        QCOMPARE(name, "/icons/app.ico"s);
        QCOMPARE(title, "app.ico"s);
        QCOMPARE(index, 2);
        QCOMPARE(filter, "Icon Files (*.ICO)\0*.ICO"s);
        QVERIFY(readOnly);
    }

    void MultipleSelectionComesBackAsFolderAndNames() {
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        prompts.AnswerOpen({"/icons/a.ico", "/icons/b.ico"});
        std::string name, title, filter = "Icons|*.ico";
        std::int32_t index = 1, extra = 0;
        bool readOnly = false;
        QVERIFY(mFileOpenSave::ShowOpenDialog(name, title, false, true, readOnly, true, filter, index, std::nullopt,
                                              std::nullopt, std::nullopt, -1, extra));
        QCOMPARE(name, "/icons\0a.ico\0b.ico"s);
        QCOMPARE(title, ""s);
    }

    void CancelledSaveGivesIndexZero() {
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        prompts.CancelFile(cScriptedPrompts::eKind::SaveFile);
        std::string name = "old", title, filter = "Icon Files (*.ico)|*.ico";
        std::int32_t index = 1, extra = 0;
        QVERIFY(!mFileOpenSave::ShowSaveDialog(name, title, true, filter, index, std::nullopt, std::nullopt, "ico", -1,
                                               extra));
        QCOMPARE(index, 0);
        QCOMPARE(name, ""s);
        QVERIFY(prompts.LastAsked().file.overwritePrompt);
        QCOMPARE(prompts.LastAsked().file.defaultExtension, QString("ico"));
    }
};

PICTRIX_UI_TEST(tFileDialogsTest)
#include "file_dialogs_test.moc"
