#include "frmkinfolio.h"

#include "about.h"
#include "cardstore.h"
#include "find.h"
#include "frmwebsites.h"
#include "messagebox.h"
#include "navigation.h"
#include "storabletext.h"
#include "twips.h"
#include "windowhelpers.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

namespace kinfolio {

namespace {

const QString programTitle = QStringLiteral("Kinfolio");

struct BoxRow
{
    const char *box;
    int left, top, width, height;
    const char *label;
    const char *caption;
    int labelLeft, labelTop;
    bool nameBox;
};

// In field order, which is also the tab order.
const BoxRow boxRows[CardFieldCount] = {
    {"txtName", 840, 120, 2565, 285, "lblHusband", "Husband", 120, 120, true},
    {"txtBornDate", 4200, 120, 1095, 285, "lblBornDate", "Born", 3570, 180, false},
    {"txtBornPlace", 6120, 120, 2295, 285, "lblBornPlace", "Place", 5520, 180, false},
    {"txtMarriedDate", 4200, 480, 1095, 285, "lblMarried", "Married", 3570, 540, false},
    {"txtMarriedPlace", 6120, 480, 2295, 285, "lblMarriedPlace", "Place", 5520, 540, false},
    {"txtDiedDate", 4200, 840, 1095, 285, "lblDiedDate", "Died", 3570, 900, false},
    {"txtDiedPlace", 6120, 840, 2295, 285, "lblDiedPlace", "Place", 5520, 900, false},
    {"txtFather", 840, 480, 2565, 285, "lblFather", "Father", 120, 480, true},
    {"txtMother", 840, 840, 2565, 285, "lblMother", "Mother", 120, 840, true},
    {"txtWifeName", 840, 1320, 2565, 285, "lblWife", "Wife", 120, 1320, true},
    {"txtWifeBornDate", 4200, 1320, 1095, 285, "lblWifeBornDate", "Born", 3570, 1380, false},
    {"txtWifeBornPlace", 6120, 1320, 2295, 285, "lblWifeBornPlace", "Place", 5520, 1380, false},
    {"txtWifeDiedDate", 4200, 1680, 1095, 285, "LblWifeDiedDate", "Died", 3600, 1740, false},
    {"txtWifeDiedPlace", 6120, 1680, 2295, 285, "lblWifeDiedPlace", "Place", 5520, 1740, false},
    {"txtWifeFather", 840, 1680, 2565, 285, "lblWifeFather", "Father", 120, 1680, true},
    {"txtWifeMother", 840, 2040, 2565, 285, "lblWifeMother", "Mother", 120, 2040, true},
    {"txtNotes", 840, 2400, 7575, 2055, "Label1", "Notes", 120, 2520, false},
};

struct ButtonRow
{
    const char *name;
    const char *caption;
    const char *tooltip;
    int left, top, width, height;
};

// In tab order, after the boxes.
const ButtonRow buttonRows[] = {
    {"cmdNew", "New", "Clear boxes for new record", 1680, 4920, 735, 255},
    {"cmdAdd", "Add", "Add record to database", 2400, 4920, 735, 255},
    {"cmdDelete", "Delete", "Delete current record", 3120, 4920, 735, 255},
    {"cmdFind", "Find", "Search for a person/word", 3840, 4920, 735, 255},
    {"cmdUpdate", "Update", "Update current record", 4560, 4920, 735, 255},
    {"cmdExit", "Exit", "Exit program", 5280, 4920, 735, 255},
    {"cmdBeginning", "| <", "Go to first record", 1800, 5400, 855, 375},
    {"cmdBackOne", "< <", "Go back one record", 2880, 5400, 855, 375},
    {"cmdForwardOne", "> >", "Go forward one record", 3960, 5400, 855, 375},
    {"cmdEnd", "> |", "Go to last record", 5040, 5400, 855, 375},
};

QString boxText(const QWidget *box)
{
    if (auto *line = qobject_cast<const QLineEdit *>(box))
        return line->text();
    // The notes box separates lines with LF; the card file keeps CR LF.
    QString text = static_cast<const QPlainTextEdit *>(box)->toPlainText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

} // namespace

frmKinfolio::frmKinfolio(CardStore &store, QString programDirectory, QWidget *parent)
    : QMainWindow(parent)
    , m_store(store)
    , m_programDirectory(std::move(programDirectory))
{
    buildControls();

    // Opening, step by step.
    RemoveCloseCommand(this);
    if (!m_store.loadCardFile())
        return;
    if (m_store.currentCard() >= 0) {
        ShowCard(m_store.currentCard());
        showRecordTotal();
    }
    CenterOnScreen(this);
}

void frmKinfolio::buildControls()
{
    setObjectName(QStringLiteral("frmKinfolio"));
    setWindowTitle(programTitle);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    paintBackground(this, cardBackground());

    QAction *about = menuBar()->addAction(QStringLiteral("&About"), this, &frmKinfolio::mnuAbout_Click);
    about->setObjectName(QStringLiteral("mnuAbout"));
    QAction *websites = menuBar()->addAction(QStringLiteral("&Websites"), this, &frmKinfolio::mnuWebsites_Click);
    websites->setObjectName(QStringLiteral("mnuWebsites"));

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    paintBackground(client, cardBackground());
    setCentralWidget(client);

    QWidget *previous = nullptr;
    for (int i = 0; i < CardFieldCount; ++i) {
        const BoxRow &row = boxRows[i];
        QWidget *box = nullptr;
        if (i == int(CardField::Notes)) {
            m_txtNotes = new QPlainTextEdit(QStringLiteral("Text1"), client);
            m_txtNotes->setLineWrapMode(QPlainTextEdit::NoWrap);
            m_txtNotes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            m_txtNotes->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            m_txtNotes->setTabChangesFocus(true);
            keepStorable(m_txtNotes);
            box = m_txtNotes;
        } else {
            auto *line = new QLineEdit(client);
            keepStorable(line);
            box = line;
        }
        box->setObjectName(QString::fromLatin1(row.box));
        placeTwips(box, row.left, row.top, row.width, row.height);
        QPalette p = box->palette();
        p.setColor(QPalette::Base, row.nameBox ? QColor(Qt::white) : cardBackground());
        box->setPalette(p);
        m_boxes[size_t(i)] = box;

        auto *label = new QLabel(QString::fromLatin1(row.caption), client);
        label->setObjectName(QString::fromLatin1(row.label));
        placeAutoSized(label, row.labelLeft, row.labelTop);
        label->setBuddy(box); // screen readers name the box by its caption

        if (previous)
            setTabOrder(previous, box);
        previous = box;
    }
    m_txtName = static_cast<QLineEdit *>(m_boxes[0]);

    addLine(client, "Line1", 120, 1200, 8400, 1200);
    addLine(client, "Line2", 120, 4560, 8400, 4560);

    auto addLabel = [client](const char *name, const char *caption, int l, int t, int w, int h) {
        auto *label = new QLabel(QString::fromLatin1(caption), client);
        label->setObjectName(QString::fromLatin1(name));
        placeTwips(label, l, t, w, h);
        return label;
    };
    addLabel("lblRecordBanner", "Record #", 6600, 4680, 735, 255);
    m_lblRecordNumber = addLabel("lblRecordNumber", "", 7440, 4680, 375, 255);
    addLabel("lblOf", "Of", 6600, 5040, 255, 255);
    m_lblRecordTotal = addLabel("lblRecordTotal", "", 7440, 5040, 375, 255);

    using Handler = void (frmKinfolio::*)();
    const Handler handlers[] = {
        &frmKinfolio::cmdNew_Click,       &frmKinfolio::cmdAdd_Click,      &frmKinfolio::cmdDelete_Click,
        &frmKinfolio::cmdFind_Click,      &frmKinfolio::cmdUpdate_Click,   &frmKinfolio::cmdExit_Click,
        &frmKinfolio::cmdBeginning_Click, &frmKinfolio::cmdBackOne_Click, &frmKinfolio::cmdForwardOne_Click,
        &frmKinfolio::cmdEnd_Click,
    };
    int i = 0;
    for (const ButtonRow &row : buttonRows) {
        auto *button = new QPushButton(QString::fromLatin1(row.caption), client);
        button->setObjectName(QString::fromLatin1(row.name));
        button->setToolTip(QString::fromLatin1(row.tooltip));
        button->setAutoDefault(false);
        placeTwips(button, row.left, row.top, row.width, row.height);
        connect(button, &QPushButton::clicked, this, handlers[i++]);
        setTabOrder(previous, button);
        previous = button;
    }

    setClientSizeTwips(this, 8535, 6075);
    m_txtName->setFocus();
}

void frmKinfolio::setBoxText(int field, const QString &text)
{
    QWidget *box = m_boxes[size_t(field)];
    if (auto *line = qobject_cast<QLineEdit *>(box)) {
        line->setText(text);
    } else {
        QString plain = text;
        plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        m_txtNotes->setPlainText(plain);
    }
}

void frmKinfolio::ShowCard(int position)
{
    // A position outside the table is a failing step: nothing is shown.
    if (position < 0 || position >= m_store.cardCount())
        return;
    const CardRecord card = m_store.card(position);
    for (int i = 0; i < CardFieldCount; ++i)
        setBoxText(i, card[i]);
    m_lblRecordNumber->setText(card.RecordNumber);
}

void frmKinfolio::showRecordTotal()
{
    m_lblRecordTotal->setText(QString::number(m_store.cardCount()));
}

CardFields frmKinfolio::boxTexts() const
{
    CardFields fields;
    for (int i = 0; i < CardFieldCount; ++i)
        fields[i] = boxText(m_boxes[size_t(i)]);
    return fields;
}

bool frmKinfolio::NewCardOpen() const
{
    return m_txtName->text().isEmpty() && boxText(m_boxes[size_t(CardField::WifeName)]).isEmpty();
}

bool frmKinfolio::showsStoredCard() const
{
    // Every command that puts a stored card into the boxes writes that card's
    // number into the banner; New writes CardCount + 1, and an opening that
    // could not read the whole file writes nothing.
    return m_store.cardCount() > 0
        && m_lblRecordNumber->text() == QString::number(m_store.currentCard() + 1);
}

void frmKinfolio::clearBoxes()
{
    for (int i = 0; i < CardFieldCount; ++i)
        setBoxText(i, QString());
}

void frmKinfolio::selectNameBox()
{
    m_txtName->setFocus();
    m_txtName->home(false);
    m_txtName->end(true);
}

bool frmKinfolio::refuseWhenFull()
{
    if (!m_store.isFull())
        return false;
    MessageBox::show(this,
                     QStringLiteral("The card file is full: it holds %1 cards, the most it can keep.")
                         .arg(CardStore::MaxCards),
                     QStringLiteral("Error!"), MessageBox::Exclamation);
    selectNameBox();
    return true;
}

void frmKinfolio::cmdNew_Click()
{
    if (NewCardOpen()) {
        MessageBox::show(this, QStringLiteral("New record already open"), programTitle);
        selectNameBox();
        return;
    }
    if (refuseWhenFull())
        return;
    clearBoxes();
    selectNameBox();
    const QString next = QString::number(m_store.cardCount() + 1);
    m_lblRecordNumber->setText(next);
    m_lblRecordTotal->setText(next);
}

void frmKinfolio::cmdAdd_Click()
{
    if (NewCardOpen()) {
        MessageBox::show(this, QStringLiteral("Please enter a name."), QStringLiteral("Error!"),
                         MessageBox::Exclamation);
        selectNameBox();
        return;
    }
    if (refuseWhenFull())
        return;
    m_store.appendCard(boxTexts());
    const QString count = QString::number(m_store.cardCount());
    m_lblRecordNumber->setText(count);
    m_lblRecordTotal->setText(count);
    MessageBox::show(this, QStringLiteral("Record has been added."), programTitle);
}

void frmKinfolio::cmdUpdate_Click()
{
    // Besides two empty names, Update refuses while the boxes hold a new card
    // that was never added: it would overwrite the stored card shown before
    // New, which the user cannot see.
    if (NewCardOpen() || !showsStoredCard()) {
        MessageBox::show(this, QStringLiteral("This button is for updating\r\na stored record only."),
                         QStringLiteral("Error!"), MessageBox::Exclamation);
        selectNameBox();
        return;
    }
    m_store.replaceCard(boxTexts());
    m_lblRecordNumber->setText(m_store.card(m_store.currentCard()).RecordNumber);
    showRecordTotal();
    MessageBox::show(this, QStringLiteral("Record has been Updated."), programTitle);
}

void frmKinfolio::cmdDelete_Click()
{
    const auto answer = MessageBox::show(
        this, QStringLiteral("Warning!\r\nThis will overwrite your current record\r\nDo you want to proceed?"),
        QStringLiteral("Warning!"), MessageBox::Exclamation, QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    if (m_store.cardCount() == 0) {
        MessageBox::show(this, QStringLiteral("No records exist"), programTitle);
        return;
    }
    if (!showsStoredCard()) {
        // The boxes hold a new card that was never added. Deleting the stored
        // card behind it, which the user cannot see, would lose a card; the
        // unsaved new card is what goes, and the stored card comes back.
        ShowCard(m_store.currentCard());
        showRecordTotal();
        return;
    }
    if (m_store.cardCount() == 1) {
        m_store.removeCard();
        clearBoxes();
        return;
    }
    m_store.removeCard();
    ShowCard(m_store.currentCard());
    showRecordTotal();
}

void frmKinfolio::cmdFind_Click()
{
    find::showFor(this);
}

void frmKinfolio::cmdExit_Click()
{
    if (m_store.cardCount() == 0) {
        emit programEndRequested();
        return;
    }
    if (!m_store.saveCardFile()) {
        // Nothing is lost: the window and every card stay, so the user can
        // remove the cause and press Exit again.
        MessageBox::show(this, m_store.errorString(), QStringLiteral("Error!"), MessageBox::Exclamation);
        return;
    }
    Unload(this);
}

void frmKinfolio::navigate(NavButton button)
{
    const NavDecision decision = decideNavigation(button, m_store.cardCount(), m_store.currentCard());
    switch (decision.kind) {
    case NavDecision::Nothing:
        break;
    case NavDecision::FirstRecordReached:
        MessageBox::show(this, QStringLiteral("First record reached."), QStringLiteral("Information"),
                         MessageBox::Exclamation);
        break;
    case NavDecision::LastRecordReached:
        MessageBox::show(this, QStringLiteral("Last record reached."), QStringLiteral("Information"),
                         MessageBox::Exclamation);
        break;
    case NavDecision::MoveTo:
        m_store.setCurrentCard(qint16(decision.position));
        ShowCard(decision.position);
        break;
    }
}

void frmKinfolio::cmdBeginning_Click()
{
    navigate(NavButton::Beginning);
}

void frmKinfolio::cmdBackOne_Click()
{
    navigate(NavButton::BackOne);
}

void frmKinfolio::cmdForwardOne_Click()
{
    navigate(NavButton::ForwardOne);
}

void frmKinfolio::cmdEnd_Click()
{
    navigate(NavButton::End);
}

void frmKinfolio::mnuAbout_Click()
{
    About::showAbout();
}

void frmKinfolio::mnuWebsites_Click()
{
    frmWebSites::showFrom(this, m_programDirectory);
    hide();
}

} // namespace kinfolio
