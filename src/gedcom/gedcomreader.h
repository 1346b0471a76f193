#pragma once

#include "base/result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <vector>

namespace kinfolio::Gedcom {

// One line of a GEDCOM file, with the CONC and CONT lines under it joined
// into its value: a copy made on request (GedcomFile::at).
struct GedcomLine
{
    int level = 0;
    int lineNumber = 0; // in the file, from 1, for messages
    QString xref;       // "@I1@" on the first line of a record
    QString tag;
    QString value;        // the text, '@@' read as '@' and CONT as "\n"; or a pointer
    bool pointer = false; // the value links to a record ("@I1@")
    qsizetype end = 0;    // the index after the last line under this one
};

// One raw line of a GEDCOM file split into its parts, as views into its
// bytes: nothing is copied, for a tree of a million lines splits each once.
struct LineParts
{
    bool blank = true;       // nothing but blanks: the line means nothing
    bool wellFormed = false; // a level, an xref if any, and a tag; else the line is no GEDCOM line
    int level = -1;          // -1 where the line does not begin with one or two digits
    QByteArrayView xref;     // "@I1@", or empty
    QByteArrayView tag;
    QByteArrayView value; // after the one delimiter that follows the tag: further blanks are part of it
};

// Splits a line (without its line end) as the best readers do: blanks
// before the level, blanks or tabs of any number between the parts.
LineParts splitLine(QByteArrayView line);

// How far a long piece of work has gone, in units of its own (bytes, people).
using Progress = std::function<void(qint64 done, qint64 total)>;

// A GEDCOM file read whole, as the best readers read what real programs
// write: any line end, blank and indented lines, lines of any length, '@' not
// doubled. A line that is no GEDCOM line is skipped with the lines under it,
// a line that climbs more than one level is read one level under the line
// before it (a CONT or CONC then continues the text above), and a file
// without its trailer is read to its end; each with a warning naming the
// line. Only a file that does not begin with the header, or is in a
// character set the reader does not know, is refused.
//
// The lines are kept in file order in one list: the lines under line i are
// i + 1 up to end(i), so no depth of nesting makes anything recurse. The file
// is held as UTF-8 and each line as a few numbers into it, so that a large
// tree costs little more than its size.
class GedcomFile
{
public:
    // Fails when the bytes are no GEDCOM file or use an unknown character
    // set. `progress` hears of the bytes read.
    Result<> read(QByteArray bytes, const Progress &progress = {});

    qsizetype lineCount() const { return qsizetype(m_lines.size()); }
    GedcomLine at(qsizetype i) const;

    int level(qsizetype i) const { return int(line(i).bits & 0xFF); }
    int lineNumber(qsizetype i) const;
    qsizetype end(qsizetype i) const { return line(i).end; }
    const QString &tag(qsizetype i) const { return m_tags[line(i).bits >> TagShift]; }
    bool isPointer(qsizetype i) const { return line(i).bits & Pointer; }
    QString value(qsizetype i) const;
    // The record's cross-reference ("@I1@") on a line of level 0, else empty.
    QString xref(qsizetype i) const;

    // The lines directly under line i.
    std::vector<qsizetype> children(qsizetype i) const;
    // The first line tagged `tag` directly under line i, or -1.
    qsizetype child(qsizetype i, QStringView tag) const;
    // The text of line i's `tag` line, or an empty text.
    QString childValue(qsizetype i, QStringView tag) const;
    // The record `xref` names, or -1. With two of the same name, the first.
    qsizetype record(const QString &xref) const { return m_records.value(xref.toUtf8(), -1); }

    // The CHAR of the header, or what the bytes showed without one.
    const QString &characterSet() const { return m_characterSet; }
    // What was read in a way the file may not have meant, one line each.
    const QStringList &warnings() const { return m_warnings; }

private:
    // 12 bytes a line, for a tree of a million lines is held whole: where its
    // value starts in m_text (it runs to the line's end), where the lines
    // under it end, and its level, tag and kind. A value that CONC, CONT or
    // '@@' changed is kept in m_owned. Line numbers are counted from a mark
    // every so many lines.
    struct Line
    {
        qint32 start = 0;
        qint32 end = 0;
        quint32 bits = 0; // level (8 bits), Pointer, Owned, the tag's index
    };
    static constexpr quint32 Pointer = 0x100, Owned = 0x200;
    static constexpr int TagShift = 10;
    static constexpr qsizetype MarkEvery = 64;

    const Line &line(qsizetype i) const { return m_lines[size_t(i)]; }
    // Cuts m_text into lines and places each, split, in the tree: under the
    // line of the level above, its CONT and CONC joined to the text above.
    Result<> placeLines(const Progress &progress);
    quint32 tagIndex(QByteArrayView tag);
    QString &ownedValue(qsizetype i);
    QByteArrayView rawValue(qsizetype i) const;

    QByteArray m_text; // UTF-8
    std::vector<Line> m_lines;
    std::vector<int> m_lineMarks; // the line number of every MarkEvery-th line
    QHash<qsizetype, QString> m_owned;
    std::vector<QString> m_tags;
    QHash<QByteArray, quint32> m_tagIndex;
    QHash<QByteArrayView, qsizetype> m_records; // the xrefs in m_text
    QString m_characterSet;
    QStringList m_warnings;
};

} // namespace kinfolio::Gedcom
