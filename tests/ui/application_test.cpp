// The application object as the top of every window's work: an exception that escapes an event
// handler is reported (out of memory as error 7) and the program goes on.

#include <QWidget>
#include <QtTest>

#include <new>

#include "app/ui/cApplication.h"
#include "mUiTest.h"
#include "support/MError.h"

namespace {

// A widget whose handler of one event raises what it is told to.
class cThrowingWidget : public QWidget {
public:
    std::function<void()> raise;

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User && raise) raise();
        return QWidget::event(e);
    }
};

class cRecordingView : public MError::cErrorView {
public:
    void ShowError(const std::string&, const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

} // namespace

class tApplicationTest : public QObject {
    Q_OBJECT

    QTemporaryDir temp_;

private slots:
    void initTestCase() {
        QVERIFY(temp_.isValid());
        QVERIFY(dynamic_cast<cApplication*>(QCoreApplication::instance()));
        MError::SetErrorLogPath(temp_.filePath("errlog.txt").toStdString());
    }
    void cleanupTestCase() { MError::SetErrorLogPath(""); }

    void EscapedExceptionsAreReportedAndTheProgramGoesOn_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("shown");
        QTest::newRow("out of memory") << 0 << QString("Error #7\rpictrix-test\rOut of memory");
        QTest::newRow("an error of the program") << 1 << QString("Error #91\rsome.cFileIcon\rNot set");
        QTest::newRow("any other exception") << 2 << QString("Error #5\rpictrix-test\rodd");
    }
    void EscapedExceptionsAreReportedAndTheProgramGoesOn() {
        QFETCH(int, kind);
        QFETCH(QString, shown);
        cRecordingView view;
        MError::SetErrorView(&view);
        cThrowingWidget widget;
        widget.raise = [kind] {
            if (kind == 0) throw std::bad_alloc();
            if (kind == 1) throw cError(cError::kObjectNotSet, "some.cFileIcon", "Not set");
            throw std::runtime_error("odd");
        };
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&widget, &event);
        MError::SetErrorView(nullptr);
        QCOMPARE(view.shown.size(), std::size_t{1});
        QString text = QString::fromStdString(view.shown[0]);
        text.replace(QString::fromStdString(mProgram::ExeBaseName()), "pictrix-test");
        QCOMPARE(text, shown);
        // The next event is delivered as usual.
        widget.raise = nullptr;
        QCoreApplication::sendEvent(&widget, &event);
        QCOMPARE(view.shown.size(), std::size_t{1});
    }
};

PICTRIX_UI_TEST(tApplicationTest)
#include "application_test.moc"
