#include "commands/cardfolder.h"

#include <QDir>
#include <QFileInfo>

namespace kinfolio {

Result<QString, CardMessage> chooseCardFolder(const QString &named, const QString &home, const QString &programDirectory)
{
    const QString chosen = !named.isEmpty() ? named : home;
    if (chosen.isEmpty())
        return programDirectory;

    const QFileInfo folder(QDir::current().absoluteFilePath(chosen));
    const QString shown = QDir::toNativeSeparators(folder.absoluteFilePath());
    const auto refuse = [&shown](const QString &why) {
        return Failure{CardMessage::refusal(QStringLiteral("Kinfolio cannot keep its cards in %1:\r\n%2").arg(shown, why))};
    };
    if (!folder.exists())
        return refuse(QStringLiteral("there is no such folder. Make it first, or name another one."));
    if (!folder.isDir())
        return refuse(QStringLiteral("it is a file, not a folder."));
    // Both to make a file in the folder: the card file, its journal, its lock.
    if (!folder.isWritable() || !folder.isExecutable())
        return refuse(QStringLiteral("the folder cannot be written to, so no change could be saved."));
    return folder.absoluteFilePath();
}

} // namespace kinfolio
