#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace kinfolio {

// The item syntax shared by the card file and the site list file: each item is
// a double quote, the text unchanged, a double quote and CR LF. Nothing inside
// the text is escaped. The reader works on the file's bytes: every byte that
// shapes an item (quote, comma, space, CR, LF) is the same in the code page.
class ItemReader
{
public:
    explicit ItemReader(QByteArray bytes);

    // The end-of-file test: true when nothing is left to read.
    bool atEnd() const { return m_pos >= m_bytes.size(); }

    // Reads one item, as a view into the bytes being read (valid as long as
    // this reader lives). Leading spaces are skipped. A quoted item is
    // everything up to the next double quote, line breaks included; an
    // unquoted item runs to the next comma or line end, and an empty line is
    // one empty item. Returns false when the text ends before an item starts,
    // or inside a quoted item whose closing quote never comes (a file cut
    // short).
    //
    // Text between a closing quote and the next comma or line end can only come
    // from a field that held a double quote, or from a hand edit. It is dropped,
    // so the next item still starts where the next line (or comma) does and a
    // stray quote cannot shift every later field of the file.
    //
    // Only an unquoted item can hold a double quote; each data file's reader
    // turns it into what its values keep instead.
    bool readItem(QByteArrayView &item);

private:
    void skipDelimiter();

    QByteArray m_bytes;
    qsizetype m_pos = 0;
};

// Appends one item as written to the file: quote, text, quote, CR LF. The text
// must hold no double quote.
void appendItem(QByteArray &out, QByteArrayView text);

} // namespace kinfolio
