#include "cardwindow.h"

#include "about.h"
#include "finddialog.h"
#include "sitelistwindow.h"
#include "messagebox.h"
#include "storabletext.h"
#include "twips.h"
#include "waysoutdialog.h"
#include "windowhelpers.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

#include <limits>

namespace kinfolio {

namespace {

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

// What the boxes hold has no length limit; a one-line box otherwise keeps
// 32767 characters and would cut a longer value read from the file.
constexpr int unlimitedLength = std::numeric_limits<int>::max();

QString boxText(const QWidget *box)
{
    if (auto *line = qobject_cast<const QLineEdit *>(box))
        return storedText(line);
    return storedText(static_cast<const QPlainTextEdit *>(box));
}

} // namespace

struct CardWindow::ButtonRow
{
    const char *name;
    const char *caption;
    const char *tooltip;
    int left, top, width, height;
    void (CardWindow::*command)();
};

// In tab order, after the boxes.
const CardWindow::ButtonRow CardWindow::buttonRows[] = {
    {"cmdNew", "New", "Clear boxes for new record", 1680, 4920, 735, 255, &CardWindow::newCard},
    {"cmdAdd", "Add", "Add record to database", 2400, 4920, 735, 255, &CardWindow::addCard},
    {"cmdDelete", "Delete", "Delete current record", 3120, 4920, 735, 255, &CardWindow::deleteCard},
    {"cmdFind", "Find", "Search for a person/word", 3840, 4920, 735, 255, &CardWindow::openFind},
    {"cmdUpdate", "Update", "Update current record", 4560, 4920, 735, 255, &CardWindow::updateCard},
    {"cmdExit", "Exit", "Exit program", 5280, 4920, 735, 255, &CardWindow::exitProgram},
    {"cmdBeginning", "| <", "Go to first record", 1800, 5400, 855, 375, &CardWindow::goToFirst},
    {"cmdBackOne", "< <", "Go back one record", 2880, 5400, 855, 375, &CardWindow::goBackOne},
    {"cmdForwardOne", "> >", "Go forward one record", 3960, 5400, 855, 375, &CardWindow::goForwardOne},
    {"cmdEnd", "> |", "Go to last record", 5040, 5400, 855, 375, &CardWindow::goToLast},
};

CardWindow::CardWindow(CardEditor &editor, QString programDirectory, QWidget *parent)
    : QMainWindow(parent)
    , m_editor(editor)
    , m_programDirectory(std::move(programDirectory))
{
    buildControls();

    // Opening, step by step.
    removeCloseCommand(this);
    const CardView opened = m_editor.open();
    m_openingEndedProgram = opened.then == CardView::Then::EndProgram;
    render(opened);
}

void CardWindow::buildControls()
{
    setObjectName(QStringLiteral("frmKinfolio"));
    setWindowTitle(QStringLiteral("Kinfolio"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    paintBackground(this, cardBackground());

    QAction *about = menuBar()->addAction(QStringLiteral("&About"), this, &CardWindow::showAbout);
    about->setObjectName(QStringLiteral("mnuAbout"));
    QAction *websites = menuBar()->addAction(QStringLiteral("&Websites"), this, &CardWindow::showWebsites);
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
            line->setMaxLength(unlimitedLength);
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
    m_lblRecordNumber->setAccessibleName(QStringLiteral("Record number"));
    m_lblRecordTotal->setAccessibleName(QStringLiteral("Number of records"));
    // The numbers keep their places but may grow to the right, so that five
    // digits show whole.
    for (QLabel *number : {m_lblRecordNumber, m_lblRecordTotal})
        number->setMinimumWidth(qMax(number->width(), number->fontMetrics().horizontalAdvance(QStringLiteral("32767")) + 2));

    for (const ButtonRow &row : buttonRows) {
        auto *button = new QPushButton(QString::fromLatin1(row.caption), client);
        button->setObjectName(QString::fromLatin1(row.name));
        button->setToolTip(QString::fromLatin1(row.tooltip));
        button->setAutoDefault(false);
        placeTwips(button, row.left, row.top, row.width, row.height);
        connect(button, &QPushButton::clicked, this, row.command);
        setTabOrder(previous, button);
        previous = button;
    }

    setClientSizeTwips(this, 8535, 6075);
    m_txtName->setFocus();
}

void CardWindow::showBoxes(const CardFields &fields)
{
    for (int i = 0; i < CardFieldCount - 1; ++i)
        showStoredText(static_cast<QLineEdit *>(m_boxes[size_t(i)]), fields[i]);
    showStoredText(m_txtNotes, fields[CardField::Notes]);
}

CardFields CardWindow::boxTexts() const
{
    CardFields fields;
    for (int i = 0; i < CardFieldCount; ++i)
        fields[i] = boxText(m_boxes[size_t(i)]);
    return fields;
}

void CardWindow::selectNameBox()
{
    m_txtName->setFocus();
    m_txtName->home(false);
    m_txtName->end(true);
}

void CardWindow::render(const CardView &view)
{
    if (view.boxes)
        showBoxes(*view.boxes);
    // A label's accessible name replaces its text for a screen reader, so
    // the banner numbers also go into their descriptions.
    if (view.recordNumber) {
        m_lblRecordNumber->setText(*view.recordNumber);
        m_lblRecordNumber->setAccessibleDescription(*view.recordNumber);
    }
    if (view.recordTotal) {
        m_lblRecordTotal->setText(*view.recordTotal);
        m_lblRecordTotal->setAccessibleDescription(*view.recordTotal);
    }
    if (view.message)
        MessageBox::show(this, *view.message);
    if (view.warning)
        MessageBox::show(this, *view.warning);
    if (view.selectNameBox)
        selectNameBox();
    if (view.centre)
        centerOnScreen(this);
    switch (view.then) {
    case CardView::Then::Stay:
        break;
    case CardView::Then::CloseWindow:
        unload(this);
        break;
    case CardView::Then::EndProgram:
        emit programEndRequested();
        break;
    }
}

void CardWindow::newCard()
{
    render(m_editor.newCard(boxTexts()));
}

void CardWindow::addCard()
{
    render(m_editor.add(boxTexts()));
}

void CardWindow::updateCard()
{
    render(m_editor.update(boxTexts()));
}

void CardWindow::deleteCard()
{
    if (MessageBox::show(this, CardEditor::deleteQuestion()) != CardMessage::Yes)
        return;
    render(m_editor.removeCard());
}

void CardWindow::openFind()
{
    FindDialog::showFor(m_editor, [window = QPointer<CardWindow>(this)](const CardView &view) {
        if (window)
            window->render(view);
    });
}

void CardWindow::exitProgram()
{
    const CardView view = m_editor.exit();
    if (!view.offersWaysOut) {
        render(view);
        return;
    }
    switch (offerWaysOut(this, m_editor, *view.message)) {
    case WayOut::Stay:
        break;
    case WayOut::SavedElsewhere:
        unload(this);
        break;
    case WayOut::Left:
        emit programEndRequested();
        break;
    }
}

void CardWindow::goToFirst()
{
    render(m_editor.navigate(NavButton::Beginning));
}

void CardWindow::goBackOne()
{
    render(m_editor.navigate(NavButton::BackOne));
}

void CardWindow::goForwardOne()
{
    render(m_editor.navigate(NavButton::ForwardOne));
}

void CardWindow::goToLast()
{
    render(m_editor.navigate(NavButton::End));
}

void CardWindow::showAbout()
{
    About::showAbout();
}

void CardWindow::showWebsites()
{
    SiteListWindow::showFrom(this, m_programDirectory);
    hide();
}

} // namespace kinfolio
