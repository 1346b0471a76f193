// A real genealogy program reads the export: Gramps imports the GEDCOM file
// from the command line, reports any problem it finds, and writes its own XML,
// from which the people, families and links are checked.
#include "gedcomfixtures.h"

#include <QDir>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

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

GrampsTree readGrampsXml(const QByteArray &xml)
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

} // namespace

class TestGedcomGramps : public QObject
{
    Q_OBJECT
private slots:
    void grampsImportsThreeGenerationsWithoutErrors();
};

void TestGedcomGramps::grampsImportsThreeGenerationsWithoutErrors()
{
    const QString gramps = QStandardPaths::findExecutable("gramps");
    if (gramps.isEmpty())
        QSKIP("gramps is not installed (Debian package gramps); the import into a real genealogy program "
              "was not checked");

    QTemporaryDir dir;
    const QString cards = dir.filePath("Kinfolio.dat"), ged = dir.filePath("family.ged"),
                  out = dir.filePath("family.gramps");
    QVERIFY(writeCardFile(cards, threeGenerationCards()));
    QCOMPARE(QProcess::execute(QStringLiteral(KINFOLIO_GEDCOM_PROGRAM), {cards, ged}), 0);

    // Gramps runs without a display; its family tree database and settings go
    // into the test's folder, never into the user's.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString home = dir.filePath("home");
    QVERIFY(QDir().mkpath(home));
    env.insert("HOME", home);
    env.insert("GRAMPSHOME", home);
    env.insert("XDG_CONFIG_HOME", home + "/config");
    env.insert("XDG_DATA_HOME", home + "/data");
    env.insert("XDG_CACHE_HOME", home + "/cache");
    env.insert("LANG", "C.UTF-8");
    env.insert("LC_ALL", "C.UTF-8");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(gramps, {"-y", "-i", ged, "-e", out});
    p.closeWriteChannel();
    QVERIFY2(p.waitForFinished(240000), "gramps did not finish in time");
    const QString log = QString::fromUtf8(p.readAll());
    QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0, qPrintable(log));
    QVERIFY2(log.contains("GEDCOM import report: No errors detected"), qPrintable(log));

    // The .gramps file is gzip-compressed XML.
    QProcess gunzip;
    gunzip.start("gzip", {"-dc", out});
    QVERIFY(gunzip.waitForFinished(60000) && gunzip.exitCode() == 0);
    const GrampsTree tree = readGrampsXml(gunzip.readAllStandardOutput());

    QCOMPARE(tree.people.size(), threeGenerationIndividuals);
    QCOMPARE(tree.families.size(), threeGenerationFamilies);

    // Three generations upwards from Edward, each person once.
    QCOMPARE(tree.nameOf(tree.parentsOf("Edward Ashworth").father), "Thomas Ashworth");
    QCOMPARE(tree.nameOf(tree.parentsOf("Edward Ashworth").mother), "Sarah Whitfield");
    QCOMPARE(tree.nameOf(tree.parentsOf("Thomas Ashworth").father), "Jonas Ashworth");
    QCOMPARE(tree.nameOf(tree.parentsOf("Thomas Ashworth").mother), "Ellen Pryce");
    QCOMPARE(tree.nameOf(tree.parentsOf("Jonas Ashworth").father), "William Ashworth");
    QCOMPARE(tree.nameOf(tree.parentsOf("Ellen Pryce").mother), "Ann Lloyd");
    QCOMPARE(tree.parentsOf("Thomas Ashworth").children,
             QStringList({tree.handleOf("Thomas Ashworth"), tree.handleOf("Margaret Ashworth")}));
    QVERIFY(tree.parentsOf("Alice Moorhouse").children.isEmpty()); // no parents on her card

    QVERIFY(!tree.handleOf(QStringLiteral("\u00c5sa Lindqvist")).isEmpty());
    QVERIFY(tree.places.contains(QStringLiteral("V\u00e4xj\u00f6, Sweden")));
}

QTEST_GUILESS_MAIN(TestGedcomGramps)
#include "test_gedcomgramps.moc"
