#pragma once
// cMainWindowTest: a window test class whose functions drive one main window. Window() makes it on
// first use (kept when it closes, so that a test can look at it after), Open answers the open
// dialog with a file as File > Open asks for it, and PropertiesText shows the properties of the
// chosen row and answers what the dialog said. The window goes after each test function.

#include <QApplication>
#include <QString>
#include <QTimer>

#include <memory>

#include "app/ui/FMain.h"
#include "app/ui/FProps.h"
#include "cWindowTest.h"

// No slots of its own, so no Q_OBJECT: the classes deriving from it are the ones QtTest runs.
class cMainWindowTest : public cWindowTest {
protected:
    std::unique_ptr<FMain> w_;

    FMain& Window() {
        if (!w_) {
            w_ = std::make_unique<FMain>();
            w_->setAttribute(Qt::WA_DeleteOnClose, false);
        }
        return *w_;
    }

    void Open(const QString& path) {
        prompts_->AnswerOpen({path});
        Window().mnuFile_Click(0);
    }

    QString PropertiesText() {
        QString text;
        QTimer::singleShot(0, [&text] {
            auto* props = qobject_cast<FProps*>(QApplication::activeModalWidget());
            if (!props) return;
            text = props->lblProperties->text();
            props->cmdOK->click();
        });
        Window().ShowProperties();
        return text;
    }

    void TearDown() override { w_.reset(); }
};
