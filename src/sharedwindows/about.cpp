#include "about.h"

#include "twips.h"
#include "windowhelpers.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

namespace kinfolio {

namespace {
QPointer<About> openAbout;
} // namespace

const QString About::Description = QStringLiteral("Kinfolio is the ideal way to store vital Genealogical \r\n"
                                                  "information. Compact, easy to use, Kinfolio is the \r\n"
                                                  "genealogist's friend. \r\n");

About *About::showAbout()
{
    if (!openAbout)
        openAbout = new About;
    openAbout->show();
    openAbout->raise();
    openAbout->activateWindow();
    return openAbout;
}

About *About::instance()
{
    return openAbout;
}

About::About()
    : QDialog(nullptr)
{
    setObjectName(QStringLiteral("About"));
    setWindowTitle(QStringLiteral("Kinfolio"));
    // A tool window stays out of the taskbar; only the close box is offered.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    // Tool windows do not normally end the program; in the installer this
    // window is the last one, and closing it must end the run.
    setAttribute(Qt::WA_QuitOnClose, true);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    paintBackground(this, cardBackground());

    // Tab order follows creation: cmdOK first, so it has the focus.
    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    placeTwips(m_cmdOK, 2760, 3240, 1260, 345);
    connect(m_cmdOK, &QPushButton::clicked, this, &About::closeWindow);

    m_lblTitle = new QLabel(QStringLiteral("Kinfolio"), this);
    m_lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont(QStringLiteral("Times New Roman"));
    titleFont.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")});
    titleFont.setStyleHint(QFont::Serif);
    titleFont.setPointSize(24);
    titleFont.setBold(true);
    m_lblTitle->setFont(titleFont);
    m_lblTitle->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette titlePalette = m_lblTitle->palette();
    titlePalette.setColor(QPalette::WindowText, Qt::black);
    m_lblTitle->setPalette(titlePalette);
    paintBackground(m_lblTitle, cardBackground());
    placeTwips(m_lblTitle, 360, 240, 3885, 600);

    m_text1 = new QPlainTextEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setAccessibleName(QStringLiteral("Description"));
    // The box separates lines with LF; the description keeps its CR LF.
    m_text1->setPlainText(QString(Description).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    m_text1->setReadOnly(true);
    m_text1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text1->setTabChangesFocus(true);
    placeTwips(m_text1, 240, 1080, 4095, 1815);

    setFixedSize(twips(4575), twips(3750));
    m_cmdOK->setFocus();

    // Opening: centred each time the window is loaded afresh.
    centerOnScreen(this);
}

void About::keyPressEvent(QKeyEvent *event)
{
    // OK is also the cancel button: Esc presses it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        m_cmdOK->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void About::closeWindow()
{
    unload(this);
}

} // namespace kinfolio
