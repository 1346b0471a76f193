#include "installerwindow.h"
#include "programlook.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    kinfolio::applyProgramLook();

    // The window unloads itself after installing; closing the About window
    // it leaves behind ends the installer.
    auto *form1 = new kinfolio::InstallerWindow;
    form1->show();
    return app.exec();
}
