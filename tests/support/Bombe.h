// Decompression bombs made by the tests and benchmarks, and large pictures made cheaply.
// The bitmap bomb: about 1 KB, run-length encoded in 8 bits, whose header declares
// `cote` x `cote` pixels and whose data ends at once. Decoders that cannot scale while
// decoding allocate the whole picture for it.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QtEndian>

namespace galvia::test {

inline QByteArray bombeBmp(int cote) {
    constexpr int entete = 14 + 40 + 256 * 4;
    QByteArray b(entete, '\0');
    const auto mot32 = [&b](int o, quint32 v) { qToLittleEndian(v, b.data() + o); };
    const auto mot16 = [&b](int o, quint16 v) { qToLittleEndian(v, b.data() + o); };
    b[0] = 'B';
    b[1] = 'M';
    mot32(10, entete); // offset of the pixels
    mot32(14, 40);     // info header size
    mot32(18, quint32(cote));
    mot32(22, quint32(cote));
    mot16(26, 1);                          // planes
    mot16(28, 8);                          // bits per pixel
    mot32(30, 1);                          // BI_RLE8
    mot32(34, 2);                          // size of the pixel data
    mot32(46, 256);                        // colours used
    b.append(QByteArray::fromHex("0001")); // end of bitmap
    mot32(2, quint32(b.size()));
    return b;
}

// A progressive jpeg of about 500 bytes whose frame header declares `cote` x `cote`
// pixels: libjpeg holds the coefficients of the whole picture before any pixel. With 4
// `composantes` (CMYK), each at full resolution, they take 8 bytes a pixel.
inline QByteArray bombeJpeg(int cote, int composantes = 3) {
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QByteArray o;
    QBuffer tampon(&o);
    tampon.open(QIODevice::WriteOnly);
    QImageWriter ecrivain(&tampon, "JPG");
    ecrivain.setProgressiveScanWrite(true);
    ecrivain.write(image);
    const qsizetype sof = o.indexOf("\xff\xc2");
    qToBigEndian(quint16(cote), o.data() + sof + 5);
    qToBigEndian(quint16(cote), o.data() + sof + 7);
    if (composantes == 4) {
        // Every component sampled 1 x 1, and a fourth one that no scan holds.
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
    QImage bloc(8, 8, QImage::Format_Grayscale8);
    bloc.fill(128);
    QByteArray o;
    QBuffer tampon(&o);
    tampon.open(QIODevice::WriteOnly);
    QImageWriter(&tampon, "JPG").write(bloc);
    const qsizetype sof = o.indexOf("\xff\xc0");
    qToBigEndian(quint16(cote), o.data() + sof + 5);
    qToBigEndian(quint16(cote), o.data() + sof + 7);
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

} // namespace galvia::test
