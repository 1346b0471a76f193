#pragma once

#include "base/result.h"

#include <QString>

namespace kinfolio {

// The file operations the installation sequence relies on. Tests put a
// recorder or a redirect in place of the real file system.
class InstallFileSystem
{
public:
    virtual ~InstallFileSystem();

    // True when a file or directory of that name exists.
    virtual bool exists(const QString &path) const = 0;
    virtual bool isDirectory(const QString &path) const = 0;
    // Creates exactly the one directory named; fails when it exists already
    // or its parent is missing, with the system's reason.
    virtual Result<> makeDirectory(const QString &path) = 0;
    // Copies one file, replacing a file of the same name at `to` and keeping
    // the source's permissions (the program file stays executable).
    virtual Result<> copyFile(const QString &from, const QString &to) = 0;
    // Renames a file, replacing a file of the new name if there is one.
    virtual Result<> renameFile(const QString &from, const QString &to) = 0;
    // True when both names lead to one existing file.
    virtual bool isSameFile(const QString &a, const QString &b) const = 0;
};

// The real file system. Relative paths are taken relative to
// `baseDirectory`, or to the process's working directory when it is empty.
class LocalFileSystem : public InstallFileSystem
{
public:
    explicit LocalFileSystem(QString baseDirectory = QString());

    bool exists(const QString &path) const override;
    bool isDirectory(const QString &path) const override;
    Result<> makeDirectory(const QString &path) override;
    Result<> copyFile(const QString &from, const QString &to) override;
    Result<> renameFile(const QString &from, const QString &to) override;
    bool isSameFile(const QString &a, const QString &b) const override;

private:
    QString resolve(const QString &path) const;

    QString m_baseDirectory;
};

} // namespace kinfolio
