// Exit onto a full file system: the card window reports the error and stays
// with every card, the old card file stays as it was, and Exit succeeds once
// space is freed. The file system is a small tmpfs, which only root can mount.
#include "cardwindowrig.h"
#include "crashfixtures.h"
#include "programs.h"
#include "files/safefile.h"
#include "sessionend.h"
#include "testmain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <QGuiApplication>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>

#include <sys/mount.h>
#include <unistd.h>

using namespace kinfolio;
using namespace kinfolio::testing;

class TestFullDisk : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void exitOntoFullDiskKeepsWindowCardsAndFile();
    void siteListOntoFullDiskKeepsOldList();
    void exportOntoFullDiskFailsAndKeepsTheEarlierExport();

private:
    bool fillDisk(const QString &path);
    void unmount();

    std::unique_ptr<QTemporaryDir> m_mountPoint;
    bool m_mounted = false;
};

void TestFullDisk::init()
{
    if (::geteuid() != 0)
        QSKIP("saving onto a full file system needs a small tmpfs, and only root can mount one");
    m_mountPoint = std::make_unique<QTemporaryDir>();
    QVERIFY(m_mountPoint->isValid());
    const QByteArray where = QFile::encodeName(m_mountPoint->path());
    if (::mount("kinfolio-fulldisk", where.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=256k,mode=0700") != 0) {
        const QByteArray reason = QByteArray("cannot mount a tmpfs here: ") + std::strerror(errno);
        QSKIP(reason.constData());
    }
    m_mounted = true;
    MessageBox::startRecording();
}

void TestFullDisk::cleanup()
{
    MessageBox::stopRecording();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    unmount();
    m_mountPoint.reset();
}

void TestFullDisk::unmount()
{
    if (!m_mounted)
        return;
    const QByteArray where = QFile::encodeName(m_mountPoint->path());
    // A file still open on it must not leave the mount behind: detach it then.
    if (::umount(where.constData()) != 0 && ::umount2(where.constData(), MNT_DETACH) != 0)
        qWarning("could not unmount %s: %s", where.constData(), std::strerror(errno));
    m_mounted = false;
}

// Writes `path` until the file system has no block left.
bool TestFullDisk::fillDisk(const QString &path)
{
    QFile filler(path);
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray page(4096, 'x');
    while (filler.write(page) == page.size()) {
    }
    while (filler.write("x", 1) == 1) {
    }
    filler.close();
    // Nothing more fits anywhere.
    QFile probe(QFileInfo(path).dir().filePath(QStringLiteral("probe")));
    const bool full = !probe.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || probe.write(page) != page.size();
    probe.remove();
    return full;
}

void TestFullDisk::exitOntoFullDiskKeepsWindowCardsAndFile()
{
    const QDir dir(m_mountPoint->path());
    const QString path = dir.filePath(QStringLiteral("Kinfolio.dat"));
    const QByteArray oldFile = crashCardFile(0, 3);
    writeBytes(path, oldFile);
    CardWindowRig rig(path);
    QCOMPARE(rig.store->cardCount(), 3);

    // A fourth card, added through the window.
    rig.click("cmdNew");
    rig.box("txtName")->setText(QStringLiteral("Hannah Cole"));
    rig.click("cmdAdd");
    QCOMPARE(rig.store->cardCount(), 4);
    MessageBox::clearShown();

    const QString filler = dir.filePath(QStringLiteral("filler"));
    QVERIFY2(fillDisk(filler), "the tmpfs did not fill up");

    // The journal cannot take a change (longer than the room left in its
    // last block): the change works in memory, and the user is told once.
    const QString longName = QStringLiteral("Hannah Coles ") + QString(6000, u'x');
    rig.box("txtName")->setText(longName);
    rig.click("cmdUpdate");
    rig.click("cmdUpdate");
    QCOMPARE(MessageBox::shown().size(), 3);
    QCOMPARE(MessageBox::shown().at(1).title, QStringLiteral("Warning!"));
    QVERIFY(MessageBox::shown().at(1).text.contains(QStringLiteral("No space left on device")));
    const QByteArray journal = readBytes(path + QStringLiteral(".journal"));
    QVERIFY(journal.contains("Hannah Cole") && !journal.contains("Hannah Coles"));
    QCOMPARE(rig.store->fields(3)[CardField::Name], longName);
    MessageBox::clearShown();

    rig.click("cmdExit");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(MessageBox::shown().size(), 1);
    const MessageBox::Shown error = MessageBox::shown().first();
    QCOMPARE(error.title, QStringLiteral("Error!"));
    QCOMPARE(error.icon, MessageBox::Exclamation);
    QVERIFY2(error.text.contains(path) && error.text.contains(QStringLiteral("No space left on device")),
             qPrintable(error.text));
    QVERIFY2(rig.window && rig.window->isVisible(), "the card window went away although nothing was saved");
    QCOMPARE(rig.store->cardCount(), 4);
    QCOMPARE(rig.store->fields(3)[CardField::Name], longName);
    QCOMPARE(rig.box("txtName")->text(), longName);
    QCOMPARE(readBytes(path), oldFile);

    // Ctrl+C or a hangup does what Exit does: the window stays, with the
    // same message, and nothing is lost.
    saveWhenTheSessionEnds(*qGuiApp, *rig.editor);
    MessageBox::clearShown();
    QCOMPARE(::raise(SIGINT), 0);
    QTRY_COMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::shown().first().text, error.text);
    QVERIFY(rig.window && rig.window->isVisible());
    QCOMPARE(rig.store->fields(3)[CardField::Name], longName);

    // The failed save left nothing behind.
    QStringList files = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    files.sort();
    QCOMPARE(files, QStringList({"Kinfolio.dat", "Kinfolio.dat.journal", "Kinfolio.dat.lock", "filler"}));

    // Space freed: the same Exit saves every card and unloads the window.
    QVERIFY(QFile::remove(filler));
    MessageBox::clearShown();
    rig.click("cmdExit");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(MessageBox::shown().isEmpty());
    QVERIFY2(!rig.window, "the card window stayed after a successful save");
    QCOMPARE(readBytes(path), oldFile + cardBytes(makeCard({{CardField::Name, longName}})));
    QVERIFY(!QFile::exists(path + QStringLiteral(".journal")));
}

void TestFullDisk::siteListOntoFullDiskKeepsOldList()
{
    // The site list is small: the size whose write, if buffered, fails only
    // in the flush, after the file has been put in place.
    const QDir dir(m_mountPoint->path());
    const QString path = dir.filePath(QStringLiteral("WebSites.dat"));
    const QByteArray oldList = crashSiteListFile(0);
    writeBytes(path, oldList);
    const QByteArray newList = crashSiteListFile(1);
    const QString filler = dir.filePath(QStringLiteral("filler"));
    QVERIFY2(fillDisk(filler), "the tmpfs did not fill up");

    const Result<> refused = writeFileSafely(path, newList);
    QVERIFY(!refused);
    QCOMPARE(refused.error(), QStringLiteral("No space left on device"));
    QCOMPARE(readBytes(path), oldList);

    QVERIFY(QFile::remove(filler));
    const Result<> written = writeFileSafely(path, newList);
    QVERIFY2(written, qPrintable(written.error()));
    QCOMPARE(readBytes(path), newList);
}

void TestFullDisk::exportOntoFullDiskFailsAndKeepsTheEarlierExport()
{
    QTemporaryDir cards;
    const QString cardFile = cards.filePath(QStringLiteral("Kinfolio.dat"));
    writeBytes(cardFile, crashCardFile(0, 20));
    const QDir dir(m_mountPoint->path());
    const QString out = dir.filePath(QStringLiteral("family.ged"));
    writeBytes(out, "0 HEAD\r\nearlier export");
    QVERIFY2(fillDisk(dir.filePath(QStringLiteral("filler"))), "the tmpfs did not fill up");

    const ProgramRun r = runProgram(QStringLiteral(KINFOLIO_GEDCOM_PROGRAM), {cardFile, out});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.out, QString());
    QVERIFY(r.err.contains("No space left on device"));
    QCOMPARE(readBytes(out), QByteArray("0 HEAD\r\nearlier export"));
}

KINFOLIO_TEST_MAIN(TestFullDisk)
#include "test_fulldisk.moc"
