// ChargeImage on a 24-megapixel jpeg, in the real window offscreen (both views painted),
// against one plain QImageReader decode of the same file.
#include "Application.h"
#include "Mesure.h"
#include "platform/decodage/PoolDecodage.h"

#include "support/FenetreReelle.h"

#include <QImageReader>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

using namespace galvia;

int main(int argc, char* argv[]) {
    galvia::bench::ApplicationBanc<QApplication> banc(argc, argv);
    QTemporaryDir dossier;
    const QString fichier = dossier.path() + QStringLiteral("/photo.jpg");
    {
        QImage image(6000, 4000, QImage::Format_RGB32);
        QPainter p(&image);
        QRandomGenerator gen(7);
        for (int i = 0; i < 4000; ++i)
            p.fillRect(QRect(gen.bounded(6000), gen.bounded(4000), 40 + gen.bounded(300),
                             40 + gen.bounded(300)),
                       QColor::fromRgb(gen.generate()));
        p.end();
        image.save(fichier, "JPG", 90);
    }
    test::FenetreReelle f(dossier.path() + u'/');
    f.ctl().affTout.cliquer();
    QCoreApplication::processEvents();
    const int fois = argc > 1 ? std::atoi(argv[1]) : 7;
    const double galvia = bench::mediane(fois, [&] {
        f.ctl().ChargeImage();
        f.vue->widgetDe(f.ctl().Image2)->repaint();
    });
    const double reference = bench::mediane(fois, [&] {
        QImageReader r(fichier);
        r.setAutoTransform(true);
        if (r.read().isNull()) std::abort();
    });
    bench::rapport("ChargeImage 24 Mpx jpeg vs QImageReader::read", galvia, reference, 1.25);
    return 0;
}
