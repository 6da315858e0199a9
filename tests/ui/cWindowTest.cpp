#include "cWindowTest.h"

#include <QApplication>
#include <QtTest>

#include "app/ui/cErrorBox.h"
#include "mUiTest.h"
#include "search/ui/FRecurse.h"
#include "support/MError.h"

QString cWindowTest::CopyAs(const QString& fixture, const QString& relative) const {
    return mUiTest::CopyInto(temp_.path(), fixture, relative);
}

void cWindowTest::initTestCase() {
    QVERIFY(temp_.isValid());
    // Closing the last window must not post a quit: it would end the next modal loop of any
    // later test.
    QApplication::setQuitOnLastWindowClosed(false);
    cErrorBox::Install();
    MError::SetErrorLogPath(temp_.filePath("errlog.txt").toStdString());
}

void cWindowTest::cleanupTestCase() { QApplication::setQuitOnLastWindowClosed(true); }

void cWindowTest::init() {
    prompts_ = std::make_unique<cScriptedPrompts>();
    promptsScope_ = std::make_unique<cPrompts::cScope>(*prompts_);
    shell_ = std::make_unique<cRecordingShell>();
    shellScope_ = std::make_unique<cShell::cScope>(*shell_);
    SetUp();
}

void cWindowTest::cleanup() {
    TearDown();
    for (const QPointer<QWidget>& window : windows_) {
        if (!window) continue;
        if (auto* search = qobject_cast<FRecurse*>(window.data())) search->DataChanged(false);
        delete window.data();
    }
    windows_.clear();
    shellScope_.reset();
    shell_.reset();
    promptsScope_.reset();
    prompts_.reset();
}
