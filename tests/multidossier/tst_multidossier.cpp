// The multi-folder selection: the label that holds it, its limits, Esc, and the list
// built from the selected folders with the folder of each entry.
#include "support/Banc.h"
#include "support/MainTest.h"

#include "platform/Touches.h"

#include <QDir>
#include <QTest>

using namespace galvia;
using namespace galvia::test;

namespace {

const QString Entete = QStringLiteral("Dossiers sélectionnés\r\n<Esc> pour quitter\r\n"
                                      "<DblClic> pour effacer");

// A single click on the folder list's entry for subfolder `nom` of the bench.
void cliquer(Banc& b, const QString& nom) {
    const QString chemin = b.chemin(nom);
    for (int i = 0; i < b.ctl().Dossier.listCount(); ++i)
        if (b.ctl().Dossier.list(i) == chemin) return b.ctl().Dossier.selectionner(i);
    qFatal("no folder %s", qPrintable(chemin));
}

// The bench's folder list showing the subfolders `noms`, a selection started, and each
// folder clicked in turn unless `seulement` ("-": a double click on the selection).
void selectionner(Banc& b, const QStringList& noms, bool seulement = false) {
    for (const QString& n : noms)
        QDir().mkpath(b.chemin(n));
    b.demarrer();
    b.ctl().AutreDossier.cliquer();
    for (const QString& n : noms)
        if (!seulement) n == u'-' ? b.ctl().ListeDos.doubleCliquer() : cliquer(b, n);
}

} // namespace

class TestMultiDossier : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ajouts_data() {
        // The folders clicked in turn (see selectionner), those kept, and the warning given.
        QTest::addColumn<QStringList>("clics");
        QTest::addColumn<QStringList>("retenus");
        QTest::addColumn<QString>("avertissement");
        const auto ligne = [](const char* nom, const QString& clics, const QString& retenus,
                              const QString& avertissement = {}) {
            QTest::newRow(nom) << clics.split(u',') << retenus.split(u',', Qt::SkipEmptyParts)
                               << avertissement;
        };
        const QString deja = QStringLiteral("Dossier Déjà Sélectionné");
        ligne("deux", "B,A", "B,A");
        ligne("deux fois", "A,B,A", "A,B", deja);
        ligne("autre casse", "Photos,photos", "Photos", deja);
        ligne("préfixe", "Photos,Photo,Photos Noel", "Photos,Photo,Photos Noel");
        // A double click takes off the last folder, which can then be chosen again.
        ligne("effacer", "A,B,C,-,C", "A,B,C");
        ligne("effacer sans dossier", "-", "");
        ligne("onzième", "a,b,c,d,e,f,g,h,i,j,k", "a,b,c,d,e,f,g,h,i,j",
              "Maximum de Sélection Atteint");
    }

    void ajouts() {
        QFETCH(QStringList, clics);
        QFETCH(QStringList, retenus);
        QFETCH(QString, avertissement);
        Banc b;
        selectionner(b, clics); // "-" too: a folder that is never clicked
        QString etiquette = Entete;
        for (int k = 1; k <= retenus.size(); ++k) {
            etiquette += QStringLiteral("\r\n") + b.chemin(retenus[k - 1]) + QStringLiteral(" *");
            QCOMPARE(b.etat.ListeDossiers[k], b.chemin(retenus[k - 1]));
        }
        QCOMPARE(b.ctl().ListeDos.caption(), etiquette);
        QCOMPARE(b.etat.NbDossiers, retenus.size());
        QCOMPARE(b.messages(),
                 avertissement.isEmpty() ? QStringList() : QStringList{avertissement});
    }

    void fin_data() {
        QTest::addColumn<bool>("echap");
        QTest::newRow("menu sans dossier") << false;
        QTest::newRow("Esc") << true;
    }

    void fin() {
        QFETCH(bool, echap);
        Banc b;
        selectionner(b, {"A"}, true);
        const AccesForm1 f = b.ctl();
        QCOMPARE(f.AutreDossier.caption() + '|' + f.ListeDos.caption(),
                 "Fin de Sélection|" + Entete);
        QCOMPARE(QList<bool>({f.ListeDos.visible(), f.Fichier.enabled(), f.affTout.enabled(),
                              f.Dossier.aLeFocus()}),
                 QList<bool>({true, false, false, true}));
        f.Dossier.surTouche(touche::Echap + 1, touche::MajMask); // other keys: nothing
        if (echap) cliquer(b, "A");
        echap ? f.Dossier.surTouche(touche::Echap, 0) : f.AutreDossier.cliquer();
        QCOMPARE(f.AutreDossier.caption(), QStringLiteral("Sélection MultiDossier"));
        // Esc leaves the file list disabled and the selection as it was.
        QCOMPARE(QList<bool>({f.ListeDos.visible(), f.Fichier.enabled(), f.affTout.enabled()}),
                 QList<bool>({false, !echap, true}));
        QCOMPARE(QList<int>({b.etat.MultiDossier, b.etat.NbImages, b.etat.NbDossiers}),
                 QList<int>({0, 0, echap ? 1 : 0}));
        QVERIFY(b.messages().isEmpty());
    }

    void construction() {
        Banc b;
        for (const char* n : {"A/z1.jpg", "A/z2.gif", "A/z3.bmp", "C/a1.jpg", "C/a2.jpg"})
            dessiner(b.chemin(n), {8, 8});
        ecrire(b.chemin("A/notes.txt"));
        ecrire(b.chemin("B/lisez.txt"));
        selectionner(b, {"A", "B", "C"});
        b.ctl().AutreDossier.cliquer();

        QVERIFY(b.messages().isEmpty());
        QCOMPARE(std::tuple(int(b.etat.NbImages), int(b.etat.MultiDossier), b.etat.ModeVue,
                            int(b.etat.NumImage)),
                 std::tuple(5, 1, Mode::Ajustee, 1));
        QCOMPARE(QList<int>({b.etat.FinDossier[1], b.etat.FinDossier[2], b.etat.FinDossier[3]}),
                 QList<int>({3, 3, 5}));
        // Selection order, not sorted: A's three pictures, then C's two.
        const QStringList l = b.liste();
        QCOMPARE(QSet<QString>(l.begin(), l.begin() + 3),
                 (QSet<QString>{"z1.jpg", "z2.gif", "z3.bmp"}));
        QCOMPARE(QSet<QString>(l.begin() + 3, l.end()), (QSet<QString>{"a1.jpg", "a2.jpg"}));
        QCOMPARE(b.etat.Chemin, b.chemin("A/"));

        for (int n : {3, 4, 5, 1}) {
            b.etat.NumImage = static_cast<std::int16_t>(n);
            b.ctl().ChargeImage();
            const QString d = b.chemin(n <= 3 ? "A/" : "C/");
            QCOMPARE(QStringList({b.etat.Chemin, b.form->fenetre.caption(), b.etat.NomComplet}),
                     QStringList({d, d, d + l[n - 1]}));
        }
        QVERIFY(b.messages().isEmpty());
    }

    void echecs_data() {
        QTest::addColumn<QString>("fichier");
        QTest::addColumn<QString>("message");
        QTest::newRow("vides") << QString() << "Le dossier est vide !";
        QTest::newRow("rien d'affichable") << "B/photo.png"
                                           << "Aucun fichier n'est affichable !";
    }

    void echecs() {
        QFETCH(QString, fichier);
        QFETCH(QString, message);
        Banc b;
        if (!fichier.isEmpty()) ecrire(b.chemin(fichier));
        selectionner(b, {"A", "B"});
        b.ctl().AutreDossier.cliquer();
        QCOMPARE(std::tuple(int(b.etat.NbImages), b.etat.ModeVue, int(b.etat.MultiDossier)),
                 std::tuple(0, Mode::Navigation, 0));
        // Plain browsing again: a folder click adds nothing, the menu starts a new selection.
        cliquer(b, "A");
        QCOMPARE(b.messages(), QStringList{message});
        b.ctl().AutreDossier.cliquer();
        QCOMPARE(std::pair(int(b.etat.NbDossiers), b.ctl().ListeDos.caption()),
                 std::pair(0, Entete));
    }
};

GALVIA_TEST_MAIN(TestMultiDossier)
#include "tst_multidossier.moc"
