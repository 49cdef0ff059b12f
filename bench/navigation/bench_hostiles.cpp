// Hostile pictures (scan bombs, files extended by a long hole) as the viewer asks for
// them, fitted to a full screen: the worst time to an answer (a picture or the
// load-failure error) of each kind, next to the decode of an ordinary photo of the same
// size in the same run. Memory is measured by bench_bombes.
//   bench_hostiles [kind...]   (every kind when none is named)
#include "../fondation/Application.h"
#include "Mesure.h"
#include "Photos.h"
#include "images/Bombe.h"

#include "platform/Erreurs.h"
#include "platform/decodage/Images.h"
#include "platform/decodage/MarqueursJpeg.h"
#include "platform/decodage/PoolDecodage.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>

using namespace galvia;

namespace {

constexpr QSize Ecran(1920, 1080);
constexpr double CibleMs = 1000;
constexpr int Essais = 3;

QSize ajustee(QSize naturelle) {
    return naturelle.scaled(Ecran, Qt::KeepAspectRatio).boundedTo(naturelle).expandedTo({1, 1});
}

// The worst of a few decodes of `fichier`, in ms; `reponse` gets what it gave.
double pire(const QString& fichier, QString* reponse) {
    double pire = 0;
    for (int i = 0; i < Essais; ++i) {
        QElapsedTimer chrono;
        chrono.start();
        try {
            const QImage image = chargerVignette(fichier, ajustee);
            *reponse = QStringLiteral("%1x%2").arg(image.width()).arg(image.height());
        } catch (const Erreur& e) {
            *reponse = QStringLiteral("error %1").arg(e.numero);
        }
        pire = std::max(pire, double(chrono.nsecsElapsed()) / 1e6);
    }
    return pire;
}

} // namespace

int main(int argc, char* argv[]) {
    galvia::bench::ApplicationBanc<QGuiApplication> banc(argc, argv);
    QTemporaryDir dossier;
    QList<test::Creux> kinds = test::hostilesCreux();
    for (const test::Hostile& h : test::hostilesPleins())
        kinds.append({h.nom, h.contenu, h.contenu.size()});
    // The most work a scan bomb may still ask for: just under the bounds.
    for (const int cote : {1920, 4096}) {
        const QByteArray bombe = test::bombeBalayages(cote, int(PassesMax) - 2);
        kinds.append(
            {cote == 1920 ? "scan bomb 1920 px, just allowed" : "scan bomb 4096 px, just allowed",
             bombe, bombe.size()});
    }
    double pireMs = 0;
    const char* pireNom = "";
    int n = 0;
    for (const test::Creux& k : kinds) {
        bool choisi = argc < 2;
        for (int i = 1; i < argc; ++i)
            choisi = choisi || QByteArray(k.nom).contains(argv[i]);
        if (!choisi) continue;
        const QString fichier = dossier.filePath(QStringLiteral("hostile%1").arg(++n));
        if (!test::ecrireCreux(fichier, k.contenu, k.taille)) {
            std::printf("%-40s skipped: no file with such a hole here\n", k.nom);
            continue;
        }
        // An ordinary photo of the size the file declares, decoded the same way.
        const QSize taille = tailleNaturelle(fichier);
        const QString photo = dossier.filePath(QStringLiteral("photo%1.jpg").arg(n));
        bench::dessinerPhoto(photo, taille, 7);
        QString reponse, reponsePhoto;
        const double ms = pire(fichier, &reponse);
        const double photoMs = pire(photo, &reponsePhoto);
        std::printf("%-40s %5dx%-5d worst %8.1f ms (%s)  ordinary photo %7.1f ms  ratio %5.1f\n",
                    k.nom, taille.width(), taille.height(), ms, qPrintable(reponse), photoMs,
                    ms / std::max(photoMs, 0.01));
        std::fflush(stdout);
        QFile::remove(fichier);
        if (ms > pireMs) {
            pireMs = ms;
            pireNom = k.nom;
        }
    }
    std::printf("worst hostile picture (%s): %.1f ms (target: under %.0f ms)\n", pireNom, pireMs,
                CibleMs);
    std::printf("peak memory of the whole run: %.0f MB\n", bench::memoireMaxMo());
    return pireMs < CibleMs ? 0 : 1;
}
