// Reading of Windows metafiles: headers, natural size and record walking.
// Knows nothing of painting; used by the player, the image handler and the fuzzer.
#pragma once

#include <QByteArrayView>
#include <QPoint>
#include <QSize>
#include <QtEndian>

#include <QRect>

#include <optional>
#include <vector>

namespace galvia::wmf {

// Random access to the bytes of a metafile.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Copies len bytes found at offset into dst; false when they are not all there.
    virtual bool read(qint64 offset, char* dst, qint64 len) = 0;
};

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(QByteArrayView data)
        : m_data(data) {}
    bool read(qint64 offset, char* dst, qint64 len) override;

private:
    QByteArrayView m_data;
};

struct Header {
    bool placeable = false;
    bool checksumValid = true;
    // Placeable files only: bounding box in logical units and its units per inch.
    QPoint boundsOrigin;
    QSize boundsExtent;
    int unitsPerInch = 0;
    qint64 recordsOffset = 0;
    int objectCount = 0;
};

// The logical window that covers the picture, and the picture's natural size in pixels.
struct Frame {
    QPoint windowOrigin;
    QSize windowExtent;
    QSize size;
};

inline constexpr quint32 placeableKey = 0x9AC6CDD7;
inline constexpr int placeableHeaderBytes = 22;
inline constexpr int standardHeaderBytes = 18;
inline constexpr int defaultPlainSide = 1000;

// True when the first bytes look like a placeable or a standard metafile header.
bool looksLikeMetafile(QByteArrayView head);

// With records false, a placeable header is read alone (enough to know the natural size).
std::optional<Header> readHeader(ByteSource& source, bool records = true);

// Placeable files: from the header alone. Plain files: reads records only up to the
// first SETWINDOWEXT. Empty when the size cannot be determined or is zero.
std::optional<Frame> readFrame(ByteSource& source, const Header& header);

// One record: its function and parameter bytes. Accessors give 0 past the end, so
// callers check has() for what they need.
struct Record {
    quint16 function = 0;
    QByteArrayView params;

    qsizetype words() const { return params.size() / 2; }
    bool has(qsizetype wordCount) const { return wordCount >= 0 && wordCount <= words(); }
    quint16 u16(qsizetype index) const {
        return has(index + 1) ? qFromLittleEndian<quint16>(params.data() + 2 * index) : 0;
    }
    qint16 s16(qsizetype index) const { return qint16(u16(index)); }
    quint32 u32(qsizetype index) const { return u16(index) | (quint32(u16(index + 1)) << 16); }
    // Bytes from word index to the end of the record.
    QByteArrayView tail(qsizetype index) const {
        return has(index) ? params.sliced(2 * index) : QByteArrayView();
    }
};

// The Region Object carried by CREATEREGION: its scans, each a band of rows from a top to a
// bottom split into pairs of left and right boundaries, read as rectangles in logical units
// (right and bottom excluded, as everywhere in GDI). Scans that run past the record end the
// reading, as does a scan that would bring more than maxRects rectangles; empty pairs are
// left out.
struct RegionScans {
    qint64 scans = 0;
    std::vector<QRect> rects;
};
RegionScans readRegion(QByteArrayView params, qint64 maxRects);

// Walks the records of a metafile held in memory.
class RecordReader {
public:
    enum class Status { Ok, End, Broken, TooMany };

    RecordReader(QByteArrayView data, qint64 offset)
        : m_data(data)
        , m_offset(offset) {}
    Status next(Record& record);
    qint64 count() const { return m_count; }

private:
    QByteArrayView m_data;
    qint64 m_offset;
    qint64 m_count = 0;
};

} // namespace galvia::wmf
