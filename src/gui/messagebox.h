#pragma once

#include "commands/cardmessage.h"

#include <QList>
#include <QMessageBox>
#include <QString>

namespace kinfolio {

// Every message the programs show goes through here. In production it is a
// modal QMessageBox; a test scripts the answers and reads back what was shown.
class MessageBox
{
public:
    // The exclamation icon of the refusals, warnings and edge messages.
    static constexpr QMessageBox::Icon Exclamation = QMessageBox::Warning;

    struct Shown
    {
        QString text;
        QString title;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
    };

    // Shows a message and returns the button pressed. `text` uses "\r\n" or
    // "\n" for line breaks.
    static QMessageBox::StandardButton show(QWidget *parent, const QString &text, const QString &title,
                                            QMessageBox::Icon icon = QMessageBox::NoIcon,
                                            QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

    // A message of the program's commands. Its Save As and Leave Without Saving
    // buttons are the box's Save and Discard buttons under those captions.
    static CardMessage::Button show(QWidget *parent, const CardMessage &message);

    // Asks for a file to write to, proposing `suggested`. Empty when the
    // user cancels.
    static QString askSavePath(QWidget *parent, const QString &title, const QString &suggested);

    // --- for tests ---
    // From now on no box is shown: each message is recorded and answered with
    // the next scripted answer, or with its first button (Ok or Yes) when the
    // script has run out.
    static void startRecording(const QList<QMessageBox::StandardButton> &answers = {});
    static void scriptAnswers(const QList<QMessageBox::StandardButton> &answers);
    // The paths askSavePath answers with, in turn; empty (cancel) once used up.
    static void scriptSavePaths(const QStringList &paths);
    static const QList<Shown> &shown();
    static void clearShown();
    static void stopRecording();
};

} // namespace kinfolio
