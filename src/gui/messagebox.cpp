#include "messagebox.h"

namespace kinfolio {

namespace {
struct Recorder
{
    bool active = false;
    QList<QMessageBox::StandardButton> answers;
    QList<MessageBox::Shown> shown;
};

Recorder &recorder()
{
    static Recorder r;
    return r;
}
} // namespace

QMessageBox::StandardButton MessageBox::show(QWidget *parent, const QString &text, const QString &title,
                                             QMessageBox::Icon icon, QMessageBox::StandardButtons buttons)
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
    return QMessageBox::StandardButton(box.exec());
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
