#include "wmfhandler.h"

#include "wmfplayer.h"
#include "wmfrecords.h"

#include <QIODevice>
#include <QVariant>

#include <cstring>

namespace galvia::wmf {

namespace {

// Reads a device at offsets from where it stands, and puts it back there afterwards.
// Sequential devices are only peeked at, within a bounded window.
class DeviceSource final : public ByteSource {
public:
    explicit DeviceSource(QIODevice* device)
        : m_device(device)
        , m_start(device->pos()) {}
    ~DeviceSource() override {
        if (!m_device->isSequential()) m_device->seek(m_start);
    }
    DeviceSource(const DeviceSource&) = delete;
    DeviceSource& operator=(const DeviceSource&) = delete;

    bool read(qint64 offset, char* dst, qint64 len) override {
        if (offset < 0 || len < 0) return false;
        if (!m_device->isSequential())
            return offset <= m_device->size() - m_start - len && m_device->seek(m_start + offset) &&
                   m_device->read(dst, len) == len;
        const qint64 needed = offset + len;
        if (needed > sequentialWindow) return false;
        if (m_peeked.size() < needed)
            m_peeked = m_device->peek(qMin(sequentialWindow, qMax(needed, 2 * m_peeked.size())));
        if (m_peeked.size() < needed) return false;
        std::memcpy(dst, m_peeked.constData() + offset, size_t(len));
        return true;
    }

private:
    static constexpr qint64 sequentialWindow = qint64(1) << 20;
    QIODevice* m_device;
    qint64 m_start;
    QByteArray m_peeked;
};

} // namespace

bool WmfHandler::canRead() const {
    if (!device() || !canRead(device())) return false;
    const_cast<WmfHandler*>(this)->setFormat("wmf");
    return true;
}

bool WmfHandler::canRead(QIODevice* device) {
    if (!device) return false;
    return looksLikeMetafile(device->peek(placeableHeaderBytes + standardHeaderBytes));
}

QSize WmfHandler::naturalSize() const {
    if (!device()) return {};
    DeviceSource source(device());
    const auto header = readHeader(source, false);
    if (!header) return {};
    const auto frame = readFrame(source, *header);
    return frame ? frame->size : QSize();
}

namespace {

// The whole file, unless it is larger than any metafile Galvia accepts.
std::optional<QByteArray> readBounded(QIODevice* device) {
    if (!device->isSequential()) {
        const qint64 left = device->size() - device->pos();
        if (left > limits::maxFileBytes) return std::nullopt;
        return device->read(left);
    }
    QByteArray data;
    for (;;) {
        const QByteArray chunk = device->read(qint64(1) << 20);
        if (chunk.isEmpty()) return data;
        if (data.size() + chunk.size() > limits::maxFileBytes) return std::nullopt;
        data += chunk;
    }
}

} // namespace

bool WmfHandler::read(QImage* image) {
    if (!device()) return false;
    const auto data = readBounded(device());
    if (!data) return false;
    const auto metafile = Metafile::fromData(*data);
    if (!metafile) return false;
    const QSize size = m_scaledSize.isEmpty() ? metafile->frame().size : m_scaledSize;
    if (size.width() > limits::maxNaturalSide || size.height() > limits::maxNaturalSide)
        return false;
    QImage picture;
    if (!allocateImage(size, QImage::Format_ARGB32_Premultiplied, &picture)) return false;
    const PlayResult result = playOnto(*metafile, picture);
    if (result.records == 0 && !result.complete) return false;
    *image = std::move(picture);
    return true;
}

QVariant WmfHandler::option(ImageOption option) const {
    switch (option) {
    case Size:
        return naturalSize();
    case ScaledSize:
        return m_scaledSize;
    case ImageFormat:
        return QImage::Format_ARGB32_Premultiplied;
    default:
        return {};
    }
}

void WmfHandler::setOption(ImageOption option, const QVariant& value) {
    if (option == ScaledSize) m_scaledSize = value.toSize();
}

bool WmfHandler::supportsOption(ImageOption option) const {
    return option == Size || option == ScaledSize || option == ImageFormat;
}

} // namespace galvia::wmf
