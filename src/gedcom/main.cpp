// kinfolio-gedcom CARDFILE GEDCOMFILE: exports a card file to GEDCOM 5.5.1.
// kinfolio-gedcom --import [--append] GEDCOMFILE CARDFILE: the way back in.
#include "format/filekind.h"
#include "gedcomexport.h"
#include "gedcomimport.h"
#include "files/safefile.h"
#include "format/wording.h"
#include "toolsupport/terminaltext.h"

#include <QFileInfo>

#include <QCommandLineParser>
#include <QCoreApplication>

using kinfolio::counted;
using kinfolio::Done;
using kinfolio::Failed;
using kinfolio::Misused;
using kinfolio::printError;

namespace {

// A file with many faults would bury the summary; the first few tell enough,
// and --warnings keeps them all.
void printWarnings(const QStringList &warnings, const QString &warningsFile)
{
    constexpr int shown = 20;
    for (qsizetype i = 0; i < warnings.size() && i < shown; ++i)
        printError(QStringLiteral("warning: ") + warnings.at(i));
    if (warnings.size() > shown && warningsFile.isEmpty())
        printError(QStringLiteral("warning: and %1 more warnings; --warnings FILE writes them all to FILE")
                       .arg(warnings.size() - shown));
    else if (warnings.size() > shown)
        printError(
            QStringLiteral("warning: and %1 more warnings, in %2").arg(warnings.size() - shown).arg(warningsFile));
}

// Why the warnings cannot go to `path`; none when they can. A
// file the tool reads or writes, or any card, GEDCOM or PDF file, is left as
// it is.
std::optional<QString> warningsFileRefusal(const QString &path, const QStringList &files)
{
    for (const QString &file : files) {
        if (kinfolio::isSameFile(path, file))
            return QStringLiteral("--warnings names %1, which the command reads or writes; name another file")
                .arg(path);
    }
    using kinfolio::FileKind;
    const FileKind kind = kinfolio::fileKind(path);
    const char *what = kind == FileKind::Cards    ? "card"
                       : kind == FileKind::Gedcom ? "GEDCOM"
                       : kind == FileKind::Pdf    ? "PDF"
                                                  : nullptr;
    if (!what)
        return std::nullopt;
    return QStringLiteral("%1 is a %2 file, so it is left as it is: name a new file for --warnings")
        .arg(path, QLatin1String(what));
}

bool writeWarnings(const QString &path, const QStringList &warnings)
{
    QString text;
    for (const QString &warning : warnings)
        text += kinfolio::escapeControls(warning) + u'\n';
    const kinfolio::Result<> written = kinfolio::writeFileSafely(path, text.toUtf8());
    if (!written)
        printError(QStringLiteral("the warnings could not be written to %1: %2").arg(path, written.error()));
    return written.ok();
}


QString byTag(const QMap<QString, int> &counts)
{
    QStringList parts;
    for (auto it = counts.begin(); it != counts.end(); ++it)
        parts << QStringLiteral("%1 %2").arg(it.key()).arg(it.value());
    return parts.join(QStringLiteral(", "));
}

void printImportSummary(const QString &gedcomFile, const QString &cardFile, const kinfolio::Gedcom::ImportCounts &c)
{
    const auto say = [](const QString &line) { kinfolio::printLine(stdout, line); };
    if (c.cardFile)
        say(QStringLiteral("Read %1: a card file of %2.").arg(gedcomFile, counted(c.familyCards, "card", "cards")));
    else
        say(QStringLiteral("Read %1 (%2): %3, %4.")
                .arg(gedcomFile, c.characterSet.isEmpty() ? QStringLiteral("no CHAR") : c.characterSet,
                     counted(c.people, "person", "people"), counted(c.families, "family", "families")));
    const int cards = c.familyCards + c.personCards;
    const QString after = c.cardsBefore > 0 ? QStringLiteral(" after its %1 (%2 in all)")
                                                  .arg(c.cardsBefore)
                                                  .arg(c.cardsBefore + cards)
                                            : QString();
    if (cards == 0)
        say(QStringLiteral("No cards written: the file holds nobody a card could show."));
    else if (c.cardFile)
        say(QStringLiteral("Wrote %1: %2%3.").arg(cardFile, counted(cards, "card", "cards"), after));
    else
        say(QStringLiteral("Wrote %1: %2%3: %4 for families, %5 for people in no family.")
                .arg(cardFile, counted(cards, "card", "cards"), after, QString::number(c.familyCards),
                     QString::number(c.personCards)));
    if (c.recoveredChanges > 0 && cards > 0)
        say(QStringLiteral("Its cards include %1 of a Kinfolio session that did not end through Exit, recovered "
                           "from its journal.")
                .arg(counted(c.recoveredChanges, "change", "changes")));
    if (c.parentsOnly == 1)
        say(QStringLiteral("1 family only names parents who are on other cards: it has no card of its own."));
    else if (c.parentsOnly > 1)
        say(QStringLiteral("%1 families only name parents who are on other cards: they have no cards of their own.")
                .arg(c.parentsOnly));
    if (!c.leftOut.isEmpty() || !c.recordsLeftOut.isEmpty()) {
        QStringList parts;
        if (!c.leftOut.isEmpty())
            parts << byTag(c.leftOut);
        if (!c.recordsLeftOut.isEmpty())
            parts << QStringLiteral("records: ") + byTag(c.recordsLeftOut);
        say(QStringLiteral("Not on the cards, by tag: %1.").arg(parts.join(QStringLiteral("; "))));
    }
    if (!c.noParents.isEmpty())
        say(QStringLiteral("Families that name no parents (their children's notes name their brothers and sisters): "
                           "%1.")
                .arg(c.noParents.join(QStringLiteral(", "))));
    if (!c.notOnCards.isEmpty())
        say(QStringLiteral("On no card, holding nothing a card shows: %1.")
                .arg(c.notOnCards.join(QStringLiteral(", "))));
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
        "deaths, marriage and notes (a card of one person and no marriage, that\n"
        "person alone). The husband's and the wife's parents become individuals in\n"
        "a parents' family, one for all the cards that name them; when their names\n"
        "are exactly the husband's and the wife's names of one other card, the\n"
        "child is linked to that card's family instead. Dates in a form GEDCOM does\n"
        "not know are kept as date phrases in parentheses.\n"
        "\n"
        "The export only reads the card file. The GEDCOM file is replaced whole or\n"
        "not at all.\n"
        "\n"
        "With --import, the other way: reads a GEDCOM 5.5 or 5.5.1 file (UTF-8,\n"
        "UNICODE, ASCII, ANSI, ANSEL, IBMPC and other sets by name) and writes a\n"
        "card for each family, and one for each person who is a spouse in no\n"
        "family, then says what the cards cannot hold. Lines that are odd (a level\n"
        "too deep, no GEDCOM line, no trailer) are read past with a warning that\n"
        "names them; --warnings FILE keeps every warning. A card file that holds\n"
        "cards is never overwritten: --append adds the imported cards after its\n"
        "own. Nothing is written while Kinfolio is open on the card file, or when\n"
        "anything is wrong. On a terminal, long work shows its progress.\n"
        "\n"
        "Exit status: 0 when done, 1 on an error (a missing, unreadable or damaged\n"
        "file, output that cannot be written; nothing is written), 2 on wrong\n"
        "arguments."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption importOption(QStringLiteral("import"),
                                          QStringLiteral("Import GEDCOMFILE into CARDFILE instead: "
                                                         "kinfolio-gedcom --import family.ged Kinfolio.dat"));
    const QCommandLineOption appendOption(QStringLiteral("append"),
                                          QStringLiteral("With --import: add the cards after those the card "
                                                         "file holds."));
    const QCommandLineOption warningsOption(QStringLiteral("warnings"),
                                            QStringLiteral("Write every warning to FILE, one a line, with the line of "
                                                           "the GEDCOM file it is about (the screen shows the first "
                                                           "20)."),
                                            QStringLiteral("FILE"));
    const QCommandLineOption quietOption(QStringLiteral("quiet"),
                                         QStringLiteral("Show no progress while a long export or import runs."));
    parser.addOption(importOption);
    parser.addOption(appendOption);
    parser.addOption(warningsOption);
    parser.addOption(quietOption);
    parser.addPositionalArgument(QStringLiteral("CARDFILE"),
                                 QStringLiteral("The card file, e.g. Kinfolio.dat: read by the export, written by "
                                                "--import."));
    parser.addPositionalArgument(QStringLiteral("GEDCOMFILE"),
                                 QStringLiteral("The GEDCOM file, e.g. family.ged: written by the export, read by "
                                                "--import, which names it first."));

    if (!kinfolio::parseArguments(parser))
        return Misused;

    const QStringList files = parser.positionalArguments();
    const bool importing = parser.isSet(importOption);
    if (parser.isSet(appendOption) && !importing) {
        kinfolio::printMisuse(QStringLiteral("--append goes with --import"));
        return Misused;
    }
    if (importing && files.size() != 2) {
        kinfolio::printMisuse(QStringLiteral("expected a GEDCOM file to read and a card file to write, e.g.\n"
                                             "  kinfolio-gedcom --import family.ged Kinfolio.dat"));
        return Misused;
    }
    const QString warningsFile = parser.value(warningsOption);
    if (!warningsFile.isEmpty() && files.size() == 2) {
        if (const std::optional<QString> refusal = warningsFileRefusal(warningsFile, files)) {
            printError(*refusal);
            return Failed;
        }
    }
    if (importing) {
        kinfolio::ProgressLine progress(!parser.isSet(quietOption));
        const QString name = QFileInfo(files.at(0)).fileName();
        const auto show = [&](kinfolio::Gedcom::ImportStep step, qint64 done, qint64 total) {
            const bool reading = step == kinfolio::Gedcom::ImportStep::Reading;
            progress.show((reading ? QStringLiteral("Reading %1") : QStringLiteral("Making cards of %1")).arg(name),
                          done, total);
        };
        const kinfolio::Result<kinfolio::Gedcom::ImportCounts> imported =
            kinfolio::Gedcom::importGedcomFile(files.at(0), files.at(1), parser.isSet(appendOption), show);
        progress.clear();
        if (!imported) {
            printError(imported.error());
            return Failed;
        }
        const kinfolio::Gedcom::ImportCounts &counts = *imported;
        printWarnings(counts.warnings, warningsFile);
        printImportSummary(files.at(0), files.at(1), counts);
        if (!warningsFile.isEmpty() && !writeWarnings(warningsFile, counts.warnings))
            return Failed;
        return Done;
    }
    if (files.size() != 2) {
        kinfolio::printMisuse(QStringLiteral("expected a card file and a GEDCOM file to write, e.g.\n"
                                             "  kinfolio-gedcom Kinfolio.dat family.ged"));
        return Misused;
    }

    kinfolio::ProgressLine progress(!parser.isSet(quietOption));
    const QString name = QFileInfo(files.at(1)).fileName();
    const kinfolio::Result<kinfolio::Gedcom::ExportCounts> exported = kinfolio::Gedcom::exportCardFile(
        files.at(0), files.at(1),
        [&](qint64 done, qint64 total) { progress.show(QStringLiteral("Writing %1").arg(name), done, total); });
    progress.clear();
    if (!exported) {
        kinfolio::printCardFileError(exported.error(), files.at(0));
        return Failed;
    }
    const kinfolio::Gedcom::ExportCounts &counts = *exported;
    printWarnings(counts.warnings, warningsFile);
    if (!warningsFile.isEmpty() && !writeWarnings(warningsFile, counts.warnings))
        return Failed;
    kinfolio::printLine(stdout, QStringLiteral("Wrote %1: %2 individuals, %3 families.")
                                    .arg(files.at(1), QString::number(counts.individuals),
                                         QString::number(counts.families)));
    return Done;
}
