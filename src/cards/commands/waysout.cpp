#include "commands/waysout.h"

#include "format/filekind.h"
#include "files/safefile.h"

#include <QDir>
#include <QFileInfo>

namespace kinfolio::WaysOutRules {

namespace {

const auto refusal = CardMessage::refusal;

bool isSamePlace(const QString &a, const QString &b)
{
    return isSameFile(a, b) || resolvedFilePath(a) == resolvedFilePath(b);
}

bool holdsCards(const QString &path)
{
    return fileKind(path) == FileKind::Cards;
}

} // namespace

CardMessage failedExit(const QString &reason, const QString &things)
{
    CardMessage message = refusal(reason
                                  + QStringLiteral("\r\n\r\nPress OK to stay and try again later, Save As to keep "
                                                   "%1 in another file, or Leave Without Saving.")
                                        .arg(things));
    message.buttons = CardMessage::Ok | CardMessage::SaveElsewhere | CardMessage::LeaveWithoutSaving;
    message.defaultButton = CardMessage::Ok;
    return message;
}

QString proposedCopyPath(const QString &dataFile)
{
    return unusedNameBeside(dataFile, QStringLiteral("saved"), 2);
}

std::optional<CardMessage> copyRefusal(const QString &path, const QString &dataFile, const QStringList &programFiles)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (isSamePlace(path, dataFile))
        return refusal(QStringLiteral("%1 is the file that could not be written. Save As keeps %2 in "
                                      "another file: choose a new name.")
                           .arg(shown, QFileInfo(dataFile).fileName()));
    for (const QString &programFile : programFiles) {
        if (isSamePlace(path, programFile))
            return refusal(QStringLiteral("%1 is one of Kinfolio's own files, so Save As does not write over "
                                          "it: choose a new name.")
                               .arg(shown));
    }
    if (holdsCards(path))
        return refusal(QStringLiteral("%1 holds cards that Kinfolio has not read, so Save As does not write over "
                                      "it: choose a new name.")
                           .arg(shown));
    return std::nullopt;
}

CardMessage savedCopy(const QString &saved, const QString &copyPath, const QString &dataFile)
{
    return CardMessage::report(QStringLiteral("%1 saved to\r\n%2\r\n\r\n%3 was not written.")
                                   .arg(saved, QDir::toNativeSeparators(copyPath), QDir::toNativeSeparators(dataFile)));
}

} // namespace kinfolio::WaysOutRules
