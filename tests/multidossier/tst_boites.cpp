// The information box on the current picture and the keyboard help box.
#include "support/Banc.h"
#include "support/MainTest.h"

#include <QFile>
#include <QLocale>
#include <QTest>

using namespace galvia;
using namespace galvia::test;

class TestBoites : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void information_data();
    void information();
    void aide_data();
    void aide();
};

void TestBoites::information_data() {
    QTest::addColumn<QString>("nom");
    QTest::addColumn<QSize>("taille"); // empty: a file that is no picture
    QTest::addColumn<int>("octets");   // -1: removed once shown
    QTest::addColumn<bool>("francais");
    // Size, start of the format, widths, heights, L/H, stretch.
    QTest::addColumn<QString>("attendu");
    // clang-format off
    QTest::newRow("jpg")       << "photo.jpg"  << QSize(2048, 1536) << 511  << true
                               << "0 Ko| Compression JPG|2048|1024|2|1536|768|2|1,33|0,5";
    QTest::newRow("JPEG")      << "photo.JPEG" << QSize(640, 480)   << 1022 << false
                               << "1 Ko| Compression JPG|640|1024|0.62|480|768|0.62|1.33|1";
    QTest::newRow("gif")       << "anim.gif"   << QSize(300, 200)   << 2555 << true
                               << "2 Ko| Compression GIF|300|1024|0,29|200|768|0,26|1,5|1";
    QTest::newRow("bmp")       << "large.bmp"  << QSize(1536, 384)  << 3577 << false
                               << "4 Ko|BMP|1536|1024|1.5|384|768|0.5|4|0.67";
    // Not a picture: the views stay empty, every quotient has a zero divisor.
    QTest::newRow("mf")        << "plan.mf"    << QSize()           << 3000 << true
                               << "3 Ko|WMF|0|1024|0|0|768|0|0|0";
    QTest::newRow("autre fin") << "plan.bm"    << QSize()           << 0    << false
                               << "0 Ko||0|1024|0|0|768|0|0|0";
    QTest::newRow("disparu")   << "photo.jpg"  << QSize(100, 50)    << -1   << false
                               << "inconnue| Compression JPG|100|1024|0.1|50|768|0.07|2|1";
    // clang-format on
}

void TestBoites::information() {
    QFETCH(QString, nom);
    QFETCH(QSize, taille);
    QFETCH(int, octets);
    QFETCH(bool, francais);
    QFETCH(QString, attendu);
    Banc b;
    const QString fichier = b.chemin("d/" + nom);
    taille.isValid() ? (void)dessiner(fichier, taille) : (void)ecrire(fichier);
    b.demarrer("d");
    b.ctl().Fichier.activer(0);
    if (octets >= 0) ecrire(fichier, QByteArray(octets, 'x'));
    if (octets < 0) QFile::remove(fichier);
    if (francais) QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    b.etat.SensDefile = Vrai;
    b.plateforme.messages.clear();
    b.form->menNom_Click();

    QCOMPARE(b.plateforme.messages.size(), 1u);
    const BoiteMessage& m = b.plateforme.messages.back();
    QCOMPARE(m.titre, QStringLiteral("Informations sur l'image"));
    QCOMPARE(m.icone, Icone::Information);
    const QStringList a = attendu.split('|');
    QStringList lignes = m.texte.split("\r\n\r\n");
    QCOMPARE(lignes.size(), 8);
    // The format is known by the start of its text.
    const QString format = "Format : \t" + a[1];
    QVERIFY2(a[1].isEmpty() ? lignes[3] == format : lignes[3].startsWith(format),
             qPrintable(lignes[3]));
    lignes.removeAt(3);
    QCOMPARE(lignes,
             (QStringList{
                 "Nom : \t" + nom,
                 "Chemin : \t" + b.chemin("d/"),
                 "Taille : \t" + a[0],
                 "Largeur Réelle : \t" + a[2] + "\t (Plein Ecran : " + a[3] + ") => \t" + a[4],
                 "Hauteur Réelle : \t" + a[5] + "\t (Plein Ecran : " + a[6] + ") => \t" + a[7],
                 "L/H : \t" + a[8],
                 "Stretch : \t" + a[9],
             }));
    QCOMPARE(b.etat.SensDefile, Faux);
}

void TestBoites::aide_data() {
    QTest::addColumn<bool>("vue");
    QTest::newRow("parcours") << false;
    QTest::newRow("vue") << true;
}

// The help lists the keys of the mode shown, and only the viewing modes stop the slideshow.
void TestBoites::aide() {
    QFETCH(bool, vue);
    Banc b;
    dessiner(b.chemin("d/a.jpg"), {8, 8});
    b.demarrer("d");
    if (vue) b.ctl().Fichier.activer(0);
    b.etat.SensDefile = Vrai;
    b.ctl().menAide.cliquer();
    QCOMPARE(b.plateforme.messages.size(), 1u);
    QCOMPARE(b.plateforme.messages[0].titre, QStringLiteral("Raccourcis Clavier"));
    QCOMPARE(b.plateforme.messages[0].icone, Icone::Information);
    const QStringList lignes = b.plateforme.messages[0].texte.split("\r\n\r\n");
    QCOMPARE(lignes.size(), vue ? 10 : 6);
    QCOMPARE(lignes[0], QStringLiteral("Vous pouvez utiliser :"));
    QCOMPARE(lignes.last(), vue ? QStringLiteral("La touche F8 pour passer en mode Diapositive")
                                : QStringLiteral("La touche F4 pour terminer"));
    QCOMPARE(b.etat.SensDefile, vue ? Faux : Vrai);
}

GALVIA_TEST_MAIN(TestBoites)
#include "tst_boites.moc"
