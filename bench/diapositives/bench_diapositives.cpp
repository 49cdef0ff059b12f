// Opening the slide sheet on 60 twelve-megapixel jpegs, in the real window offscreen
// (the time until the sheet says the sixtieth thumbnail is shown), against
// vipsthumbnail making 60 thumbnails of the same size from the same files, and against
// a full decode plus a scale of each file. The sheet and vipsthumbnail are taken in turns
// (5 rounds by default) and the medians printed. Usage:
// bench_diapositives [runs] [folder of the 60 jpegs, kept]; with GALVIA_BENCH_SEUL set,
// the sheet alone (for profiling).
#include "../fondation/Application.h"
#include "../fondation/Mesure.h"
#include "Planche.h"
#include "platform/decodage/PoolDecodage.h"

#include "platform/decodage/Images.h"
#include "platform/qt/PlateformeQt.h"
#include "sheet/Form2.h"
#include "support/Acces.h"
#include "viewer/Form1.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>

using namespace galvia;

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

    // The sheet, to its first page complete; the cell's size read on the way.
    const auto feuille = [&] {
        return bench::premierePage(plateforme, form1, etat, nullptr, [&](Form2& form2) {
            case_ = QSize(acces(form2).grille.LargeurCase, acces(form2).grille.HauteurCase) /
                    TwipsParPixel;
        });
    };

    // vipsthumbnail: the same 60 files, thumbnails of the cell's size.
    QStringList fichiers;
    for (int i = 1; i <= etat.NbImages; ++i)
        fichiers << etat.fichierDeEntree(i);
    QTemporaryDir sortie;
    const auto vipsthumbnail = [&] {
        QProcess p;
        p.start(QStringLiteral("vipsthumbnail"),
                fichiers + QStringList{
                               "-s", QStringLiteral("%1x%2").arg(case_.width()).arg(case_.height()),
                               "-o", sortie.path() + QStringLiteral("/%s.jpg")});
        if (!p.waitForFinished(-1) || p.exitCode() != 0) {
            std::fprintf(stderr, "vipsthumbnail failed\n");
            std::exit(1);
        }
    };

    // Taken in turns, so that both see the same load.
    const bool seul = qEnvironmentVariableIsSet("GALVIA_BENCH_SEUL");
    std::vector<double> temps, tempsVips;
    for (int n = 0; n < fois; ++n) {
        temps.push_back(feuille());
        if (!seul) tempsVips.push_back(bench::mediane(1, vipsthumbnail));
    }
    const double galvia = bench::mediane(temps);
    const long memoire = std::lround(bench::memoireMaxMo());
    if (seul) {
        std::printf("slide sheet alone: median %.1f ms over %d runs\n", galvia, fois);
        return 0;
    }
    const double vips = bench::mediane(tempsVips);

    // A full decode plus a scale of each file.
    const double complet = bench::mediane(3, [&] {
        for (const QString& f : fichiers)
            if (chargerImage(f)
                    .scaled(case_, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                    .isNull())
                std::abort();
    });

    std::printf("60 thumbnails of %dx%d pixels from %d jpegs of 12 Mpx; peak memory of the "
                "sheet %ld MB (when the jpegs already existed)\n",
                case_.width(), case_.height(), int(fichiers.size()), memoire);
    bench::rapport("slide sheet vs vipsthumbnail", galvia, vips, 0.35);
    const double r = complet / galvia;
    std::printf("slide sheet vs full decode + scale: %.1f ms vs %.1f ms, %.1f x faster "
                "(target >= 10)%s\n",
                galvia, complet, r, r >= 10 ? "" : "  ** below target **");
    return 0;
}
