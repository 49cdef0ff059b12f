// The multi-folder build of ten folders of 3 000 files each (up to the first picture
// shown) against a bare scan of the same folders; and the information box on a large
// picture against reading that picture's header alone.
#include "../fondation/Application.h"
#include "Mesure.h"
#include "platform/decodage/PoolDecodage.h"

#include "platform/decodage/Images.h"
#include "support/Banc.h"

#include <QFile>
#include <QGuiApplication>
#include <dirent.h>

using namespace galvia;

int main(int argc, char* argv[]) {
    galvia::bench::ApplicationBanc<QGuiApplication> banc(argc, argv);
    test::Banc b;
    const char* ext[] = {"jpg", "gif", "bmp", "txt", "jpeg", "png"};
    QList<QByteArray> dossiers;
    for (int k = 1; k <= MaxDossiers; ++k) {
        const QString d = b.chemin(QStringLiteral("d%1/").arg(k));
        test::dessiner(d + QStringLiteral("0000-premiere.jpg"), {64, 48});
        for (int i = 1; i < 3000; ++i)
            test::ecrire(d + QStringLiteral("Photo %1 vacances.%2")
                                 .arg((i * 7919) % 3000, 4, 10, QLatin1Char('0'))
                                 .arg(QString::fromLatin1(ext[i % 6])));
        b.etat.ListeDossiers[k] = b.chemin(QStringLiteral("d%1").arg(k));
        dossiers.append(QFile::encodeName(d));
    }
    b.demarrer();
    const int fois = argc > 1 ? std::atoi(argv[1]) : 11;
    const double galvia = bench::mediane(fois, [&] {
        b.ctl().affAutre.cliquer();
        b.etat.MultiDossier = 1;
        b.etat.NbDossiers = MaxDossiers;
        b.ctl().ChargeDossiers();
        // The first entry may be one of the empty files: its load fails, quickly.
        if (b.etat.NbImages != 10 * 2000) std::abort();
        b.plateforme.messages.clear();
    });
    const double reference = bench::mediane(fois, [&] {
        QStringList noms;
        for (const QByteArray& d : dossiers) {
            DIR* dir = ::opendir(d.constData());
            while (const dirent* e = ::readdir(dir))
                if (e->d_name[0] != '.') noms.append(QFile::decodeName(e->d_name));
            ::closedir(dir);
        }
        if (noms.size() != 10 * 3000) std::abort();
    });
    bench::rapport("multi-folder build of 10 x 3 000 files vs bare scan", galvia, reference, 2.0);

    // The information box reads the file's length only, never the picture.
    const QString grande = test::dessiner(b.chemin(QStringLiteral("g/grande.jpg")), {6000, 4000});
    b.demarrer(QStringLiteral("g"));
    b.ctl().Fichier.activer(0);
    const int boites = 200;
    const double boite = bench::mediane(fois, [&] {
        for (int i = 0; i < boites; ++i)
            b.ctl().menNom.cliquer();
    });
    const double entete = bench::mediane(fois, [&] {
        for (int i = 0; i < boites; ++i)
            if (tailleNaturelle(grande).width() != 6000) std::abort();
    });
    bench::rapport("200 information boxes vs 200 picture header reads", boite, entete, 1.0);
    return 0;
}
