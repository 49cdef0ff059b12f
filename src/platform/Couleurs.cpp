#include "Couleurs.h"

#include <QHash>
#include <QIODevice>
#include <QMutex>
#include <QMutexLocker>
#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <lcms2.h>
#include <lcms2_plugin.h>
#include <map>
#include <vector>

namespace galvia {

namespace {

// ---------------------------------------------------------------------------------------
// Reading a file's declared colour space.

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

// A jpeg's profile: its APP2 "ICC_PROFILE" segments (each with its sequence number and
// the number of segments) up to its compressed data, joined in sequence order; Adobe RGB
// for an EXIF R03 mark without profile (in the first EXIF segment). A profile missing a
// segment, or too large, is none. Reads the profile's segments and the EXIF one, and only
// the marker of any other, of at most SegmentsMax segments.
QByteArray profilJpeg(const Lecture& lire) {
    constexpr int SegmentsMax = 4096;
    static const QByteArray icc("ICC_PROFILE\0", 12);
    static const QByteArray exif("Exif\0\0", 6);
    std::map<int, QByteArray> morceaux;
    int nombre = 0;
    qint64 total = 0;
    bool adobe = false, exifLu = false;
    qint64 pos = 2;
    for (int n = 0; n < SegmentsMax; ++n) {
        const QByteArray tete = lire(pos, 4);
        if (tete.size() < 4 || quint8(tete[0]) != 0xff) break;
        const int marqueur = quint8(tete[1]);
        if (marqueur == 0xff) { // fill byte
            ++pos;
            continue;
        }
        if (marqueur == 0xda || marqueur == 0xd9) break; // compressed data, or the end
        const qint64 longueur = lireBE(tete, 2, 2);
        if (longueur < 2) break;
        if (marqueur == 0xe2 && longueur > 16 && lire(pos + 4, icc.size()) == icc) {
            const QByteArray d = lire(pos + 4, longueur - 2);
            if (d.size() <= 14) break;
            const int seq = quint8(d[12]);
            nombre = quint8(d[13]);
            total += d.size() - 14;
            if (total > ProfilMaximal) return {};
            morceaux[seq] = d.mid(14);
        } else if (marqueur == 0xe1 && !exifLu && lire(pos + 4, exif.size()) == exif) {
            exifLu = true;
            adobe = exifAdobeRgb(lire(pos + 4 + exif.size(), longueur - 2 - exif.size()));
        }
        pos += 2 + longueur;
    }
    if (morceaux.empty()) return adobe ? profilAdobeRgb() : QByteArray();
    QByteArray profil;
    int attendu = 1;
    for (const auto& [seq, morceau] : morceaux) {
        if (seq != attendu++) return {};
        profil += morceau;
    }
    return attendu - 1 == nombre ? profil : QByteArray();
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

QByteArray profilLu(const Lecture& lire) {
    const QByteArray debut = lire(0, 3);
    if (debut.size() == 3 && quint8(debut[0]) == 0xff && quint8(debut[1]) == 0xd8 &&
        quint8(debut[2]) == 0xff)
        return profilJpeg(lire);
    if (debut.startsWith("BM")) return profilBmp(lire);
    return {};
}

// ---------------------------------------------------------------------------------------
// lcms2: every profile is parsed in a context of its own, its allocations capped and its
// messages silenced.

// Most memory a transform (its profiles, its tables) may take while built and used.
constexpr std::size_t MemoireLcmsMax = std::size_t{256} << 20;

struct Comptage {
    std::atomic<std::size_t> octets{0};
};

// Each block carries its size ahead of it, for realloc and for the count.
constexpr std::size_t Entete = 16;

void* allouer(cmsContext ctx, cmsUInt32Number taille) {
    auto* c = static_cast<Comptage*>(cmsGetContextUserData(ctx));
    if (c != nullptr && c->octets.fetch_add(taille) + taille > MemoireLcmsMax) {
        c->octets.fetch_sub(taille);
        return nullptr;
    }
    auto* bloc = static_cast<char*>(std::malloc(taille + Entete));
    if (bloc == nullptr) {
        if (c != nullptr) c->octets.fetch_sub(taille);
        return nullptr;
    }
    std::memcpy(bloc, &taille, sizeof taille);
    return bloc + Entete;
}

void liberer(cmsContext ctx, void* p) {
    if (p == nullptr) return;
    char* bloc = static_cast<char*>(p) - Entete;
    cmsUInt32Number taille = 0;
    std::memcpy(&taille, bloc, sizeof taille);
    if (auto* c = static_cast<Comptage*>(cmsGetContextUserData(ctx))) c->octets.fetch_sub(taille);
    std::free(bloc);
}

void* reallouer(cmsContext ctx, void* p, cmsUInt32Number taille) {
    void* nouveau = allouer(ctx, taille);
    if (nouveau == nullptr || p == nullptr) return nouveau;
    cmsUInt32Number ancienne = 0;
    std::memcpy(&ancienne, static_cast<char*>(p) - Entete, sizeof ancienne);
    std::memcpy(nouveau, p, std::min(ancienne, taille));
    liberer(ctx, p);
    return nouveau;
}

void silence(cmsContext, cmsUInt32Number, const char*) {}

// A context with its own memory count; deleted with what it made.
struct Contexte {
    Comptage comptage;
    cmsContext ctx = nullptr;
    Contexte() {
        static cmsPluginMemHandler memoire = [] {
            cmsPluginMemHandler m{};
            m.base.Magic = cmsPluginMagicNumber;
            m.base.ExpectedVersion = 2000;
            m.base.Type = cmsPluginMemHandlerSig;
            m.MallocPtr = allouer;
            m.FreePtr = liberer;
            m.ReallocPtr = reallouer;
            return m;
        }();
        ctx = cmsCreateContext(&memoire, &comptage);
        if (ctx != nullptr) cmsSetLogErrorHandlerTHR(ctx, silence);
    }
    ~Contexte() {
        if (ctx != nullptr) cmsDeleteContext(ctx);
    }
    Contexte(const Contexte&) = delete;
    Contexte& operator=(const Contexte&) = delete;
};

struct Profil {
    cmsHPROFILE p = nullptr;
    explicit Profil(cmsHPROFILE h)
        : p(h) {}
    ~Profil() {
        if (p != nullptr) cmsCloseProfile(p);
    }
    Profil(const Profil&) = delete;
    Profil& operator=(const Profil&) = delete;
};

// What a decoded picture holds, hence how its pixels go to lcms2.
enum class Genre { Rgb, Gris, Cmjn };

// Between two matrix-and-curves RGB profiles (nearly every photo and screen), the
// conversion lcms2 does, its curves and matrices read from the profiles, without its
// per-pixel dispatch: each byte's linear value, a 3 x 3 matrix from the file's RGB to the
// screen's through XYZ, then the screen's curve inverted, sampled at EntreesEncodage
// points (14 bits of linear light: off by a unit or two only in the very darkest codes of
// a pure gamma curve, and small enough to stay in cache; a table over the square root
// would be exact there but costs a third more time).
struct MatriceCourbes {
    std::array<std::array<float, 256>, 3> lineaire;
    std::array<float, 9> matrice;
    std::array<std::vector<uchar>, 3> encodage;
};

constexpr int EntreesEncodage = 16384;

// A transform and the context it lives in.
struct Transformation {
    Contexte contexte;
    cmsHTRANSFORM t = nullptr;
    std::unique_ptr<MatriceCourbes> rapide; // for 32-bit RGB pictures, when it applies
    ~Transformation() {
        if (t != nullptr) cmsDeleteTransform(t);
    }
};

// Signatures are read as numbers: a profile may hold any value where lcms2's enumerations
// list only the known ones.
bool estSource(cmsHPROFILE p) {
    const cmsUInt32Number e = cmsGetColorSpace(p);
    const cmsUInt32Number c = cmsGetDeviceClass(p);
    return (e == cmsSigRgbData || e == cmsSigGrayData || e == cmsSigCmykData) &&
           (c == cmsSigInputClass || c == cmsSigDisplayClass || c == cmsSigOutputClass ||
            c == cmsSigColorSpaceClass);
}

bool estEcran(cmsHPROFILE p) {
    const cmsUInt32Number c = cmsGetDeviceClass(p);
    return cmsGetColorSpace(p) == cmsSigRgbData &&
           (c == cmsSigDisplayClass || c == cmsSigOutputClass);
}

// Whether an RGB profile is sRGB as far as 8-bit pixels can tell: a matrix and curves
// within a few thousandths of sRGB's. Such a profile is treated as sRGB (no conversion).
bool commeSrgb(cmsContext ctx, cmsHPROFILE p) {
    if (cmsGetColorSpace(p) != cmsSigRgbData || !cmsIsMatrixShaper(p)) return false;
    const Profil srgb(cmsCreate_sRGBProfileTHR(ctx));
    if (srgb.p == nullptr) return false;
    constexpr std::array colorants{cmsSigRedColorantTag, cmsSigGreenColorantTag,
                                   cmsSigBlueColorantTag};
    constexpr std::array courbes{cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto* a = static_cast<const cmsCIEXYZ*>(cmsReadTag(p, colorants[i]));
        const auto* b = static_cast<const cmsCIEXYZ*>(cmsReadTag(srgb.p, colorants[i]));
        const auto* ca = static_cast<const cmsToneCurve*>(cmsReadTag(p, courbes[i]));
        const auto* cb = static_cast<const cmsToneCurve*>(cmsReadTag(srgb.p, courbes[i]));
        if (!a || !b || !ca || !cb) return false;
        if (std::abs(a->X - b->X) > 0.003 || std::abs(a->Y - b->Y) > 0.003 ||
            std::abs(a->Z - b->Z) > 0.003)
            return false;
        for (int k = 0; k <= 32; ++k) {
            const float v = float(k) / 32;
            if (std::abs(cmsEvalToneCurveFloat(ca, v) - cmsEvalToneCurveFloat(cb, v)) > 0.003f)
                return false;
        }
    }
    return true;
}

cmsUInt32Number formatEntree(Genre g) {
    switch (g) {
    case Genre::Rgb:
        return TYPE_BGRA_8;
    case Genre::Gris:
        return TYPE_GRAY_8;
    case Genre::Cmjn:
        return TYPE_CMYK_8_REV;
    }
    return 0;
}

using Matrice = std::array<double, 9>;

Matrice produit(const Matrice& a, const Matrice& b) {
    Matrice r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k)
                r[3 * i + j] += a[3 * i + k] * b[3 * k + j];
    return r;
}

// A profile's RGB to XYZ (D50) matrix, from its colorants; false without them.
bool matriceVersXyz(cmsHPROFILE p, Matrice& m) {
    constexpr std::array tags{cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag};
    for (int c = 0; c < 3; ++c) {
        const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(p, tags[std::size_t(c)]));
        if (xyz == nullptr) return false;
        m[c] = xyz->X;
        m[3 + c] = xyz->Y;
        m[6 + c] = xyz->Z;
    }
    return true;
}

// False when `m` cannot be inverted.
bool inverser(const Matrice& m, Matrice& r) {
    const double det = m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
                       m[2] * (m[3] * m[7] - m[4] * m[6]);
    if (!std::isfinite(det) || std::abs(det) < 1e-9) return false;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const int a = (j + 1) % 3, b = (j + 2) % 3, c = (i + 1) % 3, d = (i + 2) % 3;
            r[3 * i + j] = (m[3 * a + c] * m[3 * b + d] - m[3 * a + d] * m[3 * b + c]) / det;
        }
    return true;
}

// The tables of MatriceCourbes, when both profiles are made of a matrix and curves; null
// otherwise (lcms2's transform then does the work).
std::unique_ptr<MatriceCourbes> matriceCourbes(cmsHPROFILE de, cmsHPROFILE vers) {
    if (!cmsIsMatrixShaper(de) || !cmsIsMatrixShaper(vers) || cmsGetColorSpace(de) != cmsSigRgbData)
        return {};
    Matrice mDe{}, mVers{}, inverse{};
    if (!matriceVersXyz(de, mDe) || !matriceVersXyz(vers, mVers) || !inverser(mVers, inverse))
        return {};
    auto m = std::make_unique<MatriceCourbes>();
    const Matrice combinee = produit(inverse, mDe);
    for (std::size_t i = 0; i < 9; ++i)
        m->matrice[i] = float(combinee[i]);
    constexpr std::array courbes{cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
    for (std::size_t c = 0; c < 3; ++c) {
        const auto* entree = static_cast<const cmsToneCurve*>(cmsReadTag(de, courbes[c]));
        const auto* sortie = static_cast<const cmsToneCurve*>(cmsReadTag(vers, courbes[c]));
        if (entree == nullptr || sortie == nullptr) return {};
        for (int i = 0; i < 256; ++i)
            m->lineaire[c][std::size_t(i)] = cmsEvalToneCurveFloat(entree, float(i) / 255);
        cmsToneCurve* inversee = cmsReverseToneCurve(sortie);
        if (inversee == nullptr) return {};
        m->encodage[c].resize(EntreesEncodage);
        for (int k = 0; k < EntreesEncodage; ++k) {
            const float v = cmsEvalToneCurveFloat(inversee, float(k) / (EntreesEncodage - 1));
            m->encodage[c][std::size_t(k)] = uchar(std::lround(std::clamp(v, 0.0f, 1.0f) * 255));
        }
        cmsFreeToneCurve(inversee);
    }
    return m;
}

// Builds the transform from `source` (empty: sRGB) to the screen's `ecran` (empty:
// sRGB) for pictures of genre `g`; null when there is nothing to do or a profile is
// ignored.
std::shared_ptr<const Transformation> construire(const QByteArray& source, const QByteArray& ecran,
                                                 Genre g) {
    if (source.size() > ProfilMaximal || ecran.size() > ProfilMaximal) return {};
    auto t = std::make_shared<Transformation>();
    const cmsContext ctx = t->contexte.ctx;
    if (ctx == nullptr) return {};
    const auto ouvrir = [ctx](const QByteArray& o) {
        return o.isEmpty()
                   ? cmsCreate_sRGBProfileTHR(ctx)
                   : cmsOpenProfileFromMemTHR(ctx, o.constData(), cmsUInt32Number(o.size()));
    };
    const Profil de(ouvrir(source)), vers(ouvrir(ecran));
    if (de.p == nullptr || !estSource(de.p)) return {};
    if (vers.p == nullptr || !estEcran(vers.p)) {
        if (ecran.isEmpty()) return {};
        return construire(source, {}, g); // a screen profile ignored is sRGB
    }
    const bool srgbDe = source.isEmpty() || commeSrgb(ctx, de.p);
    const bool srgbVers = ecran.isEmpty() || commeSrgb(ctx, vers.p);
    if ((srgbDe && srgbVers) || source == ecran) return {};
    const cmsUInt32Number espace = cmsGetColorSpace(de.p);
    const bool accorde = (g == Genre::Gris) == (espace == cmsSigGrayData) &&
                         (g == Genre::Cmjn) == (espace == cmsSigCmykData);
    if (!accorde) return {};
    const bool perceptif = cmsIsIntentSupported(de.p, INTENT_PERCEPTUAL, LCMS_USED_AS_INPUT) &&
                           cmsIsIntentSupported(vers.p, INTENT_PERCEPTUAL, LCMS_USED_AS_OUTPUT);
    // Without its one-pixel cache, a transform is used by several threads at once.
    const cmsUInt32Number options = cmsFLAGS_NOCACHE | (g == Genre::Rgb ? cmsFLAGS_COPY_ALPHA : 0);
    t->t = cmsCreateTransformTHR(ctx, de.p, formatEntree(g), vers.p, TYPE_BGRA_8,
                                 perceptif ? INTENT_PERCEPTUAL : INTENT_RELATIVE_COLORIMETRIC,
                                 options);
    if (t->t == nullptr) return {};
    if (g == Genre::Rgb) t->rapide = matriceCourbes(de.p, vers.p);
    return t;
}

// Transforms made, per pair of profiles and genre of picture. Null: nothing to do.
struct Cle {
    QByteArray source, ecran;
    Genre genre;
    bool operator==(const Cle&) const = default;
};

size_t qHash(const Cle& c, size_t graine = 0) {
    return qHashMulti(graine, c.source, c.ecran, int(c.genre));
}

std::shared_ptr<const Transformation> transformation(const QByteArray& source,
                                                     const QByteArray& ecran, Genre g) {
    static QMutex verrou;
    static QHash<Cle, std::shared_ptr<const Transformation>> cache;
    constexpr qsizetype CacheMax = 32;
    const Cle cle{source, ecran, g};
    {
        const QMutexLocker l(&verrou);
        const auto i = cache.constFind(cle);
        if (i != cache.constEnd()) return *i;
    }
    // Built unlocked: another worker's picture need not wait for this one's profiles.
    std::shared_ptr<const Transformation> t = construire(source, ecran, g);
    const QMutexLocker l(&verrou);
    if (cache.size() >= CacheMax) cache.clear();
    cache.insert(cle, t);
    return t;
}

// The genre a picture is given to lcms2 as, the source profile's colour space deciding
// between grey, CMYK and RGB (`espace`: its 4 signature bytes, at offset 16 of a profile).
Genre genreDe(const QByteArray& source) {
    const QByteArray espace = source.size() >= 20 ? source.mid(16, 4) : QByteArray("RGB ");
    if (espace == "GRAY") return Genre::Gris;
    if (espace == "CMYK") return Genre::Cmjn;
    return Genre::Rgb;
}

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
    return std::size_t(std::clamp(v, 0.0f, 1.0f) * (EntreesEncodage - 1) + 0.5f);
}

// Converts the 32-bit pixels of `image` in place, row by row.
void convertirRgb(QImage& image, const Transformation& t) {
    if (!t.rapide) {
        for (int y = 0; y < image.height(); ++y) {
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
    for (int y = 0; y < image.height(); ++y) {
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

QByteArray profilFichier(const QByteArray& octets) {
    return profilLu([&octets](qint64 position, qint64 n) {
        return position < 0 || position >= octets.size() ? QByteArray() : octets.mid(position, n);
    });
}

QByteArray profilFichier(QIODevice& fichier) {
    const qint64 avant = fichier.pos();
    QByteArray profil = profilLu([&fichier](qint64 position, qint64 n) {
        return fichier.seek(position) ? fichier.read(n) : QByteArray();
    });
    fichier.seek(avant);
    return profil;
}

const QByteArray& profilAdobeRgb() {
    static const QByteArray profil = [] {
        const Contexte c;
        const cmsCIExyY blanc{0.3127, 0.3290, 1.0};
        const cmsCIExyYTRIPLE primaires{{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
        cmsToneCurve* gamma = cmsBuildGamma(c.ctx, 563.0 / 256.0);
        std::array<cmsToneCurve*, 3> courbes{gamma, gamma, gamma};
        const Profil p(cmsCreateRGBProfileTHR(c.ctx, &blanc, &primaires, courbes.data()));
        cmsFreeToneCurve(gamma);
        QByteArray octets;
        cmsUInt32Number taille = 0;
        if (p.p == nullptr || !cmsSaveProfileToMem(p.p, nullptr, &taille)) return octets;
        octets.resize(taille);
        if (!cmsSaveProfileToMem(p.p, octets.data(), &taille)) octets.clear();
        return octets;
    }();
    return profil;
}

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

bool convertirCouleurs(QImage& image, const QByteArray& source, const QByteArray& ecran) {
    if (image.isNull() || (source.isEmpty() && ecran.isEmpty())) return false;
    const Genre g = genreDe(source);
    const std::shared_ptr<const Transformation> t = transformation(source, ecran, g);
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
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32)
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                              : QImage::Format_RGB32);
    convertirRgb(image, *t);
    if (f == QImage::Format_ARGB32_Premultiplied) image.convertTo(f);
    return true;
}

void convertirVersEcran(QImage& image, QIODevice& fichier) {
    if (differee) {
        // The generation first: a screen changed meanwhile shows as changed.
        differee->generation_ = generationProfilEcran();
        differee->ecran_ = profilEcran();
        differee->source_ = profilFichier(fichier);
        return;
    }
    const QByteArray ecran = profilEcran();
    const QByteArray source = profilFichier(fichier);
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
