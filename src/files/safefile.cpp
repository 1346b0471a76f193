#include "files/safefile.h"

#include "platform/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>

namespace kinfolio {

namespace {
void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// What a save's temporary file is named after the file it replaces, so that
// only this program's own are ever cleaned up.
const QString TemporaryMark = QStringLiteral(".kinfolio-saving-");
} // namespace

bool readRegularFile(const QString &path, QByteArray &bytes, QString *error)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        setError(error, QStringLiteral("No such file"));
        return false;
    }
    // Checked before opening: opening a named pipe waits for a writer.
    if (!info.isFile()) {
        setError(error, QStringLiteral("Not a regular file"));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, file.errorString());
        return false;
    }
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        setError(error, file.errorString());
        bytes.clear();
        return false;
    }
    return true;
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

bool SafeFileWriter::open()
{
    const QFileInfo existing(m_path);
    if (existing.exists() && !existing.isFile()) {
        m_error = QStringLiteral("Not a regular file, so it is not replaced");
        return false;
    }
    m_file = std::make_unique<QTemporaryFile>(m_path + TemporaryMark + QStringLiteral("XXXXXX"));
    m_file->setAutoRemove(false);
    // Unbuffered, so that a write the disk refuses fails at once, not in a
    // flush after the last write where it could go unseen.
    if (!static_cast<QFile *>(m_file.get())->open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        m_error = m_file->errorString();
        m_file.reset();
        return false;
    }
    m_device = std::make_unique<WholeWrites>(m_file.get());
    return true;
}

QIODevice *SafeFileWriter::device()
{
    return m_device.get();
}

bool SafeFileWriter::commit()
{
    if (!m_file)
        return false;
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
    if (!error.isEmpty()) {
        QFile::remove(temporary);
        m_error = error;
    }
    m_file.reset();
    return error.isEmpty();
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

bool writeFileSafely(const QString &path, const QByteArray &bytes, QString *error)
{
    SafeFileWriter writer(path);
    if (!writer.open()) {
        setError(error, writer.errorString());
        return false;
    }
    // A failed write is reported by commit(), which then keeps the old file.
    writer.device()->write(bytes);
    if (!writer.commit()) {
        setError(error, writer.errorString());
        return false;
    }
    return true;
}

bool appendFileDurably(const QString &path, const QByteArray &bytes, QString *error)
{
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isFile()) {
        setError(error, QStringLiteral("Not a regular file, so nothing is written to it"));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        setError(error, file.errorString());
        return false;
    }
    const qint64 before = file.size();
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            setError(error, file.errorString());
            file.resize(before);
            return false;
        }
        done += written;
    }
    if (!syncToDisk(file)) {
        setError(error, QStringLiteral("The system could not put the file on the disk"));
        return false;
    }
    return true;
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
QString freeAsideName(const QString &path, QString *error)
{
    for (int n = 1; n < 10000; ++n) {
        const QString aside = QStringLiteral("%1.unread-%2").arg(path).arg(n);
        if (!QFileInfo::exists(aside) && !QFileInfo(aside).isSymLink())
            return aside;
    }
    setError(error, QStringLiteral("No free name is left for a copy"));
    return {};
}
} // namespace

QString keepCopyAside(const QString &path, QString *error)
{
    QByteArray bytes;
    if (!readRegularFile(path, bytes, error))
        return {};
    const QString copyPath = freeAsideName(path, error);
    return !copyPath.isEmpty() && writeFileSafely(copyPath, bytes, error) ? copyPath : QString();
}

QString moveAside(const QString &path, QString *error)
{
    const QString aside = freeAsideName(path, error);
    if (aside.isEmpty())
        return {};
    if (!QFile::rename(path, aside)) {
        setError(error, QStringLiteral("The file could not be renamed"));
        return {};
    }
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
