// Shared helpers of the metafile tests: reading through QImageReader and pixel probes.
#pragma once

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QMetaType>
#include <QtPlugin>

#include <cstdlib>

namespace galvia::wmftest {

// What a pixel, or a region, of a rendered picture must show.
struct Probe {
    enum Kind { Pixel, RegionHas, RegionLacks };
    Kind kind = Pixel;
    QRect where;
    QRgb color = 0; // 0 stands for a fully transparent pixel
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
inline constexpr QRgb none = 0;

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
        const bool ok = p.kind == Probe::RegionLacks ? !found : found;
        if (!ok)
            return QStringLiteral("probe %1 at (%2,%3 %4x%5) colour %6: pixel there %7")
                .arg(int(p.kind))
                .arg(p.where.x())
                .arg(p.where.y())
                .arg(p.where.width())
                .arg(p.where.height())
                .arg(p.color, 8, 16)
                .arg(image.valid(p.where.topLeft()) ? image.pixel(p.where.topLeft()) : 0, 8, 16);
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

} // namespace galvia::wmftest

Q_DECLARE_METATYPE(galvia::wmftest::Probe)
