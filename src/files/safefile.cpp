#include "files/safefile.h"

#include "platform/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>

namespace kinfolio {

namespace {
// What a save's temporary file is named after the file it replaces, so that
// only this program's own are ever cleaned up.
const QString TemporaryMark = QStringLiteral(".kinfolio-saving-");
} // namespace

Result<QByteArray> readRegularFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return Failure{QStringLiteral("No such file")};
    // Checked before opening: opening a named pipe waits for a writer.
    if (!info.isFile())
        return Failure{QStringLiteral("Not a regular file")};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failure{file.errorString()};
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Failure{file.errorString()};
    return bytes;
}

// Stands in front of the save file so that every write is taken whole or
// fails. A write that the disk takes only in part (its last free blocks, a
// file size limit) comes back from QFile as a short count with no error set;
// a writer that stops at a short count, as QDataStream does, would then leave
// commit() nothing to refuse, and the cut file would replace the old one. The
// rest is written again, which fails with the system's reason and so marks
// the save file as failed.
class SafeFileWriter::WholeWrites : public QIODevice
{
public:
    explicit WholeWrites(QFileDevice *file)
        : m_file(file)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    bool failed() const { return m_failed; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 length) override
    {
        if (m_failed)
            return -1;
        for (qint64 done = 0; done < length;) {
            const qint64 written = m_file->write(data + done, length - done);
            if (written <= 0) {
                m_failed = true;
                setErrorString(m_file->errorString());
                return -1;
            }
            done += written;
        }
        return length;
    }

private:
    QFileDevice *m_file;
    bool m_failed = false;
};

SafeFileWriter::SafeFileWriter(const QString &path)
    : m_path(path)
{
}

SafeFileWriter::~SafeFileWriter()
{
    m_device.reset();
    if (m_file)
        m_file->remove();
}

Result<> SafeFileWriter::open()
{
    const QFileInfo existing(m_path);
    if (existing.exists() && !existing.isFile())
        return Failure{QStringLiteral("Not a regular file, so it is not replaced")};
    m_file = std::make_unique<QTemporaryFile>(m_path + TemporaryMark + QStringLiteral("XXXXXX"));
    m_file->setAutoRemove(false);
    // Unbuffered, so that a write the disk refuses fails at once, not in a
    // flush after the last write where it could go unseen.
    if (!static_cast<QFile *>(m_file.get())->open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        const QString error = m_file->errorString();
        m_file.reset();
        return Failure{error};
    }
    m_device = std::make_unique<WholeWrites>(m_file.get());
    return {};
}

QIODevice *SafeFileWriter::device()
{
    return m_device.get();
}

Result<> SafeFileWriter::commit()
{
    if (!m_file)
        return Failure{QStringLiteral("The file was not opened")};
    // A failed write leaves the device's error set; the old file then stays.
    const bool cut = m_device->failed();
    QString error = m_file->error() != QFileDevice::NoError ? m_file->errorString()
                    : cut                                    ? m_device->errorString()
                                                             : QString();
    m_device.reset();
    if (error.isEmpty() && !m_file->flush())
        error = m_file->errorString();
    if (error.isEmpty() && !syncToDisk(*m_file))
        error = QStringLiteral("The system could not put the file on the disk");
    const QString temporary = m_file->fileName();
    m_file->close();
    if (error.isEmpty()) {
        // The new file keeps the old one's permissions; a new one gets the
        // usual ones rather than the temporary file's private ones.
        const QFileInfo old(m_path);
        m_file->setPermissions(old.exists() ? old.permissions()
                                            : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                                                  | QFileDevice::WriteUser | QFileDevice::ReadGroup
                                                  | QFileDevice::ReadOther);
        std::error_code failure;
        std::filesystem::rename(nativePath(temporary), nativePath(m_path), failure);
        if (failure)
            error = QString::fromStdString(failure.message());
    }
    m_file.reset();
    if (!error.isEmpty()) {
        QFile::remove(temporary);
        return Failure{error};
    }
    return {};
}

void removeLeftoverTemporaryFiles(const QString &path)
{
    const QFileInfo info(path);
    const QDir folder = info.dir();
    const QStringList names = folder.entryList({info.fileName() + TemporaryMark + QStringLiteral("??????")},
                                               QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        const QFileInfo left(folder.filePath(name));
        if (left.isFile() && !left.isSymLink())
            QFile::remove(left.filePath());
    }
}

Result<> writeFileSafely(const QString &path, const QByteArray &bytes)
{
    SafeFileWriter writer(path);
    if (const Result<> opened = writer.open(); !opened)
        return opened;
    // A failed write is reported by commit(), which then keeps the old file.
    writer.device()->write(bytes);
    return writer.commit();
}

Result<> appendFileDurably(const QString &path, const QByteArray &bytes)
{
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isFile())
        return Failure{QStringLiteral("Not a regular file, so nothing is written to it")};
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return Failure{file.errorString()};
    const qint64 before = file.size();
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            const QString error = file.errorString();
            file.resize(before);
            return Failure{error};
        }
        done += written;
    }
    if (!syncToDisk(file))
        return Failure{QStringLiteral("The system could not put the file on the disk")};
    return {};
}

QString resolvedFilePath(const QString &path)
{
    QFileInfo info(path);
    // Forty links deep is what the system itself follows before it gives up.
    for (int hops = 0; hops < 40 && info.isSymLink(); ++hops)
        info.setFile(info.symLinkTarget());
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : QDir(folder).filePath(info.fileName());
}

bool isSameFile(const QString &a, const QString &b)
{
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

namespace {
// The first name `path`.unread-N that nothing stands at, not even a link.
Result<QString> freeAsideName(const QString &path)
{
    for (int n = 1; n < 10000; ++n) {
        const QString aside = QStringLiteral("%1.unread-%2").arg(path).arg(n);
        if (!QFileInfo::exists(aside) && !QFileInfo(aside).isSymLink())
            return aside;
    }
    return Failure{QStringLiteral("No free name is left for a copy")};
}
} // namespace

Result<QString> keepCopyAside(const QString &path)
{
    const Result<QByteArray> bytes = readRegularFile(path);
    if (!bytes)
        return Failure{bytes.error()};
    const Result<QString> copyPath = freeAsideName(path);
    if (!copyPath)
        return copyPath;
    if (const Result<> written = writeFileSafely(*copyPath, *bytes); !written)
        return Failure{written.error()};
    return copyPath;
}

Result<QString> moveAside(const QString &path)
{
    const Result<QString> aside = freeAsideName(path);
    if (aside && !QFile::rename(path, *aside))
        return Failure{QStringLiteral("The file could not be renamed")};
    return aside;
}

QString unusedNameBeside(const QString &dataFile, const QString &word, int firstNumber)
{
    const QFileInfo info(dataFile);
    const QDir folder = info.dir();
    for (int n = firstNumber - 1;; ++n) {
        const QString numbered = n < firstNumber ? QString() : QStringLiteral("-%1").arg(n);
        const QString path = folder.filePath(
            QStringLiteral("%1-%2%3.%4").arg(info.completeBaseName(), word, numbered, info.suffix()));
        if (n >= 1 && !QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            return path;
    }
}

} // namespace kinfolio
