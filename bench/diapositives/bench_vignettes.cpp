// The slide sheet and the desktop's thumbnail cache, on 60 twelve-megapixel jpegs, in
// the real window offscreen, each time until the sheet says its first page is complete:
//  - without a cache, and with an empty one (which the sheet then fills, after the page:
//    the page must not be slower, within 5 %);
//  - opened a second time in the same Galvia, on the thumbnails it wrote;
//  - on a folder whose thumbnails another program made (vipsthumbnail's pixels, the
//    keys written as a Qt-based program writes them, a long URI compressed);
// the last two against vipsthumbnail making the 60 thumbnails of the cell's size
// (target at most 0.05). Taken in turns, medians printed. Usage:
// bench_vignettes [runs] [folder of the 60 jpegs, kept].
#include "../fondation/Application.h"
#include "../fondation/Mesure.h"
#include "Planche.h"

#include "platform/NomsOctets.h"
#include "platform/decodage/CacheVignettes.h"
#include "platform/decodage/Images.h"
#include "platform/decodage/PoolDecodage.h"
#include "platform/qt/PlateformeQt.h"
#include "sheet/Form2.h"
#include "support/Acces.h"
#include "viewer/Form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <sys/stat.h>

using namespace galvia;

namespace {

void vips(const QStringList& fichiers, const QString& taille, const QString& sortie) {
    QProcess p;
    p.start(QStringLiteral("vipsthumbnail"),
            fichiers + QStringList{QStringLiteral("-s"), taille, QStringLiteral("-o"), sortie});
    if (!p.waitForFinished(-1) || p.exitCode() != 0) {
        std::fprintf(stderr, "vipsthumbnail failed\n");
        std::exit(1);
    }
}

// Another program's thumbnails of `fichiers` in the class `classe` under `racine`:
// vipsthumbnail's pixels, with the keys the desktop's programs write.
void autreProgramme(const QStringList& fichiers, int classe, const QString& racine) {
    QTemporaryDir pixels;
    vips(fichiers, QString::number(classe), pixels.path() + QStringLiteral("/%s.png"));
    const QString dossier =
        racine + QStringLiteral("/thumbnails/") + QString::fromLatin1(dossierClasse(classe));
    QDir().mkpath(dossier);
    for (const QString& f : fichiers) {
        const QByteArray chemin = cheminSysteme(f);
        struct stat st {};
        ::stat(chemin.constData(), &st);
        QImage image(pixels.path() + u'/' + QFileInfo(f).completeBaseName() +
                     QStringLiteral(".png"));
        const QSize naturelle = QImageReader(f).size();
        const QByteArray uri = uriDuChemin(chemin);
        // The keys as a Qt-based program writes them (a long value compressed).
        image.setText(QStringLiteral("Thumb::URI"), QString::fromLatin1(uri));
        image.setText(QStringLiteral("Thumb::MTime"), QString::number(st.st_mtim.tv_sec));
        image.setText(QStringLiteral("Thumb::Size"), QString::number(st.st_size));
        image.setText(QStringLiteral("Thumb::Image::Width"), QString::number(naturelle.width()));
        image.setText(QStringLiteral("Thumb::Image::Height"), QString::number(naturelle.height()));
        image.setText(QStringLiteral("Software"), QStringLiteral("vipsthumbnail"));
        if (image.isNull() ||
            !image.save(dossier + u'/' + QString::fromLatin1(nomVignette(uri)), "png")) {
            std::fprintf(stderr, "cannot write another program's thumbnail\n");
            std::exit(1);
        }
    }
}

} // namespace

int main(int argc, char* argv[]) {
    galvia::bench::ApplicationBanc<QApplication> banc(argc, argv);
    const int fois = argc > 1 ? std::atoi(argv[1]) : 5;
    QTemporaryDir temporaire;
    const QString dossier = argc > 2 ? QString::fromLocal8Bit(argv[2]) : temporaire.path();
    bench::creerPhotos(dossier, 60);

    PlateformeQt plateforme;
    Module1 etat;
    bench::listerDossier(etat, dossier, QStringLiteral("*.jpg"));
    Form1 form1(plateforme, etat);
    QSize case_;
    int classe = 0;

    // The sheet on `cache`, to its first page complete. The thumbnails it writes after
    // the page are waited for, outside the time.
    const auto feuille = [&](const CacheVignettes& cache) {
        const double pleine =
            bench::premierePage(plateforme, form1, etat, &cache, [&](Form2& form2) {
                const Grille& g = acces(form2).grille;
                case_ = QSize(g.LargeurCase, g.HauteurCase) / TwipsParPixel;
                classe = classeVignette(static_cast<int>(
                    std::lround(std::max(g.LargeurCase, g.HauteurCase) / form2.fenetre.unite())));
            });
        if (!PoolDecodage::commun().attendreInactif(std::chrono::minutes(5))) std::exit(1);
        return pleine;
    };

    QStringList fichiers;
    for (int i = 1; i <= etat.NbImages; ++i)
        fichiers << etat.fichierDeEntree(i);
    QTemporaryDir sortie;
    const CacheVignettes sansCache{QString()};
    feuille(sansCache); // the cell's size, and a warm start for every measure
    const QString tailleCase = QStringLiteral("%1x%2").arg(case_.width()).arg(case_.height());

    QTemporaryDir autre;
    autreProgramme(fichiers, classe, autre.path());
    const CacheVignettes cacheAutre(autre.path());

    std::vector<double> tSans, tVide, tSeconde, tAutre, tVips;
    for (int n = 0; n < fois; ++n) {
        QTemporaryDir racine;
        const CacheVignettes cache(racine.path());
        tSans.push_back(feuille(sansCache));
        tVide.push_back(feuille(cache));
        tSeconde.push_back(feuille(cache));
        tAutre.push_back(feuille(cacheAutre));
        tVips.push_back(bench::mediane(
            1, [&] { vips(fichiers, tailleCase, sortie.path() + QStringLiteral("/%s.jpg")); }));
    }
    const double sans = bench::mediane(tSans), vide = bench::mediane(tVide);
    const double seconde = bench::mediane(tSeconde), deAutre = bench::mediane(tAutre);
    const double reference = bench::mediane(tVips);

    std::printf("60 cells of %dx%d pixels (thumbnail class %d) from %d jpegs of 12 Mpx, "
                "median of %d runs\n",
                case_.width(), case_.height(), classe, int(fichiers.size()), fois);
    bench::rapport("first page, empty cache vs no cache", vide, sans, 1.05);
    bench::rapport("second opening vs vipsthumbnail", seconde, reference, 0.05);
    bench::rapport("another program's thumbnails vs vipsthumbnail", deAutre, reference, 0.05);
    return 0;
}
