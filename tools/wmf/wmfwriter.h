// A small Windows metafile writer for Galvia's tests, benchmark, fuzzing seeds and samples.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>

#include <initializer_list>
#include <vector>

namespace galvia::wmftools {

class WmfWriter {
public:
    enum class Dib { Rgb, Rle };
    enum ShapeKind : quint16 { Arc = 0x0817, Pie = 0x081A, Chord = 0x0830 };
    // One scan of a region: rows from top to bottom (excluded), split into the spans
    // left, right (excluded), left, right...
    struct Scan {
        int top = 0;
        int bottom = 0;
        QList<int> boundaries;
    };

    // Adds a placeable header with the bounding box (left, top, right, bottom).
    void setPlaceable(QRect box, quint16 unitsPerInch, bool goodChecksum = true);
    // Overrides the object count written in the header (otherwise the peak in use).
    void setObjectCount(int count) { m_objectCountOverride = count; }

    // A record of 16-bit parameters, or of raw parameter bytes.
    WmfWriter& record(quint16 function, std::initializer_list<int> words);
    WmfWriter& record(quint16 function, const QByteArray& params);
    // Bytes appended as they are, to write broken records.
    WmfWriter& raw(const QByteArray& bytes);

    WmfWriter& setWindowOrg(int x, int y) { return record(0x020B, {y, x}); }
    WmfWriter& setWindowExt(int w, int h) { return record(0x020C, {h, w}); }
    WmfWriter& setViewportOrg(int x, int y) { return record(0x020D, {y, x}); }
    WmfWriter& setViewportExt(int w, int h) { return record(0x020E, {h, w}); }
    WmfWriter& setMapMode(int mode) { return record(0x0103, {mode}); }
    WmfWriter& saveDc() { return record(0x001E, {}); }
    WmfWriter& restoreDc(int level) { return record(0x0127, {level}); }

    // Object creation returns the slot the object takes (the lowest free one).
    int createPen(int style, int width, QColor color);
    int createBrush(int style, QColor color, int hatch = 0);
    int createFont(int height, int weight, const QByteArray& face, int escapement = 0,
                   int charset = 0);
    int createPatternBrush(const QByteArray& dib);
    int createPalette(const QList<QColor>& colors);
    int createRegion(const QList<Scan>& scans);
    WmfWriter& selectObject(int index) { return record(0x012D, {index}); }
    WmfWriter& selectPalette(int index) { return record(0x0234, {index}); }
    WmfWriter& deleteObject(int index);

    WmfWriter& setBkColor(QColor c) { return colorRecord(0x0201, c); }
    WmfWriter& setTextColor(QColor c) { return colorRecord(0x0209, c); }
    WmfWriter& setBkMode(int mode) { return record(0x0102, {mode}); }
    WmfWriter& setTextAlign(int align) { return record(0x012E, {align}); }
    WmfWriter& setPolyFillMode(int mode) { return record(0x0106, {mode}); }
    WmfWriter& setRop2(int rop) { return record(0x0104, {rop}); }

    WmfWriter& moveTo(QPoint p) { return record(0x0214, {p.y(), p.x()}); }
    WmfWriter& lineTo(QPoint p) { return record(0x0213, {p.y(), p.x()}); }
    WmfWriter& rectangle(QRect r) { return rectRecord(0x041B, r, {}); }
    WmfWriter& ellipse(QRect r) { return rectRecord(0x0418, r, {}); }
    WmfWriter& roundRect(QRect r, int w, int h) { return rectRecord(0x061C, r, {h, w}); }
    WmfWriter& intersectClipRect(QRect r) { return rectRecord(0x0416, r, {}); }
    WmfWriter& excludeClipRect(QRect r) { return rectRecord(0x0415, r, {}); }
    WmfWriter& paintRegion(int region) { return record(0x012B, {region}); }
    WmfWriter& invertRegion(int region) { return record(0x012A, {region}); }
    WmfWriter& fillRegion(int region, int brush) { return record(0x0228, {region, brush}); }
    WmfWriter& frameRegion(int region, int brush, int width, int height) {
        return record(0x0429, {region, brush, height, width});
    }
    WmfWriter& selectClipRegion(int region) { return record(0x012C, {region}); }
    WmfWriter& offsetClipRgn(int dx, int dy) { return record(0x0220, {dy, dx}); }
    WmfWriter& arc(ShapeKind kind, QRect r, QPoint start, QPoint end);
    WmfWriter& polygon(const QList<QPoint>& points) { return pointsRecord(0x0324, points); }
    WmfWriter& polyline(const QList<QPoint>& points) { return pointsRecord(0x0325, points); }
    WmfWriter& polyPolygon(const QList<QList<QPoint>>& polygons);
    WmfWriter& textOut(QPoint at, const QByteArray& text);
    WmfWriter& extTextOut(QPoint at, const QByteArray& text, int options = 0, QRect rect = {},
                          const QList<int>& dx = {});
    WmfWriter& patBlt(QRect r, quint32 rop);
    WmfWriter& stretchDib(QRect dest, QRect source, const QByteArray& dib,
                          quint32 rop = 0x00CC0020) {
        return stretchRecord(0x0F43, dest, source, dib, rop);
    }
    WmfWriter& dibStretchBlt(QRect dest, QRect source, const QByteArray& dib,
                             quint32 rop = 0x00CC0020) {
        return stretchRecord(0x0B41, dest, source, dib, rop);
    }
    WmfWriter& dibBitBlt(QPoint dest, QRect source, const QByteArray& dib,
                         quint32 rop = 0x00CC0020);
    WmfWriter& setDibToDev(QPoint dest, QSize size, const QByteArray& dib);
    // The rectangle source of a bitmap of which dib holds scanCount scan lines from startScan
    // on (see dibScans).
    WmfWriter& setDibToDev(QPoint dest, QRect source, int startScan, int scanCount,
                           const QByteArray& dib);
    // Blits of an old device-dependent bitmap (see bitmap16).
    WmfWriter& bitBlt(QPoint dest, QRect source, const QByteArray& bitmap,
                      quint32 rop = 0x00CC0020);
    WmfWriter& stretchBlt(QRect dest, QRect source, const QByteArray& bitmap,
                          quint32 rop = 0x00CC0020);

    // The metafile: headers, records, and the closing EOF record unless left out.
    QByteArray data(bool withEof = true) const;
    int recordCount() const { return m_records; }

    // Encodes image as a bitmap of the given depth (1, 4, 8, 16, 24 or 32 bits); depths
    // of 4 and 8 bits may be run-length encoded. Images of 8 bits or fewer must have
    // at most that many colours.
    static QByteArray dib(const QImage& image, int bits, Dib compression = Dib::Rgb,
                          bool topDown = false);
    // An old device-dependent bitmap of rows of pixel values, top row first: palette indexes
    // for 1, 4 and 8 bits a pixel and for planes of one bit, 0xRRGGBB colours for 16, 24 and
    // 32 bits.
    // A bitmap of 24 or 32 bits (see dib) cut to count scan lines from first on, in the
    // order they are stored: from the bottom unless topDown. Its header keeps the whole height.
    static QByteArray dibScans(const QImage& image, int bits, int first, int count,
                               bool topDown = false);
    static QByteArray bitmap16(const QList<QList<int>>& rows, int bits, int planes = 1);

private:
    WmfWriter& colorRecord(quint16 function, QColor c);
    WmfWriter& rectRecord(quint16 function, QRect r, std::initializer_list<int> before);
    WmfWriter& stretchRecord(quint16 function, QRect dest, QRect source, const QByteArray& dib,
                             quint32 rop);
    WmfWriter& pointsRecord(quint16 function, const QList<QPoint>& points);
    int takeSlot();

    QByteArray m_records_bytes;
    int m_records = 0;
    quint32 m_maxRecordWords = 3;
    bool m_placeable = false;
    bool m_goodChecksum = true;
    QRect m_box;
    quint16 m_unitsPerInch = 0;
    std::vector<bool> m_slots;
    int m_peakObjects = 0;
    int m_objectCountOverride = -1;
};

} // namespace galvia::wmftools
