#include "listfileattributes.h"

#ifdef Q_OS_WIN
#include <QDir>
#include <qt_windows.h>
#endif

namespace kinfolio {

void setListFileAttributes(const QString &path, ListFileVisibility visibility)
{
#ifdef Q_OS_WIN
    // A missing file is not an error here: the save that follows creates it.
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    SetFileAttributesW(native.c_str(),
                       visibility == ListFileVisibility::Hidden ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL);
#else
    Q_UNUSED(path);
    Q_UNUSED(visibility);
#endif
}

} // namespace kinfolio
