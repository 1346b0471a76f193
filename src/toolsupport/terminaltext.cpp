#include "toolsupport/terminaltext.h"

#include "format/cardstore.h"
#include "format/filekind.h"
#include "platform/platform.h"

#include <QCoreApplication>

namespace kinfolio {

namespace {

bool isControl(char16_t c)
{
    return (c < 0x20 && c != u'\n') || (c >= 0x7f && c <= 0x9f);
}

} // namespace

QString escapeControls(QStringView text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        if (isControl(c.unicode()))
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

void printLine(std::FILE *stream, const QString &message)
{
    const QByteArray line = escapeControls(message).toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stream);
}

void printError(const QString &message)
{
    printLine(stderr, QCoreApplication::applicationName() + QStringLiteral(": ") + message);
}

void printMisuse(const QString &message)
{
    printError(QStringLiteral("%1\nTry '%2 --help'.").arg(message, QCoreApplication::applicationName()));
}

bool parseArguments(QCommandLineParser &parser)
{
    if (!parser.parse(QCoreApplication::arguments())) {
        printMisuse(parser.errorText());
        return false;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(Done);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    return true;
}

void printCardFileError(const QString &message, const QString &cardFile)
{
    if (fileKind(cardFile) != FileKind::Gedcom)
        return printError(message);
    printError(QStringLiteral("%1. To bring it into cards: kinfolio-gedcom --import %2 %3")
                   .arg(message, cardFile, CardStore::fileName()));
}

ProgressLine::ProgressLine(bool enabled, std::FILE *stream)
    : m_stream(stream)
    , m_enabled(enabled && isTerminalStream(stream))
{
    m_started.start();
}

void ProgressLine::show(const QString &text)
{
    constexpr qint64 quiet = 1000, between = 100; // milliseconds
    if (!m_enabled || m_started.elapsed() < quiet || (m_shown && m_lastShown.elapsed() < between))
        return;
    m_lastShown.start();
    m_shown = true;
    // Kept within a narrow terminal's width, so that it never wraps onto a
    // second line that the next update would leave behind.
    QString shown = escapeControls(text);
    if (shown.size() > 79)
        shown = shown.left(78) + QChar(0x2026);
    const QByteArray line = "\r\x1b[K" + shown.toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), m_stream);
    std::fflush(m_stream);
}

void ProgressLine::show(const QString &what, qint64 done, qint64 total)
{
    if (m_enabled)
        show(QStringLiteral("%1: %2%").arg(what).arg(total > 0 ? done * 100 / total : 0));
}

void ProgressLine::clear()
{
    if (!m_shown)
        return;
    std::fputs("\r\x1b[K", m_stream);
    std::fflush(m_stream);
    m_shown = false;
}

} // namespace kinfolio
