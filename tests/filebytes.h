#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace kinfolio::testing {

// Files are compared byte for byte: these read and write them without any
// decoding in between.
inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// "<missing>" for a file that cannot be read, so a comparison names it.
inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace kinfolio::testing
