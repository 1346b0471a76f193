#include "finddialog.h"

#include "family/cardtext.h"
#include "messagebox.h"
#include "twips.h"
#include "windowhelpers.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

namespace kinfolio {

namespace {

// The dialog that is open, if any. Cleared as soon as it closes, not only
// when it is destroyed later, so that Find right after a close opens afresh.
QPointer<kinfolio::FindDialog> openDialog;

// Field list entries select CardField 0 to 15; Notes cannot be searched.
const QStringList &entries = CardText::fieldNames();

// An editable combo box that keeps what is typed exactly as typed: no
// completion (which would change letter case or finish a word) and no
// insertion of typed text into the list.
void makeEditable(QComboBox *combo, const char *name, QLineEdit *edit)
{
    combo->setObjectName(QString::fromLatin1(name));
    combo->setLineEdit(edit);
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setDuplicatesEnabled(true);
}

QPushButton *newButton(QWidget *parent, const char *name, const char *caption)
{
    auto *button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

FindDialog *FindDialog::showFor(CardEditor &editor, ShowCard showCard)
{
    if (openDialog) {
        openDialog->show();
        openDialog->raise();
        openDialog->activateWindow();
        return openDialog;
    }
    auto *dialog = new FindDialog(editor, std::move(showCard));
    dialog->show();
    openDialog = dialog;
    return dialog;
}

FindDialog::FindDialog(CardEditor &editor, ShowCard showCard)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                           | Qt::WindowCloseButtonHint)
    , m_editor(editor)
    , m_showCard(std::move(showCard))
{
    setObjectName(QStringLiteral("find"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Find"));
    paintBackground(this, cardBackground());

    m_cmdCancel = newButton(this, "cmdCancel", "&Cancel");
    placeTwips(m_cmdCancel, 2925, 630, 1095, 255);
    m_cmdAccept = newButton(this, "cmdAccept", "&Accept");
    placeTwips(m_cmdAccept, 2925, 930, 1095, 255);
    // Leaving Combo1's edit part while it holds the exact text of an entry
    // makes the combo box report that entry as activated. Only a choice from
    // the list fills the values, so the activation that happens between these
    // two handlers of editingFinished (the combo box's own runs in between,
    // as it connects when given the edit) is ignored.
    m_combo1 = new QComboBox(this);
    auto *edit1 = new QLineEdit;
    connect(edit1, &QLineEdit::editingFinished, this, [this] { m_leavingCombo1Edit = true; });
    makeEditable(m_combo1, "Combo1", edit1);
    m_combo1->setAccessibleName(QStringLiteral("Field"));
    connect(edit1, &QLineEdit::editingFinished, this, [this] { m_leavingCombo1Edit = false; });
    placeTwips(m_combo1, 120, 120, 2415, 315);
    m_combo2 = new QComboBox(this);
    auto *edit2 = new QLineEdit;
    edit2->setMaxLength(std::numeric_limits<int>::max()); // a value is found however long it is
    makeEditable(m_combo2, "Combo2", edit2);
    m_combo2->setAccessibleName(QStringLiteral("Value"));
    placeTwips(m_combo2, 2760, 120, 2055, 315);

    setTabOrder(m_cmdCancel, m_cmdAccept);
    setTabOrder(m_cmdAccept, m_combo1);
    setTabOrder(m_combo1, m_combo2);

    connect(m_combo1, &QComboBox::activated, this, &kinfolio::FindDialog::listValues);
    connect(m_cmdAccept, &QPushButton::clicked, this, &kinfolio::FindDialog::accept);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QWidget::close);

    setFixedSize(twips(5595), twips(1260));
    m_cmdCancel->setFocus();

    // Loading.
    centerOnScreen(this);
    m_combo1->addItems(entries);
    // The edit part stays empty until a field is chosen.
    m_combo1->setCurrentIndex(-1);
}

void FindDialog::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted() && openDialog == this)
        openDialog = nullptr;
}

void FindDialog::listValues()
{
    if (m_leavingCombo1Edit)
        return;
    const int field = entries.indexOf(m_combo1->currentText());
    if (field < 0 || m_editor.isClosed())
        return;

    // The value list is emptied first: the search takes an entry's position
    // as its card's position, so the list must hold one field's values in
    // table order, even when a second field is chosen.
    const QString valueText = m_combo2->currentText();
    m_combo2->clear();
    m_listedField = CardField(field);
    m_combo2->addItems(m_editor.fieldValues(*m_listedField));
    // Adding items would otherwise put the first one into the value text.
    m_combo2->setCurrentIndex(-1);
    m_combo2->setEditText(valueText);
}

void FindDialog::accept()
{
    if (m_editor.isClosed()) {
        // Exit has closed the card window: nothing is left to show a card in.
        close();
        return;
    }
    if (const std::optional<CardView> found = m_editor.find(m_listedField, m_combo2->currentText())) {
        m_showCard(*found);
        close();
        return;
    }
    MessageBox::show(this, QStringLiteral("No Match Found"), QStringLiteral("Kinfolio"));
}

} // namespace kinfolio
