#pragma once

#include <QMainWindow>

namespace kinfolio {

// Placeholder until the site list window lands.
class frmWebSites : public QMainWindow
{
    Q_OBJECT
public:
    // Shows the user's site list in place of `cardWindow`, loading it from
    // WebSites.dat in `programDirectory` first when it is not loaded yet.
    static frmWebSites *showFrom(QWidget *cardWindow, const QString &programDirectory);
};

} // namespace kinfolio
