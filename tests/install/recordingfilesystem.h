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
    kinfolio::Result<> makeDirectory(const QString &path) override { return record(QStringLiteral("mkdir ") + path); }
    kinfolio::Result<> copyFile(const QString &from, const QString &to) override
    {
        return record(QStringLiteral("copy ") + from + QStringLiteral(" -> ") + to);
    }
    kinfolio::Result<> renameFile(const QString &from, const QString &to) override
    {
        return record(QStringLiteral("rename ") + from + QStringLiteral(" -> ") + to);
    }
    // Pairs of names of one file, either way round.
    QList<QPair<QString, QString>> sameFiles;
    bool isSameFile(const QString &a, const QString &b) const override
    {
        return sameFiles.contains({a, b}) || sameFiles.contains({b, a});
    }

private:
    kinfolio::Result<> record(const QString &call)
    {
        calls << call;
        if (!failWith.isEmpty())
            return kinfolio::Failure{failWith};
        return {};
    }
};
