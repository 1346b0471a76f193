#pragma once

#include "base/result.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryFile>

#include <memory>

namespace kinfolio {

// The one way the programs read and write whole files.

// Reads a whole file. Only a regular file is read: a folder, a named pipe or
// a device counts as unreadable, so nothing can make a program wait for input
// that never comes. A failure's reason is for the caller to put beside the
// file's name.
Result<QByteArray> readRegularFile(const QString &path);

// Writes a whole file so that it is either replaced completely or left as it
// was: the bytes go, unbuffered, to a temporary file in the same directory
// (named after the file, see removeLeftoverTemporaryFiles), which is put on
// the disk and then renamed over the old one. A crash, power cut or full disk
// during the write leaves the previous file intact, and every failure is
// reported. Anything at the path that is not a regular file is refused
// rather than replaced.
Result<> writeFileSafely(const QString &path, const QByteArray &bytes);

// The same for output that is made piece by piece (a PDF page after page),
// so that it need not be held in memory whole. Write to device(), then
// commit(); a writer destroyed without commit() leaves the old file as it
// was.
class SafeFileWriter
{
public:
    explicit SafeFileWriter(const QString &path);
    ~SafeFileWriter();

    // Fails when the file cannot be written.
    Result<> open();
    QIODevice *device();
    // Puts the written file in place of the old one. Fails, with the old
    // file left as it was, when any write or the replacement failed.
    Result<> commit();

private:
    class WholeWrites;

    QString m_path;
    std::unique_ptr<QTemporaryFile> m_file;
    std::unique_ptr<WholeWrites> m_device; // in front of m_file; see the .cpp
};

// Removes what saves of `path` that a crash or a kill cut short left beside
// it: only this program's own temporary files of that one file. Call it only
// while no other save of the file can run (the card file's lock held).
void removeLeftoverTemporaryFiles(const QString &path);

// Appends `bytes` to a regular file, creating it when missing, and has the
// system put them on the disk before it returns, so that a crash or a power
// cut after the return keeps them. A write the disk takes only in part is cut
// off again, so the file ends where it ended before. Anything at the path
// that is not a regular file is refused.
Result<> appendFileDurably(const QString &path, const QByteArray &bytes);

// The file that `path` leads to: symbolic links followed, also to a file that
// does not exist yet, and the folder's own links resolved. Two paths to one
// card file give the same text, so its lock and journal are found from both.
QString resolvedFilePath(const QString &path);

// True when both paths lead to one existing file, links and relative names
// resolved: a tool must not write its output over its own input.
bool isSameFile(const QString &a, const QString &b);

// Keeps a byte-for-byte copy of a regular file beside it, as `path`.unread-N
// with the first free N, never over an earlier copy. Gives the copy's path.
Result<QString> keepCopyAside(const QString &path);

// Moves a file to the same kind of name. A rename needs no room on the disk.
Result<QString> moveAside(const QString &path);

// A name beside `dataFile` that nothing stands at yet, the data file's name
// with `word` and a number from `firstNumber` on: with "saved" and 2,
// Kinfolio-saved.dat, then Kinfolio-saved-2.dat; with "recovered" and 1,
// Kinfolio-recovered-1.dat.
QString unusedNameBeside(const QString &dataFile, const QString &word, int firstNumber);

} // namespace kinfolio
