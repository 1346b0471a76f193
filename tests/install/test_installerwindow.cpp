#include "about.h"
#include "installerwindow.h"
#include "platform/platform.h"
#include "messagebox.h"
#include "recordingfilesystem.h"
#include "testmain.h"
#include "windowrig.h"

#include <QLineEdit>
#include <QPointer>

using namespace kinfolio;
using namespace kinfolio::testing;

class TestInstallerWindow : public QObject
{
    Q_OBJECT

    // Presses Install on a fresh window; true when the window unloaded.
    static bool install(const std::shared_ptr<RecordingFileSystem> &fileSystem)
    {
        fileSystem->existing.insert(QStringLiteral("test.ttt")); // the set is in the working directory
        QPointer<InstallerWindow> form = new InstallerWindow(fileSystem);
        form->show();
        click(form, "cmdContinue");
        // An unload has deleted the window once what the click posted is handled.
        const bool settled = handleEventsPostedSoFar();
        return settled && form.isNull();
    }

private slots:
    void init() { MessageBox::startRecording(); }

    void cleanup()
    {
        MessageBox::stopRecording();
        delete About::instance();
    }

    void opensWithTheProposedDirectoryInFocus()
    {
        InstallerWindow form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        // It opens holding its controls whole with no bare strip, and may be resized.
        QVERIFY(hugsItsControls(&form));
        const QStringList problems = layoutProblems(&form);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
        QVERIFY(form.minimumSize() != form.maximumSize());

        auto *path = child<QLineEdit>(&form, "txtPathDirectory");
#ifndef Q_OS_WIN
        QCOMPARE(path->text(), QStringLiteral("/opt/Kinfolio/"));
#endif
        QCOMPARE(path->text(), proposedInstallDirectory());
        QCOMPARE(QApplication::focusWidget(), path);
        QCOMPARE(path->nextInFocusChain()->objectName(), QStringLiteral("cmdContinue"));
    }

    void installingEndsWithAboutAndUnloadsTheWindow()
    {
        auto fileSystem = std::make_shared<RecordingFileSystem>();
        QVERIFY(install(fileSystem));
        QCOMPARE(fileSystem->calls.first(), "mkdir " + proposedInstallDirectory());
        QCOMPARE(fileSystem->calls.size(), 6);
        QVERIFY(MessageBox::shown().isEmpty());
        QVERIFY(About::instance() && About::instance()->isVisible());
    }

    void theSetsOwnFolderIsRefusedAndTheWindowStays()
    {
        auto fileSystem = std::make_shared<RecordingFileSystem>();
        fileSystem->sameFiles.append({"test.ttt", proposedInstallDirectory() + "test.ttt"});
        QVERIFY(!install(fileSystem));
        QVERIFY(fileSystem->calls.isEmpty());
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().first().title, QStringLiteral("Error!"));
        QVERIFY(!About::instance());
        for (QWidget *window : QApplication::topLevelWidgets())
            delete qobject_cast<InstallerWindow *>(window);
    }

    void failedStepsAreListedInOneMessageBeforeAbout()
    {
        auto fileSystem = std::make_shared<RecordingFileSystem>();
        fileSystem->failWith = QStringLiteral("Permission denied");
        QVERIFY(install(fileSystem));

        QCOMPARE(MessageBox::shown().size(), 1);
        const MessageBox::Shown &message = MessageBox::shown().first();
        QCOMPARE(message.title, QStringLiteral("Error!"));
        QCOMPARE(message.icon, MessageBox::Exclamation);
        QCOMPARE(message.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        const QStringList lines = message.text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 8); // a heading, a blank line and the six steps
        const QString dir = proposedInstallDirectory();
        QCOMPARE(lines.at(2), "Create the directory \"" + dir + "\": Permission denied");
        QCOMPARE(lines.at(4), "Copy test.ttt to \"" + dir + "test.ttt\": Permission denied");
        QCOMPARE(lines.at(7), "Rename \"" + dir + "test.ttt\" to \"" + dir + "Kinfolio.exe\": Permission denied");
        QVERIFY(About::instance() && About::instance()->isVisible());
    }
};

KINFOLIO_TEST_MAIN(TestInstallerWindow)
#include "test_installerwindow.moc"
