// The memory of the pictures shown, in the real window offscreen: a decode on the
// interface thread, the fitted view's stretch and the decodes ahead all take their memory
// from the one budget, so that no file makes the process hold more than the budget grants
// beside the picture shown, and each is answered (shown, or refused with error 7) soon.
#include "images/Bombe.h"
#include "support/FenetreReelle.h"
#include "support/MainTest.h"
#include "support/PicMemoire.h"

#include "platform/decodage/BudgetDecodage.h"
#include "platform/decodage/PoolDecodage.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

using namespace galvia;
using namespace galvia::test;

// The peaks measured are the program's: AddressSanitizer keeps no freed memory aside
// here (to catch its use after free), which would add to them.
extern "C" const char* __asan_default_options() { // NOLINT(bugprone-reserved-identifier)
    return "quarantine_size_mb=0";
}

class TstMemoireAffichage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bombesAffichees_data() {
        QTest::addColumn<QList<QByteArray>>("fichiers"); // shown from the first
        QTest::addColumn<bool>("refusee");               // error 7 rather than the picture
        // Its coefficients alone (2.1 GB) are beyond the budget, though its picture is not.
        QTest::newRow("four-component progressive jpeg 16383 px")
            << QList<QByteArray>{bombeJpeg(16383, 4)} << true;
        // 268 MB in its 8 bits; stretched from there, never converted whole to 32 bits.
        QTest::newRow("8-bit bitmap bomb 16383 px, stretched")
            << QList<QByteArray>{bombeBmp(16383)} << false;
        // Two grey pictures of 121 MB each decoded ahead, and stretched there, in 8 bits.
        QTest::newRow("two grey jpegs 11000 px decoded ahead")
            << QList<QByteArray>{bombeBmp(64), jpegGris(11000), jpegGris(11000)} << false;
    }

    void bombesAffichees() {
        QFETCH(QList<QByteArray>, fichiers);
        QFETCH(bool, refusee);
        QTemporaryDir dossier;
        for (int i = 0; i < fichiers.size(); ++i) {
            const char* extension = fichiers[i].startsWith("BM") ? "bmp" : "jpg";
            ecrire(dossier.filePath(QStringLiteral("%1.%2").arg(i + 1).arg(extension)),
                   fichiers[i]);
        }
        FenetreReelle fenetre(dossier.path() + QLatin1Char('/'));
        FermeBoites boites;
        budgetDecodage().remettreAZeroPics();
        const PicMemoire memoire;
        QElapsedTimer chrono;
        chrono.start();
        fenetre.ctl().affTout.cliquer();
        // Answered: the picture shown in the fitted view, painted, or the box closed.
        (void)fenetre.vue->grab();
        // A refusal comes before any decode; a picture of 268 MB takes seconds under the
        // sanitizers of a loaded machine (its one-second target lives in bench_memoire).
        const qint64 limite = refusee ? 10000 : 60000;
        QVERIFY2(chrono.elapsed() < limite, qPrintable(QString::number(chrono.elapsed())));
        QVERIFY(PoolDecodage::commun().attendreInactif(std::chrono::seconds(60)));

        const QImage& montree = fenetre.ctl().Image2.image();
        if (refusee) {
            QCOMPARE(boites.textes.size(), 1);
            QVERIFY2(boites.textes[0].startsWith(QStringLiteral("Erreur : 7 - ")),
                     qPrintable(boites.textes[0]));
        } else {
            QCOMPARE(boites.textes, QStringList());
            QVERIFY(!montree.isNull() && fenetre.ctl().Image2.visible());
            // Its decode took its memory from the budget like any other.
            QVERIFY(budgetDecodage().pic() >= montree.sizeInBytes());
        }
        // The process held no more than the decodes took from the budget, besides the
        // picture shown, and never more than the budget.
        const double accorde =
            std::min(double(budgetDecodage().pic()) + double(montree.sizeInBytes()),
                     double(BudgetDecodageOctets));
        const double plafond = PartOmbre * accorde + MargeProcessus;
        QVERIFY2(memoire.pic() <= plafond, qPrintable(QStringLiteral("%1 MB, at most %2 MB")
                                                          .arg(memoire.pic() / 1048576.0)
                                                          .arg(plafond / 1048576.0)));
    }
};

GALVIA_TEST_MAIN(TstMemoireAffichage)
#include "tst_memoire_affichage.moc"
