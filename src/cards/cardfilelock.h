#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace kinfolio {

// One program at a time on a card file: the card program while its window
// is open, a tool while it writes the file. The lock is a file beside the
// card file (Kinfolio.dat.lock) that names the process holding it; a lock
// left behind by a process that has died is taken over.
class CardFileLock
{
public:
    explicit CardFileLock(const QString &cardFilePath);
    ~CardFileLock();

    enum class Result {
        Locked,        // this process holds the lock
        HeldElsewhere, // another live process holds it
        NotPossible,   // the folder does not take a lock file (read-only, say)
    };

    // Takes the lock if it can, without waiting.
    Result tryLock();

    // The folder of the card file, as the messages name it.
    QString folder() const;

private:
    QString m_cardFilePath;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace kinfolio
