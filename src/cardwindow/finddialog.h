#pragma once

#include "commands/cardeditor.h"

#include <QWidget>

#include <functional>
#include <optional>

class QComboBox;
class QPushButton;

namespace kinfolio {

// The find dialog: choose one of sixteen card fields, choose or type a value,
// and jump to the first card whose field holds exactly that value.
//
// A plain window rather than a QDialog, so that neither Enter nor Esc has a
// dialog-wide meaning. It has no parent: it may outlive the card window
// (after Exit) and then closes on Accept.
class FindDialog : public QWidget
{
    Q_OBJECT
public:
    // Where the card found goes: the card window, while it is open.
    using ShowCard = std::function<void(const CardView &)>;

    // Shows the one find dialog, creating and loading it when none is open;
    // an open one is brought to the front unchanged.
    static FindDialog *showFor(CardEditor &editor, ShowCard showCard);

private slots:
    void listValues();
    void accept();

private:
    FindDialog(CardEditor &editor, ShowCard showCard);
    void closeEvent(QCloseEvent *event) override;

    CardEditor &m_editor;
    ShowCard m_showCard;
    QPushButton *m_cmdCancel = nullptr;
    QPushButton *m_cmdAccept = nullptr;
    QComboBox *m_combo1 = nullptr;
    QComboBox *m_combo2 = nullptr;
    bool m_leavingCombo1Edit = false;
    // The field whose values the value list holds: the one chosen last.
    std::optional<CardField> m_listedField;
};

} // namespace kinfolio
