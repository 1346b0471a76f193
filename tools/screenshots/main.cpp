// kinfolio-screenshots OUTPUT_DIR
// Opens each window on a small set of invented cards and saves what it draws.
#include "about.h"
#include "commands/cardeditor.h"
#include "installerwindow.h"
#include "cardwindow.h"
#include "splashwindow.h"
#include "standardsiteswindow.h"
#include "sitelistwindow.h"
#include "programlook.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>

using namespace kinfolio;

namespace {

CardFields card(std::initializer_list<const char *> texts)
{
    CardFields fields;
    int i = 0;
    for (const char *t : texts)
        fields[i++] = QString::fromUtf8(t);
    return fields;
}

bool save(QWidget *w, const QString &path)
{
    QApplication::processEvents();
    const bool ok = w->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

// Two windows side by side, as a user sees the find dialog beside the cards.
bool saveSideBySide(QWidget *left, QWidget *right, const QString &path)
{
    QApplication::processEvents();
    const QPixmap a = left->grab(), b = right->grab();
    QPixmap both(a.width() + 16 + b.width(), qMax(a.height(), b.height()));
    both.fill(QColor(224, 224, 224));
    QPainter p(&both);
    p.drawPixmap(0, 0, a);
    p.drawPixmap(a.width() + 16, 0, b);
    p.end();
    const bool ok = both.save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    applyProgramLook();
    if (argc != 2) {
        std::fprintf(stderr, "usage: kinfolio-screenshots OUTPUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir data;

    CardStore seed(data.filePath(QStringLiteral("Kinfolio.dat")));
    seed.appendCard(card({"Jonas Ashworth", "3 MAR 1821", "Leeds, Yorkshire", "14 JUN 1846", "Bradford",
                          "9 NOV 1890", "Leeds", "William Ashworth", "Mary Holt", "Ellen Pryce", "22 JAN 1825",
                          "Wrexham", "2 FEB 1899", "Leeds", "Owen Pryce", "Ann Lloyd",
                          "Weaver at the Bank Mills.\r\nSeven children, five survived."}));
    seed.appendCard(card({"Thomas Ashworth", "8 AUG 1850", "Leeds, Yorkshire", "1 MAY 1875", "Halifax",
                          "30 DEC 1921", "Halifax", "Jonas Ashworth", "Ellen Pryce", "Sarah Whitfield",
                          "12 APR 1853", "Halifax", "", "", "John Whitfield", "Martha Crabtree",
                          "Emigration papers searched, none found."}));
    seed.appendCard(card({"Henrik Dahlberg", "ABT 1848", "Växjö, Sweden", "20 OCT 1872", "Minneapolis",
                          "4 JUL 1915", "Minneapolis", "Anders Dahlberg", "Brita Nilsdotter", "Karin Lindqvist",
                          "1851", "Kalmar", "1930", "St. Paul", "Per Lindqvist", "Ingrid Olsdotter", ""}));
    if (const Result<> saved = seed.saveCardFile(); !saved)
        qFatal("%s", qPrintable(saved.error()));
    {
        QFile sites(data.filePath(QStringLiteral("WebSites.dat")));
        sites.open(QIODevice::WriteOnly);
        sites.write("\"http://www.example.org/ashworth-family/\"\r\n\"http://records.example.net/leeds-parish\"\r\n");
        for (int i = 2; i < 30; ++i)
            sites.write("\"http://\"\r\n");
    }

    bool ok = true;
    auto *splash = new SplashWindow([]() -> QWidget * { return new QWidget; });
    ok &= save(splash, out.filePath(QStringLiteral("frmsplash.png")));

    CardEditor editor(data.filePath(QStringLiteral("Kinfolio.dat")));
    auto *cardWindow = new CardWindow(editor, data.path());
    cardWindow->show();
    ok &= save(cardWindow, out.filePath(QStringLiteral("frmKinfolio.png")));

    cardWindow->findChild<QPushButton *>(QStringLiteral("cmdFind"))->click();
    QWidget *dialog = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("find"))
            dialog = w;
    }
    auto *fields = dialog->findChild<QComboBox *>(QStringLiteral("Combo1"));
    fields->setCurrentIndex(fields->findText(QStringLiteral("Wife's Name")));
    emit fields->activated(fields->currentIndex());
    auto *values = dialog->findChild<QComboBox *>(QStringLiteral("Combo2"));
    values->setCurrentIndex(values->findText(QStringLiteral("Sarah Whitfield")));
    ok &= saveSideBySide(cardWindow, dialog, out.filePath(QStringLiteral("find.png")));
    dialog->close();

    SiteListWindow *sites = SiteListWindow::showFrom(cardWindow, data.path());
    ok &= save(sites, out.filePath(QStringLiteral("frmWebSites.png")));
    StandardSitesWindow *standard = StandardSitesWindow::showStandard();
    ok &= save(standard, out.filePath(QStringLiteral("frmStandardSites.png")));

    ok &= save(About::showAbout(), out.filePath(QStringLiteral("About.png")));

    auto *installer = new InstallerWindow;
    installer->show();
    ok &= save(installer, out.filePath(QStringLiteral("Form1.png")));

    return ok ? 0 : 1;
}
