#include "Images.h"

#include "BudgetDecodage.h"
#include "Couleurs.h"
#include "MarqueursJpeg.h"
#include "PoolDecodage.h"
#include "platform/Erreurs.h"
#include "platform/Fichiers.h"
#include "platform/NomsOctets.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QScopeGuard>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <new>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace galvia {

void preparerDecodeurs() {
    QImageReader::setAllocationLimit(LimiteAllocationMo);
#ifdef __GLIBC__
    // A decoder's buffers of 4 MiB and more go back to the system when freed. Left to
    // itself, glibc raises its threshold for mapping a buffer of its own after the first
    // large one is freed (up to 32 MiB), and keeps the later ones in each worker's heap,
    // where they stay counted in the process's memory once freed: with many workers the
    // process then outgrew what the decode budget had granted by some 200 MB. Smaller
    // buffers (a jpeg's bytes, a fitted view) stay in the heaps, quick to reuse.
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
#endif
}

namespace {

// A jpeg up to this size is decoded from memory: Qt's reader then hands libjpeg the
// whole compressed stream at once, where a file comes 4 KiB at a time, and libjpeg's
// entropy decoder only takes its fast path with several KiB of data ahead of it.
constexpr qint64 JpegEnMemoireMax = qint64{64} << 20;

// The first `fin` bytes of a file, for a decoder: its reads fail once the decode is
// abandoned.
class AppareilBorne final : public QIODevice {
public:
    AppareilBorne(QFile& fichier, const std::atomic<bool>* abandon)
        : fichier_(fichier)
        , abandon_(abandon) {}
    void borner(qint64 fin) { fin_ = fin; }
    bool abandonne() const { return (abandon_ && abandon_->load()) || decodagesArretes(); }
    bool isSequential() const override { return false; }
    qint64 size() const override { return fin_; }

protected:
    qint64 readData(char* donnees, qint64 max) override {
        if (abandonne()) return -1;
        const qint64 p = pos(); // opened unbuffered: where this read starts
        if (p >= fin_) return 0;
        if (fichier_.pos() != p && !fichier_.seek(p)) return -1;
        return fichier_.read(donnees, std::min(max, fin_ - p));
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QFile& fichier_;
    const std::atomic<bool>* const abandon_;
    qint64 fin_ = 0;
};

// What a reader reads from: the file through its bounds, or its bytes read whole once
// their memory is granted (`aLire`: their number, for a jpeg to be decoded from memory).
struct Source {
    explicit Source(const std::atomic<bool>* abandon)
        : appareil(fichier, abandon) {}
    QFile fichier;
    AppareilBorne appareil;
    qint64 aLire = 0;
    QByteArray octets;
    QBuffer tampon;
    QByteArray profil; // the colour profile the file declares, read with its header
};

bool estJpeg(const QByteArray& debut) {
    return debut.size() >= 3 && quint8(debut[0]) == 0xff && quint8(debut[1]) == 0xd8 &&
           quint8(debut[2]) == 0xff;
}

// A file's bytes for the walk of its markers; none once the decode is abandoned.
OctetsJpeg octetsDuFichier(Source& source, QByteArray& tampon) {
    return [&source, &tampon](std::int64_t position, std::int64_t taille) {
        QFile& f = source.fichier;
        tampon.resize(taille);
        if (source.appareil.abandonne() || !f.seek(position)) return QByteArrayView();
        return QByteArrayView(tampon.constData(),
                              std::max<qint64>(f.read(tampon.data(), taille), 0));
    };
}

// Where a jpeg's bytes end for its decoder, the walk of its markers gone through: a
// jpeg asking for too much work is not a picture.
qint64 finJpeg(const StructureJpeg& s) {
    if (!travailRaisonnable(s)) throw Erreur(ErrImageIncorrecte);
    return s.fin;
}

// Where a GIF's blocks end: just after its trailer, at the first byte that cannot start
// a block, or at the end of the file. Its header, its screen and colour table, then
// extensions and pictures, each made of sub-blocks of at most 255 bytes.
qint64 finGif(QFile& f, qint64 taille) {
    QByteArray t;
    qint64 debut = 0, i = 0;
    const auto octet = [&]() -> int {
        if (i < debut || i >= debut + t.size()) {
            if (i >= taille || !f.seek(i)) return -1;
            t = f.read(qint64{64} << 10);
            debut = i;
            if (t.isEmpty()) return -1;
        }
        return quint8(t[i++ - debut]);
    };
    const auto sousBlocs = [&] {
        for (int n = octet(); n > 0; n = octet())
            i += n;
    };
    const auto table = [&i](int drapeaux) {
        if (drapeaux & 0x80) i += 3 << ((drapeaux & 7) + 1);
    };
    i = 10; // signature, screen width and height
    table(octet());
    i += 2;
    for (;;) {
        const int b = octet();
        if (b < 0 || b == 0x3b) break;
        if (b == 0x21) {
            octet(); // the extension's label
            sousBlocs();
        } else if (b == 0x2c) {
            i += 8; // position and size
            table(octet());
            octet(); // the LZW code size
            sousBlocs();
        } else {
            --i;
            break;
        }
    }
    return std::min(i, taille);
}

// Walks a jpeg read from the file whole, and bounds its device there.
// Its profile is read on the way.
void bornerJpegFichier(Source& source) {
    QByteArray tampon;
    ProfilJpeg p;
    source.appareil.borner(finJpeg(structureJpeg(octetsDuFichier(source, tampon), false,
                                                 [&p](const SegmentJpeg& s) { p.segment(s); })));
    source.profil = p.profil();
}

// Opens a reader on an existing, readable picture file; throws otherwise. The file is
// opened by its exact bytes, and checked on the descriptor opened: a regular file
// (without blocking on a pipe, which would wait for a writer), that one and no other.
// The reader reads it through its bounds. `enMemoire`: a jpeg not too large is to be
// read whole before its decode (see lireEnMemoire; its header alone is read from the
// file, and its scans are walked once in memory); any other jpeg has its scans walked
// here; without `enMemoire` only its header is.
void ouvrir(QImageReader& lecteur, Source& source, const QString& chemin, bool enMemoire) {
    if (source.appareil.abandonne()) throw DecodageAbandonne{};
    const int fd = ouvrirFichier(chemin, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) throw Erreur(erreurDepuisErrno(errno));
    auto fermer = qScopeGuard([fd] { ::close(fd); });
    struct stat st {};
    exigerFichierRegulier(::fstat(fd, &st) == 0 ? st.st_mode : 0);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    QFile& fichier = source.fichier;
    if (!fichier.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered,
                      QFileDevice::AutoCloseHandle))
        throw Erreur(ErrAccesChemin);
    fermer.dismiss();
    const QByteArray debut = fichier.peek(6);
    qint64 fin = st.st_size;
    if (estJpeg(debut)) {
        if (enMemoire && st.st_size <= JpegEnMemoireMax) {
            source.aLire = st.st_size;
        } else if (enMemoire) {
            bornerJpegFichier(source);
            fin = source.appareil.size();
        }
        if (!enMemoire || source.aLire > 0) {
            // The header alone, up to its first scan: no further when it stops short.
            QByteArray tampon;
            ProfilJpeg p;
            const StructureJpeg s = structureJpeg(octetsDuFichier(source, tampon), true,
                                                  [&p](const SegmentJpeg& g) { p.segment(g); });
            if (s.balayages == 0) fin = s.fin;
            source.profil = p.profil();
        }
    } else if (debut.startsWith("GIF87a") || debut.startsWith("GIF89a")) {
        fin = finGif(fichier, st.st_size);
    } else if (debut.startsWith("BM")) {
        source.profil = profilFichier(fichier); // its header, and the profile it points to
    }
    if (!fichier.seek(0)) throw Erreur(ErrAccesChemin);
    source.appareil.borner(fin);
    source.appareil.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    lecteur.setDevice(&source.appareil);
    lecteur.setAutoTransform(true);
    lecteur.setDecideFormatFromContent(true);
    if (!lecteur.canRead()) throw Erreur(ErrImageIncorrecte);
}

// Once the decode's memory is granted, reads a jpeg meant to be decoded from memory
// whole, walks its scans there, and points the reader at its bytes up to their end;
// the header read from the file must still be the picture's.
void lireEnMemoire(QImageReader& lecteur, Source& source) {
    if (source.aLire <= 0) return;
    if (source.appareil.abandonne()) throw DecodageAbandonne{};
    const QSize taille = lecteur.size();
    QFile& fichier = source.fichier;
    if (!fichier.seek(0)) throw Erreur(ErrAccesChemin);
    source.octets = fichier.read(source.aLire + 1);
    if (source.octets.size() == source.aLire) {
        source.octets.truncate(finJpeg(structureJpeg(octetsEnMemoire(source.octets))));
        source.tampon.setBuffer(&source.octets);
        source.tampon.open(QIODevice::ReadOnly);
        lecteur.setDevice(&source.tampon); // a new handler, same settings
    } else {
        // It changed size since it was measured: read it from the file after all.
        source.octets = QByteArray();
        bornerJpegFichier(source);
        if (!source.appareil.seek(0)) throw Erreur(ErrAccesChemin);
        lecteur.setDevice(&source.appareil);
    }
    if (lecteur.size() != taille) throw Erreur(ErrImageIncorrecte); // another picture now
}

// Asks `avant` for the decode's memory, the file's bytes included when they are to be
// read whole, then reads them. A decode beyond the allocation limit is refused; one of
// a reader that gives no size takes the whole limit.
void accorderMemoire(QImageReader& lecteur, Source& source, const AvantDecodage& avant) {
    const std::int64_t octets = lecteur.size().isValid() ? memoireDecodage(lecteur) + source.aLire
                                                         : std::int64_t{LimiteAllocationMo} << 20;
    if (octets > BudgetDecodageOctets) throw Erreur(ErrMemoire);
    if (avant) avant(octets);
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
    // The picture alone in 32 bits; its decode's whole peak is checked before it runs.
    if (4.0 * s.width() * s.height() > double(BudgetDecodageOctets)) throw Erreur(ErrMemoire);
}

// Reads the picture, into `image` when the reader can use it as it is; a decode
// abandoned meanwhile gives nothing.
QImage lire(QImageReader& lecteur, const Source& source, QImage image = {}) {
    const bool lue = lecteur.read(&image);
    if (source.appareil.abandonne()) throw DecodageAbandonne{};
    if (!lue || image.isNull()) throw Erreur(ErrImageIncorrecte);
    if (image.width() > CoteMaximal || image.height() > CoteMaximal) throw Erreur(ErrDepassement);
    convertirVersEcran(image, source.profil); // nothing for sRGB on an sRGB screen
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
        // The innermost loop works on plain pointers and shifts: it runs for every
        // sample, thousands of times a target row.
        const QRgb* const teintes = couleurs.data();
        for (const qint64 y : lignes) {
            const uchar* ligne = source.constScanLine(static_cast<int>(y));
            for (int X = 0; X < W; ++X) {
                const qint64* x = colonnes[X].data();
                const qint64* const fin = x + colonnes[X].size();
                quint64 r = 0, v = 0, b = 0, a = 0;
                for (; x != fin; ++x) {
                    const QRgb c = teintes[ligne[*x]];
                    r += (c >> 16) & 0xff;
                    v += (c >> 8) & 0xff;
                    b += c & 0xff;
                    a += c >> 24;
                }
                std::array<quint64, 4>& somme = sommes[X];
                somme[0] += r;
                somme[1] += v;
                somme[2] += b;
                somme[3] += a;
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
    Source source(nullptr);
    ouvrir(lecteur, source, chemin, false);
    QSize s = tailleAffichee(lecteur);
    if (!s.isValid())
        s = lire(lecteur, source).size(); // a format that gives no size without decoding
    verifierTaille(s);
    return s;
}

QImage chargerReduite(const QString& chemin, QSize taille, const AvantDecodage& avant,
                      const Destination& destination, const std::atomic<bool>* abandon) {
    return chargerVignette(
        chemin, [taille](QSize) { return taille; }, avant, destination, abandon);
}

QImage chargerVignette(const QString& chemin, const std::function<QSize(QSize naturelle)>& taille,
                       const AvantDecodage& avant, const Destination& destination,
                       const std::atomic<bool>* abandon) {
    QImageReader lecteur;
    Source source(abandon);
    ouvrir(lecteur, source, chemin, true);
    const QSize s = tailleAffichee(lecteur);
    if (!s.isValid()) {
        // A format that gives no size without decoding: decoded whole, then scaled.
        accorderMemoire(lecteur, source, avant);
        QImage image = lire(lecteur, source);
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
        const QImage image = lire(lecteur, source);
        if (huitBits(image.format()) && image.size() == s) return reduireHuitBits(image, cible);
        return image.scaled(cible, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    // Only a jpeg writes every pixel of its picture, even when its data ends early.
    if (destination && !lecteur.scaledSize().isValid() && lecteur.format() == "jpeg")
        return lire(lecteur, source, destination(lecteur.size(), lecteur.imageFormat()));
    return lire(lecteur, source);
}

} // namespace galvia
