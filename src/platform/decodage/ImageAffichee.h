// A picture handed to a view, whose colours reach the screen's only when they are needed.
// A photo decoded ahead comes with its fitted view already converted (under a megapixel)
// and the whole picture still in its file's colours: converting tens of megapixels costs
// about what decoding them does, and a burst of Page Down never shows them. The whole
// picture is converted when a view draws it whole (the natural-size view, the fitted
// view stretched again from it), here and then or by waiting for the worker already at
// it, or on a decode worker once the user has paused on it (convertirEnFond), given up
// when the user moves on. Its pixels never leave it unconverted: a view asks it for the
// picture, or for the picture stretched, always in the screen's colours; and once the
// screen's profile has changed (generationProfilEcran), in the new screen's.
#pragma once

#include "BudgetDecodage.h"

#include <QImage>
#include <QSize>
#include <memory>

namespace galvia {

class ConversionDifferee;
class PoolDecodage;

class ImageAffichee {
public:
    ImageAffichee() = default;
    // A picture in the colours of the screen of now (or drawn by Galvia, in sRGB): after
    // a change of the screen's profile it is converted from the former screen's colours.
    ImageAffichee(QImage image); // implicit: a view is given any picture
    // A picture decoded in its file's colours, the conversion it needs noted in `couleurs`
    // (`converti`: already done, to the screen of that decode), converted on `pool` and
    // its memory taken from that pool's budget (the process-wide pool when null).
    ImageAffichee(QImage image, const ConversionDifferee& couleurs, bool converti = false,
                  PoolDecodage* pool = nullptr);

    bool isNull() const { return taille_.isEmpty(); }
    QSize size() const { return taille_; }
    int width() const { return taille_.width(); }
    int height() const { return taille_.height(); }

    // The whole picture in the screen's colours, converted here the first time (or once
    // a worker converting it is done). Null when its conversion cannot get its memory
    // (a grey picture made 32 bits a pixel, from the pool's budget with reserverAffichage).
    QImage image() const;
    // The picture stretched to `taille` (etirerSousBudget, its memory in `memoire`) in the
    // screen's colours: stretched as it is and the copy converted, the whole picture left
    // as it was.
    QImage etirer(QSize taille, BudgetMemoire::Reservation& memoire) const;
    // Whether the whole picture has still to be converted.
    bool aConvertir() const;
    // Converts the whole picture on a decode worker (a Tache, PoolDecodage.h), unless it
    // is already converted or being converted; the conversion gives up when the last
    // copy of this goes. A picture
    // that would grow (8 bits a pixel made 32) is left to image().
    void convertirEnFond() const;

    // Copies of one picture.
    friend bool operator==(const ImageAffichee& a, const ImageAffichee& b) {
        return a.jeton_ == b.jeton_;
    }

private:
    struct Etat;
    struct Jeton;
    std::shared_ptr<Jeton> jeton_;
    QSize taille_;
};

} // namespace galvia
