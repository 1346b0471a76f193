// The child that the crash tests kill: it saves a card file or a site list
// over and over, cycling through the generations of crashfixtures.h, and
// writes one byte to stdout after each save that completed ('r' once it is
// ready to start). It first loads what the file holds, so every run also
// checks that the file a killed save left behind loads whole. Or it runs a
// scripted session of card commands, writing 'a' as each is acknowledged
// and 'e' once Exit has saved.
//
//   crash_saver cards <card file> <card count>
//   crash_saver sites <site list file>
//   crash_saver session <card file> <seed> <commands>
#include "format/cardstore.h"
#include "crashfixtures.h"
#include "files/safefile.h"

#include <QCoreApplication>
#include <QFile>

#include <array>
#include <cstdio>
#include <memory>

#include <unistd.h>

using namespace kinfolio;
using namespace kinfolio::testing;

namespace {

void report(char c)
{
    // Unbuffered, so the parent sees every completed save before the kill.
    if (::write(STDOUT_FILENO, &c, 1) != 1)
        std::_Exit(4);
}

int fail(const char *what)
{
    std::fprintf(stderr, "crash_saver: %s\n", what);
    return 2;
}

int saveCards(const QString &path, int count)
{
    auto onFile = std::make_unique<CardStore>(path);
    if (!onFile->loadCardFile() || onFile->cardCount() != count)
        return fail("the card file did not load whole");
    // The parent compares the file byte for byte; the first and the last
    // card tell which generation it holds.
    int start = -1;
    for (int g = 0; g < CrashGenerations && start < 0; ++g)
        if (onFile->fields(0) == crashCard(g, 0) && onFile->fields(count - 1) == crashCard(g, count - 1))
            start = g;
    if (start < 0)
        return fail("the card file holds no whole generation");

    std::array<std::unique_ptr<CardStore>, CrashGenerations> stores;
    for (int g = 0; g < CrashGenerations; ++g) {
        if (g == start) {
            stores[size_t(g)] = std::move(onFile);
            continue;
        }
        stores[size_t(g)] = std::make_unique<CardStore>(path);
        for (int i = 0; i < count; ++i)
            stores[size_t(g)]->appendCard(crashCard(g, i));
    }
    report('r');
    for (int g = (start + 1) % CrashGenerations;; g = (g + 1) % CrashGenerations) {
        if (const Result<> saved = stores[size_t(g)]->saveCardFile(); !saved)
            return fail(qPrintable(saved.error()));
        report('s');
    }
}

int saveSites(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail("the site list cannot be read");
    const QByteArray bytes = file.readAll();
    file.close();
    int start = -1;
    for (int g = 0; g < CrashGenerations && start < 0; ++g)
        if (bytes == crashSiteListFile(g))
            start = g;
    if (start < 0)
        return fail("the site list holds no generation");

    std::array<QByteArray, CrashGenerations> lists;
    for (int g = 0; g < CrashGenerations; ++g)
        lists[size_t(g)] = crashSiteListFile(g);
    report('r');
    for (int g = (start + 1) % CrashGenerations;; g = (g + 1) % CrashGenerations) {
        if (const Result<> written = writeFileSafely(path, lists[size_t(g)]); !written)
            return fail(qPrintable(written.error()));
        report('s');
    }
}

int runSession(const QString &path, quint32 seed, int commands)
{
    CardEditor editor(path);
    if (editor.open().then != CardView::Then::Stay)
        return fail("the card file is locked");
    report('r');
    QRandomGenerator dice(seed);
    for (int step = 0; step < commands; ++step) {
        runSessionCommand(editor, dice, step);
        report('a');
    }
    if (editor.exit().then != CardView::Then::CloseWindow)
        return fail("Exit did not save");
    report('e');
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("cards"))
        return saveCards(args[2], args[3].toInt());
    if (args.size() == 3 && args[1] == QLatin1String("sites"))
        return saveSites(args[2]);
    if (args.size() == 5 && args[1] == QLatin1String("session"))
        return runSession(args[2], args[3].toUInt(), args[4].toInt());
    return fail("usage: crash_saver cards <file> <count> | sites <file> | session <file> <seed> <commands>");
}
