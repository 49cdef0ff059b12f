// The player's bitmaps: blits, raster operations, and pattern brushes.
#include "wmfdib.h"
#include "wmfplayer_p.h"

namespace galvia::wmf::playback {

namespace {

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

} // namespace

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
    m_spent.dibPixels += qint64(image.width()) * image.height();
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
    m_spent.dibPixels += qint64(pattern.width()) * pattern.height();
    if (!charge(double(pattern.width()) * pattern.height() * cost::decodedPixel)) return;
    // An unreadable pattern leaves a grey brush, so the slot is still taken.
    const quint16 style = pattern.isNull() ? quint16(BsSolid) : quint16(BsPattern);
    createObject(Brush{style, Qt::gray, 0, std::move(pattern)});
}

} // namespace galvia::wmf::playback
