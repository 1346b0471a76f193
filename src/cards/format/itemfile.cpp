#include "format/itemfile.h"

#include <cstring>

namespace kinfolio {

ItemReader::ItemReader(QByteArray bytes)
    : m_bytes(std::move(bytes))
{
}

bool ItemReader::readItem(QByteArrayView &item)
{
    const char *data = m_bytes.constData();
    const qsizetype size = m_bytes.size();
    while (m_pos < size && data[m_pos] == ' ')
        ++m_pos;
    if (m_pos >= size)
        return false;

    if (data[m_pos] == '"') {
        const auto *close = static_cast<const char *>(std::memchr(data + m_pos + 1, '"', size_t(size - m_pos - 1)));
        if (!close) {
            m_pos = size;
            return false;
        }
        item = QByteArrayView(data + m_pos + 1, close - (data + m_pos + 1));
        m_pos = close + 1 - data;
        // The shape every written item has: nothing to skip but its CR LF.
        if (size - m_pos >= 2 && data[m_pos] == '\r' && data[m_pos + 1] == '\n') {
            m_pos += 2;
            return true;
        }
    } else {
        const qsizetype start = m_pos;
        while (m_pos < size) {
            const char c = data[m_pos];
            if (c == ',' || c == '\r' || c == '\n')
                break;
            ++m_pos;
        }
        item = QByteArrayView(data + start, m_pos - start);
    }
    skipDelimiter();
    return true;
}

void ItemReader::skipDelimiter()
{
    const char *data = m_bytes.constData();
    const qsizetype size = m_bytes.size();
    while (m_pos < size) {
        const char c = data[m_pos++];
        if (c == ',' || c == '\n')
            return;
        if (c == '\r') {
            if (m_pos < size && data[m_pos] == '\n')
                ++m_pos;
            return;
        }
    }
}

void appendItem(QByteArray &out, QByteArrayView text)
{
    out.append('"');
    out.append(text);
    out.append("\"\r\n", 3);
}

} // namespace kinfolio
