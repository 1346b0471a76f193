#include "cardfilelock.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace kinfolio {

CardFileLock::CardFileLock(const QString &cardFilePath)
    : m_cardFilePath(cardFilePath)
    , m_lock(std::make_unique<QLockFile>(cardFilePath + QStringLiteral(".lock")))
{
    // Only a dead holder makes a lock stale: a card window may stay open for days.
    m_lock->setStaleLockTime(0);
}

CardFileLock::~CardFileLock() = default;

CardFileLock::Result CardFileLock::tryLock()
{
    if (m_lock->isLocked() || m_lock->tryLock(0))
        return Result::Locked;
    return m_lock->error() == QLockFile::LockFailedError ? Result::HeldElsewhere : Result::NotPossible;
}

QString CardFileLock::folder() const
{
    return QDir::toNativeSeparators(QFileInfo(m_cardFilePath).absolutePath());
}

} // namespace kinfolio
