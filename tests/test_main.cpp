#include "test_registry.h"

#ifdef TZC3_TEST_GUI
#include <QApplication>
#else
#include <QCoreApplication>
#endif
#include <QtTest>
#include <memory>

int main(int argc, char **argv) {
#ifdef TZC3_TEST_GUI
    QApplication app(argc, argv);
#else
    // Logic tests run as the command-line tool does: no display, no windows.
    QCoreApplication app(argc, argv);
#endif
    // Test data (the shipped lists) lie in the build folder beside the program.
    // TZC3_TEST_CLASS=Name runs one test class of the module (with the usual
    // Qt Test arguments, e.g. a function name).
    const QByteArray only = qgetenv("TZC3_TEST_CLASS");
    int failed = 0;
    for (auto &[name, make] : testreg::all()) {
        if (!only.isEmpty() && only != name) continue;
        std::unique_ptr<QObject> t(make());
        failed += QTest::qExec(t.get(), argc, argv);
    }
    return failed == 0 ? 0 : 1;
}
