#include "platform/platform.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#ifdef Q_OS_WIN
#include <io.h>
#include <qt_windows.h>
#else
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace kinfolio {

void setFileHidden(const QString &path, bool hidden)
{
#ifdef Q_OS_WIN
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    SetFileAttributesW(native.c_str(), hidden ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL);
#else
    Q_UNUSED(path);
    Q_UNUSED(hidden);
#endif
}

BrowserCommand browserCommand(const QString &url)
{
#ifdef Q_OS_WIN
    // The shell's default action for the address, as the system associates it.
    return {QStringLiteral("rundll32"), {QStringLiteral("url.dll,FileProtocolHandler"), url}, QStringLiteral("c:\\")};
#else
    // The desktop's opener hands the address to the default browser.
    return {QStringLiteral("xdg-open"), {url}, QDir::rootPath()};
#endif
}

bool isOpenableAddress(const QString &url)
{
    return !url.startsWith(u'-');
}

bool syncToDisk(QFileDevice &file)
{
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

bool holdFileLock(QFileDevice &file)
{
#ifdef Q_OS_WIN
    // Files there are opened without sharing by default; the lock file's
    // content decides.
    Q_UNUSED(file);
    return true;
#else
    return ::flock(file.handle(), LOCK_EX | LOCK_NB) == 0;
#endif
}

bool isProcessRunning(qint64 pid, const QString &programFile)
{
#ifdef Q_OS_WIN
    Q_UNUSED(pid);
    Q_UNUSED(programFile);
    return true; // the lock file's own lock tells
#else
    if (pid <= 0 || (::kill(pid_t(pid), 0) != 0 && errno != EPERM))
        return false;
    // The program a running process number belongs to, where the system
    // tells it; a program file replaced since it started reads "(deleted)".
    QString running = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
    if (running.isEmpty() || programFile.isEmpty())
        return true;
    running.remove(QStringLiteral(" (deleted)"));
    return QFileInfo(running).fileName() == programFile;
#endif
}

#ifndef Q_OS_WIN
namespace {
// A signal handler may do almost nothing; it writes the signal's number into
// a socket pair, and the event loop reads it and runs the handler there.
int endRequestSockets[2] = {-1, -1};

void noteEndRequest(int signal)
{
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(endRequestSockets[0], &byte, 1);
}
} // namespace
#endif

void onEndRequest(QObject *context, std::function<void(EndRequest)> handler)
{
#ifdef Q_OS_WIN
    // A windowed program there is ended through its windows and the session
    // manager, which the program handles itself.
    Q_UNUSED(context);
    Q_UNUSED(handler);
#else
    if (endRequestSockets[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, endRequestSockets) != 0)
        return;
    auto *notifier = new QSocketNotifier(endRequestSockets[1], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [notifier, handler = std::move(handler)] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(endRequestSockets[1], &byte, 1);
        // A second signal while the first is handled (a message open) changes nothing.
        notifier->setEnabled(false);
        handler(byte == SIGTERM ? EndRequest::Shutdown : EndRequest::Hangup);
        notifier->setEnabled(true);
    });
    struct sigaction action = {};
    action.sa_handler = noteEndRequest;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signal, &action, nullptr);
#endif
}

bool exchangeFolders(const QString &a, const QString &b)
{
#if defined(Q_OS_LINUX) && defined(RENAME_EXCHANGE)
    return ::renameat2(AT_FDCWD, QFile::encodeName(a).constData(), AT_FDCWD, QFile::encodeName(b).constData(),
                       RENAME_EXCHANGE)
           == 0;
#else
    Q_UNUSED(a);
    Q_UNUSED(b);
    return false;
#endif
}

bool isTerminalStream(std::FILE *stream)
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stream)) != 0;
#else
    return ::isatty(::fileno(stream)) == 1;
#endif
}

std::filesystem::path nativePath(const QString &path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

QString installPathSeparator()
{
#ifdef Q_OS_WIN
    return QStringLiteral("\\");
#else
    return QStringLiteral("/");
#endif
}

QString proposedInstallDirectory()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\Program Files\\Kinfolio\\");
#else
    return QStringLiteral("/opt/Kinfolio/");
#endif
}

} // namespace kinfolio
