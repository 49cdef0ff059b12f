// The real main window offscreen: F5 shows a folder, F2 renames the current picture
// through the input box, and the file on disk takes the new name.
#include "support/Banc.h"
#include "support/FenetreReelle.h"
#include "support/MainTest.h"

#include <QDir>
#include <QInputDialog>
#include <QTest>

using namespace galvia;
using namespace galvia::test;

class TestRenommerFenetre : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void renommerParF2();
};

void TestRenommerFenetre::renommerParF2() {
    QTemporaryDir dossier;
    const QString d = dossier.path() + QStringLiteral("/Photos/");
    dessiner(d + QStringLiteral("b.jpg"), {40, 30});
    dessiner(d + QStringLiteral("a.jpg"), {40, 30});
    FenetreReelle f(d);
    f.touche(Qt::Key_F5);
    QCOMPARE(f.legende(f.ctl().menNom), QStringLiteral("=  1 / 2  =  a.jpg"));

    QString defaut;
    FenetreReelle::repondre([&defaut](QWidget* boite) {
        auto* saisie = qobject_cast<QInputDialog*>(boite);
        if (!saisie) return;
        defaut = saisie->textValue();
        saisie->setTextValue(QStringLiteral("vacances.jpg"));
        saisie->accept();
    });
    f.touche(Qt::Key_F2);
    QTRY_COMPARE(QDir(d).entryList(QDir::Files, QDir::Name),
                 (QStringList{"b.jpg", "vacances.jpg"}));
    QCOMPARE(defaut, QStringLiteral("a.jpg"));
    QCOMPARE(f.etat.NomComplet, d + QStringLiteral("vacances.jpg"));
    // The counter keeps the old name until the next load.
    QCOMPARE(f.legende(f.ctl().menNom), QStringLiteral("=  1 / 2  =  a.jpg"));
}

GALVIA_TEST_MAIN(TestRenommerFenetre)
#include "tst_renommer_fenetre.moc"
