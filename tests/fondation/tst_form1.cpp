// The main window's logic on the in-memory platform, over real files in a temporary folder:
// start-up, modes, list builds, loading and its failures, and the keys, menus and views over a
// list; what they do to the viewer's state is tested on the state itself (tst_visionneuse).
#include "support/Banc.h"
#include "support/MainTest.h"

#include "platform/Fichiers.h"
#include "platform/Touches.h"
#include "viewer/NomsImages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <utility>

using namespace galvia;
using namespace galvia::test;

namespace {

// A bench viewing `nb` pictures 01.bmp, 02.bmp...; the first (2000 x 1500 by default,
// so that both scroll bars have a range) of size `premiere`, the others of size `autres`.
std::unique_ptr<Banc> bancVisionnant(int nb, QSize premiere = {2000, 1500}, QSize autres = {8, 6}) {
    auto b = std::make_unique<Banc>();
    for (int i = 1; i <= nb; ++i)
        dessiner(b->chemin(QStringLiteral("l/%1.bmp").arg(i, 2, 10, QLatin1Char('0'))),
                 i == 1 ? premiere : autres);
    b->demarrer(QStringLiteral("l"));
    b->ctl().affTout.cliquer();
    if (b->etat.NbImages != nb) qFatal("the list was not built");
    return b;
}

void aller(Banc& b, int numero) {
    b.etat.NumImage = static_cast<std::int16_t>(numero);
    b.ctl().ChargeImage();
    b.etat.NomComplet.clear(); // set again by the next load only
}

} // namespace

// One key pressed in the viewer over a list of 10 images, shown from image 1 with both
// scroll bars at 100 and the slideshow stopped: the view before the key (0: back to
// browsing), the key with its modifiers and `Vitesse` before it, and what it leaves.
struct Touche {
    int mode;
    int code;
    int numero; // NumImage after
    int modeApres;
    bool sens;      // SensDefile after
    QPoint valeurs; // Horiz and Vertic after
    int maj = 0;
    int vitesse = 0;
};

class TestForm1 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void demarrage_data() {
        QTest::addColumn<int>("nbFichiers"); // in the fixed start folder; -1: there is none
        QTest::newRow("dossier courant") << -1;
        QTest::newRow("une image") << 1;
        // An empty folder can be listed: it is the start folder all the same.
        QTest::newRow("vide") << 0;
    }

    void demarrage() {
        QFETCH(int, nbFichiers);
        Banc b;
        const QString fixe = b.chemin(QStringLiteral("Vordane/Images/Femmes"));
        if (nbFichiers >= 0) QVERIFY(QDir().mkpath(fixe));
        if (nbFichiers > 0) dessiner(fixe + QStringLiteral("/a.jpg"), {10, 10});
        b.ctl().DossierDepart = fixe + u'/';
        const QString avant = QDir::currentPath();
        QVERIFY(QDir::setCurrent(b.chemin()));
        b.form->Form_Load();
        const QString courant = QDir(QDir::currentPath()).canonicalPath();
        QDir::setCurrent(avant);
        const QString a = nbFichiers < 0 ? QDir(b.chemin()).canonicalPath() : fixe;
        QCOMPARE(QStringList({b.ctl().Dossier.path(), b.form->fenetre.caption(),
                              b.ctl().Fichier.path(), courant}),
                 QStringList({a, a + u'/', a, QDir(a).canonicalPath()}));
        QCOMPARE(b.ctl().Fichier.listCount(), std::max(nbFichiers, 0));
        QCOMPARE(b.form->fenetre.width(), b.plateforme.ecran.width());
    }

    void modes() {
        // A user's way through the four modes: the viewing commands only over a list, the
        // browsing panel otherwise, the list builds only while browsing.
        Banc b;
        dessiner(b.chemin(QStringLiteral("d/a.jpg")), {8, 8});
        const AccesForm1 f = b.ctl();
        const auto verifier = [&](Mode mode, const Controle* focus) {
            const bool vue = mode == Mode::TailleReelle || mode == Mode::Ajustee;
            QCOMPARE(b.etat.ModeVue, vue ? mode : Mode::Navigation);
            QCOMPARE(QList<bool>({f.menAtt.visible(), f.menNom.visible(), f.menShow.visible(),
                                  f.Renomme.enabled(), f.affAutre.enabled(), !f.Debut.visible(),
                                  !f.AutreDossier.enabled()}),
                     QList<bool>(7, vue));
            const bool parcours = mode == Mode::Navigation;
            QCOMPARE(QList<bool>({f.affTout.enabled(), f.affSelect.enabled(), f.Image0.visible(),
                                  f.Image2.visible()}),
                     QList<bool>(
                         {parcours, parcours, mode == Mode::TailleReelle, mode == Mode::Ajustee}));
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

    void listes_data() {
        // The files of the folder, the list built from them then the boxes (Banc::boites;
        // "$d": the folder; a refusal's title and icon left implicit), and the files selected
        // for a list of the selection (none: a list of all; "*": a double click on the first).
        QTest::addColumn<QStringList>("fichiers");
        QTest::addColumn<QString>("attendu");
        QTest::addColumn<QStringList>("selection");
        const auto ligne = [](const char* nom, const QStringList& fichiers, const QString& attendu,
                              const QStringList& selection = {}) {
            QTest::newRow(nom) << fichiers << attendu << selection;
        };
        // A name with quotes, a line break and accents is a name like any other; the folder's
        // own order is not the list's.
        const QString insolite = QStringLiteral("0 \"l'an\"\n été.jpg");
        ligne("tout", {"b.JPG", insolite, "C.bmp", "a.gif", "n.txt", ".c.jpg", "sous.jpg/x.jpg"},
              insolite + " a.gif b.JPG C.bmp");
        // The list grows by blocks of ten and is trimmed to its entries.
        QStringList vingtTrois, trop;
        for (int i = 23; i >= 1; --i)
            vingtTrois.append(QStringLiteral("img%1.jpg").arg(i, 2, 10, QLatin1Char('0')));
        for (int i = 0; i <= MaxImages; ++i)
            trop.append(QStringLiteral("%1.jpg").arg(i));
        ligne("vingt-trois", vingtTrois,
              QStringList(vingtTrois.rbegin(), vingtTrois.rend()).join(u' '));
        ligne("trop d'images", trop, "Trop d'images : 32 759 au plus !");
        ligne("selection", {"z.jpg", "m.gif", "a.bmp", "n.txt"}, "m.gif z.jpg",
              {"n.txt", "m.gif", "z.jpg"});
        ligne("vide", {}, "Le dossier est vide !");
        ligne("caches et dossiers", {".a.jpg", "sous/x.jpg"}, "Le dossier est vide !");
        ligne("aucun affichable", {"photo.png", "readme"}, "Aucun fichier n'est affichable !");
        ligne("rien de selectionne", {"a.jpg"}, "La sélection est vide !", {"absent"});
        ligne("selection non affichable", {"a.txt", "b.jpg"},
              "Aucun fichier sélectionné n'est affichable !", {"a.txt"});
        // A double click lists the file it is on, whatever its extension.
        ligne("double clic", {"readme.txt", "x.jpg"},
              "readme.txt Galvia|Aucune|Erreur : 481 - Image incorrecte\r\n"
              "Sur le fichier : $d/readme.txt",
              {"*"});
    }

    void listes() {
        QFETCH(QStringList, fichiers);
        QFETCH(QString, attendu);
        QFETCH(QStringList, selection);
        const bool refus = attendu.endsWith(u'!');
        Banc b;
        attendu.replace(QStringLiteral("$d"), b.chemin(QStringLiteral("d")));
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
        if (selection == QStringList{"*"})
            b.ctl().Fichier.activer(0);
        else
            (selection.isEmpty() ? b.ctl().affTout : b.ctl().affSelect).cliquer();
        // A refusal empties the list, keeps the entry number and stays browsing.
        QCOMPARE((b.liste() + b.boites()).join(u' '),
                 refus ? "Attention|Critique|" + attendu : attendu);
        QCOMPARE(b.etat.TabImages.size(), b.etat.NbImages + 1);
        QCOMPARE(int(b.etat.NumImage), 1);
        QCOMPARE(b.etat.ModeVue, refus ? Mode::Navigation : Mode::Ajustee);
    }

    void echecDeChargement_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QByteArray>("contenu"); // "tronque", "dessin": drawn by the test
        QTest::addColumn<QString>("erreur");
        const QString e481 = QStringLiteral("Erreur : 481 - Image incorrecte");
        QTest::newRow("jpeg tronque") << "t.jpg" << QByteArray("tronque") << e481;
        QTest::newRow("zero octet") << "z.jpg" << QByteArray() << e481;
        QTest::newRow("texte renomme gif") << "t.gif" << QByteArray("GIF? pas du tout\n") << e481;
        QTest::newRow("40000 x 10")
            << "large.bmp" << QByteArray("dessin") << "Erreur : 6 - Dépassement de capacité";
    }

    void echecDeChargement() {
        QFETCH(QString, nom);
        QFETCH(QByteArray, contenu);
        QFETCH(QString, erreur);
        Banc b;
        dessiner(b.chemin(QStringLiteral("d/a.jpg")), {2000, 40});
        const QString fichier = b.chemin(QStringLiteral("d/") + nom);
        if (contenu == "dessin")
            dessiner(fichier, {40000, 10});
        else if (contenu == "tronque")
            QVERIFY(QFile::resize(dessiner(fichier, {64, 64}), QFileInfo(fichier).size() / 3));
        else
            ecrire(fichier, contenu);
        b.demarrer(QStringLiteral("d"));
        b.ctl().affTout.cliquer();
        b.etat.NumImage = 2;
        b.etat.SensDefile = true;
        b.ctl().ChargeImage();
        QCOMPARE(b.boites(),
                 QStringList{"Galvia|Aucune|" + erreur + "\r\nSur le fichier : " + fichier});
        // The counter names the new file; both views and the scroll bar keep the previous
        // picture, and a slideshow goes on.
        const AccesForm1 f = b.ctl();
        QCOMPARE(QStringList({f.menNom.caption(), b.etat.NomComplet}),
                 QStringList({QStringLiteral("=  2 / 2  =  ") + nom, fichier}));
        QCOMPARE(
            std::tuple(f.Image1.width(), f.Image2.image().size(), f.Horiz.visible(), f.Horiz.max()),
            std::tuple(2000.0, QSize(2000, 40), true, 976));
        QCOMPARE(std::tuple(b.etat.SensDefile, int(b.etat.NbImages), int(b.etat.TabImages.size()),
                            b.form->fenetre.occupe()),
                 std::tuple(true, 2, 3, false));
    }

    void ascenseurs() {
        auto b = bancVisionnant(2, {1500, 1200}, {1100, 800});
        const AccesForm1 f = b->ctl();
        QVERIFY(f.Horiz.visible() && f.Vertic.visible());
        QCOMPARE(QList<double>({f.Horiz.width(), f.Horiz.top(), f.Vertic.left(), f.Vertic.height(),
                                f.Image2.width(), f.Image2.left()}),
                 QList<double>({1008, 752, 1008, 752, 960, 32}));
        QCOMPARE(QPoint(f.Horiz.max(), f.Vertic.max()), QPoint(492, 448));
        // Scrolling moves the natural-size picture, which keeps its place and its decode
        // across the views; the scroll bars never keep the focus.
        f.Horiz.setValue(400);
        f.Vertic.setValue(300);
        const qint64 cle = f.Image1.image().cacheKey();
        f.Image2.cliquer();
        QCOMPARE(QPointF(f.Image1.left(), f.Image1.top()), QPointF(-400, -300));
        f.Horiz.setFocus();
        QVERIFY(f.Image1.aLeFocus());
        f.Image1.cliquer();
        QCOMPARE(f.Image1.image().cacheKey(), cle);
        f.Vertic.setFocus();
        QVERIFY(!f.Vertic.aLeFocus() && !f.Horiz.aLeFocus());
        // A smaller maximum pulls the value down.
        aller(*b, 2);
        QCOMPARE(QList<double>({double(f.Horiz.max()), double(f.Horiz.value()), f.Image1.left(),
                                double(f.Vertic.max()), f.Image1.top()}),
                 QList<double>({92, 92, -92, 48, -48}));
    }

    void lecteurIllisible() {
        Banc b;
        b.demarrer();
        const QString avant = b.ctl().Dossier.path();
        b.ctl().Lecteur.setDrive(QStringLiteral("/nulle/part/"));
        QCOMPARE(QStringList({b.ctl().Dossier.path(), b.ctl().Lecteur.drive()}) + b.messages(),
                 QStringList({avant, "/nulle/part/"}));
        // Opening a folder in the folder list moves the file list and the caption.
        QDir().mkpath(b.chemin(QStringLiteral("x")));
        b.ctl().Lecteur.setDrive(QStringLiteral("/"));
        QCOMPARE(b.ctl().Dossier.path() + b.form->fenetre.caption(), QStringLiteral("//"));
    }

    void menus() {
        // Each item of "A&tteindre" from entry 3 of 7, a prompt answered "05"; then each
        // slideshow direction of "&Show" and a tick: the entry reached, "*" if it was loaded,
        // and for the slideshow the entry the counter names; then the other "&Show" items.
        auto b = bancVisionnant(7);
        const AccesForm1 f = b->ctl();
        QString trace;
        const auto noter = [&] {
            trace +=
                QString::number(b->etat.NumImage) + (b->etat.NomComplet.isEmpty() ? " " : "* ");
        };
        for (int i = 0; i < 10; ++i) {
            aller(*b, 3);
            b->plateforme.reponses = {QStringLiteral("05")};
            f.Bouge[i]->cliquer();
            noter();
        }
        for (const Show commande : {Show::Croissant, Show::Decroissant, Show::Stop}) {
            aller(*b, 3);
            f.Defile[Show::Croissant]->cliquer();
            f.Defile[commande]->cliquer();
            f.Timer1.tick();
            noter();
            trace += f.menNom.caption().section(u' ', 2, 2) + u' ';
        }
        QCOMPARE(trace, QStringLiteral("5* 5* 4* 2* 1* 2* 3 4* 5* 7* 4* 4 2* 2 3 3 "));
        // The speed: the timer and the factor in both commands.
        f.Defile[Show::Croissant]->cliquer();
        f.Defile[Show::VitesseMoitie]->cliquer();
        QCOMPARE(QStringList({QString::number(f.Timer1.interval()),
                              f.Defile[Show::VitesseDouble]->caption(),
                              f.Defile[Show::VitesseMoitie]->caption()}),
                 QStringList({"2048", "&Vitesse Double (0.5)", "Vitesse &Moitié (0.5)"}));
        QVERIFY(b->plateforme.messages.empty());
        // Small pictures enlarged to the window, the same entry loaded again, and back.
        aller(*b, 5);
        QCOMPARE(f.Image2.width(), 8.0);
        f.Defile[5]->cliquer();
        QCOMPARE(std::tuple(f.Defile[5]->checked(), b->etat.NomComplet.isEmpty(),
                            int(b->etat.NumImage), f.Image2.width()),
                 std::tuple(false, false, 5, 1024.0));
        f.Defile[5]->cliquer();
        QCOMPARE(std::pair(f.Defile[5]->checked(), f.Image2.width()), std::pair(true, 8.0));
    }

    void touches_data() {
        QTest::addColumn<Touche>("t");
        using namespace galvia::touche;
        const auto ligne = [](const char* nom, const Touche& t) { QTest::newRow(nom) << t; };
        const QPoint zero(0, 0), cent(100, 100); // another picture, that fits: both bars at 0
        ligne("PgDn", {2, PageBas, 2, 2, false, zero});
        ligne("PgDn Maj", {2, PageBas, 2, 2, false, zero, MajMask});
        ligne("PgDn Ctrl Alt", {2, PageBas, 2, 2, false, zero, CtrlMask | AltMask});
        ligne("PgUp", {1, PageHaut, 10, 1, false, zero});
        ligne("Fin", {2, Fin, 10, 2, false, zero});
        ligne("Debut", {2, Debut, 1, 2, false, cent});
        ligne("Gauche", {2, Gauche, 1, 2, false, {0, 100}});
        ligne("Haut", {1, Haut, 1, 1, false, {100, 0}});
        ligne("Droite", {1, Droite, 1, 1, false, {992, 100}});
        ligne("Bas", {2, Bas, 1, 2, false, {100, 748}});
        ligne("Inser", {2, Inser, 1, 2, true, cent});
        ligne("Plus", {2, PavePlus, 1, 1, false, cent});
        ligne("Plus vue 1", {1, PavePlus, 1, 2, false, cent});
        ligne("Espace reprise Maj", {2, Espace, 1, 2, true, cent, MajMask, -1});
        for (int d = 1; d <= 4; ++d) {
            QTest::addRow("chiffre %d", d) << Touche{2, Chiffre0 + d, 2 * d, 2, false, zero};
            QTest::addRow("pave %d", d) << Touche{1, PaveChiffre0 + d, 2 * d, 1, false, zero};
        }
        for (const int sans : {Chiffre0, Chiffre0 + 5, Chiffre0 + 9, PaveChiffre0, PaveChiffre0 + 5,
                               int(Echap), 187, 65})
            QTest::addRow("sans effet %d", sans) << Touche{2, sans, 1, 2, false, cent};
        for (const int code :
             {int(PageBas), int(Fin), Chiffre0 + 4, int(Inser), int(PavePlus), int(Droite)})
            QTest::addRow("navigation %d", code) << Touche{0, code, 1, 0, false, cent};
    }

    void touches() {
        QFETCH(Touche, t);
        auto b = bancVisionnant(10);
        const AccesForm1 f = b->ctl();
        f.Horiz.setValue(100);
        f.Vertic.setValue(100);
        if (t.mode == 0) f.affAutre.cliquer();
        if (t.mode == 1) f.Image2.cliquer();
        b->etat.Vitesse = t.vitesse;
        b->form->fenetre.toucher(t.code, t.maj);
        QCOMPARE(std::tuple(int(b->etat.NumImage), int(b->etat.ModeVue), b->etat.SensDefile,
                            QPoint(f.Horiz.value(), f.Vertic.value())),
                 std::tuple(t.numero, t.modeApres, t.sens, t.valeurs));
        QCOMPARE(QPointF(f.Image1.left(), f.Image1.top()), -QPointF(t.valeurs));
        if (t.code == touche::Inser && t.mode != 0) QCOMPARE(b->etat.Vitesse, 1);
    }
};

GALVIA_TEST_MAIN(TestForm1)
#include "tst_form1.moc"
