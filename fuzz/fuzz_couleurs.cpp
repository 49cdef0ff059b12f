// libFuzzer entry point over Galvia's colour management: every input is read as a picture
// file's start for its profile (jpeg segments, EXIF, bmp version 5), and is itself tried as
// a file's profile and as the screen's, each time converting a small picture.
#include "platform/decodage/Couleurs.h"

#include <QBuffer>
#include <QImage>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray octets(reinterpret_cast<const char*>(data), qsizetype(size));
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(qRgb(200, 40, 10));
    galvia::convertirCouleurs(image, galvia::profilFichier(octets), {});
    QBuffer fichier(&octets);
    fichier.open(QIODevice::ReadOnly);
    galvia::convertirCouleurs(image, galvia::profilFichier(fichier), galvia::profilAdobeRgb());
    QImage gris(8, 8, QImage::Format_Grayscale8);
    gris.fill(90);
    galvia::convertirCouleurs(gris, octets, {});
    galvia::convertirCouleurs(image, octets, {});
    galvia::convertirCouleurs(image, {}, octets);
    return 0;
}
