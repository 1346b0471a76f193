#pragma once

#include <QApplication>
#include <QFont>
#include <QStyleFactory>
#include <QTest>

// Like QTEST_MAIN, with the programs' own style and font, so geometry and
// screenshots match what users see.
#define KINFOLIO_TEST_MAIN(TestClass)                                                     \
    int main(int argc, char *argv[])                                                     \
    {                                                                                    \
        QApplication app(argc, argv);                                                    \
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));         \
        QApplication::setFont(QFont(QStringLiteral("Liberation Sans"), 8));              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                         \
        TestClass tc;                                                                    \
        QTEST_SET_MAIN_SOURCE_PATH                                                       \
        return QTest::qExec(&tc, argc, argv);                                            \
    }
