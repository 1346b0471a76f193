#include "sessionend.h"

#include "commands/cardeditor.h"
#include "sitelistwindow.h"
#include "messagebox.h"
#include "platform/platform.h"
#include "toolsupport/terminaltext.h"

#include <QApplication>
#include <QDir>
#include <QSessionManager>
#include <QWidget>

namespace kinfolio {

namespace {

// What could not be saved.
struct Unsaved
{
    bool sites = false;
    bool cards = false;
    QString reasons;
    bool any() const { return sites || cards; }
};

// Saves everything it can.
Unsaved saveEverything(CardEditor &editor)
{
    Unsaved unsaved;
    if (SiteListWindow *sites = SiteListWindow::instance()) {
        if (const Result<> saved = sites->saveForEnd(); !saved) {
            unsaved.sites = true;
            unsaved.reasons += saved.error() + QLatin1Char('\n');
        }
    }
    if (const Result<> saved = editor.saveForEnd(); !saved) {
        unsaved.cards = true;
        unsaved.reasons += saved.error();
    }
    return unsaved;
}

QWidget *windowNamed(const char *name)
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String(name) && window->isVisible())
            return window;
    }
    return nullptr;
}

// A shutdown waits for no one: what could not be saved is kept where it
// can be, the terminal is told, and the program ends with a failure.
void endUnsaved(const Unsaved &unsaved, CardEditor &editor)
{
    QString told = unsaved.reasons;
    if (unsaved.cards)
        told += QStringLiteral("\nThe changes to the cards are kept in the journal\n%1\nand come back when Kinfolio "
                               "starts again.")
                    .arg(QDir::toNativeSeparators(editor.journalPath()));
    if (unsaved.sites) {
        const Result<QString> copy = SiteListWindow::instance()->keepCopyForEnd();
        told += copy ? QStringLiteral("\nThe web sites are kept in\n%1").arg(QDir::toNativeSeparators(*copy))
                     : QStringLiteral("\nThe web sites could not be kept anywhere either: %1").arg(copy.error());
    }
    printLine(stderr, QStringLiteral("Kinfolio: ") + told.trimmed());
    QCoreApplication::exit(1);
}

} // namespace

void saveWhenTheSessionEnds(QGuiApplication &app, CardEditor &editor)
{
    onEndRequest(&app, [&editor](EndRequest request) {
        const Unsaved unsaved = saveEverything(editor);
        if (!unsaved.any()) {
            // exit(), not quit(): quit() first asks every window to close, and
            // the card window refuses every close but its own.
            QCoreApplication::exit(0);
            return;
        }
        QWidget *sitesWindow = unsaved.sites ? windowNamed("frmWebSites") : nullptr;
        QWidget *cardWindow = unsaved.cards ? windowNamed("frmKinfolio") : nullptr;
        if (request == EndRequest::Shutdown || (unsaved.sites && !sitesWindow) || (unsaved.cards && !cardWindow)) {
            endUnsaved(unsaved, editor);
            return;
        }
        // Someone may be there: as Exit would, each window that could not
        // save stays, with the message that offers the ways out.
        if (sitesWindow)
            QMetaObject::invokeMethod(sitesWindow, "exitList");
        else if (cardWindow)
            QMetaObject::invokeMethod(cardWindow, "exitProgram");
    });
#if QT_CONFIG(sessionmanager)
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, [&editor](QSessionManager &manager) {
        const Unsaved unsaved = saveEverything(editor);
        if (!unsaved.any() || !manager.allowsInteraction())
            return;
        MessageBox::show(nullptr, CardMessage::refusal(
                                      unsaved.reasons
                                      + QStringLiteral("\n\nThe end of the session was cancelled, so that nothing is "
                                                       "lost. Remove the cause, or leave Kinfolio through Exit, where "
                                                       "it offers other ways to keep the cards.")));
        manager.release();
        manager.cancel();
    });
#endif
}

} // namespace kinfolio
