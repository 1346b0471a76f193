#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace kinfolio {

// Opens `url` with the user's default browser and returns at once. The
// address goes to the system exactly as given: no trimming, no scheme added,
// no check. Nothing is reported back.
void OpenInBrowser(const QString &url);

// What OpenInBrowser hands to the system: a program started directly with
// its arguments, never through a shell.
struct BrowserLaunch
{
    QString program;
    QStringList arguments;
    QString workingDirectory;
};

using BrowserLauncher = std::function<void(const BrowserLaunch &)>;

// Tests put a recorder in place of the system launcher; an empty launcher
// restores the system one.
void setBrowserLauncher(BrowserLauncher launcher);

} // namespace kinfolio
