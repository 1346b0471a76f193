#include "messagebox.h"

#include <QAbstractButton>
#include <QFileDialog>

namespace kinfolio {

namespace {
struct Recorder
{
    bool active = false;
    QList<QMessageBox::StandardButton> answers;
    QList<MessageBox::Shown> shown;
    QStringList savePaths;
};

Recorder &recorder()
{
    static Recorder r;
    return r;
}
} // namespace

QMessageBox::StandardButton MessageBox::show(QWidget *parent, const QString &text, const QString &title,
                                             QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton)
{
    Recorder &r = recorder();
    if (r.active) {
        r.shown.append({text, title, icon, buttons});
        if (!r.answers.isEmpty())
            return r.answers.takeFirst();
        return (buttons & QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
    }
    QString shownText = text;
    shownText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(icon, title, shownText, buttons, parent);
    if (QAbstractButton *save = box.button(QMessageBox::Save))
        save->setText(QStringLiteral("Save &As..."));
    if (QAbstractButton *leave = box.button(QMessageBox::Discard))
        leave->setText(QStringLiteral("&Leave Without Saving"));
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return QMessageBox::StandardButton(box.exec());
}

CardMessage::Button MessageBox::show(QWidget *parent, const CardMessage &message)
{
    static const std::pair<CardMessage::Button, QMessageBox::StandardButton> buttonPairs[] = {
        {CardMessage::Ok, QMessageBox::Ok},
        {CardMessage::Yes, QMessageBox::Yes},
        {CardMessage::No, QMessageBox::No},
        {CardMessage::SaveElsewhere, QMessageBox::Save},
        {CardMessage::LeaveWithoutSaving, QMessageBox::Discard},
    };
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    for (const auto &[ours, qt] : buttonPairs) {
        if (message.buttons & ours)
            buttons |= qt;
        if (message.defaultButton == ours)
            defaultButton = qt;
    }
    const QMessageBox::Icon icon = message.icon == CardMessage::Icon::Exclamation ? Exclamation : QMessageBox::NoIcon;
    const QMessageBox::StandardButton pressed = show(parent, message.text, message.title, icon, buttons, defaultButton);
    for (const auto &[ours, qt] : buttonPairs) {
        if (pressed == qt)
            return ours;
    }
    return CardMessage::Ok; // the box closed by other means: the harmless answer
}

QString MessageBox::askSavePath(QWidget *parent, const QString &title, const QString &suggested)
{
    Recorder &r = recorder();
    if (r.active)
        return r.savePaths.isEmpty() ? QString() : r.savePaths.takeFirst();
    // The caller asks before replacing a file, once it knows it may.
    return QFileDialog::getSaveFileName(parent, title, suggested, QString(), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

void MessageBox::scriptSavePaths(const QStringList &paths)
{
    recorder().savePaths = paths;
}

void MessageBox::startRecording(const QList<QMessageBox::StandardButton> &answers)
{
    Recorder &r = recorder();
    r.active = true;
    r.answers = answers;
    r.shown.clear();
}

void MessageBox::scriptAnswers(const QList<QMessageBox::StandardButton> &answers)
{
    recorder().answers = answers;
}

const QList<MessageBox::Shown> &MessageBox::shown()
{
    return recorder().shown;
}

void MessageBox::clearShown()
{
    recorder().shown.clear();
}

void MessageBox::stopRecording()
{
    recorder() = Recorder{};
}

} // namespace kinfolio
