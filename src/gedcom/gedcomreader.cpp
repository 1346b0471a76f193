#include "gedcomreader.h"

#include "gedcomlines.h"
#include "gedcomtext.h"

namespace kinfolio::Gedcom {

namespace {

bool isBlankChar(QChar c)
{
    return c == u' ' || c == u'\t';
}

// "@I1@": a link to a record. "@@ text", "@#DJULIAN@ 1700" and "@ a @" are text.
bool isPointer(QStringView value)
{
    if (value.size() < 3 || !value.startsWith(u'@') || !value.endsWith(u'@'))
        return false;
    const QChar first = value.at(1);
    return first != u'@' && first != u'#' && !first.isSpace() && !value.mid(1).chopped(1).contains(u'@');
}

bool isTag(QStringView tag)
{
    for (QChar c : tag) {
        if (!(c.isLetterOrNumber() || c == u'_'))
            return false;
    }
    return !tag.isEmpty();
}

// A CONC value joined to the text before it. LineWriter puts a word joiner
// between a space and a split that could fall nowhere else; it goes again.
void concatenate(QString &text, QString more)
{
    const QChar joiner(LineWriter::WordJoiner);
    if (text.size() >= 2 && text.endsWith(joiner) && text.at(text.size() - 2).isSpace())
        text.chop(1);
    if (more.size() >= 2 && more.startsWith(joiner) && more.at(1).isSpace())
        more.remove(0, 1);
    text += more;
}

} // namespace

bool GedcomFile::read(const QByteArray &bytes, QString *error)
{
    m_lines.clear();
    m_records.clear();
    m_warnings.clear();
    DecodedText decoded;
    if (!decodeGedcomText(bytes, decoded, error))
        return false;
    m_characterSet = decoded.characterSet;
    m_warnings = decoded.warnings;
    if (!parse(decoded.text, error))
        return false;

    const qsizetype gedc = child(0, u"GEDC");
    const QString version = gedc >= 0 ? childValue(gedc, u"VERS") : QString();
    if (!version.isEmpty() && !version.startsWith(QLatin1String("5.5")))
        m_warnings << QStringLiteral("the file is GEDCOM %1; it is read as GEDCOM 5.5.1").arg(version);
    return true;
}

bool GedcomFile::parse(const QString &text, QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    std::vector<qsizetype> open; // the lines a deeper line may go under, one per level
    const auto closeTo = [this, &open](size_t depth) {
        while (open.size() > depth) {
            m_lines[size_t(open.back())].end = qsizetype(m_lines.size());
            open.pop_back();
        }
    };
    bool trailer = false;
    int lineNumber = 0;
    qsizetype pos = 0;
    while (pos < text.size() && !trailer) {
        qsizetype lineEnd = pos;
        while (lineEnd < text.size() && text.at(lineEnd) != u'\r' && text.at(lineEnd) != u'\n')
            ++lineEnd;
        QStringView line = QStringView(text).mid(pos, lineEnd - pos);
        pos = lineEnd + (QStringView(text).mid(lineEnd, 2) == u"\r\n" ? 2 : 1);
        ++lineNumber;

        qsizetype i = 0;
        while (i < line.size() && isBlankChar(line.at(i)))
            ++i;
        if (i == line.size())
            continue; // blank lines mean nothing
        const auto malformed = [&]() {
            const QString shown = line.left(60).toString() + (line.size() > 60 ? QStringLiteral("…") : QString());
            if (m_lines.empty())
                return fail(QStringLiteral("not a GEDCOM file: its first line \"%1\" is not the header 0 HEAD")
                                .arg(shown));
            return fail(QStringLiteral("line %1 is not a GEDCOM line: \"%2\"").arg(lineNumber).arg(shown));
        };

        GedcomLine l;
        l.lineNumber = lineNumber;
        const qsizetype levelStart = i;
        while (i < line.size() && line.at(i).isDigit() && line.at(i).unicode() < 0x80)
            ++i;
        if (i == levelStart || i - levelStart > 2 || i == line.size() || !isBlankChar(line.at(i)))
            return malformed();
        l.level = line.mid(levelStart, i - levelStart).toInt();
        while (i < line.size() && isBlankChar(line.at(i)))
            ++i;
        if (i < line.size() && line.at(i) == u'@') {
            qsizetype xrefEnd = i;
            while (xrefEnd < line.size() && !isBlankChar(line.at(xrefEnd)))
                ++xrefEnd;
            l.xref = line.mid(i, xrefEnd - i).toString();
            if (!isPointer(l.xref))
                return malformed();
            i = xrefEnd;
            while (i < line.size() && isBlankChar(line.at(i)))
                ++i;
        }
        const qsizetype tagStart = i;
        while (i < line.size() && !isBlankChar(line.at(i)))
            ++i;
        l.tag = line.mid(tagStart, i - tagStart).toString();
        if (!isTag(l.tag))
            return malformed();
        // The value begins after one delimiter: further spaces are part of it.
        const QStringView value = i < line.size() ? line.mid(i + 1) : QStringView();

        if (m_lines.empty() && (l.level != 0 || l.tag != QLatin1String("HEAD")))
            return malformed();
        if (l.level > int(open.size()))
            return fail(QStringLiteral("line %1 is at level %2 under a line of level %3: the file is damaged")
                            .arg(lineNumber)
                            .arg(l.level)
                            .arg(int(open.size()) - 1));
        closeTo(size_t(l.level));

        const bool conc = l.tag == QLatin1String("CONC"), cont = l.tag == QLatin1String("CONT");
        if (l.level > 0 && (conc || cont)) {
            QString more = value.toString().replace(QStringLiteral("@@"), QStringLiteral("@"));
            GedcomLine &owner = m_lines[size_t(open.back())];
            if (cont)
                owner.value += u'\n' + more;
            else
                concatenate(owner.value, std::move(more));
            continue;
        }

        l.pointer = isPointer(value);
        l.value = l.pointer ? value.toString() : value.toString().replace(QStringLiteral("@@"), QStringLiteral("@"));
        if (l.level == 0) {
            trailer = l.tag == QLatin1String("TRLR");
            if (!l.xref.isEmpty()) {
                const qsizetype first = record(l.xref);
                if (first >= 0)
                    m_warnings << QStringLiteral("line %1: a second record %2 (the first is on line %3); links "
                                                 "to %2 go to the first")
                                      .arg(lineNumber)
                                      .arg(l.xref)
                                      .arg(at(first).lineNumber);
                else
                    m_records.insert(l.xref, qsizetype(m_lines.size()));
            }
        }
        open.push_back(qsizetype(m_lines.size()));
        m_lines.push_back(std::move(l));
    }
    closeTo(0);

    if (m_lines.empty())
        return fail(QStringLiteral("not a GEDCOM file: it is empty"));
    if (!trailer)
        return fail(QStringLiteral("the file is cut short: it ends at line %1 without the trailer line 0 TRLR, "
                                   "so families and people after that point may be missing")
                        .arg(lineNumber));
    for (; pos < text.size(); ++pos) {
        if (!text.at(pos).isSpace() && text.at(pos) != QChar(0x1A)) { // 0x1A: the end mark of old DOS files
            m_warnings << QStringLiteral("the text after the trailer line 0 TRLR (line %1) is ignored")
                              .arg(lineNumber);
            break;
        }
    }
    return true;
}

std::vector<qsizetype> GedcomFile::children(qsizetype i) const
{
    std::vector<qsizetype> out;
    for (qsizetype c = i + 1; c < at(i).end; c = at(c).end)
        out.push_back(c);
    return out;
}

qsizetype GedcomFile::child(qsizetype i, QStringView tag) const
{
    for (qsizetype c = i + 1; c < at(i).end; c = at(c).end) {
        if (at(c).tag == tag)
            return c;
    }
    return -1;
}

QString GedcomFile::childValue(qsizetype i, QStringView tag) const
{
    const qsizetype c = child(i, tag);
    return c >= 0 ? at(c).value : QString();
}

} // namespace kinfolio::Gedcom
