#include "waysoutdialog.h"

#include "messagebox.h"
#include "commands/waysout.h"

#include <QDir>
#include <QFileInfo>

namespace kinfolio {

WayOut offerWaysOut(QWidget *window, WaysOut &waysOut, const CardMessage &failure)
{
    switch (MessageBox::show(window, failure)) {
    case CardMessage::SaveElsewhere:
        for (;;) {
            const QString path = MessageBox::askSavePath(window, waysOut.saveAsTitle(), waysOut.proposedCopyPath());
            if (path.isEmpty())
                return WayOut::Stay;
            // A file Save As will not write over is refused before anyone is
            // asked whether to replace it.
            if (const std::optional<CardMessage> refused = waysOut.copyRefusal(path)) {
                MessageBox::show(window, *refused);
                continue;
            }
            if (QFileInfo::exists(path)
                && MessageBox::show(window, {QStringLiteral("%1 already exists.\r\nDo you want to replace it?")
                                                 .arg(QDir::toNativeSeparators(path)),
                                             waysOut.saveAsTitle(), CardMessage::Icon::Exclamation,
                                             CardMessage::Yes | CardMessage::No, CardMessage::No})
                       != CardMessage::Yes)
                continue;
            const Result<CardMessage, CardMessage> saved = waysOut.saveCopy(path);
            MessageBox::show(window, saved ? *saved : saved.error());
            if (saved)
                return WayOut::SavedElsewhere;
        }
    case CardMessage::LeaveWithoutSaving:
        if (MessageBox::show(window, waysOut.leaveQuestion()) != CardMessage::Yes)
            return WayOut::Stay;
        waysOut.leaveWithoutSaving();
        return WayOut::Left;
    default:
        return WayOut::Stay;
    }
}

} // namespace kinfolio
