#pragma once

#include "family/cardlinks.h"
#include "format/cardrecord.h"
#include "family/cardtext.h"

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

// What the printed pages hold, as plain data: the family group sheet and the
// pedigree chart of a card, and where on the page each part goes. Nothing
// here paints; sheetpainter.h draws what this decides.
namespace kinfolio::Sheets {

enum class Paper { A4, Letter };

// A page in points (1/72 inch) from its top left corner. The left margin is
// wide enough for the holes of a two- or three-ring binder.
struct PageFrame
{
    QSizeF size;
    QRectF body; // inside the margins: the title, the content, the footer

    static PageFrame of(Paper paper);
};

// --- the family group sheet ---

// A husband or a wife as their card gives them, each fact on one line.
struct Person : CardText::SpouseFacts
{
    int parentsCard = -1; // the card of the couple who are their parents, or -1
};

// A child of the couple: the husband (a son) or the wife (a daughter) of a
// card whose parents' card is this one; a child on several cards is shown
// once, by the first of them.
struct Child
{
    int card = 0; // the child's own card
    Spouse side = Spouse::Husband;
    QString name, bornDate, bornPlace, diedDate, diedPlace;
    QString spouse, marriedDate, marriedPlace;
};

struct FamilySheet
{
    int card = 0;
    Person husband, wife;
    QString marriedDate, marriedPlace;
    std::vector<Child> children;
    QString notes;
};

// The children are in the order of their birth years, those without a year
// last; the same year keeps card order.
FamilySheet familySheet(const std::vector<CardFields> &cards, const CardLinks &links, int card);

// --- the pedigree chart ---

constexpr int ChartGenerations = 4; // the couple, parents, grandparents, great-grandparents
constexpr int ChartSlots = 1 << ChartGenerations;

struct Ancestor
{
    QString name; // empty: not known from the cards
    QString lifespan; // "1821 – 1890", "b. 1821", "d. c. 1890" or empty
    int card = -1; // the card on which they are the husband or the wife, or -1
    int namedOn = -1; // for someone without a card: the card that names them as a parent
    bool moreOnTheirChart = false; // the last generation: their card tells of their parents
};

// The ancestors of one spouse, numbered as genealogists do: [1] the spouse,
// [2n] the father of n, [2n + 1] the mother of n; [0] is unused.
using AncestorLine = std::array<Ancestor, ChartSlots>;

struct PedigreeChart
{
    int card = 0;
    AncestorLine husband, wife;
    QString marriedDate, marriedPlace;
};

PedigreeChart pedigreeChart(const std::vector<CardFields> &cards, const CardLinks &links, int card);

// The years for a chart box (CardText::yearOf): "1821 – 1890", "b. c. 1825",
// "d. in the war".

// Where a chart puts the box of ancestor n (1 <= n < ChartSlots) of a side:
// the generations left to right, the husband's line in the upper half of the
// page and the wife's in the lower.
QRectF chartBox(const PageFrame &frame, Spouse side, int n);

// --- pages ---

// The heights of a sheet's parts, in points; the painter draws to the same.
namespace SheetMetrics {
constexpr double TitleHeight = 46;   // the title and its rule
constexpr double FooterHeight = 18;  // the footer line and its text
constexpr double HeadingHeight = 18; // a section's shaded heading
constexpr double RowHeight = 19;     // one labelled line of the husband or the wife
constexpr double ChildRowHeight = 16;
constexpr double ChildRows = 4;      // name; born; died; spouse and marriage
constexpr double SectionGap = 10;
constexpr double NoteLineHeight = 15;
constexpr double NoteFontSize = 10; // points, Liberation Serif
constexpr double NoteIndent = 6;
constexpr double HusbandRows = 6; // heading with name; born, married, died, father, mother
constexpr double WifeRows = 5;    // heading with name; born, died, father, mother
} // namespace SheetMetrics

// One part of a sheet as placed on a page.
struct SheetSection
{
    enum Kind { Couple, Children, Notes };
    Kind kind = Couple;
    double top = 0;         // points from the top of the page
    bool continued = false; // goes on from the page before
    int firstChild = 0;     // Children: the children shown here
    int childCount = 0;
    QStringList lines;      // Notes: the lines shown here
};

struct SheetPage
{
    std::vector<SheetSection> sections;
};

// How wide a text is, in points, in the notes' font.
using TextWidth = std::function<double(const QString &)>;

// Breaks a text into lines no wider than `width`: at its own line breaks,
// then between words, and inside a word only when the word alone is wider.
QStringList wrapText(const QString &text, double width, const TextWidth &measure);

// The pages of a sheet: the couple first, then the children and the notes,
// each going on to the next page where the page is full. A section never
// starts at the foot of a page without at least one child or line.
std::vector<SheetPage> layOutSheet(const FamilySheet &sheet, const PageFrame &frame, const TextWidth &measure);

} // namespace kinfolio::Sheets
