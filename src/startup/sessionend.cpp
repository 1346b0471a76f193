#include "sessionend.h"

#include "cardeditor.h"
#include "frmwebsites.h"
#include "messagebox.h"
#include "platform.h"

#include <QGuiApplication>
#include <QSessionManager>

namespace kinfolio {

namespace {

// Saves everything; the reasons for what could not be saved, or nothing.
QString saveEverything(CardEditor &editor)
{
    QString problems;
    if (frmWebSites *sites = frmWebSites::instance(); sites && !sites->saveForEnd())
        problems += QStringLiteral("The web sites could not be saved to\n%1\n").arg(sites->listFile().path());
    if (!editor.saveForEnd())
        problems += editor.store().errorString();
    return problems;
}

} // namespace

void saveWhenTheSessionEnds(QGuiApplication &app, CardEditor &editor)
{
    onEndRequest(&app, [&editor] {
        saveEverything(editor);
        // exit(), not quit(): quit() first asks every window to close, and
        // the card window refuses every close but its own.
        QCoreApplication::exit(0);
    });
#if QT_CONFIG(sessionmanager)
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, [&editor](QSessionManager &manager) {
        const QString problems = saveEverything(editor);
        if (problems.isEmpty() || !manager.allowsInteraction())
            return;
        MessageBox::show(nullptr, CardMessage::refusal(
                                      problems
                                      + QStringLiteral("\n\nThe end of the session was cancelled, so that nothing is "
                                                       "lost. Remove the cause, or leave Kinfolio through Exit, where "
                                                       "it offers other ways to keep the cards.")));
        manager.release();
        manager.cancel();
    });
#endif
}

} // namespace kinfolio
