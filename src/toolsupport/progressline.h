#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

namespace kinfolio {

// Long work's progress on one line of a terminal that updates in place:
// shown only when the stream is a terminal, and only once the work has
// taken a second, so a pipe, a log file or a quick run gets none of it.
class ProgressLine
{
public:
    ProgressLine(std::FILE *stream, const QString &what, bool quiet);
    ~ProgressLine();

    void update(int done, int total);
    // Clears the line, so the next message starts on a clean one.
    void finish();

private:
    std::FILE *m_stream;
    QString m_what;
    bool m_enabled;
    bool m_shown = false;
    QElapsedTimer m_started;
    qint64 m_lastShown = 0;
};

} // namespace kinfolio
