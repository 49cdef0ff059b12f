// The player's drawing state: the mapping, the pen and brush handed to the painter, the
// object table's records, and the saved device contexts.
#include "wmfplayer_p.h"

#include <cmath>

namespace galvia::wmf::playback {

namespace {

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

Qt::BrushStyle hatchStyle(int hatch) {
    static constexpr Qt::BrushStyle styles[] = {Qt::HorPattern,   Qt::VerPattern,
                                                Qt::FDiagPattern, Qt::BDiagPattern,
                                                Qt::CrossPattern, Qt::DiagCrossPattern};
    return hatch >= 0 && hatch < 6 ? styles[hatch] : Qt::SolidPattern;
}

} // namespace

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

void Player::createObject(Object object) {
    if (!charge(cost::object)) return;
    m_objects.create(std::move(object));
}

void Player::selectObject(int index) {
    if (!charge(cost::object)) return;
    const Object* found = m_objects.at(index);
    if (!found) return;
    const Object& object = *found;
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
    m_objects.remove(index);
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

} // namespace galvia::wmf::playback
