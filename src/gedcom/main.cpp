// kinfolio-gedcom CARDFILE GEDCOMFILE: exports a card file to GEDCOM 5.5.1.
#include "gedcomexport.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {

enum ExitCode { Exported = 0, Failed = 1, Misused = 2 };

void printError(const QString &message)
{
    std::fprintf(stderr, "kinfolio-gedcom: %s\n", qUtf8Printable(message));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kinfolio-gedcom"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KINFOLIO_GEDCOM_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes the family group cards of a Kinfolio card file (Kinfolio.dat) to a\n"
        "GEDCOM 5.5.1 file (lineage-linked, UTF-8) that other genealogy programs\n"
        "can import.\n"
        "\n"
        "Each card becomes a family of the husband and the wife, with their births,\n"
        "deaths, marriage and notes. The husband's and the wife's parents become\n"
        "individuals in a parents' family; when their two names are exactly the\n"
        "husband's and the wife's names of another card, the child is linked to\n"
        "that card's family instead. Dates in a form GEDCOM does not know are kept\n"
        "as date phrases in parentheses.\n"
        "\n"
        "The card file is only read. The GEDCOM file is replaced whole or not at\n"
        "all. Exit status: 0 when exported, 1 on an error (missing, unreadable or\n"
        "damaged card file, output that cannot be written), 2 on wrong arguments."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("CARDFILE"), QStringLiteral("The card file to read, e.g. Kinfolio.dat."));
    parser.addPositionalArgument(QStringLiteral("GEDCOMFILE"), QStringLiteral("The GEDCOM file to write, e.g. family.ged."));

    if (!parser.parse(QCoreApplication::arguments())) {
        printError(parser.errorText() + QStringLiteral("\nTry 'kinfolio-gedcom --help'."));
        return Misused;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(Exported);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

    const QStringList files = parser.positionalArguments();
    if (files.size() != 2) {
        printError(QStringLiteral("expected a card file and a GEDCOM file to write, e.g.\n"
                                  "  kinfolio-gedcom Kinfolio.dat family.ged\n"
                                  "Try 'kinfolio-gedcom --help'."));
        return Misused;
    }

    QString error;
    kinfolio::Gedcom::ExportCounts counts;
    if (!kinfolio::Gedcom::exportCardFile(files.at(0), files.at(1), &error, &counts)) {
        printError(error);
        return Failed;
    }
    for (const QString &warning : counts.warnings)
        printError(QStringLiteral("warning: ") + warning);
    std::printf("Wrote %s: %d individuals, %d families.\n", qUtf8Printable(files.at(1)), counts.individuals,
                counts.families);
    return Exported;
}
