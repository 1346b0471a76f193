#pragma once

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
    // or its parent is missing. On failure `reason` gets the system's reason.
    virtual bool makeDirectory(const QString &path, QString &reason) = 0;
    // Copies one file, replacing a file of the same name at `to` and keeping
    // the source's permissions (the program file stays executable).
    virtual bool copyFile(const QString &from, const QString &to, QString &reason) = 0;
    // Renames a file, replacing a file of the new name if there is one.
    virtual bool renameFile(const QString &from, const QString &to, QString &reason) = 0;
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
    bool makeDirectory(const QString &path, QString &reason) override;
    bool copyFile(const QString &from, const QString &to, QString &reason) override;
    bool renameFile(const QString &from, const QString &to, QString &reason) override;
    bool isSameFile(const QString &a, const QString &b) const override;

private:
    QString resolve(const QString &path) const;

    QString m_baseDirectory;
};

} // namespace kinfolio
