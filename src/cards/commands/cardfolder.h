#pragma once

#include "base/result.h"
#include "commands/cardmessage.h"

#include <QString>

namespace kinfolio {

// The folder the card program keeps its files in, absolute: the card file,
// the site list, and beside the card file its lock, its journal and every
// kept copy. When the folder is refused, the failure is the message to show,
// and the program then ends.
//
// `named` comes from --folder, `home` from KINFOLIO_HOME; the first that is
// not empty wins, and without either the files stay beside the program, in
// `programDirectory`, as they always have. A named folder must already be
// a folder the program may write in: it is never made, so a slip in the name
// creates nothing anywhere, and a folder the cards could not be saved to is
// refused before any card is typed. A relative name is taken from the
// current directory.
Result<QString, CardMessage> chooseCardFolder(const QString &named, const QString &home, const QString &programDirectory);

} // namespace kinfolio
