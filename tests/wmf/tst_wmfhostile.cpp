// Malformed and hostile metafiles: each must fail cleanly or give a partial picture,
// within bounded time and memory, while rich ordinary ones still draw whole. Also replays
// every file the fuzzer ever crashed on.
#include "hostile.h"
#include "wmfplayer.h"
#include "wmftestutil.h"
#include "wmfwriter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <QtEndian>

#include <cmath>

Q_IMPORT_PLUGIN(GalviaWmfPlugin)

using galvia::wmftools::WmfWriter;
using namespace galvia::wmftest;

namespace {

enum Outcome { Fails, Renders };

QByteArray le32(quint32 v) {
    QByteArray out(4, '\0');
    qToLittleEndian(v, out.data());
    return out;
}

QByteArray le16(quint16 v) {
    QByteArray out(2, '\0');
    qToLittleEndian(v, out.data());
    return out;
}

QByteArray dibHeader(qint32 width, qint32 height, int bits, quint32 compression) {
    QByteArray out = le32(40) + le32(quint32(width)) + le32(quint32(height)) + le16(1) +
                     le16(quint16(bits)) + le32(compression) + le32(0) + le32(0) + le32(0) +
                     le32(0) + le32(0);
    for (int i = 0; i < (bits <= 8 ? 1 << bits : 0); ++i)
        out += le32(i % 2 ? 0x000000FF : 0x00FF0000);
    return out;
}

// What the player did with a metafile drawn at the given size.
galvia::wmf::PlayResult played(const QByteArray& file, QSize size) {
    const auto metafile = galvia::wmf::Metafile::fromData(file);
    if (!metafile) return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    return galvia::wmf::playOnto(*metafile, image);
}

QString spent(const galvia::wmf::PlayResult& result) {
    return QStringLiteral("stopped after %1 records, work %2 of %3")
        .arg(result.records)
        .arg(result.work, 0, 'g', 3)
        .arg(result.budget, 0, 'g', 3);
}

} // namespace

class TestWmfHostile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void hostile_data();
    void hostile();
    void answeredInTime_data();
    void answeredInTime();
    void ordinaryDrawnWhole_data();
    void ordinaryDrawnWhole();
    void allocationLimit();
    void scaledBeyondNaturalLimit();
    void regressions_data();
    void regressions();
};

void TestWmfHostile::hostile_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QList<Probe>>("probes");
    auto fails = [](const char* name, const QByteArray& file) {
        QTest::newRow(name) << file << int(Fails) << QList<Probe>();
    };
    auto renders = [](const char* name, const QByteArray& file, const QList<Probe>& probes) {
        QTest::newRow(name) << file << int(Renders) << probes;
    };
    const QList<Probe> painted{pixel({50, 50}, red)};
    const QRect all(0, 0, 100, 100);
    const QByteArray rect = canvas().rectangle(all).data(false);

    fails("empty", {});
    fails("truncated header", rect.left(10));
    fails("garbage", QByteArray(500, 'x'));
    fails("first record of size 0", WmfWriter().raw(le32(0) + le16(0x041B)).data(false));
    renders("record of size 0 after drawing", rect + le32(0) + le16(0x041B) + QByteArray(8, '\1'),
            painted);
    renders("record beyond the end", rect + le32(0x7FFFFFFF) + le16(0x041B), painted);
    renders("file cut inside a record", rect.chopped(1), {pixel({50, 50}, none)});
    // Four points declared, three and a half given.
    renders("polygon a word short of its points",
            canvas().record(0x0324, {4, 10, 10, 90, 10, 90, 90, 10}).data(),
            {pixel({80, 30}, none)});
    WmfWriter points = canvas();
    points.record(0x0324, {30000, 10, 10, 90, 10, 10, 90}).record(0x0538, {2, 40000, 3, 1, 1});
    points.record(0x0538, {65535}).record(0x0325, {0}).rectangle(all);
    renders("point counts beyond the record", points.data(), painted);
    WmfWriter objects = canvas();
    objects.record(0x012D, {65535}).record(0x01F0, {9999}).record(0x01F0, {0}).record(0x01F0, {0});
    renders("object indexes out of range or deleted twice",
            objects.record(0x0234, {7}).rectangle(all).data(), painted);
    fails("window extent of 0", WmfWriter().setWindowExt(0, 100).data());
    renders("later extents of 0 ignored",
            canvas().setWindowExt(0, 0).setViewportExt(0, 5).rectangle(all).data(), painted);
    WmfWriter negative;
    negative.setWindowOrg(100, 100).setWindowExt(-100, -100);
    negative.selectObject(negative.createBrush(BsSolid, Qt::red)).rectangle(QRect(0, 0, 50, 50));
    renders("negative extents", negative.data(), {pixel({75, 75}, red), pixel({25, 25}, none)});
    WmfWriter huge = canvas();
    huge.setMapMode(8).setWindowExt(1, 1).setViewportExt(32767, -32767);
    huge.rectangle(QRect(-32768, -32768, 65535, 65535)).setWindowExt(-32768, 32767);
    huge.setMapMode(7).setViewportOrg(-32768, 32767).ellipse(QRect(-30000, -30000, 60000, 60000));
    renders("huge extents", huge.data(), {});
    auto placeable = [](QRect box, int unitsPerInch) {
        WmfWriter w;
        w.setPlaceable(box, quint16(unitsPerInch));
        return w.data();
    };
    fails("placeable box of 0", placeable({10, 10, 0, 50}, 96));
    fails("placeable 0 units per inch", placeable({0, 0, 50, 50}, 0));
    fails("natural size beyond 32767", placeable({0, 0, 30000, 100}, 72));
    WmfWriter bitmaps = canvas();
    const QRect source(0, 0, 8, 8);
    bitmaps.stretchDib(all, source, dibHeader(1000, 1000, 24, 0) + QByteArray(64, '\x55'));
    bitmaps.stretchDib(all, source, dibHeader(32767, 32767, 8, 1) + QByteArray(64, '\0'));
    bitmaps.stretchDib(all, source, dibHeader(-5, 0, 24, 0));
    bitmaps.stretchDib(all, source, dibHeader(8, 8, 7, 0) + QByteArray(256, '\0'));
    bitmaps.record(0x0F43, {0x0020, 0x00CC, 0}); // its rectangles left out
    renders("bitmaps larger than their record", bitmaps.rectangle(all).data(), painted);
    // Runs and deltas that go past the right edge and the last row.
    const QByteArray rle = QByteArray::fromHex("ff01 0002ff05 0000 ff00 0003010101 00 "
                                               "0002 0009 0801");
    WmfWriter runs;
    runs.setWindowExt(8, 8).stretchDib(source, source, dibHeader(8, 8, 8, 1) + rle);
    renders("rle runs past the bitmap", runs.data(), {pixel({0, 7}, blue), pixel({7, 7}, blue)});
    WmfWriter nested = canvas();
    for (int i = 0; i < 100000; ++i)
        nested.saveDc();
    nested.restoreDc(-300).restoreDc(5).restoreDc(-100000).rectangle(all);
    renders("nested savedc without end", nested.data(), painted);
    QByteArray tiny;
    for (int i = 0; i < 64; ++i)
        tiny += le32(3) + le16(0x0035);
    renders("millions of tiny records",
            canvas().rectangle(all).raw(tiny.repeated(3000000 / 64)).data(), painted);
    WmfWriter fills = canvas();
    for (int i = 0; i < 300000; ++i)
        fills.rectangle(all);
    renders("too many primitives", fills.data(), painted);
}

void TestWmfHostile::hostile() {
    QFETCH(QByteArray, file);
    QFETCH(int, outcome);
    QFETCH(QList<Probe>, probes);
    bool ok = false;
    const QImage image = readWmf(file, {}, &ok);
    QCOMPARE(ok, outcome == Renders);
    QCOMPARE(image.isNull(), outcome == Fails);
    WMF_VERIFY_PROBES(image, probes);
}

void TestWmfHostile::answeredInTime_data() {
    QTest::addColumn<QByteArray>("kind");
    for (const char* kind : galvia::wmftools::hostileKinds())
        QTest::newRow(kind) << QByteArray(kind);
}

// Each hostile file is answered, at a full-screen size, within a bound generous enough for a
// loaded machine under sanitizers; the benchmark holds them to a second.
void TestWmfHostile::answeredInTime() {
    QFETCH(QByteArray, kind);
    const QByteArray file = galvia::wmftools::hostileFile(kind.constData());
    QVERIFY(!file.isEmpty());
    QElapsedTimer timer;
    timer.start();
    const galvia::wmf::PlayResult result = played(file, QSize(1920, 1080));
    const qint64 ms = timer.elapsed();
    QVERIFY2(ms < 10'000, qPrintable(QStringLiteral("answered in %1 ms").arg(ms)));
    // The bitmaps too large for the budget are refused before they are decoded; every other
    // hostile file runs out of its budget.
    if (!kind.startsWith("StretchDIB"))
        QVERIFY2(result.work > result.budget, qPrintable(spent(result)));
}

void TestWmfHostile::ordinaryDrawnWhole_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QSize>("size");

    const QByteArray clipArt = galvia::wmftools::richPicture(QSize(1024, 768), 10000);
    QTest::newRow("clip art of 10000 records") << clipArt << QSize(1920, 1080);
    QTest::newRow("clip art of 10000 records, 4000 wide") << clipArt << QSize(4000, 3000);
    // Coastlines: long polygons of short edges, outlined by a hairline.
    WmfWriter map = canvas();
    map.setWindowExt(2000, 2000).selectObject(map.createPen(0, 0, Qt::black));
    QList<QPoint> coast;
    for (int i = 0; i < 20000; ++i) {
        const double t = 2 * M_PI * i / 20000;
        const double r = 800 + 60 * std::sin(37 * t) + 25 * std::sin(301 * t);
        coast.append(QPoint(1000 + int(r * std::cos(t)), 1000 + int(r * std::sin(t))));
    }
    for (int i = 0; i < 4; ++i)
        map.polygon(coast);
    QTest::newRow("detailed map") << map.data() << QSize(1920, 1080);
    // A page of text in a clipped frame with a few holes.
    WmfWriter page = canvas();
    page.setWindowExt(2100, 2970);
    for (int i = 0; i < 40; ++i)
        page.excludeClipRect(QRect(100 + 50 * i, 100, 30, 30));
    page.intersectClipRect(QRect(50, 50, 2000, 2870));
    page.selectObject(page.createFont(-40, 400, "DejaVu Serif"));
    for (int line = 0; line < 60; ++line)
        page.textOut(QPoint(100, 200 + 45 * line),
                     "Les sanglots longs des violons de l'automne blessent mon coeur.");
    QTest::newRow("page of text") << page.data() << QSize(1080, 1528);
    WmfWriter shapes = canvas();
    shapes.setWindowExt(1000, 1000).selectObject(shapes.createPen(0, 3, Qt::blue));
    for (int i = 0; i < 400; ++i)
        shapes.ellipse(QRect(i % 900, i % 700, 10 + i % 100, 10 + i % 300))
            .rectangle(QRect(i % 800, i % 600, 20, 20));
    QTest::newRow("outlined shapes") << shapes.data() << QSize(1920, 1080);
}

// Rich but ordinary pictures are drawn to their last record: the budget leaves room for them.
void TestWmfHostile::ordinaryDrawnWhole() {
    QFETCH(QByteArray, file);
    QFETCH(QSize, size);
    const galvia::wmf::PlayResult result = played(file, size);
    QVERIFY2(result.complete, qPrintable(spent(result)));
    // The picture's share of the budget, to see how much room is left.
    qInfo("work: %.0f%% of the budget", 100 * result.work / result.budget);
}

void TestWmfHostile::allocationLimit() {
    WmfWriter w;
    w.setWindowExt(2000, 2000);
    const int previous = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(8);
    bool ok = true;
    readWmf(w.data(), {}, &ok);
    QImageReader::setAllocationLimit(previous);
    QVERIFY(!ok);
    readWmf(w.data(), {}, &ok);
    QVERIFY(ok);
}

void TestWmfHostile::scaledBeyondNaturalLimit() {
    WmfWriter w = canvas();
    w.setPlaceable(QRect(0, 0, 30000, 30000), 72);
    w.rectangle(QRect(0, 0, 30000, 30000));
    QBuffer buffer;
    buffer.setData(w.data());
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "wmf");
    QCOMPARE(reader.size(), QSize(40000, 40000));
    reader.setScaledSize(QSize(100, 100));
    const QImage image = reader.read();
    QCOMPARE(image.size(), QSize(100, 100));
    QCOMPARE(image.pixel(50, 50), red);
}

void TestWmfHostile::regressions_data() {
    QTest::addColumn<QString>("path");
    const QDir dir(QStringLiteral(GALVIA_WMF_REGRESSIONS_DIR));
    const QStringList files = dir.entryList({QStringLiteral("*.wmf")}, QDir::Files, QDir::Name);
    if (files.isEmpty()) QSKIP("the fuzzer has found no crash yet");
    for (const QString& name : files)
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
}

void TestWmfHostile::regressions() {
    QFETCH(QString, path);
    QImageReader reader(path, "wmf");
    const QSize size = reader.size();
    if (size.width() > 1024 || size.height() > 1024)
        reader.setScaledSize(size.scaled(1024, 1024, Qt::KeepAspectRatio));
    const QImage image = reader.read();
    QVERIFY(image.isNull() || image.width() <= 32767);
}

QTEST_MAIN(TestWmfHostile)
#include "tst_wmfhostile.moc"
