#include "ProfilsFichiers.h"

#include "Couleurs.h"
#include "MarqueursJpeg.h"

#include <QIODevice>
#include <functional>

namespace galvia {

namespace {

// Reads `n` bytes at `position` of a file; fewer (or none) past its end.
using Lecture = std::function<QByteArray(qint64 position, qint64 n)>;

quint32 lireBE(const QByteArray& o, qsizetype i, int n) {
    quint32 v = 0;
    for (int k = 0; k < n; ++k)
        v = (v << 8) | quint8(o[i + k]);
    return v;
}

quint32 lireLE(const QByteArray& o, qsizetype i, int n) {
    quint32 v = 0;
    for (int k = n - 1; k >= 0; --k)
        v = (v << 8) | quint8(o[i + k]);
    return v;
}

// Whether an EXIF block (a TIFF structure, after "Exif\0\0") says Adobe RGB the way
// cameras do without a profile: ColorSpace "uncalibrated" (0xFFFF) in the Exif IFD, and
// the interoperability index "R03". Every offset is checked against the block.
bool exifAdobeRgb(const QByteArray& tiff) {
    if (tiff.size() < 8) return false;
    const bool le = tiff.startsWith("II*");
    if (!le && !tiff.startsWith("MM\0*")) return false;
    const auto lire = [&](qint64 i, int n) -> qint64 {
        if (i < 0 || i + n > tiff.size()) return -1;
        return le ? lireLE(tiff, i, n) : lireBE(tiff, i, n);
    };
    // The position of the value of `etiquette` in the IFD at `ifd`, or -1.
    const auto chercher = [&](qint64 ifd, quint32 etiquette) -> qint64 {
        const qint64 n = lire(ifd, 2);
        for (qint64 k = 0; k < n; ++k) {
            const qint64 entree = ifd + 2 + 12 * k;
            const qint64 e = lire(entree, 2);
            if (e < 0) return -1;
            if (e == etiquette) return entree + 8;
        }
        return -1;
    };
    const qint64 ifd0 = lire(4, 4);
    const qint64 exif = lire(chercher(ifd0, 0x8769), 4);
    if (exif <= 0 || lire(chercher(exif, 0xa001), 2) != 0xffff) return false;
    const qint64 interop = lire(chercher(exif, 0xa005), 4);
    const qint64 index = chercher(interop, 0x0001);
    return index > 0 && index + 3 <= tiff.size() && tiff.mid(index, 3) == "R03";
}

// A version 5 bmp's embedded profile ('MBED'), placed after its header by an offset from
// the start of that header.
QByteArray profilBmp(const Lecture& lire) {
    const QByteArray tete = lire(0, 14 + 124);
    if (tete.size() < 14 + 124 || lireLE(tete, 14, 4) != 124) return {};
    constexpr quint32 Mbed = 0x4d424544;
    if (lireLE(tete, 14 + 56, 4) != Mbed) return {};
    const qint64 position = lireLE(tete, 14 + 112, 4), taille = lireLE(tete, 14 + 116, 4);
    if (taille <= 0 || taille > ProfilMaximal) return {};
    const QByteArray profil = lire(14 + position, taille);
    return profil.size() == taille ? profil : QByteArray();
}

bool estJpeg(const QByteArray& debut) {
    return debut.size() == 3 && quint8(debut[0]) == 0xff && quint8(debut[1]) == 0xd8 &&
           quint8(debut[2]) == 0xff;
}

// The profile of the file `lire` reads; `octets` gives the same bytes to the jpeg walk.
QByteArray profilLu(const Lecture& lire, const OctetsJpeg& octets) {
    const QByteArray debut = lire(0, 3);
    if (estJpeg(debut)) {
        ParcoursJpeg parcours(octets);
        ProfilJpeg p;
        while (const std::optional<SegmentJpeg> s = parcours.suivant()) {
            if (s->marqueur == 0xda) break; // the compressed data: no profile beyond
            p.segment(*s);
        }
        return p.profil();
    }
    if (debut.startsWith("BM")) return profilBmp(lire);
    return {};
}

} // namespace

void ProfilJpeg::segment(const SegmentJpeg& s) {
    static const QByteArrayView icc("ICC_PROFILE\0", 12);
    static const QByteArrayView exif("Exif\0\0", 6);
    if (s.marqueur == 0xda) donnees_ = true;
    if (donnees_ || tropGrand_) return;
    const QByteArrayView d = s.contenu;
    if (s.marqueur == 0xe2 && d.size() > 14 && d.startsWith(icc)) {
        const int seq = quint8(d[12]);
        nombre_ = quint8(d[13]);
        total_ += d.size() - 14;
        tropGrand_ = total_ > ProfilMaximal;
        morceaux_[seq] = tropGrand_ ? QByteArray() : d.sliced(14).toByteArray();
    } else if (s.marqueur == 0xe1 && !exifLu_ && d.startsWith(exif)) {
        exifLu_ = true;
        adobe_ = exifAdobeRgb(d.sliced(exif.size()).toByteArray());
    }
}

QByteArray ProfilJpeg::profil() const {
    if (tropGrand_) return {};
    if (morceaux_.empty()) return adobe_ ? profilAdobeRgb() : QByteArray();
    QByteArray profil;
    int attendu = 1;
    for (const auto& [seq, morceau] : morceaux_) {
        if (seq != attendu++) return {};
        profil += morceau;
    }
    return attendu - 1 == nombre_ ? profil : QByteArray();
}

QByteArray profilFichier(const QByteArray& octets) {
    return profilLu(
        [&octets](qint64 position, qint64 n) {
            return position < 0 || position >= octets.size() ? QByteArray()
                                                             : octets.mid(position, n);
        },
        octetsEnMemoire(octets));
}

QByteArray profilFichier(QIODevice& fichier) {
    const qint64 avant = fichier.pos();
    const Lecture lire = [&fichier](qint64 position, qint64 n) {
        return fichier.seek(position) ? fichier.read(n) : QByteArray();
    };
    QByteArray tampon;
    QByteArray profil = profilLu(lire, [&](std::int64_t position, std::int64_t taille) {
        tampon = lire(position, taille);
        return QByteArrayView(tampon);
    });
    fichier.seek(avant);
    return profil;
}

} // namespace galvia
