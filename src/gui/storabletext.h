#pragma once

#include <QString>

class QLineEdit;
class QPlainTextEdit;

namespace kinfolio {

// Keeps a card box to what the card file can store, as text is typed or
// pasted: a double quote becomes U+201D (AnsiText::makeStorable). The user
// sees the change at once, so the box never differs from what the file will
// read back. Letters of every script stay as typed: the file keeps those
// beyond its code page as character references.
void keepStorable(QLineEdit *box);
void keepStorable(QPlainTextEdit *box);

// Puts a stored card value into a box. Stored text is storable already, so
// the box's guard leaves it alone, which matters for notes of many megabytes.
// The card file ends lines with CR LF; the notes box with LF alone.
//
// A one-line box shows at most LongValueShown characters: a name or place of
// millions of characters (from a hand-edited or imported file) would take
// seconds and gigabytes to lay out on one line. Such a value is shown cut
// short with an ellipsis, the box becomes read-only, and storedText() still
// gives the whole value, so nothing is lost on Update.
constexpr int LongValueShown = 100000;
void showStoredText(QLineEdit *box, const QString &text);
void showStoredText(QPlainTextEdit *box, const QString &text);
// The value a box holds: what it shows, or the whole of a long value; the
// notes with their lines ended by CR LF again.
QString storedText(const QLineEdit *box);
QString storedText(const QPlainTextEdit *box);

// The same for a web address box: a character outside the code page becomes
// '?' and a double quote %22 (SiteListFile::storableAddress).
void keepSiteAddress(QLineEdit *box);

} // namespace kinfolio
