#include "toolsupport/progressline.h"

#include <unistd.h>

namespace kinfolio {

ProgressLine::ProgressLine(std::FILE *stream, const QString &what, bool quiet)
    : m_stream(stream)
    , m_what(what)
    , m_enabled(!quiet && isatty(fileno(stream)))
{
    m_started.start();
}

ProgressLine::~ProgressLine()
{
    finish();
}

void ProgressLine::update(int done, int total)
{
    if (!m_enabled)
        return;
    const qint64 now = m_started.elapsed();
    if (now < 1000 || (m_shown && now - m_lastShown < 100 && done < total))
        return;
    m_lastShown = now;
    m_shown = true;
    const int percent = total > 0 ? int(qint64(done) * 100 / total) : 100;
    const QByteArray line = QStringLiteral("\r%1: %2 of %3 (%4%)").arg(m_what).arg(done).arg(total).arg(percent).toUtf8();
    std::fputs(line.constData(), m_stream);
    std::fputs("\x1b[K", m_stream);
    std::fflush(m_stream);
}

void ProgressLine::finish()
{
    if (!m_shown)
        return;
    std::fputs("\r\x1b[K", m_stream);
    std::fflush(m_stream);
    m_shown = false;
}

} // namespace kinfolio
