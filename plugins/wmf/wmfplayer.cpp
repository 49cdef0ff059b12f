#include "wmfplayer.h"

#include "wmfplayer_p.h"

namespace galvia::wmf::playback {

Player::Player(const Metafile& metafile, QPainter& painter, QSize output)
    : m_metafile(metafile)
    , m_painter(painter)
    , m_output(output)
    , m_outputRect(QPointF(0, 0), QSizeF(output))
    , m_objects(metafile.header().objectCount) {
    const Frame& frame = metafile.frame();
    m_state.mapping.windowOrg = frame.windowOrigin;
    m_state.mapping.windowExt = QPointF(frame.windowExtent.width(), frame.windowExtent.height());
    m_state.mapping.viewportExt = QPointF(frame.size.width(), frame.size.height());
    m_spent.limit =
        qMin(cost::budgetCeiling,
             cost::budgetAllowance + cost::budgetPerPixel * m_output.width() * m_output.height());
}

PlayResult Player::run() {
    m_painter.save();
    updateTransform();
    RecordReader reader(m_metafile.data(), m_metafile.header().recordsOffset);
    Record record;
    RecordReader::Status status = RecordReader::Status::Ok;
    while (!m_spent.stopped && (status = reader.next(record)) == RecordReader::Status::Ok)
        if (charge(cost::record)) dispatch(record);
    for (size_t i = 0; i < m_saved.size(); ++i)
        m_painter.restore();
    m_painter.restore();
    return PlayResult{reader.count(), m_spent.primitives,
                      !m_spent.stopped && status == RecordReader::Status::End, m_spent.work,
                      m_spent.limit};
}

} // namespace galvia::wmf::playback

namespace galvia::wmf {

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
    playback::Player player(metafile, painter, outputSize);
    return player.run();
}

PlayResult playOnto(const Metafile& metafile, QImage& picture) {
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                           QPainter::TextAntialiasing);
    return play(metafile, painter, picture.size());
}

PlayResult playData(const QByteArray& data, QSize size) {
    const auto metafile = Metafile::fromData(data);
    if (!metafile) return {};
    QImage picture(size, QImage::Format_ARGB32_Premultiplied);
    return playOnto(*metafile, picture);
}

} // namespace galvia::wmf
