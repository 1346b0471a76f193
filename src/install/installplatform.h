#pragma once

#include <QString>

namespace kinfolio {

// Where this platform differs from the installer's original home. Everything
// the installer needs to know about the platform's paths is here.
#ifdef Q_OS_WIN
inline QString installPathSeparator() { return QStringLiteral("\\"); }
inline QString proposedInstallDirectory() { return QStringLiteral("C:\\Program Files\\Kinfolio\\"); }
#else
inline QString installPathSeparator() { return QStringLiteral("/"); }
inline QString proposedInstallDirectory() { return QStringLiteral("/opt/Kinfolio/"); }
#endif

} // namespace kinfolio
