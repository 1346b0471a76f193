#include "frmwebsites.h"

#include "browser.h"
#include "frmstandardsites.h"
#include "messagebox.h"
#include "platform.h"
#include "storabletext.h"
#include "windowhelpers.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

namespace kinfolio {

namespace {

QPointer<frmWebSites> &loadedWindow()
{
    static QPointer<frmWebSites> window;
    return window;
}

QString &lastProgramDirectory()
{
    static QString directory;
    return directory;
}

} // namespace

frmWebSites *frmWebSites::showFrom(QWidget *cardWindow, const QString &programDirectory)
{
    lastProgramDirectory() = programDirectory;
    frmWebSites *window = loaded();
    window->m_cardWindow = cardWindow;
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

frmWebSites *frmWebSites::instance()
{
    return loadedWindow().data();
}

frmWebSites *frmWebSites::loaded()
{
    QPointer<frmWebSites> &window = loadedWindow();
    if (!window) {
        QString directory = lastProgramDirectory();
        if (directory.isEmpty())
            directory = QCoreApplication::applicationDirPath();
        window = new frmWebSites(directory);
    }
    return window.data();
}

frmWebSites::frmWebSites(const QString &programDirectory)
    : m_file(SiteListFile::in(programDirectory))
{
    QWidget *client = prepareSiteWindow(this, QStringLiteral("frmWebSites"), QStringLiteral("Kinfolio - WebSites"));

    QAction *exitAction = menuBar()->addAction(QStringLiteral("&Exit"), this, &frmWebSites::exitList);
    exitAction->setObjectName(QStringLiteral("mnuExit"));
    QAction *saveAction = menuBar()->addAction(QStringLiteral("&Save"), this, &frmWebSites::saveList);
    saveAction->setObjectName(QStringLiteral("mnuSave"));
    QAction *moreAction = menuBar()->addAction(QStringLiteral("&More"), this, &frmWebSites::showStandardSites);
    moreAction->setObjectName(QStringLiteral("mnuMore"));

    m_grid = buildSiteGrid(client, QStringLiteral("txtSiteUrl"), [this](int k) { goToSite(k); });
    QWidget *previous = nullptr;
    for (int k = 1; k <= SiteGrid::Slots; ++k) {
        keepSiteAddress(m_grid.box(k));
        if (previous)
            setTabOrder(previous, m_grid.box(k));
        setTabOrder(m_grid.box(k), m_grid.button(k));
        previous = m_grid.button(k);
    }
    setSiteClientSize(this, 9885, 7575);

    // Load step.
    RemoveCloseCommand(this);
    CenterOnScreen(this);
    const QStringList texts = m_file.load();
    for (int k = 1; k <= SiteGrid::Slots; ++k)
        m_grid.box(k)->setText(texts.at(k - 1));
    m_grid.box(1)->setFocus();
}

frmWebSites::~frmWebSites()
{
    if (loadedWindow() == this)
        loadedWindow() = nullptr;
}

QStringList frmWebSites::slotTexts() const
{
    QStringList texts;
    for (QLineEdit *box : m_grid.boxes)
        texts.append(box->text());
    return texts;
}

bool frmWebSites::writeList()
{
    QString error;
    if (m_file.save(slotTexts(), &error))
        return true;
    MessageBox::show(this, error, QStringLiteral("Error!"), MessageBox::Exclamation);
    return false;
}

void frmWebSites::goToSite(int index)
{
    if (index < 1 || index > SiteGrid::Slots)
        return;
    QLineEdit *box = m_grid.box(index);
    // A free slot has no address yet, and one that begins with '-' would
    // reach the system's opener as one of its options.
    if (box->text() == SiteListFile::freeSlot() || !isOpenableAddress(box->text())) {
        MessageBox::show(this, QStringLiteral("Please enter a valid URL"), QStringLiteral("Error!"),
                         MessageBox::Exclamation);
        box->setFocus();
        box->end(false);
        return;
    }
    OpenInBrowser(box->text());
}

void frmWebSites::saveList()
{
    if (!writeList())
        return;
    MessageBox::show(this, QStringLiteral("Entry has been added."), QStringLiteral("Kinfolio"));
}

void frmWebSites::exitList()
{
    QString error;
    if (!m_file.save(slotTexts(), &error) && !leaveAfterFailedSave(error))
        return;
    if (m_cardWindow)
        m_cardWindow->show();
    loadedWindow() = nullptr;
    Unload(this);
}

bool frmWebSites::leaveAfterFailedSave(const QString &error)
{
    // OK keeps the window and every edit, so the user can remove the cause
    // and choose Exit again; the other two ways out lose nothing unasked.
    const CardMessage failed{error
                                 + QStringLiteral("\r\n\r\nPress OK to stay and try again later, Save As to keep "
                                                  "the addresses in another file, or Leave Without Saving."),
                             QStringLiteral("Error!"), CardMessage::Icon::Exclamation,
                             CardMessage::Ok | CardMessage::SaveElsewhere | CardMessage::LeaveWithoutSaving,
                             CardMessage::Ok};
    switch (MessageBox::show(this, failed)) {
    case CardMessage::SaveElsewhere: {
        const QString path = MessageBox::askSavePath(this, QStringLiteral("Save the web sites as"), m_file.path());
        QString copyError;
        if (path.isEmpty())
            return false;
        if (!m_file.saveCopyTo(path, slotTexts(), &copyError)) {
            MessageBox::show(this, copyError, QStringLiteral("Error!"), MessageBox::Exclamation);
            return false;
        }
        return true;
    }
    case CardMessage::LeaveWithoutSaving: {
        const CardMessage question{QStringLiteral("Leave the web sites without saving?\r\n\r\nThe changes made "
                                                  "to the 30 addresses since the list was opened will be lost."),
                                   QStringLiteral("Warning!"), CardMessage::Icon::Exclamation,
                                   CardMessage::Yes | CardMessage::No, CardMessage::No};
        return MessageBox::show(this, question) == CardMessage::Yes;
    }
    default:
        return false;
    }
}

void frmWebSites::showStandardSites()
{
    frmStandardSites::showStandard();
    hide();
}

} // namespace kinfolio
