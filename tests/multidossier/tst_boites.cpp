// The information box on the current picture and the keyboard help box, byte for byte.
#include "support/Banc.h"
#include "support/MainTest.h"

#include <QFile>
#include <QLocale>
#include <QTest>

using namespace galvia;
using namespace galvia::test;

namespace {

const QString Jpg = QStringLiteral(" Compression JPG (Joint Photographic Expert Group)\r\n\t"
                                   "(16 777 216 couleurs maximum)");
const QString Gif =
    QStringLiteral(" Compression GIF (Graphics Interchange Format) de CompuServe\r\n\t"
                   "(256 couleurs maximum)");
const QString Bmp = QStringLiteral("BMP (BitMaP pour Windows) de MicroSoft");

} // namespace

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
    QTest::addColumn<QStringList>("attendu"); // size, format, widths, heights, L/H, stretch
    QTest::newRow("jpg") << "photo.jpg" << QSize(2048, 1536) << 511 << true
                         << QStringList{"0 Ko", Jpg,   "2048", "1024", "2",
                                        "1536", "768", "2",    "1,33", "0,5"};
    QTest::newRow("JPEG") << "photo.JPEG" << QSize(640, 480) << 1022 << false
                          << QStringList{"1 Ko", Jpg,   "640",  "1024", "0.62",
                                         "480",  "768", "0.62", "1.33", "1"};
    QTest::newRow("gif") << "anim.gif" << QSize(300, 200) << 2555 << true
                         << QStringList{"2 Ko", Gif,   "300",  "1024", "0,29",
                                        "200",  "768", "0,26", "1,5",  "1"};
    QTest::newRow("bmp") << "large.bmp" << QSize(1536, 384) << 3577 << false
                         << QStringList{"4 Ko", Bmp,   "1536", "1024", "1.5",
                                        "384",  "768", "0.5",  "4",    "0.67"};
    // Not a picture: the views stay empty, every quotient has a zero divisor.
    QTest::newRow("mf") << "plan.mf" << QSize() << 3000 << true
                        << QStringList{"3 Ko", "WMF (Windows Metafile Format) de Microsoft",
                                       "0",    "1024",
                                       "0",    "0",
                                       "768",  "0",
                                       "0",    "0"};
    QTest::newRow("autre fin") << "plan.bm" << QSize() << 0 << false
                               << QStringList{"0 Ko", "",    "0", "1024", "0",
                                              "0",    "768", "0", "0",    "0"};
    QTest::newRow("disparu") << "photo.jpg" << QSize(100, 50) << -1 << false
                             << QStringList{"inconnue", Jpg,   "100",  "1024", "0.1",
                                            "50",       "768", "0.07", "2",    "1"};
}

void TestBoites::information() {
    QFETCH(QString, nom);
    QFETCH(QSize, taille);
    QFETCH(int, octets);
    QFETCH(bool, francais);
    QFETCH(QStringList, attendu);
    Banc b;
    const QString fichier = b.chemin("d/" + nom);
    if (taille.isValid())
        dessiner(fichier, taille);
    else
        ecrire(fichier);
    b.demarrer("d");
    b.ctl().Fichier.activer(0);
    if (octets >= 0) ecrire(fichier, QByteArray(octets, 'x'));
    if (octets < 0) QFile::remove(fichier);
    if (francais) QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    b.etat.SensDefile = Vrai;
    const std::size_t avant = b.plateforme.messages.size();
    b.form->menNom_Click();

    QCOMPARE(b.plateforme.messages.size(), avant + 1);
    const BoiteMessage& m = b.plateforme.messages.back();
    QCOMPARE(m.titre, QStringLiteral("Informations sur l'image"));
    QCOMPARE(m.icone, Icone::Information);
    const QStringList lignes{
        "Nom : \t" + nom,
        "Chemin : \t" + b.chemin("d/"),
        "Taille : \t" + attendu[0],
        "Format : \t" + attendu[1],
        "Largeur Réelle : \t" + attendu[2] + "\t (Plein Ecran : " + attendu[3] + ") => \t" +
            attendu[4],
        "Hauteur Réelle : \t" + attendu[5] + "\t (Plein Ecran : " + attendu[6] + ") => \t" +
            attendu[7],
        "L/H : \t" + attendu[8],
        "Stretch : \t" + attendu[9],
    };
    QCOMPARE(m.texte, lignes.join("\r\n\r\n"));
    QCOMPARE(b.etat.SensDefile, Faux);
}

void TestBoites::aide_data() {
    QTest::addColumn<bool>("vue");
    QTest::addColumn<QString>("texte");
    QTest::newRow("parcours") << false
                              << "Vous pouvez utiliser :\r\n\r\n"
                                 "La touche F6 pour prendre tous les fichiers\r\n\r\n"
                                 "La touche F5 pour ne prendre que la sélection\r\n\r\n"
                                 "La touche F7 pour sélectionner plusieurs dossiers\r\n\r\n"
                                 "Un Double Clic sur une image\r\n\r\n"
                                 "La touche F4 pour terminer";
    QTest::newRow("vue")
        << true
        << "Vous pouvez utiliser :\r\n\r\n"
           "Les touches de direction pour déplacer les ascenseurs\r\n\r\n"
           "PgUp et PgDown pour changer d'image\r\n\r\n"
           "+ du Pavé Numérique ou Clic pour modifier l'affichage\r\n\r\n"
           "Home et Fin pour atteindre la première et la dernière image\r\n\r\n"
           "1, 2, 3, 4 (numérique)pour parcourir rapidement l'ensemble des images\r\n\r\n"
           "La touche F2 pour renommer le fichier\r\n\r\n"
           "La touche F3 pour changer de dossier\r\n\r\n"
           "La touche F4 pour terminer\r\n\r\n"
           "La touche F8 pour passer en mode Diapositive";
}

void TestBoites::aide() {
    QFETCH(bool, vue);
    QFETCH(QString, texte);
    Banc b;
    dessiner(b.chemin("d/a.jpg"), {8, 8});
    b.demarrer("d");
    if (vue) b.ctl().Fichier.activer(0);
    b.etat.SensDefile = Vrai;
    b.ctl().menAide.cliquer();
    QCOMPARE(b.messages(), QStringList{texte});
    QCOMPARE(b.plateforme.messages[0].titre, QStringLiteral("Raccourcis Clavier"));
    QCOMPARE(b.plateforme.messages[0].icone, Icone::Information);
    // Only the viewing modes stop the slideshow.
    QCOMPARE(b.etat.SensDefile, vue ? Faux : Vrai);
}

GALVIA_TEST_MAIN(TestBoites)
#include "tst_boites.moc"
