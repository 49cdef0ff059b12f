// Colour management: pixels converted between colour spaces as their definitions
// (primaries, white points, transfer curves) say, the maths done here; the profile a file
// declares (jpeg segments, EXIF R03) reaching the decode; nothing touched where there is
// nothing to do or a profile cannot be trusted; the viewer's views and the sheet's
// thumbnails in the screen's colours, the desktop's thumbnails in sRGB.
#include "support/Banc.h"
#include "support/MainTest.h"

#include "platform/Touches.h"
#include "platform/decodage/Anticipation.h"
#include "platform/decodage/CacheVignettes.h"
#include "platform/decodage/Couleurs.h"
#include "platform/decodage/Images.h"
#include "platform/decodage/PoolDecodage.h"

#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QTest>
#include <array>
#include <chrono>
#include <cmath>
#include <lcms2.h>

using namespace galvia;

namespace {

// ---- The colour spaces, from their standards.

using Vec = std::array<double, 3>;
using Mat = std::array<Vec, 3>;

enum class Courbe { Srgb, Gamma };

struct Espace {
    std::array<double, 6> primaires; // red, green, blue chromaticities x, y
    std::array<double, 2> blanc;     // white point x, y
    Courbe courbe;
    double gamma;
};

constexpr std::array<double, 2> D65{0.3127, 0.3290}, D50{0.3457, 0.3585};
const Espace Srgb{{0.64, 0.33, 0.30, 0.60, 0.15, 0.06}, D65, Courbe::Srgb, 0};
const Espace AdobeRgb{{0.64, 0.33, 0.21, 0.71, 0.15, 0.06}, D65, Courbe::Gamma, 563.0 / 256};
const Espace ProPhoto{{0.7347, 0.2653, 0.1596, 0.8404, 0.0366, 0.0001}, D50, Courbe::Gamma, 1.8};

Vec operator*(const Mat& m, const Vec& v) {
    Vec r{};
    for (int i = 0; i < 3; ++i)
        r[i] = m[i][0] * v[0] + m[i][1] * v[1] + m[i][2] * v[2];
    return r;
}

Mat operator*(const Mat& a, const Mat& b) {
    Mat r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j];
    return r;
}

Mat inverse(const Mat& m) {
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    Mat r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const int a = (j + 1) % 3, b = (j + 2) % 3, c = (i + 1) % 3, d = (i + 2) % 3;
            r[i][j] = (m[a][c] * m[b][d] - m[a][d] * m[b][c]) / det;
        }
    return r;
}

Vec xyz(double x, double y) {
    return {x / y, 1.0, (1 - x - y) / y};
}

// RGB (linear) to XYZ: the primaries' XYZ scaled so that RGB 1, 1, 1 is the white.
Mat versXyz(const Espace& e) {
    Mat p{};
    for (int k = 0; k < 3; ++k) {
        const Vec c = xyz(e.primaires[2 * k], e.primaires[2 * k + 1]);
        for (int i = 0; i < 3; ++i)
            p[i][k] = c[i];
    }
    const Vec s = inverse(p) * xyz(e.blanc[0], e.blanc[1]);
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 3; ++k)
            p[i][k] *= s[k];
    return p;
}

// Bradford chromatic adaptation from one white to another.
Mat adaptation(const std::array<double, 2>& de, const std::array<double, 2>& vers) {
    const Mat b{{{0.8951, 0.2664, -0.1614}, {-0.7502, 1.7135, 0.0367}, {0.0389, -0.0685, 1.0296}}};
    const Vec cd = b * xyz(de[0], de[1]), cv = b * xyz(vers[0], vers[1]);
    Mat d{};
    for (int i = 0; i < 3; ++i)
        d[i][i] = cv[i] / cd[i];
    return inverse(b) * d * b;
}

double lineaire(const Espace& e, double v) {
    if (e.courbe == Courbe::Gamma) return std::pow(v, e.gamma);
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double encode(const Espace& e, double l) {
    l = std::clamp(l, 0.0, 1.0);
    if (e.courbe == Courbe::Gamma) return std::pow(l, 1 / e.gamma);
    return l <= 0.0031308 ? 12.92 * l : 1.055 * std::pow(l, 1 / 2.4) - 0.055;
}

// A colour of `de` as `vers` writes it (relative colorimetric: white goes to white).
QRgb convertir(QRgb c, const Espace& de, const Espace& vers) {
    const Vec l{lineaire(de, qRed(c) / 255.0), lineaire(de, qGreen(c) / 255.0),
                lineaire(de, qBlue(c) / 255.0)};
    const Vec r = inverse(versXyz(vers)) * adaptation(de.blanc, vers.blanc) * versXyz(de) * l;
    const auto octet = [&](double v) { return int(std::lround(255 * encode(vers, v))); };
    return qRgba(octet(r[0]), octet(r[1]), octet(r[2]), qAlpha(c));
}

// The ICC profile of a space, written by lcms2 from its definition.
QByteArray enregistrer(cmsHPROFILE p) {
    cmsUInt32Number taille = 0;
    cmsSaveProfileToMem(p, nullptr, &taille);
    QByteArray o(qsizetype(taille), 0);
    cmsSaveProfileToMem(p, o.data(), &taille);
    cmsCloseProfile(p);
    return o;
}

QByteArray profil(const Espace& e) {
    const cmsCIExyY blanc{e.blanc[0], e.blanc[1], 1};
    const auto& p = e.primaires;
    const cmsCIExyYTRIPLE prim{{p[0], p[1], 1}, {p[2], p[3], 1}, {p[4], p[5], 1}};
    const std::array<double, 5> srgb{2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    cmsToneCurve* c = e.courbe == Courbe::Gamma
                          ? cmsBuildGamma(nullptr, e.gamma)
                          : cmsBuildParametricToneCurve(nullptr, 4, srgb.data());
    std::array<cmsToneCurve*, 3> courbes{c, c, c};
    QByteArray o = enregistrer(cmsCreateRGBProfile(&blanc, &prim, courbes.data()));
    cmsFreeToneCurve(c);
    return o;
}

// A grey profile with a linear curve (D65 white).
QByteArray grisLineaire() {
    const cmsCIExyY blanc{D65[0], D65[1], 1};
    cmsToneCurve* c = cmsBuildGamma(nullptr, 1.0);
    QByteArray o = enregistrer(cmsCreateGrayProfile(&blanc, c));
    cmsFreeToneCurve(c);
    return o;
}

// A printer of our own, as a CMYK profile: its inks are ideal but for cyan, which also
// takes a fifth of the green away: R = (1 - c)(1 - k), G = (1 - m)(1 - k)(1 - c / 5),
// B = (1 - y)(1 - k), in sRGB. Sampled on a grid of 9 points a side.
QRgb imprimante(double c, double m, double y, double k) {
    const auto octet = [](double v) { return int(std::lround(255 * v)); };
    return qRgb(octet((1 - c) * (1 - k)), octet((1 - m) * (1 - k) * (1 - c / 5)),
                octet((1 - y) * (1 - k)));
}

QByteArray profilImprimante() {
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr), srgb = cmsCreate_sRGBProfile();
    cmsHTRANSFORM versLab =
        cmsCreateTransform(srgb, TYPE_RGB_DBL, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0);
    cmsHPROFILE p = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(p, 2.1); // a lone grid is written as a lut16
    cmsSetDeviceClass(p, cmsSigOutputClass);
    cmsSetColorSpace(p, cmsSigCmykData);
    cmsSetPCS(p, cmsSigLabData);
    cmsPipeline* tuyau = cmsPipelineAlloc(nullptr, 4, 3);
    cmsStage* grille = cmsStageAllocCLut16bit(nullptr, 9, 4, 3, nullptr);
    const auto echantillon = [](const cmsUInt16Number in[], cmsUInt16Number out[], void* t) {
        const QRgb c =
            imprimante(in[0] / 65535.0, in[1] / 65535.0, in[2] / 65535.0, in[3] / 65535.0);
        const std::array<double, 3> rgb{qRed(c) / 255.0, qGreen(c) / 255.0, qBlue(c) / 255.0};
        cmsCIELab l{};
        cmsDoTransform(static_cast<cmsHTRANSFORM>(t), rgb.data(), &l, 1);
        cmsFloat2LabEncodedV2(out, &l);
        return 1;
    };
    cmsStageSampleCLut16bit(grille, echantillon, versLab, 0);
    cmsPipelineInsertStage(tuyau, cmsAT_BEGIN, grille);
    cmsWriteTag(p, cmsSigAToB0Tag, tuyau);
    cmsWriteTag(p, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    cmsPipelineFree(tuyau);
    cmsDeleteTransform(versLab);
    cmsCloseProfile(lab);
    cmsCloseProfile(srgb);
    return enregistrer(p);
}

const Espace* espaceDe(const QString& nom) {
    if (nom == "adobe") return &AdobeRgb;
    if (nom == "prophoto") return &ProPhoto;
    return &Srgb;
}

// "srgb" is given as no profile at all (what a file without one means).
QByteArray profilDe(const QString& nom) {
    if (nom == "srgb") return {};
    if (nom == "gris") return grisLineaire();
    return profil(*espaceDe(nom));
}

void comparer(QRgb obtenu, QRgb attendu, int tolerance) {
    const auto ecart = [](int a, int b) { return std::abs(a - b); };
    if (ecart(qRed(obtenu), qRed(attendu)) > tolerance ||
        ecart(qGreen(obtenu), qGreen(attendu)) > tolerance ||
        ecart(qBlue(obtenu), qBlue(attendu)) > tolerance || qAlpha(obtenu) != qAlpha(attendu))
        QFAIL(qPrintable(QStringLiteral("obtenu %1, attendu %2")
                             .arg(obtenu, 8, 16, QLatin1Char('0'))
                             .arg(attendu, 8, 16, QLatin1Char('0'))));
}

// ---- Files.

// A jpeg of a flat colour carrying `profil` in APP2 segments of at most `morceau` bytes
// (written in the reverse order when `inverse`), and `exif` in an APP1 segment.
QByteArray jpeg(QRgb couleur, const QByteArray& profil, int morceau = 60000, bool inverse = false,
                const QByteArray& exif = {}, QSize taille = {16, 16}) {
    QImage image(taille, QImage::Format_RGB32);
    image.fill(couleur);
    QByteArray o;
    QBuffer b(&o);
    b.open(QIODevice::WriteOnly);
    image.save(&b, "JPEG", 100);
    const auto segment = [](int marqueur, const QByteArray& d) {
        QByteArray s(4, 0);
        s[0] = char(0xff);
        s[1] = char(marqueur);
        s[2] = char((d.size() + 2) >> 8);
        s[3] = char((d.size() + 2) & 0xff);
        return s + d;
    };
    QByteArray segments;
    if (!exif.isEmpty()) segments += segment(0xe1, QByteArray("Exif\0\0", 6) + exif);
    const int n = int((profil.size() + morceau - 1) / morceau);
    QList<QByteArray> app2;
    for (int i = 0; i < n; ++i) {
        QByteArray d("ICC_PROFILE\0", 12);
        d += char(i + 1);
        d += char(n);
        app2.append(segment(0xe2, d + profil.mid(i * morceau, morceau)));
    }
    if (inverse) std::reverse(app2.begin(), app2.end());
    for (const QByteArray& s : app2)
        segments += s;
    return o.insert(2, segments);
}

// An EXIF block (TIFF) saying ColorSpace "uncalibrated" and interoperability index
// `index`, in either byte order.
QByteArray exif(QDataStream::ByteOrder ordre, const QByteArray& index) {
    QByteArray o;
    QDataStream d(&o, QIODevice::WriteOnly);
    d.setByteOrder(ordre);
    const auto entree = [&d](quint16 tag, quint16 type, quint32 n) { d << tag << type << n; };
    d.writeRawData(ordre == QDataStream::LittleEndian ? "II" : "MM", 2);
    d << quint16(42) << quint32(8);
    d << quint16(1); // IFD0 at 8: its Exif IFD
    entree(0x8769, 4, 1);
    d << quint32(26) << quint32(0);
    d << quint16(2); // the Exif IFD at 26
    entree(0xa001, 3, 1);
    d << quint16(0xffff) << quint16(0);
    entree(0xa005, 4, 1);
    d << quint32(56) << quint32(0);
    d << quint16(1); // the interoperability IFD at 56
    entree(0x0001, 2, 4);
    d.writeRawData(index.leftJustified(4, '\0').constData(), 4);
    d << quint32(0);
    return o;
}

// The pixel a file stores, read without any conversion.
QRgb stocke(const QString& chemin) {
    QImageReader r(chemin);
    return r.read().pixel(8 % r.size().width(), 2);
}

QString ecrireFichier(const QString& chemin, const QByteArray& contenu) {
    QDir().mkpath(QFileInfo(chemin).path());
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly) || f.write(contenu) != contenu.size()) qFatal("not written");
    return chemin;
}

} // namespace

class TestCouleurs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() {
        definirProfilEcran({});
        QVERIFY(PoolDecodage::commun().attendreInactif(std::chrono::minutes(1)));
    }

    // Pixels converted from the file's space to the screen's as the spaces' definitions
    // say; grey by its linear curve (its 90 means a luminance of 90/255, which sRGB
    // writes 160).
    void conversions_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("ecran");
        QTest::addColumn<int>("format");
        QTest::addColumn<QRgb>("pixel");
        const int rgb = QImage::Format_RGB32, pre = QImage::Format_ARGB32_Premultiplied;
        QTest::newRow("adobe") << "adobe"
                               << "srgb" << rgb << qRgb(115, 199, 75);
        QTest::newRow("vers écran adobe") << "srgb"
                                          << "adobe" << rgb << qRgb(230, 30, 30);
        QTest::newRow("prémultiplié") << "adobe"
                                      << "srgb" << pre << qRgba(197, 34, 35, 128);
        QTest::newRow("gris linéaire")
            << "gris"
            << "srgb" << int(QImage::Format_Grayscale8) << qRgb(90, 90, 90);
    }
    void conversions() {
        QFETCH(QString, source);
        QFETCH(QString, ecran);
        QFETCH(int, format);
        QFETCH(QRgb, pixel);
        QImage image(4, 4, QImage::Format_ARGB32);
        image.fill(pixel);
        image.convertTo(QImage::Format(format));
        QVERIFY(convertirCouleurs(image, profilDe(source), profilDe(ecran)));
        const QRgb obtenu = image.pixel(1, 1); // premultiplied as the picture is
        if (source == "gris") {
            const int attendu = int(std::lround(255 * encode(Srgb, 90 / 255.0)));
            QCOMPARE(attendu, 160);
            return comparer(obtenu, qRgb(attendu, attendu, attendu), 2);
        }
        const bool premultiplie = format == QImage::Format_ARGB32_Premultiplied;
        comparer(premultiplie ? qUnpremultiply(obtenu) : obtenu,
                 convertir(pixel, *espaceDe(source), *espaceDe(ecran)), premultiplie ? 3 : 2);
    }

    // A CMYK jpeg as Qt decodes it (already RGB: R = (1 - c)(1 - k), and so on) goes
    // through its printer's profile as the same colour without black ink.
    void cmjn() {
        const double c = 0.6, m = 0.3, y = 0.1, k = 0.2;
        QImage image(4, 4, QImage::Format_RGB32);
        const auto octet = [k](double encre) {
            return int(std::lround(255 * (1 - encre) * (1 - k)));
        };
        image.fill(qRgb(octet(c), octet(m), octet(y)));
        const QRgb naif = image.pixel(0, 0);
        QVERIFY(convertirCouleurs(image, profilImprimante(), {}));
        comparer(image.pixel(1, 1),
                 imprimante(1 - qRed(naif) / 255.0, 1 - qGreen(naif) / 255.0,
                            1 - qBlue(naif) / 255.0, 0),
                 3);
    }

    // Nothing to do, or a profile not to be trusted: the picture is not even detached.
    void rienAFaire_data() {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QByteArray>("ecran");
        const QByteArray adobe = profil(AdobeRgb);
        QByteArray entree = adobe;
        entree.replace(12, 4, "scnr"); // a camera's profile, not a screen's
        QTest::newRow("profil sRGB") << profil(Srgb) << QByteArray();
        QTest::newRow("même profil") << adobe << adobe;
        QTest::newRow("tronqué") << adobe.left(adobe.size() / 2) << QByteArray();
        QTest::newRow("trop grand") << adobe + QByteArray(ProfilMaximal, 0) << QByteArray();
        QTest::newRow("écran d'appareil photo") << QByteArray() << entree;
    }
    void rienAFaire() {
        QFETCH(QByteArray, source);
        QFETCH(QByteArray, ecran);
        QImage image(64, 64, QImage::Format_RGB32);
        image.fill(qRgb(197, 34, 35));
        const QImage avant = image;
        const qint64 cle = image.cacheKey();
        QVERIFY(!convertirCouleurs(image, source, ecran));
        QCOMPARE(image.cacheKey(), cle);
        QCOMPARE(image.constBits(), avant.constBits());
    }

    // A photo as the viewer shows it (decoded on the spot, then the next one with its
    // fitted view made ahead, and its natural view, converted once the user pauses on
    // it) and as the sheet does (a thumbnail
    // decoded, then read back from the desktop's cache, which keeps it in sRGB): the
    // profile its file declares converted, once, to the screen's, also when the screen's
    // profile changes once the next picture is decoded ahead.
    void vues_data() {
        QTest::addColumn<QByteArray>("contenu");
        QTest::addColumn<QString>("espace"); // what the file means
        QTest::addColumn<QString>("ecran");
        QTest::addColumn<bool>("change");
        const QByteArray adobe = profil(AdobeRgb);
        const QRgb c = qRgb(197, 34, 35);
        const QSize t(300, 200);
        QTest::newRow("profil en trois segments à l'envers")
            << jpeg(c, adobe, int(adobe.size() / 3 + 1), true, {}, t) << "adobe"
            << "srgb" << false;
        QTest::newRow("exif R03, écran prophoto")
            << jpeg(c, {}, 1, false, exif(QDataStream::BigEndian, "R03"), t) << "adobe"
            << "prophoto" << false;
        QTest::newRow("exif R98") << jpeg(c, {}, 1, false, exif(QDataStream::LittleEndian, "R98"),
                                          t)
                                  << "srgb"
                                  << "srgb" << false;
        QTest::newRow("écran devenu prophoto") << jpeg(c, adobe, 60000, false, {}, t) << "adobe"
                                               << "prophoto" << true;
    }
    void vues() {
        QFETCH(QByteArray, contenu);
        QFETCH(QString, espace);
        QFETCH(QString, ecran);
        QFETCH(bool, change);
        test::Banc b(QSize(40, 30)); // smaller than the pictures: the fitted view shrinks them
        const QString photo = ecrireFichier(b.chemin("l/1.jpg"), contenu);
        ecrireFichier(b.chemin("l/2.jpg"), contenu);
        const QRgb attendu = convertir(stocke(photo), *espaceDe(espace), *espaceDe(ecran));
        const QByteArray profilEcran = profilDe(ecran); // the same bytes, its date with them
        definirProfilEcran(change ? QByteArray() : profilEcran);
        b.demarrer(QStringLiteral("l"));
        b.ctl().affTout.cliquer();
        if (!change) comparer(b.ctl().Image1.image().pixel(150, 100), attendu, 2);
        QVERIFY(PoolDecodage::commun().attendreInactif(std::chrono::minutes(1)));
        definirProfilEcran(profilEcran);
        b.form->Form_KeyDown(touche::PageBas, 0);
        QCOMPARE(b.etat.NumImage, 2);
        const ControleImage& vue = b.ctl().Image2;
        const ImageAffichee& entiere = vue.affichee();
        QCOMPARE(vue.apercu().isNull(), change); // made ahead, unless for another screen
        // The whole picture waits until a view draws it whole, or stretches it again.
        const bool aConvertir = espace != ecran;
        QCOMPARE(entiere.aConvertir(), aConvertir);
        BudgetMemoire::Reservation memoire;
        const QImage ajustee = change ? entiere.etirer(QSize(30, 20), memoire) : vue.apercu();
        comparer(ajustee.pixel(ajustee.width() / 2, ajustee.height() / 2), attendu, 3);
        QCOMPARE(entiere.aConvertir(), aConvertir);
        entiere.convertirEnFond(); // the user pauses on it
        QVERIFY(PoolDecodage::commun().attendreInactif(std::chrono::minutes(1)));
        QVERIFY(!entiere.aConvertir());
        comparer(b.ctl().Image1.image().pixel(150, 100), attendu, 2);

        const CacheVignettes cache(b.chemin("cache"));
        std::function<void()> aEcrire;
        const auto vignette = [&] {
            return chargerVignetteCache(
                &cache, photo, 100, [](QSize) { return QSize(60, 40); }, {}, &aEcrire);
        };
        comparer(vignette().pixel(30, 20), attendu, 3);
        QVERIFY(aEcrire);
        aEcrire();
        aEcrire = {};
        QDirIterator png(b.chemin("cache"), {"*.png"}, QDir::Files, QDirIterator::Subdirectories);
        QVERIFY(png.hasNext());
        comparer(QImage(png.next()).pixel(60, 40),
                 convertir(stocke(photo), *espaceDe(espace), Srgb), 3);
        comparer(vignette().pixel(30, 20), attendu, 4);
        QVERIFY(!aEcrire); // read from the cache
    }
};

GALVIA_TEST_GUILESS_MAIN(TestCouleurs)
#include "tst_couleurs.moc"
