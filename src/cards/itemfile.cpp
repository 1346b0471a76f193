#include "itemfile.h"

#include "ansitext.h"

#include <QFile>
#include <QSaveFile>

namespace kinfolio {

ItemReader::ItemReader(QString text)
    : m_text(std::move(text))
{
}

bool ItemReader::readItem(QString &item)
{
    QStringView view;
    if (!readItem(view))
        return false;
    item = view.toString();
    return true;
}

bool ItemReader::readItem(QStringView &item)
{
    while (m_pos < m_text.size() && m_text.at(m_pos) == u' ')
        ++m_pos;
    if (m_pos >= m_text.size())
        return false;

    if (m_text.at(m_pos) == u'"') {
        const qsizetype close = m_text.indexOf(u'"', m_pos + 1);
        if (close < 0) {
            m_pos = m_text.size();
            return false;
        }
        item = QStringView(m_text).mid(m_pos + 1, close - m_pos - 1);
        m_pos = close + 1;
    } else {
        const qsizetype start = m_pos;
        while (m_pos < m_text.size()) {
            const QChar c = m_text.at(m_pos);
            if (c == u',' || c == u'\r' || c == u'\n')
                break;
            ++m_pos;
        }
        item = QStringView(m_text).mid(start, m_pos - start);
    }
    skipDelimiter();
    return true;
}

void ItemReader::skipDelimiter()
{
    while (m_pos < m_text.size()) {
        const QChar c = m_text.at(m_pos++);
        if (c == u',' || c == u'\n')
            return;
        if (c == u'\r') {
            if (m_pos < m_text.size() && m_text.at(m_pos) == u'\n')
                ++m_pos;
            return;
        }
    }
}

void appendItem(QString &out, QStringView text)
{
    out.append(u'"');
    out.append(text);
    out.append(u"\"\r\n");
}

bool readTextFile(const QString &path, QString &text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    text = AnsiText::decode(bytes);
    return true;
}

bool writeFileSafely(const QString &path, const QString &text, QString *error)
{
    QSaveFile file(path);
    const QByteArray bytes = AnsiText::encode(text);
    // Unbuffered, so that a write the disk refuses fails here. A buffered
    // write of a small file fails only in the flush inside commit(), and
    // commit() then still puts the short file in place of the old one and
    // reports success: a full disk would empty the file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size()
        || !file.commit()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

} // namespace kinfolio
