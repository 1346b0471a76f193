#include "gedcomlines.h"

#include <QStringList>

#include <vector>

namespace kinfolio::Gedcom {

namespace {

// One character of a value as written: its UTF-8 bytes, '@' already doubled,
// so that a split never falls inside a character or between the two '@' of
// a pair. `space` marks any blank, since readers that trim a line trim them all.
struct Unit
{
    QByteArray bytes;
    bool space = false;
};

std::vector<Unit> valueUnits(const QString &value, bool escapes)
{
    std::vector<Unit> units;
    units.reserve(size_t(value.size()));
    const qsizetype phrase = escapes ? value.indexOf(u'(') : -1;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (escapes && (phrase < 0 || i < phrase) && QStringView(value).mid(i).startsWith(u"@#")) {
            const qsizetype end = value.indexOf(u'@', i + 2);
            if (end > 0) {
                units.push_back({value.mid(i, end + 1 - i).toUtf8(), false});
                i = end;
                continue;
            }
        }
        qsizetype length = 1;
        if (value.at(i).isHighSurrogate() && i + 1 < value.size() && value.at(i + 1).isLowSurrogate())
            length = 2;
        const QString ch = value.mid(i, length);
        units.push_back({ch == u"@" ? QByteArray("@@") : ch.toUtf8(), length == 1 && ch.at(0).isSpace()});
        i += length - 1;
    }
    return units;
}

const QByteArray joinerBytes = QString(QChar(LineWriter::WordJoiner)).toUtf8();

QByteArray levelPrefix(int level, const char *tag)
{
    return QByteArray::number(level) + ' ' + tag;
}

} // namespace

void LineWriter::end()
{
    m_out += "\r\n";
}

void LineWriter::record(const QString &xref, const QString &tag)
{
    m_out += "0 " + xref.toUtf8() + ' ' + tag.toUtf8();
    end();
}

void LineWriter::date(int level, const QString &value)
{
    this->value(QByteArray::number(level) + " DATE", level + 1, value, true);
}

void LineWriter::pointer(int level, const QString &tag, const QString &xref)
{
    m_out += QByteArray::number(level) + ' ' + tag.toUtf8() + ' ' + xref.toUtf8();
    end();
}

void LineWriter::line(int level, const QString &tag, const QString &value)
{
    this->value(QByteArray::number(level) + ' ' + tag.toUtf8(), level + 1, value);
}

void LineWriter::text(int level, const QString &tag, const QString &text, const QString &xref)
{
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    const QStringList lines = normalised.split(u'\n');
    const QByteArray id = xref.isEmpty() ? QByteArray() : xref.toUtf8() + ' ';
    value(QByteArray::number(level) + ' ' + id + tag.toUtf8(), level + 1, lines.first());
    for (qsizetype i = 1; i < lines.size(); ++i)
        value(levelPrefix(level + 1, "CONT"), level + 1, lines.at(i));
}

qsizetype LineWriter::valueRoom(int level, const QString &tag)
{
    // The line less its head, the space after it and CR LF.
    return MaxLineBytes - levelPrefix(level, tag.toUtf8().constData()).size() - 1 - 2;
}

void LineWriter::value(const QByteArray &head, int continuationLevel, const QString &value, bool escapes)
{
    const std::vector<Unit> units = valueUnits(value, escapes);
    if (units.empty()) {
        m_out += head;
        end();
        return;
    }
    const QByteArray concHead = levelPrefix(continuationLevel, "CONC");
    size_t pos = 0;
    bool first = true;
    bool joinerFirst = false; // the line starts with a space after a split
    while (pos < units.size()) {
        const QByteArray &lineHead = first ? head : concHead;
        const qsizetype room = MaxLineBytes - lineHead.size() - 1 - 2 - (joinerFirst ? joinerBytes.size() : 0);
        size_t stop = pos;
        qsizetype used = 0;
        while (stop < units.size() && used + units[stop].bytes.size() <= room)
            used += units[stop++].bytes.size();
        bool joinerLast = false;
        if (stop < units.size()) {
            size_t inWord = 0;
            for (size_t k = stop; k > pos + 1 && !inWord; --k) {
                if (!units[k - 1].space && !units[k].space)
                    inWord = k;
            }
            if (inWord) {
                stop = inWord;
            } else if (units[stop - 1].space) {
                // No place inside a word: the line ends in a space, kept by a joiner after it.
                while (used + joinerBytes.size() > room)
                    used -= units[--stop].bytes.size();
                joinerLast = units[stop - 1].space;
            }
        }
        m_out += lineHead + ' ';
        if (joinerFirst)
            m_out += joinerBytes;
        for (size_t i = pos; i < stop; ++i)
            m_out += units[i].bytes;
        if (joinerLast)
            m_out += joinerBytes;
        end();
        joinerFirst = stop < units.size() && units[stop].space;
        pos = stop;
        first = false;
    }
}

} // namespace kinfolio::Gedcom
