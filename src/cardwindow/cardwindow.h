#pragma once

#include "commands/cardeditor.h"

#include <QMainWindow>

#include <array>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace kinfolio {

// The card window: one card of the store at a time, the record banner, and
// the buttons of every card command. The rules of the commands live in
// CardEditor; the window passes the box texts in and shows what comes back.
class CardWindow : public QMainWindow
{
    Q_OBJECT
public:
    // Opening the window takes the card file for this program, loads it into
    // `editor`, shows its last card and centres the window (only when the
    // load read the whole file). `programDirectory` holds the data files.
    CardWindow(CardEditor &editor, QString programDirectory, QWidget *parent = nullptr);

    // The opening ended the program (another Kinfolio has the card file):
    // the window is not to be shown.
    bool openingEndedProgram() const { return m_openingEndedProgram; }

    // The seventeen box texts in field order, as Add and Update store them.
    CardFields boxTexts() const;

    // Shows what a command of the editor says: boxes, banner, message, focus,
    // and then stays, closes or ends the program.
    void render(const CardView &view);

signals:
    // The program is to end at once (Exit with no card, or leaving without saving).
    void programEndRequested();

private slots:
    void newCard();
    void addCard();
    void deleteCard();
    void openFind();
    void updateCard();
    void exitProgram();
    void goToFirst();
    void goBackOne();
    void goForwardOne();
    void goToLast();
    void showAbout();
    void showWebsites();

private:
    // A button of the card, with the command it runs; in tab order.
    struct ButtonRow;
    static const ButtonRow buttonRows[];

    void buildControls();
    void showBoxes(const CardFields &fields);
    void selectNameBox();

    CardEditor &m_editor;
    QString m_programDirectory;
    std::array<QWidget *, CardFieldCount> m_boxes{};
    QLineEdit *m_txtName = nullptr;
    QPlainTextEdit *m_txtNotes = nullptr;
    QLabel *m_lblRecordNumber = nullptr;
    QLabel *m_lblRecordTotal = nullptr;
    bool m_openingEndedProgram = false;
};

} // namespace kinfolio
