#include "sheetlayout.h"

#include <algorithm>

namespace kinfolio::Sheets {

using CardText::printedLine;

namespace {

constexpr double pointsPerMm = 72.0 / 25.4;

// The chart's share of the page, in points.
constexpr double chartTitleHeight = 70; // the title, the couple's names, the column headings
constexpr double chartColumnGap = 18;
constexpr double chartBoxHeight = 38;

} // namespace

PageFrame PageFrame::of(Paper paper)
{
    // A4 is punched with two holes 12 mm from the edge, Letter with three
    // 3/8 inch from it: 25 mm and one inch leave room around the holes.
    PageFrame frame;
    if (paper == Paper::Letter) {
        frame.size = QSizeF(612, 792);
        frame.body = QRectF(72, 36, 612 - 72 - 36, 792 - 36 - 36);
    } else {
        frame.size = QSizeF(210 * pointsPerMm, 297 * pointsPerMm);
        const double left = 25 * pointsPerMm, other = 15 * pointsPerMm;
        frame.body = QRectF(left, other, frame.size.width() - left - other, frame.size.height() - 2 * other);
    }
    return frame;
}

// --- the family group sheet ---

FamilySheet familySheet(const std::vector<CardFields> &cards, const CardLinks &links, int card)
{
    const CardFields &c = cards[size_t(card)];
    FamilySheet sheet;
    sheet.card = card;
    for (Spouse spouse : {Spouse::Husband, Spouse::Wife})
        (spouse == Spouse::Husband ? sheet.husband : sheet.wife) =
            Person{CardText::printed(CardText::spouseFacts(c, spouse)), links.parentsCard(card, spouse)};
    sheet.marriedDate = printedLine(c[CardField::MarriedDate]);
    sheet.marriedPlace = printedLine(c[CardField::MarriedPlace]);
    sheet.notes = c[CardField::Notes];

    for (const CardLinks::Child &link : links.children(card)) {
        const CardFields &own = cards[size_t(link.card)];
        const CardText::SpouseFacts facts = CardText::printed(CardText::spouseFacts(own, link.spouse));
        Child child;
        child.card = link.card;
        child.side = link.spouse;
        child.name = facts.name;
        child.bornDate = facts.bornDate;
        child.bornPlace = facts.bornPlace;
        child.diedDate = facts.diedDate;
        child.diedPlace = facts.diedPlace;
        const Spouse other = link.spouse == Spouse::Husband ? Spouse::Wife : Spouse::Husband;
        child.spouse = CardText::shownName(own[spouseFields(other).name]);
        child.marriedDate = printedLine(own[CardField::MarriedDate]);
        child.marriedPlace = printedLine(own[CardField::MarriedPlace]);
        sheet.children.push_back(std::move(child));
    }
    // Eldest first, as on a paper form; those born in an unknown year after,
    // in the order of the links.
    std::stable_sort(sheet.children.begin(), sheet.children.end(), [](const Child &a, const Child &b) {
        return CardText::yearNumber(a.bornDate) < CardText::yearNumber(b.bornDate);
    });
    return sheet;
}

// --- the pedigree chart ---

namespace {

class ChartFiller
{
public:
    ChartFiller(const std::vector<CardFields> &cards, const CardLinks &links, AncestorLine &line)
        : m_cards(cards)
        , m_links(links)
        , m_line(line)
    {
    }

    // Ancestor n is the husband or the wife of `card`: their parents are the
    // couple of their parents' card, or else the names their card gives, with
    // whom the branch ends.
    void place(int n, int card, Spouse spouse)
    {
        const CardFields &c = m_cards[size_t(card)];
        const SpouseFields &f = spouseFields(spouse);
        Ancestor &a = m_line[size_t(n)];
        a.name = CardText::shownName(c[f.name]);
        a.lifespan = CardText::lifespan(c[f.bornDate], c[f.diedDate]);
        a.card = card;
        if (2 * n >= ChartSlots) {
            a.moreOnTheirChart = !isBlank(c[f.father]) || !isBlank(c[f.mother]);
            return;
        }
        const int parents = m_links.parentsCard(card, spouse);
        if (parents >= 0) {
            place(2 * n, parents, Spouse::Husband);
            place(2 * n + 1, parents, Spouse::Wife);
            return;
        }
        for (int k : {0, 1}) {
            const QString name = CardText::shownName(c[k == 0 ? f.father : f.mother]);
            if (name.isEmpty())
                continue;
            m_line[size_t(2 * n + k)].name = name;
            m_line[size_t(2 * n + k)].namedOn = card;
        }
    }

private:
    const std::vector<CardFields> &m_cards;
    const CardLinks &m_links;
    AncestorLine &m_line;
};

} // namespace

PedigreeChart pedigreeChart(const std::vector<CardFields> &cards, const CardLinks &links, int card)
{
    PedigreeChart chart;
    chart.card = card;
    ChartFiller(cards, links, chart.husband).place(1, card, Spouse::Husband);
    ChartFiller(cards, links, chart.wife).place(1, card, Spouse::Wife);
    chart.marriedDate = printedLine(cards[size_t(card)][CardField::MarriedDate]);
    chart.marriedPlace = printedLine(cards[size_t(card)][CardField::MarriedPlace]);
    return chart;
}

QRectF chartBox(const PageFrame &frame, Spouse side, int n)
{
    int generation = 0;
    while ((2 << generation) <= n)
        ++generation;
    const int index = n - (1 << generation);
    // Each side has as many rows as its last generation has people; a box
    // sits in the middle of the rows of its ancestors.
    constexpr int rowsPerSide = ChartSlots / 2;
    const double top = frame.body.top() + chartTitleHeight;
    const double bottom = frame.body.bottom() - SheetMetrics::FooterHeight;
    const double row = (bottom - top) / (2 * rowsPerSide);
    const int span = rowsPerSide >> generation;
    const int firstRow = (side == Spouse::Wife ? rowsPerSide : 0) + index * span;
    const double middle = top + (firstRow + span / 2.0) * row;
    const double width = (frame.body.width() - (ChartGenerations - 1) * chartColumnGap) / ChartGenerations;
    const double height = std::min(chartBoxHeight, row * 0.8);
    return QRectF(frame.body.left() + generation * (width + chartColumnGap), middle - height / 2, width, height);
}

// --- pages ---

namespace {

// How many leading characters of `text` fit in `width`: at least one, so
// that each line takes something, and never a cut between the halves of a
// surrogate pair or before a combining mark. A long text is not measured
// whole: the length is found by doubling and then halving, measuring no more
// than twice what fits, so a run without a space costs time in proportion
// to its length (and no width grows past what the font's measure holds).
qsizetype fittingLength(QStringView text, double width, const TextWidth &measure)
{
    const auto fitsIn = [&](qsizetype n) { return measure(text.first(n).toString()) <= width; };
    constexpr qsizetype measuredWhole = 512; // far more than a line holds
    if (text.size() <= measuredWhole && fitsIn(text.size()))
        return text.size();
    qsizetype fits = 1, tooLong = text.size();
    if (text.size() > measuredWhole) {
        for (qsizetype n = 2; n < text.size() && tooLong == text.size(); n *= 2)
            (fitsIn(n) ? fits : tooLong) = n;
        if (tooLong == text.size() && fitsIn(tooLong))
            return tooLong;
    }
    while (tooLong - fits > 1) {
        const qsizetype middle = (fits + tooLong) / 2;
        (fitsIn(middle) ? fits : tooLong) = middle;
    }
    while (fits > 1 && (text[fits].isLowSurrogate() || text[fits].isMark()))
        --fits;
    return fits;
}

} // namespace

QStringList wrapText(const QString &text, double width, const TextWidth &measure)
{
    QString all = text;
    all.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    while (!all.isEmpty() && all.back().isSpace())
        all.chop(1);
    QStringList lines;
    if (all.isEmpty())
        return lines;
    for (const QString &paragraph : all.split(u'\n')) {
        const QStringList words = CardText::multiLine(paragraph).split(u' ', Qt::SkipEmptyParts);
        QString line;
        for (const QString &word : words) {
            const QString longer = line.isEmpty() ? word : line + u' ' + word;
            if (fittingLength(longer, width, measure) == longer.size()) {
                line = longer;
                continue;
            }
            if (!line.isEmpty())
                lines << line;
            // A word wider than the line is cut where it fills the line.
            QStringView rest = word;
            for (qsizetype fits; (fits = fittingLength(rest, width, measure)) < rest.size(); rest = rest.sliced(fits))
                lines << rest.first(fits).toString();
            line = rest.toString();
        }
        lines << line;
    }
    return lines;
}

std::vector<SheetPage> layOutSheet(const FamilySheet &sheet, const PageFrame &frame, const TextWidth &measure)
{
    using namespace SheetMetrics;
    std::vector<SheetPage> pages(1);
    const double top = frame.body.top() + TitleHeight;
    const double bottom = frame.body.bottom() - FooterHeight;
    double y = top;
    auto startPage = [&] {
        pages.emplace_back();
        y = top;
    };

    SheetSection couple;
    couple.kind = SheetSection::Couple;
    couple.top = y;
    pages.back().sections.push_back(couple);
    y += (HusbandRows + WifeRows) * RowHeight + 2 * SectionGap;

    // With no children the section is one line that says so.
    const int childCount = int(sheet.children.size());
    const double childHeight = ChildRows * ChildRowHeight;
    int placed = 0;
    do {
        if (y + HeadingHeight + (childCount ? childHeight : ChildRowHeight) > bottom)
            startPage();
        SheetSection children;
        children.kind = SheetSection::Children;
        children.top = y;
        children.continued = placed > 0;
        children.firstChild = placed;
        y += HeadingHeight;
        while (placed < childCount && y + childHeight <= bottom) {
            ++placed;
            ++children.childCount;
            y += childHeight;
        }
        if (childCount == 0)
            y += ChildRowHeight;
        pages.back().sections.push_back(children);
    } while (placed < childCount);
    y += SectionGap;

    const QStringList lines = wrapText(sheet.notes, frame.body.width() - 2 * NoteIndent, measure);
    qsizetype shown = 0;
    do {
        if (y + HeadingHeight + NoteLineHeight > bottom) {
            // Empty notes are room to write in, not worth a page of their own.
            if (lines.isEmpty())
                break;
            startPage();
        }
        SheetSection notes;
        notes.kind = SheetSection::Notes;
        notes.top = y;
        notes.continued = shown > 0;
        y += HeadingHeight;
        while (shown < lines.size() && y + NoteLineHeight <= bottom) {
            notes.lines << lines.at(shown++);
            y += NoteLineHeight;
        }
        pages.back().sections.push_back(notes);
    } while (shown < lines.size());
    return pages;
}

} // namespace kinfolio::Sheets
