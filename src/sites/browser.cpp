#include "browser.h"

#include "frmwebsites.h"

#include <QDir>
#include <QProcess>

namespace kinfolio {

namespace {

void startDetached(const BrowserLaunch &launch)
{
    // Whether a browser opened is not the caller's concern.
    QProcess::startDetached(launch.program, launch.arguments, launch.workingDirectory);
}

BrowserLauncher &launcher()
{
    static BrowserLauncher current = startDetached;
    return current;
}

} // namespace

void OpenInBrowser(const QString &url)
{
    BrowserLaunch launch;
    launch.owner = frmWebSites::loaded();
    // The desktop's opener hands the address to the default browser; as an
    // argument of its own it can never be read as a command.
    launch.program = QStringLiteral("xdg-open");
    launch.arguments = QStringList{url};
    // The root, so the browser holds no directory of ours open.
    launch.workingDirectory = QDir::rootPath();
    launcher()(launch);
}

void setBrowserLauncher(BrowserLauncher replacement)
{
    launcher() = replacement ? std::move(replacement) : BrowserLauncher(startDetached);
}

} // namespace kinfolio
