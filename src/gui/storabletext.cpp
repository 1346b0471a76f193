#include "storabletext.h"

#include "format/ansitext.h"
#include "format/sitelistfile.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>

namespace kinfolio {

namespace {
const char *const showingStoredText = "kinfolioShowingStoredText";
const char *const wholeValue = "kinfolioWholeValue";

void keepConverted(QLineEdit *box, QString (*convert)(const QString &))
{
    // textEdited fires for typing and pasting, not for setText by the program.
    QObject::connect(box, &QLineEdit::textEdited, box, [box, convert](const QString &text) {
        const QString converted = convert(text);
        if (converted == text)
            return;
        const int cursor = box->cursorPosition();
        // A surrogate pair shrinks to one '?'; keep the caret after it.
        const int shift = int(text.left(cursor).size() - convert(text.left(cursor)).size());
        box->setText(converted);
        box->setCursorPosition(cursor - shift);
    });
}
} // namespace

void keepStorable(QLineEdit *box)
{
    keepConverted(box, &AnsiText::makeStorable);
}

void keepSiteAddress(QLineEdit *box)
{
    keepConverted(box, &SiteListFile::storableAddress);
}

void keepStorable(QPlainTextEdit *box)
{
    QTextDocument *doc = box->document();
    auto replacing = std::make_shared<bool>(false);
    QObject::connect(doc, &QTextDocument::contentsChange, box, [box, doc, replacing](int position, int, int charsAdded) {
        if (charsAdded <= 0 || *replacing || box->property(showingStoredText).toBool())
            return;
        QTextCursor range(doc);
        range.setPosition(position);
        range.setPosition(qMin(position + charsAdded, doc->characterCount() - 1), QTextCursor::KeepAnchor);
        // The document separates paragraphs with U+2029; that is a line break
        // in the box, not a character to replace.
        QString added = range.selectedText();
        added.replace(QChar::ParagraphSeparator, u'\n');
        const QString storable = AnsiText::makeStorable(added);
        if (storable == added)
            return;
        *replacing = true;
        range.insertText(storable);
        *replacing = false;
        box->setTextCursor(range);
    });
}

void showStoredText(QLineEdit *box, const QString &text)
{
    const bool isLong = text.size() > LongValueShown;
    box->setProperty(wholeValue, isLong ? QVariant(text) : QVariant());
    box->setReadOnly(isLong);
    box->setToolTip(isLong ? QStringLiteral("%1 characters, too long to show or edit here; the first %2 are "
                                            "shown, and the whole text is kept.")
                                 .arg(text.size())
                                 .arg(LongValueShown)
                           : QString());
    box->setText(isLong ? text.left(LongValueShown) + QChar(0x2026) : text);
}

void showStoredText(QPlainTextEdit *box, const QString &text)
{
    // One pass: QString::replace with texts of different lengths takes a
    // quarter of a second on notes of 20 MB.
    QString lines(text.size(), Qt::Uninitialized);
    QChar *out = lines.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!(text.at(i) == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n'))
            *out++ = text.at(i);
    }
    lines.truncate(out - lines.constData());
    box->setProperty(showingStoredText, true);
    box->setPlainText(lines);
    box->setProperty(showingStoredText, false);
}

QString storedText(const QPlainTextEdit *box)
{
    const QString lines = box->toPlainText();
    QString text(lines.size() + lines.count(u'\n'), Qt::Uninitialized);
    QChar *out = text.data();
    for (QChar c : lines) {
        if (c == u'\n')
            *out++ = u'\r';
        *out++ = c;
    }
    return text;
}

QString storedText(const QLineEdit *box)
{
    const QVariant whole = box->property(wholeValue);
    return whole.isValid() ? whole.toString() : box->text();
}

} // namespace kinfolio
