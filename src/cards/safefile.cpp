#include "safefile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace kinfolio {

namespace {
void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}
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

bool writeFileSafely(const QString &path, const QByteArray &bytes, QString *error)
{
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isFile()) {
        setError(error, QStringLiteral("Not a regular file, so it is not replaced"));
        return false;
    }
    QSaveFile file(path);
    // Unbuffered, so that a write the disk refuses fails here. A buffered
    // write of a small file fails only in the flush inside commit(), and
    // commit() then still puts the short file in place of the old one and
    // reports success: a full disk would empty the file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size()
        || !file.commit()) {
        setError(error, file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}

QString keepCopyAside(const QString &path, QString *error)
{
    QByteArray bytes;
    if (!readRegularFile(path, bytes, error))
        return {};
    for (int n = 1; n < 10000; ++n) {
        const QString copyPath = QStringLiteral("%1.unread-%2").arg(path).arg(n);
        if (QFileInfo::exists(copyPath) || QFileInfo(copyPath).isSymLink())
            continue;
        return writeFileSafely(copyPath, bytes, error) ? copyPath : QString();
    }
    setError(error, QStringLiteral("No free name is left for a copy"));
    return {};
}

} // namespace kinfolio
