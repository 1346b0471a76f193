#include "platform.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace kinfolio {

void setFileHidden(const QString &path, bool hidden)
{
#ifdef Q_OS_WIN
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    SetFileAttributesW(native.c_str(), hidden ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL);
#else
    Q_UNUSED(path);
    Q_UNUSED(hidden);
#endif
}

BrowserCommand browserCommand(const QString &url)
{
#ifdef Q_OS_WIN
    // The shell's default action for the address, as the system associates it.
    return {QStringLiteral("rundll32"), {QStringLiteral("url.dll,FileProtocolHandler"), url}, QStringLiteral("c:\\")};
#else
    // The desktop's opener hands the address to the default browser.
    return {QStringLiteral("xdg-open"), {url}, QDir::rootPath()};
#endif
}

bool isOpenableAddress(const QString &url)
{
    return !url.startsWith(u'-');
}

std::filesystem::path nativePath(const QString &path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

QString installPathSeparator()
{
#ifdef Q_OS_WIN
    return QStringLiteral("\\");
#else
    return QStringLiteral("/");
#endif
}

QString proposedInstallDirectory()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\Program Files\\Kinfolio\\");
#else
    return QStringLiteral("/opt/Kinfolio/");
#endif
}

} // namespace kinfolio
