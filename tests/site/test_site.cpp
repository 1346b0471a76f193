// The family web site: the sounds-like codes against their published
// examples, the living rule, and the program as a user runs it: what it
// refuses, and that a site is replaced whole or not at all.
#include "cardfiles.h"
#include "programs.h"
#include "sitemodel.h"
#include "soundslike.h"

#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QTest>

using namespace kinfolio;
using namespace kinfolio::testing;

namespace {

ProgramRun site(const QStringList &arguments, long fileSizeLimit = 0)
{
    RunSettings settings;
    settings.fileSizeLimit = fileSizeLimit;
    return runProgram(QStringLiteral(KINFOLIO_SITE_PROGRAM), arguments, settings);
}

// Every file under a folder with its bytes, to tell that nothing changed.
QMap<QString, QByteArray> contents(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), readBytes(path));
    }
    return files;
}

} // namespace

class TestSite : public QObject
{
    Q_OBJECT
private slots:
    void soundsLikeCodes_data();
    void soundsLikeCodes();
    void livingRule_data();
    void livingRule();
    void livingModes_data();
    void livingModes();
    void everyScriptReadsRight();
    void refusesAndLeavesAlone_data();
    void refusesAndLeavesAlone();
    void replacesItsOwnSiteWhole();
    void fullDiskKeepsTheEarlierSite();
};

void TestSite::soundsLikeCodes_data()
{
    QTest::addColumn<QString>("name");
    // Each empty where no example is published; the codes sorted.
    QTest::addColumn<QString>("soundex");
    QTest::addColumn<QString>("daitchMokotoff");
    // American Soundex: the National Archives' examples and the issue's pair.
    QTest::newRow("Robert") << "Robert" << "R163" << "";
    QTest::newRow("Rupert") << "Rupert" << "R163" << "";
    QTest::newRow("Rubin") << "Rubin" << "R150" << "";
    QTest::newRow("Ashcraft: h parts nothing") << "Ashcraft" << "A261" << "";
    QTest::newRow("Tymczak: vowels part") << "Tymczak" << "T522" << "";
    QTest::newRow("Pfister: first letter's digit") << "Pfister" << "P236" << "";
    QTest::newRow("Honeyman") << "Honeyman" << "H555" << "";
    QTest::newRow("Lee: padded") << "Lee" << "L000" << "";
    QTest::newRow("Gutierrez") << "Gutierrez" << "G362" << "";
    QTest::newRow("Garner") << "Garner" << "G656" << "";
    QTest::newRow("Garnor") << "Garnor" << "G656" << "";
    QTest::newRow("Jackson") << "Jackson" << "J250" << "145460 154600 445460 454600";
    // Daitch–Mokotoff: the examples its authors published, and the issue's pair.
    QTest::newRow("Auerbach") << "AUERBACH" << "" << "097400 097500";
    QTest::newRow("Ohrbach") << "OHRBACH" << "" << "097400 097500";
    QTest::newRow("Lipshitz") << "LIPSHITZ" << "" << "874400";
    QTest::newRow("Lewinsky") << "LEWINSKY" << "" << "876450";
    QTest::newRow("Levinski") << "LEVINSKI" << "" << "876450";
    QTest::newRow("Szlamawicz") << "SZLAMAWICZ" << "" << "486740";
    QTest::newRow("Shlamovitz") << "SHLAMOVITZ" << "" << "486740";
    QTest::newRow("Peters") << "Peters" << "" << "734000 739400";
    QTest::newRow("Moskowitz") << "Moskowitz" << "" << "645740";
    QTest::newRow("Schwarz") << "Schwarz" << "" << "474000 479400";
    QTest::newRow("Szwarc") << "Szwarc" << "" << "479400 479500";
    // Folding first: case, accents and the letters that hold their mark.
    QTest::newRow("Łukasiewicz") << "ŁUKASIEWICZ" << "L222" << "";
    QTest::newRow("Hebrew: no code") << "כהן" << "" << "";
}

void TestSite::soundsLikeCodes()
{
    QFETCH(QString, name);
    QFETCH(QString, soundex);
    QFETCH(QString, daitchMokotoff);
    const QStringList words = SoundsLike::foldedWords(name);
    QCOMPARE(words.size(), 1);
    if (!soundex.isEmpty() || daitchMokotoff.isEmpty())
        QCOMPARE(SoundsLike::soundex(words.front()), soundex);
    if (!daitchMokotoff.isEmpty()) {
        QStringList codes = SoundsLike::daitchMokotoff(words.front());
        codes.sort();
        QCOMPARE(codes.join(u' '), daitchMokotoff);
    }
}

void TestSite::livingRule_data()
{
    QTest::addColumn<QString>("born");
    QTest::addColumn<QString>("died");
    QTest::addColumn<QString>("married");
    QTest::addColumn<bool>("living");
    QTest::newRow("born 99 years ago") << "3 MAR 1927" << "" << "" << true;
    QTest::newRow("born 100 years ago") << "1926" << "" << "1950" << false;
    QTest::newRow("born recently, died") << "1950" << "2001" << "" << false;
    QTest::newRow("about a recent year") << "abt. 1960" << "" << "" << true;
    QTest::newRow("no dates, married recently") << "" << "" << "1990" << true;
    QTest::newRow("no dates, married long ago") << "" << "" << "1890" << false;
    QTest::newRow("no dates at all") << "" << "" << "" << false;
    QTest::newRow("birth without a year") << "in the war" << "" << "1990" << false;
}

void TestSite::livingRule()
{
    QFETCH(QString, born);
    QFETCH(QString, died);
    QFETCH(QString, married);
    QFETCH(bool, living);
    const CardFields card = makeCard({{CardField::Name, "Anna Nowak"},
                                      {CardField::WifeBornDate, born},
                                      {CardField::WifeDiedDate, died},
                                      {CardField::MarriedDate, married}});
    QCOMPARE(Site::isLiving(card, Spouse::Wife, 2026), living);
}

void TestSite::livingModes_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("birthShown");
    QTest::addColumn<bool>("parentsShown");
    QTest::addColumn<bool>("markedLiving");
    QTest::newRow("hide") << "hide" << false << true << false;
    QTest::newRow("names") << "names" << false << false << true;
    QTest::newRow("show") << "show" << true << true << false;
}

void TestSite::livingModes()
{
    QFETCH(QString, mode);
    QFETCH(bool, birthShown);
    QFETCH(bool, parentsShown);
    QFETCH(bool, markedLiving);
    QTemporaryDir scratch;
    const QDir dir(scratch.path());
    const int recent = QDate::currentDate().year() - 30;
    writeCardFile(dir.filePath("Kinfolio.dat"),
                  std::vector<CardFields>{makeCard({{CardField::Name, "Piotr Nowak"},
                                                    {CardField::BornDate, QString::number(recent)},
                                                    {CardField::BornPlace, "Gdańsk"},
                                                    {CardField::Father, "Jan Nowak"},
                                                    {CardField::Notes, "Private notes"}})});
    QCOMPARE(site({dir.filePath("Kinfolio.dat"), dir.filePath("site"), "--living", mode}).exitCode, 0);
    const QString page = QString::fromUtf8(readBytes(dir.filePath("site/cards/1.html")));
    const QString index = QString::fromUtf8(readBytes(dir.filePath("site/assets/search-index.js")));
    QVERIFY(page.contains("Piotr Nowak"));
    QCOMPARE(page.contains(QString::number(recent)) || index.contains(QString::number(recent)), birthShown);
    QCOMPARE(page.contains("Gdańsk") || page.contains("Private notes"), birthShown);
    QCOMPARE(page.contains("Jan Nowak"), parentsShown);
    QCOMPARE(page.contains(">Living<") && index.contains("\"Living\""), markedLiving);
    QCOMPARE(site({dir.filePath("Kinfolio.dat"), dir.filePath("site"), "--living", "all"}).exitCode, 2);
}

void TestSite::everyScriptReadsRight()
{
    // A Hebrew husband and a Polish wife as the card file keeps them
    // (character references), and an accent typed apart from its letter.
    QTemporaryDir scratch;
    const QDir dir(scratch.path());
    writeBytes(dir.filePath("Kinfolio.dat"),
               cardFileBytes(std::vector<CardFields>{makeCard({{CardField::Name, "Cohen"},
                                                                {CardField::WifeName, "Anna"},
                                                                {CardField::Notes, "ReneXe"}})})
                   .replace("Cohen", "&#1499;&#1492;&#1503; %2")
                   .replace("Anna", "&#321;ucja Wi&#347;niewska")
                   .replace("ReneXe", "Rene&#769;e"));
    QCOMPARE(site({dir.filePath("Kinfolio.dat"), dir.filePath("site"), "--title", "100%2 <Ours>"}).exitCode, 0);
    const QString page = QString::fromUtf8(readBytes(dir.filePath("site/cards/1.html")));
    QVERIFY(page.contains("<html lang=\"en\">") && page.contains("<meta charset=\"utf-8\">"));
    QVERIFY2(page.contains(QString::fromUtf8("<h1><bdi>כהן %2</bdi> and <bdi>Łucja Wiśniewska</bdi></h1>")),
             qPrintable(page));
    QVERIFY(page.contains(QString::fromUtf8("<p dir=\"auto\">Renée</p>")));
    QVERIFY(!page.contains("&amp;#"));
    const QString index = QString::fromUtf8(readBytes(dir.filePath("site/index.html")));
    QVERIFY(index.contains(QString::fromUtf8("<bdi>Wiśniewska</bdi>")));
    QVERIFY(index.contains("<h1>100%2 &lt;Ours&gt;</h1>"));
}

void TestSite::refusesAndLeavesAlone_data()
{
    QTest::addColumn<QString>("folder"); // under the scratch folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("the card file") << "Kinfolio.dat" << 1 << "is the card file itself";
    QTest::newRow("another file") << "notes.txt" << 1 << "is a file, not a folder";
    QTest::newRow("a folder of other files") << "photos" << 1 << "did not write";
    QTest::newRow("a site folder holding the card file") << "." << 1 << "holds the card file";
    QTest::newRow("in a missing folder") << "missing/site" << 1 << "does not exist";
    QTest::newRow("no folder named") << "" << 2 << "expected a card file and a folder";
}

void TestSite::refusesAndLeavesAlone()
{
    QFETCH(QString, folder);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QTemporaryDir scratch;
    const QDir dir(scratch.path());
    writeCardFile(dir.filePath("Kinfolio.dat"), sampleFamily("tree"));
    writeBytes(dir.filePath("notes.txt"), "keep me");
    QVERIFY(dir.mkdir("photos"));
    writeBytes(dir.filePath("photos/1.jpg"), "a photo");
    writeBytes(dir.filePath(".kinfolio-site"), "a site was written here once");
    const auto before = contents(scratch.path());

    QStringList arguments{dir.filePath("Kinfolio.dat")};
    if (!folder.isEmpty())
        arguments << dir.filePath(folder);
    const ProgramRun run = site(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
    QCOMPARE(contents(scratch.path()), before);
    QCOMPARE(dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 4);
}

void TestSite::replacesItsOwnSiteWhole()
{
    QTemporaryDir scratch;
    const QDir dir(scratch.path());
    writeCardFile(dir.filePath("Kinfolio.dat"), sampleFamily("tree"));
    QVERIFY(dir.mkdir("site")); // empty: taken
    ProgramRun run = site({dir.filePath("Kinfolio.dat"), dir.filePath("site")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains("7 cards"), qPrintable(run.out));
    QVERIFY(QFileInfo(dir.filePath("site/.kinfolio-site")).isFile());
    QVERIFY(QFileInfo(dir.filePath("site/cards/7.html")).isFile());

    // Again, with fewer cards and a file added by hand: the whole folder is
    // the new site. The work a killed run left behind goes too.
    writeBytes(dir.filePath("site/added.html"), "added by hand");
    QVERIFY(dir.mkpath(".site.new-2147483646-1/cards"));
    auto fewer = sampleFamily("tree");
    fewer.resize(3);
    writeCardFile(dir.filePath("Kinfolio.dat"), fewer);
    run = site({dir.filePath("Kinfolio.dat"), dir.filePath("site")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(!QFileInfo::exists(dir.filePath("site/added.html")));
    QVERIFY(!QFileInfo::exists(dir.filePath("site/cards/4.html")));
    QVERIFY(QFileInfo(dir.filePath("site/cards/3.html")).isFile());
    // Nothing of the work is left beside it.
    QCOMPARE(dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({"Kinfolio.dat", "site"}));
}

void TestSite::fullDiskKeepsTheEarlierSite()
{
    QTemporaryDir scratch;
    const QDir dir(scratch.path());
    writeCardFile(dir.filePath("Kinfolio.dat"), sampleFamily("tree"));
    QCOMPARE(site({dir.filePath("Kinfolio.dat"), dir.filePath("site")}).exitCode, 0);
    const auto before = contents(dir.filePath("site"));

    // Cards whose pages outgrow what the disk takes.
    auto cards = sampleFamily("tree");
    cards[0][CardField::Notes] = QString(200000, u'x');
    writeCardFile(dir.filePath("Kinfolio.dat"), cards);
    const ProgramRun run = site({dir.filePath("Kinfolio.dat"), dir.filePath("site")}, 100000);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("was left as it was"), qPrintable(run.err));
    QCOMPARE(contents(dir.filePath("site")), before);
    QCOMPARE(dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({"Kinfolio.dat", "site"}));
}

QTEST_GUILESS_MAIN(TestSite)
#include "test_site.moc"
