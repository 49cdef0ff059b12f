#include "Couleurs.h"

#include "PoolDecodage.h"
#include "TransformationsCouleurs.h"

#include <QMutex>
#include <QMutexLocker>
#include <algorithm>
#include <vector>

namespace galvia {

namespace {

using couleurs::Genre;
using couleurs::MatriceCourbes;
using couleurs::Transformation;

// Converts a grey picture, 8 bits a pixel, into a new 32-bit one.
QImage convertirGris(const QImage& image, cmsHTRANSFORM t) {
    const QImage gris = image.convertToFormat(QImage::Format_Grayscale8);
    QImage sortie(gris.size(), QImage::Format_RGB32);
    if (sortie.isNull()) return {};
    sortie.fill(0xffffffffU); // lcms2 leaves the alpha bytes as they are
    for (int y = 0; y < gris.height(); ++y)
        cmsDoTransform(t, gris.constScanLine(y), sortie.scanLine(y), cmsUInt32Number(gris.width()));
    return sortie;
}

// Converts a CMYK jpeg as Qt 6.4 decodes it: each pixel already made RGB from its inks
// (R = (255 - C)(255 - K) / 255, and so on). The inks cannot be told apart again; the
// pixel is taken back as the same colour without black ink (C = 255 - R, and so on),
// and that goes through the file's profile: its ink colours rather than ideal ones.
void convertirCmjn(QImage& image, cmsHTRANSFORM t) {
    std::vector<uchar> encres(std::size_t(image.width()) * 4);
    for (int y = 0; y < image.height(); ++y) {
        auto* ligne = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            // Reversed CMYK: 255 means no ink.
            encres[4 * x] = uchar(qRed(ligne[x]));
            encres[4 * x + 1] = uchar(qGreen(ligne[x]));
            encres[4 * x + 2] = uchar(qBlue(ligne[x]));
            encres[4 * x + 3] = 255;
        }
        cmsDoTransform(t, encres.data(), ligne, cmsUInt32Number(image.width()));
    }
}

// The index of a linear value, clamped to [0, 1], in MatriceCourbes::encodage (rounded:
// the value is never negative, where adding a half and truncating would be wrong).
inline std::size_t indice(float v) {
    // NOLINTNEXTLINE(bugprone-incorrect-roundings)
    return std::size_t(std::clamp(v, 0.0f, 1.0f) * (couleurs::EntreesEncodage - 1) + 0.5f);
}

// Converts the 32-bit pixels of `image` in place, row by row.
void convertirRgb(QImage& image, const Transformation& t, const std::atomic<bool>* abandon) {
    const auto arret = [abandon](int y) {
        return abandon != nullptr && y % 64 == 0 && (abandon->load() || decodagesArretes());
    };
    if (!t.rapide) {
        for (int y = 0; y < image.height() && !arret(y); ++y) {
            uchar* ligne = image.scanLine(y);
            cmsDoTransform(t.t, ligne, ligne, cmsUInt32Number(image.width()));
        }
        return;
    }
    const MatriceCourbes& m = *t.rapide;
    const auto& [lr, lg, lb] = m.lineaire;
    const auto& a = m.matrice;
    const uchar* er = m.encodage[0].data();
    const uchar* eg = m.encodage[1].data();
    const uchar* eb = m.encodage[2].data();
    for (int y = 0; y < image.height() && !arret(y); ++y) {
        auto* ligne = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = ligne[x];
            const float r = lr[qRed(p)], g = lg[qGreen(p)], b = lb[qBlue(p)];
            const QRgb rouge = er[indice(a[0] * r + a[1] * g + a[2] * b)];
            const QRgb vert = eg[indice(a[3] * r + a[4] * g + a[5] * b)];
            const QRgb bleu = eb[indice(a[6] * r + a[7] * g + a[8] * b)];
            ligne[x] = (p & 0xff000000U) | rouge << 16 | vert << 8 | bleu;
        }
    }
}

QMutex verrouEcran;
QByteArray profilEcranCourant;
std::atomic<std::uint64_t> generationEcran{0};
thread_local ConversionDifferee* differee = nullptr;

} // namespace

QByteArray profilEcran() {
    const QMutexLocker l(&verrouEcran);
    return profilEcranCourant;
}

void definirProfilEcran(const QByteArray& profil) {
    const QMutexLocker l(&verrouEcran);
    if (profil == profilEcranCourant) return;
    profilEcranCourant = profil;
    ++generationEcran;
}

std::uint64_t generationProfilEcran() {
    return generationEcran;
}

bool convertirCouleurs(QImage& image, const QByteArray& source, const QByteArray& ecran,
                       const std::atomic<bool>* abandon) {
    if (image.isNull() || (source.isEmpty() && ecran.isEmpty())) return false;
    const Genre g = couleurs::genreDe(source);
    const std::shared_ptr<const Transformation> t = couleurs::transformation(source, ecran, g);
    if (!t) return false;
    switch (g) {
    case Genre::Gris: {
        QImage sortie = convertirGris(image, t->t);
        if (sortie.isNull()) return false;
        image = std::move(sortie);
        return true;
    }
    case Genre::Cmjn:
        if (image.format() != QImage::Format_RGB32) return false;
        convertirCmjn(image, t->t);
        return true;
    case Genre::Rgb:
        break;
    }
    if (image.format() == QImage::Format_Indexed8) {
        // Only its colours change.
        QList<QRgb> table = image.colorTable();
        cmsDoTransform(t->t, table.data(), table.data(), cmsUInt32Number(table.size()));
        image.setColorTable(table);
        return true;
    }
    // Colours are converted unpremultiplied, then given back as they came.
    const QImage::Format f = image.format();
    if (conversionEnCopie(image))
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                              : QImage::Format_RGB32);
    convertirRgb(image, *t, abandon);
    if (f == QImage::Format_ARGB32_Premultiplied) image.convertTo(f);
    return true;
}

void convertirVersEcran(QImage& image, const QByteArray& source) {
    if (differee) {
        // The generation first: a screen changed meanwhile shows as changed.
        differee->generation_ = generationProfilEcran();
        differee->ecran_ = profilEcran();
        differee->source_ = source;
        return;
    }
    const QByteArray ecran = profilEcran();
    if (source.isEmpty() && ecran.isEmpty()) return; // sRGB on sRGB
    convertirCouleurs(image, source, ecran);
}

ConversionDifferee::ConversionDifferee()
    : precedente_(differee)
    , generation_(generationProfilEcran()) {
    differee = this;
}

ConversionDifferee::~ConversionDifferee() {
    differee = precedente_;
}

} // namespace galvia
