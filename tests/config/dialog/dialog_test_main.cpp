// tests_dialog NAME [QtTest options]: runs the QtTest class of
// tests/config/dialog/NAME.cpp.
#include "tests/config/dialog/dialog_test_support.h"

#include <QApplication>
#include <QTest>

#include <cstdio>
#include <map>
#include <string>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const auto& tests = skyloom::testing::DialogTests();
    const auto test = argc > 1 ? tests.find(argv[1]) : tests.end();
    if (test == tests.end()) {
        std::fprintf(stderr, "usage: %s NAME [QtTest options]; NAME one of:\n", argv[0]);
        for (const auto& entry : tests) {
            std::fprintf(stderr, "  %s\n", entry.first.c_str());
        }
        return 2;
    }
    QStringList arguments{QString::fromLocal8Bit(argv[0])};
    for (int index = 2; index < argc; ++index) {
        arguments << QString::fromLocal8Bit(argv[index]);
    }
    const std::unique_ptr<QObject> object = test->second();
    return QTest::qExec(object.get(), arguments);
}
