#include "session/cardfilelock.h"

#include "platform/platform.h"
#include "files/safefile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSysInfo>
#include <QThread>

namespace kinfolio {

namespace {
// A holder writes its name into the lock file just after creating it, so a
// lock file that names nobody may be one being written. One that has named
// nobody for this long was left so (a power cut, a full disk).
constexpr qint64 NamelessLockAgeMs = 2000;
} // namespace

CardFileLock::Holder CardFileLock::Holder::ofThisProcess()
{
    return {QCoreApplication::applicationPid(), QFileInfo(QCoreApplication::applicationFilePath()).fileName(),
            QSysInfo::machineHostName(), QSysInfo::machineUniqueId(), QSysInfo::bootUniqueId()};
}

// One field a line, in the order other programs' lock files of this kind
// use too: process, program, computer, machine id, boot id.
QByteArray CardFileLock::Holder::bytes() const
{
    return QByteArray::number(pid) + '\n' + program.toUtf8() + '\n' + computer.toUtf8() + '\n' + machineId + '\n'
           + bootId + '\n';
}

bool CardFileLock::Holder::parse(const QByteArray &bytes, Holder &out)
{
    const QList<QByteArray> lines = bytes.split('\n');
    bool number = false;
    out = {};
    out.pid = lines.value(0).toLongLong(&number);
    if (!number || out.pid <= 0 || lines.size() < 3)
        return false;
    out.program = QString::fromUtf8(lines.value(1));
    out.computer = QString::fromUtf8(lines.value(2));
    out.machineId = lines.value(3);
    out.bootId = lines.value(4);
    return true;
}

CardFileLock::CardFileLock(const QString &cardFilePath)
{
    const QString cardFile = resolvedFilePath(cardFilePath);
    m_cardFolder = QFileInfo(cardFile).absolutePath();
    m_lockPath = cardFile + QStringLiteral(".lock");
}

CardFileLock::~CardFileLock()
{
    unlock();
}

void CardFileLock::unlock()
{
    if (!m_file.isOpen())
        return;
    // Removed while still held, so nobody takes a lock file about to go.
    QFile::remove(m_lockPath);
    m_file.close();
}

CardFileLock::Outcome CardFileLock::notPossible(const QString &reason)
{
    m_reason = reason;
    return Outcome::NotPossible;
}

CardFileLock::Outcome CardFileLock::tryLock()
{
    if (isLocked())
        return Outcome::Locked;
    m_reason.clear();
    m_holderComputer.clear();
    // Bounded, though each turn either waits for a nameless lock to age or
    // removes one: another program may keep making them.
    for (int turn = 0; turn < 100; ++turn) {
        Outcome result = Outcome::NotPossible;
        const Step step = create(result);
        if (step == Step::Taken)
            return Outcome::Locked;
        if (step == Step::Stop)
            return result;
        if (judgeExisting(result) == Step::Stop)
            return result;
    }
    return notPossible(QStringLiteral("another program keeps making it anew"));
}

CardFileLock::Step CardFileLock::create(Outcome &result)
{
    m_file.setFileName(m_lockPath);
    // NewOnly: made by this call or not at all, and never through a link.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        const QFileInfo existing(m_lockPath);
        if (existing.exists() || existing.isSymLink())
            return Step::TryAgain;
        const QString why = m_file.errorString();
        if (QFileInfo(m_cardFolder).isDir() && !QFileInfo(m_cardFolder).isWritable()) {
            m_reason = QStringLiteral("the folder cannot be written (%1)").arg(why);
            result = Outcome::ReadOnlyFolder;
        } else {
            result = notPossible(why);
        }
        return Step::Stop;
    }
    const QByteArray holder = Holder::ofThisProcess().bytes();
    if (!holdFileLock(m_file) || m_file.write(holder) != holder.size() || !syncToDisk(m_file)) {
        // A full disk takes the new file but not its content.
        const QString why = m_file.error() != QFileDevice::NoError ? m_file.errorString()
                                                                   : QStringLiteral("the system refused to lock it");
        QFile::remove(m_lockPath);
        m_file.close();
        result = notPossible(why);
        return Step::Stop;
    }
    return Step::Taken;
}

CardFileLock::Step CardFileLock::judgeExisting(Outcome &result)
{
    const QFileInfo info(m_lockPath);
    // Nothing here opens what is not a regular file: a named pipe would wait
    // for a writer for ever.
    if (info.isSymLink()) {
        result = notPossible(QStringLiteral("a link is in the way"));
        return Step::Stop;
    }
    if (!info.exists())
        return Step::TryAgain; // its holder has just let it go
    if (!info.isFile()) {
        result = notPossible(info.isDir() ? QStringLiteral("a folder is in the way")
                                          : QStringLiteral("something that is not a file is in the way"));
        return Step::Stop;
    }
    const Result<QByteArray> read = readRegularFile(m_lockPath);
    if (!read) {
        result = notPossible(QStringLiteral("it cannot be read (%1)").arg(read.error()));
        return Step::Stop;
    }
    const QByteArray &bytes = *read;

    const Holder self = Holder::ofThisProcess();
    Holder holder;
    if (Holder::parse(bytes, holder)) {
        const bool thisComputer = (holder.computer.isEmpty() || holder.computer == self.computer)
                                  && (holder.machineId.isEmpty() || holder.machineId == self.machineId);
        if (!thisComputer) {
            m_holderComputer = holder.computer;
            if (holder.computer == self.computer)
                m_holderComputer += QStringLiteral(" (another computer of the same name, machine %1)")
                                        .arg(QString::fromLatin1(holder.machineId));
            result = Outcome::HeldByAnotherComputer;
            return Step::Stop;
        }
        // This process holds no lock it does not know of: its own number in
        // a lock file comes from an earlier process that had it.
        const bool alive = (holder.bootId.isEmpty() || holder.bootId == self.bootId) && holder.pid != self.pid
                           && isProcessRunning(holder.pid, holder.program);
        if (alive) {
            result = Outcome::HeldElsewhere;
            return Step::Stop;
        }
    } else if (qAbs(info.lastModified().msecsTo(QDateTime::currentDateTime())) < NamelessLockAgeMs) {
        QThread::msleep(100);
        return Step::TryAgain;
    }

    // Names no live holder. The system's own lock tells a holder that is
    // alive after all (a second window of this very process, say).
    QFile stale(m_lockPath);
    if (!stale.open(QIODevice::ReadOnly) || !holdFileLock(stale)) {
        result = Outcome::HeldElsewhere;
        return Step::Stop;
    }
    if (!QFile::remove(m_lockPath) && QFileInfo::exists(m_lockPath)) {
        result = notPossible(QStringLiteral("it names no program that is still running, but it cannot be removed"));
        return Step::Stop;
    }
    return Step::TryAgain;
}

QString CardFileLock::folder() const
{
    return QDir::toNativeSeparators(m_cardFolder);
}

} // namespace kinfolio
