// Colour management where it shows, in the real window offscreen: Page Down over
// 12-megapixel Adobe RGB jpegs, the decodes ahead converting them to the screen's colours,
// against a plain QImageReader decode of the same files that converts nothing, (a) in a
// burst and (b) after one second on each picture; and (c) the slide sheet's first page
// of sixty Adobe RGB photos against the same page of their sRGB twins (the desktop's
// thumbnails left out). Each pair is taken in turns, and medians printed; the burst over
// the photos' sRGB twins is printed too, to read the conversion's share on a loaded machine.
// Usage: bench_couleurs_vues [rounds]
#include "../fondation/Application.h"
#include "Mesure.h"
#include "PageSuivante.h"
#include "Photos.h"

#include "../diapositives/Planche.h"
#include "support/Acces.h"
#include "support/FenetreReelle.h"

#include "platform/decodage/Couleurs.h"
#include "platform/decodage/PoolDecodage.h"
#include "platform/qt/PlateformeQt.h"
#include "sheet/Form2.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace galvia;

namespace {

// The jpeg `chemin` given the Adobe RGB profile in an APP2 segment right after its start.
void marquerAdobeRgb(const QString& chemin) {
    QFile f(chemin);
    if (!f.open(QIODevice::ReadWrite)) qFatal("cannot open %s", qPrintable(chemin));
    QByteArray octets = f.readAll();
    const QByteArray profil = profilAdobeRgb();
    QByteArray segment("\xFF\xE2", 2);
    const int longueur = 2 + 12 + 2 + int(profil.size());
    segment.append(char(longueur >> 8)).append(char(longueur & 0xFF));
    segment.append("ICC_PROFILE", 12).append('\1').append('\1').append(profil);
    octets.insert(2, segment);
    f.seek(0);
    f.write(octets);
}

void attendreDecodeurs() {
    (void)PoolDecodage::commun().attendreInactif(std::chrono::minutes(1));
}

void regarder(int ms) {
    QEventLoop boucle;
    QTimer::singleShot(ms, &boucle, &QEventLoop::quit);
    boucle.exec();
}

// A burst of Page Down through the `nb` pictures of `dossier` from the first one freshly
// shown, nothing decoded ahead yet: the time per step.
double rafale(const QString& dossier, int nb) {
    test::FenetreReelle f(dossier + u'/');
    f.ctl().affTout.cliquer();
    if (f.etat.NbImages != nb) qFatal("the list was not built");
    QCoreApplication::processEvents();
    attendreDecodeurs();
    f.ctl().affAutre.cliquer();
    f.ctl().affTout.cliquer();
    const double t = bench::mediane(1, [&] {
        for (int i = 0; i < nb; ++i)
            (void)bench::pageSuivante(f);
    });
    attendreDecodeurs();
    return t / nb;
}

void navigation(int tours) {
    constexpr int Nb = 12;
    QTemporaryDir dossier, jumelles;
    const QStringList fichiers = bench::photos(dossier, {4000, 3000}, Nb, 3);
    for (const QString& nom : fichiers) {
        QFile::copy(nom, jumelles.filePath(QFileInfo(nom).fileName()));
        marquerAdobeRgb(nom);
        (void)bench::decoder(nom); // read once: every measure reads from the page cache
    }
    {
        QFile premier(fichiers[0]);
        if (!premier.open(QIODevice::ReadOnly) || profilFichier(premier) != profilAdobeRgb())
            qFatal("the photos are not marked Adobe RGB");
    }

    // (a) Bursts over the Adobe RGB photos, over their sRGB twins, and the reference, in
    // turns.
    std::vector<double> g, s, r;
    for (int t = 0; t < tours; ++t) {
        g.push_back(rafale(dossier.path(), Nb));
        s.push_back(rafale(jumelles.path(), Nb));
        r.push_back(bench::mediane(1,
                                   [&] {
                                       for (const QString& nom : fichiers)
                                           (void)bench::decoder(nom);
                                   }) /
                    Nb);
    }
    bench::rapport("Page Down burst, 12 Mpx Adobe RGB jpegs, per step, vs QImageReader::read",
                   bench::mediane(g), bench::mediane(r), 0.7);
    std::printf("  the same burst over their sRGB twins: %.1f ms per step, ratio %.2f\n",
                bench::mediane(s), bench::mediane(s) / bench::mediane(r));
    std::fflush(stdout);

    // (b) One second on each picture, then Page Down: the key to the picture.
    test::FenetreReelle f(dossier.path() + u'/');
    f.ctl().affTout.cliquer();
    std::vector<double> l, rl;
    for (int i = 0; i < Nb; ++i) {
        regarder(1000);
        l.push_back(bench::pageSuivante(f));
        rl.push_back(bench::decoder(fichiers[(f.etat.NumImage - 1) % Nb]));
    }
    bench::rapport("Page Down after 1 s on each, 12 Mpx Adobe RGB jpegs, vs QImageReader::read",
                   bench::mediane(l), bench::mediane(rl), 0.2);
    attendreDecodeurs();
}

void feuille(int tours) {
    QTemporaryDir temporaire;
    const QString srgb = temporaire.filePath(QStringLiteral("srgb")),
                  adobe = temporaire.filePath(QStringLiteral("adobe"));
    bench::creerPhotos(srgb, 60);
    QDir().mkpath(adobe);
    for (const QString& nom : QDir(srgb).entryList({"*.jpg"}, QDir::Files)) {
        QFile::copy(srgb + u'/' + nom, adobe + u'/' + nom);
        marquerAdobeRgb(adobe + u'/' + nom);
    }
    PlateformeQt plateforme;
    // The first page of the sheet on `dossier`: from the command to its last cell shown.
    const auto page = [&](const QString& dossier) {
        Module1 etat;
        bench::listerDossier(etat, dossier, QStringLiteral("*.jpg"));
        Form1 form1(plateforme, etat);
        return bench::premierePage(plateforme, form1, etat, nullptr);
    };
    std::vector<double> a, s;
    for (int t = 0; t < tours; ++t) {
        a.push_back(page(adobe));
        s.push_back(page(srgb));
    }
    const double ma = bench::mediane(a), ms = bench::mediane(s);
    std::printf("slide sheet, first page of 60 Adobe RGB photos vs their sRGB twins: %.1f ms vs "
                "%.1f ms, %+.1f %% (target within 5 %%)%s\n",
                ma, ms, (ma / ms - 1) * 100, ma <= ms * 1.05 ? "" : "  ** above target **");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[]) {
    galvia::bench::ApplicationBanc<QApplication> banc(argc, argv);
    const int tours = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    navigation(tours);
    feuille(tours);
    return 0;
}
