#include "frmwebsites.h"

namespace kinfolio {

frmWebSites *frmWebSites::showFrom(QWidget *, const QString &)
{
    return nullptr;
}

} // namespace kinfolio
