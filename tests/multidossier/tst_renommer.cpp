// The commands on the current picture: renaming it (the checks of the new name, the
// rename on disk, and the failures, with the disk checked afterwards), its information
// box, and the keyboard help box.
#include "support/Banc.h"
#include "support/MainTest.h"

#include "platform/Renommage.h"
#include "platform/decodage/Anticipation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QScopeGuard>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace galvia;
using namespace galvia::test;

namespace {

// The picture `nom` (a file of no picture when `taille` is empty), double-clicked in the
// file list unless `parcours`, the slideshow running.
void montrer(Banc& b, const QString& nom, QSize taille = {8, 8}, bool parcours = false) {
    const QString fichier = b.chemin(QStringLiteral("d/") + nom);
    taille.isValid() ? (void)dessiner(fichier, taille) : (void)ecrire(fichier);
    b.demarrer(QStringLiteral("d"));
    if (!parcours) b.ctl().Fichier.activer(0);
    QCOMPARE(b.liste(), parcours ? QStringList() : QStringList{nom});
    b.etat.SensDefile = Vrai;
}

mode_t mode(const QString& chemin) {
    struct stat st {};
    return ::stat(QFile::encodeName(chemin).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

} // namespace

class TestRenommer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void renommer_data() {
        QTest::addColumn<QString>("ancien");
        QTest::addColumn<QString>("reponse");
        // What the folder holds beside the picture, or what became of it, before the rename.
        QTest::addColumn<QString>("preparation");
        // The box (Banc::boites; an error's text then names the file and the new name);
        // empty: no box.
        QTest::addColumn<QString>("boite");
        const QString vide = "Nom refusé|Critique|Extension obligatoire\r\nNom vide\r\n";
        const QString sansPoint = "Nom refusé|Critique|Extension obligatoire\r\n";
        const QString autre = " Attention|Information|Changement d'extension\r\n";
        const QString n52 = "Galvia|Aucune|Erreur : 52 - Nom ou numéro de fichier incorrect",
                      n58 = "Galvia|Aucune|Erreur : 58 - Fichier déjà existant";
        // clang-format off
        QTest::newRow("annulé")          << "photo.jpg" << ""          << "" << vide;
        QTest::newRow("blancs")          << "photo.jpg" << "   "       << "" << vide;
        QTest::newRow("tabulation")      << "photo.jpg" << "\t"        << "" << sansPoint;
        QTest::newRow("sans point")      << "photo.jpg" << "photo"     << "" << sansPoint;
        QTest::newRow("autre extension") << "photo.jpg" << "photo.gif" << "" << autre;
        QTest::newRow("casse seule")     << "photo.jpg" << "Photo.JPG" << "" << "";
        QTest::newRow("premier point")   << "a.b.jpg"   << "c.jpg"     << "" << autre;
        QTest::newRow("même fin")        << "a.b.jpg"   << "c.B.jpg"   << "" << "";
        QTest::newRow("lecture seule")   << "photo.jpg" << "vue.jpg"   << "lecture seule" << "";
        QTest::newRow("blanc devant")    << "photo.jpg" << " vue.jpg"  << "" << "";
        // The blanks after the dot are part of the extension.
        QTest::newRow("blancs après")    << "photo.jpg" << "vue.jpg  " << "" << autre;
        QTest::newRow("nom existant")    << "photo.jpg" << "autre.jpg" << "autre" << n58;
        QTest::newRow("existant, lecture seule") << "photo.jpg" << "autre.jpg" << "autre lecture seule" << n58;
        QTest::newRow("fichier disparu") << "photo.jpg" << "neuf.jpg"  << "disparu" << "Galvia|Aucune|Erreur : 53 - Fichier introuvable";
        QTest::newRow("dossier protégé") << "photo.jpg" << "neuf.jpg"  << "protege" << "Galvia|Aucune|Erreur : 70 - Permission refusée";
        QTest::newRow("barre oblique")   << "photo.jpg" << "a/b.jpg"   << "" << n52;
        QTest::newRow("trop long")       << "photo.jpg" << QString(300, u'n') + ".jpg" << "" << n52;
        // clang-format on
    }

    void renommer() {
        QFETCH(QString, ancien);
        QFETCH(QString, reponse);
        QFETCH(QString, preparation);
        QFETCH(QString, boite);
        Banc b;
        montrer(b, ancien);
        const QString chemin = b.etat.NomComplet;
        const QString d = b.chemin(QStringLiteral("d"));
        if (preparation.startsWith(QLatin1String("autre"))) ecrire(d + "/autre.jpg", "autre");
        if (preparation.endsWith(QLatin1String("lecture seule"))) ::chmod(qPrintable(chemin), 0444);
        if (preparation == QLatin1String("disparu")) QFile::remove(chemin);
        // Root ignores permissions: the command then runs as the unprivileged user nobody.
        const bool sansDroits = preparation == QLatin1String("protege") && ::geteuid() == 0;
        if (preparation == QLatin1String("protege")) ::chmod(qPrintable(d), 0555);
        if (sansDroits) {
            ::chmod(qPrintable(b.chemin()), 0755);
            QVERIFY(::seteuid(65534) == 0);
        }
        const QString compteur = b.ctl().menNom.caption();
        b.plateforme.reponses.push_back(reponse);
        b.ctl().Renomme.cliquer();
        if (sansDroits) QVERIFY(::seteuid(0) == 0);
        ::chmod(qPrintable(d), 0755);

        QCOMPARE(b.plateforme.saisies.size(), 1u);
        QCOMPARE(b.plateforme.saisies[0].defaut, ancien);
        const bool erreur = boite.startsWith("Galvia|");
        if (erreur) boite += "\r\nSur le fichier : " + chemin + "\r\nAvec le nom " + reponse;
        QCOMPARE(b.boites(), boite.isEmpty() ? QStringList() : QStringList{boite});
        const QString nom = erreur || boite.startsWith("Nom refusé") ? ancien : reponse;
        QStringList restent;
        if (preparation.startsWith(QLatin1String("autre"))) restent.append("autre.jpg");
        if (preparation != QLatin1String("disparu")) restent.append(nom);
        QCOMPARE(QDir(d).entryList(QDir::Files, QDir::Name), restent);
        QCOMPARE(QStringList({b.liste().join(u'/'), b.etat.NomComplet, b.ctl().menNom.caption()}),
                 QStringList({nom, d + '/' + nom, compteur}));
        QCOMPARE(b.etat.SensDefile, Faux);
        // The other file keeps its own bytes.
        if (preparation == QLatin1String("autre")) QCOMPARE(QFileInfo(d + "/autre.jpg").size(), 5);
        // A read-only file loses that attribute, and only that, even when the rename fails.
        if (preparation.endsWith(QLatin1String("lecture seule")))
            QCOMPARE(mode(b.etat.NomComplet), mode_t(0644));
    }

    // A picture whose full path is `longueur` bytes long (its folder's path, "/", and a
    // 255-byte name), within the system's limit on a path (PATH_MAX, 4 096) or beyond it: the
    // listing shows it, and it is shown, described, decoded ahead and renamed alike.
    void cheminLong_data() {
        QTest::addColumn<int>("longueur");
        QTest::newRow("within the limit") << 400;
        QTest::newRow("4 099 bytes") << 4099;
    }

    void cheminLong() {
        QFETCH(int, longueur);
        Banc b;
        const QString nom = QString(251, u'a') + ".bmp", nouveau = QString(251, u'b') + ".bmp";
        QString dossier = b.chemin(QStringLiteral("d"));
        while (longueur - 256 - dossier.size() > 250)
            dossier += '/' + QString(200, u'x');
        dossier += '/' + QString(longueur - 257 - dossier.size(), u'x');
        QVERIFY(QDir().mkpath(dossier));
        // Drawn under a short name, then moved to its long one by its folder's descriptor.
        const QByteArray court = QFile::encodeName(dessiner(b.chemin("court.bmp"), {8, 8}));
        const int d = ::open(QFile::encodeName(dossier).constData(), O_PATH | O_DIRECTORY);
        QVERIFY(d >= 0);
        const auto fermer = qScopeGuard([&] {
            ::unlinkat(d, QFile::encodeName(nouveau).constData(), 0);
            ::unlinkat(d, QFile::encodeName(nom).constData(), 0);
            ::close(d);
        });
        QVERIFY(::renameat(AT_FDCWD, court.constData(), d, QFile::encodeName(nom).constData()) ==
                0);

        b.demarrer(dossier.mid(b.chemin().size() + 1));
        b.ctl().Fichier.activer(0);
        QCOMPARE(std::tuple(b.liste(), int(b.etat.NomComplet.size()), b.messages(),
                            b.ctl().Image1.image().size()),
                 std::tuple(QStringList{nom}, longueur, QStringList(), QSize(8, 8)));
        QVERIFY(identiteFichier(b.etat.NomComplet).has_value());
        b.ctl().menNom.cliquer();
        const QStringList info = b.messages();
        QVERIFY(info.size() == 1 && info[0].contains(QStringLiteral("Taille : \t0 Ko")));
        b.plateforme.messages.clear();
        b.plateforme.reponses.push_back(nouveau);
        b.ctl().Renomme.cliquer();
        QCOMPARE(b.messages(), QStringList());
        QCOMPARE(QDir(dossier).entryList(QDir::Files), QStringList{nouveau});
    }

    void information_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QSize>("taille"); // empty: a file that is no picture
        QTest::addColumn<int>("octets");   // -1: removed once shown
        // Size, start of the format, widths, heights, L/H, stretch; with a decimal comma,
        // in French.
        QTest::addColumn<QString>("attendu");
        // clang-format off
        QTest::newRow("jpg")       << "photo.jpg"  << QSize(2048, 1536) << 511
                                   << "0 Ko| Compression JPG|2048|1024|2|1536|768|2|1,33|0,5";
        QTest::newRow("JPEG")      << "photo.JPEG" << QSize(640, 480)   << 1022
                                   << "1 Ko| Compression JPG|640|1024|0.62|480|768|0.62|1.33|1";
        QTest::newRow("gif")       << "anim.gif"   << QSize(300, 200)   << 2555
                                   << "2 Ko| Compression GIF|300|1024|0,29|200|768|0,26|1,5|1";
        QTest::newRow("bmp")       << "large.bmp"  << QSize(1536, 384)  << 3577
                                   << "4 Ko|BMP|1536|1024|1.5|384|768|0.5|4|0.67";
        // Not a picture: the views stay empty, every quotient has a zero divisor.
        QTest::newRow("mf")        << "plan.mf"    << QSize()           << 3000
                                   << "3 Ko|WMF|0|1024|0|0|768|0|0|0";
        QTest::newRow("autre fin") << "plan.bm"    << QSize()           << 0
                                   << "0 Ko||0|1024|0|0|768|0|0|0";
        QTest::newRow("disparu")   << "photo.jpg"  << QSize(100, 50)    << -1
                                   << "inconnue| Compression JPG|100|1024|0.1|50|768|0.07|2|1";
        // clang-format on
    }

    void information() {
        QFETCH(QString, nom);
        QFETCH(QSize, taille);
        QFETCH(int, octets);
        QFETCH(QString, attendu);
        Banc b;
        montrer(b, nom, taille);
        const QString fichier = b.etat.NomComplet;
        octets >= 0 ? (void)ecrire(fichier, QByteArray(octets, 'x')) : (void)QFile::remove(fichier);
        if (attendu.contains(u',')) QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        b.plateforme.messages.clear();
        b.ctl().menNom.cliquer();

        QCOMPARE(b.boites().size(), 1);
        const QStringList a = attendu.split('|');
        QStringList lignes = b.boites()[0].split("\r\n\r\n");
        QCOMPARE(lignes.size(), 8);
        // The format is known by the start of its text.
        const QString format = "Format : \t" + a[1];
        QVERIFY2(a[1].isEmpty() ? lignes[3] == format : lignes[3].startsWith(format),
                 qPrintable(lignes[3]));
        lignes.removeAt(3);
        QCOMPARE(lignes,
                 (QStringList{
                     "Informations sur l'image|Information|Nom : \t" + nom,
                     "Chemin : \t" + b.chemin("d/"),
                     "Taille : \t" + a[0],
                     "Largeur Réelle : \t" + a[2] + "\t (Plein Ecran : " + a[3] + ") => \t" + a[4],
                     "Hauteur Réelle : \t" + a[5] + "\t (Plein Ecran : " + a[6] + ") => \t" + a[7],
                     "L/H : \t" + a[8],
                     "Stretch : \t" + a[9],
                 }));
        QCOMPARE(b.etat.SensDefile, Faux);
    }

    void aide_data() {
        QTest::addColumn<bool>("vue");
        QTest::newRow("parcours") << false;
        QTest::newRow("vue") << true;
    }

    // The help lists the keys of the mode shown, and only the viewing modes stop the slideshow.
    void aide() {
        QFETCH(bool, vue);
        Banc b;
        montrer(b, "a.jpg", {8, 8}, !vue);
        b.ctl().menAide.cliquer();
        QCOMPARE(b.boites().size(), 1);
        const QStringList lignes = b.boites()[0].split("\r\n\r\n");
        QCOMPARE(
            QStringList({lignes[0], QString::number(lignes.size()), lignes.last()}),
            QStringList({"Raccourcis Clavier|Information|Vous pouvez utiliser :", vue ? "10" : "6",
                         vue ? "La touche F8 pour passer en mode Diapositive"
                             : "La touche F4 pour terminer"}));
        QCOMPARE(b.etat.SensDefile, !vue);
    }
};

GALVIA_TEST_MAIN(TestRenommer)
#include "tst_renommer.moc"
