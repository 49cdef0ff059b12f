// 200 presses of Page Down over 200 twelve-megapixel jpegs in the real window offscreen
// (each step loaded and painted), against one plain QImageReader decode of the same
// files, per step. Usage: bench_navigation [rounds]
#include "Mesure.h"

#include "support/FenetreReelle.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

using namespace galvia;

namespace {

constexpr int NbPhotos = 200;
constexpr int NbModeles = 4;

// A 4000 x 3000 photo-like picture: overlapping soft shapes, so that it compresses
// like a photo rather than like a flat fill.
void dessinerPhoto(const QString& chemin, quint32 graine) {
    QImage image(4000, 3000, QImage::Format_RGB32);
    QRandomGenerator gen(graine);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(image.rect(), QColor::fromRgb(gen.generate()));
    for (int i = 0; i < 3000; ++i) {
        QColor c = QColor::fromRgb(gen.generate());
        c.setAlpha(60 + gen.bounded(150));
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(QRectF(gen.bounded(4000), gen.bounded(3000), 20 + gen.bounded(400),
                             20 + gen.bounded(400)));
    }
    p.end();
    if (!image.save(chemin, "JPG", 90)) qFatal("cannot write %s", qPrintable(chemin));
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dossier;
    QStringList fichiers;
    for (int i = 0; i < NbPhotos; ++i) {
        const QString nom =
            dossier.filePath(QStringLiteral("photo%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
        if (i < NbModeles)
            dessinerPhoto(nom, static_cast<quint32>(i + 1));
        else if (!QFile::copy(fichiers[i % NbModeles], nom))
            qFatal("cannot copy to %s", qPrintable(nom));
        fichiers.append(nom);
    }

    test::FenetreReelle f(dossier.path() + u'/');
    f.form->affTout_Click();
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
