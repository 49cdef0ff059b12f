// libFuzzer entry point: every input is a picture file decoded as the viewer and the
// slide sheet decode theirs, through chargerVignette: the file opened and bounded by
// its format, its header read, then a decode at a size fitted to a small screen; a decode
// whose memory would pass the decode budget is given up, as the budget would. The same
// bytes are read as a thumbnail's text keys too (tEXt, and zTXt and iTXt inflated).
#include "platform/Erreurs.h"
#include "platform/decodage/BudgetDecodage.h"
#include "platform/decodage/CacheVignettes.h"
#include "platform/decodage/Images.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <new>

namespace {
// Large enough to reach every scaling path, small enough to keep runs fast.
constexpr QSize Ecran(256, 256);
QString fichier;
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    static QTemporaryDir dossier;
    fichier = dossier.filePath(QStringLiteral("entree"));
    galvia::preparerDecodeurs();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        QFile f(fichier);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            f.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            qFatal("cannot write the input");
    }
    (void)galvia::textesPng(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    try {
        galvia::chargerVignette(
            fichier,
            [](QSize naturelle) {
                return naturelle.scaled(Ecran, Qt::KeepAspectRatio).boundedTo(naturelle);
            },
            [](std::int64_t octets) {
                if (octets > galvia::BudgetDecodageOctets) throw galvia::DecodageAbandonne{};
            });
    } catch (const galvia::Erreur&) {
    } catch (const galvia::DecodageAbandonne&) {
    } catch (const std::bad_alloc&) {
    }
    return 0;
}
