#include "RecyclageImages.h"

#include <QScopeGuard>
#include <cstdlib>
#include <deque>
#include <mutex>

namespace galvia {

// Shared by the recycler and the buffers it made, which may outlive it.
struct RecyclageImages::Etat {
    struct Buffer {
        void* memoire = nullptr;
        std::int64_t octets = 0;
    };

    // What a picture made on a buffer from here carries to its cleanup.
    struct Retour {
        std::shared_ptr<Etat> etat;
        Buffer buffer;
    };
    static void rendreBuffer(void* info) {
        const std::unique_ptr<Retour> r(static_cast<Retour*>(info));
        r->etat->rendre(r->buffer);
    }

    std::mutex mutex;
    std::deque<Buffer> libres; // oldest first
    std::int64_t octetsLibres = 0;
    bool garde = false;

    // A buffer of exactly `octets`: one kept, or a new one; null when memory runs out.
    void* prendre(std::int64_t octets) {
        {
            const std::lock_guard verrou(mutex);
            for (auto it = libres.begin(); it != libres.end(); ++it)
                if (it->octets == octets) {
                    void* m = it->memoire;
                    octetsLibres -= octets;
                    libres.erase(it);
                    return m;
                }
        }
        return std::malloc(static_cast<std::size_t>(octets));
    }

    // A picture's buffer coming back: kept while keeping, the oldest ones making room.
    void rendre(Buffer b) {
        std::deque<Buffer> aLiberer;
        {
            const std::lock_guard verrou(mutex);
            if (garde && b.octets <= OctetsMax) {
                libres.push_back(b);
                octetsLibres += b.octets;
                while (static_cast<int>(libres.size()) > BuffersMax || octetsLibres > OctetsMax) {
                    octetsLibres -= libres.front().octets;
                    aLiberer.push_back(libres.front());
                    libres.pop_front();
                }
            } else {
                aLiberer.push_back(b);
            }
        }
        for (const Buffer& l : aLiberer)
            std::free(l.memoire);
    }

    // From now on the buffers coming back are kept (`oui`), or freed with those kept.
    void garderDesormais(bool oui) {
        std::deque<Buffer> aLiberer;
        {
            const std::lock_guard verrou(mutex);
            garde = oui;
            if (!oui) {
                aLiberer.swap(libres);
                octetsLibres = 0;
            }
        }
        for (const Buffer& l : aLiberer)
            std::free(l.memoire);
    }
};

RecyclageImages::RecyclageImages()
    : etat_(std::make_shared<Etat>()) {}

RecyclageImages::~RecyclageImages() {
    etat_->garderDesormais(false);
}

QImage RecyclageImages::image(QSize taille, QImage::Format format) {
    if (taille.isEmpty() || format == QImage::Format_Invalid) return {};
    // QImage's own rows: whole 32-bit words.
    const std::int64_t ligne =
        ((std::int64_t{taille.width()} * QImage::toPixelFormat(format).bitsPerPixel() + 31) / 32) *
        4;
    const std::int64_t octets = ligne * taille.height();
    auto retour = std::make_unique<Etat::Retour>(Etat::Retour{etat_, {nullptr, octets}});
    void* memoire = retour->buffer.memoire = etat_->prendre(octets);
    if (!memoire) return {};
    // Until a picture holds it, the buffer comes back here.
    auto rendre = qScopeGuard([&] { etat_->rendre(retour->buffer); });
    QImage image(static_cast<uchar*>(memoire), taille.width(), taille.height(), ligne, format,
                 Etat::rendreBuffer, retour.get());
    if (image.isNull()) return {};
    rendre.dismiss();
    static_cast<void>(retour.release()); // now the picture's, freed by rendreBuffer
    return image;
}

void RecyclageImages::garder() {
    etat_->garderDesormais(true);
}

void RecyclageImages::vider() {
    etat_->garderDesormais(false);
}

int RecyclageImages::enReserve() const {
    const std::lock_guard verrou(etat_->mutex);
    return static_cast<int>(etat_->libres.size());
}

std::int64_t RecyclageImages::octetsEnReserve() const {
    const std::lock_guard verrou(etat_->mutex);
    return etat_->octetsLibres;
}

} // namespace galvia
