#include "soundslike.h"

#include <algorithm>
#include <tuple>
#include <vector>

namespace kinfolio::SoundsLike {

namespace {

// Latin letters whose mark no decomposition takes off.
QString plainLetters(QChar c)
{
    switch (c.unicode()) {
    case u'ł': return QStringLiteral("l");
    case u'ø': return QStringLiteral("o");
    case u'đ': return QStringLiteral("d");
    case u'ħ': return QStringLiteral("h");
    case u'ı': return QStringLiteral("i");
    case u'ß': return QStringLiteral("ss");
    case u'æ': return QStringLiteral("ae");
    case u'œ': return QStringLiteral("oe");
    case u'þ': return QStringLiteral("th");
    default: return QString(c);
    }
}

} // namespace

QStringList foldedWords(const QString &name)
{
    const QString decomposed = name.normalized(QString::NormalizationForm_KD).toCaseFolded();
    QStringList words;
    QString word;
    for (qsizetype i = 0; i < decomposed.size(); ++i) {
        const QChar c = decomposed.at(i);
        if (c.isMark())
            continue;
        if (c.isLetterOrNumber() || c.isSurrogate()) {
            word += plainLetters(c);
        } else if (!word.isEmpty()) {
            words << word;
            word.clear();
        }
    }
    if (!word.isEmpty())
        words << word;
    return words;
}

QString soundex(const QString &word)
{
    // The digit of each letter a to z; '0' for the vowels, which part two
    // letters of one digit, and '-' for h and w, which do not.
    static const char digits[] = "0123012-02245501262301-202";
    static_assert(sizeof digits == 27);
    const auto digitOf = [](QChar c) {
        return c >= u'a' && c <= u'z' ? digits[c.unicode() - u'a'] : '\0';
    };
    if (word.isEmpty() || !digitOf(word.front()))
        return QString();
    QString code(word.front().toUpper());
    char last = digitOf(word.front());
    for (qsizetype i = 1; i < word.size() && code.size() < 4; ++i) {
        const char d = digitOf(word.at(i));
        if (d == '\0' || d == '-')
            continue;
        if (d != '0' && d != last)
            code += QChar::fromLatin1(d);
        last = d;
    }
    return code.leftJustified(4, u'0');
}

namespace {

// One rule of the Daitch–Mokotoff table: the letters it codes, and their
// code at the start of the word, before a vowel, and anywhere else. A code
// of two spellings ("5|4") is said either way; an empty one codes nothing.
struct DmRule
{
    const char *letters;
    const char *atStart;
    const char *beforeVowel;
    const char *otherwise;
};

const DmRule dmTable[] = {
    {"ai", "0", "1", ""},    {"aj", "0", "1", ""},     {"ay", "0", "1", ""},     {"au", "0", "7", ""},
    {"a", "0", "", ""},      {"ei", "0", "1", ""},     {"ej", "0", "1", ""},     {"ey", "0", "1", ""},
    {"eu", "1", "1", ""},    {"e", "0", "", ""},       {"ia", "1", "", ""},      {"ie", "1", "", ""},
    {"io", "1", "", ""},     {"iu", "1", "", ""},      {"i", "0", "", ""},       {"oi", "0", "1", ""},
    {"oj", "0", "1", ""},    {"oy", "0", "1", ""},     {"o", "0", "", ""},       {"ui", "0", "1", ""},
    {"uj", "0", "1", ""},    {"uy", "0", "1", ""},     {"ue", "0", "", ""},      {"u", "0", "", ""},
    {"y", "1", "", ""},      {"b", "7", "7", "7"},     {"chs", "5", "54", "54"}, {"ch", "5|4", "5|4", "5|4"},
    {"ck", "5|45", "5|45", "5|45"},                    {"csz", "4", "4", "4"},   {"czs", "4", "4", "4"},
    {"cz", "4", "4", "4"},   {"cs", "4", "4", "4"},    {"c", "5|4", "5|4", "5|4"},
    {"drz", "4", "4", "4"},  {"drs", "4", "4", "4"},   {"dsh", "4", "4", "4"},   {"dsz", "4", "4", "4"},
    {"dzh", "4", "4", "4"},  {"dzs", "4", "4", "4"},   {"ds", "4", "4", "4"},    {"dz", "4", "4", "4"},
    {"dt", "3", "3", "3"},   {"d", "3", "3", "3"},     {"fb", "7", "7", "7"},    {"f", "7", "7", "7"},
    {"g", "5", "5", "5"},    {"h", "5", "5", ""},      {"j", "1|4", "|4", "|4"}, {"ks", "5", "54", "54"},
    {"kh", "5", "5", "5"},   {"k", "5", "5", "5"},     {"l", "8", "8", "8"},     {"mn", "66", "66", "66"},
    {"m", "6", "6", "6"},    {"nm", "66", "66", "66"}, {"n", "6", "6", "6"},     {"pf", "7", "7", "7"},
    {"ph", "7", "7", "7"},   {"p", "7", "7", "7"},     {"q", "5", "5", "5"},     {"rs", "94|4", "94|4", "94|4"},
    {"rz", "94|4", "94|4", "94|4"},                    {"r", "9", "9", "9"},
    {"schtsch", "2", "4", "4"}, {"schtsh", "2", "4", "4"}, {"schtch", "2", "4", "4"},
    {"shtch", "2", "4", "4"},   {"shtsh", "2", "4", "4"},  {"stsch", "2", "4", "4"},
    {"scht", "2", "43", "43"},  {"schd", "2", "43", "43"}, {"shch", "2", "4", "4"},
    {"stch", "2", "4", "4"},    {"strz", "2", "4", "4"},   {"strs", "2", "4", "4"},
    {"stsh", "2", "4", "4"},    {"szcz", "2", "4", "4"},   {"szcs", "2", "4", "4"},
    {"sch", "4", "4", "4"},     {"sht", "2", "43", "43"},  {"szt", "2", "43", "43"},
    {"shd", "2", "43", "43"},   {"szd", "2", "43", "43"},  {"sc", "2", "4", "4"},
    {"sd", "2", "43", "43"},    {"sh", "4", "4", "4"},     {"st", "2", "43", "43"},
    {"sz", "4", "4", "4"},      {"s", "4", "4", "4"},
    {"ttsch", "4", "4", "4"},   {"ttch", "4", "4", "4"},   {"ttsz", "4", "4", "4"},
    {"tsch", "4", "4", "4"},    {"tch", "4", "4", "4"},    {"trz", "4", "4", "4"},
    {"trs", "4", "4", "4"},     {"tsh", "4", "4", "4"},    {"tts", "4", "4", "4"},
    {"ttz", "4", "4", "4"},     {"tzs", "4", "4", "4"},    {"tsz", "4", "4", "4"},
    {"tc", "4", "4", "4"},      {"ts", "4", "4", "4"},     {"tz", "4", "4", "4"},
    {"th", "3", "3", "3"},      {"t", "3", "3", "3"},      {"v", "7", "7", "7"},
    {"w", "7", "7", "7"},       {"x", "5", "54", "54"},
    {"zhdzh", "2", "4", "4"},   {"zdzh", "2", "4", "4"},   {"zsch", "4", "4", "4"},
    {"zdz", "2", "4", "4"},     {"zhd", "2", "43", "43"},  {"zsh", "4", "4", "4"},
    {"zd", "2", "43", "43"},    {"zh", "4", "4", "4"},     {"zs", "4", "4", "4"},
    {"z", "4", "4", "4"},
};

// The rules longest first, so that the first whose letters match is the
// longest that does.
const std::vector<DmRule> &dmRules()
{
    static const std::vector<DmRule> rules = [] {
        std::vector<DmRule> sorted(std::begin(dmTable), std::end(dmTable));
        std::stable_sort(sorted.begin(), sorted.end(), [](const DmRule &a, const DmRule &b) {
            return qstrlen(a.letters) > qstrlen(b.letters);
        });
        return sorted;
    }();
    return rules;
}

bool isVowel(char c)
{
    return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u';
}

// A code being built: its digits so far and the code of the letters before.
struct DmBranch
{
    QString digits;
    QString lastCode;
    bool started = false;

    void add(const QString &code, bool force)
    {
        // The same code twice in a row is written once, unless a vowel (an
        // empty code) or the m and n of "mn" stand between.
        if (!started || !lastCode.endsWith(code) || force)
            digits = (digits + code).left(6);
        lastCode = code;
        started = true;
    }
};

} // namespace

QStringList daitchMokotoff(const QString &word)
{
    QByteArray letters;
    for (QChar c : word) {
        if (c >= u'a' && c <= u'z')
            letters += char(c.unicode());
    }
    if (letters.isEmpty())
        return {};
    std::vector<DmBranch> branches(1);
    char lastLetter = '\0';
    for (qsizetype i = 0; i < letters.size();) {
        const QByteArrayView rest = QByteArrayView(letters).sliced(i);
        const auto rule = std::find_if(dmRules().begin(), dmRules().end(),
                                       [&](const DmRule &r) { return rest.startsWith(r.letters); });
        const char letter = letters.at(i);
        if (rule == dmRules().end()) {
            ++i;
            continue;
        }
        const qsizetype next = i + qsizetype(qstrlen(rule->letters));
        const char *code = i == 0                                               ? rule->atStart
                           : next < letters.size() && isVowel(letters.at(next)) ? rule->beforeVowel
                                                                                 : rule->otherwise;
        const QStringList alternatives = QString::fromLatin1(code).split(u'|');
        const bool force = (lastLetter == 'm' && letter == 'n') || (lastLetter == 'n' && letter == 'm');
        std::vector<DmBranch> grown;
        for (const DmBranch &branch : branches) {
            for (const QString &alternative : alternatives) {
                DmBranch b = branch;
                b.add(alternative, force);
                grown.push_back(std::move(b));
            }
        }
        // Spellings that have come to the same code go on as one.
        std::sort(grown.begin(), grown.end(), [](const DmBranch &a, const DmBranch &b) {
            return std::tie(a.digits, a.lastCode) < std::tie(b.digits, b.lastCode);
        });
        grown.erase(std::unique(grown.begin(), grown.end(),
                                [](const DmBranch &a, const DmBranch &b) {
                                    return a.digits == b.digits && a.lastCode == b.lastCode;
                                }),
                    grown.end());
        branches = std::move(grown);
        lastLetter = letter;
        i = next;
    }
    QStringList codes;
    for (const DmBranch &branch : branches) {
        const QString code = branch.digits.leftJustified(6, u'0');
        if (!codes.contains(code))
            codes << code;
    }
    return codes;
}

} // namespace kinfolio::SoundsLike
