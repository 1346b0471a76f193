#pragma once

#include "programlook.h"

#include <QApplication>
#include <QTest>

// Like QTEST_MAIN, with the programs' own style and font, so geometry and
// screenshots match what users see.
#define KINFOLIO_TEST_MAIN(TestClass)                                                     \
    int main(int argc, char *argv[])                                                     \
    {                                                                                    \
        QApplication app(argc, argv);                                                    \
        kinfolio::applyProgramLook();                                                    \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                         \
        TestClass tc;                                                                    \
        QTEST_SET_MAIN_SOURCE_PATH                                                       \
        return QTest::qExec(&tc, argc, argv);                                            \
    }
