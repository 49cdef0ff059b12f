// Colour management: the screen's colour space, and the conversion of a decoded picture
// from the space its file declares (ProfilsFichiers.h) to the screen's, through lcms2
// (TransformationsCouleurs.h); a picture shown follows the screen (ImageAffichee.h).
//
// A colour space is given by the bytes of its ICC profile; empty bytes mean sRGB. A
// profile that cannot be parsed, is larger than ProfilMaximal, or does not fit its side
// (a file: RGB, grey or CMYK; a screen: an RGB display or output profile) counts as sRGB:
// the picture is then shown as its pixels are, and nothing is reported.
#pragma once

#include "ProfilsFichiers.h"

#include <QByteArray>
#include <QImage>
#include <atomic>
#include <cstdint>

namespace galvia {

// Adobe RGB (1998): its primaries, D65 white and gamma 563/256, as an ICC profile.
const QByteArray& profilAdobeRgb();

// The profile of the screen Galvia's window is on (empty: sRGB). Written by the platform
// when it learns it (or by a test), read by the decode workers: safe from any thread.
QByteArray profilEcran();
void definirProfilEcran(const QByteArray& profil);
// A number that changes each time the screen's profile does (definirProfilEcran with
// other bytes): what was converted for an older one is to be converted again.
std::uint64_t generationProfilEcran();

// Converts `image` from the colour space `source` to the screen's space `ecran`
// (perceptual intent, relative colorimetric where a profile has no perceptual table),
// in place when its format allows. Returns false, the picture untouched (not even
// detached), when there is nothing to do: the same space on both sides (sRGB included),
// a profile ignored, a null picture. Transforms are cached per pair of profiles; safe
// from any thread. With `abandon`, a 32-bit picture is given up between two rows soon
// after it is set (or decodes are stopped), half converted.
bool convertirCouleurs(QImage& image, const QByteArray& source, const QByteArray& ecran,
                       const std::atomic<bool>* abandon = nullptr);

// Whether converting `image` counts as making a new picture of 32 bits a pixel (4 bytes
// a pixel to reserve): any format but RGB32 and ARGB32, which convertirCouleurs converts
// in place (an 8-bit picture, whose colour table alone changes, is counted so too).
inline bool conversionEnCopie(const QImage& image) {
    return image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32;
}

// The hook of a decode: converts a picture just decoded from a file that declares the
// profile `source` (read while its header was) to the current screen profile
// (profilEcran).
void convertirVersEcran(QImage& image, const QByteArray& source);

// While one lives on a thread, the decodes run on that thread leave their pictures in
// their file's colours and note here the conversion they need (the last decode's), so
// that their caller converts what is shown first (a fitted view, a thumbnail) and the
// rest after, or to another space (a thumbnail written to the desktop's cache, in sRGB).
class ConversionDifferee {
public:
    ConversionDifferee();
    ~ConversionDifferee();
    ConversionDifferee(const ConversionDifferee&) = delete;
    ConversionDifferee& operator=(const ConversionDifferee&) = delete;

    // The file's profile and the screen's (and its generation) when it was decoded.
    const QByteArray& source() const { return source_; }
    const QByteArray& ecran() const { return ecran_; }
    std::uint64_t generation() const { return generation_; }
    // Whether the picture decoded is not already in the screen's space.
    bool aConvertir() const { return !source_.isEmpty() || !ecran_.isEmpty(); }
    // Converts a picture of that decode (or a copy of it, stretched) to the screen's space.
    bool convertir(QImage& image) const { return convertirCouleurs(image, source_, ecran_); }

private:
    friend void convertirVersEcran(QImage& image, const QByteArray& source);
    ConversionDifferee* precedente_;
    QByteArray source_, ecran_;
    std::uint64_t generation_ = 0;
};

} // namespace galvia
