// The real window offscreen over odd file names: a Latin-1 name and its look-alike
// each listed, shown, captioned with the replacement mark and renamed as itself; names
// full of markup shown literally in the file and folder lists, the menu bar, the
// information box and the slide sheet's labels, which never load the picture a name
// points to.
#include "support/Banc.h"
#include "support/FenetreReelle.h"
#include "support/MainTest.h"

#include "platform/NomsOctets.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMessageBox>
#include <QTest>
#include <sys/stat.h>

using namespace galvia;
using namespace galvia::test;

class TestNomsFenetre : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void nomsMontres();
};

void TestNomsFenetre::nomsMontres() {
    DossierTemporaire tmp;
    const QByteArray d = octetsDuNom(tmp.path()) + "/Images\xe9/";
    QCOMPARE(::mkdir(d.constData(), 0755), 0);
    QStringList montres{QStringLiteral("real")};
    for (const QByteArray nom : {"photo\xe9.jpg", "photo\xef\xbf\xbd.jpg", "<h1>Titre.jpg",
                                 "x <img src=real width=3000 height=3000>.jpg"}) {
        poserOctets(d + nom, {40, 10});
        montres << texteVisible(nomDepuisOctets(nom));
    }
    // The picture the markup name points to, in the current folder.
    poserOctets(d + "real", {16, 16});
    QCOMPARE(::mkdir((d + "<b>sous").constData(), 0755), 0);
    const QString r(QChar(0xFFFD));

    FenetreReelle f(nomDepuisOctets(d));
    QCOMPARE(f.vue->windowTitle(), tmp.path() + "/Images" + r + "/");
    auto* liste = qobject_cast<QListView*>(f.vue->widgetDe(f.ctl().Fichier));
    QVERIFY(liste);
    QStringList lignes;
    for (int i = 0; i < liste->model()->rowCount(); ++i)
        lignes << liste->model()->index(i, 0).data().toString();
    lignes.sort();
    montres.sort();
    QCOMPARE(lignes, montres);
    auto* dossiers = qobject_cast<QListWidget*>(f.vue->widgetDe(f.ctl().Dossier));
    QVERIFY(dossiers);
    QStringList branches, bulles;
    for (int i = 0; i < dossiers->count(); ++i) {
        branches << dossiers->item(i)->text().trimmed();
        bulles << dossiers->item(i)->toolTip();
    }
    QVERIFY2(branches.contains("Images" + r) && branches.contains("<b>sous"),
             qPrintable(branches.join('|')));
    // A tooltip reads markup: the name is escaped into it.
    QVERIFY2(bulles.last().contains("/Images" + r + "/&lt;b&gt;sous"), qPrintable(bulles.last()));

    f.touche(Qt::Key_F5);
    QCOMPARE(f.etat.NbImages, std::int16_t(4));
    QString info;
    for (int i = 1; i <= 4; ++i) {
        const QString nom = f.etat.TabImages.at(i);
        QCOMPARE(f.etat.NumImage, std::int16_t(i));
        QCOMPARE(f.legende(f.ctl().menNom),
                 QStringLiteral("=  %1 / 4  =  ").arg(i) + texteVisible(nom));
        if (nom.startsWith(QLatin1String("<h1>"))) {
            FenetreReelle::repondre([&info](QWidget* boite) {
                auto* m = qobject_cast<QMessageBox*>(boite);
                if (!m) return;
                auto* l = m->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
                if (l && l->textFormat() == Qt::PlainText) info = l->text();
                m->accept();
            });
            f.vue->actionDe(f.ctl().menNom)->trigger();
            QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
            f.vue->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(f.vue.get()));
            QVERIFY2(info.startsWith(QStringLiteral("Nom : \t<h1>Titre.jpg\n")), qPrintable(info));
        }
        f.touche(Qt::Key_PageDown);
    }

    // The slide sheet: every label shows its name as written, at the size of its text.
    QStringList vus;
    QVERIFY(f.dansLaFeuille([&vus](VueFenetreQt& vue) {
        for (int k = 0; k < 4; ++k) {
            auto* l = qobject_cast<QLabel*>(vue.widgetDe(*controle(vue.modele(), "Texte", k)));
            QWidget* diapo = vue.widgetDe(*controle(vue.modele(), "Diapo", k));
            if (!l || !diapo || l->textFormat() != Qt::PlainText || l->sizeHint().width() > 1000 ||
                diapo->accessibleName() !=
                    QStringLiteral("Diapositive %1 : ").arg(k + 1) + l->text())
                vus << QStringLiteral("label %1 not plain").arg(k);
            vus << l->text() << l->accessibleName();
        }
    }));
    QStringList attendus;
    for (int i = 1; i <= 4; ++i)
        attendus << texteVisible(f.etat.TabImages.at(i)) << texteVisible(f.etat.TabImages.at(i));
    QCOMPARE(vus, attendus);

    // F2 on the Latin-1 name offers the name as shown, and renames that file only.
    f.vue->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.vue.get()));
    const QString latin1 = nomDepuisOctets("photo\xe9.jpg");
    f.touche(Qt::Key_Home);
    while (f.etat.TabImages.at(f.etat.NumImage) != latin1 && f.etat.NumImage < 4)
        f.touche(Qt::Key_PageDown);
    QCOMPARE(f.etat.TabImages.at(f.etat.NumImage), latin1);
    QString defaut;
    FenetreReelle::repondre([&defaut](QWidget* boite) {
        auto* saisie = qobject_cast<QInputDialog*>(boite);
        if (!saisie) return;
        defaut = saisie->textValue();
        saisie->setTextValue(QStringLiteral("neuf.jpg"));
        saisie->accept();
    });
    f.touche(Qt::Key_F2);
    QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
    QCOMPARE(defaut, "photo" + r + ".jpg");
    QCOMPARE(f.etat.NomComplet, nomDepuisOctets(d + "neuf.jpg"));
}

GALVIA_TEST_MAIN(TestNomsFenetre)
#include "tst_noms_fenetre.moc"
