// The slide sheet's peak memory on a page of 60 decompression bombs (1 KB bitmaps that
// declare 16000 x 16000 pixels), in the real window offscreen, against the peak memory
// of a process that decodes one of them at the thumbnail's size; and how long the sheet
// takes to close when asked in the middle of that page. Each measure runs in its own
// process, since a process's peak memory only grows.
// Usage: bench_bombes [workers of the sheet, default: one per processor]
#include "../fondation/Application.h"
#include "../fondation/Mesure.h"
#include "Planche.h"
#include "images/Bombe.h"

#include "platform/decodage/BudgetDecodage.h"
#include "platform/decodage/Images.h"
#include "platform/decodage/PoolDecodage.h"
#include "platform/qt/PlateformeQt.h"
#include "platform/qt/VueFenetreQt.h"
#include "sheet/Form2.h"
#include "support/Acces.h"
#include "viewer/Form1.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

using namespace galvia;

namespace {

void ecrireBombes(const QString& dossier) {
    const QByteArray bombe = test::bombeBmp(16000);
    for (int i = 1; i <= 60; ++i) {
        QFile f(dossier + QStringLiteral("/b%1.bmp").arg(i, 2, 10, QLatin1Char('0')));
        if (!f.open(QIODevice::WriteOnly) || f.write(bombe) != bombe.size()) std::exit(1);
    }
}

// One bomb decoded at the thumbnail's size, as the sheet asks for it.
int uneBombe(const QString& dossier) {
    const QImage image = chargerReduite(dossier + QStringLiteral("/b01.bmp"), {73, 73});
    std::printf("%.0f\n", bench::memoireMaxMo());
    return image.isNull() ? 1 : 0;
}

// The sheet on the 60 bombs: the whole page, or closed by its window's close command
// as soon as a bomb is being decoded (prints the milliseconds the close took).
int feuille(const QString& dossier, int travailleurs, bool fermer) {
    PlateformeQt plateforme;
    Module1 etat;
    bench::listerDossier(etat, dossier, QStringLiteral("*.bmp"));
    Form1 form1(plateforme, etat);
    PoolDecodage pool(travailleurs > 0 ? travailleurs : PoolDecodage::commun().travailleurs());
    QElapsedTimer chrono;
    QElapsedTimer fermeture;
    int remplies = 0;
    {
        Progression progression = acces(form1).progressionFeuille();
        Form2* ouverte = nullptr;
        progression.pagePleine = [&] { ouverte->Fin_Click(); }; // the page complete
        Form2 form2(plateforme, etat, progression);
        ouverte = &form2;
        acces(form2).decodeurs = &pool;
        acces(form2).cache = nullptr; // the decodes themselves, never the desktop's thumbnails
        if (fermer) {
            auto essai = std::make_shared<std::function<void()>>();
            *essai = [&, essai] {
                if (auto* vue = qobject_cast<VueFenetreQt*>(QApplication::activeModalWidget());
                    vue && budgetDecodage().reserve() > 0) {
                    fermeture.start();
                    vue->close();
                    return;
                }
                QTimer::singleShot(5, *essai);
            };
            QTimer::singleShot(0, *essai);
        }
        chrono.start();
        plateforme.afficherModal(form2.fenetre, [&] { form2.Form_Load(); });
        for (int k = 0; k < acces(form2).Diapo.taille(); ++k)
            remplies += acces(form2).Diapo[k].visible();
    }
    const double duree = fermeture.isValid() ? double(fermeture.nsecsElapsed()) / 1e6
                                             : double(chrono.nsecsElapsed()) / 1e6;
    if (!pool.attendreInactif(std::chrono::minutes(10))) return 1;
    std::printf("%.0f %.1f %d %.0f %d\n", bench::memoireMaxMo(), duree, remplies,
                budgetDecodage().pic() / 1048576.0, budgetDecodage().simultaneesMax());
    return 0;
}

QStringList lancer(const QStringList& arguments) {
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), arguments);
    if (!p.waitForFinished(-1) || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed\n", qPrintable(arguments.join(u' ')));
        std::exit(1);
    }
    return QString::fromLocal8Bit(p.readAllStandardOutput()).split(u' ', Qt::SkipEmptyParts);
}

} // namespace

int main(int argc, char* argv[]) {
    galvia::bench::ApplicationBanc<QApplication> banc(argc, argv);
    const QStringList args = banc.app.arguments();
    if (args.size() >= 3 && args[1] == QLatin1String("--une")) return uneBombe(args[2]);
    if (args.size() >= 5 && args[1] == QLatin1String("--feuille"))
        return feuille(args[2], args[3].toInt(), args[4] == QLatin1String("fermer"));

    const QString travailleurs = args.size() > 1 ? args[1] : QStringLiteral("0");
    QTemporaryDir dossier;
    ecrireBombes(dossier.path());
    const double une = lancer({"--une", dossier.path()}).value(0).toDouble();
    const QStringList page = lancer({"--feuille", dossier.path(), travailleurs, "page"});
    const QStringList fermee = lancer({"--feuille", dossier.path(), travailleurs, "fermer"});
    const double pic = page.value(0).toDouble();
    std::printf("page of 60 bombs of 16000 x 16000 pixels, %s workers: %s cells in %.0f ms, "
                "budget peak %s MB (%s at once)\n",
                travailleurs == QLatin1String("0") ? "default" : qPrintable(travailleurs),
                qPrintable(page.value(2)), page.value(1).toDouble(), qPrintable(page.value(3)),
                qPrintable(page.value(4).trimmed()));
    std::printf("peak memory: sheet %.0f MB, one bomb decoded alone %.0f MB, ratio %.2f "
                "(target <= 1.5 GB for the sheet)%s\n",
                pic, une, pic / une, pic <= 1536 ? "" : "  ** above target **");
    std::printf("closed mid-page by the window's close command: answered in %.1f ms after "
                "%s cells, peak %s MB\n",
                fermee.value(1).toDouble(), qPrintable(fermee.value(2)),
                qPrintable(fermee.value(0)));
    return 0;
}
