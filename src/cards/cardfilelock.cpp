#include "cardfilelock.h"

#include "safefile.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>
#include <QThread>

namespace kinfolio {

namespace {
// A holder writes its name into the lock file just after creating it, so a
// lock file that names nobody may be one being written. One that has named
// nobody for this long was left so (a power cut, a full disk).
constexpr qint64 NamelessLockAgeMs = 2000;
} // namespace

CardFileLock::CardFileLock(const QString &cardFilePath)
{
    const QString cardFile = resolvedFilePath(cardFilePath);
    m_cardFolder = QFileInfo(cardFile).absolutePath();
    m_lockPath = cardFile + QStringLiteral(".lock");
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // Only a dead holder makes a lock stale: a card window may stay open for days.
    m_lock->setStaleLockTime(0);
}

CardFileLock::~CardFileLock() = default;

CardFileLock::Result CardFileLock::tryLock()
{
    if (m_lock->isLocked())
        return Result::Locked;
    // Bounded, though each turn either waits for a nameless lock to age or
    // removes one: another program may keep making them.
    for (int turn = 0; turn < 100; ++turn) {
        // QLockFile takes over a lock whose holder has died on this computer.
        if (m_lock->tryLock(0))
            return Result::Locked;
        const QFileInfo lockFile(m_lockPath);
        // Reading a named pipe would wait for a writer that never comes.
        if (m_lock->error() != QLockFile::LockFailedError || (lockFile.exists() && !lockFile.isFile()))
            return Result::NotPossible;
        qint64 pid = 0;
        QString computer, program;
        if (m_lock->getLockInfo(&pid, &computer, &program)) {
            if (!computer.isEmpty() && computer != QSysInfo::machineHostName()) {
                m_holderComputer = computer;
                return Result::HeldByAnotherComputer;
            }
            return Result::HeldElsewhere;
        }
        // Empty, unreadable or garbage: it names no holder at all.
        if (!lockFile.exists())
            continue; // its holder has just let it go
        const qint64 age = qAbs(lockFile.lastModified().msecsTo(QDateTime::currentDateTime()));
        if (age < NamelessLockAgeMs) {
            QThread::msleep(100);
            continue;
        }
        if (!m_lock->removeStaleLockFile())
            return Result::NotPossible;
    }
    return Result::HeldElsewhere;
}

QString CardFileLock::folder() const
{
    return QDir::toNativeSeparators(m_cardFolder);
}

} // namespace kinfolio
