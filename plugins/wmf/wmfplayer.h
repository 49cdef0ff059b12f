// Playback of Windows metafiles on a QPainter.
#pragma once

#include "wmfparser.h"

#include <QByteArray>

class QImage;
class QPainter;

namespace galvia::wmf {

// A metafile whose header and frame have been checked, ready to be played.
class Metafile {
public:
    // Empty when the header is invalid or the natural size cannot be determined.
    static std::optional<Metafile> fromData(QByteArray data);

    const Header& header() const { return m_header; }
    const Frame& frame() const { return m_frame; }
    QByteArrayView data() const { return m_data; }

private:
    QByteArray m_data;
    Header m_header;
    Frame m_frame;
};

struct PlayResult {
    qint64 records = 0;
    qint64 primitives = 0;
    // The records ran to their end, without a broken record or an exhausted budget.
    bool complete = false;
    // Work spent and the picture's budget, in the units of the cost model.
    double work = 0;
    double budget = 0;
};

// Paints the metafile so that its frame fills a picture of outputSize pixels, the
// painter standing at the picture's top-left corner.
PlayResult play(const Metafile& metafile, QPainter& painter, QSize outputSize);

// Paints the metafile over the whole of `picture`, cleared to transparent first, with the
// render hints Galvia shows metafiles with.
PlayResult playOnto(const Metafile& metafile, QImage& picture);

// Plays metafile bytes onto a picture of `size` of its own, for the account of the work
// (an empty account when the bytes are not a metafile).
PlayResult playData(const QByteArray& data, QSize size);

} // namespace galvia::wmf
