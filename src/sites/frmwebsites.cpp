#include "frmwebsites.h"

#include "browser.h"
#include "frmstandardsites.h"
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
    : m_editor(programDirectory)
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
    const QStringList texts = m_editor.load();
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

void frmWebSites::goToSite(int index)
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

void frmWebSites::saveList()
{
    MessageBox::show(this, m_editor.save(slotTexts()));
}

void frmWebSites::exitList()
{
    if (const std::optional<CardMessage> failed = m_editor.exit(slotTexts())) {
        if (offerWaysOut(this, m_editor, *failed) == WayOut::Stay)
            return;
    }
    if (m_cardWindow)
        m_cardWindow->show();
    loadedWindow() = nullptr;
    Unload(this);
}

bool frmWebSites::saveForEnd()
{
    return m_editor.saveForEnd(slotTexts());
}

QString frmWebSites::keepCopyForEnd()
{
    return m_editor.keepCopyForEnd(slotTexts());
}

void frmWebSites::showStandardSites()
{
    frmStandardSites::showStandard();
    hide();
}

} // namespace kinfolio
