#include "cardstore.h"
#include "frmkinfolio.h"
#include "frmsplash.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QStyleFactory>

using namespace kinfolio;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(QFont(QStringLiteral("Liberation Sans"), 8));

    // The data files live beside the program file.
    const QString programDirectory = QCoreApplication::applicationDirPath();
    CardStore store(QDir(programDirectory).filePath(QStringLiteral("Kinfolio.dat")));

    auto *splash = new frmsplash([&store, &programDirectory]() -> QWidget * {
        auto *cardWindow = new frmKinfolio(store, programDirectory);
        // exit(), not quit(): quit() first asks every window to close, and the
        // card window refuses every close but its own.
        QObject::connect(cardWindow, &frmKinfolio::programEndRequested, qApp, [] { QCoreApplication::exit(0); });
        return cardWindow;
    });
    splash->show();
    return app.exec();
}
