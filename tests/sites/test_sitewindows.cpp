#include "browser.h"
#include "standardsiteswindow.h"
#include "sitelistwindow.h"
#include "cardfiles.h"
#include "testmain.h"
#include "windowhelpers.h"
#include "windowrig.h"

#include <QDir>
#include <QFile>
#include <QClipboard>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>

using namespace kinfolio;
using namespace kinfolio::testing;

namespace {

QLineEdit *siteBox(QWidget *window, int k)
{
    return child<QLineEdit>(window, QStringLiteral("txtSiteUrl(%1)").arg(k));
}

QLineEdit *standardBox(QWidget *window, int k)
{
    return child<QLineEdit>(window, QStringLiteral("txtStandardUrl(%1)").arg(k));
}

QPushButton *goButton(QWidget *window, int k)
{
    return child<QPushButton>(window, QStringLiteral("cmdGoToSite(%1)").arg(k));
}

void clickGo(QWidget *window, int k)
{
    QTest::mouseClick(goButton(window, k), Qt::LeftButton);
}

// The slots' boxes and Go buttons in reading order.
QList<QWidget *> slotControls(QWidget *window, QLineEdit *(*box)(QWidget *, int))
{
    QList<QWidget *> controls;
    for (int k = 1; k <= 30; ++k)
        controls << box(window, k) << goButton(window, k);
    return byPosition(controls);
}

// The rules both site windows' layouts keep: every control whole and apart,
// the slots numbered row by row in two columns of fifteen, each Go button
// just right of its box, and the divider between the columns crossed by
// `crossing`, a short line at one of its ends; the window opens on the grid
// with no bare strip around it.
void verifySiteGrid(QMainWindow *window, QLineEdit *(*box)(QWidget *, int), const char *crossing)
{
    QWidget *client = window->centralWidget();
    const QStringList problems = layoutProblems(client);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    QVERIFY(hugsItsControls(client));
    QList<QWidget *> boxes;
    for (int k = 1; k <= 30; ++k) {
        boxes << box(window, k);
        const QRect b = box(window, k)->geometry(), go = goButton(window, k)->geometry();
        QCOMPARE(go.top(), b.top());
        QVERIFY(go.left() > b.right() && go.left() - b.right() < b.height());
        QCOMPARE(b.left() < client->width() / 2, k % 2 == 1);
    }
    QCOMPARE(byPosition(boxes), boxes);
    QCOMPARE(boxes[28]->y(), boxes[29]->y());
    const QWidget *divider = child<QWidget>(client, QStringLiteral("Line1"));
    QVERIFY(divider->x() > goButton(window, 1)->geometry().right() && divider->x() < boxes[1]->x());
    QVERIFY(divider->y() <= boxes[0]->y() && divider->geometry().bottom() >= boxes[29]->geometry().bottom());
    QVERIFY(child<QWidget>(client, QString::fromLatin1(crossing))->geometry().intersects(divider->geometry()));
}

// A site's name as a box and its Go button give it: alike but for letter case
// or a letter left out.
bool sameSite(const QString &a, const QString &b)
{
    const QString x = a.toLower(), y = b.toLower();
    const QString &longer = x.size() > y.size() ? x : y, &shorter = x.size() > y.size() ? y : x;
    for (qsizetype i = 0; i < longer.size() && longer.size() == shorter.size() + 1; ++i) {
        if (QString(longer).remove(i, 1) == shorter)
            return true;
    }
    return x == y;
}

} // namespace

class TestSiteWindows : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QWidget> m_card;
    QList<BrowserLaunch> m_launches;

    QString listPath() const { return m_dir->filePath(QStringLiteral("WebSites.dat")); }

    // What the card window does on its Websites command.
    SiteListWindow *openFromCard()
    {
        SiteListWindow *sites = SiteListWindow::showFrom(m_card.get(), m_dir->path());
        m_card->hide();
        return sites;
    }

    static void waitUntilGone(QPointer<QWidget> window)
    {
        QTRY_VERIFY(window.isNull());
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_card = std::make_unique<QWidget>();
        m_card->setObjectName(QStringLiteral("frmKinfolio"));
        m_card->show();
        m_launches.clear();
        setBrowserLauncher([this](const BrowserLaunch &launch) { m_launches.append(launch); });
        MessageBox::startRecording();
    }

    void cleanup()
    {
        for (QWidget *window : {static_cast<QWidget *>(StandardSitesWindow::instance()),
                                static_cast<QWidget *>(SiteListWindow::instance())}) {
            if (window) {
                QPointer<QWidget> gone(window);
                unload(window);
                waitUntilGone(gone);
            }
        }
        QVERIFY(!SiteListWindow::instance());
        QVERIFY(!StandardSitesWindow::instance());
        MessageBox::stopRecording();
        setBrowserLauncher({});
        m_card.reset();
        m_dir.reset();
    }

    void userListLayout()
    {
        SiteListWindow *sites = openFromCard();
        QVERIFY(QTest::qWaitForWindowExposed(sites));
        QCOMPARE(sites->objectName(), QStringLiteral("frmWebSites"));
        QCOMPARE(sites->windowTitle(), QStringLiteral("Kinfolio - WebSites"));
        QVERIFY(!(sites->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(sites->windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(sites->minimumSize() != sites->maximumSize());
        QCOMPARE(sites->centralWidget()->palette().color(QPalette::Window), QColor(192, 255, 255));

        QStringList menu;
        for (QAction *action : sites->menuBar()->actions())
            menu << action->objectName() + QLatin1Char('=') + action->text();
        QCOMPARE(menu, QStringList({"mnuExit=&Exit", "mnuSave=&Save", "mnuMore=&More"}));

        verifySiteGrid(sites, siteBox, "Line2");
        QCOMPARE(goButton(sites, 30)->text(), QStringLiteral("Go"));
        QVERIFY(goButton(sites, 5)->toolTip().isEmpty());
        QCOMPARE(sites->focusWidget(), siteBox(sites, 1));
        QVERIFY(QTest::qWaitForWindowActive(sites));
        QCOMPARE(names(tabbedThrough(siteBox(sites, 1))), names(slotControls(sites, siteBox)));

        // Only Exit leaves the window.
        sites->close();
        QVERIFY(sites->isVisible());
    }

    void standardListLayoutAndTitles()
    {
        openFromCard();
        choose(SiteListWindow::instance(), "mnuMore");
        StandardSitesWindow *standard = StandardSitesWindow::instance();
        QVERIFY(standard);
        QVERIFY(QTest::qWaitForWindowExposed(standard));
        QCOMPARE(standard->objectName(), QStringLiteral("frmStandardSites"));
        QCOMPARE(standard->windowTitle(), QStringLiteral("Kinfolio - Standard Sites"));
        QVERIFY(!(standard->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(standard->windowFlags() & Qt::WindowCloseButtonHint));
        QCOMPARE(standard->menuBar()->actions().size(), 1);
        QCOMPARE(standard->menuBar()->actions().at(0)->objectName(), QStringLiteral("mnuExit"));
        QCOMPARE(standard->menuBar()->actions().at(0)->text(), QStringLiteral("&Exit"));

        verifySiteGrid(standard, standardBox, "Line3");
        // The first Go button leads the tab order, then its box; every later
        // row runs box, button.
        QList<QWidget *> order = slotControls(standard, standardBox);
        order.swapItemsAt(0, 1);
        QCOMPARE(standard->focusWidget(), goButton(standard, 1));
        QVERIFY(QTest::qWaitForWindowActive(standard));
        QCOMPARE(names(tabbedThrough(goButton(standard, 1))), names(order));

        // Each slot holds a site of its own: its address, and its name as the
        // tooltip of its box and of its Go button.
        QSet<QString> addresses, titles;
        for (int k = 1; k <= 30; ++k) {
            QLineEdit *box = standardBox(standard, k);
            QVERIFY(box->isReadOnly());
            QVERIFY2(box->text().startsWith(QLatin1String("http://")) && box->text().size() > 12,
                     qPrintable(box->text()));
            addresses.insert(box->text());
            titles.insert(goButton(standard, k)->toolTip());
            QVERIFY2(!box->toolTip().isEmpty() && sameSite(box->toolTip(), goButton(standard, k)->toolTip()),
                     qPrintable(box->toolTip()));
        }
        QCOMPARE(addresses.size(), 30);
        QCOMPARE(titles.size(), 30);

        // Locked: typing changes nothing, so Go hands over the built-in address.
        const QString address = standardBox(standard, 3)->text();
        QTest::keyClicks(standardBox(standard, 3), QStringLiteral("x"));
        QCOMPARE(standardBox(standard, 3)->text(), address);
        clickGo(standard, 3);
        QCOMPARE(m_launches.size(), 1);
        QCOMPARE(m_launches.at(0).arguments, QStringList{address});

        standard->close();
        QVERIFY(standard->isVisible());
    }

    void loadFillsBoxesAndLeavesTheRestFree()
    {
        writeBytes(listPath(), "\"http://one.example/\"\r\n\"\"\r\n\"caf\xE9\"\r\n");
        SiteListWindow *sites = openFromCard();
        QVERIFY(sites->isVisible());
        QVERIFY(!m_card->isVisible());
        QCOMPARE(siteBox(sites, 1)->text(), QStringLiteral("http://one.example/"));
        QCOMPARE(siteBox(sites, 2)->text(), QString());
        QCOMPARE(siteBox(sites, 3)->text(), QStringLiteral("caf\u00E9"));
        for (int k = 4; k <= 30; ++k)
            QCOMPARE(siteBox(sites, k)->text(), QStringLiteral("http://"));
        QCOMPARE(sites->listFile().entryCount(), 3);
    }

    void goRefusesOnlyTheExactFreeText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("refused");
        QTest::newRow("free") << "http://" << true;
        QTest::newRow("capitals") << "HTTP://" << false;
        QTest::newRow("trailing blank") << "http:// " << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("no scheme") << " www.example.org" << false;
    }
    void goRefusesOnlyTheExactFreeText()
    {
        QFETCH(QString, text);
        QFETCH(bool, refused);
        SiteListWindow *sites = openFromCard();
        QVERIFY(QTest::qWaitForWindowActive(sites));
        QLineEdit *box = siteBox(sites, 7);
        box->setText(text);
        box->setCursorPosition(0);
        siteBox(sites, 1)->setFocus();

        clickGo(sites, 7);
        if (refused) {
            QCOMPARE(MessageBox::shown().size(), 1);
            const MessageBox::Shown &message = MessageBox::shown().at(0);
            QCOMPARE(message.text, QStringLiteral("Please enter a valid URL"));
            QCOMPARE(message.title, QStringLiteral("Error!"));
            QCOMPARE(message.icon, MessageBox::Exclamation);
            QCOMPARE(message.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
            QVERIFY(m_launches.isEmpty());
            QCOMPARE(sites->focusWidget(), box);
            QCOMPARE(box->cursorPosition(), 7);
            QVERIFY(!box->hasSelectedText());
        } else {
            QVERIFY(MessageBox::shown().isEmpty());
            QCOMPARE(m_launches.size(), 1);
            QCOMPARE(m_launches.at(0).arguments, QStringList{text});
        }
        QCOMPARE(box->text(), text);
    }

    void addressReachesTheSystemUninterpreted()
    {
        const QString address =
            QStringLiteral("x http://a.example/?q=1&r=2;rm -rf ~ | $(id) `id` %22q%22 'q' > out * %PATH%");
        SiteListWindow *sites = openFromCard();
        // An address that begins with '-' would reach the opener as an option.
        siteBox(sites, 30)->setText(QStringLiteral("--help"));
        clickGo(sites, 30);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().at(0).text, QStringLiteral("Please enter a valid URL"));
        QVERIFY(m_launches.isEmpty());

        siteBox(sites, 30)->clear();
        QTest::keyClicks(siteBox(sites, 30), QString(address).replace("%22", "\""));
        QCOMPARE(siteBox(sites, 30)->text(), address);
        clickGo(sites, 30);
        QCOMPARE(m_launches.size(), 1);
        const BrowserLaunch &launch = m_launches.at(0);
        QCOMPARE(launch.program, QStringLiteral("xdg-open"));
        QCOMPARE(launch.arguments, QStringList{address});
        QCOMPARE(launch.workingDirectory, QStringLiteral("/"));
    }

    void saveWritesTypedSlotsAndReports()
    {
        writeBytes(listPath(), "\"http://one.example/\"\r\n\"http://two.example/\"\r\n");
        SiteListWindow *sites = openFromCard();
        QTest::keyClicks(siteBox(sites, 4), QStringLiteral("typed.example/"));
        QCOMPARE(siteBox(sites, 4)->text(), QStringLiteral("http://typed.example/"));

        choose(sites, "mnuSave");
        QCOMPARE(MessageBox::shown().size(), 1);
        const MessageBox::Shown &message = MessageBox::shown().at(0);
        QCOMPARE(message.text, QStringLiteral("Entry has been added."));
        QCOMPARE(message.title, QStringLiteral("Kinfolio"));
        QCOMPARE(message.icon, QMessageBox::NoIcon);
        QCOMPARE(message.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(readBytes(listPath()), QByteArray("\"http://one.example/\"\r\n\"http://two.example/\"\r\n"
                                                   "\"http://\"\r\n\"http://typed.example/\"\r\n"));
        QVERIFY(sites->isVisible());

        // An address past the 32767 characters a box keeps by default.
        const QByteArray longAddress = "http://long.example/?" + QByteArray(40000, 'q');
        siteBox(sites, 1)->setText(QString::fromLatin1(longAddress));
        choose(sites, "mnuSave");
        QVERIFY(readBytes(listPath()).startsWith('"' + longAddress + "\"\r\n"));
    }

    // What the box shows is what the file holds: a character the file cannot
    // hold turns into '?' as it is typed, not silently at the save.
    void typedAddressesShowWhatTheFileWillHold()
    {
        writeBytes(listPath(), "\"http://\"\r\n");
        SiteListWindow *sites = openFromCard();
        QLineEdit *box = siteBox(sites, 1);
        box->end(false);
        QGuiApplication::clipboard()->setText(QStringLiteral("caf\u00e9.example/\u0141\u00f3d\u017a?q=\"a\""));
        box->paste();
        QCOMPARE(siteBox(sites, 1)->text(), QStringLiteral("http://caf\u00e9.example/?\u00f3d??q=%22a%22"));
        choose(sites, "mnuSave");
        QCOMPARE(readBytes(listPath()), QByteArray("\"http://caf\xe9.example/?\xf3" "d??q=%22a%22\"\r\n"));
    }

    void missingFileOpensEmptyAndSaveCreatesIt()
    {
        SiteListWindow *sites = openFromCard();
        for (int k = 1; k <= 30; ++k)
            QCOMPARE(siteBox(sites, k)->text(), QStringLiteral("http://"));
        choose(sites, "mnuSave");
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().at(0).text, QStringLiteral("Entry has been added."));
        QCOMPARE(readBytes(listPath()), QByteArray());
    }

    void failedWriteKeepsTheWindowAndItsEdits()
    {
        writeBytes(listPath(), "\"http://one.example/\"\r\n");
        SiteListWindow *sites = openFromCard();
        siteBox(sites, 1)->setText(QStringLiteral("http://edited.example/"));
        QVERIFY(QFile::remove(listPath()));
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("WebSites.dat")));

        choose(sites, "mnuSave");
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().at(0).title, QStringLiteral("Error!"));
        QCOMPARE(MessageBox::shown().at(0).icon, MessageBox::Exclamation);
        QCOMPARE(MessageBox::shown().at(0).buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(MessageBox::shown().at(0).text.contains(listPath()));

        MessageBox::clearShown();
        choose(sites, "mnuExit");
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().at(0).title, QStringLiteral("Error!"));
        QCOMPARE(SiteListWindow::instance(), sites);
        QVERIFY(sites->isVisible());
        QVERIFY(!m_card->isVisible());
        QCOMPARE(siteBox(sites, 1)->text(), QStringLiteral("http://edited.example/"));
        QCOMPARE(MessageBox::shown().at(0).buttons, QMessageBox::Ok | QMessageBox::Save | QMessageBox::Discard);

        // Leaving without saving asks first; No stays with every edit.
        MessageBox::scriptAnswers({QMessageBox::Discard, QMessageBox::No});
        choose(sites, "mnuExit");
        QCOMPARE(MessageBox::shown().last().title, QStringLiteral("Warning!"));
        QCOMPARE(SiteListWindow::instance(), sites);
        QVERIFY(sites->isVisible());

        // With the cause gone, Exit goes through.
        QVERIFY(QDir(m_dir->path()).rmdir(QStringLiteral("WebSites.dat")));
        MessageBox::clearShown();
        QPointer<QWidget> gone(sites);
        choose(sites, "mnuExit");
        QVERIFY(MessageBox::shown().isEmpty());
        waitUntilGone(gone);
        QVERIFY(m_card->isVisible());
        QCOMPARE(readBytes(listPath()), QByteArray("\"http://edited.example/\"\r\n"));
    }

    void moreAndBackKeepUnsavedEdits()
    {
        writeBytes(listPath(), "\"http://one.example/\"\r\n");
        SiteListWindow *sites = openFromCard();
        siteBox(sites, 1)->setText(QStringLiteral("http://unsaved.example/"));

        choose(sites, "mnuMore");
        StandardSitesWindow *standard = StandardSitesWindow::instance();
        QVERIFY(standard);
        QVERIFY(standard->isVisible());
        QVERIFY(!sites->isVisible());
        QCOMPARE(SiteListWindow::instance(), sites);
        QVERIFY(!m_card->isVisible());
        QCOMPARE(readBytes(listPath()), QByteArray("\"http://one.example/\"\r\n"));

        clickGo(standard, 12);
        QCOMPARE(m_launches.size(), 1);
        QCOMPARE(m_launches.at(0).arguments, QStringList{standardBox(standard, 12)->text()});
        QVERIFY(!sites->isVisible());

        QPointer<QWidget> standardGone(standard);
        choose(standard, "mnuExit");
        waitUntilGone(standardGone);
        QVERIFY(!StandardSitesWindow::instance());
        QVERIFY(sites->isVisible());
        QVERIFY(!m_card->isVisible());
        QCOMPARE(siteBox(sites, 1)->text(), QStringLiteral("http://unsaved.example/"));

        // A second round opens a fresh standard list.
        choose(sites, "mnuMore");
        QVERIFY(StandardSitesWindow::instance());
        QVERIFY(StandardSitesWindow::instance() != standardGone);
        choose(StandardSitesWindow::instance(), "mnuExit");
        QTRY_VERIFY(!StandardSitesWindow::instance());

        // Exit writes without asking and hands back to the card window.
        QPointer<QWidget> sitesGone(sites);
        choose(sites, "mnuExit");
        QVERIFY(MessageBox::shown().isEmpty());
        waitUntilGone(sitesGone);
        QVERIFY(m_card->isVisible());
        QCOMPARE(readBytes(listPath()), QByteArray("\"http://unsaved.example/\"\r\n"));

        // The next opening reads the file afresh.
        writeBytes(listPath(), "\"http://changed.example/\"\r\n");
        sites = openFromCard();
        QCOMPARE(siteBox(sites, 1)->text(), QStringLiteral("http://changed.example/"));
    }
};

KINFOLIO_TEST_MAIN(TestSiteWindows)
#include "test_sitewindows.moc"
