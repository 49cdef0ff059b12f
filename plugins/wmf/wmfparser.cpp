#include "wmfparser.h"

#include "wmfrecords.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace galvia::wmf {

namespace {

quint16 word(const char* data, int index) {
    return qFromLittleEndian<quint16>(data + 2 * index);
}

bool standardHeaderValid(const char* h) {
    const quint16 type = word(h, 0);
    const quint16 headerWords = word(h, 1);
    const quint16 version = word(h, 2);
    return (type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300);
}

// Tells how a record is laid out, reading its six-byte prefix.
struct RecordPrefix {
    qint64 bytes = 0;
    quint16 function = 0;
};

std::optional<RecordPrefix> readPrefix(ByteSource& source, qint64 offset) {
    char prefix[6];
    if (!source.read(offset, prefix, 6)) return std::nullopt;
    const quint32 words = qFromLittleEndian<quint32>(prefix);
    if (words < 3) return std::nullopt;
    return RecordPrefix{qint64(words) * 2, word(prefix, 2)};
}

std::optional<QPoint> readPointParam(ByteSource& source, qint64 recordOffset, qint64 recordBytes) {
    char p[4];
    if (recordBytes < 10 || !source.read(recordOffset + 6, p, 4)) return std::nullopt;
    // Parameters are stored y first.
    return QPoint(qint16(word(p, 1)), qint16(word(p, 0)));
}

} // namespace

bool MemorySource::read(qint64 offset, char* dst, qint64 len) {
    if (offset < 0 || len < 0 || offset > m_data.size() || len > m_data.size() - offset)
        return false;
    if (len > 0) std::memcpy(dst, m_data.data() + offset, size_t(len));
    return true;
}

bool looksLikeMetafile(QByteArrayView head) {
    if (head.size() >= 4 && qFromLittleEndian<quint32>(head.data()) == placeableKey)
        head = head.size() > placeableHeaderBytes ? head.sliced(placeableHeaderBytes)
                                                  : QByteArrayView();
    return head.size() >= standardHeaderBytes && standardHeaderValid(head.data());
}

std::optional<Header> readHeader(ByteSource& source, bool records) {
    Header header;
    char p[placeableHeaderBytes];
    qint64 standardOffset = 0;
    if (source.read(0, p, 4) && qFromLittleEndian<quint32>(p) == placeableKey) {
        if (!source.read(0, p, placeableHeaderBytes)) return std::nullopt;
        header.placeable = true;
        const qint16 left = qint16(word(p, 3));
        const qint16 top = qint16(word(p, 4));
        const qint16 right = qint16(word(p, 5));
        const qint16 bottom = qint16(word(p, 6));
        header.boundsOrigin = QPoint(left, top);
        header.boundsExtent = QSize(int(right) - left, int(bottom) - top);
        header.unitsPerInch = word(p, 7);
        quint16 checksum = 0;
        for (int i = 0; i < 10; ++i)
            checksum ^= word(p, i);
        header.checksumValid = checksum == word(p, 10);
        standardOffset = placeableHeaderBytes;
        if (!records) return header;
    }
    char h[standardHeaderBytes];
    if (!source.read(standardOffset, h, standardHeaderBytes) || !standardHeaderValid(h))
        return std::nullopt;
    header.objectCount = word(h, 5);
    header.recordsOffset = standardOffset + standardHeaderBytes;
    return header;
}

std::optional<Frame> readFrame(ByteSource& source, const Header& header) {
    Frame frame;
    if (header.placeable) {
        const QSize ext = header.boundsExtent;
        if (ext.width() == 0 || ext.height() == 0 || header.unitsPerInch == 0) return std::nullopt;
        frame.windowOrigin = header.boundsOrigin;
        frame.windowExtent = ext;
        const double scale = 96.0 / header.unitsPerInch;
        frame.size = QSize(qMax(1, int(std::lround(std::abs(ext.width()) * scale))),
                           qMax(1, int(std::lround(std::abs(ext.height()) * scale))));
        return frame;
    }
    qint64 offset = header.recordsOffset;
    for (qint64 n = 0; n < limits::maxRecords; ++n) {
        const auto prefix = readPrefix(source, offset);
        if (!prefix || prefix->function == EndOfFile) break;
        if (prefix->function == SetWindowOrg) {
            if (const auto org = readPointParam(source, offset, prefix->bytes))
                frame.windowOrigin = *org;
        } else if (prefix->function == SetWindowExt) {
            const auto ext = readPointParam(source, offset, prefix->bytes);
            if (!ext || ext->x() == 0 || ext->y() == 0) return std::nullopt;
            frame.windowExtent = QSize(ext->x(), ext->y());
            frame.size = QSize(std::abs(ext->x()), std::abs(ext->y()));
            return frame;
        }
        offset += prefix->bytes;
    }
    frame.windowExtent = frame.size = QSize(defaultPlainSide, defaultPlainSide);
    return frame;
}

RecordReader::Status RecordReader::next(Record& record) {
    if (m_count >= limits::maxRecords) return Status::TooMany;
    const qint64 left = m_data.size() - m_offset;
    if (left == 0) return Status::End;
    if (left < 6) return Status::Broken;
    const char* p = m_data.data() + m_offset;
    const quint32 words = qFromLittleEndian<quint32>(p);
    record.function = word(p, 2);
    if (record.function == EndOfFile) return Status::End;
    if (words < 3 || qint64(words) * 2 > left) return Status::Broken;
    record.params = m_data.sliced(m_offset + 6, qint64(words) * 2 - 6);
    m_offset += qint64(words) * 2;
    ++m_count;
    return Status::Ok;
}

RegionScans readRegion(QByteArrayView params, qint64 maxRects) {
    // nextInChain, object type, object count (32 bits), region size, scan count, largest
    // scan, bounding rectangle; then the scans: a count of boundaries, top, bottom, the
    // left/right pairs, and the count again.
    constexpr qsizetype scansAt = 22;
    RegionScans region;
    const Record r{0, params};
    if (!r.has(scansAt / 2)) return region;
    const qint64 declared = r.u16(5);
    qsizetype word = scansAt / 2;
    for (qint64 scan = 0; scan < declared && r.has(word + 4); ++scan) {
        const qsizetype pairs = r.u16(word) / 2;
        const int top = r.s16(word + 1);
        const int bottom = r.s16(word + 2);
        if (!r.has(word + 3 + 2 * pairs + 1) || qint64(region.rects.size()) + pairs > maxRects)
            break;
        ++region.scans;
        for (qsizetype i = 0; i < pairs; ++i) {
            const int left = r.s16(word + 3 + 2 * i);
            const int right = r.s16(word + 4 + 2 * i);
            if (right > left && bottom > top)
                region.rects.emplace_back(left, top, right - left, bottom - top);
        }
        word += 3 + 2 * pairs + 1;
    }
    return region;
}

} // namespace galvia::wmf
