#include "toolsupport/terminaltext.h"

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

} // namespace kinfolio
