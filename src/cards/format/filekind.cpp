#include "format/filekind.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace kinfolio {

namespace {

// Enough for a byte-order mark, a few blank lines and a header line.
constexpr qsizetype HeadSize = 1024;
constexpr qsizetype ChunkSize = 64 * 1024;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Read as the GEDCOM reader reads a first line: blank lines and blanks
// around the level mean nothing.
bool isGedcomHead(QByteArrayView head)
{
    QByteArray text = head.toByteArray();
    // UTF-16 puts a zero byte beside each of the header's characters.
    text.removeIf([](char c) { return c == '\0'; });
    for (const QByteArrayView mark : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"}) {
        if (text.startsWith(mark)) {
            text.remove(0, mark.size());
            break;
        }
    }
    QByteArrayView rest = QByteArrayView(text).trimmed();
    if (rest.size() < 2 || rest[0] != '0' || !isBlank(rest[1]))
        return false;
    rest = rest.sliced(1).trimmed();
    return rest.startsWith("HEAD") && (rest.size() == 4 || isBlank(rest[4]));
}

FileKind headKind(QByteArrayView head)
{
    if (head.isEmpty())
        return FileKind::Empty;
    if (head.startsWith("%PDF"))
        return FileKind::Pdf;
    return isGedcomHead(head) ? FileKind::Gedcom : FileKind::Other;
}

// Looks for the first quoted item, fed the file piece by piece. Every item
// before it is unquoted, and an unquoted item runs to the next comma or line
// end, so items start at the file's start and after each comma and line end;
// a quoted one begins there with a double quote, after any spaces. A quote
// anywhere else is inside an unquoted item and starts nothing.
class QuotedItemScan
{
public:
    bool found(QByteArrayView bytes)
    {
        for (const char c : bytes) {
            if (m_atItemStart && c == '"')
                return true;
            if (!m_atItemStart || c != ' ')
                m_atItemStart = c == ',' || c == '\r' || c == '\n';
        }
        return false;
    }

private:
    bool m_atItemStart = true;
};

QString kindName(FileKind kind)
{
    switch (kind) {
    case FileKind::Cards:
        return QStringLiteral("a card file");
    case FileKind::Gedcom:
        return QStringLiteral("a GEDCOM file");
    case FileKind::Pdf:
        return QStringLiteral("a PDF file");
    default:
        return QString();
    }
}

} // namespace

FileKind fileKindOf(QByteArrayView bytes)
{
    const FileKind kind = headKind(bytes.first(std::min(bytes.size(), HeadSize)));
    if (kind != FileKind::Other)
        return kind;
    return QuotedItemScan().found(bytes) ? FileKind::Cards : FileKind::Other;
}

FileKind fileKind(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return FileKind::Missing;
    // Checked before opening: opening a named pipe waits for a writer.
    if (!info.isFile())
        return FileKind::NotRegular;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileKind::Unreadable;
    QByteArray chunk = file.read(HeadSize);
    if (file.error() != QFileDevice::NoError)
        return FileKind::Unreadable;
    const FileKind kind = headKind(chunk);
    if (kind != FileKind::Other)
        return kind;
    QuotedItemScan scan;
    while (!chunk.isEmpty()) {
        if (scan.found(chunk))
            return FileKind::Cards;
        chunk = file.read(ChunkSize);
    }
    return file.error() == QFileDevice::NoError ? FileKind::Other : FileKind::Unreadable;
}

std::optional<QString> notCardFileReason(const QString &path, FileKind kind)
{
    const QString order = QStringLiteral("Name the card file first, then the file to write.");
    switch (kind) {
    case FileKind::Gedcom:
        return QStringLiteral("%1 is a GEDCOM file, not a card file").arg(path);
    case FileKind::Pdf:
        return QStringLiteral("%1 is a PDF file, not a card file. ").arg(path) + order;
    case FileKind::Other:
        return QStringLiteral("%1 is not a card file: none of its items is quoted, as a card file's are. ")
                   .arg(path)
               + order;
    default:
        return std::nullopt;
    }
}

std::optional<QString> outputRefusal(const QString &path, FileKind own)
{
    const FileKind kind = fileKind(path);
    switch (kind) {
    case FileKind::Missing:
    case FileKind::NotRegular:
        return std::nullopt;
    case FileKind::Empty:
        // Also a card file of no cards, as a new installation's Kinfolio.dat
        // is: only the name tells what it is kept for.
        if (own == FileKind::Cards || !path.endsWith(QLatin1String(".dat"), Qt::CaseInsensitive))
            return std::nullopt;
        return QStringLiteral("%1 is an empty card file, and card files are never written over: "
                              "name a new file for the output")
            .arg(path);
    case FileKind::Unreadable:
        return QStringLiteral("%1 could not be read, so nothing shows it is %2 that may be replaced: "
                              "name a new file for the output")
            .arg(path, kindName(own));
    default:
        break;
    }
    if (kind == own)
        return std::nullopt;
    const QString what = kind == FileKind::Other
                             ? QStringLiteral("%1 is not %2").arg(path, kindName(own))
                             : QStringLiteral("%1 is %2, not %3").arg(path, kindName(kind), kindName(own));
    const QString kept = kind == FileKind::Cards ? QStringLiteral(", and cards are never written over")
                                                 : QStringLiteral(", so it is left as it is");
    return what + kept + QStringLiteral(": name a new file for the output");
}

} // namespace kinfolio
