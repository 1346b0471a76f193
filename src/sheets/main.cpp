// kinfolio-sheets CARDFILE PDFFILE [--card N] [--paper a4|letter]: prints the
// family group sheet and the pedigree chart of each card to a PDF file.
#include "sheetpainter.h"
#include "toolsupport/terminaltext.h"
#include "format/wording.h"

#include <QCommandLineParser>
#include <QGuiApplication>

using kinfolio::counted;
using kinfolio::Done;
using kinfolio::Failed;
using kinfolio::Misused;
using kinfolio::printError;

int main(int argc, char *argv[])
{
    // The pages are painted without a window, so no display is needed, nor
    // the desktop's runtime folder, whose absence Qt would report before the
    // tool's own messages.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static const QtMessageHandler qtHandler = qInstallMessageHandler(nullptr);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &text) {
        if (!(type == QtWarningMsg && text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR"))))
            qtHandler(type, context, text);
    });
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kinfolio-sheets"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KINFOLIO_SHEETS_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prints the family group cards of a Kinfolio card file (Kinfolio.dat) to a PDF\n"
        "file: for each card, in card order, a family group sheet and a pedigree chart.\n"
        "\n"
        "The sheet holds the husband and the wife with their births, deaths and\n"
        "parents, the marriage, the children and the notes in full. The children are\n"
        "the husbands and wives of the other cards whose father and mother are exactly\n"
        "this couple's names. The chart draws four generations: the couple, their\n"
        "parents, grandparents and great-grandparents, through the cards so linked;\n"
        "a parent without a card of their own ends the branch with the name the card\n"
        "gives.\n"
        "\n"
        "The card file is only read. The PDF file is replaced whole or not at all.\n"
        "Exit status: 0 when printed, 1 on an error (missing, unreadable, damaged or\n"
        "empty card file, no card N, output that cannot be written), 2 on wrong\n"
        "arguments."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("CARDFILE"), QStringLiteral("The card file to read, e.g. Kinfolio.dat."));
    parser.addPositionalArgument(QStringLiteral("PDFFILE"), QStringLiteral("The PDF file to write, e.g. family.pdf."));
    const QCommandLineOption cardOption(QStringLiteral("card"),
                                        QStringLiteral("Print card N alone (the first card is 1)."),
                                        QStringLiteral("N"));
    const QCommandLineOption paperOption(QStringLiteral("paper"),
                                         QStringLiteral("The paper size: a4 (the default) or letter."),
                                         QStringLiteral("SIZE"), QStringLiteral("a4"));
    const QCommandLineOption quietOption(QStringLiteral("quiet"), QStringLiteral("Show no progress while printing."));
    parser.addOption(cardOption);
    parser.addOption(paperOption);
    parser.addOption(quietOption);

    if (!kinfolio::parseArguments(parser))
        return Misused;

    const QStringList files = parser.positionalArguments();
    if (files.size() != 2) {
        kinfolio::printMisuse(QStringLiteral("expected a card file and a PDF file to write, e.g.\n"
                                             "  kinfolio-sheets Kinfolio.dat family.pdf"));
        return Misused;
    }

    kinfolio::Sheets::PrintOptions options;
    const QString paper = parser.value(paperOption).toLower();
    if (paper == QLatin1String("letter")) {
        options.paper = kinfolio::Sheets::Paper::Letter;
    } else if (paper != QLatin1String("a4")) {
        kinfolio::printMisuse(QStringLiteral("--paper must be a4 or letter, not '%1'").arg(parser.value(paperOption)));
        return Misused;
    }
    if (parser.isSet(cardOption)) {
        bool number = false;
        const int card = parser.value(cardOption).toInt(&number);
        if (!number || card < 1) {
            kinfolio::printMisuse(QStringLiteral("--card needs a card number, 1 or more, not '%1'")
                                      .arg(parser.value(cardOption)));
            return Misused;
        }
        options.card = card - 1;
    }

    kinfolio::ProgressLine progress(!parser.isSet(quietOption));
    options.progress = [&](kinfolio::Sheets::PrintOptions::Step step, int done, int total) {
        if (step == kinfolio::Sheets::PrintOptions::Step::Counting)
            progress.show(QStringLiteral("Laying out the sheets"), done, total);
        else
            progress.show(QStringLiteral("Writing %1: page %2 of %3").arg(files.at(1)).arg(done).arg(total));
    };
    const kinfolio::Result<kinfolio::Sheets::PrintCounts> printed =
        kinfolio::Sheets::printCardFile(files.at(0), files.at(1), options);
    progress.clear();
    if (!printed) {
        kinfolio::printCardFileError(printed.error(), files.at(0));
        return Failed;
    }
    const kinfolio::Sheets::PrintCounts &counts = *printed;
    for (const QString &note : counts.notes)
        printError(QStringLiteral("warning: ") + note);
    kinfolio::printLine(stdout, QStringLiteral("Wrote %1: %2 and %3, %4.")
                                    .arg(files.at(1),
                                         counted(counts.sheets, "family group sheet", "family group sheets"),
                                         counted(counts.charts, "pedigree chart", "pedigree charts"),
                                         counted(counts.pages, "page", "pages")));
    return Done;
}
