#include "wmfwriter.h"

#include <QtEndian>

#include <algorithm>

namespace galvia::wmftools {

namespace {

void put16(QByteArray& out, int v) {
    const quint16 w = quint16(v);
    out.append(char(w & 0xFF)).append(char(w >> 8));
}

void put32(QByteArray& out, quint32 v) {
    put16(out, int(v & 0xFFFF));
    put16(out, int(v >> 16));
}

void putColor(QByteArray& out, QColor c) {
    out.append(char(c.red())).append(char(c.green())).append(char(c.blue())).append('\0');
}

void putText(QByteArray& out, const QByteArray& text) {
    out.append(text);
    if (text.size() % 2) out.append('\0');
}

// Run-length encodes one row of palette indexes, 8 or 4 bits a pixel.
void encodeRow(QByteArray& out, const uchar* px, int w, bool rle4) {
    const int maxRun = 255;
    int i = 0;
    while (i < w) {
        int run = 1;
        while (i + run < w && run < maxRun && px[i + run] == px[i])
            ++run;
        int literal = 0;
        if (run < 2)
            while (i + literal < w && literal < maxRun &&
                   (i + literal + 1 >= w || px[i + literal + 1] != px[i + literal]))
                ++literal;
        if (literal < 3) {
            out.append(char(run)).append(char(rle4 ? (px[i] << 4) | px[i] : px[i]));
            i += run;
            continue;
        }
        out.append('\0').append(char(literal));
        const int bytes = rle4 ? (literal + 1) / 2 : literal;
        for (int k = 0; k < bytes; ++k) {
            if (!rle4) {
                out.append(char(px[i + k]));
                continue;
            }
            const int hi = px[i + 2 * k];
            const int lo = 2 * k + 1 < literal ? px[i + 2 * k + 1] : 0;
            out.append(char((hi << 4) | lo));
        }
        if (bytes % 2) out.append('\0');
        i += literal;
    }
}

} // namespace

void WmfWriter::setPlaceable(QRect box, quint16 unitsPerInch, bool goodChecksum) {
    m_placeable = true;
    m_box = box;
    m_unitsPerInch = unitsPerInch;
    m_goodChecksum = goodChecksum;
}

WmfWriter& WmfWriter::record(quint16 function, std::initializer_list<int> words) {
    QByteArray params;
    for (int w : words)
        put16(params, w);
    return record(function, params);
}

WmfWriter& WmfWriter::record(quint16 function, const QByteArray& params) {
    QByteArray padded = params;
    if (padded.size() % 2) padded.append('\0');
    const quint32 words = quint32(3 + padded.size() / 2);
    put32(m_records_bytes, words);
    put16(m_records_bytes, function);
    m_records_bytes.append(padded);
    m_maxRecordWords = std::max(m_maxRecordWords, words);
    ++m_records;
    return *this;
}

WmfWriter& WmfWriter::raw(const QByteArray& bytes) {
    m_records_bytes.append(bytes);
    return *this;
}

int WmfWriter::takeSlot() {
    const auto free = std::find(m_slots.begin(), m_slots.end(), false);
    const int slot = int(free - m_slots.begin());
    if (free == m_slots.end())
        m_slots.push_back(true);
    else
        *free = true;
    m_peakObjects = std::max(m_peakObjects, int(m_slots.size()));
    return slot;
}

WmfWriter& WmfWriter::deleteObject(int index) {
    if (index >= 0 && size_t(index) < m_slots.size()) m_slots[size_t(index)] = false;
    return record(0x01F0, {index});
}

int WmfWriter::createPen(int style, int width, QColor color) {
    QByteArray p;
    put16(p, style);
    put16(p, width);
    put16(p, 0);
    putColor(p, color);
    record(0x02FA, p);
    return takeSlot();
}

int WmfWriter::createBrush(int style, QColor color, int hatch) {
    QByteArray p;
    put16(p, style);
    putColor(p, color);
    put16(p, hatch);
    record(0x02FC, p);
    return takeSlot();
}

int WmfWriter::createFont(int height, int weight, const QByteArray& face, int escapement,
                          int charset) {
    QByteArray p;
    for (int v : {height, 0, escapement, escapement, weight})
        put16(p, v);
    // Italic, underline, strike-out, character set, then precisions, quality and pitch.
    p.append(QByteArray(3, '\0')).append(char(charset)).append(QByteArray(4, '\0'));
    p.append(face.left(31)).append('\0');
    record(0x02FB, p);
    return takeSlot();
}

int WmfWriter::createPatternBrush(const QByteArray& dib) {
    QByteArray p;
    put16(p, 5);
    put16(p, 0);
    record(0x0142, p + dib);
    return takeSlot();
}

int WmfWriter::createPalette(const QList<QColor>& colors) {
    QByteArray p;
    put16(p, 0x0300);
    put16(p, int(colors.size()));
    for (const QColor& c : colors)
        putColor(p, c);
    record(0x00F7, p);
    return takeSlot();
}

int WmfWriter::createRegion(const QList<Scan>& scans) {
    QByteArray body;
    int left = 0, top = 0, right = 0, bottom = 0, largest = 0;
    for (const Scan& scan : scans) {
        put16(body, int(scan.boundaries.size()));
        put16(body, scan.top);
        put16(body, scan.bottom);
        for (int x : scan.boundaries)
            put16(body, x);
        put16(body, int(scan.boundaries.size()));
        largest = std::max(largest, int(scan.boundaries.size()) * 2 + 8);
        if (!scan.boundaries.isEmpty()) {
            const bool first = left == right;
            left = first ? scan.boundaries.first() : std::min(left, int(scan.boundaries.first()));
            right = first ? scan.boundaries.last() : std::max(right, int(scan.boundaries.last()));
            top = first ? scan.top : std::min(top, scan.top);
            bottom = first ? scan.bottom : std::max(bottom, scan.bottom);
        }
    }
    QByteArray p;
    put16(p, 0);
    put16(p, 6);
    put32(p, 0);
    put16(p, int(22 + body.size()));
    put16(p, int(scans.size()));
    put16(p, largest);
    for (int v : {left, top, right, bottom})
        put16(p, v);
    record(0x06FF, p + body);
    return takeSlot();
}

WmfWriter& WmfWriter::colorRecord(quint16 function, QColor c) {
    QByteArray p;
    putColor(p, c);
    return record(function, p);
}

WmfWriter& WmfWriter::rectRecord(quint16 function, QRect r, std::initializer_list<int> before) {
    QByteArray p;
    for (int v : before)
        put16(p, v);
    for (int v : {r.y() + r.height(), r.x() + r.width(), r.y(), r.x()})
        put16(p, v);
    return record(function, p);
}

WmfWriter& WmfWriter::arc(ShapeKind kind, QRect r, QPoint start, QPoint end) {
    QByteArray p;
    for (int v : {end.y(), end.x(), start.y(), start.x()})
        put16(p, v);
    for (int v : {r.y() + r.height(), r.x() + r.width(), r.y(), r.x()})
        put16(p, v);
    return record(kind, p);
}

WmfWriter& WmfWriter::pointsRecord(quint16 function, const QList<QPoint>& points) {
    QByteArray p;
    put16(p, int(points.size()));
    for (const QPoint& pt : points)
        put16(p, pt.x()), put16(p, pt.y());
    return record(function, p);
}

WmfWriter& WmfWriter::polyPolygon(const QList<QList<QPoint>>& polygons) {
    QByteArray p;
    put16(p, int(polygons.size()));
    for (const auto& poly : polygons)
        put16(p, int(poly.size()));
    for (const auto& poly : polygons)
        for (const QPoint& pt : poly)
            put16(p, pt.x()), put16(p, pt.y());
    return record(0x0538, p);
}

WmfWriter& WmfWriter::textOut(QPoint at, const QByteArray& text) {
    QByteArray p;
    put16(p, int(text.size()));
    putText(p, text);
    put16(p, at.y());
    put16(p, at.x());
    return record(0x0521, p);
}

WmfWriter& WmfWriter::extTextOut(QPoint at, const QByteArray& text, int options, QRect rect,
                                 const QList<int>& dx) {
    QByteArray p;
    for (int v : {at.y(), at.x(), int(text.size()), options})
        put16(p, v);
    if (options & 6)
        for (int v : {rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()})
            put16(p, v);
    putText(p, text);
    for (int d : dx)
        put16(p, d);
    return record(0x0A32, p);
}

WmfWriter& WmfWriter::patBlt(QRect r, quint32 rop) {
    QByteArray p;
    put32(p, rop);
    for (int v : {r.height(), r.width(), r.y(), r.x()})
        put16(p, v);
    return record(0x061D, p);
}

WmfWriter& WmfWriter::stretchRecord(quint16 function, QRect dest, QRect source,
                                    const QByteArray& dib, quint32 rop) {
    QByteArray p;
    put32(p, rop);
    if (function == 0x0F43) put16(p, 0); // colours of the table are RGB values
    for (int v : {source.height(), source.width(), source.y(), source.x(), dest.height(),
                  dest.width(), dest.y(), dest.x()})
        put16(p, v);
    return record(function, p + dib);
}

WmfWriter& WmfWriter::dibBitBlt(QPoint dest, QRect source, const QByteArray& dib, quint32 rop) {
    QByteArray p;
    put32(p, rop);
    for (int v : {source.y(), source.x(), source.height(), source.width(), dest.y(), dest.x()})
        put16(p, v);
    return record(0x0940, p + dib);
}

WmfWriter& WmfWriter::setDibToDev(QPoint dest, QSize size, const QByteArray& dib) {
    QByteArray p;
    for (int v : {0, size.height(), 0, 0, 0, size.height(), size.width(), dest.y(), dest.x()})
        put16(p, v);
    return record(0x0D33, p + dib);
}

WmfWriter& WmfWriter::bitBlt(QPoint dest, QRect source, const QByteArray& bitmap, quint32 rop) {
    QByteArray p;
    put32(p, rop);
    for (int v : {source.y(), source.x(), source.height(), source.width(), dest.y(), dest.x()})
        put16(p, v);
    return record(0x0922, p + bitmap);
}

WmfWriter& WmfWriter::stretchBlt(QRect dest, QRect source, const QByteArray& bitmap, quint32 rop) {
    QByteArray p;
    put32(p, rop);
    for (int v : {source.height(), source.width(), source.y(), source.x(), dest.height(),
                  dest.width(), dest.y(), dest.x()})
        put16(p, v);
    return record(0x0B23, p + bitmap);
}

QByteArray WmfWriter::bitmap16(const QList<QList<int>>& rows, int bits, int planes) {
    const int h = int(rows.size());
    const int w = h ? int(rows[0].size()) : 0;
    // Rows of every plane padded to whole 16-bit words.
    const int widthBytes = ((w * bits + 15) / 16) * 2;
    QByteArray out;
    for (int v : {0, w, h, widthBytes})
        put16(out, v);
    out.append(char(planes)).append(char(bits));
    put32(out, 0); // where the bits lay in the producer's memory
    for (const QList<int>& row : rows) {
        for (int plane = 0; plane < planes; ++plane) {
            QByteArray line(widthBytes, '\0');
            auto* o = reinterpret_cast<uchar*>(line.data());
            for (int x = 0; x < w; ++x) {
                const int v = planes > 1 ? (row[x] >> plane) & 1 : row[x];
                switch (bits) {
                case 1:
                    o[x / 8] |= uchar((v & 1) << (7 - x % 8));
                    break;
                case 4:
                    o[x / 2] |= uchar((v & 0xF) << (x % 2 ? 0 : 4));
                    break;
                case 8:
                    o[x] = uchar(v);
                    break;
                case 16: {
                    const int c =
                        (((v >> 19) & 31) << 10) | (((v >> 11) & 31) << 5) | ((v >> 3) & 31);
                    o[2 * x] = uchar(c & 0xFF);
                    o[2 * x + 1] = uchar(c >> 8);
                    break;
                }
                default:
                    o[bits / 8 * x] = uchar(v & 0xFF);
                    o[bits / 8 * x + 1] = uchar((v >> 8) & 0xFF);
                    o[bits / 8 * x + 2] = uchar((v >> 16) & 0xFF);
                    break;
                }
            }
            out += line;
        }
    }
    return out;
}

WmfWriter& WmfWriter::setDibToDev(QPoint dest, QRect source, int startScan, int scanCount,
                                  const QByteArray& dib) {
    QByteArray p;
    for (int v : {0, scanCount, startScan, source.y(), source.x(), source.height(), source.width(),
                  dest.y(), dest.x()})
        put16(p, v);
    return record(0x0D33, p + dib);
}

QByteArray WmfWriter::dibScans(const QImage& image, int bits, int first, int count, bool topDown) {
    const QByteArray whole = dib(image, bits, Dib::Rgb, topDown);
    const int stride = ((image.width() * bits + 31) / 32) * 4;
    return whole.left(40) + whole.mid(40 + first * stride, count * stride);
}

QByteArray WmfWriter::data(bool withEof) const {
    QByteArray records = m_records_bytes;
    if (withEof) {
        put32(records, 3);
        put16(records, 0);
    }
    QByteArray out;
    if (m_placeable) {
        QByteArray head;
        put32(head, 0x9AC6CDD7);
        put16(head, 0);
        for (int v : {m_box.x(), m_box.y(), m_box.x() + m_box.width(), m_box.y() + m_box.height()})
            put16(head, v);
        put16(head, m_unitsPerInch);
        put32(head, 0);
        quint16 checksum = 0;
        for (int i = 0; i < 10; ++i)
            checksum ^= qFromLittleEndian<quint16>(head.constData() + 2 * i);
        put16(head, m_goodChecksum ? checksum : checksum ^ 0x5A5A);
        out += head;
    }
    put16(out, 1);
    put16(out, 9);
    put16(out, 0x0300);
    put32(out, quint32(9 + records.size() / 2));
    put16(out, m_objectCountOverride >= 0 ? m_objectCountOverride : m_peakObjects);
    put32(out, m_maxRecordWords);
    put16(out, 0);
    return out + records;
}

QByteArray WmfWriter::dib(const QImage& source, int bits, Dib compression, bool topDown) {
    const bool indexed = bits <= 8;
    const QImage image = indexed
                             ? source.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither)
                             : source.convertToFormat(QImage::Format_RGB32);
    const int w = image.width();
    const int h = image.height();
    const bool rle = compression == Dib::Rle && (bits == 4 || bits == 8);
    QByteArray pixels;
    const int stride = ((w * bits + 31) / 32) * 4;
    for (int row = 0; row < h; ++row) {
        const int y = topDown ? row : h - 1 - row;
        const uchar* line = image.constScanLine(y);
        if (rle) {
            encodeRow(pixels, line, w, bits == 4);
            pixels.append('\0').append(row + 1 < h ? '\0' : '\1');
            continue;
        }
        QByteArray out(stride, '\0');
        auto* o = reinterpret_cast<uchar*>(out.data());
        const auto* rgb = reinterpret_cast<const QRgb*>(line);
        for (int x = 0; x < w; ++x) {
            switch (bits) {
            case 1:
                o[x / 8] |= uchar((line[x] & 1) << (7 - x % 8));
                break;
            case 4:
                o[x / 2] |= uchar((line[x] & 0xF) << (x % 2 ? 0 : 4));
                break;
            case 8:
                o[x] = line[x];
                break;
            case 16: {
                const int v = ((qRed(rgb[x]) >> 3) << 10) | ((qGreen(rgb[x]) >> 3) << 5) |
                              (qBlue(rgb[x]) >> 3);
                o[2 * x] = uchar(v & 0xFF);
                o[2 * x + 1] = uchar(v >> 8);
                break;
            }
            default: {
                const int size = bits / 8;
                o[size * x] = uchar(qBlue(rgb[x]));
                o[size * x + 1] = uchar(qGreen(rgb[x]));
                o[size * x + 2] = uchar(qRed(rgb[x]));
                break;
            }
            }
        }
        pixels += out;
    }
    const QList<QRgb> table = indexed ? image.colorTable() : QList<QRgb>();
    QByteArray out;
    put32(out, 40);
    put32(out, quint32(w));
    put32(out, quint32(topDown ? -h : h));
    put16(out, 1);
    put16(out, bits);
    put32(out, rle ? (bits == 8 ? 1 : 2) : 0);
    put32(out, quint32(pixels.size()));
    put32(out, 3780);
    put32(out, 3780);
    put32(out, quint32(table.size()));
    put32(out, 0);
    for (QRgb c : table)
        out.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
    return out + pixels;
}

} // namespace galvia::wmftools
