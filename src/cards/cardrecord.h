#pragma once

#include <QString>

#include <array>

namespace kinfolio {

// The seventeen fields of a family card, in the order of the card file and of
// every copy between a card and the card window.
enum class CardField {
    Name,
    BornDate,
    BornPlace,
    MarriedDate,
    MarriedPlace,
    DiedDate,
    DiedPlace,
    Father,
    Mother,
    WifeName,
    WifeBornDate,
    WifeBornPlace,
    WifeDiedDate,
    WifeDiedPlace,
    WifeFather,
    WifeMother,
    Notes,
};

constexpr int CardFieldCount = 17;

// The seventeen texts of a card, indexed by CardField.
struct CardFields
{
    std::array<QString, CardFieldCount> texts;

    QString &operator[](CardField f) { return texts[static_cast<int>(f)]; }
    const QString &operator[](CardField f) const { return texts[static_cast<int>(f)]; }
    QString &operator[](int i) { return texts[i]; }
    const QString &operator[](int i) const { return texts[i]; }
    bool operator==(const CardFields &o) const { return texts == o.texts; }
    bool operator!=(const CardFields &o) const { return texts != o.texts; }
};

// One card as the window sees it: its fields and its 1-based position as
// decimal text. RecordNumber is derived from the position, never stored.
struct CardRecord : CardFields
{
    QString RecordNumber;
};

} // namespace kinfolio
