// The card file's bytes, the item reader shared with the site list file, and
// the one reader and writer of whole files.
#include "format/ansitext.h"
#include "cardfiles.h"
#include "format/cardstore.h"
#include "format/filekind.h"
#include "format/itemfile.h"
#include "files/safefile.h"

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <QScopeGuard>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>

using namespace kinfolio;
using namespace kinfolio::testing;

class TestCardFile : public QObject
{
    Q_OBJECT
private slots:
    void writesSeventeenQuotedLinesPerCard();
    void allEmptyCardRoundTrips();
    void notesKeepTheirLineBreaks();
    void everyByteOfTheCodePageRoundTrips();
    void readerItems_data();
    void readerItems();
    void readerFailsOnTextCutShort_data();
    void readerFailsOnTextCutShort();
    void quoteReadFromAFileIsStoredAsCurlyQuote();
    void everyLetterOfEveryScriptSurvivesTheFile_data();
    void everyLetterOfEveryScriptSurvivesTheFile();
    void atomicWriteFailsIntoMissingDirectoryAndLeavesNoFile();
    void writeTheDiskTakesOnlyInPartFailsAndKeepsTheOldFile();
    void onlyRegularFilesAreReadOrReplaced();
    void fileKinds_data();
    void fileKinds();
};

namespace {
// Reads card file bytes through the store and writes them back.
QByteArray roundTrip(const QByteArray &bytes, CardStore &store)
{
    if (!store.readCards(bytes))
        return "<not read whole>";
    return store.cardFileBytes();
}
} // namespace

void TestCardFile::writesSeventeenQuotedLinesPerCard()
{
    CardStore store;
    QVERIFY(store.appendCard(labelledCard("A")));
    const QByteArray bytes = store.cardFileBytes();
    QCOMPARE(bytes, cardBytes(labelledCard("A")));
    QCOMPARE(bytes.count("\"\r\n"), 17);
    // Field order: the husband's parents (8, 9) come after his death place (7).
    QVERIFY(bytes.indexOf("A-f7") < bytes.indexOf("A-f8"));
}

void TestCardFile::allEmptyCardRoundTrips()
{
    const QByteArray empty = QByteArray("\"\"\r\n").repeated(17);
    CardStore store;
    QVERIFY(store.appendCard(CardFields{}));
    QCOMPARE(store.cardFileBytes(), empty);
    QCOMPARE(roundTrip(empty, store), empty);
    QCOMPARE(store.fields(0), CardFields{});
}

void TestCardFile::notesKeepTheirLineBreaks()
{
    CardFields card = labelledCard("N");
    card[CardField::Notes] = QStringLiteral("first line\r\nsecond, with a comma");
    CardStore store;
    QVERIFY(store.appendCard(card));
    const QByteArray bytes = store.cardFileBytes();
    QVERIFY(bytes.endsWith("\"first line\r\nsecond, with a comma\"\r\n"));
    QCOMPARE(roundTrip(bytes, store), bytes);
    QCOMPARE(store.fields(0), card);
}

void TestCardFile::everyByteOfTheCodePageRoundTrips()
{
    // Bytes an earlier Windows version may have written, the five unassigned
    // ones (0x81, 0x8D, 0x8F, 0x90, 0x9D) included; only the quote and the
    // line-end bytes cannot stand inside an item.
    QByteArray field;
    for (int b = 1; b < 256; ++b) {
        if (b != '"' && b != '\r' && b != '\n')
            field.append(char(b));
    }
    QByteArray file;
    for (int i = 0; i < 17; ++i)
        file += '"' + field + "\"\r\n";

    CardStore store;
    QCOMPARE(roundTrip(file, store), file);
    const CardFields card = store.fields(0);
    QVERIFY(card[0].contains(QChar(0x20AC))); // 0x80 is the euro sign
    QCOMPARE(AnsiText::encode(card[0]), field);
    CardStore again;
    QVERIFY(again.appendCard(card));
    QCOMPARE(again.cardFileBytes(), file);
}

void TestCardFile::readerItems_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("quoted items, CR LF") << "\"a\"\r\n\"b c\"\r\n" << QStringList{"a", "b c"};
    QTest::newRow("leading spaces skipped") << "   \"a\"\r\n" << QStringList{"a"};
    QTest::newRow("quoted item holds a comma") << "\"a, b\"\r\n" << QStringList{"a, b"};
    QTest::newRow("comma-separated items") << "\"a\",\"b\",c\r\n" << QStringList{"a", "b", "c"};
    QTest::newRow("empty line is one empty item") << "\r\n\"b\"\r\n" << QStringList{"", "b"};
    QTest::newRow("unquoted item runs to the line end") << "http://x.org/a b\r\n" << QStringList{"http://x.org/a b"};
    QTest::newRow("lone LF and lone CR end lines") << "\"a\"\n\"b\"\r\"c\"" << QStringList{"a", "b", "c"};
    QTest::newRow("last item without line end") << "\"a\"" << QStringList{"a"};
    QTest::newRow("text after a closing quote is dropped")
        << "\"say \"hello\" now\"\r\n\"next\"\r\n" << QStringList{"say ", "next"};
}

void TestCardFile::readerItems()
{
    QFETCH(QString, text);
    QFETCH(QStringList, items);
    ItemReader reader(text.toLatin1());
    QStringList read;
    QByteArrayView item;
    while (!reader.atEnd()) {
        QVERIFY(reader.readItem(item));
        read << QString::fromLatin1(item);
    }
    QCOMPARE(read, items);
}

void TestCardFile::readerFailsOnTextCutShort_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("nothing but spaces") << "   ";
    QTest::newRow("quote never closed") << "\"abc\r\ndef";
    QTest::newRow("ten items of seventeen") << QString("\"x\"\r\n").repeated(10);
}

void TestCardFile::readerFailsOnTextCutShort()
{
    QFETCH(QString, text);
    CardStore store;
    QVERIFY(!store.readCards(text.toLatin1()));
    QCOMPARE(store.loadResult(), CardStore::LoadResult::CutShort);
}

void TestCardFile::quoteReadFromAFileIsStoredAsCurlyQuote()
{
    // An unquoted item may hold a double quote; written back bare between
    // quotes it would end the value early at the next load.
    const QByteArray handEdited = "John \"Jack\" Smith\r\n" + QByteArray("\"x\"\r\n").repeated(16);
    CardStore store;
    QVERIFY(store.readCards(handEdited));
    QCOMPARE(store.text(0, CardField::Name), QStringLiteral("John \u201dJack\u201d Smith"));
    const QByteArray written = store.cardFileBytes();
    QVERIFY(written.startsWith("\"John \x94Jack\x94 Smith\"\r\n"));
    QCOMPARE(roundTrip(written, store), written);

    // An appended value that keeps its quote (an import) keeps it as a
    // reference, and reads back with it.
    CardFields imported;
    imported[CardField::Notes] = QStringLiteral("the \"Old\" Farm");
    QVERIFY(store.appendCard(imported));
    QVERIFY(store.cardFileBytes().contains("\"the &#34;Old&#34; Farm\"\r\n"));
    QCOMPARE(roundTrip(store.cardFileBytes(), store), store.cardFileBytes());
    QCOMPARE(store.text(1, CardField::Notes), QStringLiteral("the \"Old\" Farm"));
}

void TestCardFile::everyLetterOfEveryScriptSurvivesTheFile_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("readBack");
    const QString same; // reads back as typed
    QTest::newRow("code page text keeps its bytes") << QStringLiteral("Jos\u00e9 \u20ac & Co\r\n\u0081")
                                                   << QByteArray("Jos\xe9 \x80 & Co\r\n\x81") << same;
    QTest::newRow("Polish") << QStringLiteral("\u0141\u00f3d\u017a") << QByteArray("&#321;\xf3" "d&#378;") << same;
    QTest::newRow("beyond 16 bits") << QString::fromUtf8("a\U0001F333b") << QByteArray("a&#127795;b") << same;
    QTest::newRow("accent typed apart is composed") << QStringLiteral("Rene\u0301") << QByteArray("Ren\xe9")
                                                   << QStringLiteral("Ren\u00e9");
    QTest::newRow("a typed reference stays text") << QStringLiteral("&#321; &#65; &#38;#321; &#34;")
                                                  << QByteArray("&#38;#321; &#65; &#38;#38;#321; &#38;#34;") << same;
    // As an earlier version kept it: "&#38;" before anything but a reference
    // to a letter the code page lacks is text.
    QTest::newRow("text an earlier version kept") << QStringLiteral("Smith &#38;#65; Co &#38;#1; &#38; &#034; &#0321;")
                                                  << QByteArray("Smith &#38;#65; Co &#38;#1; &#38; &#034; &#0321;") << same;
    QTest::newRow("half a surrogate pair") << QString(QChar(0xD800)) << QByteArray("&#65533;")
                                           << QStringLiteral("\ufffd");
    QTest::newRow("the quote rule holds beside it") << QStringLiteral("\u0416 \"Old\"") << QByteArray("&#1046; \x94Old\x94")
                                                    << QStringLiteral("\u0416 \u201dOld\u201d");
}

void TestCardFile::everyLetterOfEveryScriptSurvivesTheFile()
{
    QFETCH(QString, typed);
    QFETCH(QByteArray, stored);
    QFETCH(QString, readBack);
    CardFields card;
    card[CardField::Name] = AnsiText::makeStorable(typed);
    CardStore store;
    QVERIFY(store.appendCard(card));
    QByteArray expected = cardBytes(CardFields{});
    expected.insert(1, stored);
    QCOMPARE(store.cardFileBytes(), expected);
    CardStore again;
    QVERIFY(again.readCards(store.cardFileBytes()));
    QCOMPARE(again.text(0, CardField::Name), readBack.isNull() ? typed : readBack);
    QCOMPARE(again.cardFileBytes(), expected);
}

void TestCardFile::atomicWriteFailsIntoMissingDirectoryAndLeavesNoFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("missing/Kinfolio.dat");
    const Result<> written = writeFileSafely(path, "x");
    QVERIFY(!written);
    QVERIFY(!written.error().isEmpty());
    QVERIFY(!QFile::exists(path));
}

void TestCardFile::writeTheDiskTakesOnlyInPartFailsAndKeepsTheOldFile()
{
    // Room for a fifth of the file, as on a nearly full disk: the system
    // takes the first part and refuses the rest.
    QTemporaryDir dir;
    const QString path = dir.filePath("Kinfolio.dat");
    QVERIFY(writeFileSafely(path, "old cards"));
    SafeFileWriter streamed(path);
    Result<> written, committed;
    {
        rlimit limit{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &limit), 0);
        const rlimit unlimited = limit;
        limit.rlim_cur = 20000;
        const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
        const auto restore = qScopeGuard([&] {
            setrlimit(RLIMIT_FSIZE, &unlimited);
            std::signal(SIGXFSZ, oldSignal);
        });
        written = writeFileSafely(path, QByteArray(100000, 'x'));
        // The streaming form, written as the PDF writer does: through a
        // QDataStream, which stops at the first short write.
        QVERIFY(streamed.open());
        QDataStream out(streamed.device());
        for (int i = 0; i < 60; ++i)
            out.writeRawData(QByteArray(1500, 'x').constData(), 1500);
        committed = streamed.commit();
    }

    QVERIFY(!written);
    QVERIFY(!committed);
    QCOMPARE(written.error(), QStringLiteral("File too large"));
    QCOMPARE(committed.error(), QStringLiteral("File too large"));
    QCOMPARE(readBytes(path), QByteArray("old cards"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Kinfolio.dat"});
}

void TestCardFile::onlyRegularFilesAreReadOrReplaced()
{
    // Opening a named pipe for reading would wait for a writer for good.
    QTemporaryDir dir;
    const QString pipe = dir.filePath("Kinfolio.dat");
    QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QVERIFY(!readRegularFile(pipe));
    QVERIFY(!writeFileSafely(pipe, "x"));
    QVERIFY(!readRegularFile(dir.path()));
    QVERIFY(QFileInfo(pipe).exists() && !QFileInfo(pipe).isFile());

    CardStore store(pipe);
    QVERIFY(!store.loadCardFile());
    QCOMPARE(store.loadResult(), CardStore::LoadResult::Unreadable);
}

void TestCardFile::fileKinds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<FileKind>("kind");
    QTest::newRow("a card named 0 HEAD") << QByteArray("\"0 HEAD\"\r\n") << FileKind::Cards;
    QTest::newRow("hand-edited, unquoted items first") << QByteArray("Jonas\r\n1821, Leeds\r\n  \"Bradford\"\r\n")
                                                       << FileKind::Cards;
    QTest::newRow("first quoted item past the first read")
        << QByteArray(100000, 'x') + "\r\n\"Leeds\"\r\n" << FileKind::Cards;
    QTest::newRow("no quoted item") << QByteArray("He said \"no\"\r\nEllen\r\n") << FileKind::Other;
    QTest::newRow("GEDCOM in UTF-16") << QByteArray("\xFF\xFE" "0\0 \0H\0E\0A\0D\0\r\0\n\0", 18) << FileKind::Gedcom;
    QTest::newRow("not a header") << QByteArray("0 HEADER\r\n") << FileKind::Other;
}

void TestCardFile::fileKinds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(FileKind, kind);
    QTemporaryDir dir;
    QVERIFY(writeFileSafely(dir.filePath("file"), bytes));
    QCOMPARE(fileKindOf(bytes), kind);
    QCOMPARE(fileKind(dir.filePath("file")), kind);
}

QTEST_GUILESS_MAIN(TestCardFile)
#include "test_cardfile.moc"
