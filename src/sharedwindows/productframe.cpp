#include "productframe.h"

#include "picture.h"
#include "twips.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPixmap>

namespace kinfolio {

ProductFrameLayout splashFrameLayout()
{
    return {120, 60, 3360, 360, 1320, 1320, 2160};
}

void useArial(QWidget *w, double pointSize, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    w->setFont(font);
}

QFrame *addProductFrame(QWidget *parent, const ProductFrameLayout &layout)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Sunken);
    paintBackground(frame, cardBackground());
    placeTwips(frame, layout.frameLeft, layout.frameTop, 6225, 2835);

    auto *image = new QLabel(frame);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(productPicture());
    placeTwips(image, 0, 120, 2520, 2670);
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto label = [frame](const char *name, const QString &text, double points, Qt::Alignment align) {
        auto *l = new QLabel(text, frame);
        l->setObjectName(QString::fromLatin1(name));
        l->setAlignment(align | Qt::AlignVCenter);
        useArial(l, points, true);
        return l;
    };

    QLabel *product = label("lblProductName", QStringLiteral("Kinfolio"), 21.75, Qt::AlignHCenter);
    placeAutoSized(product, layout.productNameLeft, layout.productNameTop);

    QLabel *copyright = label("lblCopyright", QStringLiteral("\u00A9 2026"), 12, Qt::AlignHCenter);
    placeTwips(copyright, 2760, layout.copyrightTop, 1815, 375);

    QLabel *version = label("lblVersion", QStringLiteral("Version " KINFOLIO_VERSION), 12, Qt::AlignRight);
    placeAutoSized(version, 4680, layout.versionTop);

    QLabel *company = label("lblCompanyName", QStringLiteral("Company: Quillbrook"), 12, Qt::AlignHCenter);
    placeAutoSized(company, 2880, layout.companyTop);

    return frame;
}

} // namespace kinfolio
