// The player's dispatch: each record to the part of the player that plays it.
#include "wmfdib.h"
#include "wmfplayer_p.h"

#include <cmath>

namespace galvia::wmf::playback {

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
        RegionScans scans =
            readRegion(r.params, qMin(limits::maxRegionRects,
                                      limits::maxRegionRectsTotal - m_spent.regionRects));
        m_spent.regionRects += qint64(scans.rects.size());
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
        const Brush* brush = m_objects.get<Brush>(r.u16(1));
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
        if (const Palette* p = m_objects.get<Palette>(r.u16(0))) s.palette = p->colours;
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

} // namespace galvia::wmf::playback
