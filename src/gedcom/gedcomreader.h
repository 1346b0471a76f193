#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace kinfolio::Gedcom {

// One line of a GEDCOM file, with the CONC and CONT lines under it joined
// into its value.
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

// A GEDCOM file read whole, tolerant of what real programs write (any line
// end, blank lines, indented lines, lines of any length, '@' not doubled) and
// strict about its structure: it must begin with the header and end with the
// trailer, and each level must be at most one below the line before.
//
// The lines are kept in file order in one list: the lines under line i are
// i + 1 up to lines()[i].end, so no depth of nesting makes anything recurse.
class GedcomFile
{
public:
    // False, with `error` saying why, when the bytes are no GEDCOM file, are
    // cut short, break the structure or use an unknown character set.
    bool read(const QByteArray &bytes, QString *error);

    const std::vector<GedcomLine> &lines() const { return m_lines; }
    const GedcomLine &at(qsizetype i) const { return m_lines[size_t(i)]; }

    // The lines directly under line i.
    std::vector<qsizetype> children(qsizetype i) const;
    // The first line tagged `tag` directly under line i, or -1.
    qsizetype child(qsizetype i, QStringView tag) const;
    // The text of line i's `tag` line, or an empty text.
    QString childValue(qsizetype i, QStringView tag) const;
    // The record `xref` names, or -1. With two of the same name, the first.
    qsizetype record(const QString &xref) const { return m_records.value(xref, -1); }

    // The CHAR of the header, or what the bytes showed without one.
    const QString &characterSet() const { return m_characterSet; }
    // What was read in a way the file may not have meant, one line each.
    const QStringList &warnings() const { return m_warnings; }

private:
    bool parse(const QString &text, QString *error);

    std::vector<GedcomLine> m_lines;
    QHash<QString, qsizetype> m_records;
    QString m_characterSet;
    QStringList m_warnings;
};

} // namespace kinfolio::Gedcom
