// The main window's logic on the in-memory platform, over real files in a temporary
// folder: start-up, modes, list builds, loading and its failures, and the keys, menus and
// views over a list; what they do to the viewer's state is tested on the state itself
// (tst_visionneuse).
#include "support/Banc.h"
#include "support/MainTest.h"

#include "platform/Fichiers.h"
#include "platform/Touches.h"
#include "viewer/NomsImages.h"

#include <QBuffer>
#include <QDir>
#include <QTest>
#include <utility>

using namespace galvia;
using namespace galvia::test;

namespace {

// A bench viewing `nb` pictures 01.bmp, 02.bmp...; the first is 2000 x 1500 so that
// both scroll bars have a range, the others are small.
std::unique_ptr<Banc> bancVisionnant(int nb) {
    auto b = std::make_unique<Banc>();
    for (int i = 1; i <= nb; ++i)
        dessiner(b->chemin(QStringLiteral("l/%1.bmp").arg(i, 2, 10, QLatin1Char('0'))),
                 i == 1 ? QSize(2000, 1500) : QSize(8, 6));
    b->demarrer(QStringLiteral("l"));
    b->ctl().affTout.cliquer();
    if (b->etat.NbImages != nb) qFatal("the list was not built");
    return b;
}

void aller(Banc& b, int numero) {
    b.etat.NumImage = static_cast<std::int16_t>(numero);
    b.form->ChargeImage();
    b.etat.NomComplet.clear(); // set again by the next load only
}

bool recharge(const Banc& b) {
    return !b.etat.NomComplet.isEmpty();
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
Q_DECLARE_METATYPE(Touche)

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
    void menus();
    void touches_data();
    void touches();
    void petitesImages();
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
        QCOMPARE(b.etat.ModeVue, vue ? mode : Mode::Navigation);
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
        QCOMPARE(b.etat.ModeVue, Mode::Ajustee);
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
    QCOMPARE(b.etat.ModeVue, Mode::Navigation);
}

void TestForm1::doubleClic() {
    Banc b;
    ecrire(b.chemin(QStringLiteral("d/readme.txt")), "pas une image");
    dessiner(b.chemin(QStringLiteral("d/x.jpg")), {8, 8});
    b.demarrer(QStringLiteral("d"));
    b.ctl().Fichier.activer(0); // readme.txt: no extension test
    QCOMPARE(b.etat.TabImages, (QStringList{QString(), "readme.txt"}));
    QCOMPARE(int(b.etat.NbImages), 1);
    QCOMPARE(b.etat.ModeVue, Mode::Ajustee);
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
    b.etat.SensDefile = true;
    b.form->ChargeImage();
    QCOMPARE(b.messages(), QStringList{erreur + QStringLiteral("\r\nSur le fichier : ") + fichier});
    // The counter names the new file; both views and the scroll bar keep the previous
    // picture, and a slideshow goes on.
    QVERIFY(b.etat.SensDefile);
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

void TestForm1::menus() {
    // Each item of "A&tteindre" from entry 3 of 7, a prompt answered "05"; then each
    // slideshow direction of "&Show" and a tick.
    const QList<int> arrivees{5, 5, 4, 2, 1, 2, 3, 4, 5, 7};
    auto b = bancVisionnant(7);
    for (int i = 0; i < 10; ++i) {
        aller(*b, 3);
        b->plateforme.reponses = {QStringLiteral("05")};
        b->ctl().Bouge[i]->cliquer();
        QCOMPARE(b->etat.NumImage, arrivees[i]);
        QCOMPARE(recharge(*b), arrivees[i] != 3);
    }
    const std::pair<Show, int> sens[] = {
        {Show::Croissant, 4}, {Show::Decroissant, 2}, {Show::Stop, 3}};
    for (const auto& [commande, arrivee] : sens) {
        aller(*b, 3);
        b->ctl().Defile[Show::Croissant]->cliquer();
        b->ctl().Defile[commande]->cliquer();
        b->ctl().Timer1.tick();
        QCOMPARE(b->etat.NumImage, arrivee);
        QCOMPARE(recharge(*b), arrivee != 3);
        QCOMPARE(b->ctl().menNom.caption().section(u' ', 2, 2), QString::number(arrivee));
    }
    // The speed: the timer and the factor in both commands.
    b->ctl().Defile[Show::Croissant]->cliquer();
    b->ctl().Defile[Show::VitesseMoitie]->cliquer();
    QCOMPARE(b->ctl().Timer1.interval(), 2048);
    QCOMPARE(b->ctl().Defile[Show::VitesseDouble]->caption(),
             QStringLiteral("&Vitesse Double (0.5)"));
    QCOMPARE(b->ctl().Defile[Show::VitesseMoitie]->caption(),
             QStringLiteral("Vitesse &Moitié (0.5)"));
    QVERIFY(b->plateforme.messages.empty());
}

void TestForm1::touches_data() {
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

void TestForm1::touches() {
    QFETCH(Touche, t);
    auto b = bancVisionnant(10);
    const AccesForm1 f = b->ctl();
    f.Horiz.setValue(100);
    f.Vertic.setValue(100);
    if (t.mode == 0) f.affAutre.cliquer();
    if (t.mode == 1) f.Image2.cliquer();
    b->etat.Vitesse = t.vitesse;
    b->form->fenetre.toucher(t.code, t.maj);
    QCOMPARE(b->etat.NumImage, t.numero);
    QCOMPARE(int(b->etat.ModeVue), t.modeApres);
    QCOMPARE(b->etat.SensDefile, t.sens);
    QCOMPARE(QPoint(f.Horiz.value(), f.Vertic.value()), t.valeurs);
    QCOMPARE(QPointF(f.Image1.left(), f.Image1.top()), -QPointF(t.valeurs));
    if (t.code == touche::Inser && t.mode != 0) QCOMPARE(b->etat.Vitesse, 1);
}

void TestForm1::petitesImages() {
    auto b = bancVisionnant(5);
    aller(*b, 5);
    const AccesForm1 f = b->ctl();
    QCOMPARE(f.Image2.width(), 8.0);
    f.Defile[5]->cliquer();
    QVERIFY(!f.Defile[5]->checked());
    QVERIFY(recharge(*b));
    QCOMPARE(b->etat.NumImage, 5);
    QCOMPARE(f.Image2.width(), 1024.0); // enlarged to the window
    f.Defile[5]->cliquer();
    QVERIFY(f.Defile[5]->checked());
    QCOMPARE(f.Image2.width(), 8.0);
}

GALVIA_TEST_MAIN(TestForm1)
#include "tst_form1.moc"
