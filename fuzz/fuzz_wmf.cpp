// libFuzzer entry point: every input goes through the header and size reading of the
// image handler, then is played onto a small picture.
#include "wmfparser.h"
#include "wmfplayer.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

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
    using namespace galvia::wmf;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    looksLikeMetafile(bytes);
    MemorySource source(bytes);
    if (const auto header = readHeader(source, false)) readFrame(source, *header);

    const auto metafile = Metafile::fromData(bytes);
    if (!metafile) return 0;
    QSize out = metafile->frame().size;
    if (out.width() > maxSide || out.height() > maxSide)
        out.scale(maxSide, maxSide, Qt::KeepAspectRatio);
    out = out.expandedTo(QSize(1, 1));
    QImage image(out, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    play(*metafile, painter, out);
    return 0;
}
