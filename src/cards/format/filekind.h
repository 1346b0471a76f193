#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace kinfolio {

// What a file holds, told from its first bytes. The tools read one kind of
// file and write another, and the two are easily named in the wrong order:
// knowing the kind before reading or replacing a file turns such a slip into
// a message instead of a lost card file.
enum class FileKind {
    Missing,    // nothing at the path
    Empty,      // no bytes: an empty card file, and nothing to lose
    Cards,      // items as the card program writes them
    Gedcom,     // its first line 0 HEAD, after any byte-order mark
    Pdf,        // %PDF
    Other,      // anything else, a card file edited past recognition among it
    Unreadable, // a regular file the system would not read
    NotRegular, // a folder, a named pipe, a device: left to the reader or writer
};

// The kind of a file's bytes, read whole or from its start.
//
// Cards are told by their items: a card file holds at least one quoted item,
// so a file edited by hand with unquoted items among quoted ones is still a
// card file, and a text that holds no quoted item at all is not.
FileKind fileKindOf(QByteArrayView bytes);

// The kind of the file at `path`. A card file is told by its first item and
// a GEDCOM or PDF file by its first line; only a file of none of these kinds
// is read to its end.
FileKind fileKind(const QString &path);

// Why the file at `path`, of the given kind, is no card file to read,
// naming the likely slip; none when it may be one (the card reader reports
// what else is wrong with it).
std::optional<QString> notCardFileReason(const QString &path, FileKind kind);

// Why a tool whose output is of kind `own` must not replace the file at
// `path`; none when it may: nothing is there, an empty file or one of its
// own kind. A card file, an empty one named .dat among them, is never
// replaced by another kind of file.
std::optional<QString> outputRefusal(const QString &path, FileKind own);

} // namespace kinfolio
