// The options dialog: what it loads, what OK, Apply and Cancel write, and its two choosers.

#include <QtTest>

#include <QLabel>
#include <QPushButton>

#include "doubles/cScriptedPrompts.h"
#include "app/mMainSettings.h"
#include "mUiTest.h"
#include "base/mProgram.h"
#include "support/cRegistry.h"
#include "support/mOptions.h"
#include "support/mSettings.h"
#include "support/ui/FOptions.h"
#include "platform/ui/cPrompts.h"
#include "support/ui/mColours.h"

namespace {

std::string StoredBackColor() { return mSettings::GetSetting("Pictrix v2", "Settings", "Backcolor", "<none>"); }

bool EditorPathStored() {
    cRegistry reg;
    reg.ClassKey(cRegistry::kHKeyLocalMachine);
    reg.SectionKey("SOFTWARE\\Maltrow Software\\PX2\\Settings");
    reg.ValueKey("Editor Path");
    reg.Default(std::string("<none>"));
    return cRegistry::TextOf(reg.Value()) != "<none>";
}

void ForgetEditorPath() {
    cRegistry reg;
    reg.ClassKey(cRegistry::kHKeyLocalMachine);
    reg.SectionKey("SOFTWARE\\Maltrow Software\\PX2\\Settings");
    reg.ValueKey("Editor Path");
    if (EditorPathStored()) reg.DeleteValue();
}

} // namespace

class tOptionsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        ForgetEditorPath();
        mSettings::DeleteSetting("Pictrix v2", "Settings");
    }

    void LoadShowsTheStoredValues() {
        mOptions::SetEditorPath("/opt/editor/edit");
        mOptions::WriteBackColor(0x00204080);
        FOptions dlg;
        QCOMPARE(dlg.windowTitle(), QString("Options"));
        QCOMPARE(dlg.lblIconEditor->text(), QString("Icon &Editor"));
        QCOMPARE(dlg.lblIconBackcolor->text(), QString("&Icon Backcolor"));
        QCOMPARE(dlg.lblEditorPath->text(), QString("/opt/editor/edit"));
        QCOMPARE(dlg.pic->Value(), 0x00204080);
        QCOMPARE(dlg.pic->palette().color(QPalette::Window), QColor(0x80, 0x40, 0x20));
        QVERIFY(!dlg.cmdOK->isEnabled());
        QVERIFY(!dlg.cmdApply->isEnabled());
    }

    void MissingColourShowsTheFirstStartColour() {
        mOptions::SetEditorPath("/opt/editor/edit");
        FOptions dlg;
        QCOMPARE(dlg.pic->Value(), mOptions::kDefaultBackColor);
    }

    void CancelAfterANewColourWritesNothing() {
        mOptions::WriteBackColor(mOptions::kDefaultBackColor);
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        prompts.AnswerColour(QColor(10, 20, 30));
        int applied = 0;
        {
            FOptions dlg(nullptr, [&](std::int32_t) { ++applied; });
            dlg.cmdColor->click();
            QCOMPARE(dlg.pic->Value(), mColours::ValueOf(QColor(10, 20, 30)));
            QVERIFY(dlg.cmdOK->isEnabled());
            dlg.cmdCancel->click();
            QCOMPARE(dlg.result(), int(QDialog::Rejected));
        }
        QCOMPARE(applied, 0);
        QCOMPARE(StoredBackColor(), std::string("-2147483644"));
        QVERIFY(!EditorPathStored());
        FOptions again;
        QCOMPARE(again.pic->Value(), mOptions::kDefaultBackColor);
    }

    // The editor's path is written back as it was stored, even where the label cannot show it.
    void OkWritesBothValuesAndAppliesTheColour_data() {
        QTest::addColumn<QByteArray>("editor");
        QTest::newRow("a path") << QByteArray("/opt/editor/edit");
        QTest::newRow("a path that is not UTF-8") << QByteArray("/opt/caf\xe9/edit");
    }
    void OkWritesBothValuesAndAppliesTheColour() {
        QFETCH(QByteArray, editor);
        mOptions::SetEditorPath(editor.toStdString());
        mOptions::WriteBackColor(mOptions::kDefaultBackColor);
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        prompts.AnswerColour(QColor(255, 0, 0));
        std::vector<std::int32_t> applied;
        FOptions dlg(nullptr, [&](std::int32_t c) { applied.push_back(c); });
        dlg.cmdColor->click();
        dlg.cmdOK->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(StoredBackColor(), std::string("255"));
        QCOMPARE(mOptions::EditorPath(), editor.toStdString());
        QCOMPARE(applied, std::vector<std::int32_t>{255});
    }

    void OkKeepsASystemColourAReference() {
        // Only the path changes; the colour goes back as the reference it was, not as its RGB.
        mOptions::WriteBackColor(mOptions::kDefaultBackColor);
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        prompts.AnswerOpen({"/usr/bin/true"});
        FOptions dlg;
        dlg.cmdBrowse->click();
        QCOMPARE(prompts.LastAsked().owner.data(), &dlg);
        dlg.cmdOK->click();
        QCOMPARE(mOptions::EditorPath(), std::string("/usr/bin/true"));
        QCOMPARE(StoredBackColor(), std::string("-2147483644"));
    }

    void ApplyWritesAndStaysOpen() {
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        prompts.AnswerColour(QColor(0, 0, 255));
        std::vector<std::int32_t> applied;
        FOptions dlg(nullptr, [&](std::int32_t c) { applied.push_back(c); });
        dlg.show();
        dlg.cmdColor->click();
        dlg.cmdApply->click();
        QVERIFY(dlg.isVisible());
        QCOMPARE(StoredBackColor(), std::string("16711680"));
        QVERIFY(EditorPathStored());
        QCOMPARE(applied, std::vector<std::int32_t>{0xFF0000});
        QVERIFY(dlg.cmdApply->isEnabled()); // applying does not disable it again
        dlg.close();
    }

    void CancelledColourDialogChangesNothing() {
        mOptions::WriteBackColor(0x123456);
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        prompts.AnswerColour(std::nullopt);
        FOptions dlg;
        dlg.cmdColor->click();
        QCOMPARE(dlg.pic->Value(), 0x123456);
        QCOMPARE(prompts.LastAsked().colour, QColor(0x56, 0x34, 0x12));
        QVERIFY(!dlg.cmdOK->isEnabled());
        QVERIFY(!dlg.cmdApply->isEnabled());
        QCOMPARE(prompts.Asked().size(), std::size_t(1)); // no message
    }

    void EveryButtonHasAnAccessKeyOfItsOwn() {
        FOptions dlg;
        QStringList keys;
        for (const QPushButton* button : dlg.findChildren<QPushButton*>()) {
            const QKeySequence key = QKeySequence::mnemonic(button->text());
            QVERIFY2(!key.isEmpty(), qPrintable(button->text()));
            QVERIFY2(!keys.contains(key.toString()), qPrintable(button->text() + " repeats " + key.toString()));
            keys << key.toString();
        }
        QCOMPARE(keys.size(), 6);
    }

    void TheEditorPathCanBeCleared() {
        mOptions::SetEditorPath("/opt/editor/edit");
        FOptions dlg;
        dlg.cmdClear->click();
        QCOMPARE(dlg.lblEditorPath->text(), QString());
        QVERIFY(dlg.cmdOK->isEnabled() && dlg.cmdApply->isEnabled());
        dlg.cmdOK->click();
        QCOMPARE(mOptions::EditorPath(), std::string());
    }

    void BrowseAsksForAProgramInTheProgramFolder() {
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        prompts.AnswerOpen({"/opt/other/edit"});
        prompts.CancelFile(cScriptedPrompts::eKind::OpenFile);
        FOptions dlg;
        dlg.cmdBrowse->click();
        const auto& asked = prompts.LastAsked().file;
        QCOMPARE(asked.initialDir, QString::fromStdString(mProgram::ProgramDir()));
        // Programs here have no extension: the dialog starts on all files.
        QCOMPARE(asked.filterIndex, 2);
        QCOMPARE(asked.filters.size(), std::size_t(2));
        QCOMPARE(asked.filters[0].description, QString("Executable Files"));
        QCOMPARE(asked.filters[0].pattern, QString("*.exe"));
        QCOMPARE(asked.filters[1].pattern, QString("*.*"));
        QVERIFY(!asked.multiSelect);
        QCOMPARE(dlg.lblEditorPath->text(), QString("/opt/other/edit"));
        QVERIFY(dlg.cmdOK->isEnabled() && dlg.cmdApply->isEnabled());

        // A cancelled second browse leaves the first choice.
        dlg.cmdBrowse->click();
        QCOMPARE(dlg.lblEditorPath->text(), QString("/opt/other/edit"));
    }

    void ConfirmingNoFileNameChangesNothing() {
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        prompts.AnswerOpen({""});
        FOptions dlg;
        dlg.cmdBrowse->click();
        QCOMPARE(dlg.lblEditorPath->text(), QString());
        QVERIFY(!dlg.cmdOK->isEnabled());
    }

    void TheToolTipRepeatsThePath() {
        mOptions::SetEditorPath("/a/rather/long/path/to/an/icon/editor/that/does/not/fit/the/label");
        FOptions dlg;
        dlg.show();
        QTest::mouseMove(dlg.lblEditorPath);
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(dlg.lblEditorPath, &move);
        QCOMPARE(dlg.lblEditorPath->toolTip(), dlg.lblEditorPath->text());
        dlg.close();
    }
};

PICTRIX_UI_TEST(tOptionsTest)
#include "options_test.moc"
