#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace kinfolio {

// The product's information window, carried unchanged by the card program
// and the installer. There is at most one per program; it is modeless and is
// destroyed when closed.
class About : public QDialog
{
    Q_OBJECT
public:
    // The description exactly as the product ships it: three lines, each
    // with its trailing blank and CR LF.
    static const QString Description;

    // Shows the one About window of the program, creating (and centring) it
    // when none is open; an open one is only brought forward, not moved.
    static About *showAbout();

    // The open About window, or null.
    static About *instance();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private slots:
    void closeWindow();

private:
    About();

    QPushButton *m_cmdOK = nullptr;
    QLabel *m_lblTitle = nullptr;
    QPlainTextEdit *m_text1 = nullptr;
};

} // namespace kinfolio
