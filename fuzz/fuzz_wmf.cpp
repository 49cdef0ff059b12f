// libFuzzer entry point: every input goes through Galvia's image handler as the viewer
// uses it: size from the header, then a read at a bounded scaled size.
#include "wmfhandler.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QVariant>

#include <cstddef>
#include <cstdint>

namespace {
// Large enough to reach every drawing path, small enough to keep runs fast.
constexpr int maxSide = 256;
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Text needs the font database, hence an application object living all run long.
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    galvia::wmf::WmfHandler handler;
    handler.setDevice(&buffer);
    if (!handler.canRead()) return 0;
    QSize out = handler.option(QImageIOHandler::Size).toSize();
    if (out.isEmpty()) return 0;
    if (out.width() > maxSide || out.height() > maxSide)
        out.scale(maxSide, maxSide, Qt::KeepAspectRatio);
    handler.setOption(QImageIOHandler::ScaledSize, out.expandedTo(QSize(1, 1)));
    QImage image;
    handler.read(&image);
    return 0;
}
