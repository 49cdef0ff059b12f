// The main window's logic on the in-memory platform: start-up, modes, list builds,
// loading and its failures, over real files in a temporary folder.
#include "support/Banc.h"
#include "support/MainTest.h"

#include "platform/Fichiers.h"
#include "platform/Touches.h"
#include "viewer/NomsImages.h"

#include <QBuffer>
#include <QDir>
#include <QTest>

using namespace galvia;
using namespace galvia::test;

class TestForm1 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void demarrage_data();
    void demarrage();
    void modes();
    void listes_data();
    void listes();
    void doubleClic();
    void echecDeChargement_data();
    void echecDeChargement();
    void ascenseurs();
    void lecteurIllisible();
};

void TestForm1::demarrage_data() {
    QTest::addColumn<int>("nbFichiers"); // in the fixed start folder; -1: there is none
    QTest::newRow("dossier courant") << -1;
    QTest::newRow("une image") << 1;
    // An empty folder can be listed: it is the start folder all the same.
    QTest::newRow("vide") << 0;
}

void TestForm1::demarrage() {
    QFETCH(int, nbFichiers);
    Banc b;
    const QString fixe = b.chemin(QStringLiteral("Vordane/Images/Femmes"));
    if (nbFichiers >= 0) QVERIFY(QDir().mkpath(fixe));
    if (nbFichiers > 0) dessiner(fixe + QStringLiteral("/a.jpg"), {10, 10});
    b.ctl().DossierDepart = fixe + u'/';
    const QString avant = QDir::currentPath();
    QVERIFY(QDir::setCurrent(b.chemin()));
    b.form->Form_Load();
    const QString courant = QDir::currentPath();
    QDir::setCurrent(avant);
    const QString attendu = nbFichiers < 0 ? QDir(b.chemin()).canonicalPath() : fixe;
    QCOMPARE(b.ctl().Dossier.path(), attendu);
    QCOMPARE(b.form->fenetre.caption(), attendu + u'/');
    QCOMPARE(b.ctl().Fichier.path(), attendu);
    QCOMPARE(QDir(courant).canonicalPath(), QDir(attendu).canonicalPath());
    QCOMPARE(b.ctl().Fichier.listCount(), std::max(nbFichiers, 0));
    QCOMPARE(b.form->fenetre.width(), b.plateforme.ecran.width());
}

void TestForm1::modes() {
    // A user's way through the four modes: the viewing commands only over a list, the
    // browsing panel otherwise, the list builds only while browsing.
    Banc b;
    dessiner(b.chemin(QStringLiteral("d/a.jpg")), {8, 8});
    const AccesForm1 f = b.ctl();
    const auto verifier = [&](Mode mode, const Controle* focus) {
        const bool vue = mode == Mode::TailleReelle || mode == Mode::Ajustee;
        QCOMPARE(b.etat.ModeVue, vue ? int(mode) : 0);
        QCOMPARE(QList<bool>({f.menAtt.visible(), f.menNom.visible(), f.menShow.visible(),
                              f.Renomme.enabled(), f.affAutre.enabled(), !f.Debut.visible(),
                              !f.AutreDossier.enabled()}),
                 QList<bool>(7, vue));
        QCOMPARE(QList<bool>({f.affTout.enabled(), f.affSelect.enabled()}),
                 QList<bool>(2, mode == Mode::Navigation));
        QCOMPARE(f.Image0.visible(), mode == Mode::TailleReelle);
        QCOMPARE(f.Image2.visible(), mode == Mode::Ajustee);
        if (focus) QCOMPARE(b.form->fenetre.focus(), focus);
    };
    b.demarrer(QStringLiteral("d"));
    verifier(Mode::Navigation, nullptr);
    f.affTout.cliquer();
    verifier(Mode::Ajustee, nullptr);
    f.Image2.cliquer();
    verifier(Mode::TailleReelle, &f.Image1);
    f.ChatRex.setVisible(true);
    f.Image1.cliquer();
    verifier(Mode::Ajustee, nullptr);
    QVERIFY(!f.ChatRex.visible());
    // Changing folders stops the slideshow and forgets the multi-folder selection; the
    // list stays.
    b.etat.MultiDossier = 1;
    b.etat.SensDefile = true;
    f.affAutre.cliquer();
    verifier(Mode::Navigation, &f.Lecteur);
    QVERIFY(b.etat.MultiDossier == 0 && !b.etat.SensDefile && b.etat.NbImages == 1);
    f.AutreDossier.cliquer();
    verifier(Mode::ChoixDossiers, &f.Dossier);
    f.Dossier.surTouche(touche::Echap, 0);
    verifier(Mode::Navigation, &f.Lecteur);
}

void TestForm1::listes_data() {
    // The files of the folder, those selected, and the box that refuses a list built from
    // all or from the selection, or the list it gives.
    QTest::addColumn<QStringList>("fichiers");
    QTest::addColumn<QStringList>("selection");
    QTest::addColumn<bool>("parSelection");
    QTest::addColumn<QString>("message");
    // A name with quotes, a line break and accents is a name like any other; the folder's
    // own order is not the list's.
    const QString insolite = QStringLiteral("0 \"l'an\"\n été.jpg");
    QTest::newRow("tout") << QStringList{"b.JPG", insolite, "C.bmp",         "a.gif",
                                         "n.txt", ".c.jpg", "sous.jpg/x.jpg"}
                          << QStringList{} << false << insolite + " a.gif b.JPG C.bmp";
    // The list grows by blocks of ten and is trimmed to its entries.
    QStringList vingtTrois, trop;
    for (int i = 23; i >= 1; --i)
        vingtTrois.append(QStringLiteral("img%1.jpg").arg(i, 2, 10, QLatin1Char('0')));
    for (int i = 0; i <= MaxImages; ++i)
        trop.append(QStringLiteral("%1.jpg").arg(i));
    QTest::newRow("vingt-trois") << vingtTrois << QStringList{} << false
                                 << QStringList(vingtTrois.rbegin(), vingtTrois.rend()).join(u' ');
    QTest::newRow("trop d'images")
        << trop << QStringList{} << false << "Trop d'images : 32 759 au plus !";
    QTest::newRow("selection") << QStringList{"z.jpg", "m.gif", "a.bmp", "n.txt"}
                               << QStringList{"n.txt", "m.gif", "z.jpg"} << true << "m.gif z.jpg";
    QTest::newRow("vide") << QStringList{} << QStringList{} << false << "Le dossier est vide !";
    QTest::newRow("caches et dossiers")
        << QStringList{".a.jpg", "sous/x.jpg"} << QStringList{} << false << "Le dossier est vide !";
    QTest::newRow("aucun affichable") << QStringList{"photo.png", "readme"} << QStringList{}
                                      << false << "Aucun fichier n'est affichable !";
    QTest::newRow("rien de selectionne")
        << QStringList{"a.jpg"} << QStringList{} << true << "La sélection est vide !";
    QTest::newRow("dossier vide selection")
        << QStringList{} << QStringList{} << true << "La sélection est vide !";
    QTest::newRow("selection non affichable")
        << QStringList{"a.txt", "b.jpg"} << QStringList{"a.txt"} << true
        << "Aucun fichier sélectionné n'est affichable !";
}

void TestForm1::listes() {
    QFETCH(QStringList, fichiers);
    QFETCH(QStringList, selection);
    QFETCH(bool, parSelection);
    QFETCH(QString, message);
    const bool refus = message.endsWith(u'!');
    Banc b;
    QDir().mkpath(b.chemin(QStringLiteral("d")));
    for (const QString& f : fichiers)
        if (refus || f.endsWith(QLatin1String(".txt")))
            ecrire(b.chemin(QStringLiteral("d/") + f), "x");
        else
            dessiner(b.chemin(QStringLiteral("d/") + f), {8, 8});
    b.demarrer(QStringLiteral("d"));
    b.etat.TabImages = QStringList{QString(), QStringLiteral("ancienne.jpg")};
    b.etat.NbImages = 1;
    b.etat.NumImage = 1;
    for (int i = 0; i < b.ctl().Fichier.listCount(); ++i)
        b.ctl().Fichier.setSelected(i, selection.contains(b.ctl().Fichier.list(i)));
    (parSelection ? b.ctl().affSelect : b.ctl().affTout).cliquer();
    if (!refus) {
        QCOMPARE(b.liste().join(u' '), message);
        QCOMPARE(b.etat.TabImages.size(), b.etat.NbImages + 1);
        QCOMPARE(int(b.etat.ModeVue), 2);
        QVERIFY(b.plateforme.messages.empty());
        return;
    }
    QCOMPARE(b.plateforme.messages.size(), size_t(1));
    QCOMPARE(b.plateforme.messages[0].texte, message);
    QCOMPARE(b.plateforme.messages[0].titre, QStringLiteral("Attention"));
    QVERIFY(b.plateforme.messages[0].icone == Icone::Critique);
    QCOMPARE(int(b.etat.NbImages), 0);
    QCOMPARE(b.etat.TabImages.size(), 1);
    QCOMPARE(int(b.etat.NumImage), 1); // kept
    QCOMPARE(int(b.etat.ModeVue), 0);
}

void TestForm1::doubleClic() {
    Banc b;
    ecrire(b.chemin(QStringLiteral("d/readme.txt")), "pas une image");
    dessiner(b.chemin(QStringLiteral("d/x.jpg")), {8, 8});
    b.demarrer(QStringLiteral("d"));
    b.ctl().Fichier.activer(0); // readme.txt: no extension test
    QCOMPARE(b.etat.TabImages, (QStringList{QString(), "readme.txt"}));
    QCOMPARE(int(b.etat.NbImages), 1);
    QCOMPARE(int(b.etat.ModeVue), 2);
    QCOMPARE(b.messages(),
             QStringList{QStringLiteral("Erreur : 481 - Image incorrecte\r\nSur le fichier : ") +
                         b.chemin(QStringLiteral("d/readme.txt"))});
    QCOMPARE(b.plateforme.messages[0].titre, QStringLiteral("Galvia"));
    QVERIFY(b.plateforme.messages[0].icone == Icone::Aucune);
}

void TestForm1::echecDeChargement_data() {
    QTest::addColumn<QString>("nom");
    QTest::addColumn<QByteArray>("contenu"); // empty: drawn by the test
    QTest::addColumn<QString>("erreur");
    QByteArray jpeg;
    {
        QImage i(64, 64, QImage::Format_RGB32);
        i.fill(Qt::red);
        QBuffer buf(&jpeg);
        buf.open(QIODevice::WriteOnly);
        i.save(&buf, "JPG");
    }
    QTest::newRow("jpeg tronque") << "t.jpg" << jpeg.left(jpeg.size() / 3)
                                  << "Erreur : 481 - Image incorrecte";
    QTest::newRow("zero octet") << "z.jpg" << QByteArray() << "Erreur : 481 - Image incorrecte";
    QTest::newRow("texte renomme gif")
        << "t.gif" << QByteArray("GIF? pas du tout\n") << "Erreur : 481 - Image incorrecte";
    QTest::newRow("40000 x 10") << "large.bmp" << QByteArray("dessin")
                                << "Erreur : 6 - Dépassement de capacité";
}

void TestForm1::echecDeChargement() {
    QFETCH(QString, nom);
    QFETCH(QByteArray, contenu);
    QFETCH(QString, erreur);
    Banc b;
    dessiner(b.chemin(QStringLiteral("d/a.jpg")), {2000, 40});
    const QString fichier = b.chemin(QStringLiteral("d/") + nom);
    if (contenu == "dessin") {
        QImage large(40000, 10, QImage::Format_Mono);
        large.fill(0);
        QVERIFY(large.save(fichier, "BMP"));
    } else {
        ecrire(fichier, contenu);
    }
    b.demarrer(QStringLiteral("d"));
    b.form->affTout_Click();
    QCOMPARE(b.ctl().Image1.width(), 2000.0);
    b.etat.NumImage = 2;
    b.form->ChargeImage();
    QCOMPARE(b.messages(), QStringList{erreur + QStringLiteral("\r\nSur le fichier : ") + fichier});
    // The counter names the new file; both views and the scroll bar keep the previous
    // picture.
    QCOMPARE(b.ctl().menNom.caption(), QStringLiteral("=  2 / 2  =  ") + nom);
    QCOMPARE(b.etat.NomComplet, fichier);
    QCOMPARE(b.ctl().Image1.width(), 2000.0);
    QCOMPARE(b.ctl().Image2.image().size(), QSize(2000, 40));
    QVERIFY(b.ctl().Horiz.visible());
    QCOMPARE(b.ctl().Horiz.max(), 976);
    QCOMPARE(int(b.etat.NbImages), 2);
    QCOMPARE(b.etat.TabImages.size(), 3);
    QVERIFY(!b.form->fenetre.occupe());
}

void TestForm1::ascenseurs() {
    Banc b;
    dessiner(b.chemin(QStringLiteral("d/a.jpg")), {1500, 1200});
    dessiner(b.chemin(QStringLiteral("d/b.jpg")), {1100, 800});
    b.demarrer(QStringLiteral("d"));
    b.form->affTout_Click();
    const AccesForm1 f = b.ctl();
    QVERIFY(f.Horiz.visible() && f.Vertic.visible());
    QCOMPARE(f.Horiz.width(), 1008.0);
    QCOMPARE(f.Horiz.top(), 752.0);
    QCOMPARE(f.Vertic.left(), 1008.0);
    QCOMPARE(f.Vertic.height(), 752.0);
    QCOMPARE(f.Horiz.max(), 492);
    QCOMPARE(f.Vertic.max(), 448);
    QCOMPARE(f.Image2.width(), 960.0);
    QCOMPARE(f.Image2.left(), 32.0);
    // Scrolling moves the natural-size picture; a smaller maximum pulls the value down.
    f.Horiz.setValue(400);
    f.Vertic.setValue(300);
    QCOMPARE(f.Image1.left(), -400.0);
    QCOMPARE(f.Image1.top(), -300.0);
    b.etat.NumImage = 2;
    b.form->ChargeImage();
    QCOMPARE(f.Horiz.max(), 92);
    QCOMPARE(f.Horiz.value(), 92);
    QCOMPARE(f.Image1.left(), -92.0);
    QCOMPARE(f.Vertic.max(), 48);
    QCOMPARE(f.Image1.top(), -48.0);
}

void TestForm1::lecteurIllisible() {
    Banc b;
    b.demarrer();
    const QString avant = b.ctl().Dossier.path();
    b.ctl().Lecteur.setDrive(QStringLiteral("/nulle/part/"));
    QCOMPARE(b.ctl().Dossier.path(), avant);
    QCOMPARE(b.ctl().Lecteur.drive(), QStringLiteral("/nulle/part/"));
    QVERIFY(b.plateforme.messages.empty());
    // Opening a folder in the folder list moves the file list and the caption.
    QDir().mkpath(b.chemin(QStringLiteral("x")));
    b.ctl().Lecteur.setDrive(QStringLiteral("/"));
    QCOMPARE(b.ctl().Dossier.path(), QStringLiteral("/"));
    QCOMPARE(b.form->fenetre.caption(), QStringLiteral("/"));
}

GALVIA_TEST_MAIN(TestForm1)
#include "tst_form1.moc"
