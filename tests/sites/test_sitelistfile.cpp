#include "format/sitelistfile.h"
#include "cardfiles.h"
#include "testmain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kinfolio;
using namespace kinfolio::testing;

namespace {

// K entries as the program writes them.
QByteArray entriesBytes(int count)
{
    QByteArray bytes;
    for (int i = 1; i <= count; ++i)
        bytes += "\"http://site" + QByteArray::number(i) + ".example/\"\r\n";
    return bytes;
}

} // namespace

class TestSiteListFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(QStringLiteral("WebSites.dat")); }

private slots:
    void init()
    {
        QFile::remove(path());
    }

    void pathIsBesideTheProgram()
    {
        QCOMPARE(SiteListFile::in(m_dir.path()).path(), path());
    }

    void entriesFillSlotsAndWriteBackByteForByte_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("entries");
        QTest::newRow("empty file") << QByteArray() << 0;
        QTest::newRow("one") << entriesBytes(1) << 1;
        // Windows-1252: e acute is the single byte E9, an em dash 97.
        QTest::newRow("code page") << QByteArray("\"http://caf\xE9.example/\"\r\n\"a\x97, b\"\r\n\"\"\r\n") << 3;
        QTest::newRow("29") << entriesBytes(29) << 29;
        QTest::newRow("30") << entriesBytes(30) << 30;
    }
    void entriesFillSlotsAndWriteBackByteForByte()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, entries);
        writeBytes(path(), bytes);

        SiteListFile file(path());
        const QStringList texts = file.load();
        QCOMPARE(texts.size(), SiteListFile::SlotCount);
        QCOMPARE(file.entryCount(), entries);
        for (int k = entries; k < SiteListFile::SlotCount; ++k)
            QCOMPARE(texts.at(k), QStringLiteral("http://"));
        if (QByteArray(QTest::currentDataTag()) == "code page") {
            QCOMPARE(texts.at(0), QStringLiteral("http://caf\u00E9.example/"));
            QCOMPARE(texts.at(1), QStringLiteral("a\u2014, b"));
            QCOMPARE(texts.at(2), QString());
        }

        // Saving twice in a row, nothing changed: the same bytes as read.
        QVERIFY(file.save(texts));
        QCOMPARE(readBytes(path()), bytes);
        QVERIFY(file.save(texts));
        QCOMPARE(readBytes(path()), bytes);
    }

    void twoFreeSlotsAreTwentyTwoBytes()
    {
        writeBytes(path(), "\"http://\"\r\n\"http://\"\r\n");
        SiteListFile file(path());
        const QStringList texts = file.load();
        QCOMPARE(file.entryCount(), 2);
        QVERIFY(file.save(texts));
        QCOMPARE(readBytes(path()), QByteArray("\"http://\"\r\n\"http://\"\r\n"));
        QCOMPARE(readBytes(path()).size(), 22);
    }

    void clearedSlotIsTwoQuotesAndReadsBackEmpty()
    {
        writeBytes(path(), entriesBytes(3));
        SiteListFile file(path());
        QStringList texts = file.load();
        texts[1].clear();
        QVERIFY(file.save(texts));
        QCOMPARE(readBytes(path()),
                 QByteArray("\"http://site1.example/\"\r\n\"\"\r\n\"http://site3.example/\"\r\n"));

        SiteListFile again(path());
        const QStringList read = again.load();
        QCOMPARE(again.entryCount(), 3);
        QCOMPARE(read.at(1), QString());
        QCOMPARE(read.at(3), QStringLiteral("http://"));
    }

    void doubleQuoteBecomesPercent22AndEverySlotStays()
    {
        // A quote written bare would end its entry early, and a comma after
        // it would push every later slot down one.
        writeBytes(path(), "http://a.example/?a=\"x\",y\r\n\"http://site2.example/\"\r\n\"http://site3.example/\"\r\n");
        SiteListFile file(path());
        QStringList texts = file.load();
        QCOMPARE(texts.mid(0, 4), QStringList({"http://a.example/?a=%22x%22", "y", "http://site2.example/",
                                               "http://site3.example/"}));
        texts[0] = QStringLiteral("http://b.example/?a=\"x\",y");
        QVERIFY(file.save(texts));
        QVERIFY(readBytes(path()).startsWith("\"http://b.example/?a=%22x%22,y\"\r\n\"y\"\r\n\"http://site2.example/\"\r\n"));

        SiteListFile again(path());
        QCOMPARE(again.load().mid(0, 3), texts.mid(0, 3).replaceInStrings("\"", "%22"));
        QCOMPARE(again.entryCount(), 4);
    }

    void slotsTypedAfterTheLastEntryAreWritten()
    {
        writeBytes(path(), entriesBytes(2));
        SiteListFile file(path());
        QStringList texts = file.load();
        QCOMPARE(file.slotsToWrite(texts), 2);

        // Free slots between the entries and the typed one keep their places.
        texts[4] = QStringLiteral("http://typed.example/");
        QCOMPARE(file.slotsToWrite(texts), 5);
        QVERIFY(file.save(texts));
        QCOMPARE(readBytes(path()),
                 entriesBytes(2) + "\"http://\"\r\n\"http://\"\r\n\"http://typed.example/\"\r\n");
        QCOMPARE(file.entryCount(), 5);

        // Any text but the exact free text counts as typed, an empty slot too.
        texts[4] = QStringLiteral("http://");
        texts[29] = QString();
        QCOMPARE(file.slotsToWrite(texts), 30);
        texts[29] = QStringLiteral("http://");
        // A slot the file already holds is never dropped again.
        QCOMPARE(file.slotsToWrite(texts), 5);
    }

    void missingFileIsAnEmptyListThatSaveCreates()
    {
        SiteListFile file(path());
        QStringList texts = file.load();
        QCOMPARE(file.entryCount(), 0);
        QCOMPARE(texts, QStringList(30, QStringLiteral("http://")));

        QVERIFY(file.save(texts));
        QCOMPARE(readBytes(path()), QByteArray());

        texts[0] = QStringLiteral("http://first.example/");
        QVERIFY(file.save(texts));
        QCOMPARE(readBytes(path()), QByteArray("\"http://first.example/\"\r\n"));
    }

    void entriesPastThirtyAreKeptAfterSlotThirty()
    {
        writeBytes(path(), entriesBytes(33));
        SiteListFile file(path());
        QStringList texts = file.load();
        QCOMPARE(file.entryCount(), 33);
        QCOMPARE(texts.at(29), QStringLiteral("http://site30.example/"));
        QCOMPARE(file.entriesPastLastSlot(),
                 QStringList({QStringLiteral("http://site31.example/"), QStringLiteral("http://site32.example/"),
                              QStringLiteral("http://site33.example/")}));

        QVERIFY(file.save(texts));
        QCOMPARE(readBytes(path()), entriesBytes(33));

        texts[29] = QStringLiteral("http://changed.example/");
        QVERIFY(file.save(texts));
        QVERIFY(readBytes(path()).endsWith("\"http://changed.example/\"\r\n\"http://site31.example/\"\r\n"
                                           "\"http://site32.example/\"\r\n\"http://site33.example/\"\r\n"));
    }

    void failedWriteNamesFileAndReasonAndKeepsTheCount()
    {
        writeBytes(path(), entriesBytes(2));
        SiteListFile file(path());
        QStringList texts = file.load();
        texts[3] = QStringLiteral("http://typed.example/");

        // A directory in the file's place cannot be replaced by a file.
        QVERIFY(QFile::remove(path()));
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("WebSites.dat")));
        const Result<> saved = file.save(texts);
        QVERIFY(!saved);
        QVERIFY2(saved.error().contains(path()), qPrintable(saved.error()));
        QVERIFY2(saved.error().trimmed().size() > path().size() + 40, qPrintable(saved.error()));
        QCOMPARE(file.entryCount(), 2);

        QVERIFY(QDir(m_dir.path()).rmdir(QStringLiteral("WebSites.dat")));
        QVERIFY(file.save(texts));
        QCOMPARE(readBytes(path()), entriesBytes(2) + "\"http://\"\r\n\"http://typed.example/\"\r\n");
    }
};

KINFOLIO_TEST_MAIN(TestSiteListFile)
#include "test_sitelistfile.moc"
