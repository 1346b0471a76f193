#include "find.h"

namespace kinfolio {

find *find::showFor(frmKinfolio *)
{
    return nullptr;
}

} // namespace kinfolio
