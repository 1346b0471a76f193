#pragma once

class QFrame;
class QWidget;

namespace kinfolio {

// Where the product frame of the splash and of the installer window places
// its labels, in twips relative to the frame. The two windows share the
// picture and the texts but not every position.
struct ProductFrameLayout
{
    int frameLeft, frameTop;
    int productNameLeft, productNameTop;
    int copyrightTop;
    int versionTop;
    int companyTop;
};

ProductFrameLayout splashFrameLayout();

// Builds the frame with Image1, lblProductName, lblCopyright, lblVersion and
// lblCompanyName inside `parent`.
QFrame *addProductFrame(QWidget *parent, const ProductFrameLayout &layout);

// Arial where it is installed; Liberation Sans has the same metrics.
void useArial(QWidget *w, double pointSize, bool bold);

} // namespace kinfolio
