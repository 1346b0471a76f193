#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>
#include <filesystem>
#include <functional>

class QFileDevice;
class QObject;

namespace kinfolio {

// Everything in which the platforms differ, in one place: other platforms'
// code lives only in platform.cpp.

// Sets a file's attributes to hidden alone, or to normal. Only Windows has
// such attributes; elsewhere the file is left alone: hiding it there would
// mean renaming it, and the program and the installer look for it by name.
// A missing file is no error: the save that follows creates it.
void setFileHidden(const QString &path, bool hidden);

// How an address is handed to the user's default browser: a program started
// directly with its arguments, never through a shell.
struct BrowserCommand
{
    QString program;
    QStringList arguments;
    // The root, so the browser holds no directory of ours open.
    QString workingDirectory;
};

// The command that opens `url` as given: no trimming, no scheme added.
BrowserCommand browserCommand(const QString &url);

// True when the system's opener would take `url` for an address, not for one
// of its own options: a text that begins with '-' is refused.
bool isOpenableAddress(const QString &url);

// Has the system write what it holds of an open file to the disk. False
// when it reports failure.
bool syncToDisk(QFileDevice &file);

// Takes the system's own lock on an open file without waiting, and keeps it
// while the file stays open: a second program that asks for it on the same
// file (on this computer or through the same file server) is refused. False
// when another holds it, or the system takes no such lock.
bool holdFileLock(QFileDevice &file);

// True when process `pid` runs on this computer as the program file named
// `programFile`. A process number the system has given to another program
// since is not taken for it; one whose program cannot be told is.
bool isProcessRunning(qint64 pid, const QString &programFile);

// How the system asks a program to end.
enum class EndRequest {
    Shutdown, // SIGTERM: the system is going down, no one is there to answer
    Hangup,   // SIGHUP or SIGINT: a closed terminal, a logout, Ctrl+C
};

// Calls `handler` on the thread of `context`, from its event loop, when the
// program is asked to end by the system. The program does not end by itself
// then; the handler decides, and a later request calls it again.
void onEndRequest(QObject *context, std::function<void(EndRequest)> handler);

// Swaps two folders in one step, so that each path holds a whole folder at
// every moment. False where the system cannot (the caller then moves one
// aside first).
bool exchangeFolders(const QString &a, const QString &b);

// True when `stream` goes to a terminal, not to a pipe or a file.
bool isTerminalStream(std::FILE *stream);

// A path as the system's file functions take it.
std::filesystem::path nativePath(const QString &path);

// The installer's path separator and the directory it proposes.
QString installPathSeparator();
QString proposedInstallDirectory();

} // namespace kinfolio
