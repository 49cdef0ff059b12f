// The player's regions and clipping: regions in output pixels, painted or made the clip,
// and the clip's changes with what each costs.
#include "wmfplayer_p.h"

#include <cmath>

namespace galvia::wmf::playback {

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
    return m_objects.get<Region>(index);
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
    if (m_spent.stopped || !m_mappingValid || m_state.rop2 == R2Nop || region.rects.empty()) return;
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

} // namespace galvia::wmf::playback
