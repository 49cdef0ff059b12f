// Colour management: pixels converted between colour spaces as their definitions
// (primaries, white points, transfer curves) say, the test building each space's profile; the
// profile a file declares (jpeg segments, EXIF R03) reaching the decode; nothing touched where
// there is nothing to do or a profile cannot be trusted; the viewer's views and the sheet's
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
#include <QDirIterator>
#include <QImageReader>
#include <QTest>
#include <array>
#include <chrono>
#include <cmath>
#include <lcms2.h>

using namespace galvia;

namespace {

// ---- The colour spaces, from their standards.

struct Espace {
    std::array<double, 6> primaires; // red, green, blue chromaticities x, y; none: grey
    std::array<double, 2> blanc;     // white point x, y
    double gamma;                    // 0: the sRGB curve
};

constexpr std::array<double, 2> D65{0.3127, 0.3290}, D50{0.3457, 0.3585};
const Espace Srgb{{0.64, 0.33, 0.30, 0.60, 0.15, 0.06}, D65, 0};
const Espace AdobeRgb{{0.64, 0.33, 0.21, 0.71, 0.15, 0.06}, D65, 563.0 / 256};
const Espace ProPhoto{{0.7347, 0.2653, 0.1596, 0.8404, 0.0366, 0.0001}, D50, 1.8};
const Espace GrisLineaire{{}, D65, 1.0};

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
    cmsToneCurve* c = e.gamma > 0 ? cmsBuildGamma(nullptr, e.gamma)
                                  : cmsBuildParametricToneCurve(nullptr, 4, srgb.data());
    std::array<cmsToneCurve*, 3> courbes{c, c, c};
    QByteArray o = enregistrer(p[0] == 0 ? cmsCreateGrayProfile(&blanc, c)
                                         : cmsCreateRGBProfile(&blanc, &prim, courbes.data()));
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

// The profile of a space by its name; "srgb" is given as no profile at all (what a file
// without one means) unless `explicite`; "gris" is grey with a linear curve.
QByteArray profilDe(const QString& nom, bool explicite = false) {
    if (nom == "gris") return profil(GrisLineaire);
    if (nom == "adobe") return profil(AdobeRgb);
    if (nom == "prophoto") return profil(ProPhoto);
    return explicite ? profil(Srgb) : QByteArray();
}

// A colour of the space `de` as the space `vers` writes it, worked out by lcms2 in double
// precision from the spaces' own profiles (relative colorimetric: white goes to white).
QRgb convertir(QRgb c, const QString& de, const QString& vers) {
    const auto ouvrir = [](const QString& nom) {
        const QByteArray p = profilDe(nom, true);
        return cmsOpenProfileFromMem(p.constData(), cmsUInt32Number(p.size()));
    };
    cmsHPROFILE a = ouvrir(de), b = ouvrir(vers);
    const bool gris = cmsGetColorSpace(a) == cmsSigGrayData;
    cmsHTRANSFORM t = cmsCreateTransform(a, gris ? TYPE_GRAY_DBL : TYPE_RGB_DBL, b, TYPE_RGB_DBL,
                                         INTENT_RELATIVE_COLORIMETRIC, 0);
    const std::array<double, 3> entree{qRed(c) / 255.0, qGreen(c) / 255.0, qBlue(c) / 255.0};
    std::array<double, 3> r{};
    cmsDoTransform(t, entree.data(), r.data(), 1);
    cmsDeleteTransform(t);
    cmsCloseProfile(a);
    cmsCloseProfile(b);
    const auto octet = [](double v) { return int(std::lround(255 * std::clamp(v, 0.0, 1.0))); };
    return qRgba(octet(r[0]), octet(r[1]), octet(r[2]), qAlpha(c));
}

void comparer(QRgb obtenu, QRgb attendu, int tolerance) {
    const int ecart = std::max({std::abs(qRed(obtenu) - qRed(attendu)),
                                std::abs(qGreen(obtenu) - qGreen(attendu)),
                                std::abs(qBlue(obtenu) - qBlue(attendu))});
    QVERIFY2(ecart <= tolerance && qAlpha(obtenu) == qAlpha(attendu),
             qPrintable(QString::asprintf("obtenu %08x, attendu %08x", obtenu, attendu)));
}

// ---- Files.

// A 300 x 200 jpeg of a flat colour carrying `profil` in APP2 segments of at most `morceau` bytes
// (written in the reverse order when `inverse`), and `exif` in an APP1 segment.
QByteArray jpeg(QRgb couleur, const QByteArray& profil, int morceau, bool inverse = false,
                const QByteArray& exif = {}) {
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(couleur);
    QByteArray o;
    QBuffer b(&o);
    b.open(QIODevice::WriteOnly);
    image.save(&b, "JPEG", 100);
    const auto segment = [](int marqueur, const QByteArray& d) {
        const auto n = d.size() + 2;
        return QByteArray("\xff") + char(marqueur) + char(n >> 8) + char(n & 0xff) + d;
    };
    QByteArray icc;
    const int n = int((profil.size() + morceau - 1) / morceau);
    for (int i = 0; i < n; ++i) {
        const QByteArray s = segment(0xe2, QByteArray("ICC_PROFILE\0", 12) + char(i + 1) + char(n) +
                                               profil.mid(i * morceau, morceau));
        icc = inverse ? s + icc : icc + s;
    }
    const QByteArray app1 =
        exif.isEmpty() ? QByteArray() : segment(0xe1, QByteArray("Exif\0\0", 6) + exif);
    return o.insert(2, app1 + icc);
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

} // namespace

class TestCouleurs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() {
        definirProfilEcran({});
        QVERIFY(PoolDecodage::commun().attendreInactif(std::chrono::minutes(1)));
    }

    // Pixels converted from the file's space to the screen's as the spaces' definitions say; grey
    // by its linear curve (its 90 means a luminance of 90/255, which sRGB writes 160).
    void conversions_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("ecran");
        QTest::addColumn<QRgb>("pixel");
        const int rgb = QImage::Format_RGB32, pre = QImage::Format_ARGB32_Premultiplied;
        QTest::newRow("adobe") << "adobe" << rgb << "srgb" << qRgb(115, 199, 75);
        QTest::newRow("vers écran adobe") << "srgb" << rgb << "adobe" << qRgb(230, 30, 30);
        QTest::newRow("prémultiplié") << "adobe" << pre << "srgb" << qRgba(197, 34, 35, 128);
        const int gris = QImage::Format_Grayscale8;
        QTest::newRow("gris linéaire") << "gris" << gris << "srgb" << qRgb(90, 90, 90);
    }
    void conversions() {
        QFETCH(QString, source);
        QFETCH(int, format);
        QFETCH(QString, ecran);
        QFETCH(QRgb, pixel);
        QImage image(4, 4, QImage::Format_ARGB32);
        image.fill(pixel);
        image.convertTo(QImage::Format(format));
        QVERIFY(convertirCouleurs(image, profilDe(source), profilDe(ecran)));
        const QRgb obtenu = image.pixel(1, 1); // premultiplied as the picture is
        const bool premultiplie = format == QImage::Format_ARGB32_Premultiplied;
        comparer(premultiplie ? qUnpremultiply(obtenu) : obtenu, convertir(pixel, source, ecran),
                 premultiplie ? 3 : 2);
    }

    // A CMYK jpeg as Qt decodes it (already RGB: R = (1 - c)(1 - k), and so on) goes
    // through its printer's profile as the same colour without black ink.
    void cmjn() {
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(qRgb(82, 143, 184)); // c 0.6, m 0.3, y 0.1, k 0.2
        QVERIFY(convertirCouleurs(image, profilImprimante(), {}));
        comparer(image.pixel(1, 1), imprimante(1 - 82 / 255.0, 1 - 143 / 255.0, 1 - 184 / 255.0, 0),
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
        QVERIFY(!convertirCouleurs(image, source, ecran));
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
        QTest::addColumn<bool>("change");
        QTest::addColumn<QString>("ecran");
        const QByteArray adobe = profil(AdobeRgb);
        const QRgb c = qRgb(197, 34, 35);
        QTest::newRow("profil en trois segments à l'envers")
            << jpeg(c, adobe, int(adobe.size() / 3 + 1), true) << "adobe" << false << "srgb";
        QTest::newRow("exif R03, écran prophoto")
            << jpeg(c, {}, 1, false, exif(QDataStream::BigEndian, "R03")) << "adobe" << false
            << "prophoto";
        QTest::newRow("exif R98") << jpeg(c, {}, 1, false, exif(QDataStream::LittleEndian, "R98"))
                                  << "srgb" << false << "srgb";
        QTest::newRow("écran devenu prophoto")
            << jpeg(c, adobe, 60000) << "adobe" << true << "prophoto";
    }
    void vues() {
        QFETCH(QByteArray, contenu);
        QFETCH(QString, espace);
        QFETCH(bool, change);
        QFETCH(QString, ecran);
        test::Banc b(QSize(40, 30)); // smaller than the pictures: the fitted view shrinks them
        const QString photo = test::ecrire(b.chemin("l/1.jpg"), contenu);
        test::ecrire(b.chemin("l/2.jpg"), contenu);
        const QRgb stocke = QImageReader(photo).read().pixel(8, 2); // as the file has it
        const QRgb attendu = convertir(stocke, espace, ecran);
        const QByteArray profilEcran = profilDe(ecran); // the same bytes, its date with them
        definirProfilEcran(change ? QByteArray() : profilEcran);
        b.demarrer(QStringLiteral("l"));
        b.ctl().affTout.cliquer();
        if (!change) comparer(b.ctl().Image1.image().pixel(150, 100), attendu, 2);
        QVERIFY(PoolDecodage::commun().attendreInactif(std::chrono::minutes(1)));
        definirProfilEcran(profilEcran);
        b.form->fenetre.toucher(touche::PageBas);
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
        std::exchange(aEcrire, {})();
        QDirIterator png(b.chemin("cache"), {"*.png"}, QDir::Files, QDirIterator::Subdirectories);
        QVERIFY(png.hasNext());
        comparer(QImage(png.next()).pixel(60, 40), convertir(stocke, espace, "srgb"), 3);
        comparer(vignette().pixel(30, 20), attendu, 4);
        QVERIFY(!aEcrire); // read from the cache
    }
};

GALVIA_TEST_GUILESS_MAIN(TestCouleurs)
#include "tst_couleurs.moc"
