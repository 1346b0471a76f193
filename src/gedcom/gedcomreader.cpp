#include "gedcomreader.h"

#include "gedcomlines.h"
#include "gedcomtext.h"

#include <algorithm>
#include <limits>

namespace kinfolio::Gedcom {

namespace {

bool isBlankByte(char c)
{
    return c == ' ' || c == '\t';
}

// "@I1@": a link to a record. "@@ text", "@#DJULIAN@ 1700" and "@ a @" are text.
bool isLink(QByteArrayView value)
{
    if (value.size() < 3 || !value.startsWith('@') || !value.endsWith('@'))
        return false;
    const char first = value.at(1);
    return first != '@' && first != '#' && !isBlankByte(first) && !value.sliced(1).chopped(1).contains('@');
}

bool isTag(QByteArrayView tag)
{
    if (tag.isEmpty())
        return false;
    for (char c : tag) {
        if (uchar(c) >= 0x80) {
            const QString wide = QString::fromUtf8(tag);
            return std::all_of(wide.begin(), wide.end(), [](QChar w) { return w.isLetterOrNumber() || w == u'_'; });
        }
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'))
            return false;
    }
    return true;
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

QString textOf(QByteArrayView value, bool pointer)
{
    QString text = QString::fromUtf8(value);
    return pointer ? text : text.replace(QStringLiteral("@@"), QStringLiteral("@"));
}

} // namespace

LineParts splitLine(QByteArrayView line)
{
    LineParts parts;
    qsizetype i = 0;
    const auto skipBlanks = [&line, &i]() {
        while (i < line.size() && isBlankByte(line[i]))
            ++i;
    };
    skipBlanks();
    if (i == line.size())
        return parts;
    parts.blank = false;
    const qsizetype levelStart = i;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9')
        ++i;
    const bool levelRead = i > levelStart && i - levelStart <= 2;
    parts.level = levelRead ? line.sliced(levelStart, i - levelStart).toInt() : -1;
    bool wellFormed = levelRead && i < line.size() && isBlankByte(line[i]);
    skipBlanks();
    if (wellFormed && i < line.size() && line[i] == '@') {
        const qsizetype xrefStart = i;
        while (i < line.size() && !isBlankByte(line[i]))
            ++i;
        parts.xref = line.sliced(xrefStart, i - xrefStart);
        wellFormed = isLink(parts.xref);
        skipBlanks();
    }
    const qsizetype tagStart = i;
    while (i < line.size() && !isBlankByte(line[i]))
        ++i;
    parts.tag = line.sliced(tagStart, i - tagStart);
    parts.wellFormed = wellFormed && isTag(parts.tag);
    parts.value = line.sliced(i < line.size() ? i + 1 : i);
    return parts;
}

Result<> GedcomFile::read(QByteArray bytes, const Progress &progress)
{
    *this = GedcomFile();
    if (bytes.size() >= std::numeric_limits<qint32>::max() / 2)
        return Failure{QStringLiteral("the file is larger than the 1 GB a GEDCOM file is read to")};
    Result<DecodedText> decoded = decodeGedcomText(std::move(bytes));
    if (!decoded)
        return Failure{decoded.error()};
    m_text = std::move(decoded->utf8);
    m_characterSet = decoded->characterSet;
    m_warnings = decoded->warnings;
    if (const Result<> placed = placeLines(progress); !placed)
        return placed;

    const qsizetype gedc = child(0, u"GEDC");
    const QString version = gedc >= 0 ? childValue(gedc, u"VERS") : QString();
    if (!version.isEmpty() && !version.startsWith(QLatin1String("5.5")))
        m_warnings << QStringLiteral("the file is GEDCOM %1; it is read as GEDCOM 5.5.1").arg(version);
    return {};
}

quint32 GedcomFile::tagIndex(QByteArrayView tag)
{
    const QByteArray key = tag.toByteArray();
    const auto found = m_tagIndex.constFind(key);
    if (found != m_tagIndex.constEnd())
        return found.value();
    // A file of more distinct tags than the index holds (none that a program
    // writes) reads the rest as the last.
    constexpr size_t most = size_t(1) << (32 - TagShift);
    if (m_tags.size() == most - 1)
        return quint32(m_tags.size() - 1);
    const quint32 index = quint32(m_tags.size());
    m_tags.push_back(QString::fromUtf8(tag));
    m_tagIndex.insert(key, index);
    return index;
}

QByteArrayView GedcomFile::rawValue(qsizetype i) const
{
    const QByteArrayView rest = QByteArrayView(m_text).sliced(line(i).start);
    qsizetype length = 0;
    while (length < rest.size() && rest[length] != '\r' && rest[length] != '\n')
        ++length;
    return rest.first(length);
}

QString &GedcomFile::ownedValue(qsizetype i)
{
    Line &l = m_lines[size_t(i)];
    if (!(l.bits & Owned)) {
        l.bits |= Owned;
        m_owned.insert(i, textOf(rawValue(i), l.bits & Pointer));
    }
    return m_owned[i];
}

QString GedcomFile::value(qsizetype i) const
{
    const Line &l = line(i);
    if (l.bits & Owned)
        return m_owned.value(i);
    return textOf(rawValue(i), l.bits & Pointer);
}

QString GedcomFile::xref(qsizetype i) const
{
    if (level(i) != 0)
        return {};
    const QByteArrayView text(m_text);
    // The line up to its value holds the record's xref.
    qsizetype lineStart = line(i).start;
    while (lineStart > 0 && text[lineStart - 1] != '\r' && text[lineStart - 1] != '\n')
        --lineStart;
    return QString::fromUtf8(splitLine(text.sliced(lineStart, line(i).start - lineStart)).xref);
}

int GedcomFile::lineNumber(qsizetype i) const
{
    // Each line break between the mark's line and this one is a line; CR LF is one.
    const qsizetype mark = i / MarkEvery * MarkEvery;
    const QByteArrayView between = QByteArrayView(m_text).sliced(line(mark).start, line(i).start - line(mark).start);
    int number = m_lineMarks[size_t(i / MarkEvery)];
    for (qsizetype k = 0; k < between.size(); ++k) {
        if (between[k] == '\n' || (between[k] == '\r' && (k + 1 == between.size() || between[k + 1] != '\n')))
            ++number;
    }
    return number;
}

GedcomLine GedcomFile::at(qsizetype i) const
{
    return {level(i), lineNumber(i), xref(i), tag(i), value(i), isPointer(i), end(i)};
}

Result<> GedcomFile::placeLines(const Progress &progress)
{
    const auto fail = [](const QString &why) { return Failure{why}; };
    const QByteArrayView text(m_text);
    std::vector<qsizetype> open; // the lines a deeper line may go under, one per level
    const auto closeTo = [this, &open](size_t depth) {
        while (open.size() > depth) {
            m_lines[size_t(open.back())].end = qint32(m_lines.size());
            open.pop_back();
        }
    };
    const auto shown = [](QByteArrayView line) {
        const QString all = QString::fromUtf8(line.first(std::min<qsizetype>(line.size(), 240)));
        return all.size() > 60 ? all.left(60) + QStringLiteral("…") : all;
    };
    bool trailer = false;
    int lineNumber = 0;
    int previousLevel = 0; // of the line before, CONT and CONC included
    int skipUnder = -1;    // the level of a line skipped: the lines under it go with it
    m_lines.reserve(size_t(text.count('\n') + 1));
    qsizetype pos = 0;
    while (pos < text.size() && !trailer) {
        if (progress && (lineNumber & 0xFFFF) == 0)
            progress(pos, text.size());
        qsizetype lineEnd = pos;
        while (lineEnd < text.size() && text[lineEnd] != '\r' && text[lineEnd] != '\n')
            ++lineEnd;
        const QByteArrayView line = text.sliced(pos, lineEnd - pos);
        pos = lineEnd + (text.sliced(lineEnd).startsWith("\r\n") ? 2 : 1);
        ++lineNumber;

        const LineParts parts = splitLine(line);
        if (parts.blank)
            continue; // blank lines mean nothing
        const int level = parts.level;
        if (m_lines.empty() && !(parts.wellFormed && level == 0 && parts.tag == "HEAD")) {
            return fail(QStringLiteral("not a GEDCOM file: its first line \"%1\" is not the header 0 HEAD")
                            .arg(shown(line)));
        }
        if (skipUnder >= 0 && (level < 0 || level > skipUnder))
            continue;
        skipUnder = -1;
        if (!parts.wellFormed) {
            m_warnings << QStringLiteral("line %1 is not a GEDCOM line, and is skipped%2: \"%3\"")
                              .arg(lineNumber)
                              .arg(level >= 0 ? QStringLiteral(" with the lines under it") : QString(), shown(line));
            skipUnder = level;
            continue;
        }
        const QByteArrayView xref = parts.xref, tag = parts.tag, value = parts.value;
        int lineLevel = level;
        const bool conc = tag == "CONC", cont = tag == "CONT";
        const bool continues = level > 0 && (conc || cont);

        if (level > int(open.size())) {
            m_warnings << QStringLiteral("line %1 is at level %2 under a line of level %3; %4")
                              .arg(lineNumber)
                              .arg(level)
                              .arg(previousLevel)
                              .arg(continues ? QStringLiteral("it is read as continuing the text above")
                                             : QStringLiteral("it is read at level %1").arg(open.size()));
            lineLevel = int(open.size());
        }
        previousLevel = level;
        closeTo(size_t(lineLevel));

        if (continues) {
            const QString more = textOf(value, false);
            QString &owner = ownedValue(open.back());
            if (cont)
                owner += u'\n' + more;
            else
                concatenate(owner, more);
            continue;
        }

        const bool pointer = isLink(value);
        Line l;
        l.start = qint32(value.data() - text.data());
        l.bits = quint32(lineLevel) | (pointer ? Pointer : 0) | (tagIndex(tag) << TagShift);
        const qsizetype index = qsizetype(m_lines.size());
        if (lineLevel == 0) {
            trailer = tag == "TRLR";
            if (!xref.isEmpty() && !m_records.contains(xref))
                m_records.insert(xref, index);
        }
        if (index % MarkEvery == 0)
            m_lineMarks.push_back(lineNumber);
        open.push_back(index);
        m_lines.push_back(l);
        if (!pointer && value.contains("@@"))
            ownedValue(index);
    }
    closeTo(0);
    if (progress)
        progress(text.size(), text.size());

    if (m_lines.empty())
        return fail(QStringLiteral("not a GEDCOM file: it is empty"));
    if (!trailer) {
        m_warnings << QStringLiteral("line %1: the file ends without the trailer line 0 TRLR; it may be cut short, "
                                     "and what was after that point is missing")
                          .arg(lineNumber);
    }
    for (; pos < text.size(); ++pos) {
        if (!QChar::isSpace(uchar(text[pos])) && text[pos] != '\x1A') { // 0x1A: the end mark of old DOS files
            m_warnings << QStringLiteral("the text after the trailer line 0 TRLR (line %1) is ignored")
                              .arg(lineNumber);
            break;
        }
    }
    return {};
}

std::vector<qsizetype> GedcomFile::children(qsizetype i) const
{
    std::vector<qsizetype> out;
    for (qsizetype c = i + 1; c < end(i); c = end(c))
        out.push_back(c);
    return out;
}

qsizetype GedcomFile::child(qsizetype i, QStringView tag) const
{
    for (qsizetype c = i + 1; c < end(i); c = end(c)) {
        if (this->tag(c) == tag)
            return c;
    }
    return -1;
}

QString GedcomFile::childValue(qsizetype i, QStringView tag) const
{
    const qsizetype c = child(i, tag);
    return c >= 0 ? value(c) : QString();
}

} // namespace kinfolio::Gedcom
