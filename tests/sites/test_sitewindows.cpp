#include "browser.h"
#include "frmstandardsites.h"
#include "frmwebsites.h"
#include "messagebox.h"
#include "filebytes.h"
#include "testmain.h"
#include "windowhelpers.h"

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

template<typename T>
T *child(QWidget *window, const QString &name)
{
    T *found = window->findChild<T *>(name);
    if (!found)
        qWarning("no control %s", qPrintable(name));
    return found;
}

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

// Chooses a menu bar command the way the user does, with the mouse.
void choose(QMainWindow *window, const char *name)
{
    QAction *action = window->findChild<QAction *>(QString::fromLatin1(name));
    QVERIFY2(action, name);
    QMenuBar *bar = window->menuBar();
    const QRect place = bar->actionGeometry(action);
    QVERIFY(place.isValid());
    QTest::mouseClick(bar, Qt::LeftButton, {}, place.center());
}

void clickGo(QWidget *window, int k)
{
    QTest::mouseClick(goButton(window, k), Qt::LeftButton);
}

// The controls that Tab visits, from `first` on, by objectName.
QStringList tabOrder(QWidget *first, int count)
{
    QStringList names;
    QWidget *w = first;
    while (names.size() < count) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled())
            names.append(w->objectName());
        w = w->nextInFocusChain();
        if (w == first)
            break;
    }
    return names;
}

QRect pixels(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
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
    frmWebSites *openFromCard()
    {
        frmWebSites *sites = frmWebSites::showFrom(m_card.get(), m_dir->path());
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
        for (QWidget *window : {static_cast<QWidget *>(frmStandardSites::instance()),
                                static_cast<QWidget *>(frmWebSites::instance())}) {
            if (window) {
                QPointer<QWidget> gone(window);
                Unload(window);
                waitUntilGone(gone);
            }
        }
        QVERIFY(!frmWebSites::instance());
        QVERIFY(!frmStandardSites::instance());
        MessageBox::stopRecording();
        setBrowserLauncher({});
        m_card.reset();
        m_dir.reset();
    }

    void userListLayout()
    {
        frmWebSites *sites = openFromCard();
        QVERIFY(QTest::qWaitForWindowExposed(sites));
        QCOMPARE(sites->objectName(), QStringLiteral("frmWebSites"));
        QCOMPARE(sites->windowTitle(), QStringLiteral("Kinfolio - WebSites"));
        QVERIFY(!(sites->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(sites->windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(sites->minimumSize() != sites->maximumSize());
        QCOMPARE(sites->centralWidget()->size(), QSize(659, 505));
        QCOMPARE(sites->centralWidget()->palette().color(QPalette::Window), QColor(192, 255, 255));

        QStringList menu;
        for (QAction *action : sites->menuBar()->actions())
            menu << action->objectName() + QLatin1Char('=') + action->text();
        QCOMPARE(menu, QStringList({"mnuExit=&Exit", "mnuSave=&Save", "mnuMore=&More"}));

        QCOMPARE(siteBox(sites, 1)->geometry(), pixels(120, 120, 4095, 375));
        QCOMPARE(goButton(sites, 1)->geometry(), pixels(4320, 120, 375, 375));
        QCOMPARE(siteBox(sites, 2)->geometry(), pixels(5160, 120, 4095, 375));
        QCOMPARE(goButton(sites, 2)->geometry(), pixels(9360, 120, 375, 375));
        QCOMPARE(siteBox(sites, 17)->geometry(), pixels(120, 120 + 480 * 8, 4095, 375));
        QCOMPARE(siteBox(sites, 30)->geometry(), pixels(5160, 120 + 480 * 14, 4095, 375));
        QCOMPARE(goButton(sites, 30)->geometry(), pixels(9360, 120 + 480 * 14, 375, 375));
        QCOMPARE(goButton(sites, 30)->text(), QStringLiteral("Go"));
        QCOMPARE(child<QWidget>(sites, "Line1")->geometry(), QRect(328, 8, 1, 473));
        QCOMPARE(child<QWidget>(sites, "Line2")->geometry(), QRect(320, 8, 17, 1));
        QVERIFY(goButton(sites, 5)->toolTip().isEmpty());

        QStringList expected;
        for (int k = 1; k <= 30; ++k)
            expected << QStringLiteral("txtSiteUrl(%1)").arg(k) << QStringLiteral("cmdGoToSite(%1)").arg(k);
        QCOMPARE(sites->focusWidget(), siteBox(sites, 1));
        QCOMPARE(tabOrder(siteBox(sites, 1), 60), expected);

        // Only Exit leaves the window.
        sites->close();
        QVERIFY(sites->isVisible());
    }

    void standardListLayoutAndTitles()
    {
        openFromCard();
        choose(frmWebSites::instance(), "mnuMore");
        frmStandardSites *standard = frmStandardSites::instance();
        QVERIFY(standard);
        QVERIFY(QTest::qWaitForWindowExposed(standard));
        QCOMPARE(standard->objectName(), QStringLiteral("frmStandardSites"));
        QCOMPARE(standard->windowTitle(), QStringLiteral("Kinfolio - Standard Sites"));
        QVERIFY(!(standard->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(standard->windowFlags() & Qt::WindowCloseButtonHint));
        QCOMPARE(standard->centralWidget()->size(), QSize(662, 506));
        QCOMPARE(standard->menuBar()->actions().size(), 1);
        QCOMPARE(standard->menuBar()->actions().at(0)->objectName(), QStringLiteral("mnuExit"));
        QCOMPARE(standard->menuBar()->actions().at(0)->text(), QStringLiteral("&Exit"));

        QCOMPARE(standardBox(standard, 1)->geometry(), pixels(120, 120, 4095, 375));
        QCOMPARE(goButton(standard, 4)->geometry(), pixels(9360, 120 + 480, 375, 375));
        QCOMPARE(standardBox(standard, 29)->geometry(), pixels(120, 120 + 480 * 14, 4095, 375));
        QCOMPARE(child<QWidget>(standard, "Line3")->geometry(), QRect(320, 480, 17, 1));

        QStringList expected{"cmdGoToSite(1)", "txtStandardUrl(1)"};
        for (int k = 2; k <= 30; ++k)
            expected << QStringLiteral("txtStandardUrl(%1)").arg(k) << QStringLiteral("cmdGoToSite(%1)").arg(k);
        QCOMPARE(standard->focusWidget(), goButton(standard, 1));
        QCOMPARE(tabOrder(goButton(standard, 1), 60), expected);

        QSet<QString> addresses;
        for (int k = 1; k <= 30; ++k) {
            QLineEdit *box = standardBox(standard, k);
            QVERIFY(box->isReadOnly());
            QVERIFY2(box->text().startsWith(QLatin1String("http://")) && box->text().size() > 12,
                     qPrintable(box->text()));
            addresses.insert(box->text());
            QVERIFY(!goButton(standard, k)->toolTip().isEmpty());
            if (k != 2 && k != 6)
                QCOMPARE(box->toolTip(), goButton(standard, k)->toolTip());
        }
        QCOMPARE(addresses.size(), 30);
        QCOMPARE(goButton(standard, 1)->toolTip(), QStringLiteral("GenForum"));
        QCOMPARE(goButton(standard, 2)->toolTip(), QStringLiteral("Faily Tree Maker"));
        QCOMPARE(standardBox(standard, 2)->toolTip(), QStringLiteral("Family Tree Maker"));
        QCOMPARE(goButton(standard, 6)->toolTip(), QStringLiteral("USGenWeb"));
        QCOMPARE(standardBox(standard, 6)->toolTip(), QStringLiteral("UsGenWeb"));
        QCOMPARE(goButton(standard, 30)->toolTip(), QStringLiteral("U.S. WWW Resources"));

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
        frmWebSites *sites = openFromCard();
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
        frmWebSites *sites = openFromCard();
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
        frmWebSites *sites = openFromCard();
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
        frmWebSites *sites = openFromCard();
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
        frmWebSites *sites = openFromCard();
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
        frmWebSites *sites = openFromCard();
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
        frmWebSites *sites = openFromCard();
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
        QCOMPARE(frmWebSites::instance(), sites);
        QVERIFY(sites->isVisible());
        QVERIFY(!m_card->isVisible());
        QCOMPARE(siteBox(sites, 1)->text(), QStringLiteral("http://edited.example/"));
        QCOMPARE(MessageBox::shown().at(0).buttons, QMessageBox::Ok | QMessageBox::Save | QMessageBox::Discard);

        // Leaving without saving asks first; No stays with every edit.
        MessageBox::scriptAnswers({QMessageBox::Discard, QMessageBox::No});
        choose(sites, "mnuExit");
        QCOMPARE(MessageBox::shown().last().title, QStringLiteral("Warning!"));
        QCOMPARE(frmWebSites::instance(), sites);
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
        frmWebSites *sites = openFromCard();
        siteBox(sites, 1)->setText(QStringLiteral("http://unsaved.example/"));

        choose(sites, "mnuMore");
        frmStandardSites *standard = frmStandardSites::instance();
        QVERIFY(standard);
        QVERIFY(standard->isVisible());
        QVERIFY(!sites->isVisible());
        QCOMPARE(frmWebSites::instance(), sites);
        QVERIFY(!m_card->isVisible());
        QCOMPARE(readBytes(listPath()), QByteArray("\"http://one.example/\"\r\n"));

        clickGo(standard, 12);
        QCOMPARE(m_launches.size(), 1);
        QCOMPARE(m_launches.at(0).arguments, QStringList{standardBox(standard, 12)->text()});
        QVERIFY(!sites->isVisible());

        QPointer<QWidget> standardGone(standard);
        choose(standard, "mnuExit");
        waitUntilGone(standardGone);
        QVERIFY(!frmStandardSites::instance());
        QVERIFY(sites->isVisible());
        QVERIFY(!m_card->isVisible());
        QCOMPARE(siteBox(sites, 1)->text(), QStringLiteral("http://unsaved.example/"));

        // A second round opens a fresh standard list.
        choose(sites, "mnuMore");
        QVERIFY(frmStandardSites::instance());
        QVERIFY(frmStandardSites::instance() != standardGone);
        choose(frmStandardSites::instance(), "mnuExit");
        QTRY_VERIFY(!frmStandardSites::instance());

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
