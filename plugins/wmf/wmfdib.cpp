#include "wmfdib.h"

#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <iterator>
#include <optional>

namespace galvia::wmf {

namespace {

enum Compression : quint32 { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };
constexpr int maxSide = 32767;
constexpr QRgb opaqueBlack = 0xff000000;

struct Bytes {
    QByteArrayView data;

    bool fits(qint64 offset, qint64 len) const {
        return offset >= 0 && len >= 0 && offset <= data.size() && len <= data.size() - offset;
    }
    quint8 u8(qint64 offset) const { return quint8(data[offset]); }
    quint16 u16(qint64 offset) const { return qFromLittleEndian<quint16>(data.data() + offset); }
    quint32 u32(qint64 offset) const { return qFromLittleEndian<quint32>(data.data() + offset); }
};

// One colour channel described by a bit mask.
struct Channel {
    quint32 mask = 0;
    int shift = 0;
    quint32 max = 0;

    explicit Channel(quint32 m)
        : mask(m)
        , shift(m ? std::countr_zero(m) : 0)
        , max(m ? (m >> shift) : 0) {}
    int value(quint32 pixel) const {
        return max ? int((qint64((pixel & mask) >> shift) * 255) / max) : 0;
    }
};

struct DibInfo {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bits = 0;
    quint32 compression = Rgb;
    quint32 colorsUsed = 0;
    qint64 headerBytes = 0;
    int entryBytes = 4;
    quint32 masks[3] = {0, 0, 0};
};

std::optional<DibInfo> readInfo(const Bytes& in) {
    if (!in.fits(0, 12)) return std::nullopt;
    DibInfo info;
    info.headerBytes = in.u32(0);
    qint64 height = 0;
    int planes = 0;
    if (info.headerBytes == 12) {
        info.width = in.u16(4);
        height = in.u16(6);
        planes = in.u16(8);
        info.bits = in.u16(10);
        info.entryBytes = 3;
    } else if (info.headerBytes >= 40 && in.fits(0, info.headerBytes)) {
        info.width = qint32(in.u32(4));
        height = qint32(in.u32(8));
        planes = in.u16(12);
        info.bits = in.u16(14);
        info.compression = in.u32(16);
        info.colorsUsed = in.u32(32);
        if (info.headerBytes >= 52)
            for (int i = 0; i < 3; ++i)
                info.masks[i] = in.u32(40 + 4 * i);
    } else {
        return std::nullopt;
    }
    info.topDown = height < 0;
    height = std::abs(height);
    if (planes != 1 || info.width <= 0 || info.width > maxSide || height == 0 || height > maxSide)
        return std::nullopt;
    info.height = int(height);
    switch (info.bits) {
    case 1:
    case 24:
        if (info.compression != Rgb) return std::nullopt;
        break;
    case 4:
    case 8:
        if (info.compression != Rgb && info.compression != (info.bits == 8 ? Rle8 : Rle4))
            return std::nullopt;
        break;
    case 16:
    case 32:
        if (info.compression != Rgb && info.compression != BitFields) return std::nullopt;
        break;
    default:
        return std::nullopt;
    }
    if (info.topDown && info.compression != Rgb && info.compression != BitFields)
        return std::nullopt;
    return info;
}

class DibDecoder {
public:
    DibDecoder(const Bytes& in, const DibInfo& info)
        : m_in(in)
        , m_info(info) {}

    bool readColours(qint64& pos, bool paletteIndexes, const QList<QRgb>& palette);
    bool readMasks(qint64& pos);
    QImage decodeRows(qint64 pos) const;
    QImage decodeRle(qint64 pos) const;

private:
    QRgb indexed(int index) const {
        return index < m_colours.size() ? m_colours[index] : opaqueBlack;
    }
    int destRow(int fileRow) const {
        return m_info.topDown ? fileRow : m_info.height - 1 - fileRow;
    }

    const Bytes& m_in;
    const DibInfo& m_info;
    QList<QRgb> m_colours;
    quint32 m_masks[3] = {0x7C00, 0x03E0, 0x001F};
};

bool DibDecoder::readColours(qint64& pos, bool paletteIndexes, const QList<QRgb>& palette) {
    qint64 count = m_info.colorsUsed;
    if (m_info.bits <= 8) {
        const qint64 full = qint64(1) << m_info.bits;
        if (count == 0 || count > full) count = full;
    }
    const int entry = paletteIndexes && m_info.bits <= 8 ? 2 : m_info.entryBytes;
    if (count > 65536 || !m_in.fits(pos, count * entry)) return false;
    if (m_info.bits <= 8) {
        m_colours.reserve(count);
        for (qint64 i = 0; i < count; ++i) {
            const qint64 at = pos + i * entry;
            if (entry == 2) {
                const int index = m_in.u16(at);
                m_colours.append(index < palette.size() ? palette[index] : opaqueBlack);
            } else {
                m_colours.append(qRgb(m_in.u8(at + 2), m_in.u8(at + 1), m_in.u8(at)));
            }
        }
    }
    pos += count * entry;
    return true;
}

bool DibDecoder::readMasks(qint64& pos) {
    if (m_info.bits == 32) m_masks[0] = 0xFF0000, m_masks[1] = 0xFF00, m_masks[2] = 0xFF;
    if (m_info.compression != BitFields) return true;
    if (m_info.headerBytes >= 52) {
        std::copy(std::begin(m_info.masks), std::end(m_info.masks), m_masks);
        return true;
    }
    if (!m_in.fits(pos, 12)) return false;
    for (int i = 0; i < 3; ++i)
        m_masks[i] = m_in.u32(pos + 4 * i);
    pos += 12;
    return true;
}

QImage DibDecoder::decodeRows(qint64 pos) const {
    const int w = m_info.width;
    const int bits = m_info.bits;
    const qint64 stride = ((qint64(w) * bits + 31) / 32) * 4;
    if (!m_in.fits(pos, stride * m_info.height)) return {};
    QImage image(w, m_info.height, QImage::Format_ARGB32);
    if (image.isNull()) return {};
    const Channel r(m_masks[0]), g(m_masks[1]), b(m_masks[2]);
    for (int row = 0; row < m_info.height; ++row) {
        const auto* src = reinterpret_cast<const uchar*>(m_in.data.data() + pos + row * stride);
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(destRow(row)));
        for (int x = 0; x < w; ++x) {
            switch (bits) {
            case 1:
                dst[x] = indexed((src[x >> 3] >> (7 - (x & 7))) & 1);
                break;
            case 4:
                dst[x] = indexed((src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF);
                break;
            case 8:
                dst[x] = indexed(src[x]);
                break;
            case 16: {
                const quint32 px = qFromLittleEndian<quint16>(src + 2 * x);
                dst[x] = qRgb(r.value(px), g.value(px), b.value(px));
                break;
            }
            case 24:
                dst[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
                break;
            default: {
                const quint32 px = qFromLittleEndian<quint32>(src + 4 * x);
                dst[x] = qRgb(r.value(px), g.value(px), b.value(px));
                break;
            }
            }
        }
    }
    return image;
}

QImage DibDecoder::decodeRle(qint64 pos) const {
    QImage image(m_info.width, m_info.height, QImage::Format_ARGB32);
    if (image.isNull()) return {};
    image.fill(Qt::transparent);
    const bool rle4 = m_info.compression == Rle4;
    const int w = m_info.width;
    const int h = m_info.height;
    int x = 0;
    int y = 0;
    auto put = [&](int count, auto&& indexAt) {
        const int n = qMin(count, w - x);
        if (y < h && n > 0) {
            auto* dst = reinterpret_cast<QRgb*>(image.scanLine(destRow(y)));
            for (int i = 0; i < n; ++i)
                dst[x + i] = indexed(indexAt(i));
        }
        x = qMin(w, x + count);
    };
    const qint64 end = m_in.data.size();
    while (pos + 1 < end && y < h) {
        const int count = m_in.u8(pos);
        const int value = m_in.u8(pos + 1);
        pos += 2;
        if (count > 0) {
            put(count, [&](int i) { return rle4 ? ((i & 1) ? value & 0xF : value >> 4) : value; });
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (pos + 1 >= end) break;
            x = qMin(w, x + m_in.u8(pos));
            y += m_in.u8(pos + 1);
            pos += 2;
        } else {
            const qint64 bytes = rle4 ? (value + 1) / 2 : value;
            if (!m_in.fits(pos, bytes)) break;
            const qint64 start = pos;
            put(value, [&](int i) {
                const int byte = m_in.u8(start + (rle4 ? i / 2 : i));
                return rle4 ? ((i & 1) ? byte & 0xF : byte >> 4) : byte;
            });
            pos += (bytes + 1) & ~qint64(1);
        }
    }
    return image;
}

} // namespace

QImage decodeDib(QByteArrayView data, bool paletteIndexes, const QList<QRgb>& palette,
                 qint64 maxPixels, bool* bottomUp, int scans) {
    const Bytes in{data};
    auto info = readInfo(in);
    if (info && scans >= 0) {
        if (scans == 0) return {};
        info->height = qMin(info->height, scans);
    }
    if (!info || qint64(info->width) * info->height > maxPixels) return {};
    if (bottomUp) *bottomUp = !info->topDown;
    DibDecoder decoder(in, *info);
    qint64 pos = info->headerBytes;
    if (!decoder.readMasks(pos) || !decoder.readColours(pos, paletteIndexes, palette)) return {};
    if (info->compression == Rle4 || info->compression == Rle8) return decoder.decodeRle(pos);
    return decoder.decodeRows(pos);
}

namespace {

QRgb deviceColour(int index, int bits) {
    // The sixteen colours of a 4-bit device, in the order of its palette.
    static constexpr QRgb sixteen[16] = {0xff000000, 0xff800000, 0xff008000, 0xff808000,
                                         0xff000080, 0xff800080, 0xff008080, 0xffc0c0c0,
                                         0xff808080, 0xffff0000, 0xff00ff00, 0xffffff00,
                                         0xff0000ff, 0xffff00ff, 0xff00ffff, 0xffffffff};
    // The twenty colours an 8-bit device always holds, ten at each end of its palette.
    static constexpr QRgb first[10] = {0xff000000, 0xff800000, 0xff008000, 0xff808000, 0xff000080,
                                       0xff800080, 0xff008080, 0xffc0c0c0, 0xffc0dcc0, 0xffa6caf0};
    static constexpr QRgb last[10] = {0xfffffbf0, 0xffa0a0a4, 0xff808080, 0xffff0000, 0xff00ff00,
                                      0xffffff00, 0xff0000ff, 0xffff00ff, 0xff00ffff, 0xffffffff};
    if (bits == 1) return index ? 0xffffffff : opaqueBlack;
    if (bits <= 4) return sixteen[index & 15];
    if (index < 10) return first[index];
    if (index >= 246) return last[index - 246];
    // In between, the halftone colours a palette device is left with: a cube of six levels
    // a channel, then greys.
    const int i = index - 10;
    if (i < 216) return qRgb(i / 36 * 51, i / 6 % 6 * 51, i % 6 * 51);
    const int grey = (i - 216 + 1) * 255 / 21;
    return qRgb(grey, grey, grey);
}

} // namespace

QImage decodeBitmap16(QByteArrayView data, qint64 maxPixels, qsizetype bitsOffset) {
    const Bytes in{data};
    if (!in.fits(0, 14) || bitsOffset < 14) return {};
    const int w = qint16(in.u16(2));
    const int h = qint16(in.u16(4));
    const int widthBytes = qint16(in.u16(6));
    const int planes = in.u8(8);
    const int bits = in.u8(9);
    // Either one plane of packed pixels, or planes of one bit each giving the bits of a
    // palette index, plane 0 the lowest, each scan line holding a row of every plane in turn.
    const bool packed = planes == 1 && (bits == 1 || bits == 4 || bits == 8 || bits == 16 ||
                                        bits == 24 || bits == 32);
    const bool planar = bits == 1 && planes > 1 && planes <= 8;
    if (w <= 0 || h <= 0 || (!packed && !planar) || qint64(w) * h > maxPixels) return {};
    const qint64 rowBits = packed ? qint64(w) * bits : w;
    const qint64 lineBytes = qint64(widthBytes) * planes;
    if (widthBytes < (rowBits + 7) / 8 || !in.fits(bitsOffset, lineBytes * h)) return {};
    QImage image(w, h, QImage::Format_ARGB32);
    if (image.isNull()) return {};
    const int indexBits = packed ? bits : planes;
    for (int y = 0; y < h; ++y) {
        const auto* src = reinterpret_cast<const uchar*>(data.data() + bitsOffset + y * lineBytes);
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            if (planar) {
                int index = 0;
                for (int p = 0; p < planes; ++p)
                    index |= ((src[p * widthBytes + (x >> 3)] >> (7 - (x & 7))) & 1) << p;
                dst[x] = deviceColour(index, indexBits);
                continue;
            }
            switch (bits) {
            case 1:
                dst[x] = deviceColour((src[x >> 3] >> (7 - (x & 7))) & 1, 1);
                break;
            case 4:
                dst[x] = deviceColour((src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF, 4);
                break;
            case 8:
                dst[x] = deviceColour(src[x], 8);
                break;
            case 16: {
                // Five bits a channel, red highest.
                const int v = src[2 * x] | (src[2 * x + 1] << 8);
                dst[x] = qRgb(((v >> 10) & 31) * 255 / 31, ((v >> 5) & 31) * 255 / 31,
                              (v & 31) * 255 / 31);
                break;
            }
            default: {
                const int size = bits / 8;
                dst[x] = qRgb(src[size * x + 2], src[size * x + 1], src[size * x]);
                break;
            }
            }
        }
    }
    return image;
}

} // namespace galvia::wmf
