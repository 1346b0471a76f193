#pragma once

#include <QPixmap>

namespace kinfolio {

// The product picture of the splash and the installer window, 168 x 178 pixels.
QPixmap productPicture();

} // namespace kinfolio
