#include "hostile.h"

#include "wmfwriter.h"

#include <QImage>
#include <QRandomGenerator>
#include <QtEndian>

#include <cmath>
#include <cstring>
#include <functional>

namespace galvia::wmftools {

namespace {

constexpr int side = 1000;
enum { PsSolid = 0, PsDash = 1, PsNull = 5, BsSolid = 0, BsHatched = 2 };

// A side x side picture with a red brush and no pen.
WmfWriter canvas() {
    WmfWriter w;
    w.setWindowOrg(0, 0).setWindowExt(side, side);
    w.selectObject(w.createBrush(BsSolid, Qt::red));
    w.selectObject(w.createPen(PsNull, 0, Qt::black));
    return w;
}

// A polygon whose every edge runs from the top of the picture to its bottom.
QList<QPoint> zigZag(int points) {
    QList<QPoint> out;
    for (int i = 0; i < points; ++i)
        out.append(QPoint(int(qint64(i) * side / points), i % 2 ? side : 0));
    return out;
}

QList<QPoint> randomPoints(int count, quint32 seed) {
    QRandomGenerator rng(seed);
    QList<QPoint> out;
    for (int i = 0; i < count; ++i)
        out.append(QPoint(rng.bounded(side), rng.bounded(side)));
    return out;
}

QByteArray zigZagPolygon() {
    return canvas().polygon(zigZag(65535)).data();
}

QByteArray manyZigZags() {
    WmfWriter w = canvas();
    const QList<QPoint> points = zigZag(65535);
    for (int i = 0; i < 122; ++i)
        w.polygon(points);
    return w.data();
}

QByteArray randomPolygon() {
    return canvas().polygon(randomPoints(16000, 13)).data();
}

QByteArray widePolyline() {
    WmfWriter w = canvas();
    w.selectObject(w.createPen(PsSolid, 60, Qt::blue));
    return w.polyline(randomPoints(16000, 17)).data();
}

QByteArray dashedPolylines() {
    WmfWriter w = canvas();
    w.selectObject(w.createPen(PsDash, 3, Qt::blue));
    const QList<QPoint> points = randomPoints(16000, 19);
    for (int i = 0; i < 40; ++i)
        w.polyline(points);
    return w.data();
}

QByteArray xorZigZags() {
    WmfWriter w = canvas();
    w.setRop2(7); // exclusive or: drawn without antialiasing, by another rasteriser
    const QList<QPoint> points = zigZag(16000);
    for (int i = 0; i < 100; ++i)
        w.polygon(points);
    return w.data();
}

QByteArray tinyPolygons() {
    WmfWriter w = canvas();
    QList<QList<QPoint>> polygons;
    QRandomGenerator rng(23);
    for (int i = 0; i < 21000; ++i) {
        const QPoint at(rng.bounded(side), rng.bounded(side));
        polygons.append({at, at + QPoint(2, 0), at + QPoint(0, 2)});
    }
    for (int i = 0; i < 60; ++i)
        w.polyPolygon(polygons);
    return w.data();
}

QByteArray createRegions() {
    // The smallest records that take a slot in the object table, never freed.
    WmfWriter w;
    w.setWindowExt(side, side);
    QByteArray record(6, '\0');
    qToLittleEndian<quint32>(3, record.data());
    qToLittleEndian<quint16>(0x06FF, record.data() + 4);
    QByteArray records;
    records.reserve(2'000'000 * 6);
    for (int i = 0; i < 2'000'000; ++i)
        records += record;
    w.raw(records);
    w.setObjectCount(65535);
    return w.data();
}

QByteArray excludedRects() {
    WmfWriter w = canvas();
    QRandomGenerator rng(29);
    for (int i = 0; i < 250'000; ++i)
        w.excludeClipRect(QRect(rng.bounded(side), rng.bounded(side), 2, 2));
    return w.rectangle(QRect(0, 0, side, side)).data();
}

QByteArray savedClips() {
    // Clips piled up, then saved and changed again and again.
    WmfWriter w = canvas();
    QRandomGenerator rng(31);
    for (int i = 0; i < 2000; ++i)
        w.excludeClipRect(QRect(rng.bounded(side), rng.bounded(side), 3, 3));
    for (int i = 0; i < 200'000; ++i) {
        w.saveDc().excludeClipRect(QRect(rng.bounded(side), rng.bounded(side), 3, 3));
        w.restoreDc(-1);
    }
    return w.data();
}

QByteArray hugeText() {
    WmfWriter w = canvas();
    w.selectObject(w.createFont(-1500, 700, "DejaVu Serif"));
    const QByteArray text(2000, 'W');
    for (int i = 0; i < 500; ++i)
        w.extTextOut(QPoint(0, side / 2), text, 4, QRect(0, 0, side, side));
    return w.data();
}

QByteArray stretchedBitmaps() {
    // A 4096 x 4096 bitmap of a few kilobytes, run-length encoded, drawn many times.
    QImage image(4096, 4096, QImage::Format_Indexed8);
    image.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 255)});
    image.fill(0);
    for (int y = 0; y < 4096; y += 64)
        std::memset(image.scanLine(y), 1, 4096);
    const QByteArray dib = WmfWriter::dib(image, 8, WmfWriter::Dib::Rle);
    WmfWriter w = canvas();
    for (int i = 0; i < 200; ++i)
        w.stretchDib(QRect(0, 0, side, side), QRect(0, 0, 4096, 4096), dib, 0x00330008);
    return w.data();
}

QByteArray patternFills() {
    QImage tile(8, 8, QImage::Format_RGB32);
    tile.fill(Qt::yellow);
    tile.setPixel(3, 3, qRgb(0, 0, 0));
    WmfWriter w = canvas();
    w.selectObject(w.createPatternBrush(WmfWriter::dib(tile, 24)));
    for (int i = 0; i < 100'000; ++i)
        w.rectangle(QRect(0, 0, side, side));
    w.selectObject(w.createBrush(BsHatched, Qt::green, 5));
    for (int i = 0; i < 100'000; ++i)
        w.ellipse(QRect(0, 0, side, side));
    return w.data();
}

QByteArray hugePens() {
    WmfWriter w = canvas();
    w.selectObject(w.createPen(PsSolid, 30000, Qt::blue));
    for (int i = 0; i < 20'000; ++i) {
        w.ellipse(QRect(-30000, -30000, 60000, 60000));
        w.arc(WmfWriter::Arc, QRect(-20000, 0, 40000, 500), QPoint(0, 0), QPoint(10, 10));
    }
    w.selectObject(w.createPen(PsDash, 200, Qt::green));
    for (int i = 0; i < 20'000; ++i)
        w.moveTo(QPoint(-32000, -32000)).lineTo(QPoint(32000, 32000));
    return w.data();
}

QByteArray farEdges() {
    // Edges far longer than the picture, walked in full by the rasteriser.
    WmfWriter w = canvas();
    QList<QPoint> points;
    for (int i = 0; i < 4000; ++i)
        points.append(QPoint(i * side / 4000, i % 2 ? 32000 : -32000));
    for (int i = 0; i < 50; ++i)
        w.polygon(points);
    return w.data();
}

// Many shapes each costing a good share of what a picture may spend, rather than one
// beyond it: what comes closest to the budget's limit.
QByteArray manyMedium(int count, const std::function<void(WmfWriter&, int)>& draw) {
    WmfWriter w = canvas();
    for (int i = 0; i < count; ++i)
        draw(w, i);
    return w.data();
}

QByteArray mediumZigZags() {
    const QList<QPoint> points = zigZag(24);
    return manyMedium(2000, [&](WmfWriter& w, int) { w.polygon(points); });
}

QByteArray mediumRandomPolygons() {
    return manyMedium(2000, [](WmfWriter& w, int i) { w.polygon(randomPoints(40, quint32(i))); });
}

QByteArray mediumWidePolylines() {
    return manyMedium(2000, [](WmfWriter& w, int i) {
        if (i == 0) w.selectObject(w.createPen(PsSolid, 60, Qt::blue));
        w.polyline(randomPoints(100, quint32(i)));
    });
}

QByteArray mediumTriangles() {
    QList<QList<QPoint>> polygons;
    QRandomGenerator rng(37);
    for (int i = 0; i < 600; ++i) {
        const QPoint at(rng.bounded(side), rng.bounded(side));
        polygons.append({at, at + QPoint(2, 0), at + QPoint(0, 2)});
    }
    return manyMedium(2000, [&](WmfWriter& w, int) { w.polyPolygon(polygons); });
}

QByteArray mediumXorZigZags() {
    const QList<QPoint> points = zigZag(24);
    return manyMedium(2000, [&](WmfWriter& w, int i) {
        if (i == 0) w.setRop2(7);
        w.polygon(points);
    });
}

QByteArray shortWidePolylines() {
    return manyMedium(5000, [](WmfWriter& w, int i) {
        if (i == 0) w.selectObject(w.createPen(PsSolid, 60, Qt::blue));
        w.polyline(randomPoints(12, quint32(i)));
    });
}

QByteArray hugeWords() {
    return manyMedium(2000, [](WmfWriter& w, int i) {
        if (i == 0) w.selectObject(w.createFont(-900, 700, "DejaVu Serif"));
        w.textOut(QPoint(0, side / 2), "Galvia");
    });
}

QByteArray stackedLetters() {
    // Zero advances: every glyph of the line drawn on the same spot, all of them seen.
    const QByteArray text = "GALVIAgalvia&@%WMQB";
    const QList<int> advances(text.size(), 0);
    return manyMedium(20000, [&](WmfWriter& w, int i) {
        if (i == 0) w.selectObject(w.createFont(-700, 700, "DejaVu Serif"));
        w.extTextOut(QPoint(100 + i % 300, side / 2), text, 0, {}, advances);
    });
}

QByteArray widePenEllipses() {
    return manyMedium(5000, [](WmfWriter& w, int i) {
        if (i == 0) w.selectObject(w.createPen(PsSolid, 300, Qt::blue));
        w.ellipse(QRect(100 + i % 50, 100, 800, 800));
    });
}

// A region of a hundred rows across the picture, each cut into many spans, painted, framed,
// inverted and made the clip again and again.
QByteArray combRegions() {
    WmfWriter w = canvas();
    QList<WmfWriter::Scan> scans;
    for (int row = 0; row < side; row += 10) {
        WmfWriter::Scan scan{row, row + 1, {}};
        for (int x = row % 7; x + 3 < side; x += 40)
            scan.boundaries << x << x + 3;
        scans.append(scan);
    }
    const int region = w.createRegion(scans);
    const int brush = w.createBrush(BsSolid, Qt::blue);
    for (int i = 0; i < 2000; ++i) {
        w.paintRegion(region).frameRegion(region, brush, 2, 2).invertRegion(region);
        w.selectClipRegion(region).offsetClipRgn(i % 5, 1).rectangle(QRect(0, 0, side, side));
    }
    return w.data();
}

// Thousands of regions of a few hundred scans, each created and painted once.
QByteArray manyRegions() {
    WmfWriter w = canvas();
    QRandomGenerator rng(16);
    for (int i = 0; i < 4000; ++i) {
        QList<WmfWriter::Scan> scans;
        const int left = int(rng.bounded(side - 100));
        for (int row = 0; row < 300; ++row)
            scans.append({row * 3, row * 3 + 2, {left, left + 20, left + 40, left + 90}});
        const int region = w.createRegion(scans);
        w.paintRegion(region).deleteObject(region);
    }
    return w.data();
}

// Long double-byte strings in letters too large to be drawn: each must still be decoded to
// be measured.
QByteArray undrawnDoubleByteText() {
    WmfWriter w = canvas();
    w.selectObject(w.createFont(-30000, 400, "MS Mincho", 0, 128));
    QByteArray text;
    for (int i = 0; i < 8000; ++i)
        text += "\x93\xFA";
    for (int i = 0; i < 3000; ++i)
        w.extTextOut(QPoint(0, side / 2), text);
    return w.data();
}

struct Kind {
    const char* name;
    QByteArray (*make)();
};

const Kind kinds[] = {
    {"zig-zag polygon of 65535 points", zigZagPolygon},
    {"122 zig-zag polygons", manyZigZags},
    {"random polygon of 16000 points", randomPolygon},
    {"polyline of 16000 points, 60-unit pen", widePolyline},
    {"dashed polylines of 16000 points", dashedPolylines},
    {"zig-zags drawn in exclusive or", xorZigZags},
    {"polypolygons of tiny triangles", tinyPolygons},
    {"2 million CreateRegion records", createRegions},
    {"250000 ExcludeClipRect records", excludedRects},
    {"clips saved and restored", savedClips},
    {"huge text", hugeText},
    {"StretchDIB of a 4096x4096 bitmap", stretchedBitmaps},
    {"patterned and hatched fills", patternFills},
    {"ellipses, arcs and lines with huge pens", hugePens},
    {"edges far beyond the picture", farEdges},
    {"many zig-zags of 24 points", mediumZigZags},
    {"many random polygons of 40 points", mediumRandomPolygons},
    {"many polylines of 100 points, 60-unit pen", mediumWidePolylines},
    {"many polypolygons of 600 triangles", mediumTriangles},
    {"many exclusive-or zig-zags of 24 points", mediumXorZigZags},
    {"many polylines of 12 points, 60-unit pen", shortWidePolylines},
    {"many words in huge letters", hugeWords},
    {"many ellipses with 300-unit pens", widePenEllipses},
    {"huge letters stacked on one spot", stackedLetters},
    {"a region of 100 combed rows, painted and clipping", combRegions},
    {"4000 regions of 300 scans", manyRegions},
    {"double-byte text too large to draw", undrawnDoubleByteText},
};

QColor randomColor(QRandomGenerator& rng) {
    return QColor(rng.bounded(256), rng.bounded(256), rng.bounded(256));
}

} // namespace

QByteArray richPicture(QSize size, int records) {
    QRandomGenerator rng(481);
    WmfWriter w;
    const QSize logical = size * 4;
    w.setMapMode(8).setWindowOrg(0, 0).setWindowExt(logical.width(), logical.height());
    w.selectObject(w.createPen(PsSolid, 0, Qt::black));
    w.selectObject(w.createFont(-48, 400, "DejaVu Sans"));
    for (int shape = 0; w.recordCount() < records - 4; ++shape) {
        const int brush = w.createBrush(BsSolid, randomColor(rng));
        w.selectObject(brush);
        const QPoint centre(rng.bounded(logical.width()), rng.bounded(logical.height()));
        const double u = rng.generateDouble();
        const int radius = shape % 400 == 0 ? 1200 : int(16 + 240 * u * u * u);
        switch (rng.bounded(10)) {
        case 0:
            w.ellipse(QRect(centre, QSize(2 * radius, radius + rng.bounded(radius + 1))));
            break;
        case 1:
            w.setTextColor(randomColor(rng)).setBkMode(1).textOut(centre, "Galvia");
            break;
        default: {
            QList<QPoint> points;
            const int n = 6 + rng.bounded(19);
            for (int i = 0; i < n; ++i) {
                const double angle = 2 * M_PI * i / n;
                const double r = radius * (0.6 + 0.4 * rng.generateDouble());
                points.append(centre + QPoint(int(r * std::cos(angle)), int(r * std::sin(angle))));
            }
            if (rng.bounded(4) == 0)
                w.polyline(points);
            else
                w.polygon(points);
        }
        }
        w.deleteObject(brush);
    }
    return w.data();
}

QList<const char*> hostileKinds() {
    QList<const char*> names;
    for (const Kind& k : kinds)
        names.append(k.name);
    return names;
}

QByteArray hostileFile(const char* kind) {
    for (const Kind& k : kinds)
        if (std::strcmp(k.name, kind) == 0) return k.make();
    return {};
}

} // namespace galvia::wmftools
