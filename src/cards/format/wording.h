#pragma once

#include <QString>

namespace kinfolio {

// "1 card", "2 cards": a count with its noun, as the messages say it.
inline QString counted(int n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

} // namespace kinfolio
