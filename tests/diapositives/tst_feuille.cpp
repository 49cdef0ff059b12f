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
    // button, "N12" the number box answered 12 (the box checked).
    void jouer(const QStringList& script) {
        for (const QString& pas : script) {
            const QString arg = pas.mid(1);
            if (pas.startsWith(u'K')) f->fenetre.toucher(arg.toInt());
            if (pas.startsWith(u'B')) c().Deplace[static_cast<Deplacement>(arg.toInt())].cliquer();
            if (pas.startsWith(u'N')) {
                const QString defaut = QString::number(c().PremiereDiapo + 1);
                b.plateforme.reponses.push_back(arg);
                c().Numero.cliquer();
                const BoiteSaisie& boite = b.plateforme.saisies.back();
                QCOMPARE(QStringList({boite.invite, boite.titre, boite.defaut}),
                         QStringList(
                             {QStringLiteral("Donnez un nombre entre 1 et %1").arg(b.etat.NbImages),
                              QStringLiteral("Modifier l'affichage"), defaut}));
            }
            if (!finirPage(b.plateforme, *f)) qFatal("the page was not filled");
        }
    }
    Banc b;
    std::unique_ptr<Form2> f;
    AccesForm2 c() const { return acces(*f); }
};

// A paging script (see Feuille::jouer, steps between blanks) over a list of `nb` names,
// and the page it leaves: its first list position (0-based), the end-of-list flag, the
// cells shown, and whether it is still the page opened (its title then says "(sur").
struct Pagination {
    int nb = 245;
    QString script = {};
    int premiere = 0;
    bool fin = false;
    int visibles = 60;
    bool ouverte = false;
};

} // namespace

class TestFeuille : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void densite_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QSize>("image");
        QTest::addColumn<double>("densite");
        QTest::addColumn<QSize>("vignette");
        // The window is as wide in twips at both densities (792 and 1584 screen pixels): the
        // thumbnail inside its border is 73 screen pixels wide, or 148 on a screen at 200 %.
        QTest::newRow("jpeg") << "a.jpg" << QSize(400, 300) << 1.0 << QSize(73, 54);
        QTest::newRow("jpeg, 200 %") << "a.jpg" << QSize(400, 300) << 2.0 << QSize(148, 111);
        QTest::newRow("portrait bmp, 200 %")
            << "b.bmp" << QSize(300, 400) << 2.0 << QSize(111, 148);
    }

    void densite() {
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

    void pages_data() {
        QTest::addColumn<Pagination>("cas");
        const auto ligne = [](const char* nom, const Pagination& p) { QTest::newRow(nom) << p; };
        // clang-format off
        ligne("opened", {.ouverte = true});
        ligne("60: opened", {.nb = 60, .ouverte = true});
        ligne("PgDn x4", {.script = "K34 K34 K34 K34", .premiere = 240, .fin = true, .visibles = 5});
        ligne("PgDn x5, Down", {.script = "K34 K34 K34 K34 K34 K40 B3 B2", .premiere = 240,
                                .fin = true, .visibles = 5});
        ligne("Down at the end, End", {.script = "K34 K34 K34 K40 K35", .premiere = 190, .fin = true,
                                       .visibles = 55});
        ligne("then Home", {.script = "K34 K34 K34 K40 K36"});
        ligne("End", {.script = "K35", .premiere = 185});
        ligne("5 then PgUp", {.script = "N6 K33"});
        ligne("5 then Up", {.script = "N6 B1"});
        ligne("30 then Up", {.script = "N31 K38", .premiere = 20});
        ligne("30 then PgUp", {.script = "N31 B0"});
        ligne("Down", {.script = "B2", .premiere = 10});
        ligne("other keys", {.script = "K37 K39 K13", .ouverte = true});
        ligne("7: first page stays", {.nb = 7, .script = "K36 K33 K38 K34 K35", .fin = true,
                                      .visibles = 7, .ouverte = true});
        ligne("7: number 3", {.nb = 7, .script = "N3", .premiere = 2, .fin = true, .visibles = 5});
        // The number box: a number outside 1 to NbImages, a word or nothing does nothing; a
        // number in the locale's notation is rounded to even.
        for (const char* refus : {"0", "246", "dix", ""})
            ligne(QByteArray("number ").append(refus).constData(),
                  {.script = QStringLiteral("K40 N") + refus, .premiere = 10});
        ligne("2,5", {.script = "N2,5", .premiere = 2});
        ligne("3,5", {.script = "N3,5", .premiere = 2});
        ligne("245", {.script = "N245", .premiere = 244, .fin = true, .visibles = 1});
        ligne("120: PgDn, last page ends the list", {.nb = 120, .script = "K34 K34 B3", .premiere = 60});
        // clang-format on
    }

    // The sheet opened (its progress counted on the main window, its first page said full
    // once), then paged by the script.
    void pages() {
        QFETCH(Pagination, cas);
        Feuille s(cas.nb);
        const int n = std::min(cas.nb, 60);
        QStringList compteur, pleine;
        const auto avance = s.c().progression.avance;
        s.c().progression.avance = [&](int faits, int total) {
            avance(faits, total);
            compteur.append(s.b.ctl().menCompte.caption());
            QVERIFY(s.b.form->fenetre.occupe());
        };
        s.c().progression.pagePleine = [&] {
            pleine.append(s.b.ctl().menCompte.caption() + QStringLiteral(" %1").arg(s.visibles()));
        };
        s.b.ctl().menCompte.setVisible(true);
        QVERIFY(s.charger());
        QCOMPARE(pleine + QStringList({compteur.first(), compteur.last()}),
                 QStringLiteral("%1 / %1 %1|1 / %1|%1 / %1").arg(n).split(u'|'));
        QVERIFY(!s.b.ctl().menCompte.visible() && !s.b.form->fenetre.occupe() && !s.c().Occupe &&
                !s.c().DiapoAffichee);
        QCOMPARE(s.f->fenetre.caption(), QStringLiteral("Diapositives ") + s.b.etat.Chemin);
        QCOMPARE(s.c().Diapo.taille(), n);
        s.c().progression.avance = avance;
        s.c().Texte[3].setPlat(true);
        s.c().TexteChoisi = 3;
        s.f->Form_Activate();
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        s.jouer(cas.script.split(u' ', Qt::SkipEmptyParts));
        QLocale::setDefault(QLocale::c());
        QCOMPARE(s.c().Titre.caption(), QString::asprintf("De %d à %d %s %d)", cas.premiere + 1,
                                                          cas.premiere + cas.visibles,
                                                          cas.ouverte ? "(sur" : "( sur", cas.nb));
        // A page change takes the mark off the chosen label.
        QCOMPARE(QList<int>(
                     {s.c().PremiereDiapo, s.c().FinAtteinte, s.visibles(), s.c().Texte[3].plat()}),
                 QList<int>({cas.premiere, cas.fin, cas.visibles, cas.ouverte}));
        const int p = s.c().PremiereDiapo, d = cas.visibles - 1;
        for (int k = 0; k <= d; ++k)
            QCOMPARE(s.c().Texte[k].caption(), s.b.etat.TabImages.at(p + k + 1));
        // The last cell in its place; a missing file fills its whole cell in grey.
        QCOMPARE(
            QList<double>({s.c().Diapo[d].left(), s.c().Diapo[d].height(), s.c().Texte[d].top()}),
            QList<double>({double(s.c().GaucheCase[d]), 1128, s.c().HautCase[d] + 1188.0}));
    }

    // Thumbnails clicked: the picture shown full size, its label marked; files that are not
    // pictures, missing, deleted or whose header lies show a grey box and a click on them
    // changes nothing; a list of 32759 pages to its end.
    void fichiers() {
        Feuille s(32759);
        const auto fichier = [&](int n) { return s.b.etat.fichierDeEntree(n); };
        ecrire(fichier(1), "garbage, not a picture");
        ecrire(fichier(2));
        QFile(dessiner(fichier(3), {400, 300})).resize(600);
        // A bitmap header announcing 40000 x 40000 pixels.
        ecrire(fichier(4), QByteArray::fromHex("424d360000000000000036000000280000004"
                                               "09c0000409c0000010018000000000000000000000000000000"
                                               "0000000000000000"));
        dessiner(fichier(5), {30, 20});
        dessiner(fichier(8), {48, 30});
        dessiner(fichier(10), {50, 30});
        QVERIFY(s.charger());
        QFile::remove(fichier(5));
        for (int k : {0, 1, 3, 5})
            QCOMPARE(s.c().Diapo[k].height(), 1128.0);
        QCOMPARE(s.c().Diapo[4].height(), 776.0);
        QCOMPARE(s.c().Diapo[7].nomAccessible(), QStringLiteral("Diapositive 8 : img00008.jpg"));
        QCOMPARE(s.c().Diapo[7].width(), 1128.0);
        QVERIFY(s.c().Diapo[7].height() < 1128 && !s.c().Diapo[7].image().isNull());
        // The cell shown full size ("-" none), the picture's width in twips if shown, the
        // labels marked; after a click on a cell (-1: on the picture itself). A picture is
        // (pixels + 2) x 15 twips; a missing file, then one deleted while the sheet is open,
        // change nothing; a second click on the shown cell closes its picture.
        const auto vue = [&] {
            QStringList r{s.c().DiapoAffichee ? QString::number(*s.c().DiapoAffichee) : "-",
                          QString::number(s.c().Image1.visible() ? s.c().Image1.width() : 0)};
            for (int k = 0; k < 10; ++k)
                if (s.c().Texte[k].plat()) r << QString::number(k);
            return r.join(u' ');
        };
        const std::pair<int, const char*> clics[] = {{7, "7 750 7"}, {9, "9 780 9"}, {5, "9 780 9"},
                                                     {4, "9 780 9"}, {9, "- 0 9"},   {7, "7 750 7"},
                                                     {-1, "- 0 7"}};
        for (const auto& [k, attendu] : clics) {
            k < 0 ? s.c().Image1.cliquer() : s.c().Diapo[k].cliquer();
            QCOMPARE(vue(), QString::fromLatin1(attendu));
        }
        for (int k = 0; k < 6; ++k) {
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

    void tailleReelle_data() {
        QTest::addColumn<QSize>("taille");
        QTest::addColumn<QString>("barres");
        // Inner size 11880 x 9000 twips; a picture is (pixels + 2) x 15 twips. Each bar shown,
        // vertical then horizontal: its range, small and large steps, and place beside the other.
        // A bar steps by half the sheet's side, or its share of that when the overflow is beyond
        // its range.
        QTest::newRow("fits") << QSize(100, 100) << "";
        QTest::newRow("fits exactly") << QSize(790, 598) << "";
        QTest::newRow("taller") << QSize(300, 798) << "V 3000/4500/4500 @0";
        QTest::newRow("wider") << QSize(900, 100) << "H 1650/5940/5940 @0";
        QTest::newRow("both") << QSize(900, 798) << "V 3000/4500/4500 @270 H 1650/5940/5940 @270";
        QTest::newRow("beyond the range") << QSize(3000, 100) << "H 32767/5871/5871 @0";
    }

    // A thumbnail clicked: its picture at full size, with a bar on each side it overflows (each
    // leaving room for the other), which at its end brings the picture's far edge onto the sheet's.
    void tailleReelle() {
        QFETCH(QSize, taille);
        Feuille s(1);
        dessiner(s.b.etat.fichierDeEntree(1), taille);
        QVERIFY(s.charger());
        s.c().Diapo[0].cliquer();
        QVERIFY(s.c().Image1.visible());
        BarreDefilement &v = s.c().Vertic, &h = s.c().Horiz;
        QStringList barres;
        for (const BarreDefilement* b : {&v, &h})
            if (b->visible())
                barres << QString::asprintf("%s %d/%d/%d @%g", b == &v ? "V" : "H", b->max(),
                                            b->smallChange(), b->largeChange(),
                                            b == &v ? b->top() : b->left());
        QTEST(barres.join(u' '), "barres");
        if (v.visible()) {
            v.setValue(v.max());
            QCOMPARE(s.c().Image1.top(), 9000 - s.c().Image1.height());
        }
        if (h.visible()) {
            h.setValue(h.max());
            QCOMPARE(s.c().Image1.left(), 11880 - s.c().Image1.width());
        }
        QVERIFY(s.c().Dummy.aLeFocus());
        // Down changes the page and leaves the full-size view (here: nothing to move to).
        s.f->Environ(5);
        QCOMPARE(s.c().Image1.left(), 0.0);
        QVERIFY(s.c().Image1.visible());
    }

    // The sheet over two folders opened from the main window: each cell reads its picture in
    // its own folder, and the main window's picture, folder and slideshow are left as they were.
    void multiDossier() {
        Banc b;
        b.etat.TabImages = QStringList{QString()};
        for (int d = 1; d <= 2; ++d) {
            b.etat.ListeDossiers[d] = b.chemin(QStringLiteral("d%1").arg(d));
            for (int i = 1; i <= (d == 1 ? 40 : 30); ++i) {
                b.etat.TabImages.append(QStringLiteral("p%1.bmp").arg(i));
                dessiner(b.etat.ListeDossiers[d] + u'/' + b.etat.TabImages.last(),
                         d == 1 ? QSize(8, 4) : QSize(4, 8));
            }
        }
        b.etat.NbImages = 70;
        b.etat.NbDossiers = 2;
        b.etat.FinDossier = {0, 40, 70};
        b.etat.MultiDossier = 1;
        b.etat.NumImage = 50;
        b.etat.Chemin = b.etat.ListeDossiers[2] + u'/';
        b.etat.SensDefile = Vrai;
        b.ctl().menShow.setVisible(true);
        int k = 0; // wide in the first folder, tall in the second
        b.plateforme.sceneModale = [&](Fenetre& f) {
            QVERIFY(b.plateforme.traiterEnvois([&] { return !b.ctl().menCompte.visible(); }));
            for (Controle* c : f.controles())
                if (c->nom() == QLatin1String("Diapo"))
                    QCOMPARE(c->width() > c->height(), k++ < 40);
            QCOMPARE(b.etat.SensDefile, Faux);
        };
        b.ctl().diapShow.cliquer();
        QCOMPARE(k, 60);
        QCOMPARE(b.etat.NumImage, std::int16_t(50));
        QCOMPARE(b.etat.Chemin, b.etat.ListeDossiers[2] + u'/');
    }

    void pendantRemplissage_data() {
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
    void pendantRemplissage() {
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
        ouverture ? s.f->Form_Load() : s.f->fenetre.toucher(touche::PageBas);
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
};

GALVIA_TEST_GUILESS_MAIN(TestFeuille)
#include "tst_feuille.moc"
