// Page Down over 12- and 24-megapixel photos in the real window offscreen, with the
// next pictures decoded ahead, against one plain QImageReader decode of the same files:
//  (a) a burst: each Page Down as soon as the previous picture is shown;
//  (b) a reader: one second on each picture, then Page Down; only the time from the key
//      to the picture shown counts.
// Usage: bench_anticipation [pictures per size]
#include "Mesure.h"

#include "support/FenetreReelle.h"

#include "platform/PoolDecodage.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>

using namespace galvia;

namespace {

constexpr int NbModeles = 3;

// A photo-like picture: overlapping soft shapes under a fine grain of noise, so that it
// compresses and decodes like a photo rather than like a flat fill.
void dessinerPhoto(const QString& chemin, QSize taille, quint32 graine) {
    QImage image(taille, QImage::Format_RGB32);
    QRandomGenerator gen(graine);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(image.rect(), QColor::fromRgb(gen.generate()));
        p.setPen(Qt::NoPen);
        const int w = taille.width(), h = taille.height();
        for (int i = 0; i < 1500; ++i) {
            QColor c = QColor::fromRgb(gen.generate());
            c.setAlpha(60 + gen.bounded(150));
            p.setBrush(c);
            p.drawEllipse(QRectF(gen.bounded(w), gen.bounded(h), 20 + gen.bounded(w / 10),
                                 20 + gen.bounded(h / 8)));
        }
    }
    for (int y = 0; y < image.height(); ++y) {
        auto* ligne = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const quint32 bruit = gen.generate();
            const auto canal = [&](int v, int decalage) {
                return std::clamp(v + int((bruit >> decalage) & 31) - 16, 0, 255);
            };
            const QRgb c = ligne[x];
            ligne[x] = qRgb(canal(qRed(c), 0), canal(qGreen(c), 8), canal(qBlue(c), 16));
        }
    }
    if (!image.save(chemin, "JPG", 90)) qFatal("cannot write %s", qPrintable(chemin));
}

// `nb` photos of `taille` in `dossier`, made from a few models.
QStringList photos(const QTemporaryDir& dossier, QSize taille, int nb) {
    QStringList fichiers;
    for (int i = 0; i < nb; ++i) {
        const QString nom =
            dossier.filePath(QStringLiteral("photo%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
        if (i < NbModeles)
            dessinerPhoto(nom, taille, static_cast<quint32>(i + 1));
        else if (!QFile::copy(fichiers[i % NbModeles], nom))
            qFatal("cannot copy to %s", qPrintable(nom));
        fichiers.append(nom);
    }
    return fichiers;
}

// Runs the window's events for `ms` milliseconds: the user looking at the picture.
void regarder(int ms) {
    QEventLoop boucle;
    QTimer::singleShot(ms, &boucle, &QEventLoop::quit);
    boucle.exec();
}

double decoder(const QString& nom) {
    QElapsedTimer chrono;
    chrono.start();
    QImageReader r(nom);
    r.setAutoTransform(true);
    if (r.read().isNull()) std::abort();
    return static_cast<double>(chrono.nsecsElapsed()) / 1e6;
}

// Page Down, then the picture painted; the time it took, in milliseconds.
double pageSuivante(test::FenetreReelle& f) {
    QElapsedTimer chrono;
    chrono.start();
    f.touche(Qt::Key_PageDown);
    QCoreApplication::processEvents(); // paint the new picture
    return static_cast<double>(chrono.nsecsElapsed()) / 1e6;
}

void mesurer(QSize taille, int nb, const char* nomRafale, const char* nomLecture) {
    QTemporaryDir dossier;
    const QStringList fichiers = photos(dossier, taille, nb);
    // Read once, so that every measure below reads from the page cache.
    for (const QString& nom : fichiers)
        (void)decoder(nom);

    test::FenetreReelle f(dossier.path() + u'/');
    f.form->affTout_Click();
    if (f.etat.NbImages != nb) qFatal("the list was not built");
    QCoreApplication::processEvents();

    // (a) The burst, the whole list once round, per step.
    const double rafale = bench::mediane(3,
                                         [&] {
                                             for (int i = 0; i < nb; ++i)
                                                 (void)pageSuivante(f);
                                         }) /
                          nb;
    const double reference = bench::mediane(3,
                                            [&] {
                                                for (const QString& nom : fichiers)
                                                    (void)decoder(nom);
                                            }) /
                             nb;
    bench::rapport(nomRafale, rafale, reference, 0.7);

    // (b) One second on each picture, then Page Down; the key to the picture, per step.
    double lecture = 0, referenceLecture = 0;
    for (int i = 0; i < nb; ++i) {
        regarder(1000);
        lecture += pageSuivante(f);
        referenceLecture += decoder(fichiers[(f.etat.NumImage - 1) % nb]);
    }
    bench::rapport(nomLecture, lecture / nb, referenceLecture / nb, 0.2);
    (void)PoolDecodage::commun().attendreInactif(std::chrono::minutes(1));
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int nb = argc > 1 ? std::max(3, std::atoi(argv[1])) : 12;
    mesurer({4000, 3000}, nb, "Page Down burst, 12 Mpx jpegs, per step, vs QImageReader::read",
            "Page Down after 1 s on each, 12 Mpx jpegs, key to picture, vs QImageReader::read");
    mesurer({6000, 4000}, nb, "Page Down burst, 24 Mpx jpegs, per step, vs QImageReader::read",
            "Page Down after 1 s on each, 24 Mpx jpegs, key to picture, vs QImageReader::read");
    return 0;
}
