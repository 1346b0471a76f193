#include "standardsiteswindow.h"

#include "browser.h"
#include "sitelistwindow.h"
#include "twips.h"
#include "windowhelpers.h"

#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>

namespace kinfolio {

namespace {

struct StandardSite
{
    const char *title;
    // The box's tooltip where it differs from the button's.
    const char *boxTitle;
    const char *address;
};

const StandardSite standardSites[SiteGrid::Slots] = {
    {"GenForum", nullptr, "http://genforum.genealogy.com/"},
    {"Faily Tree Maker", "Family Tree Maker", "http://www.familytreemaker.com/"},
    {"SurnameWeb", nullptr, "http://www.surnameweb.org/"},
    {"Ancestry", nullptr, "http://www.ancestry.com/"},
    {"Cyndi's List", nullptr, "http://www.cyndislist.com/"},
    {"USGenWeb", "UsGenWeb", "http://www.usgenweb.org/"},
    {"Find A Grave", nullptr, "http://www.findagrave.com/"},
    {"Family Search", nullptr, "http://www.familysearch.org/"},
    {"Kindred Konnections", nullptr, "http://www.kindredkonnections.com/"},
    {"Family Chronicle", nullptr, "http://www.familychronicle.com/"},
    {"Everton", nullptr, "http://www.everton.com/"},
    {"Making Of America", nullptr, "http://quod.lib.umich.edu/m/moagrp/"},
    {"U.S. Vital Records", nullptr, "http://www.vitalrec.com/"},
    {"GenGateway", nullptr, "http://www.gengateway.com/"},
    {"Genealogy Toolbox", nullptr, "http://www.genealogytoolbox.com/"},
    {"American Life Histories", nullptr, "http://memory.loc.gov/ammem/wpaintro/wpahome.html"},
    {"U.S. Bureau Of Land Management", nullptr, "http://www.blm.gov/"},
    {"National Genealogical Society", nullptr, "http://www.ngsgenealogy.org/"},
    {"RootsWeb", nullptr, "http://www.rootsweb.com/"},
    {"WorldGenWeb", nullptr, "http://www.worldgenweb.org/"},
    {"The Searcher", nullptr, "http://www.scgsgenealogy.com/"},
    {"MapQuest", nullptr, "http://www.mapquest.com/"},
    {"Rand Genealogy Club", nullptr, "http://www.rand.org/personal/Genea/"},
    {"Gendex", nullptr, "http://www.gendex.com/"},
    {"Higginson Books", nullptr, "http://www.higginsonbooks.com/"},
    {"National Archives and Records Administration", nullptr, "http://www.archives.gov/"},
    {"Library Of Congress", nullptr, "http://www.loc.gov/"},
    {"Genealogy Today", nullptr, "http://www.genealogytoday.com/"},
    {"Listing Of Historical Societies", nullptr, "http://www.daddezio.com/society/"},
    {"U.S. WWW Resources", nullptr, "http://www.usa.gov/"},
};

QPointer<StandardSitesWindow> &loadedWindow()
{
    static QPointer<StandardSitesWindow> window;
    return window;
}

} // namespace

StandardSitesWindow *StandardSitesWindow::showStandard()
{
    QPointer<StandardSitesWindow> &window = loadedWindow();
    if (!window)
        window = new StandardSitesWindow;
    window->show();
    window->raise();
    window->activateWindow();
    return window.data();
}

StandardSitesWindow *StandardSitesWindow::instance()
{
    return loadedWindow().data();
}

StandardSitesWindow::StandardSitesWindow()
{
    QWidget *client =
        prepareSiteWindow(this, QStringLiteral("frmStandardSites"), QStringLiteral("Kinfolio - Standard Sites"));

    QAction *exitAction = menuBar()->addAction(QStringLiteral("&Exit"), this, &StandardSitesWindow::exitList);
    exitAction->setObjectName(QStringLiteral("mnuExit"));

    m_grid = buildSiteGrid(client, QStringLiteral("txtStandardUrl"), [this](int k) { goToSite(k); });
    addLine(client, "Line3", 4800, 7200, 5040, 7200);
    for (int k = 1; k <= SiteGrid::Slots; ++k) {
        const StandardSite &site = standardSites[k - 1];
        QLineEdit *box = m_grid.box(k);
        box->setText(QString::fromLatin1(site.address));
        box->setReadOnly(true);
        box->setCursorPosition(0);
        box->setToolTip(QString::fromLatin1(site.boxTitle ? site.boxTitle : site.title));
        box->setAccessibleName(box->toolTip());
        m_grid.button(k)->setToolTip(QString::fromLatin1(site.title));
    }

    // The first Go button leads, then its box; every later row runs box, button.
    setTabOrder(m_grid.button(1), m_grid.box(1));
    QWidget *previous = m_grid.box(1);
    for (int k = 2; k <= SiteGrid::Slots; ++k) {
        setTabOrder(previous, m_grid.box(k));
        setTabOrder(m_grid.box(k), m_grid.button(k));
        previous = m_grid.button(k);
    }
    setSiteClientSize(this, 9930, 7590);

    // Load step.
    removeCloseCommand(this);
    centerOnScreen(this);
    m_grid.button(1)->setFocus();
}

StandardSitesWindow::~StandardSitesWindow()
{
    if (loadedWindow() == this)
        loadedWindow() = nullptr;
}

void StandardSitesWindow::goToSite(int index)
{
    if (index < 1 || index > SiteGrid::Slots)
        return;
    OpenInBrowser(m_grid.box(index)->text());
}

void StandardSitesWindow::exitList()
{
    // The user's list is still loaded and hidden, with its edits.
    SiteListWindow::loaded()->show();
    loadedWindow() = nullptr;
    unload(this);
}

} // namespace kinfolio
