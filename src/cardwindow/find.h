#pragma once

#include <QPointer>
#include <QWidget>

class QComboBox;
class QPushButton;

namespace kinfolio {

class frmKinfolio;

// The find dialog: choose one of sixteen card fields, choose or type a value,
// and jump to the first card whose field holds exactly that value.
//
// A plain window rather than a QDialog, so that neither Enter nor Esc has a
// dialog-wide meaning. It has no parent: it may outlive the card window
// (after Exit) and then closes on Accept.
class find : public QWidget
{
    Q_OBJECT
public:
    // Shows the one find dialog, creating and loading it when none is open;
    // an open one is brought to the front unchanged.
    static find *showFor(frmKinfolio *cardWindow);

private slots:
    void Combo1_Click();
    void cmdAccept_Click();
    void cmdCancel_Click();

private:
    explicit find(frmKinfolio *cardWindow);
    void Form_Load();
    void closeEvent(QCloseEvent *event) override;

    QPointer<frmKinfolio> m_cardWindow;
    QPushButton *m_cmdCancel = nullptr;
    QPushButton *m_cmdAccept = nullptr;
    QComboBox *m_combo1 = nullptr;
    QComboBox *m_combo2 = nullptr;
    bool m_leavingCombo1Edit = false;
};

} // namespace kinfolio
