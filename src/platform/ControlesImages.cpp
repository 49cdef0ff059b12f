#include "ControlesImages.h"

#include "Fenetre.h"

namespace galvia {

void BoiteImage::setImage(ImageAffichee image) {
    image_ = std::move(image);
    ajuster();
    changer();
}

void BoiteImage::setAutoSize(bool a) {
    autoSize_ = a;
    ajuster();
    changer();
}

void BoiteImage::setBordure(bool b) {
    bordure_ = b;
    ajuster();
    changer();
}

void BoiteImage::ajuster() {
    if (!autoSize_ || image_.isNull()) return;
    const double u = fenetre().unite();
    const int b = bordure_ ? 2 : 0;
    move(left(), top(), (image_.width() + b) * u, (image_.height() + b) * u);
}

void ControleImage::setImage(ImageAffichee image, QImage apercu) {
    image_ = std::move(image);
    apercu_ = std::move(apercu);
    changer();
}

void ControleImage::setBordure(bool b) {
    bordure_ = b;
    changer();
}

} // namespace galvia
