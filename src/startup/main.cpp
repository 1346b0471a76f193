#include "commands/cardeditor.h"
#include "commands/cardfolder.h"
#include "cardwindow.h"
#include "splashwindow.h"
#include "messagebox.h"
#include "programlook.h"
#include "sessionend.h"
#include "toolsupport/terminaltext.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>

using namespace kinfolio;

namespace {

// True when the command line asks only for text to print: the help or the version.
bool asksForText(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView argument(argv[i]);
        if (argument == "--folder")
            ++i;
        else if (argument == "-h" || argument == "--help" || argument == "--help-all" || argument == "-v"
                 || argument == "--version")
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    // Printing the help needs no display, and a terminal without one may ask.
    if (asksForText(argc, argv) && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    applyProgramLook();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Kinfolio keeps a family group card for each couple."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption folderOption(
        QStringLiteral("folder"),
        QStringLiteral("Keep the cards (Kinfolio.dat) and the site list (WebSites.dat) in DIR, which must exist. "
                       "Without it, in KINFOLIO_HOME when that is set, else beside the program."),
        QStringLiteral("DIR"));
    parser.addOption(folderOption);
    if (!parser.parse(QCoreApplication::arguments())) {
        printLine(stderr, QStringLiteral("Kinfolio: %1\nTry '%2 --help'.")
                              .arg(parser.errorText(), QCoreApplication::arguments().constFirst()));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    // Under the product's name: the program file is named test.ttt or Kinfolio.exe.
    if (parser.isSet(QStringLiteral("version"))) {
        printLine(stdout, QStringLiteral("Kinfolio " KINFOLIO_VERSION));
        return 0;
    }

    // The data files live beside the program file unless a folder is named.
    const Result<QString, CardMessage> folder = chooseCardFolder(
        parser.value(folderOption), qEnvironmentVariable("KINFOLIO_HOME"), QCoreApplication::applicationDirPath());
    if (!folder) {
        MessageBox::show(nullptr, folder.error());
        return 1;
    }
    const QString programDirectory = *folder;
    CardEditor editor(QDir(programDirectory).filePath(CardStore::fileName()));

    auto *splash = new SplashWindow([&editor, &programDirectory]() -> QWidget * {
        auto *cardWindow = new CardWindow(editor, programDirectory);
        if (cardWindow->openingEndedProgram()) {
            // The program ends once the splash, its only window, has gone.
            delete cardWindow;
            QCoreApplication::exit(0);
            return nullptr;
        }
        // exit(), not quit(): quit() first asks every window to close, and the
        // card window refuses every close but its own.
        QObject::connect(cardWindow, &CardWindow::programEndRequested, qApp, [] { QCoreApplication::exit(0); });
        return cardWindow;
    });
    saveWhenTheSessionEnds(app, editor);
    splash->show();
    return app.exec();
}
