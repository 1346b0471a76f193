#include "installerwindow.h"

#include "about.h"
#include "installfilesystem.h"
#include "platform/platform.h"
#include "installsequence.h"
#include "messagebox.h"
#include "productframe.h"
#include "twips.h"
#include "windowhelpers.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kinfolio {

namespace {

// The splash's product frame, placed a little higher and with the texts
// moved up to make room for the installer's own line.
ProductFrameLayout installFrameLayout()
{
    return {120, 0, 3480, 360, 1080, 1080, 1680};
}

} // namespace

InstallerWindow::InstallerWindow(std::shared_ptr<InstallFileSystem> fileSystem)
    : QWidget(nullptr)
    , m_fileSystem(fileSystem ? std::move(fileSystem) : std::make_shared<LocalFileSystem>())
{
    buildControls();
}

InstallerWindow::~InstallerWindow() = default;

void InstallerWindow::buildControls()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kinfolio Installation"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint);
    paintBackground(this, cardBackground());

    QFrame *frame = addProductFrame(this, installFrameLayout());
    auto *label1 = new QLabel(QStringLiteral("Installation Screen"), frame);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    useArial(label1, 12, true);
    placeTwips(label1, 2880, 2280, 2895, 375);

    auto *lblDefaultDirectory2 = new QLabel(QStringLiteral("Directory"), this);
    lblDefaultDirectory2->setObjectName(QStringLiteral("lblDefaultDirectory2"));
    lblDefaultDirectory2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    placeTwips(lblDefaultDirectory2, 720, 3000, 615, 255);
    // Where the font draws the caption wider than its place, the label grows
    // about its centre, so no letter is cut; the box beside it keeps room.
    const int needed = lblDefaultDirectory2->sizeHint().width();
    if (needed > lblDefaultDirectory2->width()) {
        const QRect place = lblDefaultDirectory2->geometry();
        lblDefaultDirectory2->setGeometry(place.center().x() - needed / 2, place.y(), needed, place.height());
    }

    // Created first of the focusable controls: first in tab order.
    m_txtPathDirectory = new QLineEdit(proposedInstallDirectory(), this);
    m_txtPathDirectory->setObjectName(QStringLiteral("txtPathDirectory"));
    lblDefaultDirectory2->setBuddy(m_txtPathDirectory); // screen readers name the box by its caption
    QFont pathFont(QStringLiteral("Times New Roman"));
    pathFont.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")});
    pathFont.setStyleHint(QFont::Serif);
    pathFont.setPointSizeF(8.25);
    m_txtPathDirectory->setFont(pathFont);
    placeTwips(m_txtPathDirectory, 1440, 3000, 2415, 285);

    m_cmdContinue = new QPushButton(QStringLiteral("Install"), this);
    m_cmdContinue->setObjectName(QStringLiteral("cmdContinue"));
    placeTwips(m_cmdContinue, 4560, 3000, 975, 255);
    connect(m_cmdContinue, &QPushButton::clicked, this, &InstallerWindow::install);

    resize(twips(6435), twips(3390));
    m_txtPathDirectory->setFocus();
}

void InstallerWindow::install()
{
    InstallSequence sequence(*m_fileSystem, installPathSeparator(),
                             installationSetFolder(*m_fileSystem, QCoreApplication::applicationDirPath()));
    // The window stays, so that another directory can be typed.
    if (const std::optional<QString> refusal = sequence.refusal(m_txtPathDirectory->text())) {
        MessageBox::show(this, *refusal, QStringLiteral("Error!"), MessageBox::Exclamation);
        return;
    }
    const QList<InstallFailure> failures = sequence.run(m_txtPathDirectory->text());
    // Every failing step was skipped; the user learns which, before About.
    if (!failures.isEmpty())
        MessageBox::show(this, installFailureReport(failures), QStringLiteral("Error!"), MessageBox::Exclamation,
                         QMessageBox::Ok);
    About::showAbout();
    unload(this);
}

} // namespace kinfolio
