// The pure rules of the viewer: fitting, names, sorting, list growth, numbers.
#include "platform/Erreurs.h"
#include "platform/Fichiers.h"
#include "platform/Texte.h"
#include "state/Module1.h"
#include "support/MainTest.h"
#include "viewer/Ajustement.h"
#include "viewer/NomsImages.h"

#include <QRandomGenerator>
#include <QTest>

using namespace galvia;

namespace {

// Every field of a fitting, so that a failure shows them all.
QList<double> champs(const Ajustement& a) {
    return {double(a.tropLarge),   double(a.tropHaut),    double(a.visibleL),   double(a.visibleH),
            double(a.horizMax),    double(a.horizGrand),  double(a.horizPetit), double(a.verticMax),
            double(a.verticGrand), double(a.verticPetit), double(a.ajusteL),    double(a.ajusteH),
            a.ajusteGauche,        a.ajusteHaut};
}

} // namespace

class TestRegles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ajustement_data() {
        QTest::addColumn<QSize>("image");
        QTest::addColumn<bool>("petites"); // the small-pictures rule
        QTest::addColumn<QList<double>>("attendu");
        // In a 1024 x 768 window with 16-pixel bars. The fields: too wide, too high, visible
        // width and height, horizontal max, large and small steps, the same vertically, fitted
        // width, height, left and top; none for error 6.
        // clang-format off
        QTest::newRow("400x300 petites") << QSize(400, 300) << true
            << QList<double>{0, 0, 400, 300, 0, 400, 133, 0, 300, 100, 400, 300, 312, 234};
        QTest::newRow("400x300 agrandie") << QSize(400, 300) << false
            << QList<double>{0, 0, 400, 300, 0, 400, 133, 0, 300, 100, 1024, 768, 0, 0};
        QTest::newRow("2000x500 trop large") << QSize(2000, 500) << true
            << QList<double>{1, 0, 1024, 500, 976, 1024, 341, 0, 500, 167, 1024, 256, 0, 256};
        QTest::newRow("1500x1200 deux barres") << QSize(1500, 1200) << true
            << QList<double>{1, 1, 1008, 752, 492, 1008, 336, 448, 752, 251, 960, 768, 32, 0};
        QTest::newRow("largeur exacte LF-LA") << QSize(1008, 100) << true
            << QList<double>{0, 0, 1008, 100, 0, 1008, 336, 0, 100, 33, 1008, 100, 8, 334};
        QTest::newRow("un pixel de trop") << QSize(1009, 100) << true
            << QList<double>{1, 0, 1024, 100, -15, 1024, 341, 0, 100, 33, 1024, 101, 0, 333.5};
        QTest::newRow("moitie paire en hauteur") << QSize(2048, 1365) << true
            << QList<double>{1, 1, 1008, 752, 1040, 1008, 336, 613, 752, 251, 1024, 682, 0, 43};
        QTest::newRow("moitie paire en largeur") << QSize(1003, 1536) << true
            << QList<double>{0, 1, 1003, 768, 0, 1003, 334, 768, 768, 256, 502, 768, 261, 0};
        QTest::newRow("sans largeur") << QSize(0, 10) << false << QList<double>{};
        QTest::newRow("sans hauteur") << QSize(10, 0) << false << QList<double>{};
        QTest::newRow("largeur negative") << QSize(-3, 10) << false << QList<double>{};
        // clang-format on
    }

    void ajustement() {
        QFETCH(QSize, image);
        QFETCH(bool, petites);
        QList<double> obtenu;
        try {
            obtenu = champs(
                calculerAjustement(image.width(), image.height(), {1024, 768, 16, 16}, petites));
        } catch (const Erreur& e) {
            QCOMPARE(e.numero, 6);
        }
        QTEST(obtenu, "attendu");
    }

    void affichable() {
        for (const char* n : {"a.jpg", "b.JPG", "c.JpEg", "d.gif", "e.bmp", "f.wmf", "x.pg",
                              "y.jpe", "z.f", "w.", "gif", "mf", "p.peg", "q.mp", "r.i"})
            QVERIFY2(estAffichable(QString::fromUtf8(n)), n);
        for (const char* n : {"photo.png", "c.tiff", "a.b.jpg", "jpgx.jpgx", "readme", "x.jpgx",
                              "t.txt", "g.fig", "h.gifjpg", ".jpg.bak", "notes.jpgf"})
            QVERIFY2(!estAffichable(QString::fromUtf8(n)), n);
    }

    void triRapide_data() {
        QTest::addColumn<QStringList>("entree");
        QTest::addColumn<QStringList>("attendu");
        QTest::newRow("casse ignoree")
            << QStringList{"b.JPG", "a.gif", "C.bmp"} << QStringList{"a.gif", "b.JPG", "C.bmp"};
        QTest::newRow("un seul") << QStringList{"z.jpg"} << QStringList{"z.jpg"};
        QTest::newRow("accents") << QStringList{"zebre.jpg", "été.jpg", "ete.jpg", "Eu.jpg"}
                                 << QStringList{"ete.jpg", "été.jpg", "Eu.jpg", "zebre.jpg"};
        // Many ties in mixed case: the result is ordered, and is a permutation.
        QRandomGenerator gen(42);
        QStringList grande;
        for (int i = 0; i < 3000; ++i)
            grande << QString::fromLatin1(gen.bounded(2) ? "img%1.jpg" : "IMG%1.JPG")
                          .arg(gen.bounded(200));
        QTest::newRow("grande liste") << grande << QStringList();
    }

    void triRapide() {
        QFETCH(QStringList, entree);
        QFETCH(QStringList, attendu);
        QStringList tab = QStringList{QString()} + entree;
        TriRapide(tab, 1, static_cast<int>(entree.size()));
        QVERIFY(tab.at(0).isEmpty());
        if (!attendu.isEmpty()) QCOMPARE(tab.mid(1), attendu);
        for (qsizetype i = 2; i < tab.size(); ++i)
            QVERIFY2(comparerTexte(tab[i - 1], tab[i]) <= 0,
                     qPrintable(tab[i - 1] + u' ' + tab[i]));
        std::sort(entree.begin(), entree.end());
        std::sort(tab.begin(), tab.end());
        QCOMPARE(tab.mid(1), entree);
    }

    void limiteListe() {
        QStringList tab;
        std::int16_t nb = 0;
        ConstructeurListe c(tab, nb);
        for (int i = 0; i < MaxImages; ++i)
            c.ajouter(QStringLiteral("a.jpg"));
        QVERIFY(!c.tropDImages());
        c.ajouter(QStringLiteral("a.jpg"));
        QVERIFY(c.tropDImages());
        c.terminerCompte();
        QCOMPARE(int(nb), MaxImages);
        QVERIFY(tab.size() <= 32768);
    }

    void entier16() {
        constexpr int rien = -99999; // no value
        const auto lire = [](const char* locale, const QStringList& textes) {
            QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
            QList<int> valeurs;
            for (const QString& texte : textes) {
                const auto v = texteVers16(texte);
                valeurs << (v.has_value() ? int(*v) : rien);
            }
            QLocale::setDefault(QLocale::c());
            return valeurs;
        };
        QCOMPARE(lire("fr_FR", {"2,5", "3,5", "2.5", "1 000"}), (QList<int>{2, 4, rien, rien}));
        QCOMPARE(lire("C", {"2.5", "  12 ", "", "douze", "32768", "-32768", "32767.5",
                            "3\U0001F600", "1\t\x01", "1e999"}),
                 (QList<int>{2, 12, rien, rien, rien, -32768, rien, rien, rien, rien}));
    }

    // Beside what the information box writes: a grouping locale, many decimals, single precision,
    // and no "-0".
    void nombreEcrit() {
        const QStringList ecrits{texteNombre(65535.0, QLocale(QStringLiteral("en_US")), false),
                                 texteNombre(0.03125, QLocale(QStringLiteral("fr_FR")), false),
                                 texteNombre(1.0 / 3.0, QLocale::c(), true),
                                 texteNombre(-0.0, QLocale::c(), false)};
        QCOMPARE(ecrits, (QStringList{"65535", "0,03125", "0.3333333", "0"}));
    }

    void dossierDeEntree() {
        // Folders A (3 images), B (none), C (2 images).
        Module1 m;
        m.MultiDossier = 1;
        m.NbDossiers = 3;
        m.ListeDossiers = {QString(), "/A", "/B", "/C/"};
        m.FinDossier = {0, 3, 3, 5};
        m.TabImages = QStringList{QString(), "a1", "a2", "a3", "c1", "c2"};
        for (const auto& [entree, dossier] : {std::pair{3, "/A/"}, std::pair{4, "/C/"}}) {
            QCOMPARE(m.dossierDeEntree(entree), dossier);
            QCOMPARE(m.fichierDeEntree(entree), dossier + m.TabImages.at(entree));
        }
    }
};

GALVIA_TEST_GUILESS_MAIN(TestRegles)
#include "tst_regles.moc"
