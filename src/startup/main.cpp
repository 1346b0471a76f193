#include "commands/cardeditor.h"
#include "frmkinfolio.h"
#include "frmsplash.h"
#include "programlook.h"
#include "sessionend.h"

#include <QApplication>
#include <QDir>

using namespace kinfolio;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    applyProgramLook();

    // The data files live beside the program file.
    const QString programDirectory = QCoreApplication::applicationDirPath();
    CardEditor editor(QDir(programDirectory).filePath(QStringLiteral("Kinfolio.dat")));

    auto *splash = new frmsplash([&editor, &programDirectory]() -> QWidget * {
        auto *cardWindow = new frmKinfolio(editor, programDirectory);
        if (cardWindow->openingEndedProgram()) {
            // The program ends once the splash, its only window, has gone.
            delete cardWindow;
            QCoreApplication::exit(0);
            return nullptr;
        }
        // exit(), not quit(): quit() first asks every window to close, and the
        // card window refuses every close but its own.
        QObject::connect(cardWindow, &frmKinfolio::programEndRequested, qApp, [] { QCoreApplication::exit(0); });
        return cardWindow;
    });
    saveWhenTheSessionEnds(app, editor);
    splash->show();
    return app.exec();
}
