// 200 presses of Page Down over 200 twelve-megapixel jpegs in the real window offscreen
// (each step loaded and painted), against one plain QImageReader decode of the same
// files, per step. Usage: bench_navigation [rounds]
#include "../fondation/Application.h"
#include "Mesure.h"
#include "Photos.h"
#include "platform/decodage/PoolDecodage.h"

#include "support/FenetreReelle.h"

#include <QImageReader>
#include <QTemporaryDir>

using namespace galvia;

namespace {

constexpr int NbPhotos = 200;
constexpr int NbModeles = 4;

} // namespace

int main(int argc, char* argv[]) {
    galvia::bench::ApplicationBanc<QApplication> banc(argc, argv);
    QTemporaryDir dossier;
    const QStringList fichiers = bench::photos(dossier, {4000, 3000}, NbPhotos, NbModeles);

    test::FenetreReelle f(dossier.path() + u'/');
    f.ctl().affTout.cliquer();
    if (f.etat.NbImages != NbPhotos) qFatal("the list was not built");
    QCoreApplication::processEvents();

    const int tours = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const double galvia =
        bench::mediane(tours,
                       [&] {
                           for (int i = 0; i < NbPhotos; ++i) {
                               f.touche(Qt::Key_PageDown);
                               QCoreApplication::processEvents(); // paint the new picture
                           }
                       }) /
        NbPhotos;
    const double reference = bench::mediane(tours,
                                            [&] {
                                                for (const QString& nom : fichiers) {
                                                    QImageReader r(nom);
                                                    r.setAutoTransform(true);
                                                    if (r.read().isNull()) std::abort();
                                                }
                                            }) /
                             NbPhotos;
    bench::rapport("Page Down over 200 12 Mpx jpegs, per step, vs QImageReader::read", galvia,
                   reference, 1.25);
    return 0;
}
