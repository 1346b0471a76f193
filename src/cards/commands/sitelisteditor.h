#pragma once

#include "commands/cardmessage.h"
#include "format/sitelistfile.h"
#include "commands/waysout.h"

#include <QStringList>

#include <optional>

namespace kinfolio {

// The rules of the user site list window, without widgets: the load, Go's
// refusal, Save, and Exit with the ways out of a save that fails. The 30
// slot texts live in the window's boxes; each command takes them.
class SiteListEditor : public WaysOut
{
public:
    // The list file WebSites.dat in `programDirectory`, beside the card file.
    explicit SiteListEditor(const QString &programDirectory);

    const SiteListFile &listFile() const { return m_file; }

    // The texts of slots 1 to 30 from the list file.
    QStringList load();

    // Go: why `text` is not handed to the browser, or none. A free slot has
    // no address yet, and a text that begins with '-' would reach the
    // system's opener as one of its options.
    static std::optional<CardMessage> goRefusal(const QString &text);

    // Save: writes the list and says so, or says why it could not.
    CardMessage save(const QStringList &texts);
    // Exit: writes the list; none when it was written and the window may
    // close, or the failure with the ways out (WaysOut).
    std::optional<CardMessage> exit(const QStringList &texts);
    // The end of the session: writes the list without asking.
    Result<> saveForEnd(const QStringList &texts);
    // A shutdown, when the list itself could not be written: keeps the texts
    // in a new file beside it, named as Save As would propose, and gives
    // the file's path.
    Result<QString> keepCopyForEnd(const QStringList &texts);

    // WaysOut, for the texts of the Exit that failed
    QString saveAsTitle() const override;
    QString proposedCopyPath() const override;
    std::optional<CardMessage> copyRefusal(const QString &path) const override;
    Result<CardMessage, CardMessage> saveCopy(const QString &path) override;
    CardMessage leaveQuestion() const override;
    void leaveWithoutSaving() override {}

private:
    SiteListFile m_file;
    QString m_cardFile;
    QStringList m_unsaved;
};

} // namespace kinfolio
