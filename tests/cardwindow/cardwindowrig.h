#pragma once

#include "cardeditor.h"
#include "frmkinfolio.h"
#include "messagebox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace kinfolio::testing {

// The boxes of the card window in field order.
inline const char *const boxNames[CardFieldCount] = {
    "txtName",         "txtBornDate",      "txtBornPlace",    "txtMarriedDate",   "txtMarriedPlace",
    "txtDiedDate",     "txtDiedPlace",     "txtFather",       "txtMother",        "txtWifeName",
    "txtWifeBornDate", "txtWifeBornPlace", "txtWifeDiedDate", "txtWifeDiedPlace", "txtWifeFather",
    "txtWifeMother",   "txtNotes",
};

// A card whose every field names its card and field, so a field that lands
// in the wrong box or card shows at once. The notes hold a line break.
inline CardFields taggedCard(const QString &tag)
{
    CardFields card;
    for (int i = 0; i < CardFieldCount; ++i)
        card[i] = QStringLiteral("%1 f%2").arg(tag).arg(i + 1);
    card[CardField::Notes] = tag + QStringLiteral(" notes\r\nsecond line");
    return card;
}

// A card window opened on a card file written beforehand, with every message
// box recorded instead of shown.
class CardWindowRig
{
public:
    enum FileState { WithCards, EmptyFile, NoFile };

    explicit CardWindowRig(const QList<CardFields> &cards, FileState state = WithCards)
    {
        const QString path = dir.filePath(QStringLiteral("Kinfolio.dat"));
        if (state != NoFile) {
            QByteArray bytes;
            for (const CardFields &card : cards)
                for (const QString &text : card.texts)
                    bytes += '"' + text.toLatin1() + "\"\r\n";
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
                qFatal("cannot write %s", qPrintable(path));
        }
        MessageBox::startRecording();
        editor = std::make_unique<CardEditor>(path);
        store = &editor->store();
        window = new frmKinfolio(*editor, dir.path());
        window->show();
        QCoreApplication::processEvents();
    }

    ~CardWindowRig()
    {
        closeFindDialog();
        delete window.data();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        MessageBox::stopRecording();
    }

    CardWindowRig(const CardWindowRig &) = delete;
    CardWindowRig &operator=(const CardWindowRig &) = delete;

    QPushButton *button(const char *name) const
    {
        return window->findChild<QPushButton *>(QString::fromLatin1(name));
    }

    void click(const char *name) const
    {
        QPushButton *b = button(name);
        if (!b)
            qFatal("no button %s", name);
        QTest::mouseClick(b, Qt::LeftButton);
    }

    QLineEdit *box(const char *name) const
    {
        return window->findChild<QLineEdit *>(QString::fromLatin1(name));
    }

    // What the seventeen boxes show, with the notes' line breaks as the card
    // file keeps them.
    CardFields shown() const
    {
        CardFields fields;
        for (int i = 0; i < CardFieldCount - 1; ++i)
            fields[i] = box(boxNames[i])->text();
        QString notes = window->findChild<QPlainTextEdit *>(QStringLiteral("txtNotes"))->toPlainText();
        fields[CardField::Notes] = notes.replace(u'\n', QStringLiteral("\r\n"));
        return fields;
    }

    bool allBoxesEmpty() const { return shown() == CardFields{}; }

    QString label(const char *name) const
    {
        return window->findChild<QLabel *>(QString::fromLatin1(name))->text();
    }
    QString recordNumber() const { return label("lblRecordNumber"); }
    QString recordTotal() const { return label("lblRecordTotal"); }

    // The find dialog, while it is open.
    static QWidget *findDialog()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("find") && w->isVisible())
                return w;
        return nullptr;
    }

    static void closeFindDialog()
    {
        if (QWidget *dialog = findDialog())
            dialog->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QTemporaryDir dir;
    std::unique_ptr<CardEditor> editor;
    const CardStore *store = nullptr;
    QPointer<frmKinfolio> window;
};

// Messages recorded since the last clear, as "title|text" for short checks.
inline QStringList messages()
{
    QStringList out;
    for (const MessageBox::Shown &m : MessageBox::shown())
        out << m.title + QLatin1Char('|') + m.text;
    return out;
}

} // namespace kinfolio::testing
