// The real slide sheet offscreen, over real pictures: F8 opens it over the main window, Page Down
// pages, a thumbnail shows its picture, F4 closes it, and the main window is back as it was.
#include "images/Bombe.h"
#include "support/FenetreReelle.h"
#include "support/MainTest.h"

#include "platform/decodage/BudgetDecodage.h"
#include "platform/decodage/PoolDecodage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

using namespace galvia;
using namespace galvia::test;

class TestFeuilleFenetre : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ouvrirPaginerFermer() {
        QTemporaryDir dossier;
        for (int i = 1; i <= 70; ++i)
            dessiner(dossier.filePath(QStringLiteral("p%1.jpg").arg(i, 2, 10, QLatin1Char('0'))),
                     i == 63 ? QSize(1500, 1000) : QSize(40 + i, 30));
        FenetreReelle f(dossier.path() + u'/');
        f.touche(Qt::Key_F5);
        f.touche(Qt::Key_PageDown);
        const QString compteur = f.legende(f.ctl().menNom);
        QCOMPARE(compteur, QStringLiteral("=  2 / 70  =  p02.jpg"));

        QStringList vu;
        QVERIFY(f.dansLaFeuille([&](VueFenetreQt& vue) {
            Fenetre& feuille = vue.modele();
            const auto texte = [&](const QString& nom) {
                return static_cast<Etiquette*>(controle(feuille, nom))->caption();
            };
            vu << texte(QStringLiteral("Titre")) << vue.windowTitle();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
            QTRY_VERIFY(!feuille.occupe()); // the page filled, its thumbnails arriving
            vu << texte(QStringLiteral("Titre"));
            QWidget* image1 = vue.widgetDe(*controle(feuille, QStringLiteral("Image1")));
            QWidget* w = vue.widgetDe(*controle(feuille, "Diapo", 2)); // the 63rd picture
            vu << w->accessibleName() << QString::number(w->isVisible());
            QTest::mouseClick(w, Qt::LeftButton);
            vu << QString::number(image1->isVisible()) << QString::number(image1->width());
            // The picture and its bars lie above the thumbnails loaded after them.
            QWidget* autre = vue.widgetDe(*controle(feuille, "Diapo", 4));
            QWidget* dessus = vue.centralWidget()->childAt(autre->geometry().center());
            vu << QString::number(dessus == image1)
               << QString::number(vue.widgetDe(*controle(feuille, "Vertic"))->isVisible());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4);
            vu << QString::number(feuille.ferme());
        }));
        QCOMPARE(vu, (QStringList{"De 1 à 60 (sur 70)", "Diapositives " + dossier.path() + u'/',
                                  "De 61 à 70 ( sur 70)", "Diapositive 63 : p63.jpg", "1", "1",
                                  "1502", "1", "1", "1"}));
        QCOMPARE(f.legende(f.ctl().menNom), compteur);
        QCOMPARE(f.etat.NumImage, std::int16_t(2));
        QVERIFY(!f.vue->actionDe(f.ctl().menCompte)->isVisible() && !f.form->fenetre.occupe() &&
                !QApplication::activeModalWidget());
    }

    // A page of decompression bombs: the window's own close command ends the sheet at once,
    // while the page fills, its decodes left to end in the background.
    void fermerPendantLeRemplissage() {
        QTemporaryDir dossier;
        dessiner(dossier.filePath(QStringLiteral("a.bmp")), {40, 30});
        for (int i = 1; i <= 60; ++i)
            ecrire(dossier.filePath(QStringLiteral("b%1.bmp").arg(i, 2, 10, QLatin1Char('0'))),
                   bombeBmp(16000));
        FenetreReelle f(dossier.path() + u'/');
        f.touche(Qt::Key_F5);
        // The viewer's own decodes ahead end first, so that the memory seen below is the sheet's.
        QVERIFY(PoolDecodage::commun().attendreInactif(std::chrono::minutes(3)));

        QElapsedTimer depuisFermeture;
        auto essai = std::make_shared<std::function<void()>>();
        *essai = [&, essai] {
            auto* vue = qobject_cast<VueFenetreQt*>(QApplication::activeModalWidget());
            if (!vue || vue->modele().nom() != QLatin1String("Form2") ||
                budgetDecodage().reserve() == 0) {
                QTimer::singleShot(10, *essai);
                return;
            }
            // A bomb is being decoded for the page.
            depuisFermeture.start();
            vue->close();
        };
        QTimer::singleShot(0, *essai);
        f.touche(Qt::Key_F8);
        // The decode that was running still holds its memory: the sheet did not wait for it.
        QVERIFY(budgetDecodage().reserve() > 0 && depuisFermeture.isValid());
        // Generous: only a sheet that waits for its decodes takes seconds here.
        QVERIFY2(depuisFermeture.elapsed() < 10000,
                 qPrintable(QString::number(depuisFermeture.elapsed())));
        QVERIFY(!QApplication::activeModalWidget() && !f.form->fenetre.occupe());
        QVERIFY(PoolDecodage::commun().attendreInactif(std::chrono::minutes(3)));
        QCOMPARE(budgetDecodage().reserve(), std::int64_t{0});
    }
};

GALVIA_TEST_MAIN(TestFeuilleFenetre)
#include "tst_feuille_fenetre.moc"
