#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <csignal>

#include <sys/resource.h>

namespace kinfolio::testing {

// A command-line program run as a user runs it.
struct ProgramRun
{
    int exitCode = -1; // -1: it crashed or hung
    QString out;
    QString err;
};

// `fileSizeLimit` > 0 caps the size of any file the program writes, as a
// disk that fills up does.
inline ProgramRun runProgram(const QString &program, const QStringList &arguments, long fileSizeLimit = 0)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM")); // the tools need no display of their own
    static QTemporaryDir runtime;                  // as a desktop session has
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    p.setProcessEnvironment(env);
    if (fileSizeLimit > 0) {
        p.setChildProcessModifier([fileSizeLimit] {
            const rlimit limit{rlim_t(fileSizeLimit), rlim_t(fileSizeLimit)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            std::signal(SIGXFSZ, SIG_IGN);
        });
    }
    p.start(program, arguments);
    ProgramRun r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace kinfolio::testing
