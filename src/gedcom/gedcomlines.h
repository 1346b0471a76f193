#pragma once

#include <QByteArray>
#include <QString>

namespace kinfolio::Gedcom {

// Builds the lines of a GEDCOM file in UTF-8, each ended by CR LF. Values are
// escaped ('@' doubled) and split so that no line, terminator included, is
// longer than MaxLineBytes bytes.
class LineWriter
{
public:
    static constexpr int MaxLineBytes = 255;

    // "0 @xref@ TAG": the start of a record. `xref` is written as given.
    void record(const QString &xref, const QString &tag);

    // "level TAG value", with the rest of a long value on CONC lines one
    // level down. The value is one line: it must hold no line break.
    void line(int level, const QString &tag, const QString &value = QString());

    // "level TAG @xref@": a link to a record, never escaped or split.
    void pointer(int level, const QString &tag, const QString &xref);

    // A text of several lines: the first line on "level TAG", each further
    // line on a CONT line one level down; long lines continue on CONC lines.
    void text(int level, const QString &tag, const QString &text);

    const QByteArray &bytes() const { return m_out; }

private:
    void value(const QByteArray &head, int continuationLevel, const QString &value);
    void end();

    QByteArray m_out;
};

} // namespace kinfolio::Gedcom
