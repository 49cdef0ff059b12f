// The slide sheet's geometry as pure functions: grid, cells, thumbnails, pages and the
// full-size view's scroll ranges.
#include "sheet/GeometrieFeuille.h"
#include "support/MainTest.h"

#include <QTest>

using namespace galvia;

// The full view a picture gets: which one (1 fits, 2 taller, 3 wider, 4 both), and each
// scroll bar's maximum and step.
struct Vue {
    int mode = 1;
    int verticMax = 0, verticPas = 0;
    int horizMax = 0, horizPas = 0;
};
Q_DECLARE_METATYPE(Vue)

Q_DECLARE_METATYPE(galvia::Vignette)

class TestGeometrie : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void grille_data();
    void grille();
    void cases_data();
    void cases();
    void vignette_data();
    void vignette();
    void premiere_data();
    void premiere();
    void vueReelle_data();
    void vueReelle();
};

void TestGeometrie::grille_data() {
    QTest::addColumn<int>("largeur");
    QTest::addColumn<int>("cote");
    QTest::addColumn<double>("pasLigne");
    QTest::newRow("11880") << 11880 << 1128 << 1368.0;
    QTest::newRow("1129.5 to even") << 11895 << 1130 << 1370.0;
    QTest::newRow("1128.5 to even") << 11885 << 1128 << 1368.0;
    QTest::newRow("1920 px") << 28800 << 2820 << 3060.0;
}

void TestGeometrie::grille() {
    QFETCH(int, largeur);
    QFETCH(int, cote);
    QFETCH(double, pasLigne);
    const Grille g = calculerGrille(largeur, 180);
    QCOMPARE(g.LargeurCase, cote);
    QCOMPARE(g.HauteurCase, cote);
    QCOMPARE(g.PasColonne, cote + 60.0);
    QCOMPARE(g.PasLigne, pasLigne);
}

void TestGeometrie::cases_data() {
    QTest::addColumn<int>("k");
    QTest::addColumn<int>("gauche");
    QTest::addColumn<int>("haut");
    QTest::newRow("0") << 0 << 60 << 360;
    QTest::newRow("9") << 9 << 10752 << 360;
    QTest::newRow("10") << 10 << 60 << 1728;
    QTest::newRow("59") << 59 << 10752 << 7200;
}

void TestGeometrie::cases() {
    QFETCH(int, k);
    const Grille g = calculerGrille(11880, 180);
    QTEST(gaucheCase(k, g), "gauche");
    QTEST(hautCase(k, g), "haut");
    // The right edge of the last column is the inner width.
    QCOMPARE(gaucheCase(9, g) + g.LargeurCase, 11880);
}

void TestGeometrie::vignette_data() {
    QTest::addColumn<QSize>("naturelle");
    QTest::addColumn<Vignette>("place");
    const auto ligne = [](const char* nom, QSize naturelle, const Vignette& v) {
        QTest::newRow(nom) << naturelle << v;
    };
    // Natural sizes whose bordered size (+2 pixels) has the stated ratio.
    ligne("square", {98, 98}, {.left = 60, .top = 360, .width = 1128, .height = 1128});
    ligne("landscape 2:1", {198, 98}, {.left = 60, .top = 642, .width = 1128, .height = 564});
    ligne("portrait 1:2", {98, 198}, {.left = 342, .top = 360, .width = 564, .height = 1128});
    ligne("portrait 3:4 .5", {148, 198}, {.left = 201, .top = 360, .width = 846, .height = 1128});
    ligne("landscape 3:1", {298, 98}, {.left = 60, .top = 736, .width = 1128, .height = 376});
    ligne("landscape half", {99, 98}, {.left = 60, .top = 365.5, .width = 1128, .height = 1117});
}

void TestGeometrie::vignette() {
    QFETCH(QSize, naturelle);
    QFETCH(Vignette, place);
    const Grille g = calculerGrille(11880, 180);
    const Vignette v = placerVignette(tailleBordee(naturelle), 60, 360, g);
    QCOMPARE(v.left, place.left);
    QCOMPARE(v.top, place.top);
    QCOMPARE(v.width, place.width);
    QCOMPARE(v.height, place.height);
}

// A request for the page starting at `depart` (0-based) in a list of `nb`: the first
// and last list positions it shows.
struct Page {
    double depart;
    int nb, premiere, dernier;
};
Q_DECLARE_METATYPE(Page)

void TestGeometrie::premiere_data() {
    QTest::addColumn<Page>("page");
    const auto ligne = [](const char* nom, const Page& p) { QTest::newRow(nom) << p; };
    ligne("negative page", {.depart = -55.0, .nb = 245, .premiere = 0, .dernier = 60});
    ligne("negative row", {.depart = -5.0, .nb = 245, .premiere = 0, .dernier = 60});
    ligne("last page part", {.depart = 240.0, .nb = 245, .premiere = 240, .dernier = 245});
    ligne("beyond", {.depart = 300.0, .nb = 245, .premiere = 185, .dernier = 245});
    ligne("beyond short list", {.depart = 9.0, .nb = 7, .premiere = 0, .dernier = 7});
    ligne("1.5 to even", {.depart = 1.5, .nb = 245, .premiere = 2, .dernier = 62});
    ligne("2.5 to even", {.depart = 2.5, .nb = 245, .premiere = 2, .dernier = 62});
}

void TestGeometrie::premiere() {
    QFETCH(Page, page);
    const int p = premiereDiapo(page.depart, page.nb);
    QCOMPARE(p, page.premiere);
    QCOMPARE(dernierNumero(p, page.nb), page.dernier);
}

void TestGeometrie::vueReelle_data() {
    QTest::addColumn<QSizeF>("image");
    QTest::addColumn<Vue>("attendue");
    // Sheet of 11880 x 9000.
    QTest::newRow("fits") << QSizeF(11880, 9000) << Vue{.mode = 1};
    QTest::newRow("3000 taller") << QSizeF(6000, 12000)
                                 << Vue{.mode = 2, .verticMax = 3000, .verticPas = 4500};
    QTest::newRow("wider") << QSizeF(13530, 900)
                           << Vue{.mode = 3, .horizMax = 1650, .horizPas = 5940};
    QTest::newRow("both")
        << QSizeF(20000, 9001)
        << Vue{.mode = 4, .verticMax = 1, .verticPas = 4500, .horizMax = 8120, .horizPas = 5940};
    // 65534 twips too wide: the bar's range halves the overflow, and its step with it.
    QTest::newRow("overflow") << QSizeF(11880 + 65534, 900)
                              << Vue{.mode = 3, .horizMax = 32767, .horizPas = 2970};
}

void TestGeometrie::vueReelle() {
    QFETCH(QSizeF, image);
    QFETCH(Vue, attendue);
    const VueReelle v = calculerVueReelle(image, 11880, 9000);
    QCOMPARE(static_cast<int>(v.mode), attendue.mode);
    QCOMPARE(v.verticMax, attendue.verticMax);
    QCOMPARE(v.verticPas, attendue.verticPas);
    QCOMPARE(v.horizMax, attendue.horizMax);
    QCOMPARE(v.horizPas, attendue.horizPas);
    // Each bar's maximum brings the picture's far edge onto the window's edge.
    QCOMPARE(decalage(v.verticMax, v.verticMax, v.depassementV),
             image.height() > 9000 ? image.height() - 9000 : 0.0);
    QCOMPARE(decalage(v.horizMax, v.horizMax, v.depassementH),
             image.width() > 11880 ? image.width() - 11880 : 0.0);
}

GALVIA_TEST_GUILESS_MAIN(TestGeometrie)
#include "tst_feuille_geometrie.moc"
