// The pixel memory of large pictures, kept when a picture goes and handed to the next
// decode of the same size. A fresh buffer of tens of megabytes costs the system a page
// fault and a page cleared for every 4 KiB written, about a fifth of a jpeg's decode;
// a buffer used again is already mapped. The viewer's decodes use it (see
// DecodageAnticipe): while the user pages through a folder of photographs of one size,
// each decode writes into the memory of a picture that has just left the screen.
#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <memory>

namespace galvia {

class RecyclageImages {
public:
    // At most this many buffers, of at most this many bytes in all, wait to be used
    // again; they are kept only between garder() and vider().
    static constexpr int BuffersMax = 2;
    static constexpr std::int64_t OctetsMax = std::int64_t{256} << 20;

    RecyclageImages();
    ~RecyclageImages();
    RecyclageImages(const RecyclageImages&) = delete;
    RecyclageImages& operator=(const RecyclageImages&) = delete;

    // A picture of this size and format whose pixels (not initialised) are a buffer kept,
    // or a new buffer that comes back here when the picture's last copy goes. Null when
    // memory runs out. Any thread may call it, and drop the picture.
    QImage image(QSize taille, QImage::Format format);

    // From now on, the buffers of the pictures made here are kept when they go.
    void garder();
    // Frees the buffers kept, and those of the pictures still alive when they go, until
    // the next garder().
    void vider();

    // Buffers waiting to be used again, and the bytes they hold (for tests).
    int enReserve() const;
    std::int64_t octetsEnReserve() const;

private:
    struct Etat;
    std::shared_ptr<Etat> etat_;
};

} // namespace galvia
