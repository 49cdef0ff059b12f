// The controls that show a picture: the picture box and the image control.
#pragma once

#include "Controle.h"
#include "decodage/ImageAffichee.h"

#include <QImage>
#include <utility>

namespace galvia {

// A picture box: shows its picture at natural size; with auto-size it takes the
// picture's size (its border included).
class BoiteImage : public Controle {
public:
    void accepter(VisiteurControle& v) override { v.visiter(*this); }
    BoiteImage(Fenetre& f, QString nom, Controle* conteneur = nullptr)
        : Controle(f, std::move(nom), conteneur) {}
    // The picture in the screen's colours (see ImageAffichee), and as it was handed over.
    QImage image() const { return image_.image(); }
    const ImageAffichee& affichee() const { return image_; }
    void setImage(ImageAffichee image);
    bool autoSize() const { return autoSize_; }
    void setAutoSize(bool a);
    bool bordure() const { return bordure_; }
    void setBordure(bool b);

private:
    void ajuster();
    ImageAffichee image_;
    bool autoSize_ = false;
    bool bordure_ = false;
};

// An image control: stretches its picture to its own box.
class ControleImage : public Controle {
public:
    void accepter(VisiteurControle& v) override { v.visiter(*this); }
    ControleImage(Fenetre& f, QString nom, Controle* conteneur = nullptr)
        : Controle(f, std::move(nom), conteneur) {}
    QImage image() const { return image_.image(); }
    const ImageAffichee& affichee() const { return image_; }
    // `apercu`, when given, is the same picture already stretched to some size, in the
    // screen's colours: the view draws it as it is when that is its box's size in screen
    // pixels, and stretches the picture itself otherwise.
    void setImage(ImageAffichee image, QImage apercu = {});
    const QImage& apercu() const { return apercu_; }
    bool bordure() const { return bordure_; }
    void setBordure(bool b);

private:
    ImageAffichee image_;
    QImage apercu_;
    bool bordure_ = false;
};

} // namespace galvia
