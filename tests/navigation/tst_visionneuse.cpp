// The viewer's state on its own, on the in-memory platform: moving through the list,
// the slideshow, the view mode, and what is decoded ahead in the direction of travel.
#include "support/MainTest.h"

#include "platform/decodage/PoolDecodage.h"
#include "platform/memoire/PlateformeMemoire.h"
#include "viewer/Visionneuse.h"

#include <QTest>
#include <chrono>

using namespace galvia;
using namespace std::chrono_literals;

namespace {

// A list of `nb` entries 01.bmp, 02.bmp... in a folder that does not exist (nothing here
// loads them), shown from entry `numero`.
struct Etat {
    explicit Etat(int nb, int numero = 1) {
        etat.TabImages = QStringList{QString()};
        for (int i = 1; i <= nb; ++i)
            etat.TabImages.append(QStringLiteral("%1.bmp").arg(i, 2, 10, QLatin1Char('0')));
        etat.Chemin = QStringLiteral("/nulle/part/");
        etat.NbImages = static_cast<std::int16_t>(nb);
        etat.NumImage = static_cast<std::int16_t>(numero);
    }
    ~Etat() {
        vue.anticipation().oublier();
        (void)PoolDecodage::commun().attendreInactif(60s);
    }
    // The window's load of the current entry, once the state moved it.
    void charger() {
        if (vue.commencerChargement()) vue.finirChargement();
    }
    // The entries decoded ahead, nearest first.
    QList<int> prevus() {
        QList<int> l;
        for (const QString& c : vue.anticipation().prevus())
            l.append(c.section(u'/', -1).section(u'.', 0, 0).toInt());
        return l;
    }
    PlateformeMemoire plateforme;
    Module1 etat;
    Visionneuse vue{plateforme, etat, PoolDecodage::commun()};
};

} // namespace

// One command of the "Atteindre" menu over a list of `nb` entries 01.bmp...: the answer
// typed in its prompt, where it lands, and what is decoded ahead once the picture is
// loaded (after travelling backwards when `arriere`).
struct Mouvement {
    int depart;
    Atteindre commande;
    QString reponse;
    int arrivee;
    QList<int> prevus = {};
    bool arriere = false;
    int nb = 7;
};

class TstVisionneuse : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bouge_data() {
        QTest::addColumn<Mouvement>("cas");
        using enum Atteindre;
        const std::pair<const char*, Mouvement> lignes[] = {
            {"suivante", {3, Suivante, "", 4, {5, 6}}},
            {"suivante au bout", {7, Suivante, "", 1, {2, 3}}},
            {"suivante en arriere", {3, Suivante, "", 4, {5, 6}, true}},
            {"precedente au debut", {1, Precedente, "", 7, {6, 5}}},
            {"premiere deja la", {1, Premiere, "", 1}},
            {"derniere", {3, Derniere, "", 7, {1, 2}}},
            {"derniere en arriere", {3, Derniere, "", 7, {6, 5}, true}},
            {"un cinquieme", {1, UnCinquieme, "", 2, {3, 4}}},
            {"quatre cinquiemes", {1, QuatreCinquiemes, "", 5, {6, 7}}},
            // The fifths round down, on products beyond 16 bits.
            {"deux cinquiemes de 3", {2, DeuxCinquiemes, "", 1, {}, false, 3}},
            {"deux cinquiemes de 4", {1, DeuxCinquiemes, "", 2, {}, false, 4}},
            {"un cinquieme de 6", {1, UnCinquieme, "", 2, {}, false, 6}},
            {"trois cinquiemes de 8193", {1, TroisCinquiemes, "", 4916, {}, false, 8193}},
            {"quatre cinquiemes de 32759", {1, QuatreCinquiemes, "", 26207, {}, false, 32759}},
            {"numero", {2, Numero, "5", 5}},
            {"numero 0", {2, Numero, "0", 2}},
            {"numero 8", {2, Numero, "8", 2}},
            {"numero vide", {2, Numero, "", 2}},
            {"nom prefixe", {2, Nom, "05", 5}},
            {"nom absent", {2, Nom, "9", 2}},
            {"nom annule", {2, Nom, "", 2}},
            {"une image nom", {1, Nom, "1", 1, {}, false, 1}},
        };
        for (const auto& [nom, cas] : lignes)
            QTest::newRow(nom) << cas;
    }

    void bouge() {
        QFETCH(Mouvement, cas);
        Etat e(cas.nb, cas.arriere ? cas.depart % cas.nb + 1 : cas.depart);
        if (cas.arriere) {
            QVERIFY(e.vue.Bouge(Atteindre::Precedente));
            e.charger();
        }
        e.plateforme.reponses.push_back(cas.reponse);
        QCOMPARE(e.vue.Bouge(cas.commande), cas.arrivee != cas.depart);
        QCOMPARE(e.etat.NumImage, cas.arrivee);
        // Numbers and names are asked for; a name not found is told.
        const bool demande = cas.nb > 1 && cas.commande <= Atteindre::Numero;
        const bool nom = cas.commande == Atteindre::Nom;
        QCOMPARE(int(e.plateforme.saisies.size()), int(demande));
        if (demande)
            QCOMPARE(e.plateforme.saisies[0].titre + u'|' + e.plateforme.saisies[0].invite,
                     nom ? QStringLiteral("Recherche d'une image|Donnez un nom ou quelques lettres")
                         : QStringLiteral("Numéro de l'image|Donnez un nombre entre 1 et 7"));
        const bool absent = nom && demande && !cas.reponse.isEmpty() && cas.arrivee == cas.depart;
        QCOMPARE(int(e.plateforme.messages.size()), int(absent));
        if (absent) {
            const BoiteMessage& m = e.plateforme.messages[0];
            QCOMPARE(std::tuple(e.vue.texteCherche(), m.titre, m.icone, m.texte),
                     std::tuple(cas.reponse, QStringLiteral("Recherche"), Icone::Information,
                                QStringLiteral("Non trouvé : ") + cas.reponse));
        }
        if (cas.prevus.isEmpty()) return;
        e.charger();
        QCOMPARE(e.prevus(), cas.prevus);
    }

    void dichot_data() {
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
        QTest::newRow("tres long") << b << QString(100000, QLatin1Char('b')) << 0;
    }

    void dichot() {
        QFETCH(QStringList, liste);
        QFETCH(QString, texte);
        Etat e(0);
        e.etat.TabImages = QStringList{QString()} + liste;
        QTEST(e.vue.Dichot(1, int(liste.size()), texte), "trouve");
    }

    void diaporama_data() {
        // Over `nb` entries from `depart`, a script: the digits are the "&Show" commands
        // (Defile), I the Insert key, E the space bar, T a tick, B a tick under an open box.
        // The trace holds, for each command, "+" when the window has something to show for
        // it, else "."; for each tick, the entry it moved to, or "-".
        QTest::addColumn<int>("nb");
        QTest::addColumn<int>("depart");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("trace");
        // Then, as numbers: running, direction, interval, small pictures.
        QTest::addColumn<QList<int>>("etat");
        QTest::addColumn<QList<int>>("prevus"); // once the last picture is loaded
        const auto ligne = [](const char* nom, int nb, int depart, const QString& script,
                              const QString& trace, bool enMarche, int sens, QList<int> prevus,
                              int intervalle = 1024, bool petites = true) {
            QTest::newRow(nom) << nb << depart << script << trace
                               << QList<int>{enMarche, sens, intervalle, petites} << prevus;
        };
        ligne("avant au bout", 3, 2, "0TTT", ".312", true, 1, {3, 1});
        ligne("arriere au debut", 3, 2, "1TTTT", ".1321", true, -1, {3, 2});
        ligne("arrete", 3, 2, "02TT", "..--", false, 1, {3, 1});
        ligne("inser au bout", 3, 3, "ITT", "12", true, 1, {3, 1});
        ligne("espace jamais lance", 3, 1, "ETE", "-", false, 0, {});
        ligne("espace pause reprise", 4, 2, "1ETET", ".-1", true, -1, {4, 3});
        ligne("boite ouverte", 3, 1, "0BT", ".-2", true, 1, {3, 1});
        ligne("une image", 1, 1, "01T35", "..-..", false, 0, {});
        ligne("une image inser", 1, 1, "IT", "1", true, 1, {});
        ligne("vitesse arretee", 2, 1, "3", ".", false, 0, {});
        ligne("double", 2, 1, "03", ".+", true, 1, {2}, 512);
        ligne("moitie", 2, 1, "0344", ".+++", true, 1, {2}, 2048);
        ligne("onzieme", 2, 1, "0" + QString(11, '3'), "." + QString(10, '+') + ".", true, 1, {2},
              1);
        ligne("sixieme", 2, 1, "0" + QString(6, '4'), "." + QString(5, '+') + ".", true, 1, {2},
              32768);
        ligne("retour", 2, 1, "0" + QString(6, '4') + "33", ".+++++.++", true, 1, {2}, 8192);
        ligne("petites", 2, 1, "5", "+", false, 0, {}, 1024, false);
        ligne("petites deux fois", 2, 1, "55", "++", false, 0, {});
    }

    void diaporama() {
        QFETCH(int, nb);
        QFETCH(int, depart);
        QFETCH(QString, script);
        Etat e(nb, depart);
        QString obtenue;
        const auto tick = [&e, &obtenue] {
            const bool bouge = e.vue.Enchaine();
            obtenue += bouge ? QString::number(e.etat.NumImage) : QStringLiteral("-");
            if (bouge) e.charger();
        };
        e.plateforme.pendantMessage = [&tick](const BoiteMessage&) { tick(); };
        for (const QChar c : script) {
            if (c.isDigit()) obtenue += e.vue.Defile(Show(c.digitValue())) ? u'+' : u'.';
            if (c == u'I') e.vue.lancer(Show::Croissant);
            if (c == u'E') e.vue.basculer();
            if (c == u'T') tick();
            if (c == u'B') e.plateforme.MsgBox(QStringLiteral("boîte"), Icone::Aucune);
        }
        QTEST(obtenue, "trace");
        QTEST(
            (QList<int>{e.vue.enMarche(), e.vue.sens(), e.vue.intervalle(), e.vue.petitesImages()}),
            "etat");
        QTEST(e.prevus(), "prevus");
    }

    void modes_data() {
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<Mode>("modeVue");
        QTest::newRow("navigation") << Mode::Navigation << Mode::Navigation;
        QTest::newRow("taille reelle") << Mode::TailleReelle << Mode::TailleReelle;
        QTest::newRow("ajustee") << Mode::Ajustee << Mode::Ajustee;
        QTest::newRow("choix des dossiers") << Mode::ChoixDossiers << Mode::Navigation;
    }

    void modes() {
        QFETCH(Mode, mode);
        QFETCH(Mode, modeVue);
        Etat e(5);
        e.vue.changerMode(mode == Mode::Ajustee ? Mode::TailleReelle : Mode::Ajustee);
        e.vue.Defile(Show::Croissant);
        e.vue.changerMode(mode);
        QCOMPARE(e.etat.ModeVue, modeVue);
        // Only the views keep the slideshow and its decodes ahead.
        const bool garde = modeVue != Mode::Navigation;
        QCOMPARE(std::pair(e.vue.enMarche(), e.prevus()),
                 std::pair(garde, garde ? QList<int>{2, 3} : QList<int>()));
    }

    void chargementDansUnChargement() {
        // Travelling backwards; a move made while a load is under way (its failure box open)
        // is not loaded, and its step does not turn the direction of travel.
        Etat e(6, 4);
        QVERIFY(e.vue.Bouge(Atteindre::Precedente));
        e.charger();
        QVERIFY(e.vue.Bouge(Atteindre::Precedente));
        QVERIFY(e.vue.commencerChargement());
        QVERIFY(e.vue.Bouge(Atteindre::Suivante));
        QVERIFY(!e.vue.commencerChargement());
        e.vue.finirChargement();
        QCOMPARE(std::pair(int(e.etat.NumImage), e.prevus()), std::pair(3, QList<int>{2, 1}));
        QVERIFY(e.vue.commencerChargement()); // the guard is down again
    }
};

GALVIA_TEST_GUILESS_MAIN(TstVisionneuse)
#include "tst_visionneuse.moc"
