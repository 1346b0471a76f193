#pragma once

class QLineEdit;
class QPlainTextEdit;

namespace kinfolio {

// Keeps a card box to what the card file can store, as text is typed or
// pasted: a double quote becomes U+201D and a character outside the file's
// code page becomes '?' (AnsiText::makeStorable). The user sees the change at
// once, so the box never differs from what the file will read back.
void keepStorable(QLineEdit *box);
void keepStorable(QPlainTextEdit *box);

// The same for a web address box: a character outside the code page becomes
// '?' and a double quote %22 (SiteListFile::storableAddress).
void keepSiteAddress(QLineEdit *box);

} // namespace kinfolio
