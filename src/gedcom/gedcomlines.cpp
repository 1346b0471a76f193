#include "gedcomlines.h"

#include <QStringList>

#include <vector>

namespace kinfolio::Gedcom {

namespace {

// The UTF-8 bytes of each character of a value, '@' already doubled, so that
// a split never falls inside a character or between the two '@' of a pair.
std::vector<QByteArray> valueUnits(const QString &value)
{
    std::vector<QByteArray> units;
    units.reserve(size_t(value.size()));
    for (qsizetype i = 0; i < value.size(); ++i) {
        qsizetype length = 1;
        if (value.at(i).isHighSurrogate() && i + 1 < value.size() && value.at(i + 1).isLowSurrogate())
            length = 2;
        const QString ch = value.mid(i, length);
        units.push_back(ch == u"@" ? QByteArray("@@") : ch.toUtf8());
        i += length - 1;
    }
    return units;
}

bool isSpace(const QByteArray &unit)
{
    return unit == " ";
}

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

void LineWriter::pointer(int level, const QString &tag, const QString &xref)
{
    m_out += QByteArray::number(level) + ' ' + tag.toUtf8() + ' ' + xref.toUtf8();
    end();
}

void LineWriter::line(int level, const QString &tag, const QString &value)
{
    this->value(QByteArray::number(level) + ' ' + tag.toUtf8(), level + 1, value);
}

void LineWriter::text(int level, const QString &tag, const QString &text)
{
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    const QStringList lines = normalised.split(u'\n');
    value(QByteArray::number(level) + ' ' + tag.toUtf8(), level + 1, lines.first());
    for (qsizetype i = 1; i < lines.size(); ++i)
        value(levelPrefix(level + 1, "CONT"), level + 1, lines.at(i));
}

void LineWriter::value(const QByteArray &head, int continuationLevel, const QString &value)
{
    const std::vector<QByteArray> units = valueUnits(value);
    if (units.empty()) {
        m_out += head;
        end();
        return;
    }
    const QByteArray concHead = levelPrefix(continuationLevel, "CONC");
    size_t pos = 0;
    bool first = true;
    while (pos < units.size()) {
        const QByteArray &lineHead = first ? head : concHead;
        // Room for the value: the line less its head, the space after it and CR LF.
        const qsizetype room = MaxLineBytes - lineHead.size() - 1 - 2;
        size_t stop = pos;
        qsizetype used = 0;
        while (stop < units.size() && used + units[stop].size() <= room)
            used += units[stop++].size();
        if (stop < units.size()) {
            // Readers often drop spaces at the ends of lines, so the standard
            // splits inside a word; fall back to the full line only when the
            // value offers no such place.
            for (size_t k = stop; k > pos + 1; --k) {
                if (!isSpace(units[k - 1]) && !isSpace(units[k])) {
                    stop = k;
                    break;
                }
            }
        }
        m_out += lineHead + ' ';
        for (size_t i = pos; i < stop; ++i)
            m_out += units[i];
        end();
        pos = stop;
        first = false;
    }
}

} // namespace kinfolio::Gedcom
