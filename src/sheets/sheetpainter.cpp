#include "sheetpainter.h"

#include "session/cardfileread.h"
#include "family/cardlinks.h"
#include "format/filekind.h"
#include "files/safefile.h"

#include <QDate>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace kinfolio::Sheets {

namespace {

// Liberation for the Latin, Greek and Cyrillic letters (and all of the code
// page), then Noto for the scripts it lacks, each tried in turn for a letter
// the ones before it do not hold.
const QStringList sansFamily = {QStringLiteral("Liberation Sans"), QStringLiteral("Noto Sans Hebrew"),
                                QStringLiteral("Noto Sans Arabic"), QStringLiteral("Noto Sans CJK SC")};
const QStringList serifFamily = {QStringLiteral("Liberation Serif"), QStringLiteral("Noto Serif Hebrew"),
                                 QStringLiteral("Noto Naskh Arabic"), QStringLiteral("Noto Serif CJK SC")};

const QColor ink(0, 0, 0);
const QColor grey(96, 96, 96);
const QColor ruleGrey(150, 150, 150);
const QColor faint(190, 190, 190);
const QColor shade(228, 228, 228);

constexpr double smallestFont = 6.5; // points: a value shrinks to this before it is cut

QFont makeFont(const QStringList &families, double points, QFont::Weight weight = QFont::Normal,
               bool italic = false)
{
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(points);
    font.setWeight(weight);
    font.setItalic(italic);
    return font;
}

// A one-line text as it fits its box: set smaller, down to the smallest
// size, and only then cut with an ellipsis.
struct FittedText
{
    QString shown;
    QFont font;
};

QFont labelFont() { return makeFont(sansFamily, 7.5); }
QFont headingFont() { return makeFont(sansFamily, 8.5, QFont::Bold); }
QFont valueFont() { return makeFont(serifFamily, 10.5); }
QFont nameFont() { return makeFont(serifFamily, 12.5, QFont::Bold); }
QFont noteFont() { return makeFont(serifFamily, SheetMetrics::NoteFontSize); }
QFont asideFont() { return makeFont(sansFamily, 7, QFont::Normal, true); }

// Each name in its own direction, so that "and" stays between them whatever
// script either is written in.
QString coupleNames(const QString &husband, const QString &wife)
{
    if (husband.isEmpty() || wife.isEmpty())
        return husband + wife;
    return CardText::joinedNames(husband, QStringLiteral(" and "), wife);
}

QString joined(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return a + b;
    return a + QStringLiteral(", ") + b;
}

// The pages of a run, drawn in points and written in the PDF's own units.
class PdfPages
{
public:
    PdfPages(QIODevice *device, const PrintOptions &options, int cardCount)
        : m_writer(device)
        , m_frame(PageFrame::of(options.paper))
        , m_cardCount(cardCount)
    {
        m_writer.setPageSize(QPageSize(options.paper == Paper::Letter ? QPageSize::Letter : QPageSize::A4));
        m_writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        m_writer.setTitle(QStringLiteral("Family group sheets and pedigree charts"));
        m_writer.setCreator(QStringLiteral("kinfolio-sheets " KINFOLIO_SHEETS_VERSION));
        m_scale = m_writer.resolution() / 72.0;
        m_footer = QStringLiteral("Kinfolio \u00b7 %1 \u00b7 printed %2")
                       .arg(options.source, QDate::currentDate().toString(QStringLiteral("d MMMM yyyy")));
    }

    const PageFrame &frame() const { return m_frame; }

    // The width of a text in points, as the PDF sets it.
    double width(const QString &text, const QFont &font) const
    {
        return QFontMetricsF(font, &m_writer).horizontalAdvance(text) / m_scale;
    }

    bool begin(int totalPages)
    {
        m_total = totalPages;
        return m_painter.begin(&m_writer);
    }
    bool end() { return m_painter.end(); }

    void sheetPage(const FamilySheet &sheet, const SheetPage &page, bool first, bool last);
    void chartPage(const PedigreeChart &chart);

private:
    QRectF d(const QRectF &r) const
    {
        return QRectF(r.x() * m_scale, r.y() * m_scale, r.width() * m_scale, r.height() * m_scale);
    }
    QPointF d(double x, double y) const { return QPointF(x * m_scale, y * m_scale); }

    void startPage(const QString &title, const QString &subtitle, int card);
    void line(double x1, double y1, double x2, double y2, double width, const QColor &color);
    void frameRect(const QRectF &r, double width, const QColor &color, Qt::PenStyle style = Qt::SolidLine);
    void fill(const QRectF &r, const QColor &color);
    FittedText fit(const QString &s, double width, QFont font) const;
    void draw(const QRectF &r, const FittedText &t, const QColor &color = ink, int align = Qt::AlignLeft);
    // One line of text in `r`, fitted as above.
    void text(const QRectF &r, const QString &s, const QFont &font, const QColor &color = ink,
              int align = Qt::AlignLeft)
    {
        draw(r, fit(s, r.width(), font), color, align);
    }

    void heading(double y, const QString &label, const QString &aside = QString());
    double personBox(double y, const char *role, const Person &person, const FamilySheet *marriage);
    void eventRow(double y, double h, const QString &label, const QString &date, const QString &place,
                  const char *placeLabel = "Place");
    void childBlock(double y, int number, const Child &child);
    void ancestorBox(const QRectF &box, const Ancestor &a, int chartCard);

    QPdfWriter m_writer;
    QPainter m_painter;
    PageFrame m_frame;
    double m_scale = 1;
    int m_cardCount = 0;
    int m_page = 0;
    int m_total = 0;
    QString m_footer;
    // The couple's names under the title, fitted once for all the pages of
    // a card.
    int m_headerCard = -1;
    FittedText m_header;
};

void PdfPages::line(double x1, double y1, double x2, double y2, double width, const QColor &color)
{
    m_painter.setPen(QPen(color, width * m_scale, Qt::SolidLine, Qt::FlatCap));
    m_painter.drawLine(d(x1, y1), d(x2, y2));
}

void PdfPages::frameRect(const QRectF &r, double width, const QColor &color, Qt::PenStyle style)
{
    m_painter.setPen(QPen(color, width * m_scale, style, Qt::SquareCap, Qt::MiterJoin));
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawRect(d(r));
}

void PdfPages::fill(const QRectF &r, const QColor &color)
{
    m_painter.fillRect(d(r), color);
}

FittedText PdfPages::fit(const QString &s, double boxWidth, QFont font) const
{
    // More than any box shows at the smallest size: a longer text is
    // measured in part only, so its time and its width stay bounded.
    constexpr qsizetype longest = 1000;
    QString shown = s;
    if (s.size() > longest)
        shown = s.first(s.at(longest - 1).isHighSurrogate() ? longest - 1 : longest) + u'\u2026';
    while (width(shown, font) > boxWidth && font.pointSizeF() > smallestFont)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    if (width(shown, font) > boxWidth)
        shown = QFontMetricsF(font, &m_writer).elidedText(shown, Qt::ElideRight, boxWidth * m_scale);
    return {shown, font};
}

void PdfPages::draw(const QRectF &r, const FittedText &t, const QColor &color, int align)
{
    if (t.shown.isEmpty())
        return;
    m_painter.setFont(t.font);
    m_painter.setPen(color);
    m_painter.drawText(d(r), align | Qt::AlignVCenter | Qt::TextSingleLine, t.shown);
}

void PdfPages::startPage(const QString &title, const QString &subtitle, int card)
{
    if (m_page++ > 0)
        m_writer.newPage();
    const QRectF body = m_frame.body;
    text(QRectF(body.left(), body.top(), body.width() * 0.6, 26), title,
         makeFont(serifFamily, 20, QFont::Bold));
    text(QRectF(body.left() + body.width() * 0.6, body.top(), body.width() * 0.4, 16),
         QStringLiteral("Card %1 of %2").arg(card + 1).arg(m_cardCount), makeFont(sansFamily, 9), grey,
         Qt::AlignRight);
    if (card != m_headerCard) {
        m_header = fit(subtitle, body.width(), makeFont(serifFamily, 11.5));
        m_headerCard = card;
    }
    draw(QRectF(body.left(), body.top() + 24, body.width(), 16), m_header);
    const double ruleY = body.top() + SheetMetrics::TitleHeight - 6;
    line(body.left(), ruleY, body.right(), ruleY, 1.6, ink);

    const double footY = body.bottom() - SheetMetrics::FooterHeight + 6;
    line(body.left(), footY, body.right(), footY, 0.5, ruleGrey);
    const QRectF foot(body.left(), footY + 2, body.width(), body.bottom() - footY - 2);
    text(foot, m_footer, makeFont(sansFamily, 7), grey);
    text(foot, QStringLiteral("Page %1 of %2").arg(m_page).arg(m_total), makeFont(sansFamily, 7), grey,
         Qt::AlignRight);
}

// --- the family group sheet ---

namespace Columns {
// Across a labelled row: label, date, place label, place; in points from
// the body's left edge.
constexpr double label = 64;
constexpr double date = 150;
constexpr double placeLabel = 42;
constexpr double pad = 5;
} // namespace Columns

void PdfPages::heading(double y, const QString &label, const QString &aside)
{
    const QRectF bar(m_frame.body.left(), y, m_frame.body.width(), SheetMetrics::HeadingHeight);
    fill(bar, shade);
    frameRect(bar, 0.8, ink);
    text(bar.adjusted(Columns::pad, 0, -Columns::pad, 0), label, headingFont());
    text(bar.adjusted(bar.width() * 0.4, 0, -Columns::pad, 0), aside, asideFont(), grey, Qt::AlignRight);
}

void PdfPages::eventRow(double y, double h, const QString &label, const QString &date, const QString &place,
                        const char *placeLabel)
{
    using Columns::pad;
    const double x = m_frame.body.left(), right = m_frame.body.right();
    const double dateX = x + Columns::label, placeLabelX = dateX + Columns::date,
                 placeX = placeLabelX + Columns::placeLabel;
    text(QRectF(x + pad, y, Columns::label - pad, h), label, labelFont(), grey);
    if (placeLabel) {
        text(QRectF(dateX + pad, y, Columns::date - 2 * pad, h), date, valueFont());
        text(QRectF(placeLabelX + pad, y, Columns::placeLabel - pad, h), QString::fromLatin1(placeLabel),
             labelFont(), grey);
        text(QRectF(placeX + pad, y, right - placeX - 2 * pad, h), place, valueFont());
        line(placeLabelX, y, placeLabelX, y + h, 0.5, ruleGrey);
        line(placeX, y, placeX, y + h, 0.5, ruleGrey);
    } else {
        text(QRectF(dateX + pad, y, right - dateX - 2 * pad, h), date, valueFont());
    }
    line(dateX, y, dateX, y + h, 0.5, ruleGrey);
    line(x, y + h, right, y + h, 0.5, ruleGrey);
}

// Returns the height drawn.
double PdfPages::personBox(double y, const char *role, const Person &person, const FamilySheet *marriage)
{
    using namespace SheetMetrics;
    const double x = m_frame.body.left(), w = m_frame.body.width();
    const QRectF bar(x, y, w, RowHeight);
    fill(bar, shade);
    text(QRectF(x + Columns::pad, y, Columns::label - Columns::pad, RowHeight), QString::fromLatin1(role),
         headingFont());
    text(QRectF(x + Columns::label + Columns::pad, y, w - Columns::label - 2 * Columns::pad, RowHeight),
         person.name, nameFont());
    line(x, y + RowHeight, x + w, y + RowHeight, 0.8, ink);
    double row = y + RowHeight;
    eventRow(row, RowHeight, QStringLiteral("Born"), person.bornDate, person.bornPlace);
    row += RowHeight;
    if (marriage) {
        eventRow(row, RowHeight, QStringLiteral("Married"), marriage->marriedDate, marriage->marriedPlace);
        row += RowHeight;
    }
    eventRow(row, RowHeight, QStringLiteral("Died"), person.diedDate, person.diedPlace);
    row += RowHeight;
    eventRow(row, RowHeight, QStringLiteral("Father"), person.father, QString(), nullptr);
    if (person.parentsCard >= 0) {
        text(QRectF(x + w * 0.55, row, w * 0.45 - Columns::pad, RowHeight),
             QStringLiteral("the parents' family group sheet: card %1").arg(person.parentsCard + 1), asideFont(), grey,
             Qt::AlignRight);
    }
    row += RowHeight;
    eventRow(row, RowHeight, QStringLiteral("Mother"), person.mother, QString(), nullptr);
    row += RowHeight;
    frameRect(QRectF(x, y, w, row - y), 1.0, ink);
    return row - y;
}

void PdfPages::childBlock(double y, int number, const Child &child)
{
    using namespace SheetMetrics;
    const double x = m_frame.body.left(), w = m_frame.body.width(), h = ChildRowHeight;
    // The number and the sex stand in the label column of the name's row.
    text(QRectF(x + Columns::pad, y, 20, h), QString::number(number), makeFont(sansFamily, 9, QFont::Bold));
    text(QRectF(x + 24, y, Columns::label - 24, h), child.side == Spouse::Husband ? QStringLiteral("M")
                                                                                 : QStringLiteral("F"),
         labelFont(), grey);
    text(QRectF(x + Columns::label + Columns::pad, y, w * 0.62 - Columns::label, h), child.name,
         makeFont(serifFamily, 11, QFont::Bold));
    text(QRectF(x + w * 0.62, y, w * 0.38 - Columns::pad, h),
         QStringLiteral("their family group sheet: card %1").arg(child.card + 1), asideFont(), grey,
         Qt::AlignRight);
    line(x + Columns::label, y, x + Columns::label, y + h, 0.5, ruleGrey);
    line(x, y + h, x + w, y + h, 0.5, ruleGrey);
    eventRow(y + h, h, QStringLiteral("Born"), child.bornDate, child.bornPlace);
    eventRow(y + 2 * h, h, QStringLiteral("Died"), child.diedDate, child.diedPlace);
    eventRow(y + 3 * h, h, QStringLiteral("Spouse"), child.spouse, joined(child.marriedDate, child.marriedPlace),
             "Married");
    line(x, y + 4 * h, x + w, y + 4 * h, 0.8, ink);
}

void PdfPages::sheetPage(const FamilySheet &sheet, const SheetPage &page, bool first, bool last)
{
    using namespace SheetMetrics;
    const QString names = coupleNames(sheet.husband.name, sheet.wife.name);
    startPage(first ? QStringLiteral("Family Group Sheet") : QStringLiteral("Family Group Sheet, continued"), names,
              sheet.card);
    const QRectF body = m_frame.body;
    const double bottom = body.bottom() - FooterHeight;

    for (const SheetSection &s : page.sections) {
        switch (s.kind) {
        case SheetSection::Couple: {
            const double husband = personBox(s.top, "HUSBAND", sheet.husband, &sheet);
            personBox(s.top + husband + SectionGap, "WIFE", sheet.wife, nullptr);
            break;
        }
        case SheetSection::Children: {
            heading(s.top, s.continued ? QStringLiteral("CHILDREN (continued)") : QStringLiteral("CHILDREN"),
                    QStringLiteral("the husbands and wives of the cards that name this couple as parents"));
            double y = s.top + HeadingHeight;
            if (sheet.children.empty()) {
                text(QRectF(body.left() + Columns::pad, y, body.width(), ChildRowHeight),
                     QStringLiteral("No other card names this couple as parents."),
                     makeFont(serifFamily, 10, QFont::Normal, true), grey);
                y += ChildRowHeight;
            }
            for (int i = s.firstChild; i < s.firstChild + s.childCount; ++i) {
                childBlock(y, i + 1, sheet.children[size_t(i)]);
                y += ChildRows * ChildRowHeight;
            }
            frameRect(QRectF(body.left(), s.top, body.width(), y - s.top), 1.0, ink);
            break;
        }
        case SheetSection::Notes: {
            heading(s.top, s.continued ? QStringLiteral("NOTES (continued)") : QStringLiteral("NOTES"));
            double y = s.top + HeadingHeight;
            const QFont font = noteFont();
            // Every line on the same baseline, whatever script it holds: the
            // descenders of the notes' own font clear the rule below.
            const double baseline = NoteLineHeight - 2.5 - QFontMetricsF(font, &m_writer).descent() / m_scale;
            for (const QString &l : s.lines) {
                line(body.left(), y + NoteLineHeight, body.right(), y + NoteLineHeight, 0.4, faint);
                // Wrapped to the width already: drawn as it is, never cut. A
                // line in a right-to-left script starts at the right.
                const double x = l.isRightToLeft() ? body.right() - NoteIndent - width(l, font)
                                                   : body.left() + NoteIndent;
                m_painter.setPen(ink);
                m_painter.setFont(font);
                m_painter.drawText(d(x, y + baseline), l);
                y += NoteLineHeight;
            }
            // The rest of the sheet's last page is ruled for handwritten notes.
            if (last) {
                for (; y + NoteLineHeight <= bottom; y += NoteLineHeight)
                    line(body.left(), y + NoteLineHeight, body.right(), y + NoteLineHeight, 0.4, faint);
            }
            break;
        }
        }
    }
}

// --- the pedigree chart ---

void PdfPages::ancestorBox(const QRectF &box, const Ancestor &a, int chartCard)
{
    if (a.name.isEmpty() && a.lifespan.isEmpty()) {
        frameRect(box, 0.5, faint, Qt::DashLine);
        return;
    }
    m_painter.setBrush(Qt::white);
    frameRect(box, 0.9, ink);
    const QRectF inner = box.adjusted(4, 2, -4, -2);
    const double h = inner.height() / 3;
    if (a.name.isEmpty())
        text(QRectF(inner.left(), inner.top(), inner.width(), h), QStringLiteral("(no name)"),
             makeFont(sansFamily, 8.5, QFont::Normal, true), grey);
    else
        text(QRectF(inner.left(), inner.top(), inner.width(), h), a.name, makeFont(sansFamily, 8.5, QFont::Bold));
    text(QRectF(inner.left(), inner.top() + h, inner.width(), h), a.lifespan, makeFont(sansFamily, 8));
    QString source;
    if (a.card >= 0 && a.card != chartCard)
        source = a.moreOnTheirChart ? QStringLiteral("card %1, chart goes on").arg(a.card + 1)
                                    : QStringLiteral("card %1").arg(a.card + 1);
    else if (a.namedOn >= 0)
        source = QStringLiteral("named on card %1").arg(a.namedOn + 1);
    text(QRectF(inner.left(), inner.top() + 2 * h, inner.width(), h), source, asideFont(), grey);
}

void PdfPages::chartPage(const PedigreeChart &chart)
{
    startPage(QStringLiteral("Pedigree Chart"), coupleNames(chart.husband[1].name, chart.wife[1].name),
              chart.card);

    const QRectF first = chartBox(m_frame, Spouse::Husband, 1);
    static const char *const columns[ChartGenerations] = {"COUPLE", "PARENTS", "GRANDPARENTS",
                                                          "GREAT-GRANDPARENTS"};
    for (int g = 0; g < ChartGenerations; ++g) {
        const QRectF column = chartBox(m_frame, Spouse::Husband, 1 << g);
        text(QRectF(column.left(), m_frame.body.top() + SheetMetrics::TitleHeight, column.width(), 14),
             QString::fromLatin1(columns[g]), makeFont(sansFamily, 7.5, QFont::Bold), grey);
    }

    // The couple, joined by their marriage.
    const QRectF husband = first, wife = chartBox(m_frame, Spouse::Wife, 1);
    const double joinX = husband.left() + 16;
    line(joinX, husband.bottom(), joinX, wife.top(), 1.2, ink);
    const double middle = (husband.bottom() + wife.top()) / 2;
    const QRectF married(joinX + 8, middle - 24, husband.width() - 24, 14);
    if (!chart.marriedDate.isEmpty() || !chart.marriedPlace.isEmpty())
        text(married, QStringLiteral("married"), labelFont(), grey);
    text(married.translated(0, 14), chart.marriedDate, makeFont(serifFamily, 9.5));
    text(married.translated(0, 28), chart.marriedPlace, makeFont(serifFamily, 9.5));

    for (Spouse side : {Spouse::Husband, Spouse::Wife}) {
        const AncestorLine &people = side == Spouse::Husband ? chart.husband : chart.wife;
        // Lines first, so the boxes sit on them.
        for (int n = 1; 2 * n < ChartSlots; ++n) {
            const QRectF child = chartBox(m_frame, side, n);
            const QRectF father = chartBox(m_frame, side, 2 * n), mother = chartBox(m_frame, side, 2 * n + 1);
            const bool known = !people[size_t(2 * n)].name.isEmpty() || !people[size_t(2 * n + 1)].name.isEmpty();
            const QColor color = known ? ink : faint;
            const double width = known ? 0.9 : 0.5;
            const double elbow = (child.right() + father.left()) / 2;
            line(child.right(), child.center().y(), elbow, child.center().y(), width, color);
            line(elbow, father.center().y(), elbow, mother.center().y(), width, color);
            line(elbow, father.center().y(), father.left(), father.center().y(), width, color);
            line(elbow, mother.center().y(), mother.left(), mother.center().y(), width, color);
        }
        for (int n = 1; n < ChartSlots; ++n)
            ancestorBox(chartBox(m_frame, side, n), people[size_t(n)], chart.card);
    }
}

} // namespace

std::optional<QString> missingFonts()
{
    const QStringList installed = QFontDatabase::families();
    QStringList missing, packages;
    for (const QString &family : sansFamily + serifFamily) {
        if (installed.contains(family))
            continue;
        missing << family;
        packages << (family.contains(QLatin1String("CJK"))      ? QStringLiteral("fonts-noto-cjk")
                     : family.startsWith(QLatin1String("Noto")) ? QStringLiteral("fonts-noto-core")
                                                                : QStringLiteral("fonts-liberation"));
    }
    if (missing.isEmpty())
        return std::nullopt;
    packages.removeDuplicates();
    return QStringLiteral("the fonts %1 are not installed (Debian packages %2)")
        .arg(missing.join(QStringLiteral(", ")), packages.join(QStringLiteral(", ")));
}

Result<PrintCounts> writePdf(QIODevice *device, const std::vector<CardFields> &cards, const PrintOptions &options)
{
    if (const std::optional<QString> missing = missingFonts())
        return Failure{*missing};
    const CardLinks links(cards);
    PdfPages pdf(device, options, int(cards.size()));
    const QFont notes = noteFont();
    const TextWidth measure = [&](const QString &s) { return pdf.width(s, notes); };
    const int from = options.card >= 0 ? options.card : 0;
    const int to = options.card >= 0 ? options.card + 1 : int(cards.size());

    // The pages are counted first, for "page n of m"; only the count is kept.
    const auto progress = [&options](PrintOptions::Step step, int done, int total) {
        if (options.progress)
            options.progress(step, done, total);
    };
    PrintCounts made;
    for (int c = from; c < to; ++c) {
        progress(PrintOptions::Step::Counting, c - from, to - from);
        made.pages += int(layOutSheet(familySheet(cards, links, c), pdf.frame(), measure).size()) + 1;
        ++made.sheets;
        ++made.charts;
    }

    if (!pdf.begin(made.pages))
        return Failure{QStringLiteral("the PDF could not be started")};
    int written = 0;
    for (int c = from; c < to; ++c) {
        const FamilySheet sheet = familySheet(cards, links, c);
        const std::vector<SheetPage> pages = layOutSheet(sheet, pdf.frame(), measure);
        for (size_t p = 0; p < pages.size(); ++p)
            pdf.sheetPage(sheet, pages[p], p == 0, p + 1 == pages.size());
        pdf.chartPage(pedigreeChart(cards, links, c));
        written += int(pages.size()) + 1;
        progress(PrintOptions::Step::Writing, written, made.pages);
    }
    if (!pdf.end())
        return Failure{QStringLiteral("the PDF could not be finished")};
    return made;
}

Result<PrintCounts> printCardFile(const QString &cardFile, const QString &pdfFile, const PrintOptions &options)
{
    const auto fail = [](const QString &reason) { return Failure{reason}; };
    const Result<CardFileContents> read = readCardFile(cardFile);
    if (!read)
        return fail(read.error());
    const std::vector<CardFields> &cards = read->cards;
    if (cards.empty())
        return fail(QStringLiteral("the card file %1 holds no cards: there is nothing to print").arg(cardFile));
    if (options.card >= int(cards.size())) {
        return fail(QStringLiteral("the card file %1 holds %2 cards: there is no card %3")
                        .arg(cardFile)
                        .arg(cards.size())
                        .arg(options.card + 1));
    }

    // Writing over the card file would replace the cards with their printout.
    if (isSameFile(pdfFile, cardFile))
        return fail(QStringLiteral("%1 is the card file itself; name another file for the PDF").arg(pdfFile));
    if (const std::optional<QString> refusal = outputRefusal(pdfFile, FileKind::Pdf))
        return fail(*refusal);
    if (const std::optional<QString> missing = missingFonts())
        return fail(*missing);

    PrintOptions named = options;
    if (named.source.isEmpty())
        named.source = QFileInfo(cardFile).fileName();
    SafeFileWriter writer(pdfFile);
    if (const Result<> opened = writer.open(); !opened)
        return fail(QStringLiteral("%1 could not be written: %2").arg(pdfFile, opened.error()));
    Result<PrintCounts> printed = writePdf(writer.device(), cards, named);
    if (!printed)
        return fail(QStringLiteral("%1 could not be written: %2").arg(pdfFile, printed.error()));
    if (const Result<> committed = writer.commit(); !committed)
        return fail(QStringLiteral("%1 could not be written: %2").arg(pdfFile, committed.error()));
    printed->notes = read->notes;
    return printed;
}

} // namespace kinfolio::Sheets
