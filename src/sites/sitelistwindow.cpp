#include "sitelistwindow.h"

#include "browser.h"
#include "standardsiteswindow.h"
#include "messagebox.h"
#include "storabletext.h"
#include "waysoutdialog.h"
#include "windowhelpers.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

namespace kinfolio {

namespace {

QPointer<SiteListWindow> &loadedWindow()
{
    static QPointer<SiteListWindow> window;
    return window;
}

QString &lastProgramDirectory()
{
    static QString directory;
    return directory;
}

} // namespace

SiteListWindow *SiteListWindow::showFrom(QWidget *cardWindow, const QString &programDirectory)
{
    lastProgramDirectory() = programDirectory;
    SiteListWindow *window = loaded();
    window->m_cardWindow = cardWindow;
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

SiteListWindow *SiteListWindow::instance()
{
    return loadedWindow().data();
}

SiteListWindow *SiteListWindow::loaded()
{
    QPointer<SiteListWindow> &window = loadedWindow();
    if (!window) {
        QString directory = lastProgramDirectory();
        if (directory.isEmpty())
            directory = QCoreApplication::applicationDirPath();
        window = new SiteListWindow(directory);
    }
    return window.data();
}

SiteListWindow::SiteListWindow(const QString &programDirectory)
    : m_editor(programDirectory)
{
    QWidget *client = prepareSiteWindow(this, QStringLiteral("frmWebSites"), QStringLiteral("Kinfolio - WebSites"));

    QAction *exitAction = menuBar()->addAction(QStringLiteral("&Exit"), this, &SiteListWindow::exitList);
    exitAction->setObjectName(QStringLiteral("mnuExit"));
    QAction *saveAction = menuBar()->addAction(QStringLiteral("&Save"), this, &SiteListWindow::saveList);
    saveAction->setObjectName(QStringLiteral("mnuSave"));
    QAction *moreAction = menuBar()->addAction(QStringLiteral("&More"), this, &SiteListWindow::showStandardSites);
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
    removeCloseCommand(this);
    centerOnScreen(this);
    const QStringList texts = m_editor.load();
    for (int k = 1; k <= SiteGrid::Slots; ++k)
        m_grid.box(k)->setText(texts.at(k - 1));
    m_grid.box(1)->setFocus();
}

SiteListWindow::~SiteListWindow()
{
    if (loadedWindow() == this)
        loadedWindow() = nullptr;
}

QStringList SiteListWindow::slotTexts() const
{
    QStringList texts;
    for (QLineEdit *box : m_grid.boxes)
        texts.append(box->text());
    return texts;
}

void SiteListWindow::goToSite(int index)
{
    if (index < 1 || index > SiteGrid::Slots)
        return;
    QLineEdit *box = m_grid.box(index);
    if (const std::optional<CardMessage> refused = SiteListEditor::goRefusal(box->text())) {
        MessageBox::show(this, *refused);
        box->setFocus();
        box->end(false);
        return;
    }
    OpenInBrowser(box->text());
}

void SiteListWindow::saveList()
{
    MessageBox::show(this, m_editor.save(slotTexts()));
}

void SiteListWindow::exitList()
{
    if (const std::optional<CardMessage> failed = m_editor.exit(slotTexts())) {
        if (offerWaysOut(this, m_editor, *failed) == WayOut::Stay)
            return;
    }
    if (m_cardWindow)
        m_cardWindow->show();
    loadedWindow() = nullptr;
    unload(this);
}

Result<> SiteListWindow::saveForEnd()
{
    return m_editor.saveForEnd(slotTexts());
}

Result<QString> SiteListWindow::keepCopyForEnd()
{
    return m_editor.keepCopyForEnd(slotTexts());
}

void SiteListWindow::showStandardSites()
{
    StandardSitesWindow::showStandard();
    hide();
}

} // namespace kinfolio
