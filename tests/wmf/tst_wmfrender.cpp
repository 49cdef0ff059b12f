// Rendering of each family of metafile records, natural sizes and the object table.
#include "wmftestutil.h"
#include "wmftext.h"
#include "wmfwriter.h"

#include <QPainter>
#include <QTest>

Q_IMPORT_PLUGIN(GalviaWmfPlugin)

using galvia::wmftools::WmfWriter;
using namespace galvia::wmftest;

namespace {

constexpr QRgb red = 0xffff0000, green = 0xff00ff00, blue = 0xff0000ff, yellow = 0xffffff00,
               black = 0xff000000, white = 0xffffffff, cyan = 0xff00ffff;
enum { BsSolid = 0, BsNull = 1, BsHatched = 2, PsNull = 5 };

// A 100 x 100 plain metafile with a solid brush and an invisible pen selected.
WmfWriter canvas(QRgb brush = red) {
    WmfWriter w;
    w.setWindowExt(100, 100);
    w.selectObject(w.createBrush(BsSolid, brush));
    w.selectObject(w.createPen(PsNull, 0, Qt::black));
    return w;
}

QImage quadrants(bool twoColours) {
    QImage image(8, 8, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, 4, 4, twoColours ? Qt::black : Qt::red);
    p.fillRect(4, 0, 4, 4, twoColours ? Qt::white : Qt::green);
    p.fillRect(0, 4, 4, 4, twoColours ? Qt::white : Qt::blue);
    p.fillRect(4, 4, 4, 4, twoColours ? Qt::black : Qt::yellow);
    return image;
}

QList<Probe> quadrantProbes(bool twoColours, int side = 80) {
    const int far = side - 3;
    return {pixel({2, 2}, twoColours ? black : red), pixel({far, 2}, twoColours ? white : green),
            pixel({2, far}, twoColours ? white : blue),
            pixel({far, far}, twoColours ? black : yellow)};
}

// Pixels that differ by more than a little in any channel.
int differingPixels(const QImage& a, const QImage& b) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qAlpha(p) - qAlpha(q)) > 48 || std::abs(qRed(p) - qRed(q)) > 48 ||
                std::abs(qGreen(p) - qGreen(q)) > 48 || std::abs(qBlue(p) - qBlue(q)) > 48)
                ++count;
        }
    return count;
}

} // namespace

class TestWmfRender : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void registered();
    void naturalSize_data();
    void naturalSize();
    void sizeReadsOnlyTheFrame_data();
    void sizeReadsOnlyTheFrame();
    void records_data();
    void records();
    void bitmaps_data();
    void bitmaps();
    void dibScans_data();
    void dibScans();
    void deviceBitmaps_data();
    void deviceBitmaps();
    void regions_data();
    void regions();
    void regionBrushes_data();
    void regionBrushes();
    void characterSets_data();
    void characterSets();
    void textInCharacterSets_data();
    void textInCharacterSets();
    void objectTable_data();
    void objectTable();
    void scaledSizeIsVector();
    void samples_data();
    void samples();
};

void TestWmfRender::registered() {
    QVERIFY(QImageReader::supportedImageFormats().contains("wmf"));
    // Content sniffing, without a format given, for both kinds of header.
    for (bool placeable : {false, true}) {
        WmfWriter w = canvas();
        if (placeable) w.setPlaceable(QRect(0, 0, 100, 100), 96);
        QBuffer buffer;
        buffer.setData(w.rectangle(QRect(0, 0, 50, 50)).data());
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        QCOMPARE(reader.format(), QByteArray("wmf"));
        QVERIFY(!reader.read().isNull());
    }
}

void TestWmfRender::naturalSize_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QSize>("size");

    WmfWriter inches;
    inches.setPlaceable(QRect(0, 0, 2880, 1440), 1440);
    QTest::newRow("placeable twips") << inches.data() << QSize(192, 96);
    WmfWriter offset;
    offset.setPlaceable(QRect(-500, -250, 1000, 500), 1000);
    QTest::newRow("placeable offset box") << offset.data() << QSize(96, 48);
    WmfWriter badSum;
    badSum.setPlaceable(QRect(0, 0, 96, 96), 96, false);
    QTest::newRow("placeable wrong checksum") << badSum.data() << QSize(96, 96);
    WmfWriter plain;
    plain.setWindowOrg(-20, 40).setWindowExt(300, 200);
    QTest::newRow("plain extent") << plain.data() << QSize(300, 200);
    WmfWriter flipped;
    flipped.setWindowExt(300, -200);
    QTest::newRow("plain negative extent") << flipped.data() << QSize(300, 200);
    WmfWriter late;
    late.rectangle(QRect(0, 0, 5, 5)).setWindowExt(64, 32).setWindowExt(500, 500);
    QTest::newRow("first extent counts") << late.data() << QSize(64, 32);
    WmfWriter bare;
    bare.rectangle(QRect(0, 0, 5, 5));
    QTest::newRow("plain without extent") << bare.data() << QSize(1000, 1000);
    QByteArray disk = plain.data();
    disk[0] = 2;
    QTest::newRow("disk metafile") << disk << QSize(300, 200);
}

void TestWmfRender::naturalSize() {
    QFETCH(QByteArray, file);
    QFETCH(QSize, size);
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "wmf");
    QCOMPARE(reader.size(), size);
    const QImage image = reader.read();
    QCOMPARE(image.size(), size);
}

// A device that remembers the furthest byte anyone read from it.
class CountingDevice : public QIODevice {
public:
    explicit CountingDevice(QByteArray data)
        : m_data(std::move(data)) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    qint64 furthest = 0;

protected:
    qint64 readData(char* data, qint64 max) override {
        const qint64 n = qMin(max, m_data.size() - pos());
        std::memcpy(data, m_data.constData() + pos(), size_t(n));
        furthest = qMax(furthest, pos() + n);
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }
    qint64 size() const override { return m_data.size(); }

private:
    QByteArray m_data;
};

void TestWmfRender::sizeReadsOnlyTheFrame_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<qint64>("limit");

    WmfWriter placeable = canvas();
    placeable.setPlaceable(QRect(0, 0, 100, 100), 96);
    for (int i = 0; i < 500; ++i)
        placeable.rectangle(QRect(i % 90, 0, 10, 10));
    QTest::newRow("placeable") << placeable.data() << qint64(22);
    WmfWriter plain;
    plain.setMapMode(8).setWindowOrg(0, 0).setWindowExt(100, 100);
    for (int i = 0; i < 500; ++i)
        plain.rectangle(QRect(i % 90, 0, 10, 10));
    QTest::newRow("plain") << plain.data() << qint64(18 + 8 + 10 + 10);
}

void TestWmfRender::sizeReadsOnlyTheFrame() {
    QFETCH(QByteArray, file);
    QFETCH(qint64, limit);
    CountingDevice device(file);
    QImageReader reader(&device, "wmf");
    QCOMPARE(reader.size(), QSize(100, 100));
    QVERIFY2(device.furthest <= limit, qPrintable(QString::number(device.furthest)));
}

void TestWmfRender::records_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<Probe>>("probes");

    QTest::newRow("polygon") << canvas().polygon({{10, 10}, {90, 10}, {10, 90}}).data()
                             << QList<Probe>{pixel({20, 20}, red), pixel({80, 80}, none)};
    {
        WmfWriter w = canvas(green);
        w.selectObject(w.createPen(0, 6, Qt::blue)).rectangle(QRect(10, 10, 80, 80));
        QTest::newRow("rectangle and pen")
            << w.data()
            << QList<Probe>{pixel({50, 50}, green), pixel({10, 50}, blue), pixel({5, 5}, none)};
    }
    QTest::newRow("ellipse") << canvas().ellipse(QRect(0, 0, 100, 100)).data()
                             << QList<Probe>{pixel({50, 50}, red), pixel({4, 4}, none),
                                             pixel({50, 3}, red)};
    QTest::newRow("roundrect") << canvas().roundRect(QRect(0, 0, 100, 100), 60, 60).data()
                               << QList<Probe>{pixel({50, 50}, red), pixel({3, 3}, none),
                                               pixel({50, 2}, red)};
    const QList<QList<QPoint>> nested{{{10, 10}, {90, 10}, {90, 90}, {10, 90}},
                                      {{30, 30}, {70, 30}, {70, 70}, {30, 70}}};
    QTest::newRow("polypolygon alternate")
        << canvas().polyPolygon(nested).data()
        << QList<Probe>{pixel({50, 50}, none), pixel({20, 50}, red)};
    QTest::newRow("polypolygon winding")
        << canvas().setPolyFillMode(2).polyPolygon(nested).data()
        << QList<Probe>{pixel({50, 50}, red), pixel({20, 50}, red)};
    {
        WmfWriter w;
        w.setWindowExt(100, 100);
        w.selectObject(w.createPen(0, 4, Qt::blue));
        w.moveTo({10, 50}).lineTo({90, 50}).polyline({{50, 10}, {50, 30}});
        QTest::newRow("lineto polyline")
            << w.data()
            << QList<Probe>{pixel({30, 50}, blue), pixel({50, 20}, blue), pixel({30, 30}, none)};
    }
    {
        // Counter-clockwise from the right to the top: the upper right quarter.
        WmfWriter w = canvas();
        w.arc(WmfWriter::Pie, QRect(0, 0, 100, 100), {100, 50}, {50, 0});
        QTest::newRow("pie") << w.data()
                             << QList<Probe>{pixel({70, 30}, red), pixel({30, 30}, none),
                                             pixel({70, 70}, none)};
        WmfWriter mirrored = canvas();
        mirrored.setWindowOrg(0, 100).setWindowExt(100, -100);
        mirrored.arc(WmfWriter::Pie, QRect(0, 0, 100, 100), {100, 50}, {50, 100});
        QTest::newRow("pie on upward y")
            << mirrored.data() << QList<Probe>{pixel({70, 30}, red), pixel({70, 70}, none)};
        WmfWriter chord = canvas();
        chord.arc(WmfWriter::Chord, QRect(0, 0, 100, 100), {100, 50}, {0, 50});
        QTest::newRow("chord") << chord.data()
                               << QList<Probe>{pixel({50, 20}, red), pixel({50, 80}, none)};
        WmfWriter arc;
        arc.setWindowExt(100, 100);
        arc.selectObject(arc.createPen(0, 4, Qt::blue));
        arc.arc(WmfWriter::Arc, QRect(0, 0, 100, 100), {0, 50}, {100, 50});
        QTest::newRow("arc") << arc.data()
                             << QList<Probe>{pixel({50, 98}, blue), pixel({50, 2}, none),
                                             pixel({50, 50}, none)};
    }
    {
        WmfWriter w;
        w.setWindowExt(100, 100);
        w.selectObject(w.createBrush(BsHatched, Qt::blue, 4)).setBkColor(Qt::yellow);
        w.rectangle(QRect(0, 0, 100, 50)).setBkMode(1).rectangle(QRect(0, 50, 100, 50));
        QTest::newRow("hatched brush")
            << w.data()
            << QList<Probe>{has(QRect(20, 10, 20, 20), blue), has(QRect(20, 10, 20, 20), yellow),
                            has(QRect(20, 60, 20, 20), blue), has(QRect(20, 60, 20, 20), none)};
    }
    {
        WmfWriter w;
        w.setWindowExt(100, 100);
        w.selectObject(w.createBrush(BsNull, Qt::red));
        w.selectObject(w.createPen(0, 4, Qt::blue)).rectangle(QRect(10, 10, 80, 80));
        QTest::newRow("null brush")
            << w.data() << QList<Probe>{pixel({50, 50}, none), pixel({10, 50}, blue)};
    }
    {
        WmfWriter w;
        w.setWindowExt(200, 100);
        w.selectObject(w.createFont(-40, 700, "DejaVu Sans"));
        w.setTextColor(Qt::blue).setBkMode(1).textOut({10, 10}, "WWW");
        w.setTextAlign(2).textOut({190, 60}, "MM");
        QTest::newRow("textout and alignment")
            << w.data()
            << QList<Probe>{has(QRect(10, 10, 60, 40), blue), lacks(QRect(0, 0, 200, 9), blue),
                            has(QRect(120, 60, 70, 40), blue), lacks(QRect(0, 60, 100, 40), blue)};
    }
    {
        WmfWriter w;
        w.setWindowExt(200, 100);
        w.selectObject(w.createFont(-30, 400, "DejaVu Sans"));
        w.setTextColor(Qt::blue).setBkColor(Qt::yellow);
        w.extTextOut({10, 10}, "ABC", 2, QRect(0, 0, 200, 50), {80, 80, 20});
        QTest::newRow("exttextout opaque and spacing")
            << w.data()
            << QList<Probe>{pixel({195, 45}, yellow), has(QRect(10, 10, 25, 35), blue),
                            has(QRect(90, 10, 25, 35), blue), lacks(QRect(45, 10, 35, 35), blue),
                            pixel({100, 80}, none)};
    }
    {
        WmfWriter w = canvas();
        w.setMapMode(8).setWindowOrg(0, 100).setWindowExt(100, -100).rectangle(
            QRect(0, 50, 50, 50));
        QTest::newRow("anisotropic upward y")
            << w.data() << QList<Probe>{pixel({20, 20}, red), pixel({20, 80}, none)};
        WmfWriter metric = canvas();
        metric.setMapMode(2).rectangle(QRect(0, -254, 254, 254));
        QTest::newRow("lometric") << metric.data()
                                  << QList<Probe>{pixel({90, 90}, red), pixel({99, 99}, none)};
        WmfWriter iso = canvas();
        iso.setMapMode(7).setWindowExt(200, 100).setViewportExt(100, 100).rectangle(
            QRect(0, 0, 200, 100));
        QTest::newRow("isotropic")
            << iso.data() << QList<Probe>{pixel({90, 40}, red), pixel({90, 60}, none)};
        WmfWriter text = canvas();
        text.setMapMode(1).setViewportOrg(50, 50).rectangle(QRect(0, 0, 10, 10));
        QTest::newRow("text mode with viewport origin")
            << text.data() << QList<Probe>{pixel({55, 55}, red), pixel({5, 5}, none)};
    }
    {
        WmfWriter w = canvas();
        const int greenBrush = w.createBrush(BsSolid, Qt::green);
        w.saveDc().selectObject(greenBrush).saveDc().intersectClipRect(QRect(0, 0, 10, 10));
        w.restoreDc(-2).rectangle(QRect(0, 0, 100, 50));
        w.saveDc().saveDc().selectObject(greenBrush).restoreDc(1).rectangle(QRect(0, 50, 100, 50));
        QTest::newRow("savedc restoredc")
            << w.data() << QList<Probe>{pixel({50, 25}, red), pixel({50, 75}, red)};
    }
    {
        WmfWriter w = canvas();
        w.intersectClipRect(QRect(10, 10, 80, 80)).excludeClipRect(QRect(40, 40, 20, 20));
        w.rectangle(QRect(0, 0, 100, 100));
        QTest::newRow("clipping") << w.data()
                                  << QList<Probe>{pixel({5, 5}, none), pixel({20, 20}, red),
                                                  pixel({50, 50}, none)};
    }
    {
        WmfWriter w = canvas();
        w.rectangle(QRect(0, 0, 100, 100));
        w.selectObject(w.createBrush(BsSolid, Qt::white));
        w.setRop2(7).rectangle(QRect(0, 0, 30, 100));
        w.setRop2(6).rectangle(QRect(30, 0, 30, 100));
        w.setRop2(11).rectangle(QRect(60, 0, 20, 100));
        w.setRop2(13).rectangle(QRect(80, 0, 20, 100));
        QTest::newRow("rop2") << w.data()
                              << QList<Probe>{pixel({15, 50}, cyan), pixel({45, 50}, cyan),
                                              pixel({70, 50}, red), pixel({90, 50}, white)};
    }
    {
        WmfWriter w = canvas();
        w.patBlt(QRect(0, 0, 100, 50), 0x00F00021).patBlt(QRect(0, 0, 50, 50), 0x00550009);
        w.patBlt(QRect(0, 50, 50, 50), 0x00000042);
        QTest::newRow("patblt") << w.data()
                                << QList<Probe>{pixel({75, 25}, red), pixel({25, 25}, cyan),
                                                pixel({25, 75}, black), pixel({75, 75}, none)};
    }
    {
        WmfWriter w = canvas();
        w.record(0x0626, {15, 6, 1, 2, 3}).record(0x0999, {1, 2, 3, 4});
        w.selectPalette(w.createPalette({Qt::red})).record(0x0035, {});
        w.rectangle(QRect(0, 0, 100, 100));
        QTest::newRow("escape, palette and unknown records skipped")
            << w.data() << QList<Probe>{pixel({50, 50}, red)};
    }
}

void TestWmfRender::records() {
    QFETCH(QByteArray, file);
    QFETCH(QList<Probe>, probes);
    bool ok = false;
    const QImage image = readWmf(file, {}, &ok);
    QVERIFY(ok);
    const QString failure = check(image, probes);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void TestWmfRender::bitmaps_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<Probe>>("probes");

    for (int bits : {1, 4, 8, 16, 24, 32}) {
        const bool two = bits == 1;
        const QImage image = quadrants(two);
        WmfWriter w;
        w.setWindowExt(80, 80);
        w.stretchDib(QRect(0, 0, 80, 80), QRect(0, 0, 8, 8), WmfWriter::dib(image, bits));
        QTest::addRow("stretchdib %d bits", bits) << w.data() << quadrantProbes(two);
        WmfWriter top;
        top.setWindowExt(80, 80);
        top.dibStretchBlt(QRect(0, 0, 80, 80), QRect(0, 0, 8, 8),
                          WmfWriter::dib(image, bits, WmfWriter::Dib::Rgb, true));
        QTest::addRow("dibstretchblt %d bits top-down", bits) << top.data() << quadrantProbes(two);
    }
    for (int bits : {4, 8}) {
        WmfWriter w;
        w.setWindowExt(8, 8);
        w.dibBitBlt(QPoint(0, 0), QRect(0, 0, 8, 8),
                    WmfWriter::dib(quadrants(false), bits, WmfWriter::Dib::Rle));
        QTest::addRow("dibbitblt rle%d", bits) << w.data() << quadrantProbes(false, 8);
    }
    {
        QImage varied = quadrants(false);
        varied.setPixel(1, 1, qRgb(0, 0, 255));
        varied.setPixel(2, 1, qRgb(0, 255, 0));
        WmfWriter w;
        w.setWindowExt(8, 8);
        w.setDibToDev(QPoint(0, 0), QSize(8, 8), WmfWriter::dib(varied, 8, WmfWriter::Dib::Rle));
        QTest::newRow("setdibtodev rle8 absolute runs")
            << w.data()
            << (quadrantProbes(false, 8) << pixel({1, 1}, blue) << pixel({2, 1}, green));
    }
    {
        // Straight from the bits, source rows of a bottom-up bitmap count from its bottom.
        WmfWriter w;
        w.setWindowExt(80, 80);
        w.stretchDib(QRect(0, 0, 80, 80), QRect(0, 0, 4, 4), WmfWriter::dib(quadrants(false), 24));
        QTest::newRow("stretchdib source rows from the bottom")
            << w.data() << QList<Probe>{pixel({2, 2}, blue), pixel({77, 77}, blue)};
    }
    {
        // Monochrome bitmap: header, 18 unused bytes, then rows of 2 bytes.
        QByteArray mono = QByteArray::fromHex("0000 0800 0800 0200 0101 00000000");
        mono += QByteArray(18, '\0');
        for (int row = 0; row < 8; ++row)
            mono += QByteArray::fromHex(row < 4 ? "f000" : "0f00");
        WmfWriter w;
        w.setWindowExt(80, 80);
        w.selectObject(w.createPen(PsNull, 0, Qt::black)); // slot 0
        w.record(0x01F9, mono).selectObject(1).rectangle(QRect(0, 0, 80, 80));
        QTest::newRow("monochrome pattern brush")
            << w.data()
            << QList<Probe>{has(QRect(0, 0, 16, 16), black), has(QRect(0, 0, 16, 16), white)};
    }
    {
        WmfWriter w;
        w.setWindowExt(80, 80);
        w.selectObject(w.createPatternBrush(WmfWriter::dib(quadrants(false), 24)));
        w.selectObject(w.createPen(PsNull, 0, Qt::black)).rectangle(QRect(0, 0, 80, 80));
        QTest::newRow("pattern brush")
            << w.data()
            << QList<Probe>{has(QRect(0, 0, 16, 16), red), has(QRect(0, 0, 16, 16), yellow),
                            has(QRect(60, 60, 16, 16), green)};
    }
}

// Old device-dependent bitmaps in colour: each depth and layout gives its quadrants the colours
// the device's palette, or the pixel's own value, defines.
void TestWmfRender::deviceBitmaps_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<Probe>>("probes");

    constexpr QRgb darkRed = 0xff800000, lightGrey = 0xffc0c0c0, darkCyan = 0xff008080;
    // An 8 x 8 bitmap of four values, one a quadrant.
    auto quadrantValues = [](int a, int b, int c, int d) {
        QList<QList<int>> rows;
        for (int y = 0; y < 8; ++y) {
            QList<int> row;
            for (int x = 0; x < 8; ++x)
                row << (y < 4 ? (x < 4 ? a : b) : (x < 4 ? c : d));
            rows << row;
        }
        return rows;
    };
    auto stretched = [](const QByteArray& bitmap) {
        WmfWriter w;
        w.setWindowExt(80, 80);
        w.stretchBlt(QRect(0, 0, 80, 80), QRect(0, 0, 8, 8), bitmap);
        return w.data();
    };
    auto probes = [](QRgb a, QRgb b, QRgb c, QRgb d) {
        return QList<Probe>{pixel({2, 2}, a), pixel({77, 2}, b), pixel({2, 77}, c),
                            pixel({77, 77}, d)};
    };
    QTest::newRow("1 bit") << stretched(WmfWriter::bitmap16(quadrantValues(0, 1, 1, 0), 1))
                           << probes(black, white, white, black);
    QTest::newRow("4 bits, the sixteen colours")
        << stretched(WmfWriter::bitmap16(quadrantValues(9, 10, 12, 1), 4))
        << probes(red, green, blue, darkRed);
    QTest::newRow("4 planes of one bit")
        << stretched(WmfWriter::bitmap16(quadrantValues(9, 11, 7, 6), 1, 4))
        << probes(red, yellow, lightGrey, darkCyan);
    QTest::newRow("3 planes of one bit")
        << stretched(WmfWriter::bitmap16(quadrantValues(0, 1, 6, 7), 1, 3))
        << probes(black, darkRed, darkCyan, lightGrey);
    QTest::newRow("8 bits, fixed colours at both ends")
        << stretched(WmfWriter::bitmap16(quadrantValues(249, 250, 252, 7), 8))
        << probes(red, green, blue, lightGrey);
    for (int bits : {16, 24, 32})
        QTest::addRow("%d bits", bits)
            << stretched(WmfWriter::bitmap16(quadrantValues(0xff0000, 0x00ff00, 0x0000ff, 0xffff00),
                                             bits))
            << probes(red, green, blue, yellow);
    {
        WmfWriter w;
        w.setWindowExt(8, 8);
        w.bitBlt(QPoint(0, 0), QRect(0, 0, 8, 8),
                 WmfWriter::bitmap16(quadrantValues(0xff0000, 0x00ff00, 0x0000ff, 0x00ffff), 24));
        QTest::newRow("bitblt 24 bits") << w.data()
                                        << QList<Probe>{pixel({1, 1}, red), pixel({6, 1}, green),
                                                        pixel({1, 6}, blue), pixel({6, 6}, cyan)};
    }
    {
        WmfWriter w;
        w.setWindowExt(80, 80);
        w.selectObject(w.createPen(PsNull, 0, Qt::black));
        w.rectangle(QRect(0, 0, 80, 80)); // white under the blit
        w.stretchBlt(QRect(0, 0, 80, 80), QRect(0, 0, 8, 8),
                     WmfWriter::bitmap16(quadrantValues(9, 10, 12, 1), 4), 0x008800C6);
        QTest::newRow("4 bits with srcand") << w.data() << probes(red, green, blue, darkRed);
    }
    QTest::newRow("5 bits a pixel refused")
        << stretched(WmfWriter::bitmap16(quadrantValues(1, 2, 3, 4), 5))
        << probes(none, none, none, none);
}

void TestWmfRender::deviceBitmaps() {
    records();
}

// SETDIBTODEV draws, of its source rectangle, only the scan lines it carries: those from its
// start scan on, counted from the bottom of a bottom-up bitmap.
void TestWmfRender::dibScans_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<Probe>>("probes");

    const QImage image = quadrants(false); // red, green over blue, yellow
    auto band = [&](QRect source, int first, int count, bool topDown = false, int carried = -1) {
        WmfWriter w;
        w.setWindowExt(8, 8);
        w.setDibToDev(
            QPoint(0, 0), source, first, count,
            WmfWriter::dibScans(image, 24, first, carried < 0 ? count : carried, topDown));
        return w.data();
    };
    const QRect whole(0, 0, 8, 8);
    QTest::newRow("all scans") << band(whole, 0, 8)
                               << QList<Probe>{pixel({1, 1}, red), pixel({6, 1}, green),
                                               pixel({1, 6}, blue), pixel({6, 6}, yellow)};
    QTest::newRow("bottom scans of a bottom-up bitmap")
        << band(whole, 0, 4)
        << QList<Probe>{pixel({1, 1}, none), pixel({6, 3}, none), pixel({1, 4}, blue),
                        pixel({6, 7}, yellow)};
    QTest::newRow("top scans of a bottom-up bitmap")
        << band(whole, 4, 4)
        << QList<Probe>{pixel({1, 0}, red), pixel({6, 3}, green), pixel({1, 4}, none),
                        pixel({6, 7}, none)};
    QTest::newRow("middle scans") << band(whole, 3, 2)
                                  << QList<Probe>{pixel({1, 2}, none), pixel({1, 3}, red),
                                                  pixel({6, 4}, yellow), pixel({6, 5}, none)};
    QTest::newRow("first scans of a top-down bitmap")
        << band(whole, 0, 4, true)
        << QList<Probe>{pixel({1, 0}, red), pixel({6, 3}, green), pixel({1, 4}, none),
                        pixel({6, 7}, none)};
    QTest::newRow("source rows beside the scans")
        << band(QRect(0, 4, 8, 4), 0, 2)
        << QList<Probe>{lacks(whole, red), lacks(whole, blue), lacks(whole, yellow)};
    QTest::newRow("source within the scans, moved to the destination's top")
        << band(QRect(4, 0, 4, 4), 0, 4)
        << QList<Probe>{pixel({1, 1}, yellow), pixel({3, 3}, yellow), pixel({5, 1}, none),
                        pixel({1, 5}, none)};
    QTest::newRow("no scans") << band(whole, 0, 0, false, 8)
                              << QList<Probe>{lacks(whole, red), lacks(whole, blue)};
    QTest::newRow("more scans than the bitmap's height")
        << band(whole, 0, 20, false, 8) << QList<Probe>{pixel({1, 1}, red), pixel({6, 6}, yellow)};
}

void TestWmfRender::dibScans() {
    records();
}

void TestWmfRender::bitmaps() {
    records();
}

// Regions as CREATEREGION carries them, scan by scan, painted, framed, inverted or clipping;
// right and bottom boundaries are excluded.
void TestWmfRender::regions_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<Probe>>("probes");
    using Scan = WmfWriter::Scan;
    // Two spans over rows 10 to 29, one wide span over rows 30 to 49.
    const QList<Scan> notched = {{10, 30, {10, 30, 60, 80}}, {30, 50, {10, 80}}};
    const QList<Probe> notchedProbes = {
        pixel({20, 20}, red), pixel({70, 20}, red),  pixel({45, 20}, none), pixel({45, 40}, red),
        pixel({79, 49}, red), pixel({80, 40}, none), pixel({45, 50}, none), pixel({10, 10}, red),
        pixel({9, 40}, none), pixel({45, 9}, none)};
    {
        WmfWriter w = canvas();
        w.paintRegion(w.createRegion(notched));
        QTest::newRow("paintregion with the selected brush") << w.data() << notchedProbes;
    }
    {
        WmfWriter w = canvas(green);
        const int brush = w.createBrush(BsSolid, Qt::red);
        w.fillRegion(w.createRegion(notched), brush).rectangle(QRect(0, 90, 100, 10));
        QTest::newRow("fillregion with its own brush")
            << w.data() << (QList<Probe>(notchedProbes) << pixel({50, 95}, green));
    }
    {
        WmfWriter w = canvas(green);
        const int brush = w.createBrush(BsSolid, Qt::red);
        w.frameRegion(w.createRegion({{10, 90, {10, 90}}}), brush, 5, 10);
        QTest::newRow("frameregion inside the region, width and height apart")
            << w.data()
            << QList<Probe>{pixel({10, 50}, red),  pixel({14, 50}, red), pixel({15, 50}, none),
                            pixel({50, 10}, red),  pixel({50, 19}, red), pixel({50, 20}, none),
                            pixel({89, 50}, red),  pixel({85, 50}, red), pixel({84, 50}, none),
                            pixel({50, 89}, red),  pixel({50, 80}, red), pixel({50, 79}, none),
                            pixel({50, 50}, none), pixel({9, 50}, none), pixel({50, 90}, none)};
    }
    {
        WmfWriter w = canvas(green);
        const int brush = w.createBrush(BsSolid, Qt::red);
        w.frameRegion(w.createRegion(notched), brush, 2, 2);
        QTest::newRow("frameregion follows the notch")
            << w.data()
            << QList<Probe>{pixel({29, 20}, red),  pixel({28, 20}, red),  pixel({27, 20}, none),
                            pixel({60, 20}, red),  pixel({62, 20}, none), pixel({45, 31}, red),
                            pixel({45, 32}, none), pixel({45, 28}, none), pixel({20, 20}, none),
                            pixel({45, 40}, none), pixel({45, 48}, red)};
    }
    {
        WmfWriter w = canvas();
        w.rectangle(QRect(0, 0, 100, 100)).invertRegion(w.createRegion({{0, 100, {0, 50}}}));
        QTest::newRow("invertregion")
            << w.data() << QList<Probe>{pixel({25, 50}, cyan), pixel({75, 50}, red)};
    }
    {
        WmfWriter w = canvas();
        w.selectClipRegion(w.createRegion(notched)).rectangle(QRect(0, 0, 100, 100));
        QTest::newRow("selectclipregion") << w.data() << notchedProbes;
    }
    {
        WmfWriter w = canvas();
        w.selectObject(w.createRegion(notched)).rectangle(QRect(0, 0, 100, 100));
        QTest::newRow("selecting a region clips") << w.data() << notchedProbes;
    }
    {
        WmfWriter w = canvas();
        w.intersectClipRect(QRect(0, 0, 20, 20));
        w.selectClipRegion(w.createRegion(notched)).rectangle(QRect(0, 0, 100, 100));
        QTest::newRow("selectclipregion replaces the clip") << w.data() << notchedProbes;
    }
    {
        WmfWriter w = canvas();
        const int region = w.createRegion({{0, 20, {0, 20}}});
        w.selectClipRegion(region).deleteObject(region).offsetClipRgn(50, 60);
        w.rectangle(QRect(0, 0, 100, 100));
        QTest::newRow("offsetcliprgn, the region deleted")
            << w.data()
            << QList<Probe>{pixel({55, 65}, red), pixel({69, 79}, red), pixel({10, 10}, none),
                            pixel({70, 65}, none), pixel({55, 80}, none)};
    }
    {
        WmfWriter w = canvas();
        w.offsetClipRgn(50, 50).rectangle(QRect(0, 0, 100, 100));
        QTest::newRow("offsetcliprgn without a clip")
            << w.data() << QList<Probe>{pixel({10, 10}, red), pixel({90, 90}, red)};
    }
    {
        WmfWriter w = canvas();
        const int region = w.createRegion({{0, 20, {0, 20}}});
        w.saveDc().selectClipRegion(region).restoreDc(-1).rectangle(QRect(0, 0, 100, 100));
        QTest::newRow("restoredc takes the clip region back")
            << w.data() << QList<Probe>{pixel({50, 50}, red)};
    }
    {
        WmfWriter w = canvas();
        w.intersectClipRect(QRect(0, 0, 40, 100)).paintRegion(w.createRegion(notched));
        QTest::newRow("paintregion within the clip")
            << w.data() << QList<Probe>{pixel({20, 20}, red), pixel({45, 40}, none)};
    }
    {
        // Logical units of a quarter of a pixel, y upwards: the region is mapped as shapes are.
        WmfWriter w;
        w.setPlaceable(QRect(0, -400, 400, 400), 384);
        w.setMapMode(8).setWindowOrg(0, 0).setWindowExt(400, -400);
        w.selectObject(w.createBrush(BsSolid, Qt::red));
        w.paintRegion(w.createRegion({{-200, -40, {40, 120}}}));
        QTest::newRow("region through the mapping")
            << w.data()
            << QList<Probe>{pixel({10, 10}, red), pixel({29, 49}, red), pixel({30, 30}, none),
                            pixel({20, 50}, none), pixel({20, 9}, none)};
    }
    {
        WmfWriter w = canvas();
        w.selectObject(w.createBrush(BsSolid, Qt::white)).rectangle(QRect(0, 0, 100, 100));
        w.selectObject(0).record(0x06FF, QByteArray(10, '\0')); // cut short: empty, in slot 3
        w.paintRegion(3).selectClipRegion(3).rectangle(QRect(0, 0, 50, 100));
        QTest::newRow("unreadable region keeps its slot, clips all")
            << w.data() << QList<Probe>{pixel({25, 50}, white), pixel({75, 50}, white)};
    }
}

void TestWmfRender::regions() {
    records();
}

// A region filled with a brush shows what a rectangle of the same place shows with it, hatches
// and patterns lying where they lie for every shape, at the natural size and drawn larger.
void TestWmfRender::regionBrushes_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("hatch");
    QTest::addColumn<QSize>("size");
    for (const QSize size : {QSize(100, 100), QSize(250, 250)}) {
        QTest::addRow("solid, %d pixels", size.width()) << int(BsSolid) << 0 << size;
        for (int hatch = 0; hatch < 6; ++hatch)
            QTest::addRow("hatch %d, %d pixels", hatch, size.width())
                << int(BsHatched) << hatch << size;
        QTest::addRow("pattern, %d pixels", size.width()) << 3 << 0 << size;
    }
}

void TestWmfRender::regionBrushes() {
    QFETCH(int, style);
    QFETCH(int, hatch);
    QFETCH(QSize, size);
    auto picture = [&](bool region) {
        WmfWriter w = canvas(white);
        w.rectangle(QRect(0, 0, 100, 100));
        const int brush = style == 3 ? w.createPatternBrush(WmfWriter::dib(quadrants(false), 24))
                                     : w.createBrush(style, Qt::blue, hatch);
        const QRect place(10, 20, 70, 50);
        if (region) {
            w.fillRegion(
                w.createRegion(
                    {{place.top(), place.bottom() + 1, {place.left(), place.right() + 1}}}),
                brush);
        } else {
            w.selectObject(brush).rectangle(place);
        }
        return readWmf(w.data(), size).convertToFormat(QImage::Format_ARGB32);
    };
    const QImage filled = picture(true);
    QVERIFY(regionHas(filled, filled.rect(), style == 3 ? red : blue));
    QCOMPARE(differingPixels(filled, picture(false)), 0);
}

// Each character set's code page, the Symbol font's codes and those of other symbol fonts.
void TestWmfRender::characterSets_data() {
    QTest::addColumn<int>("charset");
    QTest::addColumn<QString>("face");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("bytesEach");

    using namespace galvia::wmf;
    const QList<int> ones = {1, 1, 1, 1};
    QTest::newRow("ansi") << int(AnsiCharset) << "Arial" << QByteArray("\x80\xE9\x9C")
                          << QStringLiteral("€éœ") << ones.first(3);
    QTest::newRow("default") << int(DefaultCharset) << "Arial" << QByteArray("\x93\x94")
                             << QStringLiteral("“”") << ones.first(2);
    QTest::newRow("symbol greek") << int(SymbolCharset) << "Symbol" << QByteArray("abgpW")
                                  << QStringLiteral("αβγπΩ") << QList<int>(5, 1);
    QTest::newRow("symbol signs") << int(SymbolCharset) << "Symbol"
                                  << QByteArray("\xA5\xB1\xB9\xD6\xE5\xF2\xB3\xCE\x22")
                                  << QStringLiteral("∞±≠√∑∫≥∈∀") << QList<int>(9, 1);
    QTest::newRow("symbol font named in ansi") << int(AnsiCharset) << "symbol" << QByteArray("DS")
                                               << QStringLiteral("ΔΣ") << ones.first(2);
    QTest::newRow("other symbol font") << int(SymbolCharset) << "Wingdings" << QByteArray("J\xFC")
                                       << QStringLiteral("\uF04A\uF0FC") << ones.first(2);
    QTest::newRow("greek") << int(GreekCharset) << "Arial" << QByteArray("\xE1\xC2\xD9")
                           << QStringLiteral("αΒΩ") << ones.first(3);
    QTest::newRow("turkish") << int(TurkishCharset) << "Arial" << QByteArray("\xF0\xDD\xFE")
                             << QStringLiteral("ğİş") << ones.first(3);
    QTest::newRow("baltic") << int(BalticCharset) << "Arial" << QByteArray("\xE0\xD0")
                            << QStringLiteral("ąŠ") << ones.first(2);
    QTest::newRow("russian") << int(RussianCharset) << "Arial" << QByteArray("\xC6\xE8\xF0")
                             << QStringLiteral("Жир") << ones.first(3);
    QTest::newRow("eastern european")
        << int(EastEuropeCharset) << "Arial" << QByteArray("\xB9\xE6\x9A") << QStringLiteral("ąćš")
        << ones.first(3);
    QTest::newRow("hebrew") << int(HebrewCharset) << "Arial" << QByteArray("\xF9\xEC")
                            << QStringLiteral("של") << ones.first(2);
    QTest::newRow("arabic") << int(ArabicCharset) << "Arial" << QByteArray("\xC7\xE1")
                            << QStringLiteral("ال") << ones.first(2);
    QTest::newRow("thai") << int(ThaiCharset) << "Tahoma" << QByteArray("\xA1\xD2")
                          << QStringLiteral("กา") << ones.first(2);
    QTest::newRow("shift-jis") << int(ShiftJisCharset) << "MS Mincho"
                               << QByteArray("\x93\xFA\x96\x7B"
                                             "A")
                               << QStringLiteral("日本A") << QList<int>{2, 2, 1};
    QTest::newRow("gb2312") << int(Gb2312Charset) << "SimSun" << QByteArray("\xD6\xD0\xCE\xC4")
                            << QStringLiteral("中文") << QList<int>{2, 2};
    QTest::newRow("big5") << int(ChineseBig5Charset) << "MingLiU" << QByteArray("a\xA4\xA4\xA4\xE5")
                          << QStringLiteral("a中文") << QList<int>{1, 2, 2};
    QTest::newRow("hangul") << int(HangulCharset) << "Gulim" << QByteArray("\xC7\xD1\xB1\xDB")
                            << QStringLiteral("한글") << QList<int>{2, 2};
    QTest::newRow("double-byte lead byte alone at the end")
        << int(ShiftJisCharset) << "MS Gothic" << QByteArray("A\x93") << QStringLiteral("A\uFFFD")
        << QList<int>{1, 1};
}

void TestWmfRender::characterSets() {
    QFETCH(int, charset);
    QFETCH(QString, face);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QList<int>, bytesEach);
    const auto decoded = galvia::wmf::decodeText(bytes, charset, face);
    QCOMPARE(decoded.text, text);
    QCOMPARE(QList<int>(decoded.bytes.begin(), decoded.bytes.end()), bytesEach);
}

namespace {

// The text drawn by a metafile: a font of 40 pixels, transparent background, baseline at y 45.
QImage drawnText(const QByteArray& face, int charset, const QByteArray& bytes,
                 const QList<int>& dx = {}) {
    WmfWriter w;
    w.setWindowExt(240, 60).setBkMode(1).setTextAlign(24);
    w.selectObject(w.createFont(-40, 400, face, 0, charset));
    if (dx.isEmpty())
        w.textOut(QPoint(10, 45), bytes);
    else
        w.extTextOut(QPoint(10, 45), bytes, 0, {}, dx);
    return readWmf(w.data()).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// The same text as Qt draws it from its characters, each at its own x when given.
QImage expectedText(const QString& face, const QString& text, const QList<int>& x = {}) {
    QImage image(240, 60, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    QFont font(face);
    font.setPixelSize(40);
    p.setFont(font);
    p.setPen(Qt::black);
    if (x.isEmpty())
        p.drawText(QPointF(10, 45), text);
    else
        for (qsizetype i = 0; i < text.size(); ++i)
            p.drawText(QPointF(x[i], 45), text.mid(i, 1));
    return image;
}

} // namespace

// Text drawn from its bytes in a character set shows the characters of its code page, as Qt
// draws them from Unicode; read as Windows-1252 in a plain font the same bytes show something
// else.
void TestWmfRender::textInCharacterSets_data() {
    QTest::addColumn<QByteArray>("face");
    QTest::addColumn<int>("charset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("dx");
    QTest::addColumn<QList<int>>("x");

    using namespace galvia::wmf;
    // The fonts named Symbol here draw only their own codes: its characters come from a
    // serif family.
    QTest::newRow("symbol") << QByteArray("Symbol") << int(SymbolCharset)
                            << QByteArray("a\xB9p\xA5") << QStringLiteral("α≠π∞") << QList<int>()
                            << QList<int>();
    QTest::newRow("greek") << QByteArray("DejaVu Sans") << int(GreekCharset)
                           << QByteArray("\xE1\xE2\xD9") << QStringLiteral("αβΩ") << QList<int>()
                           << QList<int>();
    QTest::newRow("russian") << QByteArray("DejaVu Sans") << int(RussianCharset)
                             << QByteArray("\xC6\xE8\xF0") << QStringLiteral("Жир") << QList<int>()
                             << QList<int>();
    QTest::newRow("eastern european")
        << QByteArray("DejaVu Sans") << int(EastEuropeCharset) << QByteArray("\x8A\xB9\xE6")
        << QStringLiteral("Šąć") << QList<int>() << QList<int>();
    QTest::newRow("shift-jis with advances per byte")
        << QByteArray("DejaVu Sans") << int(ShiftJisCharset)
        << QByteArray("\x93\xFA\x96\x7B"
                      "A")
        << QStringLiteral("日本A") << QList<int>{30, 20, 10, 40, 0} << QList<int>{10, 60, 110};
}

void TestWmfRender::textInCharacterSets() {
    QFETCH(QByteArray, face);
    QFETCH(int, charset);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QList<int>, dx);
    QFETCH(QList<int>, x);
    const QImage expected = expectedText(
        face == "Symbol" ? QStringLiteral("Serif") : QString::fromLatin1(face), text, x);
    QVERIFY(regionHas(expected, expected.rect(), black));
    QCOMPARE(differingPixels(drawnText(face, charset, bytes, dx), expected), 0);
    QVERIFY(differingPixels(drawnText("DejaVu Sans", galvia::wmf::AnsiCharset, bytes, dx),
                            expected) > 20);
}

void TestWmfRender::objectTable_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<Probe>>("probes");

    auto build = [](auto&& steps) {
        WmfWriter w;
        w.setObjectCount(2);
        w.setWindowExt(100, 100);
        w.record(0x02FC, {BsSolid, 0x00FF, 0, 0}); // red in slot 0
        w.record(0x02FC, {BsSolid, 0xFF00, 0, 0}); // green in slot 1
        steps(w);
        return w.rectangle(QRect(0, 0, 100, 100)).data();
    };
    const QList<Probe> isRed{pixel({50, 50}, red)};
    const QList<Probe> isGreen{pixel({50, 50}, green)};
    const QList<Probe> isBlue{pixel({50, 50}, blue)};
    QTest::newRow("new object takes the lowest free slot") << build([](WmfWriter& w) {
        w.record(0x01F0, {0}).record(0x02FC, {BsSolid, 0, 0xFF, 0}).record(0x012D, {0});
    }) << isBlue;
    QTest::newRow("a freed slot is reused before growing") << build([](WmfWriter& w) {
        w.record(0x01F0, {1}).record(0x01F0, {0}).record(0x02FC, {BsSolid, 0, 0xFF, 0});
        w.record(0x02FC, {BsSolid, 0x00FF, 0, 0}).record(0x012D, {1});
    }) << isRed;
    QTest::newRow("deleted twice stays free") << build([](WmfWriter& w) {
        w.record(0x01F0, {0}).record(0x01F0, {0}).record(0x02FC, {BsSolid, 0, 0xFF, 0});
        w.record(0x012D, {1}).record(0x012D, {0});
    }) << isBlue;
    QTest::newRow("selecting a deleted object keeps the current one") << build([](WmfWriter& w) {
        w.record(0x012D, {1}).record(0x01F0, {0}).record(0x012D, {0});
    }) << isGreen;
    QTest::newRow("index out of range ignored")
        << build([](WmfWriter& w) { w.record(0x012D, {0}).record(0x012D, {500}); }) << isRed;
    QTest::newRow("selection survives deletion")
        << build([](WmfWriter& w) { w.record(0x012D, {1}).record(0x01F0, {1}); }) << isGreen;
}

void TestWmfRender::objectTable() {
    records();
}

void TestWmfRender::scaledSizeIsVector() {
    // A 100 x 100 circle read at 1000 x 1000 keeps a sharp edge: a bitmap blown up
    // afterwards would spread it over some ten pixels.
    const QByteArray file = canvas().ellipse(QRect(0, 0, 100, 100)).data();
    bool ok = false;
    const QImage image = readWmf(file, QSize(1000, 1000), &ok);
    QVERIFY(ok);
    QCOMPARE(image.size(), QSize(1000, 1000));
    const QString failure =
        check(image, {pixel({849, 849}, red), pixel({857, 857}, none), pixel({500, 500}, red)});
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void TestWmfRender::samples_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::newRow("maison") << QStringLiteral("maison.wmf") << QSize(640, 480);
    QTest::newRow("tournesol") << QStringLiteral("tournesol.wmf") << QSize(192, 192);
    QTest::newRow("mosaique") << QStringLiteral("mosaique.wmf") << QSize(400, 300);
}

void TestWmfRender::samples() {
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QImageReader reader(QStringLiteral(GALVIA_SAMPLES_DIR "/") + name);
    QCOMPARE(reader.size(), size);
    const QImage image = reader.read();
    QCOMPARE(image.size(), size);
    // Nothing paints tournesol's corners; the others are fully covered.
    QCOMPARE(qAlpha(image.pixel(0, 0)) == 0, name == QStringLiteral("tournesol.wmf"));
}

QTEST_MAIN(TestWmfRender)
#include "tst_wmfrender.moc"
