// A decompression bomb made by the tests and benchmarks: a bitmap of about 1 KB, run-length
// encoded in 8 bits, whose header declares `cote` x `cote` pixels and whose data ends at
// once. Decoders that cannot scale while decoding allocate the whole picture for it.
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
// pixels: libjpeg holds the coefficients of the whole picture before any pixel.
inline QByteArray bombeJpeg(int cote) {
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
    return o;
}

} // namespace galvia::test
