#include "installfilesystem.h"

#include "platform/platform.h"
#include "files/safefile.h"

#include <QDir>

#include <filesystem>
#include <system_error>

namespace kinfolio {

namespace {

QString reasonOf(const std::error_code &error)
{
    return QString::fromLocal8Bit(error.message().c_str());
}

} // namespace

InstallFileSystem::~InstallFileSystem() = default;

LocalFileSystem::LocalFileSystem(QString baseDirectory)
    : m_baseDirectory(std::move(baseDirectory))
{
}

QString LocalFileSystem::resolve(const QString &path) const
{
    // Plain concatenation: the path is used exactly as typed, spaces included.
    if (m_baseDirectory.isEmpty() || QDir::isAbsolutePath(path))
        return path;
    return m_baseDirectory + QLatin1Char('/') + path;
}

bool LocalFileSystem::exists(const QString &path) const
{
    std::error_code error;
    return std::filesystem::exists(nativePath(resolve(path)), error);
}

bool LocalFileSystem::isDirectory(const QString &path) const
{
    std::error_code error;
    return std::filesystem::is_directory(nativePath(resolve(path)), error);
}

Result<> LocalFileSystem::makeDirectory(const QString &path)
{
    std::error_code error;
    if (std::filesystem::create_directory(nativePath(resolve(path)), error))
        return {};
    // create_directory() treats an existing directory as no error; the
    // installer counts it as a failed creation.
    return Failure{error ? reasonOf(error) : reasonOf(std::make_error_code(std::errc::file_exists))};
}

Result<> LocalFileSystem::copyFile(const QString &from, const QString &to)
{
    std::error_code error;
    std::filesystem::copy_file(nativePath(resolve(from)), nativePath(resolve(to)),
                               std::filesystem::copy_options::overwrite_existing, error);
    if (error)
        return Failure{reasonOf(error)};
    return {};
}

Result<> LocalFileSystem::renameFile(const QString &from, const QString &to)
{
    // One rename that replaces the target, so there is never a moment
    // without a program file.
    std::error_code error;
    std::filesystem::rename(nativePath(resolve(from)), nativePath(resolve(to)), error);
    if (error)
        return Failure{reasonOf(error)};
    return {};
}

bool LocalFileSystem::isSameFile(const QString &a, const QString &b) const
{
    return kinfolio::isSameFile(resolve(a), resolve(b));
}

} // namespace kinfolio
