// Page Down over 12- and 24-megapixel photos in the real window offscreen, with the
// next pictures decoded ahead, against one plain QImageReader decode of the same files:
//  (a) a burst: each Page Down as soon as the previous picture is shown;
//  (b) a reader: one second on each picture, then Page Down; only the time from the key
//      to the picture shown counts.
// The burst also prints the processor time per step and the same burst with nothing
// decoded ahead (the decode budget held whole), to read its ratio on a loaded machine.
// Usage: bench_anticipation [pictures per size]
#include "../fondation/Application.h"
#include "Mesure.h"
#include "PageSuivante.h"
#include "Photos.h"

#include "support/FenetreReelle.h"

#include "platform/decodage/BudgetDecodage.h"
#include "platform/decodage/PoolDecodage.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QImageReader>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <thread>
#include <vector>

using namespace galvia;

namespace {

constexpr int NbModeles = 3;

// The processor time the whole process has used (every thread), in milliseconds.
double tempsProcesseur() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

constexpr int Tours = 5;

// A burst of `nb` Page Down from the first picture and, when `reference` is given, a plain decode
// of the same files, taken in turns `Tours` times so that both see the same load: the median time
// per step of each, and the processor time per step of the bursts (the parallel part of a burst
// shows only with free processors).
struct Rafale {
    double galvia = 0, processeur = 0, reference = 0, processeurReference = 0;
};
Rafale rafale(test::FenetreReelle& f, int nb, const QStringList* reference) {
    std::vector<double> g, r;
    double pg = 0, pr = 0;
    const auto finir = [] {
        (void)PoolDecodage::commun().attendreInactif(std::chrono::minutes(1));
    };
    for (int t = 0; t < Tours; ++t) {
        // Each burst starts from the first picture freshly shown, nothing decoded ahead yet.
        f.ctl().affAutre.cliquer();
        finir();
        f.ctl().affTout.cliquer();
        double debut = tempsProcesseur();
        g.push_back(bench::mediane(1,
                                   [&] {
                                       for (int i = 0; i < nb; ++i)
                                           (void)bench::pageSuivante(f);
                                   }) /
                    nb);
        pg += tempsProcesseur() - debut;
        finir(); // the decodes ahead left end before the reference runs
        if (!reference) continue;
        debut = tempsProcesseur();
        r.push_back(bench::mediane(1,
                                   [&] {
                                       for (const QString& nom : *reference)
                                           (void)bench::decoder(nom);
                                   }) /
                    nb);
        pr += tempsProcesseur() - debut;
    }
    return {bench::mediane(g), pg / (Tours * nb), r.empty() ? 0 : bench::mediane(r),
            pr / (Tours * nb)};
}

// Runs the window's events for `ms` milliseconds: the user looking at the picture.
void regarder(int ms) {
    QEventLoop boucle;
    QTimer::singleShot(ms, &boucle, &QEventLoop::quit);
    boucle.exec();
}

void mesurer(QSize taille, int nb, const char* nomRafale, const char* nomLecture) {
    QTemporaryDir dossier;
    const QStringList fichiers = bench::photos(dossier, taille, nb, NbModeles);
    // Read once, so that every measure below reads from the page cache.
    for (const QString& nom : fichiers)
        (void)bench::decoder(nom);

    test::FenetreReelle f(dossier.path() + u'/');
    f.ctl().affTout.cliquer();
    if (f.etat.NbImages != nb) qFatal("the list was not built");
    QCoreApplication::processEvents();

    // (a) The burst, the whole list once round, per step.
    const Rafale avec = rafale(f, nb, &fichiers);
    bench::rapport(nomRafale, avec.galvia, avec.reference, 0.7);
    {
        // For comparison, the same burst with nothing decoded ahead. The picture shown
        // takes its memory from the budget too, so the budget is not held whole: room is
        // left for it, and a request that waits for the whole budget stands in line, so
        // that the decodes ahead, which only take memory nobody waits for, are never
        // served, while the picture shown is served ahead of the line.
        f.ctl().affAutre.cliquer(); // back to browsing: what was decoded ahead goes
        (void)PoolDecodage::commun().attendreInactif(std::chrono::minutes(1));
        BudgetMemoire& budget = budgetDecodage();
        const BudgetMemoire::Reservation tenu =
            budget.reserver(BudgetDecodageOctets - (std::int64_t{256} << 20));
        std::atomic<bool> lacher{false};
        std::thread enFile([&] { (void)budget.reserver(BudgetDecodageOctets, &lacher); });
        while (budget.enAttente() == 0)
            std::this_thread::yield();
        const Rafale sans = rafale(f, nb, nullptr);
        lacher = true;
        budget.reveiller();
        enFile.join();
        std::printf(
            "  processor time per step: galvia %.1f ms, reference %.1f ms; the same burst "
            "with nothing decoded ahead: %.1f ms per step (processor %.1f ms), ratio %.2f\n",
            avec.processeur, avec.processeurReference, sans.galvia, sans.processeur,
            sans.galvia / avec.reference);
        std::fflush(stdout);
        f.ctl().affAutre.cliquer();
    }
    f.ctl().affTout.cliquer(); // from the first picture again, decoding ahead

    // (b) One second on each picture, then Page Down; the key to the picture, per step.
    double lecture = 0, referenceLecture = 0;
    for (int i = 0; i < nb; ++i) {
        regarder(1000);
        lecture += bench::pageSuivante(f);
        referenceLecture += bench::decoder(fichiers[(f.etat.NumImage - 1) % nb]);
    }
    bench::rapport(nomLecture, lecture / nb, referenceLecture / nb, 0.2);
    (void)PoolDecodage::commun().attendreInactif(std::chrono::minutes(1));
}

} // namespace

int main(int argc, char* argv[]) {
    galvia::bench::ApplicationBanc<QApplication> banc(argc, argv);
    const int nb = argc > 1 ? std::max(3, std::atoi(argv[1])) : 12;
    mesurer({4000, 3000}, nb, "Page Down burst, 12 Mpx jpegs, per step, vs QImageReader::read",
            "Page Down after 1 s on each, 12 Mpx jpegs, key to picture, vs QImageReader::read");
    mesurer({6000, 4000}, nb, "Page Down burst, 24 Mpx jpegs, per step, vs QImageReader::read",
            "Page Down after 1 s on each, 24 Mpx jpegs, key to picture, vs QImageReader::read");
    return 0;
}
