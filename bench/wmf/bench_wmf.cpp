// Rendering a 10 000-record clip art at 1024 x 768 through QImageReader, against decoding
// a JPEG of the same pixel size in the same run. Prints both times and their ratio.
#include "hostile.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QtPlugin>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

Q_IMPORT_PLUGIN(GalviaWmfPlugin)

namespace {

constexpr QSize pictureSize(1024, 768);
constexpr int clipArtRecords = 10000;
constexpr int rounds = 15;

QByteArray photo() {
    QImage image(pictureSize, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, pictureSize.width(), pictureSize.height());
    g.setColorAt(0, QColor(30, 80, 160));
    g.setColorAt(1, QColor(240, 200, 90));
    p.fillRect(image.rect(), g);
    p.end();
    QRandomGenerator rng(7);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = rng.bounded(40) - 20;
            line[x] =
                qRgb(std::clamp(qRed(line[x]) + n, 0, 255), std::clamp(qGreen(line[x]) + n, 0, 255),
                     std::clamp(qBlue(line[x]) + n, 0, 255));
        }
    }
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(90);
    writer.write(image);
    return out;
}

QImage decode(const QByteArray& data, const QByteArray& format, QSize scaled = {}) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    if (scaled.isValid()) reader.setScaledSize(scaled);
    return reader.read();
}

// Median time of a decoding, in milliseconds; empty when it fails.
double medianMs(const std::function<QImage()>& run) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        const QImage image = run();
        times.push_back(timer.nsecsElapsed() / 1e6);
        if (image.size() != pictureSize) return -1;
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QByteArray wmf = galvia::wmftools::richPicture(pictureSize, clipArtRecords);
    const QByteArray jpeg = photo();
    decode(wmf, "wmf", pictureSize); // warms the font caches up
    const double jpegMs = medianMs([&] { return decode(jpeg, "jpeg"); });
    const double wmfMs = medianMs([&] { return decode(wmf, "wmf", pictureSize); });
    if (jpegMs <= 0 || wmfMs <= 0) {
        std::fprintf(stderr, "decoding failed\n");
        return 1;
    }
    std::printf("wmf clip art, %d records, at %dx%d: %.2f ms\n", clipArtRecords,
                pictureSize.width(), pictureSize.height(), wmfMs);
    std::printf("jpeg reference, %dx%d: %.2f ms\n", pictureSize.width(), pictureSize.height(),
                jpegMs);
    std::printf("ratio wmf/jpeg: %.2f (target: at most 2)\n", wmfMs / jpegMs);
    return 0;
}
