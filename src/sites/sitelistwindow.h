#pragma once

#include "sitegrid.h"
#include "commands/sitelisteditor.h"

#include <QMainWindow>
#include <QPointer>

class QLineEdit;

namespace kinfolio {

// The user's own list of 30 web addresses, one box and Go button per slot,
// kept in WebSites.dat in the program's directory. There is at most one.
class SiteListWindow : public QMainWindow
{
    Q_OBJECT
public:
    // Shows the user's site list in place of `cardWindow`, loading it from
    // WebSites.dat in `programDirectory` first when it is not loaded yet.
    // Exit shows `cardWindow` again.
    static SiteListWindow *showFrom(QWidget *cardWindow, const QString &programDirectory);

    // The loaded window, or nullptr.
    static SiteListWindow *instance();
    // The loaded window; when there is none, one is created and loaded from
    // the program directory last shown from, but not shown.
    static SiteListWindow *loaded();

    ~SiteListWindow() override;

    // Slot k, 1 to 30.
    QLineEdit *txtSiteUrl(int k) const { return m_grid.box(k); }
    const SiteListFile &listFile() const { return m_editor.listFile(); }

    // The end of the session: writes the list as Exit does, without asking.
    Result<> saveForEnd();
    // See SiteListEditor::keepCopyForEnd.
    Result<QString> keepCopyForEnd();

private:
    explicit SiteListWindow(const QString &programDirectory);

    void goToSite(int index);
    void exitList();
    void saveList();
    void showStandardSites();

    QStringList slotTexts() const;

    SiteListEditor m_editor;
    SiteGrid m_grid;
    QPointer<QWidget> m_cardWindow;
};

} // namespace kinfolio
