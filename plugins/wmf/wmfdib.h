// Decoding of the bitmaps embedded in metafile records.
#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QList>

namespace galvia::wmf {

// Decodes a device-independent bitmap (info header, colour table, bits) held in data.
// With paletteIndexes the colour table holds indexes into palette. Returns a null image
// when the bitmap is malformed, does not fit in data, or has more than maxPixels pixels.
// bottomUp, when given, tells whether the rows were stored from the bottom. With scans of
// 0 or more, data holds only that many scan lines of the bitmap (a band, as SETDIBTODEV
// carries it): the image is that band, its rows top to bottom.
QImage decodeDib(QByteArrayView data, bool paletteIndexes, const QList<QRgb>& palette,
                 qint64 maxPixels, bool* bottomUp = nullptr, int scans = -1);

// Decodes the old device-dependent bitmap of BITBLT, STRETCHBLT and the pattern brushes,
// whose bits start bitsOffset bytes into data: one plane of 1, 4, 8, 16, 24 or 32 bits a
// pixel, or up to 8 planes of one bit each, rows from the top. Indexes take the colours of the
// device's palette: black and white for one bit, the sixteen standard colours for four, and for
// eight the twenty fixed colours at the ends of the palette with halftone colours between.
// Null on anything else.
QImage decodeBitmap16(QByteArrayView data, qint64 maxPixels, qsizetype bitsOffset = 14);

} // namespace galvia::wmf
