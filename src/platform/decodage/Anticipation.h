// Pictures decoded ahead of their display: while the viewer shows one picture, the
// next ones in the direction of travel are decoded on the decode workers, so that moving
// on shows a picture already decoded. A picture decoded ahead is used only if its file
// is still the very one that was decoded; otherwise the viewer decodes it again.
#pragma once

#include "ImageAffichee.h"
#include "Images.h"
#include "RecyclageImages.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace galvia {

class PoolDecodage;

// What tells one file from another that took its name, or from itself rewritten: its
// device and inode, its size and its modification time to the nanosecond.
struct IdentiteFichier {
    std::uint64_t appareil = 0;
    std::uint64_t inode = 0;
    std::int64_t taille = 0;
    std::int64_t secondes = 0;
    std::int64_t nanosecondes = 0;
    friend bool operator==(const IdentiteFichier&, const IdentiteFichier&) = default;
};

// The identity of the file that opening `chemin` (its exact bytes) reads, a link
// followed as the decode follows it; nothing when it cannot be read.
std::optional<IdentiteFichier> identiteFichier(const QString& chemin);

// A picture decoded ahead, and the same picture already stretched to the size the viewer
// expected to draw it at (null when none was asked for or it could not be made), so that
// showing it does not scale a large picture on the interface thread. The stretched copy
// is in the screen's colours; the picture itself is converted when it is drawn whole
// (see ImageAffichee).
struct ImageAnticipee {
    ImageAffichee image;
    QImage apercu;
};

// A few decodes ahead, each keyed by the full path of its file, each a Tache on the pool
// given (PoolDecodage.h). Used by the interface thread only.
class DecodageAnticipe {
public:
    // The decode of one file: calls `avant` with the memory it will take once the header
    // is read, before the pixels are decoded, and gives up (throwing) soon after
    // `abandon` is set, when the decode is dropped (chargerReduite at natural size by
    // default, into the buffers of the pictures that have gone; see RecyclageImages.h).
    using Decodeur = std::function<QImage(const QString& chemin, const AvantDecodage& avant,
                                          const std::atomic<bool>& abandon)>;
    // A decoder that never gives up on the way.
    using DecodeurEntier = std::function<QImage(const QString& chemin, const AvantDecodage& avant)>;
    // The size, in screen pixels, a picture of natural size `naturelle` is to be drawn
    // stretched at; it may throw an Erreur (no stretched copy is made then). Runs on a
    // worker: it must use nothing but its own copies.
    using Apercu = std::function<QSize(QSize naturelle)>;

    explicit DecodageAnticipe(PoolDecodage& pool, Decodeur decodeur = {});
    DecodageAnticipe(PoolDecodage& pool, DecodeurEntier decodeur);
    ~DecodageAnticipe();
    DecodageAnticipe(const DecodageAnticipe&) = delete;
    DecodageAnticipe& operator=(const DecodageAnticipe&) = delete;

    // Keeps (or starts) the decodes of exactly these files, in this order of priority,
    // and drops every other one. Each decode takes its memory from the pool's budget
    // once its header is read, only if the budget can serve it at
    // once; one that it cannot serve is simply not done, one larger than the whole
    // budget fails with error 7. With `apercu`, a picture smaller than its natural size
    // is also stretched there, as the view would stretch it (etirerImage), its memory
    // taken from the budget likewise (the view stretches it when it cannot), and only
    // that copy is converted to the screen's colours; a picture without it is converted
    // whole there, its growth to 32 bits a pixel, if any, taken from the budget too.
    void prevoir(const QStringList& chemins, const Apercu& apercu = {});

    // The picture decoded ahead for `chemin`, taken (its memory goes back to the budget),
    // provided the file still has the identity it had when its decode began; throws the
    // Erreur of a decode that failed, under the same proviso. Waits for a decode of
    // `chemin` that is running, on a condition. Nothing when `chemin` was not decoded
    // ahead, its decode had not started, the budget could not serve it, or the file has
    // changed: the caller decodes it itself. Decodes of other files are kept.
    std::optional<ImageAnticipee> prendre(const QString& chemin);

    // Decodes `chemin` here and now, at natural size, like chargerImage, into a buffer
    // kept from the pictures that have gone when there is one of its size. Its memory is
    // taken from the pool's budget with reserverAffichage, the decodes ahead dropped
    // when the budget cannot serve it at once; throws Erreur(ErrMemoire) when it still
    // cannot. Its colours are converted when a view draws it (see ImageAffichee).
    ImageAffichee charger(const QString& chemin);

    // Drops every decode ahead, and the buffers kept for the next ones.
    void oublier();

    // The files kept or being decoded ahead, in order of priority.
    QStringList prevus() const;
    // The buffers of the pictures gone, kept for the next decodes.
    const RecyclageImages& recyclage() const { return *recyclage_; }

private:
    struct Travail;
    void lancer(Travail& t, const Apercu& apercu);
    void abandonner();

    PoolDecodage& pool_;
    std::shared_ptr<RecyclageImages> recyclage_;
    Decodeur decodeur_;
    std::vector<std::unique_ptr<Travail>> travaux_;
};

} // namespace galvia
