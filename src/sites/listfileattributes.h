#pragma once

#include <QString>

namespace kinfolio {

// The site list file is visible while the site window is open and hidden
// between sessions, so that it is not edited or deleted by hand by mistake.
enum class ListFileVisibility { Normal, Hidden };

// Sets the file's attributes to normal, or to hidden alone. Only Windows has
// such attributes; elsewhere the file is left alone: hiding it there would
// mean renaming it, and the program and the installer look for it by name.
void setListFileAttributes(const QString &path, ListFileVisibility visibility);

} // namespace kinfolio
