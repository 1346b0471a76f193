#pragma once

#include "base/result.h"
#include "commands/cardmessage.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace kinfolio {

// What a window offers when the file it keeps could not be written at its
// Exit: OK to stay and try again, Save As to keep what it holds in another
// file, or Leave Without Saving. The card window (its cards in Kinfolio.dat)
// and the site list (its addresses in WebSites.dat) offer the same ways, with
// the same messages, through this interface; the window runs the dialogue.
class WaysOut
{
public:
    virtual ~WaysOut() = default;

    // The Save As file chooser: its title, and the name it proposes, a new
    // one beside the data file.
    virtual QString saveAsTitle() const = 0;
    virtual QString proposedCopyPath() const = 0;
    // Why Save As may not write to `path`; none when it may.
    virtual std::optional<CardMessage> copyRefusal(const QString &path) const = 0;
    // Writes the copy, and tells the user what happened, whether it was
    // written (the window then closes) or not.
    virtual Result<CardMessage, CardMessage> saveCopy(const QString &path) = 0;

    // The confirmation that leaving without saving asks; leaveWithoutSaving()
    // runs only on Yes.
    virtual CardMessage leaveQuestion() const = 0;
    virtual void leaveWithoutSaving() = 0;
};

// The messages and rules that both windows' ways out share. `things` names
// what the file keeps, as in "the cards" or "the addresses".
namespace WaysOutRules {

// The "Error!" message of a failed Exit: the reason, then the three ways out.
CardMessage failedExit(const QString &reason, const QString &things);

// A name beside `dataFile` that no file has yet: Kinfolio-saved.dat,
// Kinfolio-saved-2.dat and so on.
QString proposedCopyPath(const QString &dataFile);

// Save As never writes over the data file itself (by whatever path), nor over
// a file that holds cards, which the program has not read: another card file.
// `programFiles` are the program's other data files, never written over
// either. The refusal is an "Error!" message that says why.
std::optional<CardMessage> copyRefusal(const QString &path, const QString &dataFile,
                                       const QStringList &programFiles = {});

// What a written copy tells: how much went where, and that the data file
// itself was not written.
CardMessage savedCopy(const QString &saved, const QString &copyPath, const QString &dataFile);

} // namespace WaysOutRules

} // namespace kinfolio
