#pragma once

#include <QDialog>

namespace kinfolio {

// Placeholder until the About window lands.
class About : public QDialog
{
    Q_OBJECT
public:
    // Shows the one About window of the program, creating it when needed.
    static About *showAbout();

private:
    About();
};

} // namespace kinfolio
