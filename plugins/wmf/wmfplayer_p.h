// The player of metafile records, shared by the files that make it up: the drawing objects
// and the device context the records change, the object table, and the Player class, whose
// parts live in wmfplay*.cpp by concern (dispatch, drawing state, shapes, regions and
// clipping, text, bitmaps, cost admission).
#pragma once

#include "wmfparser.h"
#include "wmfplayer.h"
#include "wmfrecords.h"
#include "wmftext.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QRegion>
#include <QTransform>

#include <algorithm>
#include <functional>
#include <optional>
#include <queue>
#include <span>
#include <variant>
#include <vector>

namespace galvia::wmf::playback {

enum MapMode {
    MmText = 1,
    MmLoMetric,
    MmHiMetric,
    MmLoEnglish,
    MmHiEnglish,
    MmTwips,
    MmIsotropic,
    MmAnisotropic
};
enum BkMode { Transparent = 1, Opaque = 2 };
enum PolyFill { Alternate = 1, Winding = 2 };
enum Rop2 { R2Black = 1, R2Nop = 11, R2CopyPen = 13, R2White = 16 };
enum PenStyle {
    PsDash = 1,
    PsDot,
    PsDashDot,
    PsDashDotDot,
    PsNull,
    PsInsideFrame,
    PsUserStyle,
    PsAlternate
};
enum BrushStyle { BsSolid = 0, BsNull = 1, BsHatched = 2, BsPattern = 3 };
enum TextAlign { TaUpdateCp = 1, TaRight = 2, TaCenter = 6, TaBottom = 8, TaBaseline = 24 };
enum ExtTextOption { EtoOpaque = 2, EtoClipped = 4 };
enum RasterOp : quint32 {
    SrcCopy = 0x00CC0020,
    SrcPaint = 0x00EE0086,
    SrcAnd = 0x008800C6,
    SrcInvert = 0x00660046,
    SrcErase = 0x00440328,
    NotSrcCopy = 0x00330008,
    NotSrcErase = 0x001100A6,
    MergePaint = 0x00BB0226,
    PatInvert = 0x005A0049,
    DstInvert = 0x00550009,
    Blackness = 0x00000042,
    Whiteness = 0x00FF0062,
};

struct Pen {
    quint16 style = 0;
    int width = 0;
    QColor color = Qt::black;
};

struct Brush {
    quint16 style = BsSolid;
    QColor color = Qt::white;
    quint16 hatch = 0;
    QImage pattern;
};

struct Font {
    int height = 0;
    int escapement = 0;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QString face;
    // The character set its strings are written in.
    int charset = AnsiCharset;

    bool operator==(const Font&) const = default;
};

struct Palette {
    QList<QRgb> colours;
};

// A region as CREATEREGION built it: its rectangles in logical units, and its scans.
struct Region {
    std::vector<QRect> rects;
    qint64 scans = 0;
};

using Object = std::variant<Pen, Brush, Font, Palette, Region>;

struct Mapping {
    int mode = MmAnisotropic;
    QPointF windowOrg;
    QPointF windowExt;
    QPointF viewportOrg;
    QPointF viewportExt;
};

struct DcState {
    Pen pen;
    Brush brush;
    Font font;
    QColor bkColor = Qt::white;
    QColor textColor = Qt::black;
    int bkMode = Opaque;
    int textAlign = 0;
    int polyFill = Alternate;
    int rop2 = R2CopyPen;
    Mapping mapping;
    QPointF position;
    QList<QRgb> palette;
    // The clipping region in output pixels, kept alongside the painter's own to know what
    // each further change and each clipped drawing costs; clipChanges counts the changes the
    // painter keeps a record of.
    std::optional<QRegion> clip;
    qint64 clipChanges = 0;
};

inline QColor colorRef(const Record& r, qsizetype index) {
    const quint32 v = r.u32(index);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

inline QPointF pointAt(const Record& r, qsizetype index) {
    return QPointF(r.s16(index), r.s16(index + 1));
}

// Records store their coordinates y before x.
inline QPointF reversedPointAt(const Record& r, qsizetype index) {
    return QPointF(r.s16(index + 1), r.s16(index));
}

// Rectangles stored as bottom, right, top, left.
inline QRectF reversedRectAt(const Record& r, qsizetype index) {
    const QPointF bottomRight = reversedPointAt(r, index);
    const QPointF topLeft = reversedPointAt(r, index + 2);
    return QRectF(topLeft, bottomRight).normalized();
}

// The bounds of a non-empty list of points.
QRectF boundsOf(const std::vector<QPointF>& points);

// The object table: the pens, brushes, fonts, palettes and regions the records create, each
// in the slot the records name it by.
class ObjectTable {
public:
    explicit ObjectTable(int slots)
        : m_slots(size_t(slots)) {
        for (int i = 0; i < slots; ++i)
            m_free.push(i);
    }
    // Puts an object in the lowest free slot, else in a new slot while the table is within
    // its limit; else the object is dropped.
    void create(Object object) {
        if (!m_free.empty()) {
            m_slots[size_t(m_free.top())] = std::move(object);
            m_free.pop();
        } else if (m_slots.size() < size_t(limits::maxObjects)) {
            m_slots.emplace_back(std::move(object));
        }
    }
    // The object in a slot; null when the slot is empty or outside the table.
    const Object* at(int index) const {
        if (index < 0 || size_t(index) >= m_slots.size() || !m_slots[size_t(index)]) return nullptr;
        return &*m_slots[size_t(index)];
    }
    // The object in a slot when it is of kind T.
    template <typename T> const T* get(int index) const {
        const Object* object = at(index);
        return object ? std::get_if<T>(object) : nullptr;
    }
    void remove(int index) {
        if (!at(index)) return;
        m_slots[size_t(index)].reset();
        m_free.push(index);
    }

private:
    std::vector<std::optional<Object>> m_slots;
    // Free slots, lowest first: a new object takes the lowest free one.
    std::priority_queue<int, std::vector<int>, std::greater<>> m_free;
};

// What a playback has spent, against the picture's budget and the decoder's limits.
struct Spending {
    double work = 0;
    double limit = 0;
    qint64 primitives = 0;
    qint64 points = 0;
    qint64 dibPixels = 0;
    qint64 regionRects = 0;
    // Set when the budget or a limit has run out: nothing more is drawn.
    bool stopped = false;
};

// Plays a metafile's records on a painter. Its parts live by concern in wmfplay*.cpp, as
// the groups below say.
class Player {
public:
    Player(const Metafile& metafile, QPainter& painter, QSize output);
    PlayResult run();

private:
    // wmfplaydispatch.cpp: each record to the part that plays it.
    void dispatch(const Record& r);

    // wmfplaystate.cpp: the mapping, the pen and brush handed to the painter, the objects,
    // the saved device contexts.
    void updateTransform();
    void applyState();
    QPen makePen() const;
    QBrush makeBrush() const;
    void createObject(Object object);
    void selectObject(int index);
    void deleteObject(int index);
    void saveDc();
    void restoreDc(int level);
    void setWindowExt(QPointF ext);
    void setViewportExt(QPointF ext);
    void scaleExtent(QPointF& ext, const Record& r);

    // wmfplaycost.cpp, and the budget itself.
    // What a primitive puts on the picture, for counting its work.
    enum class Ink { Fill, Stroke, Text, Blit };
    // Charges a primitive: its points, the pixels it may cover, the scan conversion of its
    // outline (the device points in m_device when given, else its bounds) by its brush and
    // its pen, and extra work; false when it must not be drawn.
    bool admit(const QRectF& logicalBounds, Ink ink, qint64 points = 0, bool outline = false,
               bool closed = true, double extra = 0);
    double penCost(bool closed);
    double fillCost();
    void mapPoints(std::span<const QPointF> points);
    // Takes work from the picture's budget. When it runs out, drawing stops and the picture
    // keeps what was drawn: a metafile is a list of drawings on top of each other, so what
    // came first is a true, if incomplete, view of the file, and ordinary files that are
    // merely very rich still show; refusing them would show nothing at all.
    bool charge(double work) {
        m_spent.work += work;
        if (m_spent.work <= m_spent.limit) return true;
        stop();
        return false;
    }
    void stop() { m_spent.stopped = true; }
    // The most pixels a bitmap may have: within the bitmap limits, and within what is left
    // of the work budget, so that no decode starts that the budget cannot pay for.
    qint64 dibBudget() const {
        const double affordable = (m_spent.limit - m_spent.work) / cost::decodedPixel;
        return qMax<qint64>(
            0, std::min({limits::maxDibPixels, limits::maxDibPixelsTotal - m_spent.dibPixels,
                         qint64(qMax(0.0, affordable))}));
    }

    // wmfplayclip.cpp: regions and clipping.
    void changeClip(QRegion region);
    // Replaces the clip of the painter and of the state by a region in output pixels.
    void setClip(const QRegion& region);
    double clipWork() const;
    static double clipLayoutWork(const QRegion& clip);
    void clipRect(const Record& r, bool exclude);
    // Regions: what one costs at each use, its rectangles in output pixels, and the ways it
    // is painted (with the selected brush or another, inverted, or framed by a brush of
    // the given logical width and height).
    const Region* regionAt(int index) const;
    double regionWork(const Region& region) const;
    QRegion deviceRegion(const Region& region) const;
    enum class RegionPaint { Fill, Invert, Frame };
    void paintRegion(const Region& region, RegionPaint how, const Brush* brush = nullptr,
                     QPointF frame = {});
    void selectClipRegion(const Region& region);
    void offsetClip(const Record& r);

    // wmfplayshapes.cpp
    bool readPoints(const Record& r, qsizetype first, qsizetype count);
    void drawShape(const Record& r);
    void drawArc(const Record& r);
    void drawPolyPolygon(const Record& r);

    // wmfplaytext.cpp
    void drawText(QPointF at, QByteArrayView bytes, const Record* dxRecord, qsizetype dxIndex,
                  int options, const QRectF& rect);
    void textOut(const Record& r);
    void extTextOut(const Record& r);

    // wmfplaybitmaps.cpp
    void fillWithRop(const QRectF& dest, quint32 rop);
    void drawBitmap(const QImage& image, QRectF source, const QRectF& dest, quint32 rop);
    void blit(const Record& r);
    void createPatternBrush(QImage pattern);

    // The picture: where the records draw, and the mapping from their logical units.
    const Metafile& m_metafile;
    QPainter& m_painter;
    QSizeF m_output;
    QRectF m_outputRect;
    QTransform m_world;
    bool m_mappingValid = true;

    // The device context: the state in force, the states saved, what the painter has yet to
    // be given of it, and the objects the records create.
    DcState m_state;
    std::vector<DcState> m_saved;
    enum Dirty : unsigned { PenDirty = 1, BrushDirty = 2, ModeDirty = 4, AllDirty = 7 };
    unsigned m_dirty = AllDirty;
    ObjectTable m_objects;

    // What the playback has spent.
    Spending m_spent;

    // Scratch kept from one primitive to the next: the points of a record, the outline of the
    // primitive being charged, in output pixels, and its paths' sizes, and the scan buffer.
    std::vector<QPointF> m_points;
    std::vector<QPointF> m_device;
    std::vector<int> m_sizes;
    std::vector<double> m_rowCells;
    // The Qt font of the latest text, kept while the selected font and its size stay.
    struct TextFont {
        Font source;
        int pixelSize;
        QFont font;
        QFontMetricsF metrics;
    };
    std::optional<TextFont> m_text;
};

} // namespace galvia::wmf::playback
