#include "wmfplayer.h"

#include "wmfcost.h"
#include "wmfdib.h"
#include "wmfrecords.h"
#include "wmftext.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <queue>
#include <span>
#include <variant>
#include <vector>

namespace galvia::wmf {

namespace {

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

QColor colorRef(const Record& r, qsizetype index) {
    const quint32 v = r.u32(index);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

QPointF pointAt(const Record& r, qsizetype index) {
    return QPointF(r.s16(index), r.s16(index + 1));
}

// Records store their coordinates y before x.
QPointF reversedPointAt(const Record& r, qsizetype index) {
    return QPointF(r.s16(index + 1), r.s16(index));
}

// Rectangles stored as bottom, right, top, left.
QRectF reversedRectAt(const Record& r, qsizetype index) {
    const QPointF bottomRight = reversedPointAt(r, index);
    const QPointF topLeft = reversedPointAt(r, index + 2);
    return QRectF(topLeft, bottomRight).normalized();
}

QPainter::CompositionMode compositionFor(int rop2) {
    switch (rop2) {
    case 2:
        return QPainter::RasterOp_NotSourceAndNotDestination;
    case 3:
        return QPainter::RasterOp_NotSourceAndDestination;
    case 4:
        return QPainter::RasterOp_NotSource;
    case 5:
        return QPainter::RasterOp_SourceAndNotDestination;
    case 6:
        return QPainter::RasterOp_NotDestination;
    case 7:
        return QPainter::RasterOp_SourceXorDestination;
    case 8:
        return QPainter::RasterOp_NotSourceOrNotDestination;
    case 9:
        return QPainter::RasterOp_SourceAndDestination;
    case 10:
        return QPainter::RasterOp_NotSourceXorDestination;
    case 12:
        return QPainter::RasterOp_NotSourceOrDestination;
    case 14:
        return QPainter::RasterOp_SourceOrNotDestination;
    case 15:
        return QPainter::RasterOp_SourceOrDestination;
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

QPainter::CompositionMode compositionForBlit(quint32 rop) {
    switch (rop) {
    case SrcPaint:
        return QPainter::RasterOp_SourceOrDestination;
    case SrcAnd:
        return QPainter::RasterOp_SourceAndDestination;
    case SrcInvert:
    case PatInvert:
        return QPainter::RasterOp_SourceXorDestination;
    case SrcErase:
        return QPainter::RasterOp_SourceAndNotDestination;
    case NotSrcErase:
        return QPainter::RasterOp_NotSourceAndNotDestination;
    case MergePaint:
        return QPainter::RasterOp_NotSourceOrDestination;
    case DstInvert:
        return QPainter::RasterOp_NotDestination;
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

Qt::BrushStyle hatchStyle(int hatch) {
    static constexpr Qt::BrushStyle styles[] = {Qt::HorPattern,   Qt::VerPattern,
                                                Qt::FDiagPattern, Qt::BDiagPattern,
                                                Qt::CrossPattern, Qt::DiagCrossPattern};
    return hatch >= 0 && hatch < 6 ? styles[hatch] : Qt::SolidPattern;
}

class Player {
public:
    Player(const Metafile& metafile, QPainter& painter, QSize output);
    PlayResult run();

private:
    void dispatch(const Record& r);
    void updateTransform();
    void applyState();
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
    bool charge(double work);
    void stop() { m_stopped = true; }
    void changeClip(QRegion region);
    // Replaces the clip of the painter and of the state by a region in output pixels.
    void setClip(const QRegion& region);
    double clipWork() const;
    static double clipLayoutWork(const QRegion& clip);

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

    void createObject(Object object);
    void selectObject(int index);
    void deleteObject(int index);
    void saveDc();
    void restoreDc(int level);
    void setWindowExt(QPointF ext);
    void setViewportExt(QPointF ext);
    void scaleExtent(QPointF& ext, const Record& r);
    void clipRect(const Record& r, bool exclude);

    bool readPoints(const Record& r, qsizetype first, qsizetype count);
    void drawShape(const Record& r);
    void drawArc(const Record& r);
    void drawPolyPolygon(const Record& r);
    void drawText(QPointF at, QByteArrayView bytes, const Record* dxRecord, qsizetype dxIndex,
                  int options, const QRectF& rect);
    void textOut(const Record& r);
    void extTextOut(const Record& r);
    void fillWithRop(const QRectF& dest, quint32 rop);
    void drawBitmap(const QImage& image, QRectF source, const QRectF& dest, quint32 rop);
    void blit(const Record& r);
    void createPatternBrush(QImage pattern);
    // The most pixels a bitmap may have: within the bitmap limits, and within what is left
    // of the work budget, so that no decode starts that the budget cannot pay for.
    qint64 dibBudget() const {
        const double affordable = (m_workLimit - m_work) / cost::decodedPixel;
        return qMax<qint64>(0,
                            std::min({limits::maxDibPixels, limits::maxDibPixelsTotal - m_dibPixels,
                                      qint64(qMax(0.0, affordable))}));
    }

    QPen makePen() const;
    QBrush makeBrush() const;

    const Metafile& m_metafile;
    QPainter& m_painter;
    QSizeF m_output;
    QRectF m_outputRect;
    QTransform m_world;
    bool m_mappingValid = true;
    enum Dirty : unsigned { PenDirty = 1, BrushDirty = 2, ModeDirty = 4, AllDirty = 7 };
    unsigned m_dirty = AllDirty;
    bool m_stopped = false;

    DcState m_state;
    std::vector<DcState> m_saved;
    std::vector<std::optional<Object>> m_objects;
    // Free slots of the object table, lowest first: a new object takes the lowest free one.
    std::priority_queue<int, std::vector<int>, std::greater<>> m_freeSlots;
    std::vector<QPointF> m_points;
    // The outline of the primitive being charged, in output pixels, and its paths' sizes.
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

    qint64 m_primitives = 0;
    qint64 m_pointCount = 0;
    qint64 m_dibPixels = 0;
    qint64 m_regionRects = 0;
    double m_work = 0;
    double m_workLimit = 0;
};

Player::Player(const Metafile& metafile, QPainter& painter, QSize output)
    : m_metafile(metafile)
    , m_painter(painter)
    , m_output(output)
    , m_outputRect(QPointF(0, 0), QSizeF(output)) {
    const Frame& frame = metafile.frame();
    m_state.mapping.windowOrg = frame.windowOrigin;
    m_state.mapping.windowExt = QPointF(frame.windowExtent.width(), frame.windowExtent.height());
    m_state.mapping.viewportExt = QPointF(frame.size.width(), frame.size.height());
    m_objects.resize(size_t(metafile.header().objectCount));
    for (int i = 0; i < metafile.header().objectCount; ++i)
        m_freeSlots.push(i);
    m_workLimit =
        qMin(cost::budgetCeiling,
             cost::budgetAllowance + cost::budgetPerPixel * m_output.width() * m_output.height());
}

bool Player::charge(double work) {
    m_work += work;
    if (m_work <= m_workLimit) return true;
    stop();
    return false;
}

PlayResult Player::run() {
    m_painter.save();
    updateTransform();
    RecordReader reader(m_metafile.data(), m_metafile.header().recordsOffset);
    Record record;
    RecordReader::Status status = RecordReader::Status::Ok;
    while (!m_stopped && (status = reader.next(record)) == RecordReader::Status::Ok)
        if (charge(cost::record)) dispatch(record);
    for (size_t i = 0; i < m_saved.size(); ++i)
        m_painter.restore();
    m_painter.restore();
    return PlayResult{reader.count(), m_primitives,
                      !m_stopped && status == RecordReader::Status::End, m_work, m_workLimit};
}

void Player::updateTransform() {
    const Mapping& m = m_state.mapping;
    double sx = 1;
    double sy = 1;
    switch (m.mode) {
    case MmText:
        break;
    case MmLoMetric:
    case MmHiMetric:
    case MmLoEnglish:
    case MmHiEnglish:
    case MmTwips: {
        static constexpr double unitsPerInch[] = {254, 2540, 100, 1000, 1440};
        sx = 96.0 / unitsPerInch[m.mode - MmLoMetric];
        sy = -sx;
        break;
    }
    default:
        sx = m.viewportExt.x() / m.windowExt.x();
        sy = m.viewportExt.y() / m.windowExt.y();
        if (m.mode == MmIsotropic) {
            const double s = qMin(std::abs(sx), std::abs(sy));
            sx = std::copysign(s, sx);
            sy = std::copysign(s, sy);
        }
        break;
    }
    const Frame& frame = m_metafile.frame();
    const double ox = m_output.width() / frame.size.width();
    const double oy = m_output.height() / frame.size.height();
    m_world = QTransform(sx * ox, 0, 0, sy * oy, (m.viewportOrg.x() - m.windowOrg.x() * sx) * ox,
                         (m.viewportOrg.y() - m.windowOrg.y() * sy) * oy);
    m_mappingValid = std::isfinite(m_world.m11()) && std::isfinite(m_world.m22()) &&
                     std::isfinite(m_world.dx()) && std::isfinite(m_world.dy()) &&
                     m_world.m11() != 0 && m_world.m22() != 0;
    if (m_mappingValid) m_painter.setWorldTransform(m_world);
    m_dirty = AllDirty;
}

QPen Player::makePen() const {
    const Pen& p = m_state.pen;
    const int style = p.style & 0xF;
    if (style == PsNull) return Qt::NoPen;
    QColor color = p.color;
    if (m_state.rop2 == R2Black || m_state.rop2 == R2White)
        color = m_state.rop2 == R2Black ? Qt::black : Qt::white;
    QPen pen(color);
    const double scale = std::sqrt(std::abs(m_world.determinant()));
    if (p.width * scale < 1.0) {
        pen.setWidthF(1.0);
        pen.setCosmetic(true);
    } else {
        pen.setWidthF(p.width);
    }
    static constexpr Qt::PenStyle styles[] = {Qt::SolidLine,   Qt::DashLine,       Qt::DotLine,
                                              Qt::DashDotLine, Qt::DashDotDotLine, Qt::NoPen,
                                              Qt::SolidLine,   Qt::SolidLine,      Qt::DotLine};
    pen.setStyle(style <= PsAlternate ? styles[style] : Qt::SolidLine);
    const int cap = p.style & 0xF00;
    pen.setCapStyle(cap == 0x100 ? Qt::SquareCap : cap == 0x200 ? Qt::FlatCap : Qt::RoundCap);
    const int join = p.style & 0xF000;
    pen.setJoinStyle(join == 0x1000   ? Qt::BevelJoin
                     : join == 0x2000 ? Qt::MiterJoin
                                      : Qt::RoundJoin);
    return pen;
}

QBrush Player::makeBrush() const {
    const Brush& b = m_state.brush;
    QColor color = b.color;
    if (m_state.rop2 == R2Black || m_state.rop2 == R2White)
        color = m_state.rop2 == R2Black ? Qt::black : Qt::white;
    switch (b.style) {
    case BsSolid:
        return QBrush(color);
    case BsHatched:
        return QBrush(color, hatchStyle(b.hatch));
    case BsNull:
        return Qt::NoBrush;
    default:
        if (b.pattern.isNull()) return QBrush(color);
        QBrush brush(b.pattern);
        // Patterns keep their size in device pixels whatever the mapping.
        const QSize natural = m_metafile.frame().size;
        brush.setTransform(
            QTransform::fromScale(m_output.width() / natural.width() / m_world.m11(),
                                  m_output.height() / natural.height() / m_world.m22()));
        return brush;
    }
}

void Player::applyState() {
    // Only what changed is handed to the painter: its state changes are not free.
    if (m_dirty & PenDirty) m_painter.setPen(makePen());
    if (m_dirty & BrushDirty) m_painter.setBrush(makeBrush());
    if (m_dirty & ModeDirty) {
        m_painter.setBackground(m_state.bkColor);
        m_painter.setBackgroundMode(m_state.bkMode == Opaque ? Qt::OpaqueMode
                                                             : Qt::TransparentMode);
        const auto mode = compositionFor(m_state.rop2);
        m_painter.setCompositionMode(mode);
        m_painter.setRenderHint(QPainter::Antialiasing,
                                mode == QPainter::CompositionMode_SourceOver);
    }
    m_dirty = 0;
}

void Player::mapPoints(std::span<const QPointF> points) {
    m_sizes.clear();
    m_device.resize(points.size());
    for (size_t i = 0; i < points.size(); ++i)
        m_device[i] = m_world.map(points[i]);
}

double Player::fillCost() {
    const ScanCost c = scanCost(m_device, m_sizes, true, 0, m_output.toSize(), m_rowCells);
    return c.cells * cost::cell + c.bandWalk * cost::bandStep + c.bandVisits * cost::bandVisit +
           c.crowding * cost::crowding;
}

double Player::penCost(bool closed) {
    const int style = m_state.pen.style & 0xF;
    if (style == PsNull) return 0;
    const double width = m_state.pen.width * std::sqrt(std::abs(m_world.determinant()));
    const double reach = m_output.width() + m_output.height() + 2;
    double length = 0;
    double segments = 0;
    forEachEdge(m_device, m_sizes, closed, [&](QPointF a, QPointF b) {
        length += qMin(reach, QLineF(a, b).length());
        ++segments;
    });
    // A thin pen is drawn pixel by pixel along the line, dashes and all.
    if (width < 1.0) return (length + segments) * cost::cell;
    const ScanCost c = scanCost(m_device, m_sizes, closed, width, m_output.toSize(), m_rowCells);
    double work = c.cells * cost::cell + c.bandWalk * cost::bandStep +
                  c.bandVisits * cost::bandVisit + c.crowding * cost::crowding;
    // The joins between segments add edges of their own, about as many again; and the pen
    // sweeps its width along the whole line.
    work = 2 * work + length * width * cost::pixel;
    const bool dashed = style != 0 && style != PsInsideFrame && style != PsUserStyle;
    if (dashed) work = 2 * work + length / width * cost::dash;
    return work;
}

bool Player::admit(const QRectF& logicalBounds, Ink ink, qint64 points, bool outline, bool closed,
                   double extra) {
    if (m_stopped || !m_mappingValid || m_state.rop2 == R2Nop) return false;
    m_pointCount += points;
    if (++m_primitives > limits::maxPrimitives || m_pointCount > limits::maxPoints) {
        stop();
        return false;
    }
    // The pixels the primitive may cover, as the rasteriser sees them, pen included.
    const double scale = std::sqrt(std::abs(m_world.determinant()));
    const bool pen = (m_state.pen.style & 0xF) != PsNull;
    const double penWidth = pen ? qMax(1.0, m_state.pen.width * scale) : 0.0;
    const QRectF device = m_world.mapRect(logicalBounds);
    const QRectF covered = device.adjusted(-penWidth / 2, -penWidth / 2, penWidth / 2, penWidth / 2)
                               .intersected(m_outputRect);
    const double area = covered.width() * covered.height();
    double work = double(points) * cost::point + extra;
    if (m_state.clip) work += double(m_state.clip->rectCount()) * cost::clippedRect;
    if (ink == Ink::Fill || ink == Ink::Stroke) {
        if (!outline) {
            m_device = {device.topLeft(), device.topRight(), device.bottomRight(),
                        device.bottomLeft()};
            m_sizes.clear();
        }
        const bool patterned = m_state.brush.style != BsSolid;
        if (ink == Ink::Fill && m_state.brush.style != BsNull)
            work += fillCost() + area * (patterned ? cost::patternPixel : cost::pixel);
        work += penCost(closed);
        if (ink == Ink::Stroke) work += area * cost::pixel;
    } else {
        work += area * (ink == Ink::Blit ? cost::bitmapPixel : cost::pixel);
    }
    if (!charge(work)) return false;
    applyState();
    return true;
}

void Player::createObject(Object object) {
    if (!charge(cost::object)) return;
    if (!m_freeSlots.empty()) {
        m_objects[size_t(m_freeSlots.top())] = std::move(object);
        m_freeSlots.pop();
    } else if (m_objects.size() < size_t(limits::maxObjects)) {
        m_objects.emplace_back(std::move(object));
    }
}

void Player::selectObject(int index) {
    if (!charge(cost::object)) return;
    if (index < 0 || size_t(index) >= m_objects.size() || !m_objects[size_t(index)]) return;
    const Object& object = *m_objects[size_t(index)];
    if (const auto* pen = std::get_if<Pen>(&object)) {
        m_state.pen = *pen;
        m_dirty |= PenDirty;
    } else if (const auto* brush = std::get_if<Brush>(&object)) {
        m_state.brush = *brush;
        m_dirty |= BrushDirty;
    } else if (const auto* font = std::get_if<Font>(&object)) {
        m_state.font = *font;
    } else if (const auto* region = std::get_if<Region>(&object)) {
        // Selecting a region makes it the clip, as SELECTCLIPREGION does.
        selectClipRegion(*region);
    }
}

void Player::deleteObject(int index) {
    if (!charge(cost::object)) return;
    if (index < 0 || size_t(index) >= m_objects.size() || !m_objects[size_t(index)]) return;
    m_objects[size_t(index)].reset();
    m_freeSlots.push(index);
}

void Player::saveDc() {
    if (m_saved.size() >= size_t(limits::maxSaveDepth) ||
        !charge(cost::saveState + double(m_state.clipChanges) * cost::clipChange))
        return;
    m_saved.push_back(m_state);
    m_painter.save();
}

void Player::restoreDc(int level) {
    // Negative levels count back from the latest save; positive ones name a save.
    const qint64 depth = qint64(m_saved.size());
    const qint64 target = level < 0 ? depth + level : qint64(level) - 1;
    if (level == 0 || target < 0 || target >= depth) return;
    // Each state put back sets its clipping region on the painter again.
    double work = 0;
    for (qint64 i = target; i < depth; ++i) {
        const DcState& saved = m_saved[size_t(i)];
        work += cost::saveState + double(saved.clipChanges) * cost::clipChange;
        if (saved.clip)
            work += cost::clip + m_output.height() * cost::clipRow +
                    double(saved.clip->rectCount()) * cost::clipRect + clipLayoutWork(*saved.clip);
    }
    if (!charge(work)) return;
    m_state = m_saved[size_t(target)];
    for (qint64 i = target; i < depth; ++i)
        m_painter.restore();
    m_saved.resize(size_t(target));
    updateTransform();
}

void Player::setWindowExt(QPointF ext) {
    if (ext.x() == 0 || ext.y() == 0) return;
    m_state.mapping.windowExt = ext;
    updateTransform();
}

void Player::setViewportExt(QPointF ext) {
    if (ext.x() == 0 || ext.y() == 0) return;
    m_state.mapping.viewportExt = ext;
    updateTransform();
}

void Player::scaleExtent(QPointF& ext, const Record& r) {
    // Parameters: y denominator, y numerator, x denominator, x numerator.
    const int yDen = r.s16(0), yNum = r.s16(1), xDen = r.s16(2), xNum = r.s16(3);
    if (!r.has(4) || yDen == 0 || xDen == 0 || yNum == 0 || xNum == 0) return;
    const QPointF scaled(ext.x() * xNum / xDen, ext.y() * yNum / yDen);
    if (std::abs(scaled.x()) > 1e9 || std::abs(scaled.y()) > 1e9) return;
    ext = scaled;
    updateTransform();
}

void Player::changeClip(QRegion region) {
    m_state.clip = std::move(region);
    ++m_state.clipChanges;
}

void Player::setClip(const QRegion& region) {
    changeClip(region);
    m_painter.resetTransform();
    m_painter.setClipRegion(region, Qt::ReplaceClip);
    m_painter.setWorldTransform(m_world);
}

double Player::clipWork() const {
    // The painter intersects the new clip with the one in force, row by row, and keeps a
    // record of the change: the more complex the clip, and the longer that record, the more
    // each change costs.
    const double complexity = m_state.clip ? double(m_state.clip->rectCount()) : 1.0;
    return cost::clip + m_output.height() * cost::clipRow + complexity * cost::clipRect +
           double(m_state.clipChanges) * cost::clipChange;
}

const Region* Player::regionAt(int index) const {
    if (index < 0 || size_t(index) >= m_objects.size() || !m_objects[size_t(index)]) return nullptr;
    return std::get_if<Region>(&*m_objects[size_t(index)]);
}

double Player::regionWork(const Region& region) const {
    const double rects = double(region.rects.size());
    return double(region.scans) * cost::regionScan +
           rects * std::log2(rects + 1) * cost::regionRect;
}

QRegion Player::deviceRegion(const Region& region) const {
    // Regions are drawn at the picture's size like every other shape: their logical units go
    // through the mapping in force, each rectangle's edges to the nearest pixel edge, away
    // from any huge coordinate.
    const QRectF bounds = m_outputRect.adjusted(-2, -2, 2, 2);
    std::vector<QRegion> parts;
    parts.reserve(region.rects.size());
    for (const QRect& r : region.rects) {
        const QRectF d = m_world.mapRect(QRectF(r)).intersected(bounds);
        const QRect px(QPoint(int(std::lround(d.left())), int(std::lround(d.top()))),
                       QPoint(int(std::lround(d.right())) - 1, int(std::lround(d.bottom())) - 1));
        if (!d.isEmpty() && !px.isEmpty()) parts.emplace_back(px);
    }
    // Merged two by two, then pairs of pairs: each rectangle is walked log2(n) times, where
    // merging them one after the other would walk the growing region n times.
    for (size_t step = 1; step < parts.size(); step *= 2)
        for (size_t i = 0; i + step < parts.size(); i += 2 * step)
            parts[i] = parts[i].united(parts[i + step]);
    return parts.empty() ? QRegion() : parts[0];
}

void Player::paintRegion(const Region& region, RegionPaint how, const Brush* brush, QPointF frame) {
    if (m_stopped || !m_mappingValid || m_state.rop2 == R2Nop || region.rects.empty()) return;
    // The region is built in pixels, a frame with four more intersections and a subtraction,
    // and the painter draws through it as through a clip.
    const double rects = double(region.rects.size());
    double work = regionWork(region) + cost::clip + m_output.height() * cost::clipRow +
                  rects * cost::clipRect;
    if (how == RegionPaint::Frame) work += 5 * rects * cost::regionRect;
    if (!charge(work)) return;
    QRegion area = deviceRegion(region);
    if (how == RegionPaint::Frame) {
        // The frame lies inside the region: the pixels less than its width from a left or
        // right edge, or less than its height from a top or bottom edge.
        const double limit = m_output.width() + m_output.height() + 4;
        const int w = int(std::lround(qBound(1.0, std::abs(frame.x() * m_world.m11()), limit)));
        const int h = int(std::lround(qBound(1.0, std::abs(frame.y() * m_world.m22()), limit)));
        QRegion inner = area;
        for (const QPoint d : {QPoint(w, 0), QPoint(-w, 0), QPoint(0, h), QPoint(0, -h)})
            inner &= area.translated(d);
        area -= inner;
    }
    if (area.isEmpty()) return;
    const QRectF logical = m_world.inverted().mapRect(QRectF(area.boundingRect()));
    const Brush kept = m_state.brush;
    if (brush) {
        m_state.brush = *brush;
        m_dirty |= BrushDirty;
    }
    if (admit(logical, how == RegionPaint::Invert ? Ink::Blit : Ink::Fill)) {
        // Its rectangles are filled one by one, in output pixels, the brush's pattern kept
        // where the mapping puts it: Qt's painter would clip to a region of many rectangles by
        // rasterising their outlines.
        m_painter.save();
        m_painter.resetTransform();
        m_painter.setPen(Qt::NoPen);
        m_painter.setRenderHint(QPainter::Antialiasing, false);
        if (how == RegionPaint::Invert) {
            m_painter.setCompositionMode(QPainter::RasterOp_NotDestination);
            m_painter.setBrush(Qt::white);
        } else {
            QBrush inPixels = m_painter.brush();
            inPixels.setTransform(inPixels.transform() * m_world);
            m_painter.setBrush(inPixels);
        }
        m_painter.drawRects(area.begin(), area.rectCount());
        m_painter.restore();
    }
    if (brush) {
        m_state.brush = kept;
        m_dirty |= BrushDirty;
    }
}

double Player::clipLayoutWork(const QRegion& clip) {
    return clip.rectCount() > 1
               ? double(clip.rectCount()) * clip.boundingRect().height() * cost::clipSpan
               : 0.0;
}

void Player::selectClipRegion(const Region& region) {
    if (!m_mappingValid ||
        !charge(regionWork(region) + clipWork() + double(region.rects.size()) * cost::clipRect))
        return;
    QRegion clip = deviceRegion(region);
    if (charge(clipLayoutWork(clip))) setClip(clip);
}

void Player::offsetClip(const Record& r) {
    // Without a clip there is nothing to move.
    if (!r.has(2) || !m_state.clip || !m_mappingValid || !charge(clipWork())) return;
    const QPointF offset = reversedPointAt(r, 0);
    const double limit = m_output.width() + m_output.height() + 4;
    const QPoint px(int(std::lround(qBound(-limit, offset.x() * m_world.m11(), limit))),
                    int(std::lround(qBound(-limit, offset.y() * m_world.m22(), limit))));
    const QRect bounds = m_outputRect.adjusted(-2, -2, 2, 2).toAlignedRect();
    QRegion clip = m_state.clip->translated(px).intersected(bounds);
    if (charge(clipLayoutWork(clip))) setClip(clip);
}

void Player::clipRect(const Record& r, bool exclude) {
    if (!r.has(4) || !m_mappingValid) return;
    // The painter intersects the new clip with the one in force, row by row, and keeps a
    // record of the change: the more complex the clip, and the longer that record, the more
    // each change costs.
    if (!charge(clipWork())) return;
    const QRectF rect = reversedRectAt(r, 0);
    const QRectF bounds = m_outputRect.adjusted(-2, -2, 2, 2);
    const QRegion whole(bounds.toAlignedRect());
    if (!exclude) {
        const QRect kept = m_world.mapRect(rect).intersected(bounds).toAlignedRect();
        changeClip(m_state.clip.value_or(whole).intersected(kept));
        m_painter.setClipRect(rect, Qt::IntersectClip);
        return;
    }
    // Exclusion is done on whole output pixels, away from any huge coordinate.
    const QRectF hole = m_world.mapRect(rect).intersected(bounds);
    QRegion region = whole;
    if (!hole.isEmpty()) region -= QRegion(hole.toAlignedRect());
    changeClip(m_state.clip.value_or(whole).intersected(region));
    m_painter.resetTransform();
    m_painter.setClipRegion(region, Qt::IntersectClip);
    m_painter.setWorldTransform(m_world);
}

bool Player::readPoints(const Record& r, qsizetype first, qsizetype count) {
    if (count <= 0 || !r.has(first + 2 * count)) return false;
    m_points.resize(size_t(count));
    for (qsizetype i = 0; i < count; ++i)
        m_points[size_t(i)] = pointAt(r, first + 2 * i);
    return true;
}

QRectF boundsOf(const std::vector<QPointF>& points) {
    double x0 = points[0].x(), x1 = x0, y0 = points[0].y(), y1 = y0;
    for (const QPointF& p : points) {
        x0 = qMin(x0, p.x());
        x1 = qMax(x1, p.x());
        y0 = qMin(y0, p.y());
        y1 = qMax(y1, p.y());
    }
    return QRectF(QPointF(x0, y0), QPointF(x1, y1));
}

void Player::drawShape(const Record& r) {
    const qsizetype first = r.function == RoundRect ? 2 : 0;
    if (!r.has(first + 4)) return;
    const QRectF rect = reversedRectAt(r, first);
    if (!admit(rect, Ink::Fill, 4)) return;
    if (r.function == Rectangle)
        m_painter.drawRect(rect);
    else if (r.function == Ellipse)
        m_painter.drawEllipse(rect);
    else
        m_painter.drawRoundedRect(rect, std::abs(r.s16(1)) / 2.0, std::abs(r.s16(0)) / 2.0);
}

void Player::drawArc(const Record& r) {
    if (!r.has(8)) return;
    const QPointF end = reversedPointAt(r, 0);
    const QPointF start = reversedPointAt(r, 2);
    const QRectF rect = reversedRectAt(r, 4);
    if (rect.width() <= 0 || rect.height() <= 0) return;
    const bool filled = r.function != Arc;
    if (!admit(rect, filled ? Ink::Fill : Ink::Stroke, 8)) return;
    const QPointF c = rect.center();
    const double a = rect.width() / 2, b = rect.height() / 2;
    // Angles on the ellipse where the radials through the start and end points cross it,
    // in Qt's convention of counter-clockwise angles on a y-down surface.
    auto angleOf = [&](QPointF p) {
        return std::atan2(-(p.y() - c.y()) / b, (p.x() - c.x()) / a) * 180.0 / std::numbers::pi;
    };
    const double t0 = angleOf(start);
    double sweep = angleOf(end) - t0;
    // Arcs run counter-clockwise as seen on the picture: a mirrored mapping reverses them.
    const bool mirrored = m_world.determinant() < 0;
    if (mirrored) sweep = -sweep;
    sweep = std::fmod(sweep + 720.0, 360.0);
    if (sweep <= 0) sweep = 360.0;
    if (mirrored) sweep = -sweep;
    QPainterPath path;
    if (r.function == Pie)
        path.moveTo(c);
    else
        path.arcMoveTo(rect, t0);
    path.arcTo(rect, t0, sweep);
    if (filled) {
        path.closeSubpath();
        m_painter.drawPath(path);
    } else {
        m_painter.strokePath(path, m_painter.pen());
    }
}

void Player::drawPolyPolygon(const Record& r) {
    const qsizetype polygons = r.u16(0);
    if (polygons == 0 || !r.has(1 + polygons)) return;
    qint64 total = 0;
    for (qsizetype i = 0; i < polygons; ++i)
        total += r.u16(1 + i);
    if (!readPoints(r, 1 + polygons, qsizetype(total))) return;
    mapPoints(m_points);
    for (qsizetype i = 0; i < polygons; ++i)
        m_sizes.push_back(r.u16(1 + i));
    if (!admit(boundsOf(m_points), Ink::Fill, total + polygons, true)) return;
    QPainterPath path;
    path.setFillRule(m_state.polyFill == Winding ? Qt::WindingFill : Qt::OddEvenFill);
    size_t at = 0;
    for (qsizetype i = 0; i < polygons; ++i) {
        const qsizetype n = r.u16(1 + i);
        if (n == 0) continue;
        path.moveTo(m_points[at]);
        for (qsizetype k = 1; k < n; ++k)
            path.lineTo(m_points[at + size_t(k)]);
        path.closeSubpath();
        at += size_t(n);
    }
    m_painter.drawPath(path);
}

void Player::drawText(QPointF at, QByteArrayView bytes, const Record* dxRecord, qsizetype dxIndex,
                      int options, const QRectF& rect) {
    // Decoding is paid for before it is done, whether the text is drawn or not.
    if (!charge(double(bytes.size()) *
                (isDoubleByte(m_state.font.charset) ? cost::doubleByteTextByte : cost::textByte)))
        return;
    const DecodedText decoded = decodeText(bytes, m_state.font.charset, m_state.font.face);
    const QString& text = decoded.text;
    const bool updateCp = m_state.textAlign & TaUpdateCp;
    if (updateCp) at = m_state.position;
    const bool hasRect = options & (EtoOpaque | EtoClipped);
    const double sx = std::abs(m_world.m11()), sy = std::abs(m_world.m22());
    const Font& f = m_state.font;
    const double em = f.height < 0 ? -f.height : f.height > 0 ? f.height * 0.85 : 12.0 / sy;
    const double pixels = em * sy;
    // Whatever the alignment, the glyphs lie within a line's length and height of the point.
    const QSizeF reach(em * qMax<qsizetype>(1, text.size()), em);
    const QRectF box(at - QPointF(reach.width(), reach.height()), 2 * reach);
    // Each glyph is shaped and drawn on its own, its outline filled in its em square.
    double glyphWork = double(text.size()) *
                       (cost::glyph + qMin(pixels * pixels, m_output.width() * m_output.height()) *
                                          cost::glyphPixel);
    if (options & EtoClipped)
        glyphWork += cost::clip + m_output.height() * cost::clipRow +
                     (m_state.clip ? double(m_state.clip->rectCount()) : 1.0) * cost::clipRect;
    if (pixels > limits::maxFontPixels ||
        !admit(hasRect ? box.united(rect) : box, Ink::Text, text.size(), false, true, glyphWork))
        return;
    const int pixelSize = qMax(1, int(std::lround(pixels)));
    if (!m_text || m_text->source != f || m_text->pixelSize != pixelSize) {
        QFont font(drawingFamily(f.face));
        font.setPixelSize(pixelSize);
        font.setWeight(QFont::Weight(qBound(1, f.weight == 0 ? 400 : f.weight, 1000)));
        font.setItalic(f.italic);
        font.setUnderline(f.underline);
        font.setStrikeOut(f.strikeOut);
        m_text.emplace(TextFont{f, pixelSize, font, QFontMetricsF(font)});
    }
    const QFont& font = m_text->font;
    const QFontMetricsF& metrics = m_text->metrics;

    std::vector<double> advances;
    // The advances come one per byte: a character written in two bytes moves by both.
    if (dxRecord && dxRecord->has(dxIndex + bytes.size())) {
        qsizetype at = dxIndex;
        for (const int n : decoded.bytes) {
            double advance = 0;
            for (int k = 0; k < n; ++k)
                advance += dxRecord->s16(at++);
            advances.push_back(advance * sx);
        }
    }
    double width = 0;
    for (double d : advances)
        width += d;
    if (advances.empty()) width = metrics.horizontalAdvance(text);

    m_painter.save();
    if (options & EtoOpaque) m_painter.fillRect(rect, m_state.bkColor);
    if (options & EtoClipped) m_painter.setClipRect(rect, Qt::IntersectClip);
    const QPointF origin = m_world.map(at);
    m_painter.resetTransform();
    m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    m_painter.translate(origin);
    m_painter.rotate(-f.escapement / 10.0);
    const int halign = m_state.textAlign & TaCenter;
    const double x = halign == TaCenter ? -width / 2 : halign == TaRight ? -width : 0;
    const int valign = m_state.textAlign & TaBaseline;
    const double baseline = valign == TaBaseline ? 0
                            : valign == TaBottom ? -metrics.descent()
                                                 : metrics.ascent();
    if (m_state.bkMode == Opaque && !(options & EtoOpaque))
        m_painter.fillRect(QRectF(x, baseline - metrics.ascent(), width, metrics.height()),
                           m_state.bkColor);
    m_painter.setFont(font);
    m_painter.setPen(m_state.textColor);
    if (advances.empty()) {
        m_painter.drawText(QPointF(x, baseline), text);
    } else {
        double pos = x;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const bool pair =
                text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
            m_painter.drawText(QPointF(pos, baseline), text.mid(i, pair ? 2 : 1));
            pos += advances[size_t(i)];
            if (pair) pos += advances[size_t(++i)];
        }
    }
    m_painter.restore();
    if (updateCp && halign != TaCenter)
        m_state.position.rx() += (halign == TaRight ? -width : width) / m_world.m11();
}

void Player::textOut(const Record& r) {
    const qsizetype length = r.s16(0);
    const qsizetype words = (length + 1) / 2;
    if (length <= 0 || !r.has(1 + words + 2)) return;
    drawText(reversedPointAt(r, 1 + words), r.params.sliced(2, length), nullptr, 0, 0, {});
}

void Player::extTextOut(const Record& r) {
    const qsizetype length = r.s16(2);
    const int options = r.u16(3);
    const bool hasRect = options & (EtoOpaque | EtoClipped);
    const qsizetype textWord = hasRect ? 8 : 4;
    if (length < 0 || !r.has(textWord + (length + 1) / 2)) return;
    QRectF rect;
    if (hasRect) rect = QRectF(pointAt(r, 4), pointAt(r, 6)).normalized();
    if (length == 0) {
        if ((options & EtoOpaque) && admit(rect, Ink::Fill)) {
            m_painter.fillRect(rect, m_state.bkColor);
        }
        return;
    }
    drawText(reversedPointAt(r, 0), r.params.sliced(2 * textWord, length), &r,
             textWord + (length + 1) / 2, options, rect);
}

void Player::fillWithRop(const QRectF& dest, quint32 rop) {
    if (!admit(dest.normalized(), Ink::Blit, 4)) return;
    m_painter.save();
    m_painter.setPen(Qt::NoPen);
    m_painter.setCompositionMode(compositionForBlit(rop));
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    if (rop == Blackness || rop == Whiteness)
        m_painter.setBrush(rop == Blackness ? Qt::black : Qt::white);
    else if (rop == DstInvert)
        m_painter.setBrush(Qt::white);
    m_painter.drawRect(dest.normalized());
    m_painter.restore();
}

void Player::drawBitmap(const QImage& image, QRectF source, const QRectF& dest, quint32 rop) {
    source = source.intersected(QRectF(image.rect()));
    if (image.isNull() || source.isEmpty() || dest.width() == 0 || dest.height() == 0 ||
        !admit(dest.normalized(), Ink::Blit, 4))
        return;
    m_painter.save();
    m_painter.setCompositionMode(compositionForBlit(rop));
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform);
    m_painter.translate(dest.topLeft());
    m_painter.scale(dest.width() / source.width(), dest.height() / source.height());
    const QImage picture = rop == NotSrcCopy || rop == NotSrcErase || rop == MergePaint
                               ? [&] {
                                     QImage inverted = image.copy(source.toAlignedRect());
                                     inverted.invertPixels();
                                     return inverted;
                                 }()
                               : image;
    const QRectF from = picture.size() == image.size() ? source : QRectF(picture.rect());
    m_painter.drawImage(QRectF(QPointF(0, 0), source.size()), picture, from);
    m_painter.restore();
}

// SETDIBTODEV carries only the scan lines from its start scan on, as many as the image has:
// of its source rectangle, only the rows among them are drawn, where they fall in the
// destination. Source rows count from the bottom of a bottom-up bitmap, as its scans do.
// Turns source into rows of the band's image and dest into their place; false when none are
// drawn.
bool scanBand(QRectF& source, QRectF& dest, int scans, int startScan, bool bottomUp) {
    const double lo = qMax(source.top(), double(startScan));
    const double hi = qMin(source.bottom(), double(startScan) + scans);
    if (hi <= lo) return false;
    // The destination's rows run from the source's top row down: the highest row counted
    // from the bottom, or the lowest counted from the top.
    const double destTop = dest.top() + (bottomUp ? source.bottom() - hi : lo - source.top());
    const double imageTop = bottomUp ? startScan + scans - hi : lo - startScan;
    source = QRectF(source.left(), imageTop, source.width(), hi - lo);
    dest = QRectF(dest.left(), destTop, dest.width(), hi - lo);
    return true;
}

void Player::blit(const Record& r) {
    // With a bitmap the record carries more parameter words than its function says.
    const qsizetype plainWords = r.function >> 8;
    const bool stretch =
        r.function == StretchBlt || r.function == DibStretchBlt || r.function == StretchDib;
    const bool withBitmap =
        r.function == StretchDib || r.function == SetDibToDev || r.words() != plainWords;
    const quint32 rop = r.function == SetDibToDev ? quint32(SrcCopy) : r.u32(0);
    QRectF source;
    QRectF dest;
    qsizetype bitmapWord = 0;
    if (r.function == SetDibToDev) {
        source = QRectF(r.s16(4), r.s16(3), r.s16(6), r.s16(5));
        dest = QRectF(r.s16(8), r.s16(7), r.s16(6), r.s16(5));
        bitmapWord = 9;
    } else if (stretch) {
        const qsizetype at = r.function == StretchDib ? 3 : 2;
        source = QRectF(r.s16(at + 3), r.s16(at + 2), r.s16(at + 1), r.s16(at));
        const qsizetype d = at + (withBitmap ? 4 : 5);
        dest = QRectF(r.s16(d + 3), r.s16(d + 2), r.s16(d + 1), r.s16(d));
        bitmapWord = d + 4;
    } else {
        source = QRectF(r.s16(3), r.s16(2), 0, 0);
        const qsizetype d = withBitmap ? 4 : 5;
        dest = QRectF(r.s16(d + 3), r.s16(d + 2), r.s16(d + 1), r.s16(d));
        source.setSize(dest.size());
        bitmapWord = d + 4;
    }
    if (!r.has(bitmapWord)) return;
    if (!withBitmap) {
        fillWithRop(dest, rop);
        return;
    }
    const QByteArrayView bits = r.tail(bitmapWord);
    const qint64 budget = dibBudget();
    QImage image;
    bool bottomUp = false;
    if (r.function == BitBlt || r.function == StretchBlt) {
        image = decodeBitmap16(bits, budget);
    } else {
        const bool paletteIndexes = (r.function == StretchDib && r.u16(2) == 1) ||
                                    (r.function == SetDibToDev && r.u16(0) == 1);
        image = decodeDib(bits, paletteIndexes, m_state.palette, budget, &bottomUp,
                          r.function == SetDibToDev ? int(r.u16(1)) : -1);
    }
    if (image.isNull()) return;
    m_dibPixels += qint64(image.width()) * image.height();
    if (!charge(double(image.width()) * image.height() * cost::decodedPixel)) return;
    if (source.width() < 0 || source.height() < 0) source = source.normalized();
    // Records that take a bitmap straight from its bits count source rows of a bottom-up
    // bitmap from its bottom; blits count them from the top, as on a device.
    if (r.function == SetDibToDev) {
        if (!scanBand(source, dest, image.height(), r.u16(2), bottomUp)) return;
    } else if (bottomUp && r.function == StretchDib) {
        source.moveTop(image.height() - source.top() - source.height());
    }
    drawBitmap(image, source, dest, rop);
}

void Player::createPatternBrush(QImage pattern) {
    m_dibPixels += qint64(pattern.width()) * pattern.height();
    if (!charge(double(pattern.width()) * pattern.height() * cost::decodedPixel)) return;
    // An unreadable pattern leaves a grey brush, so the slot is still taken.
    const quint16 style = pattern.isNull() ? quint16(BsSolid) : quint16(BsPattern);
    createObject(Brush{style, Qt::gray, 0, std::move(pattern)});
}

void Player::dispatch(const Record& r) {
    DcState& s = m_state;
    switch (r.function) {
    case SetWindowOrg:
        s.mapping.windowOrg = reversedPointAt(r, 0);
        updateTransform();
        break;
    case SetWindowExt:
        if (r.has(2)) setWindowExt(reversedPointAt(r, 0));
        break;
    case SetViewportOrg:
        s.mapping.viewportOrg = reversedPointAt(r, 0);
        updateTransform();
        break;
    case SetViewportExt:
        if (r.has(2)) setViewportExt(reversedPointAt(r, 0));
        break;
    case OffsetWindowOrg:
        s.mapping.windowOrg += reversedPointAt(r, 0);
        updateTransform();
        break;
    case OffsetViewportOrg:
        s.mapping.viewportOrg += reversedPointAt(r, 0);
        updateTransform();
        break;
    case ScaleWindowExt:
        scaleExtent(s.mapping.windowExt, r);
        break;
    case ScaleViewportExt:
        scaleExtent(s.mapping.viewportExt, r);
        break;
    case SetMapMode:
        if (r.u16(0) >= MmText && r.u16(0) <= MmAnisotropic) {
            s.mapping.mode = r.u16(0);
            updateTransform();
        }
        break;
    case SaveDc:
        saveDc();
        break;
    case RestoreDc:
        restoreDc(r.s16(0));
        break;
    case CreatePenIndirect:
        if (r.has(5)) createObject(Pen{r.u16(0), std::abs(r.s16(1)), colorRef(r, 3)});
        break;
    case CreateBrushIndirect:
        if (r.has(4)) createObject(Brush{r.u16(0), colorRef(r, 1), r.u16(3), {}});
        break;
    case DibCreatePatternBrush:
        createPatternBrush(r.u16(0) == BsPattern
                               ? decodeBitmap16(r.tail(2), dibBudget())
                               : decodeDib(r.tail(2), r.u16(1) == 1, m_state.palette, dibBudget()));
        break;
    case CreatePatternBrush:
        // A monochrome bitmap header, 18 unused bytes, then the bits.
        createPatternBrush(decodeBitmap16(r.params, dibBudget(), 32));
        break;
    case CreateFontIndirect: {
        const QByteArrayView face = r.params.size() > 18 ? r.params.sliced(18) : QByteArrayView();
        const qsizetype nul = face.indexOf('\0');
        createObject(Font{r.s16(0), r.s16(2), r.s16(4), r.u16(5) & 0xFF ? true : false,
                          (r.u16(5) >> 8) != 0, (r.u16(6) & 0xFF) != 0,
                          decodeText(face.first(nul < 0 ? qMin<qsizetype>(face.size(), 32)
                                                        : qMin<qsizetype>(nul, 32)),
                                     AnsiCharset, {})
                              .text,
                          r.u16(6) >> 8});
        break;
    }
    case CreatePalette: {
        Palette palette;
        const qsizetype count = qMin<qsizetype>(r.u16(1), (r.words() - 2) / 2);
        if (!charge(double(count) * cost::point)) break;
        for (qsizetype i = 0; i < count; ++i) {
            const QColor c = colorRef(r, 2 + 2 * i);
            palette.colours.append(c.rgb());
        }
        createObject(std::move(palette));
        break;
    }
    case CreateRegion: {
        // An unreadable region still takes its slot, empty.
        RegionScans scans = readRegion(
            r.params, qMin(limits::maxRegionRects, limits::maxRegionRectsTotal - m_regionRects));
        m_regionRects += qint64(scans.rects.size());
        if (!charge(double(scans.scans) * cost::regionScan +
                    double(scans.rects.size()) * cost::point))
            break;
        createObject(Region{std::move(scans.rects), scans.scans});
        break;
    }
    case PaintRegion:
    case InvertRegion:
        if (const Region* region = regionAt(r.u16(0)))
            paintRegion(*region,
                        r.function == PaintRegion ? RegionPaint::Fill : RegionPaint::Invert);
        break;
    case FillRegion:
    case FrameRegion: {
        const Region* region = regionAt(r.u16(0));
        const qsizetype brushIndex = r.u16(1);
        const Brush* brush = size_t(brushIndex) < m_objects.size() && m_objects[size_t(brushIndex)]
                                 ? std::get_if<Brush>(&*m_objects[size_t(brushIndex)])
                                 : nullptr;
        if (!region || !brush) break;
        if (r.function == FillRegion)
            paintRegion(*region, RegionPaint::Fill, brush);
        else if (r.has(4))
            paintRegion(*region, RegionPaint::Frame, brush, reversedPointAt(r, 2));
        break;
    }
    case SelectClipRegion:
        if (const Region* region = regionAt(r.u16(0))) selectClipRegion(*region);
        break;
    case OffsetClipRgn:
        offsetClip(r);
        break;
    case SelectObject:
        selectObject(r.u16(0));
        break;
    case SelectPalette: {
        const qsizetype index = r.u16(0);
        if (size_t(index) < m_objects.size() && m_objects[size_t(index)])
            if (const auto* p = std::get_if<Palette>(&*m_objects[size_t(index)]))
                s.palette = p->colours;
        break;
    }
    case DeleteObject:
        deleteObject(r.u16(0));
        break;
    case SetBkColor:
        s.bkColor = colorRef(r, 0);
        m_dirty |= ModeDirty;
        break;
    case SetBkMode:
        s.bkMode = r.u16(0);
        m_dirty |= ModeDirty;
        break;
    case SetTextColor:
        s.textColor = colorRef(r, 0);
        break;
    case SetTextAlign:
        s.textAlign = r.u16(0);
        break;
    case SetPolyFillMode:
        s.polyFill = r.u16(0);
        break;
    case SetRop2:
        s.rop2 = r.u16(0);
        m_dirty = AllDirty;
        break;
    case MoveTo:
        s.position = reversedPointAt(r, 0);
        break;
    case LineTo: {
        const QPointF to = reversedPointAt(r, 0);
        const QPointF line[] = {s.position, to};
        mapPoints(line);
        if (admit(QRectF(s.position, to).normalized(), Ink::Stroke, 2, true, false))
            m_painter.drawLine(s.position, to);
        s.position = to;
        break;
    }
    case Polyline:
    case Polygon: {
        const bool filled = r.function == Polygon;
        if (!readPoints(r, 1, r.u16(0))) break;
        mapPoints(m_points);
        if (admit(boundsOf(m_points), filled ? Ink::Fill : Ink::Stroke, qint64(m_points.size()),
                  true, filled)) {
            if (filled)
                m_painter.drawPolygon(m_points.data(), int(m_points.size()),
                                      s.polyFill == Winding ? Qt::WindingFill : Qt::OddEvenFill);
            else
                m_painter.drawPolyline(m_points.data(), int(m_points.size()));
        }
        break;
    }
    case PolyPolygon:
        drawPolyPolygon(r);
        break;
    case Rectangle:
    case Ellipse:
    case RoundRect:
        drawShape(r);
        break;
    case Arc:
    case Pie:
    case Chord:
        drawArc(r);
        break;
    case TextOut:
        textOut(r);
        break;
    case ExtTextOut:
        extTextOut(r);
        break;
    case PatBlt:
        if (r.has(6)) fillWithRop(QRectF(r.s16(5), r.s16(4), r.s16(3), r.s16(2)), r.u32(0));
        break;
    case BitBlt:
    case StretchBlt:
    case DibBitBlt:
    case DibStretchBlt:
    case StretchDib:
    case SetDibToDev:
        blit(r);
        break;
    case IntersectClipRect:
        clipRect(r, false);
        break;
    case ExcludeClipRect:
        clipRect(r, true);
        break;
    default:
        // Escapes, palette realisation and records without effect here are skipped.
        break;
    }
}

} // namespace

std::optional<Metafile> Metafile::fromData(QByteArray data) {
    Metafile metafile;
    metafile.m_data = std::move(data);
    MemorySource source(metafile.m_data);
    const auto header = readHeader(source);
    if (!header) return std::nullopt;
    const auto frame = readFrame(source, *header);
    if (!frame) return std::nullopt;
    metafile.m_header = *header;
    metafile.m_frame = *frame;
    return metafile;
}

PlayResult play(const Metafile& metafile, QPainter& painter, QSize outputSize) {
    if (outputSize.isEmpty()) return {};
    Player player(metafile, painter, outputSize);
    return player.run();
}

PlayResult playOnto(const Metafile& metafile, QImage& picture) {
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                           QPainter::TextAntialiasing);
    return play(metafile, painter, picture.size());
}

} // namespace galvia::wmf
