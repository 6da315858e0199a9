#pragma once
// cApplication: the desktop program's application object. Every event reaches its handler through
// notify, so it is the top of every window's work: an exception that a handler did not trap (the
// handlers trap cError; memory can run out anywhere) is reported there (MError::ReportEscaped: as
// error 7 "Out of memory" for a lack of memory) instead of ending the program.

#include <QApplication>

class cApplication final : public QApplication {
public:
    cApplication(int& argc, char** argv) : QApplication(argc, argv) {}

    bool notify(QObject* receiver, QEvent* event) override;
};
