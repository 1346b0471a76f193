#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <functional>

#include <sys/resource.h>

// The one runner of programs for the tests: the built programs, and the
// system's tools that read back what they wrote.
namespace kinfolio::testing {

// The environment of a desktop session: the tools need no display, so the
// tests' offscreen platform is taken away, and a runtime folder is there.
inline QProcessEnvironment sessionEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    // The card program would keep its files there instead of beside itself.
    env.remove(QStringLiteral("KINFOLIO_HOME"));
    static QTemporaryDir runtime;
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    return env;
}

struct RunSettings
{
    QProcessEnvironment environment = sessionEnvironment();
    QString workingDirectory;
    // > 0 caps the size of any file the program writes, as a disk that fills up does.
    long fileSizeLimit = 0;
    int timeoutMs = 60000;
};

// A program that runs beside the test, as a window does, until it ends or
// the test ends it.
class StartedProgram
{
public:
    StartedProgram(const QString &program, const QStringList &arguments, const RunSettings &settings = {})
    {
        m_process.setProcessEnvironment(settings.environment);
        m_process.setWorkingDirectory(settings.workingDirectory);
        if (const long limit = settings.fileSizeLimit; limit > 0) {
            m_process.setChildProcessModifier([limit] {
                const rlimit cap{rlim_t(limit), rlim_t(limit)};
                ::setrlimit(RLIMIT_FSIZE, &cap);
                std::signal(SIGXFSZ, SIG_IGN);
            });
        }
        m_process.start(program, arguments);
        m_process.waitForStarted();
    }
    ~StartedProgram() { stop(); }
    StartedProgram(const StartedProgram &) = delete;
    StartedProgram &operator=(const StartedProgram &) = delete;

    // True when `reached` comes true while the program runs, within `ms`:
    // what it leaves on the disk or shows says how far it has come.
    bool runsUntil(const std::function<bool()> &reached, int ms)
    {
        const auto running = [this] { return m_process.state() == QProcess::Running; };
        return QTest::qWaitFor([&] { return !running() || reached(); }, ms) && running() && reached();
    }

    // Asks the program to end, as a logout does; its exit code when it ends
    // within `ms`, else -1.
    int endsWhenAsked(int ms)
    {
        m_process.terminate();
        return endsWithin(ms);
    }

    // Its exit code when it ends by itself within `ms`; -1 when it crashed,
    // hung or never started.
    int endsWithin(int ms)
    {
        if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(ms))
            return -1;
        const bool started = m_process.error() != QProcess::FailedToStart;
        return started && m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

    void stop()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    QProcess &process() { return m_process; }

private:
    QProcess m_process;
};

// A command-line program run to its end as a user runs it.
struct ProgramRun
{
    int exitCode = -1; // -1: it crashed, hung or never started
    QString out;
    QString err;
};

inline ProgramRun runProgram(const QString &program, const QStringList &arguments, const RunSettings &settings = {})
{
    StartedProgram started(program, arguments, settings);
    ProgramRun r;
    r.exitCode = started.endsWithin(settings.timeoutMs);
    started.stop();
    r.out = QString::fromUtf8(started.process().readAllStandardOutput());
    r.err = QString::fromUtf8(started.process().readAllStandardError());
    return r;
}

} // namespace kinfolio::testing
