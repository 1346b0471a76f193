#pragma once

#include <QString>
#include <QStringView>

#include <cstdio>

namespace kinfolio {

// Text for a terminal with its control characters shown escaped, as \x1b:
// C0 but the line break, DEL and C1. A message quotes text from the files it
// read (a GEDCOM value, a bad line, a file name), and a raw escape sequence
// there would retitle or clear the user's terminal, or hide the message.
QString escapeControls(QStringView text);

// Writes a message and a line break to `stream`, in UTF-8, escaped as above:
// how the command-line tools print everything they say.
void printLine(std::FILE *stream, const QString &message);

} // namespace kinfolio
