// Hostile files are answered promptly, and a decode no longer wanted stops: a jpeg with
// thousands of empty scans is refused before its decode, a file extended by a long hole
// is read only as far as its format goes, and an abandoned decode gives up at its next
// read, whoever abandons it (its caller, the decodes ahead, quitting).
#include "images/Bombe.h"
#include "support/Banc.h"
#include "support/MainTest.h"

#include "platform/Erreurs.h"
#include "platform/decodage/Anticipation.h"
#include "platform/decodage/BudgetDecodage.h"
#include "platform/decodage/Images.h"
#include "platform/decodage/PoolDecodage.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTest>
#include <condition_variable>
#include <mutex>

using namespace galvia;
using namespace galvia::test;

namespace {

// Far beyond the second every hostile file is answered in on a release build (see the
// hostile benchmark), so as never to fail on a slow sanitizer build, yet far below what
// each took before it was bounded (from 13 s to minutes).
constexpr qint64 ReponseMaxMs = 10000;

// A picture of noise, which cannot be compressed; saved as PNG, decoding it reads the whole
// file as it goes.
QImage bruit(QSize taille, QImage::Format format = QImage::Format_Grayscale8) {
    QImage image(taille, format);
    QRandomGenerator gen(5);
    for (int y = 0; y < image.height(); ++y)
        gen.fillRange(reinterpret_cast<quint32*>(image.scanLine(y)), image.bytesPerLine() / 4);
    return image;
}

} // namespace

class TstHostiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        preparerDecodeurs();
        QVERIFY(bruit({2000, 2000}).save(png, "PNG", 0));
    }
    void reponse_data() {
        QTest::addColumn<QByteArray>("contenu");
        QTest::addColumn<qint64>("taille");  // of the file, its hole included; 0: its content's
        QTest::addColumn<QSize>("attendue"); // empty: refused as not a picture
        for (const Hostile& h : hostilesPleins())
            QTest::newRow(h.nom) << h.contenu << qint64(0) << QSize(0, 0);
        for (const Creux& c : hostilesCreux())
            QTest::newRow(c.nom) << c.contenu << c.taille
                                 << (c.contenu.startsWith("GIF") ? QSize(1, 1) : QSize(1080, 1080));
        // What real encoders write stays a picture, the same as decoded without bounds:
        // libjpeg's progression over noise (its data full of stuffed 0xff bytes), and many
        // scans (fifty, each over the whole picture).
        QTest::newRow("progressive photo")
            << jpegQt(bruit({1600, 1200}, QImage::Format_RGB32), true) << qint64(0)
            << QSize(1440, 1080);
        QTest::newRow("fifty scans") << bombeBalayages(1080, 50) << qint64(0) << QSize(1080, 1080);
    }

    // Each file is answered, as the viewer asks for it fitted to a full screen, well within
    // the bound: refused as not a picture, or a picture.
    void reponse() {
        QFETCH(QByteArray, contenu);
        QFETCH(qint64, taille);
        QFETCH(QSize, attendue);
        if (taille == 0) taille = contenu.size();
        DossierTemporaire dossier;
        const QString fichier = dossier.filePath(QStringLiteral("hostile"));
        if (!ecrireCreux(fichier, contenu, taille)) QSKIP("no file with a hole of that size here");
        QElapsedTimer chrono;
        chrono.start();
        int obtenue = 0;
        QImage image;
        try {
            image = chargerVignette(fichier, [](QSize naturelle) {
                return naturelle.scaled(QSize(1920, 1080), Qt::KeepAspectRatio)
                    .boundedTo(naturelle)
                    .expandedTo({1, 1});
            });
        } catch (const Erreur& e) {
            obtenue = e.numero;
        }
        const qint64 ms = chrono.elapsed();
        QCOMPARE(obtenue, attendue.isEmpty() ? int(ErrImageIncorrecte) : 0);
        QCOMPARE(image.size(), attendue);
        if (taille == contenu.size() && !image.isNull()) {
            QBuffer tampon(&contenu);
            QImageReader lecteur(&tampon);
            lecteur.setScaledSize(image.size());
            QCOMPARE(image, lecteur.read());
        }
        QVERIFY2(ms < ReponseMaxMs, qPrintable(QStringLiteral("%1 ms").arg(ms)));
    }

    // A decode ahead dropped while it runs sees its abandon flag, and stops at its next read:
    // its worker is free at once, not when the picture would have been whole.
    void decodageAnticipeLache() {
        std::mutex m;
        std::condition_variable cv;
        bool commence = false, lache = false, abandonne = false;
        PoolDecodage pool(1);
        {
            DecodageAnticipe anticipation(
                pool, [&](const QString&, const AvantDecodage& avant, const std::atomic<bool>& a) {
                    avant(16);
                    std::unique_lock verrou(m);
                    commence = true;
                    cv.notify_all();
                    cv.wait(verrou, [&] { return lache; });
                    try {
                        return chargerReduite(png, {}, {}, {}, &a);
                    } catch (const DecodageAbandonne&) {
                        abandonne = true;
                        throw;
                    }
                });
            anticipation.prevoir({png});
            std::unique_lock verrou(m);
            cv.wait(verrou, [&] { return commence; });
            verrou.unlock();
            anticipation.prevoir({}); // dropped while it runs
            verrou.lock();
            lache = true;
            cv.notify_all();
        }
        QVERIFY(pool.attendreInactif(std::chrono::milliseconds(ReponseMaxMs)));
        QVERIFY(abandonne);
        QCOMPARE(budgetDecodage().reserve(), std::int64_t{0});
    }

    // Last: once every decode is abandoned, none runs in this process any more.
    void abandon_data() {
        QTest::addColumn<bool>("tous");
        QTest::newRow("its own flag") << false;
        QTest::newRow("every decode, at quitting") << true;
    }

    // A decode abandoned once its memory is granted, before its pixels, reads little more of its
    // file and throws DecodageAbandonne, the abandon coming from its caller or from quitting.
    void abandon() {
        QFETCH(bool, tous);
        const qint64 taille = QFileInfo(png).size();
        std::atomic<bool> drapeau{false};
        qint64 lus = -1;
        const auto abandonner = [&](std::int64_t) {
            lus = octetsLus();
            if (tous)
                arreterDecodages();
            else
                drapeau = true;
        };
        QVERIFY_THROWS_EXCEPTION(DecodageAbandonne,
                                 chargerReduite(png, {}, abandonner, {}, &drapeau));
        QVERIFY2(octetsLus() - lus < taille / 4, "read on after its abandon");
        if (tous) QVERIFY_THROWS_EXCEPTION(DecodageAbandonne, chargerImage(png));
    }

private:
    DossierTemporaire dossier;
    const QString png = dossier.filePath(QStringLiteral("bruit.png")); // noise, 2000 x 2000
};

GALVIA_TEST_GUILESS_MAIN(TstHostiles)
#include "tst_hostiles.moc"
