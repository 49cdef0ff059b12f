// The real main window offscreen: start-up on a folder of pictures, F5, Page Down,
// captions, and the accessible names of the controls.
#include "support/Banc.h"
#include "support/FenetreReelle.h"

#include <QAccessible>
#include <QApplication>
#include <QMenuBar>
#include <QTest>

using namespace galvia;
using namespace galvia::test;

class TestFenetre : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parcourirEtVoir();
    void nomsAccessibles();
};

void TestFenetre::parcourirEtVoir() {
    QTemporaryDir dossier;
    const QString d = dossier.path() + QStringLiteral("/Photos");
    dessiner(d + QStringLiteral("/b.jpg"), {3000, 200}, Qt::green);
    dessiner(d + QStringLiteral("/a.jpg"), {64, 48}, Qt::red);
    dessiner(d + QStringLiteral("/C.gif"), {32, 32}, Qt::blue);
    FenetreReelle f(d + u'/');
    QCOMPARE(f.vue->windowTitle(), d + u'/');
    QVERIFY(!f.vue->actionDe(f.ctl().menAtt)->isVisible());

    f.touche(Qt::Key_F5);
    QCOMPARE(f.legende(f.ctl().menNom), QStringLiteral("=  1 / 3  =  a.jpg"));
    QVERIFY(f.vue->actionDe(f.ctl().menNom)->isVisible());
    QCOMPARE(f.vue->windowTitle(), d + u'/');
    QWidget* ajustee = f.vue->widgetDe(f.ctl().Image2);
    QVERIFY(ajustee->isVisible());
    QVERIFY(!f.vue->widgetDe(f.ctl().Debut)->isVisible());

    f.touche(Qt::Key_PageDown);
    QTRY_COMPARE(f.legende(f.ctl().menNom), QStringLiteral("=  2 / 3  =  b.jpg"));
    // 3000 pixels wide: the horizontal bar shows.
    QVERIFY(f.vue->widgetDe(f.ctl().Horiz)->isVisible());
    f.touche(Qt::Key_PageDown, Qt::ShiftModifier);
    QTRY_COMPARE(f.legende(f.ctl().menNom), QStringLiteral("=  3 / 3  =  C.gif"));

    f.touche(Qt::Key_F3);
    QVERIFY(f.vue->widgetDe(f.ctl().Debut)->isVisible());
    QVERIFY(!f.vue->actionDe(f.ctl().menNom)->isVisible());
}

void TestFenetre::nomsAccessibles() {
    QTemporaryDir dossier;
    dessiner(dossier.path() + QStringLiteral("/a.jpg"), {10, 10});
    FenetreReelle f(dossier.path() + u'/');
    const QMap<QString, QString> attendus{{"Lecteur", "Lecteur"},
                                          {"Dossier", "Dossier"},
                                          {"Fichier", "Fichier"},
                                          {"Image0", "Zone d'affichage"},
                                          {"Image1", "Image taille réelle"},
                                          {"Image2", "Image ajustée"},
                                          {"Horiz", "Ascenseur horizontal"},
                                          {"Vertic", "Ascenseur vertical"},
                                          {"ChatRex", "Chat"},
                                          {"ListeDos", "Dossiers :"}};
    for (Controle* c : f.form->fenetre.controles()) {
        QWidget* w = f.vue->widgetDe(*c);
        QVERIFY2(w && !w->accessibleName().isEmpty(), qPrintable(c->nom()));
        if (attendus.contains(c->nom())) QCOMPARE(w->accessibleName(), attendus.value(c->nom()));
    }
    const QStringList menus{"&Fichier", "A&tteindre", "&Show", "&Aide", "&Nom", "&Compte"};
    QStringList obtenus;
    for (QAction* a : f.vue->menuBar()->actions())
        obtenus.append(a->text());
    QCOMPARE(obtenus, menus);
    QCOMPARE(f.vue->actionDe(*f.ctl().Bouge[4])->text(), QStringLiteral("&Premiere Image"));
    QCOMPARE(f.vue->actionDe(f.ctl().affTout)->shortcut(), QKeySequence(Qt::Key_F5));
}

QTEST_MAIN(TestFenetre)
#include "tst_fenetre.moc"
