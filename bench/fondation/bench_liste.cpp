// Building the list of a folder of 30 000 files (F5 up to the first picture shown)
// against a bare folder scan plus a collator sort of the same names.
#include "Application.h"
#include "Mesure.h"
#include "platform/decodage/PoolDecodage.h"

#include "platform/Texte.h"
#include "support/Banc.h"

#include <QCollator>
#include <QGuiApplication>
#include <dirent.h>

using namespace galvia;

int main(int argc, char* argv[]) {
    galvia::bench::ApplicationBanc<QGuiApplication> banc(argc, argv);
    test::Banc b;
    const QString d = b.chemin(QStringLiteral("d/"));
    test::dessiner(d + QStringLiteral("0000-premiere.jpg"), {64, 48});
    const char* ext[] = {"jpg", "gif", "bmp", "txt", "jpeg", "png"};
    for (int i = 1; i < 30000; ++i)
        test::ecrire(d + QStringLiteral("Photo %1 vacances.%2")
                             .arg((i * 7919) % 30000, 5, 10, QLatin1Char('0'))
                             .arg(QString::fromLatin1(ext[i % 6])));
    b.demarrer(QStringLiteral("d"));
    const int fois = argc > 1 ? std::atoi(argv[1]) : 5;
    // F5 from the browsing panel each time: back to it (F3) untimed.
    std::vector<double> fois5;
    for (int i = 0; i < fois; ++i) {
        if (i > 0) b.ctl().affAutre.cliquer();
        QElapsedTimer chrono;
        chrono.start();
        b.ctl().affTout.cliquer();
        fois5.push_back(static_cast<double>(chrono.nsecsElapsed()) / 1e6);
        if (b.etat.NbImages < 10000 || b.etat.ModeVue != Mode::Ajustee) std::abort();
    }
    const double galvia = bench::mediane(std::move(fois5));
    const QByteArray chemin = QFile::encodeName(d);
    const double reference = bench::mediane(fois, [&] {
        QStringList noms;
        DIR* dir = ::opendir(chemin.constData());
        while (const dirent* e = ::readdir(dir))
            if (e->d_name[0] != '.') noms.append(QFile::decodeName(e->d_name));
        ::closedir(dir);
        const QCollator& c = collateurTexte();
        std::sort(noms.begin(), noms.end(),
                  [&c](const QString& x, const QString& y) { return c.compare(x, y) < 0; });
    });
    bench::rapport("F5 on 30 000 files vs scan + collator sort", galvia, reference, 2.0);
    return 0;
}
