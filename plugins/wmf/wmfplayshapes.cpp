// The player's shapes: rectangles, ellipses, arcs and polygons.
#include "wmfplayer_p.h"

#include <QPainterPath>

#include <cmath>
#include <numbers>

namespace galvia::wmf::playback {

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

} // namespace galvia::wmf::playback
