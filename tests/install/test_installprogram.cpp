#include "testmain.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

// Runs the built Install program on a display of its own, installs into a
// temporary directory by keyboard, and starts the installed program.
class TestInstallProgram : public QObject
{
    Q_OBJECT

private:
    QProcess m_display;
    QProcessEnvironment m_onDisplay;

    // Runs xdotool on the test's display; false when it fails or hangs.
    bool xdotool(const QStringList &arguments)
    {
        QProcess process;
        process.setProcessEnvironment(m_onDisplay);
        process.start(QStringLiteral("xdotool"), arguments);
        if (!process.waitForFinished(15000)) {
            process.kill();
            process.waitForFinished();
            return false;
        }
        const bool ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        if (!ok)
            qWarning("xdotool %s: %s", qPrintable(arguments.join(u' ')), process.readAllStandardError().constData());
        return ok;
    }

    // Waits for a window and gives it the keyboard. A search can trip over a
    // window that is being destroyed meanwhile; it is simply repeated.
    bool focusWindow(const QString &title)
    {
        for (int attempt = 0; attempt < 5; ++attempt) {
            if (xdotool({"search", "--sync", "--onlyvisible", "--name", "^" + title + "$", "windowfocus", "--sync",
                         "%1", "sleep", "0.3"}))
                return true;
            QTest::qWait(200);
        }
        return false;
    }

    static void stop(QProcess &process)
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("needs Xvfb and xdotool");
        // Xvfb picks a free display itself and reports its number.
        m_display.setStandardErrorFile(QProcess::nullDevice());
        m_display.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                                 QStringLiteral("-screen"), QStringLiteral("0"),
                                                 QStringLiteral("800x600x24"), QStringLiteral("-nolisten"),
                                                 QStringLiteral("tcp")});
        QVERIFY(m_display.waitForStarted());
        QVERIFY(QTest::qWaitFor([this] { return m_display.canReadLine(); }, 15000));
        const QByteArray number = m_display.readLine().trimmed();
        QVERIFY(!number.isEmpty());
        m_onDisplay = QProcessEnvironment::systemEnvironment();
        m_onDisplay.insert(QStringLiteral("DISPLAY"), QStringLiteral(":") + QString::fromLatin1(number));
        m_onDisplay.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    }

    void cleanupTestCase() { stop(m_display); }

    void installsAProgramThatStarts()
    {
        const QString dist = qEnvironmentVariable("KINFOLIO_DIST_DIR");
        QVERIFY(QFileInfo::exists(dist + "/Install"));
        QTemporaryDir temp;
        const QString target = temp.filePath(QStringLiteral("Kinfolio"));

        QProcess installer;
        installer.setProcessEnvironment(m_onDisplay);
        installer.setWorkingDirectory(temp.path()); // not the set's: a desktop launcher starts it elsewhere
        installer.start(dist + "/Install", {});
        QVERIFY(installer.waitForStarted());

        // The directory box has the focus: replace its text, then Tab to
        // Install and press it. Keys go through the display's keyboard, not
        // to a window id: a window that closes on a key press would make the
        // key release fail.
        const bool typed = focusWindow(QStringLiteral("Kinfolio Installation"))
                           && xdotool({"key", "ctrl+a", "BackSpace"})
                           && xdotool({"type", "--delay", "10", target}) && xdotool({"key", "Tab", "space"});
        // Closing the About window left behind ends the installer.
        const bool closed = typed && focusWindow(QStringLiteral("Kinfolio")) && xdotool({"key", "Escape"});
        const bool ended = closed && installer.waitForFinished(10000);
        stop(installer);
        QVERIFY(typed);
        QVERIFY(closed);
        QVERIFY(ended);
        QCOMPARE(installer.exitCode(), 0);

        QCOMPARE(QDir(target).entryList(QDir::Files, QDir::Name),
                 QStringList({"Kinfolio.dat", "Kinfolio.exe", "Readme.txt", "WebSites.dat", "kinfolio-gedcom",
                              "kinfolio-sheets"}));
        QVERIFY(QFileInfo(target + "/Kinfolio.exe").isExecutable());

        // The installed program runs past its splash without falling over.
        QProcess program;
        program.setWorkingDirectory(target);
        program.start(target + "/Kinfolio.exe", {});
        QVERIFY(program.waitForStarted());
        QTest::qWait(4000);
        const bool running = program.state() == QProcess::Running;
        stop(program);
        QVERIFY2(running, program.readAllStandardError().constData());
    }
};

KINFOLIO_TEST_MAIN(TestInstallProgram)
#include "test_installprogram.moc"
