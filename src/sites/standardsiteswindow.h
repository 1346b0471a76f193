#pragma once

#include "sitegrid.h"

#include <QMainWindow>

namespace kinfolio {

// A fixed list of 30 reference sites for family research, each address in a
// read-only box with a Go button. Reached from the user's site list, which
// stays loaded and hidden meanwhile. There is at most one.
class StandardSitesWindow : public QMainWindow
{
    Q_OBJECT
public:
    // Shows the standard list, creating and loading it first when needed.
    static StandardSitesWindow *showStandard();
    // The loaded window, or nullptr.
    static StandardSitesWindow *instance();

    ~StandardSitesWindow() override;

private:
    StandardSitesWindow();

    void goToSite(int index);
    void exitList();

    SiteGrid m_grid;
};

} // namespace kinfolio
