#include "picture.h"

#include <QtGlobal>

// Resources compiled into a static library are only registered when asked.
static void registerPictureResource()
{
    Q_INIT_RESOURCE(picture);
}

namespace kinfolio {

QPixmap productPicture()
{
    static const bool registered = (registerPictureResource(), true);
    Q_UNUSED(registered);
    return QPixmap(QStringLiteral(":/kinfolio/splash.jpg"));
}

} // namespace kinfolio
