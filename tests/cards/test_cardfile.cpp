// The card file's bytes and the item reader shared with the site list file.
#include "ansitext.h"
#include "cardfile.h"
#include "cardfixtures.h"
#include "itemfile.h"

#include <QTemporaryDir>
#include <QTest>

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
    void makeStorableReplacesOnlyWhatTheFileCannotHold();
    void atomicWriteFailsIntoMissingDirectoryAndLeavesNoFile();
};

void TestCardFile::writesSeventeenQuotedLinesPerCard()
{
    QString text;
    writeCard(text, labelledCard("A"));
    QCOMPARE(AnsiText::encode(text), cardBytes(labelledCard("A")));
    QCOMPARE(text.count(QStringLiteral("\r\n")), 17);
    // Field order: the husband's parents (8, 9) come after his death place (7).
    QVERIFY(text.indexOf("A-f7") < text.indexOf("A-f8"));
}

void TestCardFile::allEmptyCardRoundTrips()
{
    QString text;
    writeCard(text, CardFields{});
    QCOMPARE(text, QString("\"\"\r\n").repeated(17));

    ItemReader reader(text);
    CardFields back = labelledCard("X");
    QVERIFY(readCard(reader, back));
    QCOMPARE(back, CardFields{});
    QVERIFY(reader.atEnd());
}

void TestCardFile::notesKeepTheirLineBreaks()
{
    CardFields card = labelledCard("N");
    card[CardField::Notes] = QStringLiteral("first line\r\nsecond, with a comma");
    QString text;
    writeCard(text, card);
    QVERIFY(text.endsWith("\"first line\r\nsecond, with a comma\"\r\n"));

    ItemReader reader(text);
    CardFields back;
    QVERIFY(readCard(reader, back));
    QCOMPARE(back, card);
    QVERIFY(reader.atEnd());
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

    ItemReader reader(AnsiText::decode(file));
    CardFields card;
    QVERIFY(readCard(reader, card));
    QString text;
    writeCard(text, card);
    QCOMPARE(AnsiText::encode(text), file);
    QVERIFY(card[0].contains(QChar(0x20AC))); // 0x80 is the euro sign
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
    ItemReader reader(text);
    QStringList read;
    QString item;
    while (!reader.atEnd()) {
        QVERIFY(reader.readItem(item));
        read << item;
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
    ItemReader reader(text);
    CardFields card;
    QVERIFY(!readCard(reader, card));
}

void TestCardFile::makeStorableReplacesOnlyWhatTheFileCannotHold()
{
    QCOMPARE(AnsiText::makeStorable(QStringLiteral("Jos\u00e9 \u20ac\r\n\u0081")),
             QStringLiteral("Jos\u00e9 \u20ac\r\n\u0081"));
    QCOMPARE(AnsiText::makeStorable(QStringLiteral("the \"Old\" Farm")),
             QStringLiteral("the \u201dOld\u201d Farm"));
    QCOMPARE(AnsiText::makeStorable(QStringLiteral("\u0141\u00f3d\u017a")), QStringLiteral("?\u00f3d?"));
    QCOMPARE(AnsiText::makeStorable(QString::fromUtf8("a\U0001F333b")), QStringLiteral("a?b"));
    // What makeStorable leaves survives the file unchanged.
    const QString storable = AnsiText::makeStorable(QString::fromUtf8("\"\u4e00\u201d\U0001F333"));
    QCOMPARE(AnsiText::decode(AnsiText::encode(storable)), storable);
}

void TestCardFile::atomicWriteFailsIntoMissingDirectoryAndLeavesNoFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("missing/Kinfolio.dat");
    QString error;
    QVERIFY(!writeFileSafely(path, QStringLiteral("x"), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(path));
}

QTEST_GUILESS_MAIN(TestCardFile)
#include "test_cardfile.moc"
