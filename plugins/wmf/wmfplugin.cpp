// Registers Galvia's metafile handler with Qt's image reading under the format "wmf".
#include "wmfhandler.h"

#include <QImageIOPlugin>

class GalviaWmfPlugin final : public QImageIOPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "wmf.json")

public:
    Capabilities capabilities(QIODevice* device, const QByteArray& format) const override {
        if (format == "wmf") return CanRead;
        if (!format.isEmpty() || !device || !device->isReadable()) return {};
        return galvia::wmf::WmfHandler::canRead(device) ? CanRead : Capabilities();
    }

    QImageIOHandler* create(QIODevice* device, const QByteArray& format) const override {
        auto* handler = new galvia::wmf::WmfHandler;
        handler->setDevice(device);
        handler->setFormat(format.isEmpty() ? QByteArray("wmf") : format);
        return handler;
    }
};

#include "wmfplugin.moc"
