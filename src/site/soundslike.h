#pragma once

#include <QString>
#include <QStringList>

// How the site's search compares names: letters folded for exact and prefix
// matches, and two sounds-like codes for names spelt as they were heard. The
// codes of every name are computed here once, for the search index; the
// page's script computes those of the typed query with the same rules
// (assets/site.js), which must be kept in step with these.
namespace kinfolio::SoundsLike {

// A name as the search compares it: lower case, accents and other marks
// removed, and the few Latin letters that carry their mark inside them (ł,
// ø, ß, æ …) written as plain letters, then cut into words at anything but
// a letter or a digit. Letters of other scripts are kept, so a Hebrew or
// Chinese name is found by its own letters.
QStringList foldedWords(const QString &name);

// The American Soundex code of one folded word: its first letter and three
// digits ("Ashcraft" A261), or empty when the word does not begin with a
// letter from a to z.
QString soundex(const QString &word);

// The Daitch–Mokotoff codes of one folded word: six digits each, several
// where a spelling may be said two ways ("Schwarz" 479400 and 474000), in
// order of the digits; empty when the word holds no letter from a to z.
QStringList daitchMokotoff(const QString &word);

} // namespace kinfolio::SoundsLike
