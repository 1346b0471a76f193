#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace kinfolio {

// One program at a time on a card file: the card program while its window
// is open, a tool while it writes the file. The lock is a file beside the
// card file (Kinfolio.dat.lock), beside the file itself when the card file's
// path is a link, that names the process and the computer holding it. A lock
// that names no live holder on this computer is taken over: one left by a
// process that died, and one that a power cut left empty or damaged.
class CardFileLock
{
public:
    explicit CardFileLock(const QString &cardFilePath);
    ~CardFileLock();

    enum class Result {
        Locked,             // this process holds the lock
        HeldElsewhere,      // another live process on this computer holds it
        HeldByAnotherComputer, // the lock names another computer (a folder shared or synced)
        NotPossible,        // the folder does not take a lock file (read-only, say)
    };

    // Takes the lock if it can, without waiting for a holder.
    Result tryLock();

    // The folder of the card file, as the messages name it.
    QString folder() const;
    QString lockFilePath() const { return m_lockPath; }
    // The computer named by a lock held on another one.
    QString holderComputer() const { return m_holderComputer; }

private:
    QString m_cardFolder;
    QString m_lockPath;
    QString m_holderComputer;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace kinfolio
