#include "form1.h"

#include <QApplication>
#include <QFont>
#include <QStyleFactory>

// The picture lives in a static library; its resources must be pulled in.
static void loadPicture()
{
    Q_INIT_RESOURCE(picture);
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(QFont(QStringLiteral("Liberation Sans"), 8));
    loadPicture();

    // The window unloads itself after installing; closing the About window
    // it leaves behind ends the installer.
    auto *form1 = new kinfolio::Form1;
    form1->show();
    return app.exec();
}
