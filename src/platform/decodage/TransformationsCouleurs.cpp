#include "TransformationsCouleurs.h"

#include "Couleurs.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <lcms2_plugin.h>

namespace galvia::couleurs {

namespace {

// ---------------------------------------------------------------------------------------
// lcms2: every profile is parsed in a context of its own, its allocations capped and its
// messages silenced.

// Most memory a transform (its profiles, its tables) may take while built and used.
constexpr std::size_t MemoireLcmsMax = std::size_t{256} << 20;

// Each block carries its size ahead of it, for realloc and for the count.
constexpr std::size_t Entete = 16;

void* allouer(cmsContext ctx, cmsUInt32Number taille) {
    auto* c = static_cast<Contexte*>(cmsGetContextUserData(ctx));
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
    if (auto* c = static_cast<Contexte*>(cmsGetContextUserData(ctx))) c->octets.fetch_sub(taille);
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

} // namespace

Contexte::Contexte() {
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
    ctx = cmsCreateContext(&memoire, this);
    if (ctx != nullptr) cmsSetLogErrorHandlerTHR(ctx, silence);
}

Contexte::~Contexte() {
    if (ctx != nullptr) cmsDeleteContext(ctx);
}

Transformation::~Transformation() {
    if (t != nullptr) cmsDeleteTransform(t);
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

} // namespace galvia::couleurs

namespace galvia {

using couleurs::Contexte;
using couleurs::Profil;

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

} // namespace galvia
