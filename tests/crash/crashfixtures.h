#pragma once

#include "commands/cardeditor.h"
#include "cardfiles.h"
#include "format/cardrecord.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QString>

namespace kinfolio::testing {

// The cards and site lists that the crash tests save over each other. Every
// generation differs from the others in every field and address, so a file
// holding parts of two generations never passes for one of them.
constexpr int CrashGenerations = 3;

// Card `index` of generation `generation`, with the field lengths of real
// cards: names, dates, places and two lines of notes.
inline CardFields crashCard(int generation, int index)
{
    static const char *const places[] = {"Leeds, Yorkshire, England", "Växjö, Småland, Sweden",
                                         "Cork, Co. Cork, Ireland", "Mainz, Rheinhessen, Germany"};
    const QString tag = QStringLiteral("g%1 n%2").arg(generation).arg(index);
    const QString place = QString::fromUtf8(places[(index + generation) % 4]);
    CardFields c;
    c[CardField::Name] = QStringLiteral("Jonas Ashworth ") + tag;
    c[CardField::BornDate] = QStringLiteral("%1 MAR %2").arg(1 + index % 28).arg(1800 + index % 100);
    c[CardField::BornPlace] = place;
    c[CardField::MarriedDate] = QStringLiteral("ABT %1").arg(1830 + generation);
    c[CardField::MarriedPlace] = place;
    c[CardField::DiedDate] = QString();
    c[CardField::DiedPlace] = place;
    c[CardField::Father] = QStringLiteral("William Ashworth ") + tag;
    c[CardField::Mother] = QStringLiteral("Mary Holt ") + tag;
    c[CardField::WifeName] = QStringLiteral("Ellen Pryce ") + tag;
    c[CardField::WifeBornDate] = QStringLiteral("22 JAN %1").arg(1805 + index % 90);
    c[CardField::WifeBornPlace] = place;
    c[CardField::WifeDiedDate] = QStringLiteral("2 FEB %1").arg(1870 + generation);
    c[CardField::WifeDiedPlace] = place;
    c[CardField::WifeFather] = QStringLiteral("Owen Pryce ") + tag;
    c[CardField::WifeMother] = QStringLiteral("Ann Lloyd ") + tag;
    c[CardField::Notes] = QStringLiteral("Weaver at the Bank Mills, %1.\r\nSeven children, five survived.").arg(tag);
    return c;
}

// The card file of `count` cards of one generation.
inline QByteArray crashCardFile(int generation, int count)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += cardBytes(crashCard(generation, i));
    return out;
}

// Command `step` of the scripted session that the kill test runs: Add,
// Update or Delete of a card the dice choose, found by its husband's name,
// which is unique to it. The same dice make the same session.
inline void runSessionCommand(CardEditor &editor, QRandomGenerator &dice, int step)
{
    const int count = editor.store().cardCount();
    const int kind = count == 0 ? 0 : int(dice.bounded(3));
    if (kind > 0)
        editor.find(CardField::Name, editor.store().text(int(dice.bounded(quint32(count))), CardField::Name));
    if (kind == 0)
        editor.add(crashCard(step % CrashGenerations, 1000 + step));
    else if (kind == 1)
        editor.update(crashCard(step % CrashGenerations, 2000 + step));
    else
        editor.removeCard();
}

// The site list of one generation: 30 addresses.
inline QByteArray crashSiteListFile(int generation)
{
    QByteArray out;
    for (int slot = 1; slot <= 30; ++slot)
        out += "\"http://www.parish-registers-" + QByteArray::number(slot) + ".example.org/search?county="
               + QByteArray::number(slot * 7 % 40) + "&gen=" + QByteArray::number(generation) + "\"\r\n";
    return out;
}

} // namespace kinfolio::testing
