// Qt image handler that reads Windows metafiles through Galvia's own player.
#pragma once

#include <QImageIOHandler>
#include <QSize>

namespace galvia::wmf {

class WmfHandler final : public QImageIOHandler {
public:
    bool canRead() const override;
    bool read(QImage* image) override;
    QVariant option(ImageOption option) const override;
    void setOption(ImageOption option, const QVariant& value) override;
    bool supportsOption(ImageOption option) const override;

    // Looks at the first bytes of device without consuming them.
    static bool canRead(QIODevice* device);

private:
    QSize naturalSize() const;

    QSize m_scaledSize;
};

} // namespace galvia::wmf
