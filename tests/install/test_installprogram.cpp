#include "programs.h"
#include "testmain.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>

using namespace kinfolio::testing;

// Runs the built Install program on a display of its own, installs into a
// temporary directory by keyboard, and starts the installed program.
class TestInstallProgram : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<StartedProgram> m_display;
    RunSettings m_onDisplay;

    // Runs xdotool on the test's display; false when it fails or hangs.
    bool xdotool(const QStringList &arguments)
    {
        RunSettings settings = m_onDisplay;
        settings.timeoutMs = 15000;
        const ProgramRun r = runProgram(QStringLiteral("xdotool"), arguments, settings);
        if (r.exitCode != 0)
            qWarning("xdotool %s: %s", qPrintable(arguments.join(u' ')), qPrintable(r.err));
        return r.exitCode == 0;
    }

    // Waits for a window and gives it the keyboard. A search can trip over a
    // window that is being destroyed meanwhile; it is simply repeated.
    bool focusWindow(const QString &title)
    {
        for (int attempt = 0; attempt < 5; ++attempt) {
            if (xdotool({"search", "--sync", "--onlyvisible", "--name", "^" + title + "$", "windowfocus", "--sync",
                         "%1"}))
                return true;
        }
        return false;
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("needs Xvfb and xdotool");
        // Xvfb picks a free display itself and reports its number.
        m_display = std::make_unique<StartedProgram>(
            QStringLiteral("Xvfb"), QStringList{"-displayfd", "1", "-screen", "0", "800x600x24", "-nolisten", "tcp"});
        QProcess &display = m_display->process();
        QVERIFY(QTest::qWaitFor([&display] { return display.canReadLine(); }, 15000));
        const QByteArray number = display.readLine().trimmed();
        QVERIFY(!number.isEmpty());
        m_onDisplay.environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":") + QString::fromLatin1(number));
        m_onDisplay.environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    }

    void cleanupTestCase() { m_display.reset(); }

    void installsAProgramThatStarts()
    {
        const QString dist = qEnvironmentVariable("KINFOLIO_DIST_DIR");
        QVERIFY(QFileInfo::exists(dist + "/Install"));
        QTemporaryDir temp;
        const QString target = temp.filePath(QStringLiteral("Kinfolio"));

        RunSettings elsewhere = m_onDisplay;
        elsewhere.workingDirectory = temp.path(); // not the set's: a desktop launcher starts it elsewhere
        StartedProgram installer(dist + "/Install", {}, elsewhere);

        // The directory box has the focus: replace its text, then Tab to
        // Install and press it. Keys go through the display's keyboard, not
        // to a window id: a window that closes on a key press would make the
        // key release fail.
        const bool typed = focusWindow(QStringLiteral("Kinfolio Installation"))
                           && xdotool({"key", "ctrl+a", "BackSpace"})
                           && xdotool({"type", "--delay", "10", target}) && xdotool({"key", "Tab", "space"});
        // Closing the About window left behind ends the installer.
        const bool closed = typed && focusWindow(QStringLiteral("Kinfolio")) && xdotool({"key", "Escape"});
        QVERIFY(typed);
        QVERIFY(closed);
        QCOMPARE(installer.endsWithin(10000), 0);

        QCOMPARE(QDir(target).entryList(QDir::Files, QDir::Name),
                 QStringList({"Kinfolio.dat", "Kinfolio.exe", "Readme.txt", "WebSites.dat", "kinfolio-gedcom",
                              "kinfolio-sheets", "kinfolio-site"}));
        QVERIFY(QFileInfo(target + "/Kinfolio.exe").isExecutable());

        // The installed program runs past its splash to the card window, and
        // still answers then: it ends as a logout ends it.
        RunSettings installed = m_onDisplay;
        installed.workingDirectory = target;
        StartedProgram program(target + "/Kinfolio.exe", {}, installed);
        const QString pid = QString::number(program.process().processId());
        QVERIFY2(xdotool({"search", "--sync", "--onlyvisible", "--all", "--pid", pid, "--name", "^Kinfolio$"}),
                 program.process().readAllStandardError().constData());
        QCOMPARE(program.endsWhenAsked(20000), 0);
    }
};

KINFOLIO_TEST_MAIN(TestInstallProgram)
#include "test_installprogram.moc"
