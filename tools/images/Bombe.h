// Hostile pictures made by the tests, the benchmarks and the fuzzer's seeds: small files
// that ask a decoder for far more memory or work than their size suggests; and large
// pictures made cheaply.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QDataStream>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QList>
#include <QtEndian>

namespace galvia::test {

// A decompression bomb: a bitmap of about 1 KB, run-length encoded in 8 bits, whose
// header declares `cote` x `cote` pixels and whose data ends at once. Decoders that
// cannot scale while decoding allocate the whole picture for it.
inline QByteArray bombeBmp(int cote) {
    constexpr quint32 entete = 14 + 40 + 256 * 4;
    QByteArray b;
    QDataStream s(&b, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    // File header: its size, the offset of the pixels; info header: planes, bits per pixel,
    // BI_RLE8, size of the pixel data, 256 colours used; a black palette; end of bitmap.
    s << quint16(0x4D42) << entete + 2 << quint32(0) << entete << quint32(40) << quint32(cote)
      << quint32(cote) << quint16(1) << quint16(8) << quint32(1) << quint32(2) << quint64(0)
      << quint32(256) << quint32(0);
    return b + QByteArray(256 * 4, '\0') + QByteArray::fromHex("0001");
}

// `image` written by Qt as a jpeg, baseline or progressive.
inline QByteArray jpegQt(const QImage& image, bool progressif) {
    QByteArray o;
    QBuffer tampon(&o);
    tampon.open(QIODevice::WriteOnly);
    QImageWriter ecrivain(&tampon, "JPG");
    ecrivain.setProgressiveScanWrite(progressif);
    ecrivain.write(image);
    return o;
}

// A small jpeg written by Qt, its frame header declaring `cote` x `cote` pixels.
inline QByteArray jpegAgrandi(int cote, bool progressif, QImage::Format format) {
    QImage image(64, 64, format);
    image.fill(Qt::gray);
    QByteArray o = jpegQt(image, progressif);
    const qsizetype sof = o.indexOf(progressif ? "\xff\xc2" : "\xff\xc0");
    qToBigEndian(quint16(cote), o.data() + sof + 5);
    qToBigEndian(quint16(cote), o.data() + sof + 7);
    return o;
}

// A progressive jpeg of about 500 bytes whose frame header declares `cote` x `cote`
// pixels: libjpeg holds the coefficients of the whole picture before any pixel. With 4
// `composantes` (CMYK), each at full resolution, they take 8 bytes a pixel.
inline QByteArray bombeJpeg(int cote, int composantes = 3) {
    QByteArray o = jpegAgrandi(cote, true, QImage::Format_RGB32);
    if (composantes == 4) {
        // Every component sampled 1 x 1, and a fourth one that no scan holds.
        const qsizetype sof = o.indexOf("\xff\xc2");
        for (int c = 0; c < 3; ++c)
            o[sof + 11 + 3 * c] = 0x11;
        o.insert(sof + 10 + 3 * 3, QByteArray::fromHex("041100"));
        o[sof + 9] = 4;
        qToBigEndian(quint16(8 + 3 * 4), o.data() + sof + 2);
    }
    return o;
}

// A baseline grey jpeg of `cote` x `cote` pixels (a multiple of 8), uniform mid-grey,
// written without ever holding its pixels: each 8 x 8 block, its value that of the
// level shift, is coded "00" (no DC change) "1010" (end of block) in the standard
// tables, four blocks in three bytes. 1.4 MB for 11000 pixels.
inline QByteArray jpegGris(int cote) {
    QByteArray o = jpegAgrandi(cote, false, QImage::Format_Grayscale8);
    const qsizetype sos = o.indexOf("\xff\xda");
    o.truncate(sos + 2 + qFromBigEndian<quint16>(o.constData() + sos + 2));
    const qint64 blocs = qint64(cote / 8) * (cote / 8);
    o.reserve(o.size() + blocs * 3 / 4 + 8);
    for (qint64 i = 0; i < blocs / 4; ++i)
        o.append("\x28\xa2\x8a", 3);
    // The last blocks, the byte padded with ones.
    const char* fins[] = {"", "\x2b", "\x28\xaf", "\x28\xa2\xbf"};
    o.append(fins[blocs % 4]);
    o.append("\xff\xd9", 2);
    return o;
}

// A scan bomb: a progressive grey jpeg of `cote` x `cote` pixels, its tables, then one
// DC scan and `balayages` AC scans that hold no data, ten bytes each. A decoder goes
// over every block of the picture for each scan.
inline QByteArray bombeBalayages(int cote, int balayages) {
    QByteArray o = jpegAgrandi(cote, true, QImage::Format_Grayscale8);
    o.truncate(o.indexOf("\xff\xda"));
    // An AC table of one code, end of band, for the AC scans.
    o.append(QByteArray::fromHex("ffc40014 10 01000000000000000000000000000000 00"));
    o.append(QByteArray::fromHex("ffda000801010000 0000"));
    const QByteArray ac = QByteArray::fromHex("ffda00080101 00013f00");
    for (int k = 0; k < balayages; ++k)
        o.append(ac);
    o.append(QByteArray::fromHex("ffd9"));
    return o;
}

// A sequential jpeg declaring `cote` x `cote` pixels whose data stops short, without an
// end marker: whatever follows in its file reads as its data.
inline QByteArray jpegSansFin(int cote) {
    QByteArray o = jpegAgrandi(cote, false, QImage::Format_RGB32);
    o.chop(2);
    return o;
}

// A whole GIF of one pixel, 43 bytes: header, screen and two colours, a graphic control
// extension, the picture's descriptor and data, the trailer.
inline QByteArray gifUnPixel() {
    return QByteArray::fromHex("474946383961 0100 0100 80 00 00 000000 ffffff 21f904 0100000000"
                               "2c 0000 0000 0100 0100 00 02 02 4401 00 3b");
}

// The hostile kinds that fill a file with a long hole after a few bytes, their contents
// and the size their files are extended to.
struct Creux {
    const char* nom;
    QByteArray contenu;
    qint64 taille;
};
inline QList<Creux> hostilesCreux() {
    return {{"GIF of one pixel in 8 GiB", gifUnPixel(), qint64{8} << 30},
            {"GIF of one pixel in 64 GiB", gifUnPixel(), qint64{64} << 30},
            {"jpeg 4096 px without end in 8 GiB", jpegSansFin(4096), qint64{8} << 30},
            {"jpeg 1920 px without end in 48 MiB", jpegSansFin(1920), qint64{48} << 20}};
}

// The hostile kinds held whole in their bytes.
struct Hostile {
    const char* nom;
    QByteArray contenu;
};
inline QList<Hostile> hostilesPleins() {
    return {{"scan bomb 4096 px, 30000 scans", bombeBalayages(4096, 30000)},
            {"scan bomb 2048 px, 20000 scans", bombeBalayages(2048, 20000)},
            {"scan bomb 1920 px, 100000 scans", bombeBalayages(1920, 100000)},
            {"scan bomb 16 px, 100000 scans", bombeBalayages(16, 100000)}};
}

// Writes `contenu` into `fichier`, then extends it to `taille` bytes with a hole, which
// takes no disk; false when the file system refuses.
inline bool ecrireCreux(const QString& fichier, const QByteArray& contenu, qint64 taille) {
    QFile f(fichier);
    return f.open(QIODevice::WriteOnly) && f.write(contenu) == contenu.size() && f.resize(taille);
}

} // namespace galvia::test
