// The viewer's keys, menus and views over a list, on the in-memory platform; what they
// do to the viewer's state is tested on the state itself (tst_visionneuse).
#include "support/Banc.h"
#include "support/MainTest.h"

#include "platform/Touches.h"

#include <QFile>
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

class TstNavigation : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void menus();
    void touches_data();
    void touches();
    void vuesEtAscenseurs();
    void petitesImages();
    void echecPendantDiaporama();
};

void TstNavigation::menus() {
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
    // The speed: the timer and the factor in both commands, changed only while running.
    b->ctl().Defile[Show::VitesseMoitie]->cliquer();
    QCOMPARE(b->ctl().Timer1.interval(), 1024);
    b->ctl().Defile[Show::Croissant]->cliquer();
    b->ctl().Defile[Show::VitesseMoitie]->cliquer();
    QCOMPARE(b->ctl().Timer1.interval(), 2048);
    QCOMPARE(b->ctl().Defile[Show::VitesseDouble]->caption(),
             QStringLiteral("&Vitesse Double (0.5)"));
    QCOMPARE(b->ctl().Defile[Show::VitesseMoitie]->caption(),
             QStringLiteral("Vitesse &Moitié (0.5)"));
    QVERIFY(b->plateforme.messages.empty());
}

void TstNavigation::touches_data() {
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
    ligne("Espace jamais lance", {2, Espace, 1, 2, false, cent});
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

void TstNavigation::touches() {
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
    QCOMPARE(b->etat.ModeVue, t.modeApres);
    QCOMPARE(b->etat.SensDefile, t.sens);
    QCOMPARE(QPoint(f.Horiz.value(), f.Vertic.value()), t.valeurs);
    QCOMPARE(QPointF(f.Image1.left(), f.Image1.top()), -QPointF(t.valeurs));
    if (t.code == touche::Inser && t.mode != 0) QCOMPARE(b->etat.Vitesse, 1);
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

void TstNavigation::petitesImages() {
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
