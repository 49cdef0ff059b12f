// The slide sheet's geometry as pure functions: the grid, its cells and the thumbnails' boxes (the
// pages and the full-size view's scroll ranges are checked through the sheet, in tst_feuille).
#include "sheet/GeometrieFeuille.h"
#include "support/MainTest.h"

#include <QTest>

using namespace galvia;

class TestGeometrie : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void grille_data() {
        QTest::addColumn<int>("largeur");
        QTest::addColumn<int>("cote");
        QTest::addColumn<double>("pasLigne");
        QTest::addColumn<QPoint>("case10"); // left and top of cells 10 and 59
        QTest::addColumn<QPoint>("case59");
        QTest::newRow("11880") << 11880 << 1128 << 1368.0 << QPoint(60, 1728)
                               << QPoint(10752, 7200);
        QTest::newRow("1129.5 to even")
            << 11895 << 1130 << 1370.0 << QPoint(60, 1730) << QPoint(10770, 7210);
        QTest::newRow("1128.5 to even")
            << 11885 << 1128 << 1368.0 << QPoint(60, 1728) << QPoint(10752, 7200);
    }

    // Square cells, 10 a row: at 11880 the last column's right edge is the inner width.
    void grille() {
        QFETCH(int, largeur);
        QFETCH(int, cote);
        const Grille g = calculerGrille(largeur, 180);
        QCOMPARE(g.LargeurCase, cote);
        QCOMPARE(g.HauteurCase, cote);
        QCOMPARE(g.PasColonne, cote + 60.0);
        QTEST(g.PasLigne, "pasLigne");
        QCOMPARE(QPoint(gaucheCase(0, g), hautCase(0, g)), QPoint(60, 360));
        QTEST(QPoint(gaucheCase(10, g), hautCase(10, g)), "case10");
        QTEST(QPoint(gaucheCase(59, g), hautCase(59, g)), "case59");
    }

    void vignette_data() {
        QTest::addColumn<QSize>("naturelle");
        QTest::addColumn<QRectF>("place");
        // Natural sizes whose bordered size (+2 pixels) has the stated ratio.
        QTest::newRow("square") << QSize(98, 98) << QRectF(60, 360, 1128, 1128);
        QTest::newRow("landscape 2:1") << QSize(198, 98) << QRectF(60, 642, 1128, 564);
        QTest::newRow("portrait 1:2") << QSize(98, 198) << QRectF(342, 360, 564, 1128);
        QTest::newRow("landscape half") << QSize(99, 98) << QRectF(60, 365.5, 1128, 1117);
    }

    void vignette() {
        QFETCH(QSize, naturelle);
        const Vignette v =
            placerVignette(tailleBordee(naturelle), 60, 360, calculerGrille(11880, 180));
        QTEST(QRectF(v.left, v.top, v.width, v.height), "place");
    }
};

GALVIA_TEST_GUILESS_MAIN(TestGeometrie)
#include "tst_feuille_geometrie.moc"
