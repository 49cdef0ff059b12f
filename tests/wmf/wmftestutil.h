// Shared helpers of the metafile tests: a canvas to draw on, reading through QImageReader
// and pixel probes.
#pragma once

#include "wmfwriter.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QMetaType>
#include <QTest>
#include <QtPlugin>

#include <cstdlib>

namespace galvia::wmftest {

inline constexpr QRgb red = 0xffff0000, green = 0xff00ff00, blue = 0xff0000ff, yellow = 0xffffff00,
                      black = 0xff000000, white = 0xffffffff, cyan = 0xff00ffff;
inline constexpr QRgb none = 0; // a fully transparent pixel
enum { BsSolid = 0, BsNull = 1, BsHatched = 2, BsPattern = 3, PsNull = 5 };

// A 100 x 100 plain metafile with a solid brush and an invisible pen selected.
inline wmftools::WmfWriter canvas(QRgb brush = red) {
    wmftools::WmfWriter w;
    w.setWindowExt(100, 100);
    w.selectObject(w.createBrush(BsSolid, brush));
    w.selectObject(w.createPen(PsNull, 0, Qt::black));
    return w;
}

// What a pixel, or a region, of a rendered picture must show.
struct Probe {
    enum Kind { Pixel, RegionHas, RegionLacks };
    Kind kind = Pixel;
    QRect where;
    QRgb color = none;
};

inline Probe pixel(QPoint at, QRgb color) {
    return {Probe::Pixel, QRect(at, QSize(1, 1)), color};
}
inline Probe has(QRect r, QRgb color) {
    return {Probe::RegionHas, r, color};
}
inline Probe lacks(QRect r, QRgb color) {
    return {Probe::RegionLacks, r, color};
}

inline bool near(QRgb a, QRgb b) {
    if (b == none) return qAlpha(a) < 16;
    const int tolerance = 48;
    return qAlpha(a) > 200 && std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

inline bool regionHas(const QImage& image, QRect r, QRgb color) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (image.valid(x, y) && near(image.pixel(x, y), color)) return true;
    return false;
}

// Empty when every probe holds, else a description of the first that does not.
inline QString check(const QImage& picture, const QList<Probe>& probes) {
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    for (const Probe& p : probes) {
        const bool found = regionHas(image, p.where, p.color);
        if (p.kind == Probe::RegionLacks ? !found : found) continue;
        const QPoint at = p.where.topLeft();
        return QStringLiteral("probe %1 over (%2,%3 %4x%5) colour %6, pixel %7")
            .arg(int(p.kind))
            .arg(at.x())
            .arg(at.y())
            .arg(p.where.width())
            .arg(p.where.height())
            .arg(p.color, 8, 16)
            .arg(image.valid(at) ? image.pixel(at) : 0, 8, 16);
    }
    return {};
}

inline QImage readWmf(const QByteArray& data, QSize scaled = {}, bool* ok = nullptr) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "wmf");
    if (scaled.isValid()) reader.setScaledSize(scaled);
    QImage image;
    const bool read = reader.read(&image);
    if (ok) *ok = read;
    return image;
}

// Tables of metafiles and what their pictures must show: the columns, and one row.
inline void drawingColumns() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<Probe>>("probes");
}
inline void drawing(const char* name, const QByteArray& file, const QList<Probe>& probes) {
    QTest::newRow(name) << file << probes;
}
inline void drawing(const char* name, const wmftools::WmfWriter& w, const QList<Probe>& probes) {
    drawing(name, w.data(), probes);
}

} // namespace galvia::wmftest

Q_DECLARE_METATYPE(galvia::wmftest::Probe)

// Fails the test with the first probe that does not hold on image (the probes may be a braced
// list).
#define WMF_VERIFY_PROBES(image, ...)                                                              \
    do {                                                                                           \
        const QString failure_ = galvia::wmftest::check(image, __VA_ARGS__);                       \
        QVERIFY2(failure_.isEmpty(), qPrintable(failure_));                                        \
    } while (false)
