#pragma once

#include <QFile>
#include <QString>

namespace kinfolio {

// One program at a time on a card file: the card program while its window
// is open, a tool while it writes the file. The lock is a file beside the
// card file (Kinfolio.dat.lock), beside the file itself when the card file's
// path is a link, that names the process, its program and the computer
// holding it; the holder also keeps the system's own lock on it while it
// runs. A lock that names no live holder on this computer is taken over: one
// left by a process that died, by an earlier start of the computer, or one
// that a power cut left empty or damaged.
//
// "This computer" is decided one way everywhere: the lock names the same host
// name and, where it names one, the same machine id as this computer.
class CardFileLock
{
public:
    explicit CardFileLock(const QString &cardFilePath);
    ~CardFileLock();
    CardFileLock(const CardFileLock &) = delete;
    CardFileLock &operator=(const CardFileLock &) = delete;

    enum class Outcome {
        Locked,                // this process holds the lock
        HeldElsewhere,         // another live program on this computer holds it
        HeldByAnotherComputer, // the lock names another computer (a folder shared or synced)
        ReadOnlyFolder,        // the folder takes no new file: it can only be read
        NotPossible,           // something is in the way, or the system refused: see reason()
    };

    // Takes the lock if it can, without waiting for a holder.
    Outcome tryLock();
    // Lets the lock go; the destructor does too.
    void unlock();
    bool isLocked() const { return m_file.isOpen(); }

    // The folder of the card file and the lock file, as the messages name them.
    QString folder() const;
    QString lockFilePath() const { return m_lockPath; }
    // The computer named by a lock held on another one.
    QString holderComputer() const { return m_holderComputer; }
    // Why the lock could not be taken (NotPossible, ReadOnlyFolder), in words
    // for a message: "a folder is in the way", "No space left on device".
    QString reason() const { return m_reason; }

private:
    // What a lock file says of its holder, and what this process would write.
    struct Holder
    {
        qint64 pid = 0;
        QString program;
        QString computer;
        QByteArray machineId;
        QByteArray bootId;
        static Holder ofThisProcess();
        static bool parse(const QByteArray &bytes, Holder &out);
        QByteArray bytes() const;
    };

    enum class Step { Taken, TryAgain, Stop };
    Step create(Outcome &result);
    Step judgeExisting(Outcome &result);
    Outcome notPossible(const QString &reason);

    QString m_cardFolder;
    QString m_lockPath;
    QString m_holderComputer;
    QString m_reason;
    QFile m_file; // open while the lock is held
};

} // namespace kinfolio
