#include "programlook.h"

#include <QApplication>
#include <QFont>
#include <QStyleFactory>

namespace kinfolio {

void applyProgramLook()
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(QFont(QStringLiteral("Liberation Sans"), 8));
}

} // namespace kinfolio
