#pragma once

#include "installfilesystem.h"

#include <QSet>
#include <QStringList>

// Writes nothing: records each request and answers from a set of existing
// paths, so paths like the root directory can be checked safely.
class RecordingFileSystem : public kinfolio::InstallFileSystem
{
public:
    QStringList calls;
    QSet<QString> existing;
    // Every request fails with this reason when it is set.
    QString failWith;

    bool exists(const QString &path) const override { return existing.contains(path); }
    bool isDirectory(const QString &path) const override { return existing.contains(path); }
    bool makeDirectory(const QString &path, QString &reason) override
    {
        return record(QStringLiteral("mkdir ") + path, reason);
    }
    bool copyFile(const QString &from, const QString &to, QString &reason) override
    {
        return record(QStringLiteral("copy ") + from + QStringLiteral(" -> ") + to, reason);
    }
    bool renameFile(const QString &from, const QString &to, QString &reason) override
    {
        return record(QStringLiteral("rename ") + from + QStringLiteral(" -> ") + to, reason);
    }
    // Pairs of names of one file, either way round.
    QList<QPair<QString, QString>> sameFiles;
    bool isSameFile(const QString &a, const QString &b) const override
    {
        return sameFiles.contains({a, b}) || sameFiles.contains({b, a});
    }

private:
    bool record(const QString &call, QString &reason)
    {
        calls << call;
        reason = failWith;
        return failWith.isEmpty();
    }
};
