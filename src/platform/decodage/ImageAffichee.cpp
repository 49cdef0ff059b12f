#include "ImageAffichee.h"

#include "Couleurs.h"
#include "PoolDecodage.h"
#include "platform/Erreurs.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <utility>

namespace galvia {

// Shared by the copies of a picture and the worker converting it. Every field but
// `pool` is guarded by `mutex`.
struct ImageAffichee::Etat {
    PoolDecodage* pool = nullptr; // null: the process-wide one
    std::mutex mutex;
    std::condition_variable fini;
    QImage image;                 // out of here while a worker converts it
    QByteArray espace;            // the colour space of its pixels
    QByteArray ecran;             // the screen's, of generation `generation`
    std::uint64_t generation = 0; // of the screen's profile
    bool enFile = false, enCours = false;

    PoolDecodage& decodeurs() const { return pool ? *pool : PoolDecodage::commun(); }

    // The screen's profile of now, when it has changed.
    void suivreEcran() {
        const std::uint64_t g = generationProfilEcran(); // first: a change meanwhile shows
        if (g == generation) return;
        generation = g;
        ecran = profilEcran();
    }
    bool aConvertir() const { return espace != ecran; }
    // Waits for a worker converting the picture; then the screen's profile of now.
    void attendre(std::unique_lock<std::mutex>& verrou) {
        fini.wait(verrou, [this] { return !enCours; });
        suivreEcran();
    }
};

// What the copies hold: when the last goes, a conversion on the way is given up.
struct ImageAffichee::Jeton {
    std::shared_ptr<Etat> etat = std::make_shared<Etat>();
    Tache conversion;
};

namespace {

// Converts `image` from `de` to `vers` on the interface thread, its growth, if any, taken
// from the decode budget; false when the budget cannot serve it.
bool convertirIci(BudgetMemoire& budget, QImage& image, const QByteArray& de,
                  const QByteArray& vers) {
    BudgetMemoire::Reservation memoire;
    try {
        if (conversionEnCopie(image))
            memoire = reserverAffichage(budget, std::int64_t{4} * image.width() * image.height());
    } catch (const Erreur&) {
        return false;
    }
    convertirCouleurs(image, de, vers);
    return true;
}

} // namespace

ImageAffichee::ImageAffichee(QImage image)
    : taille_(image.size()) {
    if (image.isNull()) return;
    jeton_ = std::make_shared<Jeton>();
    Etat& e = *jeton_->etat;
    e.suivreEcran();
    e.espace = e.ecran;
    e.image = std::move(image);
}

ImageAffichee::ImageAffichee(QImage image, const ConversionDifferee& couleurs, bool converti,
                             PoolDecodage* pool)
    : taille_(image.size()) {
    if (image.isNull()) return;
    jeton_ = std::make_shared<Jeton>();
    Etat& e = *jeton_->etat;
    e.pool = pool;
    e.generation = couleurs.generation();
    e.ecran = couleurs.ecran();
    e.espace = converti ? couleurs.ecran() : couleurs.source();
    e.image = std::move(image);
}

QImage ImageAffichee::image() const {
    if (!jeton_) return {};
    Etat& e = *jeton_->etat;
    std::unique_lock verrou(e.mutex);
    e.attendre(verrou);
    if (e.aConvertir()) {
        if (!convertirIci(e.decodeurs().budget(), e.image, e.espace, e.ecran)) return {};
        e.espace = e.ecran;
    }
    return e.image;
}

QImage ImageAffichee::etirer(QSize taille, BudgetMemoire::Reservation& memoire) const {
    if (!jeton_) return {};
    if (taille == taille_) return image();
    Etat& e = *jeton_->etat;
    std::unique_lock verrou(e.mutex);
    e.attendre(verrou);
    BudgetMemoire& budget = e.decodeurs().budget();
    QImage etiree = etirerSousBudget(budget, e.image, taille, memoire);
    if (!etiree.isNull() && e.aConvertir() && !convertirIci(budget, etiree, e.espace, e.ecran))
        return {};
    return etiree;
}

bool ImageAffichee::aConvertir() const {
    if (!jeton_) return false;
    Etat& e = *jeton_->etat;
    const std::lock_guard verrou(e.mutex);
    e.suivreEcran();
    return e.aConvertir();
}

void ImageAffichee::convertirEnFond() const {
    if (!jeton_) return;
    std::shared_ptr<Etat> etat = jeton_->etat;
    {
        const std::lock_guard verrou(etat->mutex);
        etat->suivreEcran();
        if (!etat->aConvertir() || etat->enFile || etat->enCours || conversionEnCopie(etat->image))
            return;
        etat->enFile = true;
    }
    struct Conversion {
        QImage image;
        QByteArray vers;
    };
    jeton_->conversion = Tache(
        etat->decodeurs(),
        [etat](const std::atomic<bool>& abandon) -> std::optional<Conversion> {
            std::unique_lock verrou(etat->mutex);
            etat->enFile = false;
            if (etat->enCours || !etat->aConvertir()) return {};
            // Taken out while converted: the copies wait for it (attendre), none reads it.
            etat->enCours = true;
            Conversion c{std::move(etat->image), etat->ecran};
            const QByteArray de = etat->espace;
            verrou.unlock();
            convertirCouleurs(c.image, de, c.vers, &abandon);
            return c;
        },
        [etat](std::optional<Conversion> c) {
            if (!c) return;
            {
                const std::lock_guard verrou(etat->mutex);
                etat->image = std::move(c->image);
                // Given up half way when Galvia quits: left in its colours.
                if (!decodagesArretes()) etat->espace = c->vers;
                etat->enCours = false;
            }
            etat->fini.notify_all();
        });
}

} // namespace galvia
