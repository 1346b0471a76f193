#pragma once

#include <QByteArray>
#include <QString>

namespace kinfolio::Gedcom {

// Builds the lines of a GEDCOM file in UTF-8, each ended by CR LF. Values are
// escaped ('@' doubled) and split so that no line, terminator included, is
// longer than MaxLineBytes bytes.
//
// A split falls inside a word, never beside a space, since readers may drop
// spaces at the ends of lines. Where a line offers no such place (a long run
// of spaces or of one-letter words), a word joiner (U+2060, invisible) is
// written between the space and the split; GedcomFile removes it again.
class LineWriter
{
public:
    static constexpr int MaxLineBytes = 255;
    static constexpr char16_t WordJoiner = 0x2060;

    // The bytes left for the value on one line "level TAG value".
    static qsizetype valueRoom(int level, const QString &tag);

    // "0 @xref@ TAG": the start of a record. `xref` is written as given.
    void record(const QString &xref, const QString &tag);

    // "level TAG value", with the rest of a long value on CONC lines one
    // level down. The value is one line: it must hold no line break.
    void line(int level, const QString &tag, const QString &value = QString());

    // "level DATE value": as line(), but the calendar escapes of a date value
    // ("@#DJULIAN@"), before any phrase in parentheses, keep their single '@'.
    void date(int level, const QString &value);

    // "level TAG @xref@": a link to a record, never escaped or split.
    void pointer(int level, const QString &tag, const QString &xref);

    // A text of several lines: the first line on "level TAG", each further
    // line on a CONT line one level down; long lines continue on CONC lines.
    // With an `xref`, the first line is "0 xref TAG": a record of that text.
    void text(int level, const QString &tag, const QString &text, const QString &xref = QString());

    const QByteArray &bytes() const { return m_out; }

private:
    void value(const QByteArray &head, int continuationLevel, const QString &value, bool escapes = false);
    void end();

    QByteArray m_out;
};

} // namespace kinfolio::Gedcom
