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

// The husband's and the wife's halves of a card: the same seven facts each.
enum class Spouse { Husband, Wife };

struct SpouseFields
{
    CardField name, bornDate, bornPlace, diedDate, diedPlace, father, mother;
};

inline const SpouseFields &spouseFields(Spouse spouse)
{
    static const SpouseFields husband{CardField::Name,     CardField::BornDate, CardField::BornPlace,
                                      CardField::DiedDate, CardField::DiedPlace, CardField::Father,
                                      CardField::Mother};
    static const SpouseFields wife{CardField::WifeName,     CardField::WifeBornDate,  CardField::WifeBornPlace,
                                   CardField::WifeDiedDate, CardField::WifeDiedPlace, CardField::WifeFather,
                                   CardField::WifeMother};
    return spouse == Spouse::Husband ? husband : wife;
}

// A value of nothing but white space tells as little as an empty one.
inline bool isBlank(const QString &text)
{
    for (QChar c : text) {
        if (!c.isSpace())
            return false;
    }
    return true;
}

// One card as the window sees it: its fields and its 1-based position as
// decimal text. RecordNumber is derived from the position, never stored.
struct CardRecord : CardFields
{
    QString RecordNumber;
};

} // namespace kinfolio
