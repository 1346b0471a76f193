#pragma once

#include <QDialog>

namespace kinfolio {

class frmKinfolio;

// Placeholder until the find dialog lands.
class find : public QDialog
{
    Q_OBJECT
public:
    // Shows the one find dialog for `cardWindow`, or brings it forward.
    static find *showFor(frmKinfolio *cardWindow);
};

} // namespace kinfolio
