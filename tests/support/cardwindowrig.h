#pragma once

#include "commands/cardeditor.h"
#include "cardfiles.h"
#include "family/cardtext.h"
#include "cardwindow.h"
#include "windowrig.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

namespace kinfolio::testing {

// The words that tell the card fields apart, however a caption, a control's
// name or a list entry puts them: "Husband's BirthDate", "txtBornDate" and
// "Born" all speak of a birth.
inline QStringList fieldWords(const QString &name)
{
    static const QStringList forms[] = {{"husband"}, {"wife"},   {"birth", "born"}, {"death", "died"}, {"marri"},
                                        {"father"},  {"mother"}, {"date"},          {"place"},         {"notes"}};
    QStringList words;
    const auto spoken = [&name](const QString &form) { return name.contains(form, Qt::CaseInsensitive); };
    for (const QStringList &word : forms) {
        if (std::any_of(word.begin(), word.end(), spoken))
            words << word.first();
    }
    return words;
}

// True when every word of `part` is one of `whole`'s.
inline bool wordsWithin(const QStringList &part, const QStringList &whole)
{
    return std::all_of(part.begin(), part.end(), [&](const QString &w) { return whole.contains(w); });
}

// A card window opened as the program opens it, on a card file written
// beforehand (or on none), with every message box recorded instead of shown.
class CardWindowRig
{
public:
    enum FileState { WithCards, EmptyFile, NoFile };

    explicit CardWindowRig(const std::vector<CardFields> &cards, FileState state = WithCards)
    {
        if (state != NoFile)
            writeCardFile(dir.filePath(QStringLiteral("Kinfolio.dat")), cards);
        open(dir.filePath(QStringLiteral("Kinfolio.dat")));
    }

    // On the card file `cardFile` as it stands, wherever it is.
    explicit CardWindowRig(const QString &cardFile) { open(cardFile); }

    ~CardWindowRig()
    {
        closeFindDialog();
        delete window.data();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        MessageBox::stopRecording();
    }

    CardWindowRig(const CardWindowRig &) = delete;
    CardWindowRig &operator=(const CardWindowRig &) = delete;

    void click(const char *button) const { testing::click(window, QString::fromLatin1(button)); }
    QLineEdit *box(const char *name) const { return child<QLineEdit>(window, QString::fromLatin1(name)); }

    // The cards the store holds, in table order.
    std::vector<CardFields> cards() const
    {
        std::vector<CardFields> out;
        for (int i = 0; i < store->cardCount(); ++i)
            out.push_back(store->fields(i));
        return out;
    }

    // What the seventeen boxes hold, in field order.
    CardFields shown() const { return window->boxTexts(); }
    bool allBoxesEmpty() const { return shown() == CardFields{}; }

    QString label(const char *name) const { return child<QLabel>(window, QString::fromLatin1(name))->text(); }
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
    QPointer<CardWindow> window;

private:
    void open(const QString &cardFile)
    {
        MessageBox::startRecording();
        editor = std::make_unique<CardEditor>(cardFile);
        store = &editor->store();
        window = new CardWindow(*editor, QFileInfo(cardFile).path());
        window->show();
        QCoreApplication::processEvents();
    }
};

} // namespace kinfolio::testing
