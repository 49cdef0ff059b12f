// The slide sheet's memory: a page of decompression bombs stays within the budget of the
// decodes whatever the number of workers, and the budget itself (its estimates, its
// order, its refusals, its bounded waits).
#include "images/Bombe.h"
#include "support/Acces.h"
#include "support/Banc.h"
#include "support/MainTest.h"
#include "support/PicMemoire.h"

#include "platform/Erreurs.h"
#include "platform/decodage/BudgetDecodage.h"
#include "platform/decodage/Images.h"
#include "platform/decodage/PoolDecodage.h"
#include "sheet/Form2.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTest>
#include <QtEndian>
#include <optional>
#include <thread>

using namespace galvia;
using namespace galvia::test;

namespace {

// Side, in pixels, of the sheet's thumbnails in its 792-pixel-wide window (a square
// picture, inside its border).
constexpr int CoteVignette = 73;
constexpr int ClasseVignette = 128;
// Generous bound for background decodes to end (never reached unless something hangs).
constexpr std::chrono::seconds JamaisBloque{180};

// The peak memory the budget is asked for, to decode `contenu` at the thumbnail's size.
std::int64_t estimation(QByteArray contenu, QSize vignette = {CoteVignette, CoteVignette}) {
    QBuffer tampon(&contenu);
    tampon.open(QIODevice::ReadOnly);
    QImageReader lecteur(&tampon);
    if (vignette.isValid()) lecteur.setScaledSize(vignette);
    return memoireDecodage(lecteur);
}

// A sheet over 60 copies of `bombe` in an inner size of 792 x 600 pixels, its decodes
// on a pool of `travailleurs` workers over `budget`. The files are named .bmp: the
// decoder goes by their content.
struct Feuille {
    Feuille(const QByteArray& bombe, int travailleurs, BudgetMemoire& budget)
        : pool(travailleurs, budget) {
        b.etat.Chemin = b.chemin() + u'/';
        b.etat.TabImages = QStringList{QString()};
        for (int i = 1; i <= 60; ++i) {
            b.etat.TabImages.append(QStringLiteral("p%1.bmp").arg(i, 3, 10, QLatin1Char('0')));
            ecrire(b.etat.Chemin + b.etat.TabImages.last(), bombe);
        }
        b.etat.NbImages = 60;
        f = std::make_unique<Form2>(b.plateforme, b.etat, b.ctl().progressionFeuille());
        f->fenetre.setTailleInterneSansVue({792, 600});
        c().decodeurs = &pool;
    }
    // Every decode has ended, the sheet's and any left in the background.
    ~Feuille() {
        f.reset();
        if (!pool.attendreInactif(JamaisBloque)) qFatal("decodes still running");
    }
    bool remplie(int k) const {
        return c().Diapo.charge(k) && c().Diapo[k].visible() && !c().Diapo[k].image().isNull();
    }
    PoolDecodage pool;
    Banc b;
    std::unique_ptr<Form2> f;
    AccesForm2 c() const { return acces(*f); }
};

} // namespace

// The peaks measured are the program's: AddressSanitizer keeps no freed memory aside
// here (to catch its use after free), which would add to them.
extern "C" const char* __asan_default_options() { // NOLINT(bugprone-reserved-identifier)
    return "quarantine_size_mb=0";
}

class TestFeuilleMemoire : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { preparerDecodeurs(); }
    void pageDeBombes_data() {
        QTest::addColumn<QByteArray>("bombe");
        QTest::addColumn<int>("travailleurs");
        QTest::addColumn<int>("cases");
        QTest::addColumn<int>("simultanees");
        QTest::addColumn<bool>("refusee");
        // A 16000-pixel bitmap bomb, shrunk from its 8 bits a pixel, takes 256 MB: two at a time
        // with two workers, four with more; as a progressive jpeg it takes 0.8 GB: one at a time. A
        // 9000-pixel bitmap takes 81 MB: thirteen at a time. A progressive jpeg of four components
        // at full resolution holds 2.1 GB of coefficients, more than the whole budget: refused, a
        // grey box. The sheet is closed once `cases` cells are filled.
        QTest::newRow("16000 px, 2 workers") << bombeBmp(16000) << 2 << 2 << 2 << false;
        QTest::newRow("16000 px, 16 workers") << bombeBmp(16000) << 16 << 5 << 4 << false;
        QTest::newRow("9000 px, 16 workers, whole page")
            << bombeBmp(9000) << 16 << 60 << 13 << false;
        QTest::newRow("progressive jpeg 16000 px, 16 workers")
            << bombeJpeg(16000) << 16 << 3 << 1 << false;
        QTest::newRow("four-component progressive jpeg 16383 px, 16 workers")
            << bombeJpeg(16383, 4) << 16 << 2 << 0 << true;
    }

    void pageDeBombes() {
        QFETCH(QByteArray, bombe);
        QFETCH(int, travailleurs);
        QFETCH(int, cases);
        QFETCH(int, simultanees);
        QFETCH(bool, refusee);
        // A jpeg is decoded from its bytes, read whole first. A bomb is decoded at the size of
        // its thumbnail in the desktop's cache: 128 pixels, the class covering the cell.
        const std::int64_t une = estimation(bombe, {ClasseVignette, ClasseVignette}) +
                                 (bombe.startsWith("\xff\xd8") ? bombe.size() : 0);
        QCOMPARE(une > BudgetDecodageOctets, refusee);
        std::optional<PicMemoire> memoire;
        QElapsedTimer chrono;
        BudgetMemoire budget(BudgetDecodageOctets);
        {
            Feuille s(bombe, travailleurs, budget);
            s.c().progression.avance = [&](int faits, int) {
                if (faits == cases) s.c().Fin.cliquer();
            };
            memoire.emplace();
            chrono.start();
            s.f->Form_Load();
            QVERIFY(finirPage(s.b.plateforme, *s.f));
            // A bomb is a picture of legal size: a square thumbnail filling its cell; one
            // beyond the budget a grey box.
            for (int k = 0; k < cases; ++k) {
                QVERIFY(s.remplie(k));
                QCOMPARE(s.c().Diapo[k].image().size() == QSize(1, 1), refusee);
                if (refusee) continue;
                QCOMPARE(s.c().Diapo[k].width(), 1128.0);
                QCOMPARE(s.c().Diapo[k].height(), 1128.0);
            }
            if (cases < 60) QVERIFY(!s.remplie(cases));
        }
        // A page refused is answered at once.
        if (refusee)
            QVERIFY2(chrono.elapsed() < 10000, qPrintable(QString::number(chrono.elapsed())));
        QCOMPARE(budget.reserve(), std::int64_t{0});
        // Every decode took its memory from the budget, and the budget was never exceeded;
        // a decode larger than the budget took nothing.
        QVERIFY2(budget.pic() >= (refusee ? 0 : une), qPrintable(QString::number(budget.pic())));
        QVERIFY2(budget.pic() <= budget.capacite(), qPrintable(QString::number(budget.pic())));
        QVERIFY2(budget.simultaneesMax() <= simultanees,
                 qPrintable(QString::number(budget.simultaneesMax())));
        // Nor did the process: its peak stays within what the budget granted (the
        // thumbnails kept are small).
        const double plafond = PartOmbre * double(budget.pic()) + MargeProcessus;
        QVERIFY2(memoire->pic() <= plafond, qPrintable(QStringLiteral("%1 MB, at most %2 MB")
                                                           .arg(memoire->pic() / 1048576.0)
                                                           .arg(plafond / 1048576.0)));
    }

    void estimations_data() {
        QTest::addColumn<QByteArray>("contenu");
        QTest::addColumn<QSize>("vignette");
        QTest::addColumn<qint64>("octets");
        const auto enregistrer = [](QSize taille, const char* format, QImage::Format f,
                                    bool progressif = false) {
            QImage image(taille, f);
            image.fill(Qt::gray);
            QByteArray o;
            QBuffer tampon(&o);
            tampon.open(QIODevice::WriteOnly);
            QImageWriter ecrivain(&tampon, format);
            ecrivain.setProgressiveScanWrite(progressif);
            ecrivain.write(image);
            return o;
        };
        const qint64 v = 4 * 73 * 73;
        // A bitmap cannot scale while decoding: the whole picture, shrunk from its own 8 bits
        // a pixel, or converted to 32 bits first in other depths; the thumbnail.
        QTest::newRow("bomb 16000") << bombeBmp(16000) << QSize(73, 73) << 16000LL * 16000 + v;
        QTest::newRow("bmp 24 bits") << enregistrer({400, 300}, "BMP", QImage::Format_RGB888)
                                     << QSize(73, 55) << 400LL * 300 * 8 + 4 * 73 * 55;
        QTest::newRow("bmp, natural size")
            << enregistrer({400, 300}, "BMP", QImage::Format_RGB888) << QSize() << 400LL * 300 * 4;
        // A jpeg is decoded at n/8 of its size, n the smallest covering the thumbnail.
        QTest::newRow("jpeg 4000 x 3000") << enregistrer({4000, 3000}, "JPG", QImage::Format_RGB32)
                                          << QSize(73, 55) << 4LL * 500 * 375 + 4 * 73 * 55;
        QTest::newRow("jpeg 400 x 300") << enregistrer({400, 300}, "JPG", QImage::Format_RGB32)
                                        << QSize(73, 55) << 4LL * 100 * 75 + 4 * 73 * 55;
        // A progressive jpeg is held whole as coefficients first, 2 bytes a sample: here the
        // luma's 500 x 376 blocks (rows rounded to its sampling of 2) and two chroma planes
        // of 250 x 188 blocks.
        QTest::newRow("progressive jpeg 4000 x 3000")
            << enregistrer({4000, 3000}, "JPG", QImage::Format_RGB32, true) << QSize(73, 55)
            << 4LL * 500 * 375 + 4 * 73 * 55 + (500LL * 376 + 2 * 250 * 188) * 128;
        QTest::newRow("progressive jpeg bomb 16000")
            << bombeJpeg(16000) << QSize(73, 73)
            << 4LL * 2000 * 2000 + 4 * 73 * 73 + (2000LL * 2000 + 2 * 1000 * 1000) * 128;
    }

    void estimations() {
        QFETCH(QByteArray, contenu);
        QFETCH(QSize, vignette);
        QTEST(qint64(estimation(contenu, vignette)), "octets");
    }

    void reductionHuitBits_data() {
        QTest::addColumn<QImage>("source");
        QTest::addColumn<QSize>("cible");
        QTest::addColumn<QList<QRgb>>("pixels");
        // Four quadrants of 2 x 2 pixels: red, green, blue, white.
        QImage quadrants(4, 4, QImage::Format_Indexed8);
        quadrants.setColorTable(
            {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)});
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                quadrants.setPixel(x, y, (y / 2) * 2 + x / 2);
        QTest::newRow("quadrants, 2 x 2")
            << quadrants << QSize(2, 2)
            << QList<QRgb>{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)};
        QTest::newRow("quadrants, 1 x 1")
            << quadrants << QSize(1, 1) << QList<QRgb>{qRgb(128, 128, 128)};
        QImage gris(3, 2, QImage::Format_Grayscale8);
        for (int x = 0; x < 3; ++x) {
            gris.setPixel(x, 0, qRgb(x * 30, x * 30, x * 30));
            gris.setPixel(x, 1, qRgb(x * 60, x * 60, x * 60));
        }
        // Uneven spans: column 0 covers source column 0, column 1 covers columns 1 and 2.
        QTest::newRow("grey, 2 x 1")
            << gris << QSize(2, 1) << QList<QRgb>{qRgb(0, 0, 0), qRgb(68, 68, 68)};
        // A target pixel covering more than 16 source columns averages 16 of them, spread
        // over both halves.
        QImage moities(64, 1, QImage::Format_Indexed8);
        moities.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 255)});
        for (int x = 0; x < 64; ++x)
            moities.setPixel(x, 0, x / 32);
        QTest::newRow("halves, 1 x 1") << moities << QSize(1, 1) << QList<QRgb>{qRgb(128, 0, 128)};
        QImage transparente(2, 1, QImage::Format_Indexed8);
        transparente.setColorTable({qRgba(255, 0, 0, 255), qRgba(0, 255, 0, 0)});
        transparente.setPixel(0, 0, 0);
        transparente.setPixel(1, 0, 1);
        // Averaged premultiplied (as pixel() gives it back): the transparent pixel adds no
        // colour, only transparency.
        QTest::newRow("transparent half")
            << transparente << QSize(1, 1) << QList<QRgb>{qRgba(128, 0, 0, 128)};
    }

    void reductionHuitBits() {
        QFETCH(QImage, source);
        QFETCH(QSize, cible);
        QFETCH(QList<QRgb>, pixels);
        const QImage r = reduireHuitBits(source, cible);
        QCOMPARE(r.size(), cible);
        QList<QRgb> obtenus;
        for (int y = 0; y < r.height(); ++y)
            for (int x = 0; x < r.width(); ++x)
                obtenus.append(r.pixel(x, y));
        QCOMPARE(obtenus, pixels);
    }

    void budgetEnOrdre() {
        BudgetMemoire budget(100);
        auto petite = budget.reserver(30);
        // A request that does not fit beside what is held waits; a later small one waits
        // behind it, though it would fit.
        std::vector<int> ordre;
        std::mutex m;
        std::thread grande([&] {
            auto r = budget.reserver(80);
            const std::lock_guard v(m);
            ordre.push_back(80);
        });
        QTRY_VERIFY(budget.enAttente() == 1);
        std::thread suivante([&] {
            auto r = budget.reserver(30);
            const std::lock_guard v(m);
            ordre.push_back(30);
        });
        QTRY_VERIFY(budget.enAttente() == 2);
        QCOMPARE(budget.reserve(), std::int64_t{30});
        petite = {};
        grande.join();
        suivante.join();
        QCOMPARE(ordre, (std::vector<int>{80, 30}));
        QCOMPARE(budget.pic(), std::int64_t{80});
        QCOMPARE(budget.simultaneesMax(), 1);
    }

    void budgetLimites_data() {
        QTest::addColumn<int>("tenu");        // held beforehand
        QTest::addColumn<int>("enFile");      // a request waiting in line (0: none)
        QTest::addColumn<QString>("maniere"); // reserver, essayer, avant (timed, 100 ms)
        QTest::addColumn<int>("octets");
        QTest::addColumn<int>("resultat"); // served 1, not served 0, error 7
        // In a budget of 100. A request beyond the whole budget is refused however asked,
        // even when nothing is held.
        QTest::newRow("beyond, waiting") << 0 << 0 << "reserver" << 101 << 7;
        QTest::newRow("beyond, at once") << 0 << 0 << "essayer" << 101 << 7;
        QTest::newRow("beyond, timed") << 0 << 0 << "avant" << 101 << 7;
        QTest::newRow("the whole budget") << 0 << 0 << "reserver" << 100 << 1;
        // The interface thread's request goes before the waiting ones, and waits no more
        // than its bound.
        QTest::newRow("timed, ahead of the line") << 50 << 60 << "avant" << 30 << 1;
        QTest::newRow("timed, no room: gives up") << 80 << 0 << "avant" << 30 << 0;
        QTest::newRow("at once, a request waiting") << 50 << 60 << "essayer" << 30 << 0;
    }

    void budgetLimites() {
        QFETCH(int, tenu);
        QFETCH(int, enFile);
        QFETCH(QString, maniere);
        QFETCH(int, octets);
        QFETCH(int, resultat);
        BudgetMemoire budget(100);
        const BudgetMemoire::Reservation avant =
            tenu ? budget.reserver(tenu) : BudgetMemoire::Reservation();
        std::atomic<bool> abandon{false};
        std::thread attente;
        if (enFile) attente = std::thread([&] { (void)budget.reserver(enFile, &abandon); });
        QTRY_COMPARE(budget.enAttente(), enFile ? 1 : 0);
        int obtenu = -1;
        QElapsedTimer chrono;
        chrono.start();
        try {
            const BudgetMemoire::Reservation r =
                maniere == QLatin1String("reserver") ? budget.reserver(octets)
                : maniere == QLatin1String("essayer")
                    ? budget.essayerReserver(octets)
                    : budget.reserverAvant(octets, std::chrono::milliseconds(100));
            obtenu = r ? 1 : 0;
            if (r) QCOMPARE(budget.reserve(), std::int64_t{tenu + octets});
        } catch (const Erreur& e) {
            obtenu = e.numero;
        }
        const qint64 duree = chrono.elapsed();
        abandon = true;
        budget.reveiller();
        if (attente.joinable()) attente.join();
        QCOMPARE(obtenu, resultat);
        // Only a timed request that was not served waited, and for its bound.
        const bool aAttendu = maniere == QLatin1String("avant") && resultat == 0;
        QVERIFY2(aAttendu ? duree >= 100 : duree < 100, qPrintable(QString::number(duree)));
        QCOMPARE(budget.reserve(), std::int64_t{tenu});
    }

    void etirements_data() {
        QTest::addColumn<QImage>("source");
        QTest::addColumn<QSize>("cible");
        QTest::addColumn<qint64>("octets");
        const auto image = [](QImage::Format f) { return QImage(400, 300, f); };
        const qint64 cible = 4 * 100 * 75, source = 4 * 400 * 300;
        // Scaled as it is: the result alone.
        QTest::newRow("32 bits") << image(QImage::Format_RGB32) << QSize(100, 75) << cible;
        // Converted whole to 32 bits first, the result converted back.
        QTest::newRow("24 bits") << image(QImage::Format_RGB888) << QSize(100, 75)
                                 << source + cible + 3 * 100 * 75;
        QTest::newRow("alpha, not premultiplied")
            << image(QImage::Format_ARGB32) << QSize(100, 75) << source + 2 * cible;
        // 8 bits a pixel, shrunk in their own format; enlarged, converted.
        QTest::newRow("grey, shrunk")
            << image(QImage::Format_Grayscale8) << QSize(100, 75) << cible;
        QTest::newRow("indexed, shrunk")
            << image(QImage::Format_Indexed8) << QSize(100, 75) << cible;
        QTest::newRow("grey, enlarged")
            << image(QImage::Format_Grayscale8) << QSize(800, 600) << source + 5 * 800 * 600;
    }

    // The memory a fitted stretch reserves covers its conversion; a picture of 8 bits a
    // pixel is shrunk in its own format.
    void etirements() {
        QFETCH(QImage, source);
        QFETCH(QSize, cible);
        QTEST(qint64(memoireEtirement(source, cible)), "octets");
        source.fill(0);
        QCOMPARE(etirerImage(source, cible).size(), cible);
    }

    // A jpeg decoded from its bytes read whole is read once its memory, the bytes included,
    // has been granted: a decode refused by the budget reads nothing but the header.
    void lectureApresAccord() {
        DossierTemporaire dossier;
        const QString fichier = dossier.filePath(QStringLiteral("bruit.jpg"));
        QImage bruit(800, 600, QImage::Format_RGB32);
        QRandomGenerator gen(3);
        for (int y = 0; y < bruit.height(); ++y)
            gen.fillRange(reinterpret_cast<quint32*>(bruit.scanLine(y)), bruit.width());
        QVERIFY(bruit.save(fichier, "JPG", 95));
        const qint64 taille = QFileInfo(fichier).size();
        QVERIFY(taille > 200000);
        std::int64_t demande = 0;
        qint64 lusAvant = -1;
        const QImage image = chargerReduite(fichier, {80, 60}, [&](std::int64_t octets) {
            demande = octets;
            lusAvant = octetsLus();
        });
        QCOMPARE(image.size(), QSize(80, 60));
        QVERIFY(demande >= taille);
        QVERIFY2(octetsLus() - lusAvant >= taille, "the file was read before");

        const qint64 debut = octetsLus();
        bool refuse = false;
        try {
            chargerReduite(fichier, {80, 60}, [](std::int64_t) { throw DecodageAbandonne{}; });
        } catch (const DecodageAbandonne&) {
            refuse = true;
        }
        QVERIFY(refuse);
        QVERIFY(octetsLus() - debut < taille / 2);
    }
};

GALVIA_TEST_GUILESS_MAIN(TestFeuilleMemoire)
#include "tst_feuille_memoire.moc"
