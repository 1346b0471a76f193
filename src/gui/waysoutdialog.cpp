#include "waysoutdialog.h"

#include "messagebox.h"
#include "waysout.h"

namespace kinfolio {

WayOut offerWaysOut(QWidget *window, WaysOut &waysOut, const CardMessage &failure)
{
    switch (MessageBox::show(window, failure)) {
    case CardMessage::SaveElsewhere:
        for (;;) {
            const QString path = MessageBox::askSavePath(window, waysOut.saveAsTitle(), waysOut.proposedCopyPath());
            if (path.isEmpty())
                return WayOut::Stay;
            CardMessage said;
            const bool saved = waysOut.saveCopy(path, &said);
            MessageBox::show(window, said);
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
