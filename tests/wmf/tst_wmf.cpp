// Galvia's metafile decoder, read through QImageReader as the viewer does: the rendering of
// each family of records, natural sizes and the object table; malformed and hostile files,
// each failing cleanly or giving a partial picture within bounded time and memory, while rich
// ordinary ones still draw whole; and every file the fuzzer ever crashed on.
#include "hostile.h"
#include "wmfplayer.h"
#include "wmftext.h"
#include "wmfwriter.h"

#include <QBuffer>
#include <QDataStream>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QTest>
#include <QtPlugin>
#include <cmath>
#include <cstdlib>

Q_IMPORT_PLUGIN(GalviaWmfPlugin)

using galvia::wmftools::WmfWriter;

namespace {

constexpr QRgb red = 0xffff0000, green = 0xff00ff00, blue = 0xff0000ff, yellow = 0xffffff00,
               black = 0xff000000, white = 0xffffffff, cyan = 0xff00ffff;
constexpr QRgb none = 0; // a fully transparent pixel
enum { BsSolid = 0, BsNull = 1, BsHatched = 2, BsPattern = 3, PsNull = 5 };

const QRect all(0, 0, 100, 100); // the whole canvas

// A 100 x 100 plain metafile with a solid brush (none: a null one) and a pen selected: blue
// of `pen` pixels, or invisible.
WmfWriter canvas(QRgb brush = red, int pen = -1) {
    WmfWriter w;
    w.setWindowExt(100, 100);
    w.selectObject(w.createBrush(brush == none ? BsNull : BsSolid, brush));
    w.selectObject(pen < 0 ? w.createPen(PsNull, 0, Qt::black) : w.createPen(0, pen, Qt::blue));
    return w;
}

// What a region of a rendered picture must show, or must not: a pixel unless given a size.
struct Probe {
    int x, y;
    QRgb color;
    QSize size{1, 1};
    bool lacks = false;
    QRect where() const { return {QPoint(x, y), size}; }
};
Probe has(QRect r, QRgb color) {
    return {r.x(), r.y(), color, r.size()};
}
Probe lacks(QRect r, QRgb color) {
    return {r.x(), r.y(), color, r.size(), true};
}

// Whether two pixels differ by more than a little in any channel.
bool apart(QRgb a, QRgb b) {
    const auto differs = [a, b](int (*channel)(QRgb)) {
        return std::abs(channel(a) - channel(b)) > 48;
    };
    return differs(qAlpha) || differs(qRed) || differs(qGreen) || differs(qBlue);
}

bool near(QRgb a, QRgb b) {
    return b == none ? qAlpha(a) < 16 : qAlpha(a) > 200 && !apart(a | 0xff000000, b);
}

bool regionHas(const QImage& image, QRect r, QRgb color) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (image.valid(x, y) && near(image.pixel(x, y), color)) return true;
    return false;
}

// Empty when every probe holds, else a description of the first that does not.
QString check(const QImage& picture, const QList<Probe>& probes) {
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    QString failure;
    for (const Probe& p : probes)
        if (regionHas(image, p.where(), p.color) == p.lacks && failure.isEmpty())
            QDebug(&failure) << p.where() << (p.lacks ? "without" : "with") << Qt::hex << p.color
                             << "pixel there" << image.pixel(p.x, p.y);
    return failure;
}

QImage readWmf(const QByteArray& data, QSize scaled = {}, bool* ok = nullptr) {
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

// A row of the table of metafiles (records_data), whether they give a picture and what it
// must show, read at their own size or at `size`: a picture.
void drawing(const char* name, const QByteArray& file, const QList<Probe>& probes,
             QSize size = {}) {
    QTest::newRow(name) << file << true << probes << size;
}
void drawing(const char* name, const WmfWriter& w, const QList<Probe>& probes) {
    drawing(name, w.data(), probes);
}

// Nothing but a placeable header with this box.
WmfWriter placeable(QRect box, int unitsPerInch, bool goodChecksum = true) {
    WmfWriter w;
    w.setPlaceable(box, quint16(unitsPerInch), goodChecksum);
    return w;
}

// An 8 x 8 picture of four quadrants: red, green over blue, yellow, or black and white.
QImage quadrants(bool twoColours) {
    QImage image(8, 8, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, 4, 4, twoColours ? Qt::black : Qt::red);
    p.fillRect(4, 0, 4, 4, twoColours ? Qt::white : Qt::green);
    p.fillRect(0, 4, 4, 4, twoColours ? Qt::white : Qt::blue);
    p.fillRect(4, 4, 4, 4, twoColours ? Qt::black : Qt::yellow);
    return image;
}

// One probe in each quadrant of a picture of side pixels.
QList<Probe> quadrantProbes(QRgb a, QRgb b, QRgb c, QRgb d, int side = 80) {
    const int far = side - 3;
    return {{2, 2, a}, {far, 2, b}, {2, far, c}, {far, far, d}};
}
QList<Probe> quadrantProbes(bool twoColours, int side = 80) {
    return twoColours ? quadrantProbes(black, white, white, black, side)
                      : quadrantProbes(red, green, blue, yellow, side);
}

// An old device-dependent 8 x 8 bitmap of four values, one a quadrant.
QByteArray bitmap(QList<int> v, int bits, int planes = 1) {
    const QList<int> top = QList<int>(4, v[0]) << QList<int>(4, v[1]);
    const QList<int> bottom = QList<int>(4, v[2]) << QList<int>(4, v[3]);
    return WmfWriter::bitmap16(QList<QList<int>>(4, top) << QList<QList<int>>(4, bottom), bits,
                               planes);
}

// A picture of side x side logical units, nothing selected.
WmfWriter blank(int side) {
    return WmfWriter().setWindowExt(side, side);
}

// Pixels that differ by more than a little in any channel.
int differingPixels(const QImage& a, const QImage& b) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += apart(a.pixel(x, y), b.pixel(x, y)) ? 1 : 0;
    return count;
}

// Bytes in a character set, and the characters they stand for with the number of bytes each
// takes (one each when left empty); when `drawn`, also drawn, with advances per byte `dx` when
// given, each character then at its `x`.
struct Charset {
    int charset = 0;
    QString face = QStringLiteral("DejaVu Sans");
    QByteArray bytes{};
    QString text{};
    QList<int> lengths{};
    bool drawn = false;
    QList<int> dx{};
    QList<int> x{};
};

// A bitmap's header of these fields, and a palette of red and blue in turn when it has one.
QByteArray dibHeader(qint32 width, qint32 height, int bits, quint32 compression) {
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s << quint32(40) << width << height << quint16(1) << quint16(bits) << compression << qint32(0)
      << qint64(0) << qint64(0);
    for (int i = 0; i < (bits <= 8 ? 1 << bits : 0); ++i)
        s << quint32(i % 2 ? 0x000000FF : 0x00FF0000);
    return out;
}

} // namespace

// A device that remembers the furthest byte anyone read from it.
class CountingDevice : public QBuffer {
public:
    explicit CountingDevice(const QByteArray& data) {
        setData(data);
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    qint64 furthest = 0;

protected:
    qint64 readData(char* data, qint64 max) override {
        const qint64 n = QBuffer::readData(data, max);
        furthest = qMax(furthest, pos() + n);
        return n;
    }
};

static void bitmapsRows() {
    const QRect whole(0, 0, 80, 80), source(0, 0, 8, 8);
    const QImage four = quadrants(false);
    using Dib = WmfWriter::Dib;
    for (int bits : {1, 4, 8, 16, 24, 32})
        drawing(qPrintable(QStringLiteral("stretchdib %1 bits").arg(bits)),
                blank(80).stretchDib(whole, source, WmfWriter::dib(quadrants(bits == 1), bits)),
                quadrantProbes(bits == 1));
    // Rows of a top-down bitmap are placed by one rule whatever the depth.
    drawing("dibstretchblt top-down",
            blank(80).dibStretchBlt(whole, source, WmfWriter::dib(four, 8, Dib::Rgb, true)),
            quadrantProbes(false));
    for (int bits : {4, 8})
        drawing(qPrintable(QStringLiteral("dibbitblt rle%1").arg(bits)),
                blank(8).dibBitBlt({0, 0}, source, WmfWriter::dib(four, bits, Dib::Rle)),
                quadrantProbes(false, 8));
    QImage varied = four;
    varied.setPixel(1, 1, qRgb(0, 0, 255));
    varied.setPixel(2, 1, qRgb(0, 255, 0));
    drawing("setdibtodev rle8 absolute runs",
            blank(8).setDibToDev({0, 0}, {8, 8}, WmfWriter::dib(varied, 8, Dib::Rle)),
            quadrantProbes(false, 8) << Probe{1, 1, blue} << Probe{2, 1, green});
    // Straight from the bits, source rows of a bottom-up bitmap count from its bottom.
    drawing("stretchdib source rows from the bottom",
            blank(80).stretchDib(whole, {0, 0, 4, 4}, WmfWriter::dib(four, 24)),
            {{2, 2, blue}, {77, 77, blue}});
    // A monochrome bitmap: its header, 18 unused bytes, then its rows.
    const QByteArray mono = bitmap({1, 0, 0, 1}, 1).insert(14, QByteArray(18, '\0'));
    WmfWriter monochrome = blank(80);
    monochrome.selectObject(monochrome.createPen(PsNull, 0, Qt::black)); // slot 0
    drawing("monochrome pattern brush",
            monochrome.record(0x01F9, mono).selectObject(1).rectangle(whole),
            {has({0, 0, 16, 16}, black), has({0, 0, 16, 16}, white)});
    WmfWriter pattern = blank(80);
    pattern.selectObject(pattern.createPatternBrush(WmfWriter::dib(four, 24)));
    pattern.selectObject(pattern.createPen(PsNull, 0, Qt::black)).rectangle(whole);
    drawing("pattern brush", pattern,
            {has({0, 0, 16, 16}, red), has({0, 0, 16, 16}, yellow), has({60, 60, 16, 16}, green)});
}

// Old device-dependent bitmaps in colour: each depth and layout gives its quadrants the colours
// the device's palette, or the pixel's own value, defines.
static void deviceBitmapsRows() {
    constexpr QRgb darkRed = 0xff800000, lightGrey = 0xffc0c0c0, darkCyan = 0xff008080;
    auto stretched = [](const QByteArray& bits) {
        return blank(80).stretchBlt({0, 0, 80, 80}, {0, 0, 8, 8}, bits).data();
    };
    drawing("1 bit", stretched(bitmap({0, 1, 1, 0}, 1)), quadrantProbes(true));
    drawing("4 planes of one bit", stretched(bitmap({9, 11, 7, 6}, 1, 4)),
            quadrantProbes(red, yellow, lightGrey, darkCyan));
    drawing("3 planes of one bit", stretched(bitmap({0, 1, 6, 7}, 1, 3)),
            quadrantProbes(black, darkRed, darkCyan, lightGrey));
    drawing("8 bits, fixed colours at both ends", stretched(bitmap({249, 250, 252, 7}, 8)),
            quadrantProbes(red, green, blue, lightGrey));
    for (int bits : {16, 24, 32})
        drawing(qPrintable(QStringLiteral("%1 bits").arg(bits)),
                stretched(bitmap({0xff0000, 0x00ff00, 0x0000ff, 0xffff00}, bits)),
                quadrantProbes(false));
    drawing("bitblt 24 bits",
            blank(8).bitBlt({0, 0}, {0, 0, 8, 8}, bitmap({0xff0000, 0xff00, 0xff, 0xffff}, 24)),
            quadrantProbes(red, green, blue, cyan, 8));
    WmfWriter masked = blank(80);
    masked.selectObject(masked.createPen(PsNull, 0, Qt::black)).rectangle({0, 0, 80, 80});
    // The sixteen colours, blitted over white.
    masked.stretchBlt({0, 0, 80, 80}, {0, 0, 8, 8}, bitmap({9, 10, 12, 1}, 4), 0x008800C6);
    drawing("4 bits with srcand", masked, quadrantProbes(red, green, blue, darkRed));
    drawing("5 bits a pixel refused", stretched(bitmap({1, 2, 3, 4}, 5)),
            quadrantProbes(none, none, none, none));
}

// SETDIBTODEV draws, of its source rectangle, only the scan lines it carries: those from its
// start scan on, counted from the bottom of a bottom-up bitmap.
static void dibScansRows() {
    auto band = [](QRect source, int first, int count, bool topDown = false, int carried = -1) {
        const QByteArray scans = WmfWriter::dibScans(quadrants(false), 24, first,
                                                     carried < 0 ? count : carried, topDown);
        return blank(8).setDibToDev({0, 0}, source, first, count, scans);
    };
    const QRect whole(0, 0, 8, 8);
    drawing("all scans", band(whole, 0, 8), quadrantProbes(false, 8));
    drawing("bottom scans of a bottom-up bitmap", band(whole, 0, 4),
            {{1, 1, none}, {6, 3, none}, {1, 4, blue}, {6, 7, yellow}});
    drawing("middle scans", band(whole, 3, 2),
            {{1, 2, none}, {1, 3, red}, {6, 4, yellow}, {6, 5, none}});
    drawing("first scans of a top-down bitmap", band(whole, 0, 4, true),
            {{1, 0, red}, {6, 3, green}, {1, 4, none}, {6, 7, none}});
    drawing("source rows beside the scans", band({0, 4, 8, 4}, 0, 2),
            {lacks(whole, red), lacks(whole, blue), lacks(whole, yellow)});
    drawing("source within the scans, moved to the destination's top", band({4, 0, 4, 4}, 0, 4),
            {{1, 1, yellow}, {3, 3, yellow}, {5, 1, none}, {1, 5, none}});
    drawing("no scans", band(whole, 0, 0, false, 8), {lacks(whole, red), lacks(whole, blue)});
    drawing("more scans than the bitmap's height", band(whole, 0, 20, false, 8),
            {{1, 1, red}, {6, 6, yellow}});
}

// Regions as CREATEREGION carries them, scan by scan, painted, framed, inverted or clipping;
// right and bottom boundaries are excluded.
static void regionsRows() {
    // Two spans over rows 10 to 29, one wide span over rows 30 to 49.
    const QList<WmfWriter::Scan> notched = {{10, 30, {10, 30, 60, 80}}, {30, 50, {10, 80}}};
    const QList<Probe> notchedProbes = {
        {20, 20, red},  {70, 20, red},  {45, 20, none}, {45, 40, red}, {79, 49, red},
        {80, 40, none}, {45, 50, none}, {10, 10, red},  {9, 40, none}, {45, 9, none}};
    WmfWriter painted = canvas();
    drawing("paintregion with the selected brush",
            painted.paintRegion(painted.createRegion(notched)), notchedProbes);
    // A canvas with a green brush selected, and the region filled or framed with a red one.
    auto framed = [](const QList<WmfWriter::Scan>& scans, int width, int height) {
        WmfWriter w = canvas(green);
        const int brush = w.createBrush(BsSolid, Qt::red);
        const int region = w.createRegion(scans);
        if (width) return w.frameRegion(region, brush, width, height).data();
        return w.fillRegion(region, brush).rectangle({0, 90, 100, 10}).data();
    };
    drawing("fillregion with its own brush", framed(notched, 0, 0),
            QList<Probe>(notchedProbes) << Probe{50, 95, green});
    const QList<Probe> inside = {{10, 50, red},  {14, 50, red},  {15, 50, none}, {50, 10, red},
                                 {50, 19, red},  {50, 20, none}, {89, 50, red},  {85, 50, red},
                                 {84, 50, none}, {50, 89, red},  {50, 80, red},  {50, 79, none},
                                 {50, 50, none}, {9, 50, none},  {50, 90, none}};
    drawing("frameregion inside the region, width and height apart",
            framed({{10, 90, {10, 90}}}, 5, 10), inside);
    const QList<Probe> notch = {{29, 20, red},  {28, 20, red},  {27, 20, none}, {60, 20, red},
                                {62, 20, none}, {45, 31, red},  {45, 32, none}, {45, 28, none},
                                {20, 20, none}, {45, 40, none}, {45, 48, red}};
    drawing("frameregion follows the notch", framed(notched, 2, 2), notch);
    WmfWriter inverted = canvas();
    inverted.rectangle(all).invertRegion(inverted.createRegion({{0, 100, {0, 50}}}));
    drawing("invertregion", inverted, {{25, 50, cyan}, {75, 50, red}});
    WmfWriter selected = canvas();
    drawing("selecting a region clips",
            selected.selectObject(selected.createRegion(notched)).rectangle(all), notchedProbes);
    WmfWriter replaced = canvas();
    replaced.intersectClipRect(QRect(0, 0, 20, 20));
    drawing("selectclipregion replaces the clip",
            replaced.selectClipRegion(replaced.createRegion(notched)).rectangle(all),
            notchedProbes);
    WmfWriter offset = canvas();
    const int corner = offset.createRegion({{0, 20, {0, 20}}});
    offset.selectClipRegion(corner).deleteObject(corner).offsetClipRgn(50, 60).rectangle(all);
    drawing("offsetcliprgn, the region deleted", offset,
            {{55, 65, red}, {69, 79, red}, {10, 10, none}, {70, 65, none}, {55, 80, none}});
    drawing("offsetcliprgn without a clip", canvas().offsetClipRgn(50, 50).rectangle(all),
            {{10, 10, red}, {90, 90, red}});
    WmfWriter restored = canvas();
    const int small = restored.createRegion({{0, 20, {0, 20}}});
    restored.saveDc().selectClipRegion(small).restoreDc(-1).rectangle(all);
    drawing("restoredc takes the clip region back", restored, {{50, 50, red}});
    WmfWriter within = canvas();
    within.intersectClipRect(QRect(0, 0, 40, 100)).paintRegion(within.createRegion(notched));
    drawing("paintregion within the clip", within, {{20, 20, red}, {45, 40, none}});
    // Logical units of a quarter of a pixel, y upwards: the region is mapped as shapes are.
    WmfWriter mapped = placeable({0, -400, 400, 400}, 384);
    mapped.setMapMode(8).setWindowOrg(0, 0).setWindowExt(400, -400);
    mapped.selectObject(mapped.createBrush(BsSolid, Qt::red));
    drawing("region through the mapping",
            mapped.paintRegion(mapped.createRegion({{-200, -40, {40, 120}}})),
            {{10, 10, red}, {29, 49, red}, {30, 30, none}, {20, 50, none}, {20, 9, none}});
    WmfWriter unreadable = canvas();
    unreadable.selectObject(unreadable.createBrush(BsSolid, Qt::white)).rectangle(all);
    unreadable.selectObject(0).record(0x06FF, QByteArray(10, '\0')); // cut short: empty, slot 3
    unreadable.paintRegion(3).selectClipRegion(3).rectangle(QRect(0, 0, 50, 100));
    drawing("unreadable region keeps its slot, clips all", unreadable,
            {{25, 50, white}, {75, 50, white}});
}

// The text drawn by a metafile: a font of 40 pixels, transparent background, baseline at y 45.
static QImage drawnText(const QByteArray& face, int charset, const QByteArray& bytes,
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
static QImage expectedText(const QString& face, const QString& text, const QList<int>& x = {}) {
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

static void objectTableRows() {
    enum { Create = 0x02FC, Delete = 0x01F0, Select = 0x012D };
    // Red in slot 0 and green in slot 1, then the steps (a solid brush of red, green or blue
    // created; "d" and "s" a slot deleted or selected), then the whole picture filled.
    auto build = [](const char* steps) {
        WmfWriter w = blank(100);
        w.setObjectCount(2);
        for (const QByteArray& s : QByteArray("r g ").append(steps).split(' ')) {
            const int rgb = s == "r" ? 0x0000FF : s == "g" ? 0x00FF00 : 0xFF0000;
            if (s.size() == 1)
                w.record(Create, {BsSolid, rgb & 0xFFFF, rgb >> 16, 0});
            else
                w.record(s[0] == 'd' ? Delete : Select, {s.mid(1).toInt()});
        }
        return w.rectangle(all);
    };
    const QList<Probe> isRed{{50, 50, red}}, isGreen{{50, 50, green}}, isBlue{{50, 50, blue}};
    drawing("new object takes the lowest free slot", build("d0 b s0"), isBlue);
    drawing("a freed slot is reused before growing", build("d1 d0 b r s1"), isRed);
    drawing("deleted twice stays free", build("d0 d0 b s1 s0"), isBlue);
    drawing("selecting a deleted object keeps the current one", build("s1 d0 s0"), isGreen);
    drawing("index out of range ignored", build("s0 s500"), isRed);
    drawing("selection survives deletion", build("s1 d1"), isGreen);
}

// Malformed and hostile files fail cleanly or give a partial picture.
static void hostileRows() {
    auto fails = [](const char* name, const QByteArray& file) {
        QTest::newRow(name) << file << false << QList<Probe>() << QSize();
    };
    const QList<Probe> painted{{50, 50, red}};
    const QByteArray rect = canvas().rectangle(all).data(false);
    // Records' headers alone: their size in words, then their function.
    const QByteArray empty = QByteArray::fromHex("00000000 1b04");
    const QByteArray tooLong = QByteArray::fromHex("ffffff7f 1b04");

    fails("empty", {});
    fails("truncated header", rect.left(10));
    fails("garbage", QByteArray(500, 'x'));
    fails("first record of size 0", WmfWriter().raw(empty).data(false));
    drawing("record of size 0 after drawing", rect + empty + QByteArray(8, '\1'), painted);
    drawing("record beyond the end", rect + tooLong, painted);
    drawing("file cut inside a record", rect.chopped(1), {{50, 50, none}});
    // Four points declared, three and a half given.
    drawing("polygon a word short of its points",
            canvas().record(0x0324, {4, 10, 10, 90, 10, 90, 90, 10}).data(), {{80, 30, none}});
    WmfWriter points = canvas();
    points.record(0x0324, {30000, 10, 10, 90, 10, 10, 90}).record(0x0538, {2, 40000, 3, 1, 1});
    points.record(0x0538, {65535}).record(0x0325, {0}).rectangle(all);
    drawing("point counts beyond the record", points.data(), painted);
    WmfWriter objects = canvas();
    objects.record(0x012D, {65535}).record(0x01F0, {9999}).record(0x01F0, {0}).record(0x01F0, {0});
    drawing("object indexes out of range or deleted twice",
            objects.record(0x0234, {7}).rectangle(all).data(), painted);
    fails("window extent of 0", WmfWriter().setWindowExt(0, 100).data());
    drawing("later extents of 0 ignored",
            canvas().setWindowExt(0, 0).setViewportExt(0, 5).rectangle(all).data(), painted);
    WmfWriter negative;
    negative.setWindowOrg(100, 100).setWindowExt(-100, -100);
    negative.selectObject(negative.createBrush(BsSolid, Qt::red)).rectangle(QRect(0, 0, 50, 50));
    drawing("negative extents", negative.data(), {{75, 75, red}, {25, 25, none}});
    WmfWriter huge = canvas();
    huge.setMapMode(8).setWindowExt(1, 1).setViewportExt(32767, -32767);
    huge.rectangle(QRect(-32768, -32768, 65535, 65535)).setWindowExt(-32768, 32767);
    huge.setMapMode(7).setViewportOrg(-32768, 32767).ellipse(QRect(-30000, -30000, 60000, 60000));
    drawing("huge extents", huge.data(), {});
    fails("placeable box of 0", placeable({10, 10, 0, 50}, 96).data());
    fails("placeable 0 units per inch", placeable({0, 0, 50, 50}, 0).data());
    WmfWriter bitmaps = canvas();
    const QRect source(0, 0, 8, 8);
    bitmaps.stretchDib(all, source, dibHeader(1000, 1000, 24, 0) + QByteArray(64, '\x55'));
    bitmaps.stretchDib(all, source, dibHeader(32767, 32767, 8, 1) + QByteArray(64, '\0'));
    bitmaps.stretchDib(all, source, dibHeader(-5, 0, 24, 0));
    bitmaps.stretchDib(all, source, dibHeader(8, 8, 7, 0) + QByteArray(256, '\0'));
    bitmaps.record(0x0F43, {0x0020, 0x00CC, 0}); // its rectangles left out
    drawing("bitmaps larger than their record", bitmaps.rectangle(all).data(), painted);
    // Runs and deltas that go past the right edge and the last row.
    const QByteArray rle = QByteArray::fromHex("ff01 0002ff05 0000 ff00 0003010101 00 "
                                               "0002 0009 0801");
    drawing("rle runs past the bitmap",
            blank(8).stretchDib(source, source, dibHeader(8, 8, 8, 1) + rle),
            {{0, 7, blue}, {7, 7, blue}});
    WmfWriter nested = canvas();
    for (int i = 0; i < 100000; ++i)
        nested.saveDc();
    nested.restoreDc(-300).restoreDc(5).restoreDc(-100000).rectangle(all);
    drawing("nested savedc without end", nested.data(), painted);
    drawing(
        "millions of tiny records",
        canvas().rectangle(all).raw(QByteArray::fromHex("03000000 3500").repeated(3000000)).data(),
        painted);
    WmfWriter fills = canvas();
    for (int i = 0; i < 300000; ++i)
        fills.rectangle(all);
    drawing("too many primitives", fills.data(), painted);
}

class TestWmf : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The natural size, found without reading past the frame: the placeable header, or the
    // records up to the first window extent.
    void naturalSize_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<qint64>("limit"); // of the bytes the size may read; 0: any
        // Followed by many records.
        auto longer = [](WmfWriter w) {
            for (int i = 0; i < 500; ++i)
                w.rectangle(QRect(i % 90, 0, 10, 10));
            return w.data();
        };
        auto row = [](const char* name, const QByteArray& file, QSize size, qint64 limit = 0) {
            QTest::newRow(name) << file << size << limit;
        };
        row("placeable twips", longer(placeable({0, 0, 2880, 1440}, 1440)), {192, 96}, 22);
        row("placeable offset box", placeable({-500, -250, 1000, 500}, 1000).data(), {96, 48});
        row("placeable wrong checksum", placeable({0, 0, 96, 96}, 96, false).data(), {96, 96});
        // Beyond what may be decoded whole: its size is told, its picture is not made.
        row("natural size beyond 32767", placeable({0, 0, 30000, 100}, 72).data(), {40000, 133});
        const QByteArray plain =
            longer(WmfWriter().setMapMode(8).setWindowOrg(-20, 40).setWindowExt(300, 200));
        row("plain extent", plain, {300, 200}, 18 + 8 + 10 + 10);
        row("plain negative extent", WmfWriter().setWindowExt(300, -200).data(), {300, 200});
        row("first extent counts",
            WmfWriter().rectangle({0, 0, 5, 5}).setWindowExt(64, 32).setWindowExt(500, 500).data(),
            {64, 32});
        row("plain without extent", WmfWriter().rectangle({0, 0, 5, 5}).data(), {1000, 1000});
        QByteArray disk = plain;
        disk[0] = 2;
        row("disk metafile", disk, {300, 200});
        // The samples shipped with Galvia.
        for (const auto& [name, size] :
             {std::pair{"maison", QSize(640, 480)}, std::pair{"tournesol", QSize(192, 192)},
              std::pair{"mosaique", QSize(400, 300)}}) {
            QFile sample(QStringLiteral(GALVIA_SAMPLES_DIR "/%1.wmf").arg(QLatin1String(name)));
            QVERIFY(sample.open(QIODevice::ReadOnly));
            row(name, sample.readAll(), size);
        }
    }

    void naturalSize() {
        QFETCH(QByteArray, file);
        QFETCH(QSize, size);
        QFETCH(qint64, limit);
        CountingDevice device(file);
        QCOMPARE(QImageReader(&device, "wmf").size(), size);
        if (limit) QVERIFY2(device.furthest <= limit, qPrintable(QString::number(device.furthest)));
        CountingDevice again(file);
        QImageReader reader(&again); // the format found from the content
        QCOMPARE(reader.format(), QByteArray("wmf"));
        QCOMPARE(reader.read().size(), size.width() <= 32767 ? size : QSize(0, 0));
    }

    void records_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("renders");
        QTest::addColumn<QList<Probe>>("probes");
        QTest::addColumn<QSize>("size");
        drawing("polygon", canvas().polygon({{10, 10}, {90, 10}, {10, 90}}),
                {{20, 20, red}, {80, 80, none}});
        drawing("rectangle and pen", canvas(green, 6).rectangle({10, 10, 80, 80}),
                {{50, 50, green}, {10, 50, blue}, {5, 5, none}});
        drawing("roundrect", canvas().roundRect(all, 60, 60),
                {{50, 50, red}, {3, 3, none}, {50, 2, red}});
        const QList<QList<QPoint>> nested{{{10, 10}, {90, 10}, {90, 90}, {10, 90}},
                                          {{30, 30}, {70, 30}, {70, 70}, {30, 70}}};
        drawing("polypolygon alternate", canvas().polyPolygon(nested),
                {{50, 50, none}, {20, 50, red}});
        drawing("polypolygon winding", canvas().setPolyFillMode(2).polyPolygon(nested),
                {{50, 50, red}, {20, 50, red}});
        drawing("lineto polyline",
                canvas(red, 4).moveTo({10, 50}).lineTo({90, 50}).polyline({{50, 10}, {50, 30}}),
                {{30, 50, blue}, {50, 20, blue}, {30, 30, none}});
        // Counter-clockwise from the right to the top: the upper right quarter.
        drawing("pie", canvas().arc(WmfWriter::Pie, all, {100, 50}, {50, 0}),
                {{70, 30, red}, {30, 30, none}, {70, 70, none}});
        WmfWriter upward = canvas();
        upward.setWindowOrg(0, 100).setWindowExt(100, -100);
        drawing("pie on upward y", upward.arc(WmfWriter::Pie, all, {100, 50}, {50, 100}),
                {{70, 30, red}, {70, 70, none}});
        drawing("chord", canvas().arc(WmfWriter::Chord, all, {100, 50}, {0, 50}),
                {{50, 20, red}, {50, 80, none}});
        drawing("arc", canvas(red, 4).arc(WmfWriter::Arc, all, {0, 50}, {100, 50}),
                {{50, 98, blue}, {50, 2, none}, {50, 50, none}});
        WmfWriter hatched = blank(100);
        hatched.selectObject(hatched.createBrush(BsHatched, Qt::blue, 4)).setBkColor(Qt::yellow);
        hatched.rectangle(QRect(0, 0, 100, 50)).setBkMode(1).rectangle(QRect(0, 50, 100, 50));
        drawing("hatched brush", hatched,
                {has({20, 10, 20, 20}, blue), has({20, 10, 20, 20}, yellow),
                 has({20, 60, 20, 20}, blue), has({20, 60, 20, 20}, none)});
        drawing("null brush", canvas(none, 4).rectangle({10, 10, 80, 80}),
                {{50, 50, none}, {10, 50, blue}});
        WmfWriter text;
        text.setWindowExt(200, 100).selectObject(text.createFont(-40, 700, "DejaVu Sans"));
        text.setTextColor(Qt::blue).setBkMode(1).textOut({10, 10}, "WWW");
        drawing("textout and alignment", text.setTextAlign(2).textOut({190, 60}, "MM"),
                {has({10, 10, 60, 40}, blue), lacks({0, 0, 200, 9}, blue),
                 has({120, 60, 70, 40}, blue), lacks({0, 60, 100, 40}, blue)});
        WmfWriter spaced;
        spaced.setWindowExt(200, 100).selectObject(spaced.createFont(-30, 400, "DejaVu Sans"));
        spaced.setTextColor(Qt::blue).setBkColor(Qt::yellow);
        spaced.extTextOut({10, 10}, "ABC", 2, QRect(0, 0, 200, 50), {80, 80, 20});
        drawing("exttextout opaque and spacing", spaced,
                {Probe{195, 45, yellow}, has({10, 10, 25, 35}, blue), has({90, 10, 25, 35}, blue),
                 lacks({45, 10, 35, 35}, blue), Probe{100, 80, none}});
        WmfWriter anisotropic = canvas();
        anisotropic.setMapMode(8).setWindowOrg(0, 100).setWindowExt(100, -100);
        drawing("anisotropic upward y", anisotropic.rectangle({0, 50, 50, 50}),
                {{20, 20, red}, {20, 80, none}});
        drawing("lometric", canvas().setMapMode(2).rectangle({0, -254, 254, 254}),
                {{90, 90, red}, {99, 99, none}});
        WmfWriter isotropic = canvas();
        isotropic.setMapMode(7).setWindowExt(200, 100).setViewportExt(100, 100);
        drawing("isotropic", isotropic.rectangle({0, 0, 200, 100}),
                {{90, 40, red}, {90, 60, none}});
        drawing("text mode with viewport origin",
                canvas().setMapMode(1).setViewportOrg(50, 50).rectangle({0, 0, 10, 10}),
                {{55, 55, red}, {5, 5, none}});
        WmfWriter saved = canvas();
        const int greenBrush = saved.createBrush(BsSolid, Qt::green);
        saved.saveDc().selectObject(greenBrush).saveDc().intersectClipRect(QRect(0, 0, 10, 10));
        saved.restoreDc(-2).rectangle(QRect(0, 0, 100, 50));
        saved.saveDc().saveDc().selectObject(greenBrush).restoreDc(1).rectangle({0, 50, 100, 50});
        drawing("savedc restoredc", saved, {{50, 25, red}, {50, 75, red}});
        WmfWriter clipped = canvas();
        clipped.intersectClipRect({10, 10, 80, 80}).excludeClipRect({40, 40, 20, 20});
        drawing("clipping", clipped.rectangle(all), {{5, 5, none}, {20, 20, red}, {50, 50, none}});
        WmfWriter rop2 = canvas();
        rop2.rectangle(all).selectObject(rop2.createBrush(BsSolid, Qt::white));
        rop2.setRop2(7).rectangle(QRect(0, 0, 30, 100)).setRop2(6).rectangle(QRect(30, 0, 30, 100));
        rop2.setRop2(11).rectangle(QRect(60, 0, 20, 100)).setRop2(13).rectangle({80, 0, 20, 100});
        drawing("rop2", rop2, {{15, 50, cyan}, {45, 50, cyan}, {70, 50, red}, {90, 50, white}});
        WmfWriter patterned = canvas();
        patterned.patBlt({0, 0, 100, 50}, 0x00F00021).patBlt({0, 0, 50, 50}, 0x00550009);
        drawing("patblt", patterned.patBlt({0, 50, 50, 50}, 0x00000042),
                {{75, 25, red}, {25, 25, cyan}, {25, 75, black}, {75, 75, none}});
        WmfWriter skipped = canvas();
        skipped.record(0x0626, {15, 6, 1, 2, 3}).record(0x0999, {1, 2, 3, 4});
        skipped.selectPalette(skipped.createPalette({Qt::red})).record(0x0035, {});
        drawing("escape, palette and unknown records skipped", skipped.rectangle(all),
                {{50, 50, red}});
        // Read at another size than its own, a picture is drawn at that size: a circle enlarged
        // keeps a sharp edge, which a bitmap blown up afterwards would spread over some ten pixels;
        // a natural size beyond what may be decoded whole is drawn reduced.
        drawing(
            "circle enlarged", canvas().ellipse(all).data(),
            {{849, 849, red}, {857, 857, none}, {500, 500, red}, {500, 30, red}, {40, 40, none}},
            {1000, 1000});
        WmfWriter huge = canvas();
        huge.setPlaceable(QRect(0, 0, 30000, 30000), 72);
        drawing("beyond the natural limit, reduced", huge.rectangle({0, 0, 30000, 30000}).data(),
                {{50, 50, red}}, {100, 100});
        bitmapsRows();
        deviceBitmapsRows();
        dibScansRows();
        regionsRows();
        objectTableRows();
        hostileRows();
    }

    void records() {
        QFETCH(QByteArray, file);
        QFETCH(bool, renders);
        QFETCH(QList<Probe>, probes);
        QFETCH(QSize, size);
        bool ok = false;
        const QImage image = readWmf(file, size, &ok);
        QCOMPARE(ok, renders);
        QCOMPARE(image.isNull(), !renders);
        if (renders && size.isValid()) QCOMPARE(image.size(), size);
        const QString failure = check(image, probes);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    // A region filled with a brush shows what a rectangle of the same place shows with it, hatches
    // and patterns lying where they lie for every shape, at the natural size and drawn larger.
    void regionBrushes_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<QSize>("size");
        for (const int side : {100, 250})
            for (const auto& [name, style] :
                 {std::pair{"solid", BsSolid}, std::pair{"hatched", BsHatched},
                  std::pair{"pattern", BsPattern}})
                QTest::addRow("%s, %d pixels", name, side) << int(style) << QSize(side, side);
    }

    void regionBrushes() {
        QFETCH(int, style);
        QFETCH(QSize, size);
        auto picture = [&](bool region) {
            WmfWriter w = canvas(white);
            w.rectangle(all);
            // A diagonal hatch shows a shift along either axis.
            const int brush = style == BsPattern
                                  ? w.createPatternBrush(WmfWriter::dib(quadrants(false), 24))
                                  : w.createBrush(style, Qt::blue, 2);
            // The same place: rows 20 to 69, columns 10 to 79.
            if (region)
                w.fillRegion(w.createRegion({{20, 70, {10, 80}}}), brush);
            else
                w.selectObject(brush).rectangle(QRect(10, 20, 70, 50));
            return readWmf(w.data(), size).convertToFormat(QImage::Format_ARGB32);
        };
        const QImage filled = picture(true);
        QVERIFY(regionHas(filled, filled.rect(), style == BsPattern ? red : blue));
        QCOMPARE(differingPixels(filled, picture(false)), 0);
    }

    // The Symbol font's codes, those of other symbol fonts, Windows-1252 where Latin-1 differs, a
    // single-byte code page and the double-byte ones, whose characters take one or two bytes.
    void characterSets_data() {
        QTest::addColumn<Charset>("c");
        using namespace galvia::wmf;
        auto row = [](const char* name, Charset c) { QTest::newRow(name) << c; };
        // clang-format off
        row("ansi", {.charset = AnsiCharset, .bytes = "\x80\xE9\x9C", .text = "€éœ"});
        // The fonts named Symbol here draw only their own codes: its characters come from a serif
        // family.
        row("symbol signs", {.charset = SymbolCharset, .face = "Symbol",
                             .bytes = "\xA5\xB1\xB9\xD6\xE5\xF2\xB3\xCE\x22", .text = "∞±≠√∑∫≥∈∀", .drawn = true});
        row("symbol font named in ansi", {.charset = AnsiCharset, .face = "symbol", .bytes = "DS", .text = "ΔΣ"});
        row("other symbol font", {.charset = SymbolCharset, .face = "Wingdings", .bytes = "J\xFC", .text = "\uF04A\uF0FC"});
        // Every single-byte code page takes the same way as the Russian one.
        row("russian", {.charset = RussianCharset, .bytes = "\xC6\xE8\xF0", .text = "Жир", .drawn = true});
        row("shift-jis, advances per byte", {.charset = ShiftJisCharset, .bytes = "\x93\xFA\x96{A", .text = "日本A",
                                             .lengths = {2, 2, 1}, .drawn = true, .dx = {30, 20, 10, 40, 0},
                                             .x = {10, 60, 110}});
        row("gb2312", {.charset = Gb2312Charset, .bytes = "\xD6\xD0\xCE\xC4", .text = "中文", .lengths = {2, 2}});
        row("big5", {.charset = ChineseBig5Charset, .bytes = "a\xA4\xA4\xA4\xE5", .text = "a中文", .lengths = {1, 2, 2}});
        row("hangul", {.charset = HangulCharset, .bytes = "\xC7\xD1\xB1\xDB", .text = "한글", .lengths = {2, 2}});
        row("double-byte lead byte alone at the end", {.charset = ShiftJisCharset, .bytes = "A\x93", .text = "A\uFFFD"});
        // clang-format on
    }

    void characterSets() {
        QFETCH(Charset, c);
        const auto decoded = galvia::wmf::decodeText(c.bytes, c.charset, c.face);
        QCOMPARE(decoded.text, c.text);
        const QList<int> each = c.lengths.isEmpty() ? QList<int>(c.text.size(), 1) : c.lengths;
        QCOMPARE(QList<int>(decoded.bytes.begin(), decoded.bytes.end()), each);
        if (!c.drawn) return;
        // Drawn, they show the characters as Qt draws them from Unicode; read as Windows-1252 in a
        // plain font the same bytes show something else.
        const QImage expected =
            expectedText(c.face == "Symbol" ? QStringLiteral("Serif") : c.face, c.text, c.x);
        QVERIFY(regionHas(expected, expected.rect(), black));
        QCOMPARE(differingPixels(drawnText(c.face.toLatin1(), c.charset, c.bytes, c.dx), expected),
                 0);
        QVERIFY(differingPixels(drawnText("DejaVu Sans", galvia::wmf::AnsiCharset, c.bytes, c.dx),
                                expected) > 20);
    }

    // Each hostile file is answered, at a full-screen size, within a bound generous enough for a
    // loaded machine under sanitizers (the benchmark holds them to a second), while rich but
    // ordinary pictures are drawn to their last record: the budget leaves room for them.
    void budget_data() {
        QTest::addColumn<QByteArray>("file"); // empty: the hostile file of the row's kind
        QTest::addColumn<QSize>("size");
        for (const char* kind : galvia::wmftools::hostileKinds())
            QTest::newRow(kind) << QByteArray() << QSize(1920, 1080);
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

    void budget() {
        QFETCH(QByteArray, file);
        QFETCH(QSize, size);
        const bool hostile = file.isEmpty();
        if (hostile) file = galvia::wmftools::hostileFile(QTest::currentDataTag());
        QVERIFY(!file.isEmpty());
        QElapsedTimer timer;
        timer.start();
        const galvia::wmf::PlayResult result = galvia::wmf::playData(file, size);
        const qint64 ms = timer.elapsed();
        const QString spent = QString::asprintf("%lld ms, %lld records, work %.3g of %.3g", ms,
                                                result.records, result.work, result.budget);
        if (!hostile) {
            QVERIFY2(result.complete, qPrintable(spent));
            // The picture's share of the budget, to see how much room is left.
            qInfo("work: %.0f%% of the budget", 100 * result.work / result.budget);
            return;
        }
        QVERIFY2(ms < 10'000, qPrintable(spent));
        // The bitmaps too large for the budget are refused before they are decoded; every other
        // hostile file runs out of its budget.
        if (!QByteArray(QTest::currentDataTag()).startsWith("StretchDIB"))
            QVERIFY2(result.work > result.budget, qPrintable(spent));
    }

    void allocationLimit() {
        const WmfWriter w = blank(2000);
        const int previous = QImageReader::allocationLimit();
        QImageReader::setAllocationLimit(8);
        bool ok = true;
        readWmf(w.data(), {}, &ok);
        QImageReader::setAllocationLimit(previous);
        QVERIFY(!ok);
        readWmf(w.data(), {}, &ok);
        QVERIFY(ok);
    }

    void regressions_data() {
        QTest::addColumn<QString>("path");
        const QDir dir(QStringLiteral(GALVIA_WMF_REGRESSIONS_DIR));
        const QStringList files = dir.entryList({QStringLiteral("*.wmf")}, QDir::Files, QDir::Name);
        if (files.isEmpty()) QSKIP("the fuzzer has found no crash yet");
        for (const QString& name : files)
            QTest::newRow(qPrintable(name)) << dir.filePath(name);
    }

    void regressions() {
        QFETCH(QString, path);
        QImageReader reader(path, "wmf");
        const QSize size = reader.size();
        if (size.width() > 1024 || size.height() > 1024)
            reader.setScaledSize(size.scaled(1024, 1024, Qt::KeepAspectRatio));
        const QImage image = reader.read();
        QVERIFY(image.isNull() || image.width() <= 32767);
    }
};

QTEST_MAIN(TestWmf)
#include "tst_wmf.moc"
