#include "test_registry.h"

#include <QApplication>
#include <QtTest>
#include <memory>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    // Test data (the shipped lists) lie in the build folder beside the program.
    int failed = 0;
    for (auto &[name, make] : testreg::all()) {
        std::unique_ptr<QObject> t(make());
        failed += QTest::qExec(t.get(), argc, argv);
    }
    return failed == 0 ? 0 : 1;
}
