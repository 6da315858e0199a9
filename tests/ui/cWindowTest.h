#pragma once
// cWindowTest: the set-up every test class that opens the program's windows shares. A class
// derives from it and registers itself as usual (PICTRIX_UI_TEST); its test functions then have
//   temp_     a temporary folder of the class; the error log is written to temp_/errlog.txt,
//   prompts_  the scripted prompts of the running test function, installed for it (an answer
//             left over or a question not scripted fails the function),
//   shell_    the recording shell of the running test function, installed for it,
// and the windows made with Track are deleted after the function, their changes dropped. For the
// whole class, closing the last window posts no quit and errors are shown through the prompts.
// A class adds its own steps in SetUp and TearDown (never in init or cleanup, which this owns).

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>
#include <vector>

#include "doubles/cRecordingShell.h"
#include "doubles/cScriptedPrompts.h"

class cWindowTest : public QObject {
    Q_OBJECT

protected:
    QTemporaryDir temp_;
    std::unique_ptr<cScriptedPrompts> prompts_;
    std::unique_ptr<cRecordingShell> shell_;

    // Before each test function, once its prompts and shell are installed; after it, before
    // they are removed.
    virtual void SetUp() {}
    virtual void TearDown() {}

    // `window`, deleted after the test function (a search window's changes are dropped first).
    template <class tWindow>
    tWindow& Track(tWindow* window) {
        windows_.emplace_back(window);
        return *window;
    }

    QString Path(const QString& name) const { return temp_.filePath(name); }
    // A copy of a fixture (or any file) under `relative` in temp_.
    QString CopyAs(const QString& fixture, const QString& relative) const;

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

private:
    std::unique_ptr<cPrompts::cScope> promptsScope_;
    std::unique_ptr<cShell::cScope> shellScope_;
    std::vector<QPointer<QWidget>> windows_;
};
