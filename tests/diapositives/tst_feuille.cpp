// The slide sheet's logic on the in-memory platform: opening, paging by keys, buttons
// and number, the thumbnail click cycle, the full-size view and the busy guard.
#include "support/Acces.h"
#include "support/Banc.h"
#include "support/MainTest.h"

#include "platform/Touches.h"
#include "platform/decodage/BudgetDecodage.h"
#include "platform/decodage/PoolDecodage.h"
#include "sheet/Form2.h"

#include <QTest>

using namespace galvia;
using namespace galvia::test;

namespace {

// A sheet over a list of `nb` names in the bench's folder (the files need not exist:
// a missing one shows a grey box), in an inner size of 792 x 600 pixels.
struct Feuille {
    explicit Feuille(int nb, QSize interne = {792, 600}) {
        b.etat.Chemin = b.chemin() + u'/';
        b.etat.TabImages = QStringList{QString()};
        for (int i = 1; i <= nb; ++i)
            b.etat.TabImages.append(QStringLiteral("img%1.jpg").arg(i, 5, 10, QLatin1Char('0')));
        b.etat.NbImages = static_cast<std::int16_t>(nb);
        f = std::make_unique<Form2>(b.plateforme, b.etat, b.ctl().progressionFeuille());
        f->fenetre.setTailleInterneSansVue(interne);
    }
    int visibles() const {
        int n = 0;
        for (int k = 0; k < c().Diapo.taille(); ++k)
            n += c().Diapo.charge(k) && c().Diapo[k].visible() && c().Texte[k].visible();
        return n;
    }
    // Loads the sheet and lets its first page fill.
    bool charger() {
        f->Form_Load();
        return finirPage(b.plateforme, *f);
    }
    // Runs a script, each step's page filled before the next: "K34" a key, "B3" a move
    // button (past the last button: its handler with that index), "N12" the number box
    // answered 12 (the box checked).
    void jouer(const QStringList& script) {
        for (const QString& pas : script) {
            const QString arg = pas.mid(1);
            if (pas.startsWith(u'K')) f->fenetre.toucher(arg.toInt());
            if (pas.startsWith(u'B') && arg.toInt() < c().Deplace.size())
                c().Deplace[static_cast<Deplacement>(arg.toInt())].cliquer();
            else if (pas.startsWith(u'B'))
                f->Deplace_Click(arg.toInt());
            if (pas.startsWith(u'N')) {
                const QString defaut = QString::number(c().PremiereDiapo + 1);
                b.plateforme.reponses.push_back(arg);
                c().Numero.cliquer();
                const BoiteSaisie& boite = b.plateforme.saisies.back();
                QCOMPARE(boite.invite,
                         QStringLiteral("Donnez un nombre entre 1 et %1").arg(b.etat.NbImages));
                QCOMPARE(boite.titre, QStringLiteral("Modifier l'affichage"));
                QCOMPARE(boite.defaut, defaut);
            }
            if (!finirPage(b.plateforme, *f)) qFatal("the page was not filled");
        }
    }
    Banc b;
    std::unique_ptr<Form2> f;
    AccesForm2 c() const { return acces(*f); }
};

// A paging script (see Feuille::jouer) over a list of `nb` names, and the page it leaves:
// its first list position (0-based), the title, the end-of-list flag and the cells shown.
struct Pagination {
    int nb = 245;
    QStringList script;
    int premiere = 0;
    QString titre;
    bool fin = false;
    int visibles = 60;
};

} // namespace

Q_DECLARE_METATYPE(Pagination)

class TestFeuille : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ouverture_data();
    void ouverture();
    void densite_data();
    void densite();
    void pages_data();
    void pages();
    void clicsEtMarques();
    void tailleReelle_data();
    void tailleReelle();
    void multiDossier();
    void mauvaisFichiers();
    void pendantRemplissage_data();
    void pendantRemplissage();
};

void TestFeuille::ouverture_data() {
    QTest::addColumn<int>("nb");
    QTest::addColumn<QString>("titre");
    QTest::addColumn<bool>("fin");
    QTest::newRow("245") << 245 << QStringLiteral("De 1 à 60 (sur 245)") << false;
    QTest::newRow("60") << 60 << QStringLiteral("De 1 à 60 (sur 60)") << false;
    QTest::newRow("7") << 7 << QStringLiteral("De 1 à 7 (sur 7)") << true;
}

void TestFeuille::ouverture() {
    QFETCH(int, nb);
    Feuille s(nb);
    QStringList compteur;
    s.c().progression.avance = [&, avance = s.c().progression.avance](int faits, int total) {
        avance(faits, total);
        compteur.append(s.b.ctl().menCompte.caption());
        QVERIFY(s.b.form->fenetre.occupe());
    };
    // The page says once that it is complete, when its last cell is shown.
    QStringList pleine;
    s.c().progression.pagePleine = [&] {
        pleine.append(s.b.ctl().menCompte.caption() + QStringLiteral(" %1").arg(s.visibles()));
    };
    s.b.ctl().menCompte.setVisible(true);
    QVERIFY(s.charger());
    QCOMPARE(pleine, QStringList{QStringLiteral("%1 / %1 %1").arg(std::min(nb, 60))});
    QTEST(s.c().Titre.caption(), "titre");
    QTEST(s.c().FinAtteinte, "fin");
    const int n = std::min(nb, 60);
    QCOMPARE(s.visibles(), n);
    QCOMPARE(s.c().Diapo.taille(), n);
    QCOMPARE(compteur.first(), QStringLiteral("1 / %1").arg(n));
    QCOMPARE(compteur.last(), QStringLiteral("%1 / %1").arg(n));
    QVERIFY(!s.b.ctl().menCompte.visible() && !s.b.form->fenetre.occupe());
    QCOMPARE(s.f->fenetre.caption(), QStringLiteral("Diapositives ") + s.b.etat.Chemin);
    QCOMPARE(s.c().Texte[n - 1].caption(), s.b.etat.TabImages.at(n));
    // Cell 59 (or the last) in its place; a missing file fills its whole cell in grey.
    QCOMPARE(s.c().Diapo[n - 1].left(), double(s.c().GaucheCase[n - 1]));
    QCOMPARE(s.c().Diapo[n - 1].height(), 1128.0);
    QCOMPARE(s.c().Texte[n - 1].top(), s.c().HautCase[n - 1] + 1188.0);
    QVERIFY(!s.c().Occupe && !s.c().DiapoAffichee && s.c().PremiereDiapo == 0);
}

void TestFeuille::densite_data() {
    QTest::addColumn<QString>("nom");
    QTest::addColumn<QSize>("image");
    QTest::addColumn<double>("densite");
    QTest::addColumn<QSize>("vignette");
    // The window is as wide in twips at both densities (792 and 1584 screen pixels): the
    // thumbnail inside its border is 73 screen pixels wide, or 148 on a screen at 200 %.
    QTest::newRow("jpeg") << "a.jpg" << QSize(400, 300) << 1.0 << QSize(73, 54);
    QTest::newRow("jpeg, 200 %") << "a.jpg" << QSize(400, 300) << 2.0 << QSize(148, 111);
    QTest::newRow("portrait bmp, 200 %") << "b.bmp" << QSize(300, 400) << 2.0 << QSize(111, 148);
}

void TestFeuille::densite() {
    QFETCH(QString, nom);
    QFETCH(QSize, image);
    QFETCH(double, densite);
    Feuille s(0, QSize(792, 600) * densite);
    s.b.etat.TabImages.append(nom);
    s.b.etat.NbImages = 1;
    dessiner(s.b.etat.fichierDeEntree(1), image);
    s.f->fenetre.setDensite(densite);
    QVERIFY(s.charger());
    // Decoded at the thumbnail's size in screen pixels, and known to be.
    const QImage& v = s.c().Diapo[0].image();
    QTEST(v.size(), "vignette");
    QCOMPARE(v.devicePixelRatio(), densite);
}

void TestFeuille::pages_data() {
    QTest::addColumn<Pagination>("cas");
    const auto ligne = [](const char* nom, const Pagination& p) { QTest::newRow(nom) << p; };
    const QStringList pgDn4{"K34", "K34", "K34", "K34"};
    // clang-format off
    ligne("PgDn", {.script = {"K34"}, .premiere = 60, .titre = "De 61 à 120 ( sur 245)"});
    ligne("PgDn x4", {.script = pgDn4, .premiere = 240, .titre = "De 241 à 245 ( sur 245)",
                      .fin = true, .visibles = 5});
    ligne("PgDn x5, Down", {.script = pgDn4 + QStringList{"K34", "K40", "B3", "B2"},
                            .premiere = 240, .titre = "De 241 à 245 ( sur 245)", .fin = true,
                            .visibles = 5});
    ligne("Down at the end", {.script = {"K34", "K34", "K34", "K40"}, .premiere = 190,
                              .titre = "De 191 à 245 ( sur 245)", .fin = true, .visibles = 55});
    ligne("then End", {.script = {"K34", "K34", "K34", "K40", "K35"}, .premiere = 190,
                       .titre = "De 191 à 245 ( sur 245)", .fin = true, .visibles = 55});
    ligne("then Home", {.script = {"K34", "K34", "K34", "K40", "K36"}, .premiere = 0,
                        .titre = "De 1 à 60 ( sur 245)"});
    ligne("End", {.script = {"K35"}, .premiere = 185, .titre = "De 186 à 245 ( sur 245)"});
    ligne("5 then PgUp", {.script = {"N6", "K33"}, .premiere = 0, .titre = "De 1 à 60 ( sur 245)"});
    ligne("5 then Up", {.script = {"N6", "B1"}, .premiere = 0, .titre = "De 1 à 60 ( sur 245)"});
    ligne("30 then Up", {.script = {"N31", "K38"}, .premiere = 20,
                         .titre = "De 21 à 80 ( sur 245)"});
    ligne("30 then PgUp", {.script = {"N31", "B0"}, .premiere = 0,
                           .titre = "De 1 à 60 ( sur 245)"});
    ligne("Down", {.script = {"B2"}, .premiere = 10, .titre = "De 11 à 70 ( sur 245)"});
    ligne("other keys", {.script = {"K37", "K39", "K13", "B4"}, .premiere = 0,
                         .titre = "De 1 à 60 (sur 245)"});
    ligne("7: first page stays", {.nb = 7, .script = {"K36", "K33", "K38", "K34", "K35"},
                                  .premiere = 0, .titre = "De 1 à 7 (sur 7)", .fin = true,
                                  .visibles = 7});
    ligne("7: number 3", {.nb = 7, .script = {"N3"}, .premiere = 2, .titre = "De 3 à 7 ( sur 7)",
                          .fin = true, .visibles = 5});
    // The number box: a number outside 1 to NbImages, a word or nothing does nothing; a
    // number in the locale's notation is rounded to even.
    for (const char* refus : {"0", "246", "dix", ""})
        ligne(QByteArray("number ").append(refus).constData(),
              {.script = {"K40", QStringLiteral("N") + refus}, .premiere = 10,
               .titre = "De 11 à 70 ( sur 245)"});
    ligne("2,5", {.script = {"N2,5"}, .premiere = 2, .titre = "De 3 à 62 ( sur 245)"});
    ligne("245", {.script = {"N245"}, .premiere = 244, .titre = "De 245 à 245 ( sur 245)",
                  .fin = true, .visibles = 1});
    ligne("120: last page ends the list", {.nb = 120, .script = {"K34", "K34", "B3"},
                                           .premiere = 60, .titre = "De 61 à 120 ( sur 120)"});
    // clang-format on
}

void TestFeuille::pages() {
    QFETCH(Pagination, cas);
    Feuille s(cas.nb);
    QVERIFY(s.charger());
    s.c().Texte[3].setPlat(true);
    s.c().TexteChoisi = 3;
    s.f->Form_Activate();
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    s.jouer(cas.script);
    QLocale::setDefault(QLocale::c());
    QCOMPARE(int(s.c().PremiereDiapo), cas.premiere);
    QCOMPARE(s.c().Titre.caption(), cas.titre);
    QCOMPARE(s.c().FinAtteinte, cas.fin);
    QCOMPARE(s.visibles(), cas.visibles);
    // A page change takes the mark off the chosen label.
    QCOMPARE(s.c().Texte[3].plat(), !s.c().Titre.caption().contains(QStringLiteral("( sur")));
    const int p = s.c().PremiereDiapo;
    for (int k = 0; k < s.visibles(); ++k)
        QCOMPARE(s.c().Texte[k].caption(), s.b.etat.TabImages.at(p + k + 1));
}

void TestFeuille::clicsEtMarques() {
    Feuille s(12);
    for (int i = 1; i <= 12; ++i)
        if (i != 5) dessiner(s.b.etat.fichierDeEntree(i), {40 + i, 30});
    QVERIFY(s.charger());
    QCOMPARE(s.c().Diapo[7].nomAccessible(), QStringLiteral("Diapositive 8 : img00008.jpg"));
    QCOMPARE(s.c().Diapo[7].width(), 1128.0);
    QVERIFY(s.c().Diapo[7].height() < 1128 && !s.c().Diapo[7].image().isNull());
    s.c().Diapo[7].cliquer();
    QCOMPARE(s.c().DiapoAffichee, std::optional<int>(7));
    QVERIFY(s.c().Image1.visible() && s.c().Texte[7].plat() && !s.c().Texte[0].plat());
    QCOMPARE(s.c().Image1.width(), (48 + 2) * 15.0);
    s.c().Diapo[9].cliquer();
    QVERIFY(s.c().Texte[9].plat() && !s.c().Texte[7].plat());
    QCOMPARE(s.c().Image1.width(), (50 + 2) * 15.0);
    // The missing file: a grey box filling its cell; a click changes nothing.
    QCOMPARE(s.c().Diapo[4].height(), 1128.0);
    s.c().Diapo[4].cliquer();
    QVERIFY(s.c().DiapoAffichee == 9 && s.c().Image1.visible() && s.c().Texte[9].plat());
    // A second click on the shown thumbnail, then the picture itself.
    s.c().Diapo[9].cliquer();
    QVERIFY(!s.c().DiapoAffichee && !s.c().Image1.visible() && s.c().Texte[9].plat());
    s.c().Diapo[0].cliquer();
    s.c().Image1.cliquer();
    QVERIFY(!s.c().DiapoAffichee && !s.c().Image1.visible() && s.c().Texte[0].plat());
    // A file deleted while the sheet is open: nothing happens.
    QFile::remove(s.b.etat.fichierDeEntree(3));
    s.c().Diapo[2].cliquer();
    QVERIFY(!s.c().DiapoAffichee && s.c().Texte[0].plat());
    s.jouer({"N2"});
    QVERIFY(!s.c().Texte[0].plat());
}

void TestFeuille::tailleReelle_data() {
    QTest::addColumn<QSize>("taille");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("verticMax");
    QTest::addColumn<int>("horizMax");
    // Inner size 11880 x 9000 twips; a picture is (pixels + 2) x 15 twips.
    QTest::newRow("fits") << QSize(100, 100) << 1 << -1 << -1;
    QTest::newRow("taller") << QSize(300, 798) << 2 << 3000 << -1;
    QTest::newRow("wider") << QSize(900, 100) << 3 << -1 << 1650;
    QTest::newRow("both") << QSize(900, 798) << 4 << 3000 << 1650;
    QTest::newRow("beyond the range") << QSize(3000, 100) << 3 << -1 << 32767;
}

void TestFeuille::tailleReelle() {
    QFETCH(QSize, taille);
    QFETCH(int, mode);
    QFETCH(int, verticMax);
    QFETCH(int, horizMax);
    Feuille s(1);
    dessiner(s.b.etat.fichierDeEntree(1), taille);
    QVERIFY(s.charger());
    s.c().Diapo[0].cliquer();
    QVERIFY(s.c().Image1.visible());
    QCOMPARE(s.c().Vertic.visible(), mode == 2 || mode == 4);
    QCOMPARE(s.c().Horiz.visible(), mode >= 3);
    if (verticMax >= 0) {
        QCOMPARE(s.c().Vertic.max(), verticMax);
        QCOMPARE(s.c().Vertic.smallChange(), 4500);
        QCOMPARE(s.c().Vertic.largeChange(), 4500);
        QCOMPARE(s.c().Vertic.top(), mode == 4 ? 270.0 : 0.0);
        s.c().Vertic.setValue(verticMax);
        QCOMPARE(s.c().Image1.top(), 9000 - s.c().Image1.height());
    }
    if (horizMax >= 0) {
        QCOMPARE(s.c().Horiz.max(), horizMax);
        QCOMPARE(s.c().Horiz.left(), mode == 4 ? 270.0 : 0.0);
        s.c().Horiz.setValue(horizMax);
        QCOMPARE(s.c().Image1.left(), 11880 - s.c().Image1.width());
    }
    QCOMPARE(s.c().Dummy.aLeFocus(), true);
    // Down changes the page and leaves the full-size view (here: nothing to move to).
    s.f->Environ(5);
    QCOMPARE(s.c().Image1.left(), 0.0);
    QVERIFY(s.c().Image1.visible());
}

void TestFeuille::multiDossier() {
    Banc b;
    b.etat.TabImages = QStringList{QString()};
    for (int d = 1; d <= 2; ++d) {
        b.etat.ListeDossiers[d] = b.chemin(QStringLiteral("d%1").arg(d));
        for (int i = 1; i <= (d == 1 ? 40 : 30); ++i) {
            const QString nom = QStringLiteral("p%1.bmp").arg(i);
            dessiner(b.etat.ListeDossiers[d] + u'/' + nom, d == 1 ? QSize(8, 4) : QSize(4, 8));
            b.etat.TabImages.append(nom);
        }
    }
    b.etat = [&] {
        Module1 e = b.etat;
        e.NbImages = 70;
        e.NbDossiers = 2;
        e.FinDossier = {0, 40, 70};
        e.MultiDossier = 1;
        e.NumImage = 50;
        e.Chemin = b.etat.ListeDossiers[2] + u'/';
        return e;
    }();
    b.etat.SensDefile = Vrai;
    b.ctl().menShow.setVisible(true);
    int larges = 0, hautes = 0;
    b.plateforme.sceneModale = [&](Fenetre& f) {
        QVERIFY(b.plateforme.traiterEnvois([&] { return !b.ctl().menCompte.visible(); }));
        int k = 0;
        for (Controle* c : f.controles())
            if (c->nom() == QLatin1String("Diapo")) {
                (c->width() > c->height() ? larges : hautes) += 1;
                QCOMPARE(c->width() > c->height(), k++ < 40);
            }
        QCOMPARE(b.etat.SensDefile, Faux);
    };
    b.ctl().diapShow.cliquer();
    QCOMPARE(larges, 40);
    QCOMPARE(hautes, 20);
    QCOMPARE(b.etat.NumImage, std::int16_t(50));
    QCOMPARE(b.etat.Chemin, b.etat.ListeDossiers[2] + u'/');
}

void TestFeuille::pendantRemplissage_data() {
    QTest::addColumn<bool>("ouverture");
    QTest::addColumn<QString>("geste");
    QTest::newRow("first page, commands") << true << "commandes";
    QTest::newRow("next page, commands") << false << "commandes";
    QTest::newRow("first page, closed") << true << "fermer";
    QTest::newRow("next page, closed, sheet gone") << false << "detruire";
}

// While a page fills, cell by cell as its thumbnails arrive, every command is dropped;
// closing stops the fill at once, and the thumbnails still on their way are dropped,
// even once the sheet is gone.
void TestFeuille::pendantRemplissage() {
    QFETCH(bool, ouverture);
    QFETCH(QString, geste);
    PoolDecodage pool(1); // the cells decoded in order
    Feuille s(245);
    s.c().decodeurs = &pool;
    const int premiere = ouverture ? 0 : 60;
    // Cell 5 shows a picture, whose decode waits for memory while the test holds it all.
    dessiner(s.b.etat.fichierDeEntree(premiere + 6), {40, 30});
    if (!ouverture) QVERIFY(s.charger());
    s.b.ctl().menCompte.setVisible(true);
    int pleines = 0;
    s.c().progression.pagePleine = [&] { ++pleines; };
    const auto montre = [&](int k) {
        return s.c().Diapo.charge(k) &&
               s.c().Diapo[k].nomAccessible().startsWith(
                   QStringLiteral("Diapositive %1 :").arg(premiere + k + 1));
    };
    BudgetMemoire::Reservation tout = budgetDecodage().reserver(budgetDecodage().capacite());
    if (ouverture)
        s.f->Form_Load();
    else
        s.f->fenetre.toucher(touche::PageBas);
    QTRY_COMPARE(budgetDecodage().enAttente(), 1);
    QVERIFY(s.b.plateforme.traiterEnvois([&] { return montre(4); }));
    QVERIFY(s.c().Occupe && !montre(5));
    QCOMPARE(s.b.form->fenetre.occupe(), ouverture);
    QCOMPARE(s.f->fenetre.occupe(), !ouverture);
    // Back at rest: the page asked for, no hourglass, nothing filling.
    const auto repos = [&] {
        return !s.c().Occupe && !s.f->fenetre.occupe() && !s.b.form->fenetre.occupe() &&
               s.c().PremiereDiapo == premiere;
    };
    if (geste == QLatin1String("commandes")) {
        s.f->fenetre.toucher(touche::PageBas);
        s.c().Deplace[Deplacement::EcranSuivant].cliquer();
        s.f->fenetre.toucher(touche::F4);
        s.c().Diapo[0].cliquer();
        // The number box, opened while the page fills, is answered once it is full.
        s.b.plateforme.reponses = {"100"};
        s.b.plateforme.pendantSaisie = [&](const BoiteSaisie&) {
            tout = {};
            QVERIFY(finirPage(s.b.plateforme, *s.f));
        };
        s.c().Numero.cliquer();
        QVERIFY(montre(59) && s.visibles() == 60 && pleines == 1 && repos());
        QVERIFY(!s.f->fenetre.ferme() && !s.c().DiapoAffichee);
        return;
    }
    s.c().Fin.cliquer();
    QVERIFY(s.f->fenetre.ferme() && repos());
    QCOMPARE(s.b.ctl().menCompte.visible(), !ouverture);
    if (geste == QLatin1String("detruire")) s.f.reset();
    tout = {};
    QVERIFY(pool.attendreInactif(std::chrono::minutes(3)));
    s.b.plateforme.traiterEnvois();
    QVERIFY(!s.f || !montre(5));
    QCOMPARE(pleines, 0);
}

void TestFeuille::mauvaisFichiers() {
    Feuille s(32759);
    const auto fichier = [&](int n) { return s.b.etat.fichierDeEntree(n); };
    ecrire(fichier(1), "garbage, not a picture");
    ecrire(fichier(2));
    QFile(dessiner(fichier(3), {400, 300})).resize(600);
    // A bitmap header announcing 40000 x 40000 pixels.
    QByteArray bmp("BM");
    bmp +=
        QByteArray::fromHex("360000000000000036000000280000004"
                            "09c0000409c00000100180000000000000000000000000000000000000000000000");
    ecrire(fichier(4), bmp);
    dessiner(fichier(5), {30, 20});
    QVERIFY(s.charger());
    QFile::remove(fichier(5));
    for (int k : {0, 1, 3})
        QCOMPARE(s.c().Diapo[k].height(), 1128.0);
    QCOMPARE(s.c().Diapo[4].height(), 776.0);
    for (int k = 0; k < 5; ++k) {
        s.c().Diapo[k].cliquer();
        QVERIFY(!s.c().DiapoAffichee || *s.c().DiapoAffichee == 2);
        s.f->Image1_Click();
    }
    s.jouer({"K35", "K34", "K40", "N32759"});
    QCOMPARE(s.c().Titre.caption(), QStringLiteral("De 32759 à 32759 ( sur 32759)"));
    QCOMPARE(s.visibles(), 1);
    s.f->fenetre.toucher(touche::F4);
    QVERIFY(s.f->fenetre.ferme() && s.b.plateforme.messages.empty());
}

GALVIA_TEST_GUILESS_MAIN(TestFeuille)
#include "tst_feuille.moc"
