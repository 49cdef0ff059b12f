// Hostile metafiles at a full-screen size and at their natural size: the time to an answer
// (a picture, whole or cut short, or a failure) for each, against decoding a JPEG of the
// full-screen size in the same run. Prints the times, the worst and its ratio.
//   bench_wmf_hostile [kind...]   (all kinds when none is named)
#include "hostile.h"
#include "wmfplayer.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QtPlugin>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>

Q_IMPORT_PLUGIN(GalviaWmfPlugin)

namespace {

constexpr QSize screen(1920, 1080);
constexpr double targetMs = 1000;

QByteArray photo() {
    QImage image(screen, QImage::Format_RGB32);
    QRandomGenerator rng(7);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qRgb((x + rng.bounded(40)) & 255, (y + rng.bounded(40)) & 255,
                           rng.bounded(60) + 100);
    }
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(90);
    writer.write(image);
    return out;
}

// Milliseconds to read the data through QImageReader, at scaled size when one is given.
double readMs(const QByteArray& data, const QByteArray& format, QSize scaled, bool* ok) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QElapsedTimer timer;
    timer.start();
    QImageReader reader(&buffer, format);
    if (scaled.isValid()) reader.setScaledSize(scaled);
    const QImage image = reader.read();
    const double ms = timer.nsecsElapsed() / 1e6;
    *ok = !image.isNull();
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QList<const char*> kinds = galvia::wmftools::hostileKinds();
    if (argc > 1) {
        QList<const char*> chosen;
        for (const char* kind : kinds)
            for (int i = 1; i < argc; ++i)
                if (QByteArray(kind).contains(argv[i])) chosen.append(kind);
        kinds = chosen;
    }
    bool ok = false;
    const QByteArray jpeg = photo();
    readMs(jpeg, "jpeg", {}, &ok); // warms the decoder up
    double jpegMs = 1e9;
    for (int i = 0; i < 5; ++i)
        jpegMs = std::min(jpegMs, readMs(jpeg, "jpeg", {}, &ok));
    double worst = 0;
    const char* worstKind = "";
    for (const char* kind : kinds) {
        const QByteArray data = galvia::wmftools::hostileFile(kind);
        bool screenOk = false;
        bool naturalOk = false;
        const double screenMs = readMs(data, "wmf", screen, &screenOk);
        const double naturalMs = readMs(data, "wmf", {}, &naturalOk);
        const auto spent = galvia::wmf::playData(data, screen);
        std::printf("%-42s %6.1f MB  %dx%d: %7.1f ms%s  natural: %7.1f ms%s  work %4.0f%% of "
                    "budget%s\n",
                    kind, data.size() / 1e6, screen.width(), screen.height(), screenMs,
                    screenOk ? "" : " (failed)", naturalMs, naturalOk ? "" : " (failed)",
                    100 * spent.work / std::max(1.0, spent.budget),
                    spent.complete ? ", complete" : ", cut short");
        std::fflush(stdout);
        for (const double ms : {screenMs, naturalMs})
            if (ms > worst) {
                worst = ms;
                worstKind = kind;
            }
    }
    std::printf("jpeg reference, %dx%d: %.2f ms\n", screen.width(), screen.height(), jpegMs);
    std::printf("worst hostile metafile (%s): %.1f ms, ratio wmf/jpeg: %.1f (target: under "
                "%.0f ms)\n",
                worstKind, worst, worst / jpegMs, targetMs);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory of the whole run: %ld MB\n", usage.ru_maxrss / 1024);
    return worst < targetMs ? 0 : 1;
}
