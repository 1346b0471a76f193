// The cost of the journal: one journalled Update (the change appended and put
// on the disk) against a bare append and sync of the same bytes on the same
// disk, and the replay of a journal of 20,000 changes at the next start.
// Prints the figures and exits non-zero when the journalled command costs
// more than 1.5 times the bare write.
#include "session/cardfilesession.h"
#include "platform/platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

using namespace kinfolio;

namespace {

CardFields card(int n)
{
    CardFields fields;
    fields[CardField::Name] = QStringLiteral("Husband %1 Whitcombe").arg(n);
    fields[CardField::WifeName] = QStringLiteral("Wife %1 Cole").arg(n);
    fields[CardField::BornDate] = QStringLiteral("12 MAR 18%1").arg(n % 100, 2, 10, QLatin1Char('0'));
    fields[CardField::Notes] = QStringLiteral("Farmer at Upper Hill; the family Bible gives the dates.");
    return fields;
}

// A measure of a failed step would mean nothing.
template <typename T>
T must(Result<T> result)
{
    if (!result)
        qFatal("%s", qPrintable(result.error()));
    return std::move(*result);
}
void must(const Result<> &result)
{
    if (!result)
        qFatal("%s", qPrintable(result.error()));
}

void seed(const QString &path, int cards)
{
    CardStore store(path);
    for (int n = 0; n < cards; ++n)
        store.appendCard(card(n));
    must(store.saveCardFile());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // Beside the build, on the disk the card file would be on: a memory
    // file system would hide what syncing costs.
    QTemporaryDir dir(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("journal-XXXXXX")));
    const QString cardFile = dir.filePath(QStringLiteral("Kinfolio.dat"));
    seed(cardFile, 1000);
    constexpr int rounds = 300;

    // The journalled command, as the card window's Update makes it.
    qint64 journalledNs = 0, bareNs = 0;
    qint64 bytesPerChange = 0;
    {
        CardFileSession session(cardFile);
        must(session.open(CardFileSession::Access::Edit));
        CardStore &store = session.store();
        for (int n = 0; n < rounds; ++n) {
            const int position = n % store.cardCount();
            const QByteArray before = store.cardBytes(position);
            QElapsedTimer timer;
            timer.start();
            store.replaceCard(position, card(n + 5000));
            must(session.record(CardJournal::Change::Update, position, before, store.cardBytes(position)));
            journalledNs += timer.nsecsElapsed();
        }
        bytesPerChange = QFileInfo(session.journal().path()).size() / rounds;
    }
    // A bare append and sync of as many bytes.
    {
        const QByteArray bytes(bytesPerChange, 'x');
        QFile file(dir.filePath(QStringLiteral("bare")));
        file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
        for (int n = 0; n < rounds; ++n) {
            QElapsedTimer timer;
            timer.start();
            file.write(bytes);
            syncToDisk(file);
            bareNs += timer.nsecsElapsed();
        }
    }
    const double ratio = double(journalledNs) / double(bareNs);
    std::printf("One journalled Update (%lld bytes): %.3f ms; a bare append and sync: %.3f ms; %.2fx  limit 1.5x  %s\n",
                static_cast<long long>(bytesPerChange), journalledNs / 1e6 / rounds, bareNs / 1e6 / rounds, ratio,
                ratio <= 1.5 ? "ok" : "MISSED");

    // A journal of 20,000 changes, replayed at the next start. Written in
    // memory where the system has a memory file system: a sync for each of
    // 20,000 changes would take minutes and measure nothing of the replay.
    QTemporaryDir memoryDir(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/kinfolio-XXXXXX")
                                                                      : dir.filePath(QStringLiteral("replay-XXXXXX")));
    const QString replayFile = memoryDir.filePath(QStringLiteral("Kinfolio.dat"));
    seed(replayFile, 1000);
    {
        CardFileSession session(replayFile);
        must(session.open(CardFileSession::Access::Edit));
        CardStore &store = session.store();
        for (int n = 0; n < 20000; ++n) {
            const int position = (n * 7) % store.cardCount();
            const QByteArray before = store.cardBytes(position);
            store.replaceCard(position, card(n));
            must(session.record(CardJournal::Change::Update, position, before, store.cardBytes(position)));
        }
    }
    QElapsedTimer timer;
    timer.start();
    CardFileSession next(replayFile);
    const CardFileSession::Opening opening = must(next.open(CardFileSession::Access::Edit));
    std::printf("Replay of a journal of %d changes (%lld kB): %lld ms\n", opening.recovery.replayed,
                static_cast<long long>(QFileInfo(next.journal().path()).size() / 1024),
                static_cast<long long>(timer.elapsed()));
    return ratio <= 1.5 && opening.recovery.replayed == 20000 ? 0 : 1;
}
