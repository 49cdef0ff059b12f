// Writes Galvia's sample metafiles, with --seeds a wider set used to seed the fuzzer, and
// with --hostile the hostile metafiles of at most that many bytes.
//   galvia_wmf_samples <directory> [--seeds] [--hostile <bytes>]
#include "hostile.h"
#include "wmfwriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPainter>

#include <cstdio>
#include <functional>

using galvia::wmftools::WmfWriter;

namespace {

enum { PsSolid = 0, PsDash = 1, BsSolid = 0, BsNull = 1, BsHatched = 2 };

QByteArray house() {
    WmfWriter w;
    w.setWindowOrg(0, 0).setWindowExt(640, 480).setMapMode(8);
    const int sky = w.createBrush(BsSolid, QColor(150, 200, 255));
    const int none = w.createPen(5, 0, Qt::black);
    w.selectObject(sky).selectObject(none).rectangle(QRect(0, 0, 640, 330));
    const int grass = w.createBrush(BsSolid, QColor(60, 160, 60));
    w.selectObject(grass).rectangle(QRect(0, 330, 640, 150));
    const int sun = w.createBrush(BsSolid, QColor(255, 220, 0));
    w.selectObject(sun).ellipse(QRect(500, 30, 90, 90));
    const int outline = w.createPen(PsSolid, 3, QColor(60, 30, 10));
    const int wall = w.createBrush(BsSolid, QColor(230, 200, 150));
    w.selectObject(outline).selectObject(wall).rectangle(QRect(180, 220, 260, 180));
    const int roof = w.createBrush(BsSolid, QColor(180, 40, 30));
    w.selectObject(roof).polygon({{160, 225}, {310, 110}, {460, 225}});
    const int glass = w.createBrush(BsHatched, QColor(40, 80, 160), 4);
    w.selectObject(glass).roundRect(QRect(210, 260, 70, 60), 12, 12);
    w.roundRect(QRect(340, 260, 70, 60), 12, 12);
    const int door = w.createBrush(BsSolid, QColor(110, 60, 20));
    w.selectObject(door).rectangle(QRect(290, 310, 40, 90));
    const int font = w.createFont(-32, 700, "DejaVu Sans");
    w.selectObject(font).setTextColor(QColor(20, 20, 60)).setBkMode(1).setTextAlign(6);
    w.textOut(QPoint(320, 420), "Maison");
    return w.data();
}

QByteArray flower() {
    WmfWriter w;
    w.setPlaceable(QRect(0, 0, 2880, 2880), 1440);
    w.setWindowOrg(0, 0).setWindowExt(2880, 2880);
    const int stem = w.createPen(PsSolid, 60, QColor(40, 120, 40));
    w.selectObject(stem).moveTo(QPoint(1440, 1500)).lineTo(QPoint(1440, 2800));
    const int petals = w.createBrush(BsSolid, QColor(230, 80, 160));
    const int thin = w.createPen(PsSolid, 10, QColor(120, 20, 80));
    w.selectObject(petals).selectObject(thin);
    const QRect disk(640, 340, 1600, 1600);
    w.arc(WmfWriter::Pie, disk, QPoint(2240, 1140), QPoint(1440, 340));
    w.arc(WmfWriter::Pie, disk, QPoint(640, 1140), QPoint(1440, 1940));
    const int other = w.createBrush(BsHatched, QColor(200, 40, 120), 5);
    w.selectObject(other);
    w.arc(WmfWriter::Pie, disk, QPoint(1440, 340), QPoint(640, 1140));
    w.arc(WmfWriter::Chord, disk, QPoint(1440, 1940), QPoint(2240, 1140));
    const int heart = w.createBrush(BsSolid, QColor(255, 200, 0));
    w.selectObject(heart).ellipse(QRect(1240, 940, 400, 400));
    const int dash = w.createPen(PsDash, 0, Qt::black);
    w.selectObject(dash).arc(WmfWriter::Arc, QRect(200, 100, 2480, 2480), QPoint(2680, 1340),
                             QPoint(200, 1340));
    return w.data();
}

QByteArray checker() {
    WmfWriter w;
    w.setWindowExt(400, 300);
    QImage tile(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            tile.setPixel(x, y, (x / 4 + y / 4) % 2 ? qRgb(40, 40, 40) : qRgb(240, 240, 240));
    const int pattern = w.createPatternBrush(WmfWriter::dib(tile, 24));
    w.selectObject(pattern).rectangle(QRect(0, 0, 400, 300));
    QImage photo(64, 48, QImage::Format_RGB32);
    QPainter p(&photo);
    QLinearGradient g(0, 0, 64, 48);
    g.setColorAt(0, Qt::darkBlue);
    g.setColorAt(1, Qt::yellow);
    p.fillRect(photo.rect(), g);
    p.end();
    w.stretchDib(QRect(40, 40, 320, 220), QRect(0, 0, 64, 48), WmfWriter::dib(photo, 24));
    return w.data();
}

// Small files touching each family of records, for the fuzzer to start from.
QList<std::pair<const char*, QByteArray>> seeds() {
    QList<std::pair<const char*, QByteArray>> out;
    QImage four(16, 16, QImage::Format_RGB32);
    four.fill(Qt::red);
    for (int i = 0; i < 16; ++i)
        four.setPixel(i, i, qRgb(0, 0, 255));
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        WmfWriter w;
        w.setWindowExt(32, 32);
        w.dibStretchBlt(QRect(0, 0, 32, 32), QRect(0, 0, 16, 16), WmfWriter::dib(four, bits));
        if (bits == 4 || bits == 8)
            w.dibBitBlt(QPoint(0, 0), QRect(0, 0, 16, 16),
                        WmfWriter::dib(four, bits, WmfWriter::Dib::Rle));
        w.setDibToDev(QPoint(8, 8), QSize(16, 16),
                      WmfWriter::dib(four, bits, WmfWriter::Dib::Rgb, true));
        if (bits >= 24)
            w.setDibToDev(QPoint(0, 4), QRect(2, 3, 12, 10), 5, 6,
                          WmfWriter::dibScans(four, bits, 5, 6));
        out.append({bits == 1    ? "dib1"
                    : bits == 4  ? "dib4"
                    : bits == 8  ? "dib8"
                    : bits == 16 ? "dib16"
                    : bits == 24 ? "dib24"
                                 : "dib32",
                    w.data()});
    }
    WmfWriter text;
    text.setMapMode(2).setWindowOrg(0, 0).setViewportOrg(0, 300);
    text.selectObject(text.createFont(80, 400, "DejaVu Serif", 300));
    text.setBkMode(2).setBkColor(Qt::yellow).textOut(QPoint(10, -10), "Galvia");
    text.extTextOut(QPoint(10, -150), "abc", 6, QRect(0, -200, 300, 100), {40, 40, 40});
    out.append({"text", text.data()});
    WmfWriter clip;
    clip.setWindowExt(100, 100).saveDc().intersectClipRect(QRect(10, 10, 80, 80));
    clip.excludeClipRect(QRect(40, 40, 20, 20)).setRop2(7).setPolyFillMode(2);
    clip.polyPolygon({{{0, 0}, {100, 0}, {50, 100}}, {{20, 20}, {80, 20}, {50, 80}}});
    clip.restoreDc(-1).patBlt(QRect(0, 0, 50, 50), 0x005A0049).polyline({{0, 0}, {100, 100}});
    clip.selectPalette(clip.createPalette({Qt::red, Qt::green})).deleteObject(0);
    out.append({"clip", clip.data()});
    WmfWriter regions;
    regions.setWindowExt(100, 100).selectObject(regions.createBrush(0, Qt::red));
    const int notched =
        regions.createRegion({{10, 30, {10, 30, 60, 80}}, {30, 50, {10, 80}}, {50, 52, {}}});
    const int hatch = regions.createBrush(2, Qt::blue, 3);
    regions.paintRegion(notched).fillRegion(notched, hatch).frameRegion(notched, hatch, 3, 2);
    regions.invertRegion(notched).saveDc().selectClipRegion(notched).offsetClipRgn(5, -5);
    regions.ellipse(QRect(0, 0, 100, 100)).restoreDc(-1).selectObject(notched);
    regions.deleteObject(notched).polygon({{0, 0}, {100, 0}, {0, 100}});
    out.append({"regions", regions.data()});
    WmfWriter charsets;
    charsets.setWindowExt(400, 400).setBkMode(1);
    const std::pair<int, QByteArray> strings[] = {
        {2, "abgp\xA5\xB9"},   {161, "\xE1\xE2"}, {204, "\xC6\xE8"}, {238, "\xB9\xE6"},
        {128, "\x93\xFA\x96"}, {136, "\xA4\xA4"}, {129, "\xC7\xD1"}, {222, "\xA1"}};
    int y = 20;
    for (const auto& [charset, bytes] : strings) {
        const int font =
            charsets.createFont(-30, 400, charset == 2 ? "Symbol" : "Arial", 0, charset);
        charsets.selectObject(font).extTextOut(QPoint(10, y), bytes, 0, {},
                                               QList<int>(bytes.size(), 12));
        charsets.textOut(QPoint(200, y), bytes).deleteObject(font);
        y += 45;
    }
    out.append({"charsets", charsets.data()});
    WmfWriter ddb;
    ddb.setWindowExt(64, 64);
    QList<QList<int>> rows;
    for (int y = 0; y < 6; ++y) {
        QList<int> row;
        for (int x = 0; x < 10; ++x)
            row << (x * 37 + y * 11) % 256;
        rows << row;
    }
    const std::pair<int, int> layouts[] = {{1, 1},  {4, 1},  {8, 1}, {16, 1},
                                           {24, 1}, {32, 1}, {1, 4}, {1, 3}};
    int at = 0;
    for (const auto& [bits, planes] : layouts) {
        ddb.stretchBlt(QRect(at, at, 30, 20), QRect(1, 1, 8, 4),
                       WmfWriter::bitmap16(rows, bits, planes), at % 16 ? 0x00660046 : 0x00CC0020);
        ddb.bitBlt(QPoint(at, 40), QRect(0, 0, 10, 6), WmfWriter::bitmap16(rows, bits, planes));
        at += 7;
    }
    out.append({"ddb", ddb.data()});
    return out;
}

bool write(const QDir& dir, const QString& name, const QByteArray& data) {
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr,
                     "usage: galvia_wmf_samples <directory> [--seeds] [--hostile <bytes>]\n");
        return 2;
    }
    QDir dir(args[1]);
    if (!dir.mkpath(QStringLiteral("."))) return 1;
    bool ok = write(dir, QStringLiteral("maison.wmf"), house()) &&
              write(dir, QStringLiteral("tournesol.wmf"), flower()) &&
              write(dir, QStringLiteral("mosaique.wmf"), checker());
    if (args.contains(QStringLiteral("--seeds")))
        for (const auto& [name, data] : seeds())
            ok = ok && write(dir, QLatin1String(name) + QStringLiteral(".wmf"), data);
    const qsizetype hostile = args.indexOf(QStringLiteral("--hostile"));
    if (hostile > 0 && hostile + 1 < args.size()) {
        const qint64 maxBytes = args[hostile + 1].toLongLong();
        int n = 0;
        for (const char* kind : galvia::wmftools::hostileKinds()) {
            const QByteArray data = galvia::wmftools::hostileFile(kind);
            if (data.size() <= maxBytes)
                ok = ok &&
                     write(dir, QStringLiteral("hostile-%1.wmf").arg(++n, 2, 10, QLatin1Char('0')),
                           data);
        }
    }
    return ok ? 0 : 1;
}
