#pragma once
// The registry of Qt Test classes of test_ui. A test file defines a QObject class with private
// slots as test functions and registers it once at namespace scope:
//
//     class tGridTest : public QObject { Q_OBJECT private slots: void Layout(); ... };
//     PICTRIX_UI_TEST(tGridTest)
//     #include "grid_test.moc"
//
// main_ui.cpp runs every registered class in name order. `test_ui -class tGridTest [qtest args]`
// runs only that class; the remaining arguments go to Qt Test as usual.

#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace mUiTest {

using tFactory = std::function<std::unique_ptr<QObject>()>;

// Class name -> factory; filled by static registration before main runs.
std::map<std::string, tFactory>& Registry();

struct cRegistrar {
    cRegistrar(const char* name, tFactory factory) { Registry().emplace(name, std::move(factory)); }
};

// Path of a fixture made at build time (below the build folder's fixtures/).
QString Fixture(const QString& relative);

// Copies a fixture (or any file) to `relative` below `dir`, making folders and replacing a file
// that is there; fails the program when the copy cannot be made. Answers the copy's path.
QString CopyInto(const QString& dir, const QString& fixture, const QString& relative);

} // namespace mUiTest

#define PICTRIX_UI_TEST(ClassName)                                                                                     \
    static const ::mUiTest::cRegistrar pictrixUiTestRegistrar_##ClassName(                                             \
        #ClassName, [] { return std::unique_ptr<QObject>(new ClassName()); });
