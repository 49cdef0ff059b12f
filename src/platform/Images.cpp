#include "Images.h"

#include "BudgetDecodage.h"
#include "Couleurs.h"
#include "Erreurs.h"
#include "NomsOctets.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QScopeGuard>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace galvia {

void preparerDecodeurs() {
    QImageReader::setAllocationLimit(LimiteAllocationMo);
}

namespace {

// A jpeg up to this size is decoded from memory: Qt's reader then hands libjpeg the
// whole compressed stream at once, where a file comes 4 KiB at a time, and libjpeg's
// entropy decoder only takes its fast path with several KiB of data ahead of it.
constexpr qint64 JpegEnMemoireMax = qint64{64} << 20;

// What a reader reads from: the file, or its bytes read whole once their memory is
// granted (`aLire`: their number, for a jpeg to be decoded from memory).
struct Source {
    QFile fichier;
    qint64 aLire = 0;
    QByteArray octets;
    QBuffer tampon;
};

bool estJpeg(const QByteArray& debut) {
    return debut.size() >= 3 && quint8(debut[0]) == 0xff && quint8(debut[1]) == 0xd8 &&
           quint8(debut[2]) == 0xff;
}

// Opens a reader on an existing, readable picture file; throws otherwise. The file is
// opened by its exact bytes, and checked on the descriptor opened: a regular file
// (without blocking on a pipe, which would wait for a writer), that one and no other.
// `enMemoire`: a jpeg not too large is to be read whole before its decode (see
// lireEnMemoire; a header alone is read from the file).
void ouvrir(QImageReader& lecteur, Source& source, const QString& chemin, bool enMemoire) {
    const int fd =
        ::open(cheminSysteme(chemin).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) throw Erreur(erreurDepuisErrno(errno));
    auto fermer = qScopeGuard([fd] { ::close(fd); });
    struct stat st {};
    exigerFichierRegulier(::fstat(fd, &st) == 0 ? st.st_mode : 0);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    QFile& fichier = source.fichier;
    if (!fichier.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        throw Erreur(ErrAccesChemin);
    fermer.dismiss();
    if (enMemoire && st.st_size <= JpegEnMemoireMax && estJpeg(fichier.peek(3)))
        source.aLire = st.st_size;
    lecteur.setDevice(&fichier);
    lecteur.setAutoTransform(true);
    lecteur.setDecideFormatFromContent(true);
    if (!lecteur.canRead()) throw Erreur(ErrImageIncorrecte);
}

// Once the decode's memory is granted, reads a jpeg meant to be decoded from memory
// whole, and points the reader at its bytes; the header read from the file must still be
// the picture's.
void lireEnMemoire(QImageReader& lecteur, Source& source) {
    if (source.aLire <= 0) return;
    const QSize taille = lecteur.size();
    QFile& fichier = source.fichier;
    if (!fichier.seek(0)) throw Erreur(ErrAccesChemin);
    source.octets = fichier.read(source.aLire + 1);
    if (source.octets.size() == source.aLire) {
        source.tampon.setBuffer(&source.octets);
        source.tampon.open(QIODevice::ReadOnly);
        lecteur.setDevice(&source.tampon); // a new handler, same settings
    } else {
        // It changed size since it was measured: read it from the file after all.
        source.octets = QByteArray();
        if (!fichier.seek(0)) throw Erreur(ErrAccesChemin);
        lecteur.setDevice(&fichier);
    }
    if (lecteur.size() != taille) throw Erreur(ErrImageIncorrecte); // another picture now
}

// Asks `avant` for the decode's memory, the file's bytes included when they are to be
// read whole, then reads them.
void accorderMemoire(QImageReader& lecteur, Source& source, const AvantDecodage& avant) {
    if (avant) avant(memoireDecodage(lecteur) + source.aLire);
    lireEnMemoire(lecteur, source);
}

QSize tailleAffichee(QImageReader& lecteur) {
    QSize s = lecteur.size();
    if (!s.isValid()) return s;
    if (lecteur.transformation() & QImageIOHandler::TransformationRotate90) s.transpose();
    return s;
}

void verifierTaille(QSize s) {
    if (!s.isValid() || s.isEmpty()) throw Erreur(ErrImageIncorrecte);
    if (s.width() > CoteMaximal || s.height() > CoteMaximal) throw Erreur(ErrDepassement);
    const double octets = 4.0 * s.width() * s.height();
    if (octets > LimiteAllocationMo * 1024.0 * 1024.0) throw Erreur(ErrMemoire);
}

// Reads the picture, into `image` when the reader can use it as it is.
QImage lire(QImageReader& lecteur, QImage image = {}) {
    if (!lecteur.read(&image) || image.isNull()) throw Erreur(ErrImageIncorrecte);
    if (image.width() > CoteMaximal || image.height() > CoteMaximal) throw Erreur(ErrDepassement);
    convertirVersEcran(image, *lecteur.device()); // nothing for sRGB on an sRGB screen
    return image;
}

// A format read in 8 bits a pixel, shrunk by reduireHuitBits rather than converted to
// 32 bits whole first.
bool huitBits(QImage::Format f) {
    return f == QImage::Format_Indexed8 || f == QImage::Format_Grayscale8;
}

} // namespace

QImage reduireHuitBits(const QImage& source, QSize cible) {
    const qint64 w = source.width(), h = source.height();
    const int W = cible.width(), H = cible.height();
    if (!huitBits(source.format()) || W < 1 || H < 1 || W > w || H > h) return {};
    // The colour of each 8-bit value, premultiplied so that transparent pixels weigh
    // nothing in an average; a value beyond the colour table is black.
    std::array<QRgb, 256> couleurs{};
    const QList<QRgb> table = source.colorTable();
    for (int i = 0; i < 256; ++i)
        couleurs[i] = source.format() == QImage::Format_Grayscale8 ? qRgb(i, i, i)
                      : i < table.size()                           ? qPremultiply(table[i])
                                                                   : qRgb(0, 0, 0);
    QImage sortie(cible, source.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                  : QImage::Format_RGB32);
    if (sortie.isNull()) throw std::bad_alloc();
    // The source columns and rows each target pixel averages: all those it covers, or
    // EchantillonsMax of them evenly spread when it covers more, so that the work
    // follows the target's size rather than the source's.
    constexpr qint64 EchantillonsMax = 16;
    const auto echantillons = [](qint64 debut, qint64 fin) {
        std::vector<qint64> e;
        const qint64 n = fin - debut;
        if (n <= EchantillonsMax) {
            for (qint64 i = debut; i < fin; ++i)
                e.push_back(i);
        } else {
            for (qint64 i = 0; i < EchantillonsMax; ++i)
                e.push_back(debut + (2 * i + 1) * n / (2 * EchantillonsMax));
        }
        return e;
    };
    std::vector<std::vector<qint64>> colonnes(W);
    for (int X = 0; X < W; ++X)
        colonnes[X] = echantillons(X * w / W, (X + 1) * w / W);
    std::vector<std::array<quint64, 4>> sommes(W);
    for (int Y = 0; Y < H; ++Y) {
        const std::vector<qint64> lignes = echantillons(Y * h / H, (Y + 1) * h / H);
        std::fill(sommes.begin(), sommes.end(), std::array<quint64, 4>{});
        for (const qint64 y : lignes) {
            const uchar* ligne = source.constScanLine(static_cast<int>(y));
            for (int X = 0; X < W; ++X) {
                std::array<quint64, 4>& somme = sommes[X];
                for (const qint64 x : colonnes[X]) {
                    const QRgb c = couleurs[ligne[x]];
                    somme[0] += qRed(c);
                    somme[1] += qGreen(c);
                    somme[2] += qBlue(c);
                    somme[3] += qAlpha(c);
                }
            }
        }
        auto* sortieLigne = reinterpret_cast<QRgb*>(sortie.scanLine(Y));
        for (int X = 0; X < W; ++X) {
            const quint64 n = quint64(colonnes[X].size()) * lignes.size();
            const auto moyenne = [n](quint64 somme) {
                return static_cast<int>((somme + n / 2) / n);
            };
            const std::array<quint64, 4>& somme = sommes[X];
            sortieLigne[X] =
                qRgba(moyenne(somme[0]), moyenne(somme[1]), moyenne(somme[2]), moyenne(somme[3]));
        }
    }
    return sortie;
}

bool decodeEnHuitBits(QImageReader& lecteur) {
    const QSize s = lecteur.size(), cible = lecteur.scaledSize();
    return cible.isValid() && !cible.isEmpty() && s.isValid() && cible.width() < s.width() &&
           cible.height() < s.height() && !lecteur.supportsOption(QImageIOHandler::ScaledSize) &&
           huitBits(lecteur.imageFormat());
}

QImage chargerImage(const QString& chemin) {
    return chargerReduite(chemin, {});
}

QSize tailleNaturelle(const QString& chemin) {
    QImageReader lecteur;
    Source source;
    ouvrir(lecteur, source, chemin, false);
    QSize s = tailleAffichee(lecteur);
    if (!s.isValid()) s = lire(lecteur).size(); // a format that gives no size without decoding
    verifierTaille(s);
    return s;
}

QImage chargerReduite(const QString& chemin, QSize taille, const AvantDecodage& avant,
                      const Destination& destination) {
    return chargerVignette(
        chemin, [taille](QSize) { return taille; }, avant, destination);
}

QImage chargerVignette(const QString& chemin, const std::function<QSize(QSize naturelle)>& taille,
                       const AvantDecodage& avant, const Destination& destination) {
    QImageReader lecteur;
    Source source;
    ouvrir(lecteur, source, chemin, true);
    const QSize s = tailleAffichee(lecteur);
    if (!s.isValid()) {
        // A format that gives no size without decoding: decoded whole, then scaled.
        accorderMemoire(lecteur, source, avant);
        QImage image = lire(lecteur);
        verifierTaille(image.size());
        const QSize cible = taille(image.size());
        if (!cible.isValid() || cible.isEmpty() || cible == image.size()) return image;
        return image.scaled(cible, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    verifierTaille(s);
    const QSize cible = taille(s);
    if (cible.isValid() && !cible.isEmpty()) {
        // The scaled size applies before the orientation is applied.
        QSize demandee = cible;
        if (lecteur.transformation() & QImageIOHandler::TransformationRotate90)
            demandee.transpose();
        lecteur.setScaledSize(demandee);
    }
    accorderMemoire(lecteur, source, avant);
    if (decodeEnHuitBits(lecteur)) {
        // Read in its own 8 bits, then shrunk straight to the target (orientation applied).
        lecteur.setScaledSize(QSize());
        const QImage image = lire(lecteur);
        if (huitBits(image.format()) && image.size() == s) return reduireHuitBits(image, cible);
        return image.scaled(cible, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    // Only a jpeg writes every pixel of its picture, even when its data ends early.
    if (destination && !lecteur.scaledSize().isValid() && lecteur.format() == "jpeg")
        return lire(lecteur, destination(lecteur.size(), lecteur.imageFormat()));
    return lire(lecteur);
}

} // namespace galvia
