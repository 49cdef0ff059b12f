// The memory of hostile pictures shown in the real window offscreen: for each kind, the
// worst time until the window answers (the picture shown in the fitted view, or the
// load-failure box) and the worst peak memory of the process, next to a plain grey jpeg
// of the same size shown the same way. Each measure runs in its own process, since a
// process's peak memory only grows.
// Usage: bench_memoire [runs of each measure, default 3]
#include "../fondation/Application.h"
#include "../fondation/Mesure.h"
#include "images/Bombe.h"
#include "support/Acces.h"

#include "platform/decodage/BudgetDecodage.h"
#include "platform/decodage/Images.h"
#include "platform/decodage/PoolDecodage.h"
#include "platform/qt/PlateformeQt.h"
#include "platform/qt/VueFenetreQt.h"
#include "viewer/Form1.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

using namespace galvia;

namespace {

void ecrire(const QString& chemin, const QByteArray& contenu) {
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly) || f.write(contenu) != contenu.size()) std::exit(1);
}

// The files of one kind, shown from the first.
QList<QByteArray> fichiers(const QString& genre) {
    if (genre == QLatin1String("jpeg4")) return {test::bombeJpeg(16383, 4)};
    if (genre == QLatin1String("bmp8")) return {test::bombeBmp(16383)};
    if (genre == QLatin1String("gris2"))
        return {test::bombeBmp(64), test::jpegGris(11000), test::jpegGris(11000)};
    if (genre == QLatin1String("gris16376")) return {test::jpegGris(16376)};
    if (genre == QLatin1String("gris11000")) return {test::jpegGris(11000)};
    std::exit(1);
}

// Shows the folder's first picture in the main window; prints the milliseconds until the
// window answered, the peak memory (MiB) once every decode ahead has ended, and the
// number of boxes shown.
int afficher(const QString& dossier) {
    PlateformeQt plateforme;
    Module1 etat;
    Form1 form(plateforme, etat);
    acces(form).DossierDepart = dossier + u'/';
    VueFenetreQt vue(form.fenetre);
    form.Form_Load();
    vue.showMaximized();
    QCoreApplication::processEvents();
    int boites = 0;
    QTimer fermeBoites;
    QObject::connect(&fermeBoites, &QTimer::timeout, [&boites] {
        if (auto* b = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ++boites;
            b->reject();
        }
    });
    fermeBoites.start(1);
    QElapsedTimer chrono;
    chrono.start();
    acces(form).affTout.cliquer();
    (void)vue.grab(); // the fitted view painted
    const double duree = double(chrono.nsecsElapsed()) / 1e6;
    if (!PoolDecodage::commun().attendreInactif(std::chrono::minutes(10))) return 1;
    std::printf("%.1f %.0f %d\n", duree, bench::memoireMaxMo(), boites);
    return 0;
}

struct Mesure {
    double pireMs = 0, pireMo = 0;
    int boites = 0;
};

Mesure mesurer(const QString& genre, int fois) {
    QTemporaryDir dossier;
    const QList<QByteArray> f = fichiers(genre);
    for (int i = 0; i < f.size(); ++i)
        ecrire(dossier.filePath(QStringLiteral("%1.%2").arg(i + 1).arg(
                   f[i].startsWith("BM") ? QStringLiteral("bmp") : QStringLiteral("jpg"))),
               f[i]);
    Mesure m;
    for (int i = 0; i < fois; ++i) {
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(), {"--afficher", dossier.path()});
        if (!p.waitForFinished(-1) || p.exitCode() != 0) {
            std::fprintf(stderr, "%s failed\n", qPrintable(genre));
            std::exit(1);
        }
        const QStringList l =
            QString::fromLocal8Bit(p.readAllStandardOutput()).split(u' ', Qt::SkipEmptyParts);
        m.pireMs = std::max(m.pireMs, l.value(0).toDouble());
        m.pireMo = std::max(m.pireMo, l.value(1).toDouble());
        m.boites = std::max(m.boites, l.value(2).trimmed().toInt());
    }
    return m;
}

void ligne(const char* nom, const Mesure& hostile, const char* nomOrdinaire,
           const Mesure& ordinaire) {
    const double budgetMo = double(BudgetDecodageOctets) / 1048576.0;
    std::printf("%s: %s in %.0f ms (worst), peak %.0f MB; %s: %.0f ms, peak %.0f MB "
                "(target: answered <= 1000 ms, peak <= budget %.0f MB + pictures kept)\n",
                nom, hostile.boites ? "error box" : "shown", hostile.pireMs, hostile.pireMo,
                nomOrdinaire, ordinaire.pireMs, ordinaire.pireMo, budgetMo);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[]) {
    galvia::bench::ApplicationBanc<QApplication> banc(argc, argv);
    const QStringList args = banc.app.arguments();
    if (args.size() >= 3 && args[1] == QLatin1String("--afficher")) return afficher(args[2]);
    const int fois = args.size() > 1 ? std::max(1, args[1].toInt()) : 3;
    const Mesure grand = mesurer(QStringLiteral("gris16376"), fois);
    ligne("4-component progressive jpeg bomb 16383 px (155 bytes), shown",
          mesurer(QStringLiteral("jpeg4"), fois), "plain grey jpeg 16376 px shown", grand);
    ligne("8-bit bitmap bomb 16383 px (1.2 KB), shown and stretched",
          mesurer(QStringLiteral("bmp8"), fois), "plain grey jpeg 16376 px shown", grand);
    ligne("two grey jpegs 11000 px decoded ahead (after a small picture)",
          mesurer(QStringLiteral("gris2"), fois), "plain grey jpeg 11000 px shown",
          mesurer(QStringLiteral("gris11000"), fois));
    return 0;
}
