// A real genealogy program reads the export: Gramps imports the GEDCOM file
// from the command line, reports any problem it finds, and writes its own XML,
// from which the people, families and links are checked. And the way back:
// Gramps' own sample file, imported into cards, exports to a file Gramps reads.
#include "format/cardstore.h"
#include "gedcomfixtures.h"
#include "programs.h"

#include <QDir>
#include <QMap>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <algorithm>

using namespace kinfolio;
using namespace kinfolio::testing;

namespace {

struct GrampsPerson
{
    QString name; // first names and surname
    QString childOf;
};

struct GrampsFamily
{
    QString father;
    QString mother;
    QStringList children;
};

struct GrampsTree
{
    QMap<QString, GrampsPerson> people; // by handle
    QMap<QString, GrampsFamily> families;
    QStringList places;
    QStringList notes;

    QString handleOf(const QString &name) const
    {
        QString found;
        for (auto it = people.begin(); it != people.end(); ++it) {
            if (it->name == name) {
                if (!found.isEmpty())
                    return QStringLiteral("<more than one %1>").arg(name);
                found = it.key();
            }
        }
        return found;
    }
    GrampsFamily parentsOf(const QString &name) const
    {
        return families.value(people.value(handleOf(name)).childOf);
    }
    QString nameOf(const QString &handle) const
    {
        return people.contains(handle) ? people.value(handle).name : QStringLiteral("<nobody>");
    }
};

GrampsTree readGrampsXml(const QString &xml)
{
    GrampsTree tree;
    QXmlStreamReader r(xml);
    QString person, family, first, surname;
    while (!r.atEnd()) {
        r.readNext();
        const auto hlink = [&r] { return r.attributes().value("hlink").toString(); };
        if (r.isStartElement()) {
            const QStringView n = r.name();
            if (n == u"person") {
                person = r.attributes().value("handle").toString();
                first.clear();
                surname.clear();
            } else if (n == u"family") {
                family = r.attributes().value("handle").toString();
                tree.families[family];
            } else if (n == u"first" && !person.isEmpty()) {
                first = r.readElementText();
            } else if (n == u"surname" && !person.isEmpty()) {
                surname = r.readElementText();
            } else if (n == u"childof" && !person.isEmpty()) {
                tree.people[person].childOf = hlink();
            } else if (n == u"father" && !family.isEmpty()) {
                tree.families[family].father = hlink();
            } else if (n == u"mother" && !family.isEmpty()) {
                tree.families[family].mother = hlink();
            } else if (n == u"childref" && !family.isEmpty()) {
                tree.families[family].children << hlink();
            } else if (n == u"ptitle") {
                tree.places << r.readElementText();
            } else if (n == u"text") {
                tree.notes << r.readElementText();
            }
        } else if (r.isEndElement()) {
            if (r.name() == u"person") {
                tree.people[person].name = (first + u' ' + surname).trimmed();
                person.clear();
            } else if (r.name() == u"family") {
                family.clear();
            }
        }
    }
    if (r.hasError())
        qWarning("Gramps XML: %s", qPrintable(r.errorString()));
    return tree;
}

// Imports `ged` with Gramps, which must report no errors, and reads its XML.
bool importWithGramps(const QString &gramps, const QString &ged, const QTemporaryDir &dir, GrampsTree &tree,
                      QString &log)
{
    // Gramps runs without a display; its family tree database and settings go
    // into the test's folder, never into the user's.
    RunSettings settings;
    QProcessEnvironment &env = settings.environment;
    const QString home = dir.filePath("home"), out = dir.filePath("family.gramps");
    QDir().mkpath(home);
    env.insert("HOME", home);
    env.insert("GRAMPSHOME", home);
    env.insert("XDG_CONFIG_HOME", home + "/config");
    env.insert("XDG_DATA_HOME", home + "/data");
    env.insert("XDG_CACHE_HOME", home + "/cache");
    env.insert("LANG", "C.UTF-8");
    env.insert("LC_ALL", "C.UTF-8");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    settings.timeoutMs = 240000;
    const ProgramRun imported = runProgram(gramps, {"-y", "-i", ged, "-e", out}, settings);
    log = imported.out + imported.err;
    if (imported.exitCode != 0 || !log.contains("GEDCOM import report: No errors detected"))
        return false;

    // The .gramps file is gzip-compressed XML.
    const ProgramRun xml = runProgram("gzip", {"-dc", out});
    tree = readGrampsXml(xml.out);
    return xml.exitCode == 0;
}

// The exit code of kinfolio-gedcom run with `arguments`.
int gedcomExport(const QStringList &arguments)
{
    return runProgram(QStringLiteral(KINFOLIO_GEDCOM_PROGRAM), arguments).exitCode;
}

} // namespace

class TestGedcomGramps : public QObject
{
    Q_OBJECT
private slots:
    void grampsImportsTheSampleFamilyWithoutErrors();
    void grampsSampleComesBackThroughTheCardsWithHostileOnes();
};

void TestGedcomGramps::grampsImportsTheSampleFamilyWithoutErrors()
{
    const QString gramps = QStandardPaths::findExecutable("gramps");
    if (gramps.isEmpty())
        QSKIP("gramps is not installed (Debian package gramps); the import into a real genealogy program "
              "was not checked");

    // The sample family, and a couple of names beyond ASCII and beyond the
    // card file's code page.
    std::vector<CardFields> family = sampleFamily();
    family.push_back(makeCard({{CardField::Name, QStringLiteral("\u0141ukasz Wr\u00f3bel")},
                               {CardField::WifeName, QStringLiteral("\u00c5sa Lindqvist")}}));
    QTemporaryDir dir;
    const QString cards = dir.filePath("Kinfolio.dat"), ged = dir.filePath("family.ged");
    writeCardFile(cards, family);
    QCOMPARE(gedcomExport({cards, ged}), 0);

    GrampsTree tree;
    QString log;
    QVERIFY2(importWithGramps(gramps, ged, dir, tree, log), qPrintable(log));

    QCOMPARE(tree.people.size(), sampleFamilyIndividuals + 2);
    QCOMPARE(tree.families.size(), sampleFamilyFamilies + 1);

    // Four generations upwards from Arthur, each person once.
    QCOMPARE(tree.nameOf(tree.parentsOf("Arthur Ashworth").mother), "Elsa Dahlberg");
    QCOMPARE(tree.nameOf(tree.parentsOf("Elsa Dahlberg").father), "Henrik Dahlberg");
    QCOMPARE(tree.nameOf(tree.parentsOf("Edward Ashworth").father), "Thomas Ashworth");
    QCOMPARE(tree.nameOf(tree.parentsOf("Edward Ashworth").mother), "Sarah Whitfield");
    QCOMPARE(tree.nameOf(tree.parentsOf("Thomas Ashworth").father), "Jonas Ashworth");
    QCOMPARE(tree.nameOf(tree.parentsOf("Thomas Ashworth").mother), "Ellen Pryce");
    QCOMPARE(tree.nameOf(tree.parentsOf("Jonas Ashworth").father), "William Ashworth");
    QCOMPARE(tree.nameOf(tree.parentsOf("Ellen Pryce").mother), "Ann Lloyd");
    QCOMPARE(tree.parentsOf("Thomas Ashworth").children,
             QStringList({tree.handleOf("Thomas Ashworth"), tree.handleOf("Margaret Ashworth")}));
    QVERIFY(tree.parentsOf("Martha Crabtree").children.isEmpty()); // no parents on her card

    QVERIFY(!tree.handleOf(QStringLiteral("\u0141ukasz Wr\u00f3bel")).isEmpty());
    QVERIFY(!tree.handleOf(QStringLiteral("\u00c5sa Lindqvist")).isEmpty());
    QVERIFY(tree.places.contains(QStringLiteral("V\u00e4xj\u00f6, Sweden")));
}

void TestGedcomGramps::grampsSampleComesBackThroughTheCardsWithHostileOnes()
{
    const QString gramps = QStandardPaths::findExecutable("gramps");
    const QString sample = QStringLiteral("/usr/share/doc/gramps/example/gedcom/sample.ged");
    if (gramps.isEmpty() || !QFile::exists(sample))
        QSKIP("gramps is not installed (Debian package gramps); its sample was not imported and exported again");

    QTemporaryDir dir;
    const QString cards = dir.filePath("Kinfolio.dat"), ged = dir.filePath("family.ged");
    QCOMPARE(gedcomExport({"--import", sample, cards}), 0);
    CardStore store(cards); // as the card program loads it
    QVERIFY(store.loadCardFile());
    QCOMPARE(store.cardCount(), 28);
    for (const CardFields &card : hostileCards())
        store.appendCard(card);
    QVERIFY(store.saveCardFile());
    QCOMPARE(gedcomExport({cards, ged}), 0);

    GrampsTree tree;
    QString log;
    QVERIFY2(importWithGramps(gramps, ged, dir, tree, log), qPrintable(log));
    QCOMPARE(tree.nameOf(tree.parentsOf("Lloyd Smith").mother), "Lillie Harriet Jones");
    QCOMPARE(tree.nameOf(tree.parentsOf("Magnes Smith").father), "Martin Smith");
    QVERIFY(tree.places.contains(QStringLiteral("L\u00f6derup, Malm\u00f6hus L\u00e4n, Sweden")));
    QVERIFY(tree.notes.contains("@ at @@ sign") && tree.notes.contains("@N1@"));
    // The spaces of a note that could only be split beside them are kept;
    // Gramps keeps the invisible word joiners beside them as well.
    const QString spaced = hostileCards()[2][CardField::Notes];
    QVERIFY(std::any_of(tree.notes.begin(), tree.notes.end(),
                        [&spaced](QString note) { return note.remove(QChar(0x2060)) == spaced; }));
}

QTEST_GUILESS_MAIN(TestGedcomGramps)
#include "test_gedcomgramps.moc"
