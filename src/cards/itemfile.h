#pragma once

#include <QString>
#include <QStringView>

namespace kinfolio {

// The item syntax shared by the card file and the site list file: each item is
// a double quote, the text unchanged, a double quote and CR LF. Nothing inside
// the text is escaped.
class ItemReader
{
public:
    explicit ItemReader(QString text);

    // The end-of-file test: true when nothing is left to read.
    bool atEnd() const { return m_pos >= m_text.size(); }

    // Reads one item into `item`. Leading spaces are skipped. A quoted item is
    // everything up to the next double quote, line breaks included; an unquoted
    // item runs to the next comma or line end, and an empty line is one empty
    // item. Returns false when the text ends before an item starts, or inside a
    // quoted item whose closing quote never comes (a file cut short).
    //
    // Text between a closing quote and the next comma or line end can only come
    // from a field that held a double quote, or from a hand edit. It is dropped,
    // so the next item still starts where the next line (or comma) does and a
    // stray quote cannot shift every later field of the file.
    bool readItem(QString &item);
    // The same, with the item as a view into the text being read instead of a
    // copy: valid as long as this reader lives.
    bool readItem(QStringView &item);

private:
    void skipDelimiter();

    QString m_text;
    qsizetype m_pos = 0;
};

// Appends one item as written to the file: quote, text, quote, CR LF.
void appendItem(QString &out, QStringView text);

// Reads a whole file as text. Returns false when it cannot be opened or read.
bool readTextFile(const QString &path, QString &text);

// Writes a whole file so that it is either replaced completely or left as it
// was: the bytes go to a temporary file in the same directory, which is then
// renamed over the old one. A crash, power cut or full disk during the write
// leaves the previous file intact. On failure `error` holds the reason.
bool writeFileSafely(const QString &path, const QString &text, QString *error);

} // namespace kinfolio
