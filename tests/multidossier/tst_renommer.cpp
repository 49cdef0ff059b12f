// Renaming the current picture: the checks of the new name, the rename on disk, and
// the failures, with the disk checked afterwards.
#include "support/Banc.h"
#include "support/MainTest.h"

#include "platform/Renommage.h"
#include "platform/decodage/Anticipation.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace galvia;
using namespace galvia::test;

namespace {

// The picture `nom`, double-clicked in the file list, the slideshow running.
void montrer(Banc& b, const QString& nom) {
    dessiner(b.chemin(QStringLiteral("d/") + nom), {8, 8});
    b.demarrer(QStringLiteral("d"));
    b.ctl().Fichier.activer(0);
    QCOMPARE(b.liste(), QStringList{nom});
    b.etat.SensDefile = Vrai;
}

QStringList disque(const Banc& b) {
    return QDir(b.chemin(QStringLiteral("d"))).entryList(QDir::Files, QDir::Name);
}

mode_t mode(const QString& chemin) {
    struct stat st {};
    return ::stat(QFile::encodeName(chemin).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

} // namespace

class TestRenommer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void renommer_data();
    void renommer();
    void echecs_data();
    void echecs();
    void cheminLong_data();
    void cheminLong();
};

void TestRenommer::renommer_data() {
    QTest::addColumn<QString>("ancien");
    QTest::addColumn<QString>("reponse");
    QTest::addColumn<QString>("boite"); // title, "|", text; empty: no box
    QTest::addColumn<bool>("lectureSeule");
    const QString vide = "Nom refusé|Extension obligatoire\r\nNom vide\r\n";
    const QString sansPoint = "Nom refusé|Extension obligatoire\r\n";
    const QString autre = " Attention|Changement d'extension\r\n";
    // clang-format off
    QTest::newRow("annulé")          << "photo.jpg" << ""          << vide      << false;
    QTest::newRow("blancs")          << "photo.jpg" << "   "       << vide      << false;
    QTest::newRow("tabulation")      << "photo.jpg" << "\t"        << sansPoint << false;
    QTest::newRow("sans point")      << "photo.jpg" << "photo"     << sansPoint << false;
    QTest::newRow("autre extension") << "photo.jpg" << "photo.gif" << autre     << false;
    QTest::newRow("casse seule")     << "photo.jpg" << "Photo.JPG" << ""        << false;
    QTest::newRow("premier point")   << "a.b.jpg"   << "c.jpg"     << autre     << false;
    QTest::newRow("même fin")        << "a.b.jpg"   << "c.B.jpg"   << ""        << false;
    QTest::newRow("lecture seule")   << "photo.jpg" << "vue.jpg"   << ""        << true;
    QTest::newRow("blanc devant")    << "photo.jpg" << " vue.jpg"  << ""        << false;
    // The blanks after the dot are part of the extension.
    QTest::newRow("blancs après")    << "photo.jpg" << "vue.jpg  " << autre     << false;
    // clang-format on
}

void TestRenommer::renommer() {
    QFETCH(QString, ancien);
    QFETCH(QString, reponse);
    QFETCH(QString, boite);
    QFETCH(bool, lectureSeule);
    Banc b;
    montrer(b, ancien);
    if (lectureSeule) ::chmod(qPrintable(b.etat.NomComplet), 0444);
    const QString compteur = b.ctl().menNom.caption();
    b.plateforme.reponses.push_back(reponse);
    b.ctl().Renomme.cliquer();

    QCOMPARE(b.plateforme.saisies.size(), 1u);
    QCOMPARE(b.plateforme.saisies[0].defaut, ancien);
    QStringList boites;
    for (const BoiteMessage& m : b.plateforme.messages) {
        boites.append(m.titre + '|' + m.texte);
        QCOMPARE(m.icone, m.titre == "Nom refusé" ? Icone::Critique : Icone::Information);
    }
    QCOMPARE(boites, boite.isEmpty() ? QStringList() : QStringList{boite});
    const QString nom = boite.startsWith("Nom refusé") ? ancien : reponse;
    QCOMPARE(disque(b), QStringList{nom});
    QCOMPARE(b.liste(), QStringList{nom});
    QCOMPARE(b.etat.NomComplet, b.chemin(QStringLiteral("d/")) + nom);
    QCOMPARE(b.ctl().menNom.caption(), compteur);
    QCOMPARE(b.etat.SensDefile, Faux);
    if (lectureSeule) QCOMPARE(mode(b.etat.NomComplet), mode_t(0644));
}

void TestRenommer::echecs_data() {
    QTest::addColumn<QString>("reponse");
    QTest::addColumn<QString>("preparation");
    QTest::addColumn<QString>("erreur");
    QTest::addColumn<QStringList>("restent");
    const QString n52 = "52 - Nom ou numéro de fichier incorrect",
                  n58 = "58 - Fichier déjà existant";
    const QStringList deux{"autre.jpg", "photo.jpg"}, photo{"photo.jpg"};
    // clang-format off
    QTest::newRow("nom existant")            << "autre.jpg" << "autre"               << n58 << deux;
    QTest::newRow("existant, lecture seule") << "autre.jpg" << "autre lecture seule" << n58 << deux;
    QTest::newRow("fichier disparu")         << "neuf.jpg"  << "disparu" << "53 - Fichier introuvable" << QStringList{};
    QTest::newRow("dossier protégé")         << "neuf.jpg"  << "protege" << "70 - Permission refusée" << photo;
    QTest::newRow("barre oblique")           << "a/b.jpg"   << ""        << n52 << photo;
    QTest::newRow("trop long")               << QString(300, u'n') + ".jpg" << "" << n52 << photo;
    // clang-format on
}

void TestRenommer::echecs() {
    QFETCH(QString, reponse);
    QFETCH(QString, preparation);
    QFETCH(QString, erreur);
    QFETCH(QStringList, restent);
    Banc b;
    montrer(b, QStringLiteral("photo.jpg"));
    const QString ancien = b.etat.NomComplet;
    const QString d = b.chemin(QStringLiteral("d"));
    if (preparation.startsWith(QLatin1String("autre"))) ecrire(d + "/autre.jpg", "autre");
    if (preparation.endsWith(QLatin1String("lecture seule"))) ::chmod(qPrintable(ancien), 0444);
    if (preparation == QLatin1String("disparu")) QFile::remove(ancien);
    // Root ignores permissions: the command then runs as the unprivileged user nobody.
    const bool sansDroits = preparation == QLatin1String("protege") && ::geteuid() == 0;
    if (preparation == QLatin1String("protege")) ::chmod(qPrintable(d), 0555);
    if (sansDroits) {
        ::chmod(qPrintable(b.chemin()), 0755);
        QVERIFY(::seteuid(65534) == 0);
    }
    b.plateforme.reponses.push_back(reponse);
    b.form->Renomme_Click();
    if (sansDroits) QVERIFY(::seteuid(0) == 0);
    ::chmod(qPrintable(d), 0755);

    QCOMPARE(b.messages(), QStringList{"Erreur : " + erreur + "\r\nSur le fichier : " + ancien +
                                       "\r\nAvec le nom " + reponse});
    QCOMPARE(b.plateforme.messages[0].icone, Icone::Aucune);
    QCOMPARE(b.plateforme.messages[0].titre, QStringLiteral("Galvia"));
    QCOMPARE(disque(b), restent);
    QCOMPARE(b.liste(), QStringList{"photo.jpg"});
    QCOMPARE(b.etat.NomComplet, ancien);
    if (preparation == QLatin1String("autre")) {
        QFile f(d + "/autre.jpg");
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("autre"));
    }
    // A read-only file loses that attribute, and only that, even when the rename fails.
    if (restent.contains("photo.jpg") && preparation.endsWith(QLatin1String("lecture seule")))
        QCOMPARE(mode(ancien), mode_t(0644));
}

// A picture whose full path is `longueur` bytes long (its folder's path, "/", and a
// 255-byte name), within the system's limit on a path (PATH_MAX, 4 096) or beyond it: the
// listing shows it, and it is shown, described, decoded ahead and renamed alike.
void TestRenommer::cheminLong_data() {
    QTest::addColumn<int>("longueur");
    QTest::newRow("within the limit") << 400;
    QTest::newRow("4 099 bytes") << 4099;
}

void TestRenommer::cheminLong() {
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
    QVERIFY(::renameat(AT_FDCWD, court.constData(), d, QFile::encodeName(nom).constData()) == 0);

    b.demarrer(dossier.mid(b.chemin().size() + 1));
    b.ctl().Fichier.activer(0);
    QCOMPARE(b.liste(), QStringList{nom});
    QCOMPARE(b.etat.NomComplet.size(), longueur);
    QCOMPARE(b.messages(), QStringList());
    QCOMPARE(b.ctl().Image1.image().size(), QSize(8, 8));
    QVERIFY(identiteFichier(b.etat.NomComplet).has_value());
    b.ctl().menNom.cliquer();
    QCOMPARE(b.plateforme.messages.size(), 1u);
    QVERIFY(b.plateforme.messages[0].texte.contains(QStringLiteral("Taille : \t0 Ko")));
    b.plateforme.messages.clear();
    b.plateforme.reponses.push_back(nouveau);
    b.ctl().Renomme.cliquer();
    QCOMPARE(b.messages(), QStringList());
    QCOMPARE(QDir(dossier).entryList(QDir::Files), QStringList{nouveau});
}

GALVIA_TEST_MAIN(TestRenommer)
#include "tst_renommer.moc"
