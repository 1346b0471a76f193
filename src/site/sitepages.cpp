#include "sitepages.h"

#include "family/cardtext.h"
#include "soundslike.h"


namespace kinfolio::Site {

using CardText::printedLine;

namespace {

// Text for HTML, in an element or an attribute.
QString esc(const QString &text)
{
    QString out;
    out.reserve(text.size() + 16);
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'&': out += QLatin1String("&amp;"); break;
        case u'<': out += QLatin1String("&lt;"); break;
        case u'>': out += QLatin1String("&gt;"); break;
        case u'"': out += QLatin1String("&quot;"); break;
        case u'\'': out += QLatin1String("&#39;"); break;
        default: out += c;
        }
    }
    return out;
}

// A name in its own direction, so that a Hebrew name reads right to left
// inside an English sentence and the words after it keep their place.
QString bdi(const QString &name)
{
    return QLatin1String("<bdi>") + esc(name) + QLatin1String("</bdi>");
}

QString up(int depth)
{
    return depth > 0 ? QStringLiteral("../") : QString();
}

QString cardLink(int card, int depth, const QString &inner)
{
    return QStringLiteral("<a href=\"%1%2\">%3</a>").arg(up(depth), SitePages::cardPath(card), inner);
}

QString dateAndPlace(const QString &date, const QString &place)
{
    const QString d = printedLine(date), p = printedLine(place);
    if (d.isEmpty() && p.isEmpty())
        return QString();
    if (d.isEmpty() || p.isEmpty())
        return d.isEmpty() ? bdi(p) : esc(d);
    return esc(d) + QLatin1String(", ") + bdi(p);
}

QString row(const QString &term, const QString &value)
{
    return QStringLiteral("<div><dt>%1</dt><dd>%2</dd></div>\n").arg(term, value);
}

QString couple(const CardFields &c)
{
    const QString h = printedLine(c[CardField::Name]), w = printedLine(c[CardField::WifeName]);
    if (!h.isEmpty() && !w.isEmpty())
        return bdi(h) + QLatin1String(" and ") + bdi(w);
    return bdi(h.isEmpty() ? w : h);
}

const QString livingMark = QStringLiteral(" <span class=\"living\">Living</span>");

// A name for a list: a person a card tells of without naming them is still
// a link to follow.
QString listedName(const QString &name)
{
    return name.isEmpty() ? QStringLiteral("<span class=\"unknown\">name not known</span>") : bdi(name);
}

} // namespace

SitePages::SitePages(const SiteModel &model, const SiteOptions &options)
    : m_model(model)
    , m_options(options)
{
    const std::vector<Surname> &surnames = m_model.surnames();
    for (int s = 0; s < int(surnames.size()); ++s) {
        if (m_letters.empty() || m_letters.back().heading != surnames[size_t(s)].letter)
            m_letters.push_back({surnames[size_t(s)].letter, {}});
        m_letters.back().surnames.push_back(s);
    }
}

QString SitePages::cardPath(int card)
{
    return QStringLiteral("cards/%1.html").arg(card + 1);
}

QString SitePages::surnamePath(int surname)
{
    return QStringLiteral("surnames/%1.html").arg(surname + 1);
}

QString SitePages::peoplePath(int letter)
{
    return QStringLiteral("people/%1.html").arg(letter + 1);
}

int SitePages::peoplePageCount() const
{
    return int(m_letters.size()) + (m_model.withoutSurname().empty() ? 0 : 1);
}

QString SitePages::page(int depth, const QString &title, const QString &main) const
{
    const QString root = up(depth);
    const QString site = esc(m_options.title);
    QString html;
    html.reserve(main.size() + 2048);
    html += QStringLiteral(
                "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; script-src 'self'; "
                "style-src 'self'; img-src 'self'; base-uri 'none'; form-action 'none'\">\n"
                "<title>%1</title>\n"
                "<link rel=\"stylesheet\" href=\"%2assets/site.css\">\n"
                "<script src=\"%2assets/site.js\" defer></script>\n</head>\n<body>\n"
                "<a class=\"skip\" href=\"#main\">Skip to the content</a>\n"
                "<header>\n<p class=\"site-title\"><a href=\"%2index.html\">%3</a></p>\n"
                "<nav aria-label=\"Site\"><ul><li><a href=\"%2index.html\">Surnames</a></li>"
                "<li><a href=\"%2%4\">People A\u2013Z</a></li></ul></nav>\n"
                "<form class=\"search\" role=\"search\" data-root=\"%2\">\n"
                "<label for=\"search\">Search names</label>\n"
                "<span class=\"search-row\"><input id=\"search\" type=\"search\" autocomplete=\"off\" "
                "spellcheck=\"false\" aria-describedby=\"search-help\">"
                "<button type=\"submit\">Search</button></span>\n"
                "<span id=\"search-help\" class=\"help\">A name or its beginning; names that sound alike are "
                "found too.</span>\n"
                "<div class=\"results\" aria-live=\"polite\"></div>\n</form>\n</header>\n"
                "<main id=\"main\" tabindex=\"-1\">\n")
                .arg(title.isEmpty() ? site : title + QLatin1String(" \u2013 ") + site, root, site,
                     peoplePath(0));
    html += main;
    html += QStringLiteral("</main>\n<footer><p>Made by kinfolio-site %1 from <bdi>%2</bdi>.</p></footer>\n"
                           "</body>\n</html>\n")
                .arg(QStringLiteral(KINFOLIO_SITE_VERSION), esc(m_options.madeFrom));
    return html;
}

QByteArray SitePages::indexPage() const
{
    const int people = int(m_model.people().size());
    const int named = people - m_model.peopleOnCards();
    const int cards = int(m_model.cards().size());
    QString main;
    // One arg() of texts for all: a title holding "%2" is not filled in again.
    main += QStringLiteral("<h1>%1</h1>\n<p class=\"counts\">%2 %3, %4 %5")
                .arg(esc(m_options.title), QString::number(cards),
                     cards == 1 ? QStringLiteral("card") : QStringLiteral("cards"), QString::number(people),
                     people == 1 ? QStringLiteral("person") : QStringLiteral("people"));
    if (named > 0)
        main += QStringLiteral(" (%1 of them named only as a father or mother)").arg(named);
    main += QLatin1String(".</p>\n");
    if (m_options.living != Living::Show)
        main += QLatin1String("<p>Dates, places and notes of the living are not shown.</p>\n");
    main += QStringLiteral("<h2>Surnames</h2>\n");
    main += letterNav(0, -1);
    for (int l = 0; l < int(m_letters.size()); ++l) {
        const Letter &letter = m_letters[size_t(l)];
        main += QStringLiteral("<h3 id=\"letter-%1\">%2</h3>\n<ul class=\"surnames\">\n").arg(l + 1).arg(
            esc(letter.heading));
        for (int s : letter.surnames) {
            const Surname &surname = m_model.surnames()[size_t(s)];
            const int n = int(surname.people.size());
            main += QStringLiteral("<li><a href=\"%1\">%2 <span class=\"count\">(%3 %4)</span></a></li>\n")
                        .arg(surnamePath(s), bdi(surname.name), QString::number(n),
                             n == 1 ? QStringLiteral("person") : QStringLiteral("people"));
        }
        main += QLatin1String("</ul>\n");
    }
    if (!m_model.withoutSurname().empty())
        main += QStringLiteral("<p><a href=\"%1\">People without a surname (%2)</a></p>\n")
                    .arg(peoplePath(int(m_letters.size())))
                    .arg(m_model.withoutSurname().size());
    return page(0, QString(), main).toUtf8();
}

QString SitePages::letterNav(int depth, int current) const
{
    QString nav = QStringLiteral("<nav class=\"letters\" aria-label=\"Surnames by letter\"><ul>");
    for (int l = 0; l < peoplePageCount(); ++l) {
        const QString heading = l < int(m_letters.size()) ? esc(m_letters[size_t(l)].heading)
                                                           : QStringLiteral("No surname");
        if (l == current)
            nav += QStringLiteral("<li><a aria-current=\"page\" href=\"%1\">%2</a></li>")
                       .arg(QString::number(l + 1) + QLatin1String(".html"), heading);
        else if (depth == 0 && l < int(m_letters.size()))
            nav += QStringLiteral("<li><a href=\"#letter-%1\">%2</a></li>").arg(l + 1).arg(heading);
        else if (depth > 0)
            nav += QStringLiteral("<li><a href=\"%1%2\">%3</a></li>").arg(up(depth), peoplePath(l), heading);
    }
    return nav + QLatin1String("</ul></nav>\n");
}

QString SitePages::personLine(int p, int depth) const
{
    const Person &person = m_model.people()[size_t(p)];
    QString line = QLatin1String("<li>");
    if (person.cards.empty()) {
        line += listedName(person.name) + QStringLiteral(" <span class=\"where\">named as a parent on %1</span>")
                                       .arg(cardLink(person.namedOn, depth,
                                                     QStringLiteral("card %1").arg(person.namedOn + 1)));
        return line + QLatin1String("</li>\n");
    }
    line += cardLink(person.cards.front(), depth,
                     listedName(person.name) + QStringLiteral(" <span class=\"where\">(card %1)</span>")
                                            .arg(person.cards.front() + 1));
    if (!shown(person.living)) {
        if (m_options.living == Living::Names)
            line += livingMark;
    } else {
        const QString years = CardText::lifespan(person.bornDate, person.diedDate);
        if (!years.isEmpty())
            line += QLatin1String(" <span class=\"years\">") + esc(years) + QLatin1String("</span>");
    }
    if (person.cards.size() > 1) {
        line += QLatin1String(" <span class=\"where\">also on ");
        for (size_t i = 1; i < person.cards.size(); ++i) {
            if (i > 1)
                line += QLatin1String(", ");
            line += cardLink(person.cards[i], depth, QStringLiteral("card %1").arg(person.cards[i] + 1));
        }
        line += QLatin1String("</span>");
    }
    return line + QLatin1String("</li>\n");
}

QByteArray SitePages::surnamePage(int s) const
{
    const Surname &surname = m_model.surnames()[size_t(s)];
    QString main = QStringLiteral("<h1>Surname %1</h1>\n<ul class=\"people\">\n").arg(bdi(surname.name));
    for (int p : surname.people)
        main += personLine(p, 1);
    main += QLatin1String("</ul>\n");
    return page(1, QStringLiteral("Surname ") + esc(surname.name), main).toUtf8();
}

QByteArray SitePages::peoplePage(int l) const
{
    QString main;
    QString heading;
    if (l < int(m_letters.size())) {
        heading = esc(m_letters[size_t(l)].heading);
        main = QStringLiteral("<h1>People: %1</h1>\n").arg(heading);
        main += letterNav(1, l);
        for (int s : m_letters[size_t(l)].surnames) {
            const Surname &surname = m_model.surnames()[size_t(s)];
            main += QStringLiteral("<h2><a href=\"../%1\">%2</a></h2>\n<ul class=\"people\">\n")
                        .arg(surnamePath(s), bdi(surname.name));
            for (int p : surname.people)
                main += personLine(p, 1);
            main += QLatin1String("</ul>\n");
        }
    } else {
        heading = QStringLiteral("without a surname");
        main = QStringLiteral("<h1>People without a surname</h1>\n") + letterNav(1, l);
        main += QLatin1String("<ul class=\"people\">\n");
        for (int p : m_model.withoutSurname())
            main += personLine(p, 1);
        main += QLatin1String("</ul>\n");
    }
    return page(1, QStringLiteral("People: ") + heading, main).toUtf8();
}

QString SitePages::personFacts(int card, Spouse spouse, int depth) const
{
    const CardFields &c = m_model.cards()[size_t(card)];
    const SpouseFields &f = spouseFields(spouse);
    const QString name = printedLine(c[f.name]);
    const bool living = m_model.living(card, spouse);
    const QString id = spouse == Spouse::Husband ? QStringLiteral("husband") : QStringLiteral("wife");
    QString html = QStringLiteral("<section class=\"person\" aria-labelledby=\"%1\">\n<h2 id=\"%1\">%2</h2>\n")
                       .arg(id, spouse == Spouse::Husband ? QStringLiteral("Husband") : QStringLiteral("Wife"));
    html += QStringLiteral("<p class=\"name\">%1%2</p>\n")
                .arg(name.isEmpty() ? QStringLiteral("<span class=\"unknown\">not known</span>") : bdi(name),
                     !shown(living) && m_options.living == Living::Names ? livingMark : QString());
    if (!shown(living) && m_options.living == Living::Names)
        return html + QLatin1String("</section>\n");
    html += QLatin1String("<dl>\n");
    if (shown(living)) {
        html += row(QStringLiteral("Born"), dateAndPlace(c[f.bornDate], c[f.bornPlace]));
        html += row(QStringLiteral("Died"), dateAndPlace(c[f.diedDate], c[f.diedPlace]));
    }
    const int parents = m_model.links().parentsCard(card, spouse);
    for (int side : {0, 1}) {
        const QString parent = printedLine(c[side == 0 ? f.father : f.mother]);
        QString value = parent.isEmpty() ? QString() : bdi(parent);
        if (parents >= 0 && !parent.isEmpty())
            value = cardLink(parents, depth,
                             value + QStringLiteral(" <span class=\"where\">(parents\u2019 card %1)</span>").arg(parents + 1));
        html += row(side == 0 ? QStringLiteral("Father") : QStringLiteral("Mother"), value);
    }
    html += QLatin1String("</dl>\n");
    if (!shown(living))
        html += QLatin1String("<p class=\"withheld\">Living: dates and places are not shown.</p>\n");
    return html + QLatin1String("</section>\n");
}

QString SitePages::pedigree(int card, Spouse spouse) const
{
    // Four generations as nested lists: the person, their parents, their
    // grandparents and great-grandparents. A parent without a card of their
    // own ends the line with the name the card gives.
    struct Walker
    {
        const SitePages &pages;
        QString html;

        void person(int c, Spouse s, const QString &role, int generation)
        {
            const SiteModel &model = pages.m_model;
            const CardFields &fields = model.cards()[size_t(c)];
            const SpouseFields &f = spouseFields(s);
            const QString name = printedLine(fields[f.name]);
            html += QStringLiteral("<li><span class=\"role\">%1</span> ").arg(role);
            html += name.isEmpty() ? QStringLiteral("<span class=\"unknown\">not known</span>")
                                   : cardLink(c, 1, bdi(name) + QStringLiteral(" <span class=\"where\">(card %1)</span>")
                                                        .arg(c + 1));
            const bool living = model.living(c, s);
            if (pages.shown(living)) {
                const QString years = CardText::lifespan(fields[f.bornDate], fields[f.diedDate]);
                if (!years.isEmpty())
                    html += QLatin1String(" <span class=\"years\">") + esc(years) + QLatin1String("</span>");
            } else if (pages.m_options.living == Living::Names) {
                html += livingMark;
            }
            // A name with "Living" alone tells nothing of the parents either.
            const bool nameAlone = !pages.shown(living) && pages.m_options.living == Living::Names;
            if (generation < 4 && !nameAlone) {
                const int parents = model.links().parentsCard(c, s);
                const QString father = printedLine(fields[f.father]), mother = printedLine(fields[f.mother]);
                if (parents >= 0) {
                    html += QLatin1String("\n<ul>\n");
                    person(parents, Spouse::Husband, QStringLiteral("Father"), generation + 1);
                    person(parents, Spouse::Wife, QStringLiteral("Mother"), generation + 1);
                    html += QLatin1String("</ul>\n");
                } else if (!father.isEmpty() || !mother.isEmpty()) {
                    html += QLatin1String("\n<ul>\n");
                    if (!father.isEmpty())
                        html += QLatin1String("<li><span class=\"role\">Father</span> ") + bdi(father)
                                + QLatin1String("</li>\n");
                    if (!mother.isEmpty())
                        html += QLatin1String("<li><span class=\"role\">Mother</span> ") + bdi(mother)
                                + QLatin1String("</li>\n");
                    html += QLatin1String("</ul>\n");
                }
            }
            html += QLatin1String("</li>\n");
        }
    };
    Walker walker{*this, QStringLiteral("<ul class=\"pedigree\">\n")};
    walker.person(card, spouse, spouse == Spouse::Husband ? QStringLiteral("Husband") : QStringLiteral("Wife"), 1);
    return walker.html + QLatin1String("</ul>\n");
}

QByteArray SitePages::cardPage(int card) const
{
    const CardFields &c = m_model.cards()[size_t(card)];
    const int count = int(m_model.cards().size());
    const bool private_ = !shown(m_model.living(card, Spouse::Husband)) || !shown(m_model.living(card, Spouse::Wife));
    const QString who = couple(c);
    QString main;
    main.reserve(8192);
    main += QStringLiteral("<h1>%1</h1>\n<p class=\"card-number\">Family group sheet, card %2 of %3</p>\n")
                .arg(isBlank(c[CardField::Name]) && isBlank(c[CardField::WifeName])
                         ? QStringLiteral("Card %1").arg(card + 1)
                         : who,
                     QString::number(card + 1), QString::number(count));
    main += QLatin1String("<nav class=\"cards\" aria-label=\"Cards\"><ul>");
    if (card > 0)
        main += QStringLiteral("<li><a rel=\"prev\" href=\"%1.html\">Previous card (%1)</a></li>").arg(card);
    if (card + 1 < count)
        main += QStringLiteral("<li><a rel=\"next\" href=\"%1.html\">Next card (%1)</a></li>").arg(card + 2);
    main += QLatin1String("</ul></nav>\n<div class=\"sheet\">\n");
    main += personFacts(card, Spouse::Husband, 1);
    main += personFacts(card, Spouse::Wife, 1);
    main += QLatin1String("<section class=\"marriage\" aria-labelledby=\"marriage\">\n<h2 id=\"marriage\">Marriage</h2>\n");
    if (private_)
        main += QLatin1String("<p class=\"withheld\">Not shown: one of the couple is living.</p>\n");
    else if (const QString married = dateAndPlace(c[CardField::MarriedDate], c[CardField::MarriedPlace]);
             married.isEmpty())
        main += QLatin1String("<p class=\"unknown\">Not on the card.</p>\n");
    else
        main += QStringLiteral("<p>%1</p>\n").arg(married);
    main += QLatin1String("</section>\n</div>\n");

    main += QLatin1String("<section class=\"children\" aria-labelledby=\"children\">\n<h2 id=\"children\">Children</h2>\n");
    const auto &children = m_model.links().children(card);
    if (children.empty()) {
        main += QLatin1String("<p>No children on the cards.</p>\n");
    } else {
        // Eldest first, those born in an unknown year last, as on the sheet.
        std::vector<CardLinks::Child> ordered(children.begin(), children.end());
        std::stable_sort(ordered.begin(), ordered.end(), [&](const CardLinks::Child &a, const CardLinks::Child &b) {
            return CardText::yearNumber(m_model.cards()[size_t(a.card)][spouseFields(a.spouse).bornDate])
                   < CardText::yearNumber(m_model.cards()[size_t(b.card)][spouseFields(b.spouse).bornDate]);
        });
        main += QLatin1String("<ol class=\"children\">\n");
        for (const CardLinks::Child &child : ordered) {
            const CardFields &own = m_model.cards()[size_t(child.card)];
            const SpouseFields &f = spouseFields(child.spouse);
            const Spouse other = child.spouse == Spouse::Husband ? Spouse::Wife : Spouse::Husband;
            main += QStringLiteral("<li><span class=\"sex\" title=\"%1\">%2</span> ")
                        .arg(child.spouse == Spouse::Husband ? QStringLiteral("son") : QStringLiteral("daughter"),
                             child.spouse == Spouse::Husband ? QStringLiteral("M") : QStringLiteral("F"));
            main += cardLink(child.card, 1,
                             bdi(printedLine(own[f.name]))
                                 + QStringLiteral(" <span class=\"where\">(card %1)</span>").arg(child.card + 1));
            const bool living = m_model.living(child.card, child.spouse);
            const QString spouseName = printedLine(own[spouseFields(other).name]);
            if (!shown(living)) {
                if (m_options.living == Living::Names) {
                    main += livingMark + QLatin1String("</li>\n");
                    continue;
                }
            } else {
                const QString born = dateAndPlace(own[f.bornDate], own[f.bornPlace]);
                const QString died = dateAndPlace(own[f.diedDate], own[f.diedPlace]);
                if (!born.isEmpty())
                    main += QLatin1String("<br>born ") + born;
                if (!died.isEmpty())
                    main += QLatin1String("<br>died ") + died;
            }
            if (!spouseName.isEmpty()) {
                main += QLatin1String("<br>married ") + bdi(spouseName);
                const bool privateMarriage = !shown(living) || !shown(m_model.living(child.card, other));
                const QString married = dateAndPlace(own[CardField::MarriedDate], own[CardField::MarriedPlace]);
                if (!privateMarriage && !married.isEmpty())
                    main += QLatin1String(", ") + married;
            }
            main += QLatin1String("</li>\n");
        }
        main += QLatin1String("</ol>\n");
    }
    main += QLatin1String("</section>\n");

    main += QLatin1String("<section class=\"ancestors\" aria-labelledby=\"ancestors\">\n"
                          "<h2 id=\"ancestors\">Ancestors</h2>\n<div class=\"lines\">\n");
    main += pedigree(card, Spouse::Husband);
    main += pedigree(card, Spouse::Wife);
    main += QLatin1String("</div>\n</section>\n");

    main += QLatin1String("<section class=\"notes\" aria-labelledby=\"notes\">\n<h2 id=\"notes\">Notes</h2>\n");
    const QString notes = CardText::multiLine(c[CardField::Notes]).trimmed();
    if (private_ && !notes.isEmpty()) {
        main += QLatin1String("<p class=\"withheld\">Not shown: one of the couple is living.</p>\n");
    } else if (notes.isEmpty()) {
        main += QLatin1String("<p>No notes.</p>\n");
    } else {
        QString lines = notes;
        lines.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
        main += QLatin1String("<div class=\"note-text\">\n");
        for (const QString &line : lines.split(u'\n'))
            main += line.trimmed().isEmpty() ? QStringLiteral("<p class=\"blank\"></p>\n")
                                             : QLatin1String("<p dir=\"auto\">") + esc(line) + QLatin1String("</p>\n");
        main += QLatin1String("</div>\n");
    }
    main += QLatin1String("</section>\n");
    QStringList names{printedLine(c[CardField::Name]), printedLine(c[CardField::WifeName])};
    names.removeAll(QString());
    return page(1, esc(QStringLiteral("Card %1: ").arg(card + 1) + names.join(QLatin1String(" and "))), main).toUtf8();
}

namespace {

// A JSON string, also safe inside a script: quotes, backslashes, control
// characters and the two separators older scripts took for line ends are
// escaped.
void appendJsonString(QString &out, const QString &text)
{
    out += u'"';
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'"' || u == u'\\') {
            out += u'\\';
            out += c;
        } else if (u < 0x20 || u == 0x2028 || u == 0x2029 || u == u'<') {
            out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    out += u'"';
}

} // namespace

QByteArray SitePages::searchIndex() const
{
    // One entry a person: name, years, page, where it leads, and the
    // sounds-like codes of the name's words. Written as it goes: a
    // document tree of every entry would cost many times the text.
    QString out = QStringLiteral("window.kinfolioSearchIndex = [\n");
    bool first = true;
    for (const Person &person : m_model.people()) {
        if (person.name.isEmpty())
            continue;
        const int card = person.cards.empty() ? person.namedOn : person.cards.front();
        const QString where = person.cards.empty() ? QStringLiteral("named as a parent on card %1").arg(card + 1)
                                                   : QStringLiteral("card %1").arg(card + 1);
        QString years;
        if (shown(person.living))
            years = CardText::lifespan(person.bornDate, person.diedDate);
        else if (m_options.living == Living::Names)
            years = QStringLiteral("Living");
        QStringList soundex, dm;
        for (const QString &word : SoundsLike::foldedWords(person.name)) {
            const QString code = SoundsLike::soundex(word);
            if (!code.isEmpty() && !soundex.contains(code))
                soundex << code;
            for (const QString &d : SoundsLike::daitchMokotoff(word)) {
                if (!dm.contains(d))
                    dm << d;
            }
        }
        out += first ? QLatin1String("[") : QLatin1String(",\n[");
        first = false;
        const QString fields[] = {person.name, years, cardPath(card), where, soundex.join(u' '), dm.join(u' ')};
        for (const QString &field : fields) {
            if (&field != fields)
                out += u',';
            appendJsonString(out, field);
        }
        out += u']';
    }
    out += QLatin1String("\n];\n");
    return out.toUtf8();
}

} // namespace kinfolio::Site
