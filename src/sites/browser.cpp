#include "browser.h"

#include "platform/platform.h"

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
    if (!isOpenableAddress(url))
        return;
    BrowserLaunch launch;
    const BrowserCommand command = browserCommand(url);
    launch.program = command.program;
    launch.arguments = command.arguments;
    launch.workingDirectory = command.workingDirectory;
    launcher()(launch);
}

void setBrowserLauncher(BrowserLauncher replacement)
{
    launcher() = replacement ? std::move(replacement) : BrowserLauncher(startDetached);
}

} // namespace kinfolio
