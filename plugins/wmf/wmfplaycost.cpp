// The player's admission of each primitive: what drawing it costs, charged to the picture's
// budget before it is drawn.
#include "wmfcost.h"
#include "wmfplayer_p.h"

#include <cmath>

namespace galvia::wmf::playback {

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
    if (m_spent.stopped || !m_mappingValid || m_state.rop2 == R2Nop) return false;
    m_spent.points += points;
    if (++m_spent.primitives > limits::maxPrimitives || m_spent.points > limits::maxPoints) {
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

} // namespace galvia::wmf::playback
