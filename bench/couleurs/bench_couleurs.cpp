// The cost of a colour conversion, one thread: an Adobe RGB photo of 12 megapixels, and
// of 1 megapixel (about its fitted view), converted to sRGB, against the plain decode of
// the same 12-megapixel photo as a jpeg (quality 90) that the conversion adds to. Times
// are the thread's processor time (the median of several runs), so that other processes
// on the machine weigh less on them.
#include "../fondation/Mesure.h"

#include "platform/decodage/Couleurs.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QRandomGenerator>
#include <ctime>

using namespace galvia;

namespace {

QImage photo(int largeur, int hauteur) {
    QImage image(largeur, hauteur, QImage::Format_RGB32);
    QPainter p(&image);
    QRandomGenerator gen(7);
    for (int i = 0; i < 4000; ++i)
        p.fillRect(QRect(gen.bounded(largeur), gen.bounded(hauteur), 40 + gen.bounded(300),
                         40 + gen.bounded(300)),
                   QColor::fromRgb(gen.generate()));
    return image;
}

// Median processor time of this thread over `fois` runs of `f`, in milliseconds.
double mediane(int fois, const std::function<void()>& f) {
    std::vector<double> t;
    for (int i = 0; i < fois; ++i) {
        timespec a{}, b{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &a);
        f();
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &b);
        t.push_back(double(b.tv_sec - a.tv_sec) * 1e3 + double(b.tv_nsec - a.tv_nsec) / 1e6);
    }
    return bench::mediane(std::move(t));
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QByteArray adobe = profilAdobeRgb();
    const QImage grande = photo(4000, 3000), petite = photo(1155, 866);
    QByteArray jpeg;
    {
        QBuffer b(&jpeg);
        b.open(QIODevice::WriteOnly);
        grande.save(&b, "JPEG", 90);
    }
    const auto convertir = [&adobe](const QImage& source) {
        return mediane(9, [&] {
            QImage image = source.copy(); // a decoded picture of its own, as a decode gives
            convertirCouleurs(image, adobe, {});
        });
    };
    const auto copier = [](const QImage& source) {
        return mediane(9, [&] { (void)source.copy(); });
    };
    const double decode = mediane(5, [&jpeg] {
        QBuffer b(&jpeg);
        b.open(QIODevice::ReadOnly);
        QImageReader(&b, "jpeg").read();
    });
    const double g = convertir(grande) - copier(grande), p = convertir(petite) - copier(petite);
    std::printf("12 Mpx Adobe RGB -> sRGB: %.1f ms (%.0f Mpx/s); 1 Mpx: %.1f ms; "
                "decode of the 12 Mpx jpeg: %.1f ms\n",
                g, 12.0 / g * 1000, p, decode);
    std::printf("conversion / decode, 12 Mpx: %.2f\n", g / decode);
    return 0;
}
