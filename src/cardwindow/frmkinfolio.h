#pragma once

#include "cardrecord.h"
#include "navigation.h"

#include <QMainWindow>

#include <array>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace kinfolio {

class CardStore;

// The card window: one card of the store at a time, the record banner, and
// the buttons of every card command.
class frmKinfolio : public QMainWindow
{
    Q_OBJECT
public:
    // Opening the window loads the card file into `store`, shows its last card
    // and centres the window (only when the load read the whole file).
    // `programDirectory` holds the program's data files.
    frmKinfolio(CardStore &store, QString programDirectory, QWidget *parent = nullptr);

    CardStore &store() { return m_store; }
    const QString &programDirectory() const { return m_programDirectory; }

    // Puts the card at `position` into the seventeen boxes and its number into
    // lblRecordNumber. The total is left to the caller.
    void ShowCard(int position);
    // lblRecordTotal := CardCount.
    void showRecordTotal();

    // The seventeen box texts in field order, as Add and Update store them.
    CardFields boxTexts() const;
    bool NewCardOpen() const;

signals:
    // Exit found nothing to save: the program ends at once.
    void programEndRequested();

private slots:
    void cmdNew_Click();
    void cmdAdd_Click();
    void cmdDelete_Click();
    void cmdFind_Click();
    void cmdUpdate_Click();
    void cmdExit_Click();
    void cmdBeginning_Click();
    void cmdBackOne_Click();
    void cmdForwardOne_Click();
    void cmdEnd_Click();
    void mnuAbout_Click();
    void mnuWebsites_Click();

private:
    void buildControls();
    void setBoxText(int field, const QString &text);
    void clearBoxes();
    void selectNameBox();
    void navigate(NavButton button);
    bool showsStoredCard() const;
    bool refuseWhenFull();

    CardStore &m_store;
    QString m_programDirectory;
    std::array<QWidget *, CardFieldCount> m_boxes{};
    QLineEdit *m_txtName = nullptr;
    QPlainTextEdit *m_txtNotes = nullptr;
    QLabel *m_lblRecordNumber = nullptr;
    QLabel *m_lblRecordTotal = nullptr;
};

} // namespace kinfolio
