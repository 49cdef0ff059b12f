// The player's text: strings decoded in their font's character set, laid out and drawn.
#include "wmfplayer_p.h"

#include <cmath>

namespace galvia::wmf::playback {

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

} // namespace galvia::wmf::playback
