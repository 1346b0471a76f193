#pragma once

#include <QCommandLineParser>
#include <QElapsedTimer>
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

// How every tool ends: done, an error (nothing written), wrong arguments.
enum ExitCode { Done = 0, Failed = 1, Misused = 2 };

// Prints "<tool>: <message>" on standard error, the tool named as the
// application calls itself.
void printError(const QString &message);

// Prints wrong arguments as printError does, with "Try '<tool> --help'."
// under them.
void printMisuse(const QString &message);

// Parses the tool's command line, and answers --help and --version, which
// end the program. False, with the reason printed as a misuse, when the
// arguments are wrong: the tool then ends with Misused.
bool parseArguments(QCommandLineParser &parser);

// Prints the error of a tool that reads `cardFile`, telling how to import it
// when it is a GEDCOM file named in the card file's place.
void printCardFileError(const QString &message, const QString &cardFile);

// How far long work has come, on one line of a terminal that is rewritten
// in place: "Reading family.ged: 42%". Shown only when the stream is a
// terminal and the work has taken more than a second, never more often than
// ten times a second, and wiped when the work ends (or the object goes), so
// that what is printed next stands on a clean line. In a pipe or a file it
// writes nothing.
class ProgressLine
{
public:
    explicit ProgressLine(bool enabled = true, std::FILE *stream = stderr);
    ~ProgressLine() { clear(); }
    ProgressLine(const ProgressLine &) = delete;
    ProgressLine &operator=(const ProgressLine &) = delete;

    void show(const QString &text);
    // "what: 42%".
    void show(const QString &what, qint64 done, qint64 total);
    void clear();

private:
    std::FILE *m_stream;
    bool m_enabled;
    bool m_shown = false;
    QElapsedTimer m_started, m_lastShown;
};

} // namespace kinfolio
