// Moving through the list, the viewer's keys and the slideshow, on the in-memory platform.
#include "support/Banc.h"
#include "support/MainTest.h"
#include "viewer/Positions.h"

#include "platform/Touches.h"

#include <QFile>
#include <QLocale>
#include <QTest>

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
    if (b->etat.NbImages != nb || b->etat.ModeVue != 2) qFatal("the list was not built");
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

class Francais {
public:
    explicit Francais(bool actif) {
        if (actif) QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    }
    ~Francais() { QLocale::setDefault(QLocale::c()); }
};

} // namespace

// One key pressed in the viewer over a list of 10 images, shown from image 1 with both
// scroll bars at 100 and the slideshow stopped; what the key leaves.
struct Touche {
    int mode = 0; // the view before the key (0: back to browsing)
    int code = 0;
    int maj = 0;
    int vitesse = 0; // Vitesse before the key
    int numero = 1;  // NumImage after
    int modeApres = 0;
    int sens = 0;             // SensDefile after
    QPoint valeurs{100, 100}; // Horiz and Vertic after
};
Q_DECLARE_METATYPE(Touche)

class TstNavigation : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cinquiemes_data();
    void cinquiemes();
    void bouge_data();
    void bouge();
    void nom_data();
    void nom();
    void dichot_data();
    void dichot();
    void uneSeuleImage_data();
    void uneSeuleImage();
    void touches_data();
    void touches();
    void vuesEtAscenseurs();
    void enchaine_data();
    void enchaine();
    void vitesse_data();
    void vitesse();
    void petitesImages();
    void echecPendantDiaporama();
};

void TstNavigation::cinquiemes_data() {
    QTest::addColumn<int>("nb");
    QTest::addColumn<QList<int>>("cibles");
    const QList<QPair<int, QList<int>>> table = {
        {1, {1, 1, 1, 1}},
        {2, {1, 1, 1, 1}},
        {3, {1, 1, 2, 2}},
        {4, {1, 2, 2, 3}},
        {5, {1, 2, 3, 4}},
        {6, {2, 3, 4, 5}},
        {10, {2, 4, 6, 8}},
        {11, {3, 5, 7, 9}},
        {101, {21, 41, 61, 81}},
        {8191, {1639, 3277, 4915, 6553}},
        {8192, {1639, 3277, 4915, 6553}},
        {8193, {1639, 3277, 4916, 6554}},
        {32759, {6552, 13104, 19655, 26207}},
    };
    for (const auto& [nb, cibles] : table)
        QTest::addRow("%d", nb) << nb << cibles;
}

void TstNavigation::cinquiemes() {
    QFETCH(int, nb);
    QFETCH(QList<int>, cibles);
    for (int k = 1; k <= 4; ++k)
        QCOMPARE(cinquieme(k, nb), cibles[k - 1]);
}

// One move through the "Atteindre" menu: from entry `depart` of seven, the command, the
// answer typed in its prompt (if any) under a French or C locale, and where it lands.
struct Mouvement {
    int depart;
    Atteindre commande;
    const char* reponse = "";
    bool francais = false;
    int arrivee;
};
Q_DECLARE_METATYPE(Mouvement)

void TstNavigation::bouge_data() {
    QTest::addColumn<Mouvement>("cas");
    const auto ligne = [](const char* nom, const Mouvement& d) { QTest::newRow(nom) << d; };
    using enum Atteindre;
    ligne("suivante au bout", {.depart = 7, .commande = Suivante, .arrivee = 1});
    ligne("suivante", {.depart = 3, .commande = Suivante, .arrivee = 4});
    ligne("precedente au debut", {.depart = 1, .commande = Precedente, .arrivee = 7});
    ligne("premiere deja la", {.depart = 1, .commande = Premiere, .arrivee = 1});
    ligne("derniere", {.depart = 3, .commande = Derniere, .arrivee = 7});
    ligne("un cinquieme", {.depart = 1, .commande = UnCinquieme, .arrivee = 2});
    ligne("quatre cinquiemes", {.depart = 1, .commande = QuatreCinquiemes, .arrivee = 5});
    ligne("numero", {.depart = 2, .commande = Numero, .reponse = "5", .arrivee = 5});
    ligne("numero 0", {.depart = 2, .commande = Numero, .reponse = "0", .arrivee = 2});
    ligne("numero 8", {.depart = 2, .commande = Numero, .reponse = "8", .arrivee = 2});
    ligne("numero vide", {.depart = 2, .commande = Numero, .reponse = "", .arrivee = 2});
    ligne("numero negatif", {.depart = 2, .commande = Numero, .reponse = "-1", .arrivee = 2});
    ligne("moitie paire fr",
          {.depart = 5, .commande = Numero, .reponse = "2,5", .francais = true, .arrivee = 2});
    ligne("virgule sous C", {.depart = 2, .commande = Numero, .reponse = "2,5", .arrivee = 2});
}

void TstNavigation::bouge() {
    QFETCH(Mouvement, cas);
    const auto& [depart, commande, reponse, francais, arrivee] = cas;
    const Francais locale(francais);
    auto b = bancVisionnant(7);
    aller(*b, depart);
    b->etat.SensDefile = Vrai;
    b->etat.Vitesse = 1;
    b->plateforme.reponses.push_back(QString::fromUtf8(reponse));
    // A tick while the prompt is open moves nothing; the slideshow goes on after it.
    b->plateforme.pendantSaisie = [&b](const BoiteSaisie&) { b->ctl().Timer1.tick(); };
    b->ctl().Bouge[commande]->cliquer();
    QCOMPARE(b->etat.NumImage, arrivee);
    QCOMPARE(recharge(*b), arrivee != depart);
    QVERIFY(b->plateforme.messages.empty());
    if (commande == Atteindre::Numero) {
        QCOMPARE(b->plateforme.saisies.size(), 1u);
        QCOMPARE(b->plateforme.saisies[0].invite, QStringLiteral("Donnez un nombre entre 1 et 7"));
        QCOMPARE(b->plateforme.saisies[0].titre, QStringLiteral("Numéro de l'image"));
        QCOMPARE(b->etat.SensDefile, Vrai);
    }
}

void TstNavigation::nom_data() {
    QTest::addColumn<QString>("texte");
    QTest::addColumn<int>("arrivee");
    QTest::addColumn<QString>("message");
    QTest::newRow("prefixe") << "05" << 5 << QString();
    QTest::newRow("casse") << "03.BMP" << 3 << QString();
    QTest::newRow("absent") << "9" << 2 << "Non trouvé : 9";
    QTest::newRow("plus long") << "01.bmpx" << 2 << "Non trouvé : 01.bmpx";
    QTest::newRow("annule") << "" << 2 << QString();
}

void TstNavigation::nom() {
    QFETCH(QString, texte);
    QFETCH(int, arrivee);
    QFETCH(QString, message);
    auto b = bancVisionnant(7);
    aller(*b, 2);
    b->etat.SensDefile = Vrai;
    b->etat.Vitesse = 1;
    int pas = -1;
    b->plateforme.pendantMessage = [&](const BoiteMessage&) {
        b->ctl().Timer1.tick(); // a tick under the box changes nothing
        pas = b->etat.NumImage;
    };
    b->plateforme.reponses.push_back(texte);
    b->ctl().Bouge[0]->cliquer();
    QCOMPARE(b->plateforme.saisies.at(0).invite,
             QStringLiteral("Donnez un nom ou quelques lettres"));
    QCOMPARE(b->plateforme.saisies.at(0).titre, QStringLiteral("Recherche d'une image"));
    QCOMPARE(b->ctl().TexteCherche, texte);
    QCOMPARE(b->etat.NumImage, arrivee);
    QCOMPARE(b->messages(), message.isEmpty() ? QStringList() : QStringList{message});
    if (!message.isEmpty()) {
        QCOMPARE(b->plateforme.messages[0].icone, Icone::Information);
        QCOMPARE(b->plateforme.messages[0].titre, QStringLiteral("Recherche"));
        QCOMPARE(pas, 2);
    }
}

void TstNavigation::dichot_data() {
    QTest::addColumn<QStringList>("liste");
    QTest::addColumn<QString>("texte");
    QTest::addColumn<int>("trouve");
    const QStringList a = {"a1.jpg", "a2.jpg", "a3.jpg", "b1.jpg"};
    const QStringList b = {"a.jpg", "ab.jpg", "b.jpg", "c.jpg"};
    const QStringList e = {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e1.jpg", "e2.jpg", "e3.jpg"};
    QTest::newRow("premier rencontre") << a << "a" << 2;
    QTest::newRow("dernier du prefixe") << a << "A3" << 3;
    QTest::newRow("apres le milieu") << b << "B" << 3;
    QTest::newRow("absent apres") << b << "d" << 0;
    QTest::newRow("absent avant") << b << "0" << 0;
    QTest::newRow("texte plus long") << b << "a.jpgx" << 0;
    QTest::newRow("nom entier") << b << "C.JPG" << 4;
    QTest::newRow("prefixe partage") << e << "e" << 6;
    QTest::newRow("prefixe partage bas") << e << "E1" << 5;
    QTest::newRow("un seul") << QStringList{"x.gif"} << "x" << 1;
    QTest::newRow("emoji") << b << QString::fromUtf8("\xF0\x9F\x98\x80") << 0;
    QTest::newRow("controle") << b << QStringLiteral("\x01\x1b") << 0;
    QTest::newRow("tres long") << b << QString(100000, QLatin1Char('b')) << 0;
}

void TstNavigation::dichot() {
    QFETCH(QStringList, liste);
    QFETCH(QString, texte);
    QFETCH(int, trouve);
    Banc b;
    b.etat.TabImages = QStringList{QString()} + liste;
    b.etat.NbImages = static_cast<std::int16_t>(liste.size());
    QCOMPARE(b.ctl().Dichot(1, b.etat.NbImages, texte), trouve);
}

void TstNavigation::uneSeuleImage_data() {
    QTest::addColumn<bool>("defile");
    QTest::addColumn<int>("index");
    for (int i = 0; i < 10; ++i)
        QTest::addRow("Bouge(%d)", i) << false << i;
    for (int i = 0; i < 6; ++i)
        QTest::addRow("Defile(%d)", i) << true << i;
}

void TstNavigation::uneSeuleImage() {
    QFETCH(bool, defile);
    QFETCH(int, index);
    auto b = bancVisionnant(1);
    b->etat.NomComplet.clear();
    b->etat.SensDefile = Vrai; // running, so that the speed commands would act
    b->plateforme.reponses = {QStringLiteral("1"), QStringLiteral("01")};
    (defile ? b->ctl().Defile[index] : b->ctl().Bouge[index])->cliquer();
    QVERIFY(b->plateforme.saisies.empty());
    QVERIFY(b->plateforme.messages.empty());
    QVERIFY(!recharge(*b));
    QCOMPARE(b->etat.SensDefile, Vrai);
    QCOMPARE(b->etat.Vitesse, 0);
    QCOMPARE(b->ctl().Timer1.interval(), 1024);
    QVERIFY(b->ctl().PetitesImages);
    QVERIFY(b->ctl().Defile[5]->checked());
}

void TstNavigation::touches_data() {
    QTest::addColumn<Touche>("t");
    using namespace galvia::touche;
    const QPoint zero(0, 0); // another picture, that fits: both bars back to 0
    for (const int maj : {0, int(MajMask), CtrlMask | AltMask}) {
        QTest::addRow("PgDn %d", maj) << Touche{
            .mode = 2, .code = PageBas, .maj = maj, .numero = 2, .modeApres = 2, .valeurs = zero};
        QTest::addRow("PgUp %d", maj) << Touche{
            .mode = 1, .code = PageHaut, .maj = maj, .numero = 10, .modeApres = 1, .valeurs = zero};
        QTest::addRow("Fin %d", maj) << Touche{
            .mode = 2, .code = Fin, .maj = maj, .numero = 10, .modeApres = 2, .valeurs = zero};
        QTest::addRow("Gauche %d", maj)
            << Touche{.mode = 2, .code = Gauche, .maj = maj, .modeApres = 2, .valeurs = {0, 100}};
        QTest::addRow("Haut %d", maj)
            << Touche{.mode = 1, .code = Haut, .maj = maj, .modeApres = 1, .valeurs = {100, 0}};
        QTest::addRow("Droite %d", maj)
            << Touche{.mode = 1, .code = Droite, .maj = maj, .modeApres = 1, .valeurs = {992, 100}};
        QTest::addRow("Bas %d", maj)
            << Touche{.mode = 2, .code = Bas, .maj = maj, .modeApres = 2, .valeurs = {100, 748}};
        QTest::addRow("Inser %d", maj)
            << Touche{.mode = 2, .code = Inser, .maj = maj, .modeApres = 2, .sens = -1};
        QTest::addRow("Plus %d", maj)
            << Touche{.mode = 2, .code = PavePlus, .maj = maj, .modeApres = 1};
        QTest::addRow("Plus vue 1 %d", maj)
            << Touche{.mode = 1, .code = PavePlus, .maj = maj, .modeApres = 2};
        QTest::addRow("Espace reprise %d", maj) << Touche{
            .mode = 2, .code = Espace, .maj = maj, .vitesse = -1, .modeApres = 2, .sens = -1};
    }
    QTest::newRow("Debut") << Touche{.mode = 2, .code = Debut, .modeApres = 2};
    QTest::newRow("Espace jamais lance") << Touche{.mode = 2, .code = Espace, .modeApres = 2};
    const int chiffres[] = {2, 4, 6, 8};
    for (int d = 1; d <= 4; ++d) {
        QTest::addRow("chiffre %d", d) << Touche{.mode = 2,
                                                 .code = Chiffre0 + d,
                                                 .numero = chiffres[d - 1],
                                                 .modeApres = 2,
                                                 .valeurs = zero};
        QTest::addRow("pave %d", d) << Touche{.mode = 1,
                                              .code = PaveChiffre0 + d,
                                              .numero = chiffres[d - 1],
                                              .modeApres = 1,
                                              .valeurs = zero};
    }
    for (const int sans : {Chiffre0, Chiffre0 + 5, Chiffre0 + 9, PaveChiffre0, PaveChiffre0 + 5,
                           int(Echap), 187, 65})
        QTest::addRow("sans effet %d", sans) << Touche{.mode = 2, .code = sans, .modeApres = 2};
    for (const int code :
         {int(PageBas), int(Fin), Chiffre0 + 4, int(Inser), int(PavePlus), int(Droite)})
        QTest::addRow("navigation %d", code) << Touche{.mode = 0, .code = code, .modeApres = 0};
}

void TstNavigation::touches() {
    QFETCH(Touche, t);
    auto b = bancVisionnant(10);
    const AccesForm1 f = b->ctl();
    f.Horiz.setValue(100);
    f.Vertic.setValue(100);
    if (t.mode == 0)
        f.affAutre.cliquer();
    else
        b->form->Environ(t.mode);
    b->etat.Vitesse = static_cast<std::int16_t>(t.vitesse);
    b->form->fenetre.toucher(t.code, t.maj);
    QCOMPARE(b->etat.NumImage, t.numero);
    QCOMPARE(b->etat.ModeVue, t.modeApres);
    QCOMPARE(b->etat.SensDefile, t.sens);
    QCOMPARE(QPoint(f.Horiz.value(), f.Vertic.value()), t.valeurs);
    QCOMPARE(QPointF(f.Image1.left(), f.Image1.top()), -QPointF(t.valeurs));
    if (t.code == touche::Inser && t.mode != 0) QCOMPARE(b->etat.Vitesse, 1);
    if (t.code == touche::Espace && t.vitesse != 0) {
        b->form->fenetre.toucher(t.code, t.maj); // and pauses again
        QCOMPARE(b->etat.SensDefile, Faux);
    }
}

void TstNavigation::vuesEtAscenseurs() {
    auto b = bancVisionnant(2);
    const AccesForm1 f = b->ctl();
    f.Horiz.setValue(300);
    f.Vertic.setValue(40);
    const QImage avant = f.Image1.image();
    f.Image2.cliquer();
    QCOMPARE(b->etat.ModeVue, 1);
    QCOMPARE(QPointF(f.Image1.left(), f.Image1.top()), QPointF(-300, -40));
    QVERIFY(f.Image1.aLeFocus());
    f.Horiz.setFocus();
    QVERIFY(f.Image1.aLeFocus());
    f.Image1.cliquer();
    QCOMPARE(b->etat.ModeVue, 2);
    QCOMPARE(f.Image1.image().cacheKey(), avant.cacheKey()); // no reload
    f.Vertic.setFocus();
    QVERIFY(!f.Vertic.aLeFocus() && !f.Horiz.aLeFocus());
}

void TstNavigation::enchaine_data() {
    QTest::addColumn<int>("commande"); // Defile index, or -1 for the Insert key
    QTest::addColumn<int>("depart");
    QTest::addColumn<QList<int>>("pas"); // NumImage after each tick (3 images)
    QTest::newRow("avant au bout") << 0 << 2 << QList<int>{3, 1, 2};
    QTest::newRow("inser au bout") << -1 << 3 << QList<int>{1, 2};
    QTest::newRow("arriere au debut") << 1 << 2 << QList<int>{1, 3, 2, 1};
    QTest::newRow("arrete") << 2 << 2 << QList<int>{2, 2};
}

void TstNavigation::enchaine() {
    QFETCH(int, commande);
    QFETCH(int, depart);
    QFETCH(QList<int>, pas);
    auto b = bancVisionnant(3);
    aller(*b, depart);
    if (commande < 0)
        b->form->fenetre.toucher(touche::Inser);
    else
        b->ctl().Defile[commande]->cliquer();
    QCOMPARE(b->etat.NumImage, depart); // nothing before the first tick
    for (const int attendu : pas) {
        b->ctl().Timer1.tick();
        QCOMPARE(b->etat.NumImage, attendu);
        QCOMPARE(recharge(*b), commande != 2);
        QCOMPARE(b->ctl().menNom.caption().section(QLatin1Char(' '), 2, 2),
                 QString::number(commande != 2 ? attendu : depart));
        b->etat.NomComplet.clear();
    }
}

void TstNavigation::vitesse_data() {
    QTest::addColumn<bool>("francais");
    QTest::addColumn<bool>("enMarche");
    QTest::addColumn<QString>("commandes"); // Defile indexes, in order
    QTest::addColumn<int>("intervalle");
    QTest::addColumn<QString>("facteur");
    QTest::newRow("arrete") << true << false << "3" << 1024 << "1";
    QTest::newRow("double") << true << true << "3" << 512 << "2";
    QTest::newRow("moitie fr") << true << true << "344" << 2048 << "0,5";
    QTest::newRow("moitie C") << false << true << "344" << 2048 << "0.5";
    QTest::newRow("dix doublements") << true << true << QString(10, '3') << 1 << "1024";
    QTest::newRow("onzieme") << true << true << QString(11, '3') << 1 << "1024";
    QTest::newRow("cinq moities fr") << true << true << QString(5, '4') << 32768 << "0,03125";
    QTest::newRow("sixieme fr") << true << true << QString(6, '4') << 32768 << "0,03125";
    QTest::newRow("sixieme C") << false << true << QString(6, '4') << 32768 << "0.03125";
    QTest::newRow("retour") << false << true << QString(6, '4') + "33" << 8192 << "0.125";
}

void TstNavigation::vitesse() {
    QFETCH(bool, francais);
    QFETCH(bool, enMarche);
    QFETCH(QString, commandes);
    QFETCH(int, intervalle);
    QFETCH(QString, facteur);
    const Francais locale(francais);
    auto b = bancVisionnant(2);
    const AccesForm1 f = b->ctl();
    if (enMarche) f.Defile[1]->cliquer();
    for (const QChar c : commandes)
        f.Defile[c.digitValue()]->cliquer();
    QCOMPARE(f.Timer1.interval(), intervalle);
    QCOMPARE(f.Defile[3]->caption(), QStringLiteral("&Vitesse Double (%1)").arg(facteur));
    QCOMPARE(f.Defile[4]->caption(), QStringLiteral("Vitesse &Moitié (%1)").arg(facteur));
    QCOMPARE(b->etat.SensDefile, enMarche ? Vrai : Faux);
}

void TstNavigation::petitesImages() {
    auto b = bancVisionnant(5);
    aller(*b, 5);
    const AccesForm1 f = b->ctl();
    QCOMPARE(f.Image2.width(), 8.0);
    f.Defile[5]->cliquer();
    QVERIFY(!f.PetitesImages && !f.Defile[5]->checked());
    QVERIFY(recharge(*b));
    QCOMPARE(b->etat.NumImage, 5);
    QCOMPARE(f.Image2.width(), 1024.0); // enlarged to the window
    f.Defile[5]->cliquer();
    QVERIFY(f.PetitesImages && f.Defile[5]->checked());
    QCOMPARE(f.Image2.width(), 8.0);
}

void TstNavigation::echecPendantDiaporama() {
    auto b = bancVisionnant(3);
    QVERIFY(QFile::remove(b->chemin(QStringLiteral("l/02.bmp"))));
    b->form->fenetre.toucher(touche::Inser);
    int numeroSousLaBoite = 0;
    b->plateforme.pendantMessage = [&](const BoiteMessage&) {
        b->ctl().Timer1.tick();
        b->ctl().Timer1.tick();
        numeroSousLaBoite = b->etat.NumImage;
    };
    b->ctl().Timer1.tick();
    QCOMPARE(b->plateforme.messages.size(), 1u); // boxes never stack
    QVERIFY(b->messages().at(0).endsWith(QStringLiteral("Sur le fichier : ") +
                                         b->chemin(QStringLiteral("l/02.bmp"))));
    QCOMPARE(numeroSousLaBoite, 2);
    QCOMPARE(b->etat.SensDefile, Vrai);
    b->ctl().Timer1.tick();
    QCOMPARE(b->etat.NumImage, 3);
    QCOMPARE(b->plateforme.messages.size(), 1u);
    QVERIFY(b->ctl().menNom.caption().endsWith(QStringLiteral("03.bmp")));
}

GALVIA_TEST_GUILESS_MAIN(TstNavigation)
#include "tst_navigation.moc"
