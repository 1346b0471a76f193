#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace kinfolio {

// Opens `url` with the user's default browser and returns at once. The
// address goes to the system exactly as given: no trimming, no scheme added,
// no check. The owner is always the user site list window, which is loaded
// (not shown) first when it does not exist. Nothing is reported back.
void OpenInBrowser(const QString &url);

// What OpenInBrowser hands to the system: a program started directly with
// its arguments, never through a shell.
struct BrowserLaunch
{
    QWidget *owner = nullptr;
    QString program;
    QStringList arguments;
    QString workingDirectory;
};

using BrowserLauncher = std::function<void(const BrowserLaunch &)>;

// Tests put a recorder in place of the system launcher; an empty launcher
// restores the system one.
void setBrowserLauncher(BrowserLauncher launcher);

} // namespace kinfolio
