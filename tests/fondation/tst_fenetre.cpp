// The real main window offscreen: the accessible names of its controls and the captions
// of its menus.
#include "support/Banc.h"
#include "support/FenetreReelle.h"
#include "support/MainTest.h"

#include <QAccessible>
#include <QApplication>
#include <QMenuBar>
#include <QTest>

using namespace galvia;
using namespace galvia::test;

class TestFenetre : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void nomsAccessibles();
};

void TestFenetre::nomsAccessibles() {
    QTemporaryDir dossier;
    dessiner(dossier.path() + QStringLiteral("/a.jpg"), {10, 10});
    FenetreReelle f(dossier.path() + u'/');
    // Every control has a name a screen reader can say.
    for (Controle* c : f.form->fenetre.controles()) {
        QWidget* w = f.vue->widgetDe(*c);
        QVERIFY2(w && !w->accessibleName().isEmpty(), qPrintable(c->nom()));
    }
    QCOMPARE(f.vue->widgetDe(f.ctl().Image2)->accessibleName(), QStringLiteral("Image ajustée"));
    const QStringList menus{"&Fichier", "A&tteindre", "&Show", "&Aide", "&Nom", "&Compte"};
    QStringList obtenus;
    for (QAction* a : f.vue->menuBar()->actions())
        obtenus.append(a->text());
    QCOMPARE(obtenus, menus);
    QCOMPARE(f.vue->actionDe(*f.ctl().Bouge[4])->text(), QStringLiteral("&Premiere Image"));
    QCOMPARE(f.vue->actionDe(f.ctl().affTout)->shortcut(), QKeySequence(Qt::Key_F5));
}

GALVIA_TEST_MAIN(TestFenetre)
#include "tst_fenetre.moc"
