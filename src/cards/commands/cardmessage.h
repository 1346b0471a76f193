#pragma once

#include <QString>

namespace kinfolio {

// A message of the program's commands, in its own terms; the window turns
// it into a message box.
struct CardMessage
{
    enum Button { Ok = 0x1, Yes = 0x2, No = 0x4, SaveElsewhere = 0x8, LeaveWithoutSaving = 0x10 };
    enum class Icon { None, Exclamation };

    QString text; // lines end in CR LF
    QString title;
    Icon icon = Icon::None;
    int buttons = Ok;
    // The button that Enter presses; 0 leaves the choice to the message box.
    int defaultButton = 0;

    // The recurring forms: a report under the program's title, a refusal
    // ("Error!") and a warning ("Warning!"), both with the exclamation icon.
    static CardMessage report(const QString &text) { return {text, QStringLiteral("Kinfolio")}; }
    static CardMessage refusal(const QString &text)
    {
        return {text, QStringLiteral("Error!"), Icon::Exclamation};
    }
    static CardMessage warning(const QString &text)
    {
        return {text, QStringLiteral("Warning!"), Icon::Exclamation};
    }
};

} // namespace kinfolio
