#pragma once
// cMainWindowTest: a window test class whose functions drive one main window. Window() makes it on
// first use (kept when it closes, so that a test can look at it after), Open answers the open
// dialog with a file as File > Open asks for it, PropertiesText shows the properties of the
// chosen row and answers what the dialog said, and ByKeys opens a dialog by the menus' keys. The
// window goes after each test function.

#include <QApplication>
#include <QMenu>
#include <QString>
#include <QTimer>
#include <QtTest>

#include <functional>
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

    // Alt and the menu's letter, then the item's letter, as a user opens a dialog; `inside` runs
    // once the dialog of type tDialog is up (closed by Cancel or OK afterwards if still open).
    template <class tDialog>
    void ByKeys(Qt::Key menu, Qt::Key letter, const std::function<void(tDialog&)>& inside) {
        bool seen = false;
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
            auto* dlg = qobject_cast<tDialog*>(QApplication::activeModalWidget());
            if (!dlg || seen) return;
            seen = true;
            poll.stop();
            inside(*dlg);
            if (dlg->isVisible()) dlg->reject();
        });
        poll.start();
        QTest::keyClick(&Window(), menu, Qt::AltModifier);
        QTRY_VERIFY_WITH_TIMEOUT(qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr, 5000);
        QTest::keyClick(QApplication::activePopupWidget(), letter);
        QTRY_VERIFY_WITH_TIMEOUT(seen, 5000);
    }

    void TearDown() override { w_.reset(); }
};
