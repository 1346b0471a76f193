// kinfolio-site CARDFILE FOLDER [--title TEXT] [--living hide|names|show]:
// writes a family web site of the cards into a folder.
#include "sitewriter.h"
#include "format/wording.h"
#include "toolsupport/terminaltext.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>

using kinfolio::counted;
using kinfolio::Done;
using kinfolio::Failed;
using kinfolio::Misused;
using kinfolio::printError;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kinfolio-site"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KINFOLIO_SITE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes a family web site of the family group cards of a Kinfolio card file\n"
        "(Kinfolio.dat) into a folder: a page per card laid out like the family group\n"
        "sheet, with links to the parents' and the children's cards and a pedigree of\n"
        "four generations; the surnames A-Z; every person with their years; and a\n"
        "search box that finds names by their beginning, ignoring case and accents,\n"
        "and names that sound alike (American Soundex and Daitch-Mokotoff).\n"
        "\n"
        "The site opens by double-clicking FOLDER/index.html, without a server or a\n"
        "network, and works the same from any web host.\n"
        "\n"
        "The living (no death and born less than 100 years ago, or no dates and\n"
        "married less than 100 years ago) keep their names; their dates, places and\n"
        "notes are left out unless --living show is given.\n"
        "\n"
        "The card file is only read. FOLDER may be missing, empty, or a site this\n"
        "program wrote, which is replaced whole or not at all; any other folder is\n"
        "refused and left as it is.\n"
        "Exit status: 0 when written, 1 on an error (nothing written), 2 on wrong\n"
        "arguments."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("CARDFILE"), QStringLiteral("The card file to read, e.g. Kinfolio.dat."));
    parser.addPositionalArgument(QStringLiteral("FOLDER"), QStringLiteral("The folder to write the site into, e.g. family-site."));
    const QCommandLineOption titleOption(QStringLiteral("title"),
                                         QStringLiteral("The site's title (by default the card file's folder's name)."),
                                         QStringLiteral("TEXT"));
    const QCommandLineOption livingOption(QStringLiteral("living"),
                                          QStringLiteral("What the site shows of the living: hide (the default: the "
                                                         "name, no dates, places or notes), names (the name and "
                                                         "\"Living\") or show (everything)."),
                                          QStringLiteral("HOW"), QStringLiteral("hide"));
    const QCommandLineOption quietOption(QStringLiteral("quiet"), QStringLiteral("Show no progress on a terminal."));
    parser.addOption(titleOption);
    parser.addOption(livingOption);
    parser.addOption(quietOption);

    if (!kinfolio::parseArguments(parser))
        return Misused;

    const QStringList files = parser.positionalArguments();
    if (files.size() != 2) {
        kinfolio::printMisuse(QStringLiteral("expected a card file and a folder to write the site into, e.g.\n"
                                             "  kinfolio-site Kinfolio.dat family-site"));
        return Misused;
    }
    kinfolio::Site::SiteOptions options;
    options.title = parser.value(titleOption);
    const QString living = parser.value(livingOption).toLower();
    if (living == QLatin1String("names")) {
        options.living = kinfolio::Site::Living::Names;
    } else if (living == QLatin1String("show")) {
        options.living = kinfolio::Site::Living::Show;
    } else if (living != QLatin1String("hide")) {
        kinfolio::printMisuse(QStringLiteral("--living must be hide, names or show, not '%1'").arg(parser.value(livingOption)));
        return Misused;
    }

    kinfolio::ProgressLine progress(!parser.isSet(quietOption));
    const kinfolio::Result<kinfolio::Site::WriteCounts> written = kinfolio::Site::writeSite(
        files.at(0), files.at(1), options, QDate::currentDate().year(), [&](int done, int total) {
            progress.show(QStringLiteral("kinfolio-site: writing pages"), done, total);
        });
    progress.clear();
    if (!written) {
        kinfolio::printCardFileError(written.error(), files.at(0));
        return Failed;
    }
    const kinfolio::Site::WriteCounts &counts = *written;
    for (const QString &note : counts.notes)
        printError(QStringLiteral("warning: ") + note);
    kinfolio::printLine(stdout, QStringLiteral("Wrote %1: %2, %3, %4, %5; open %1/index.html.")
                                    .arg(files.at(1), counted(counts.cards, "card", "cards"),
                                         counted(counts.people, "person", "people"),
                                         counted(counts.surnames, "surname", "surnames"),
                                         counted(counts.pages, "file", "files")));
    return Done;
}
