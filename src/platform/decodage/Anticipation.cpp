#include "Anticipation.h"

#include "BudgetDecodage.h"
#include "Couleurs.h"
#include "PoolDecodage.h"
#include "platform/Erreurs.h"
#include "platform/Fichiers.h"
#include "platform/NomsOctets.h"

#include <algorithm>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <utility>

namespace galvia {

std::optional<IdentiteFichier> identiteFichier(const QString& chemin) {
    try {
        struct stat st {};
        if (!etatFichier(chemin, st)) return {};
        return IdentiteFichier{
            static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_size), static_cast<std::int64_t>(st.st_mtim.tv_sec),
            static_cast<std::int64_t>(st.st_mtim.tv_nsec)};
    } catch (const Erreur&) {
        return {}; // a name no file can have
    }
}

// One decode ahead, shared by its owner and its job on the pool. Every field but
// `chemin` is guarded by `mutex`.
struct DecodageAnticipe::Travail {
    explicit Travail(QString c)
        : chemin(std::move(c)) {}

    enum class Etape { EnFile, EnCours, Termine };

    // Drops the decode: a job not started will not start, a running one throws its
    // result away; a result already there goes now, with its memory.
    void abandonner() {
        const std::lock_guard verrou(mutex);
        abandon = true;
        image = {};
        apercu = QImage();
        erreur.reset();
        memoire = {};
        memoireApercu = {};
        memoireCouleurs = {};
    }

    const QString chemin;
    std::mutex mutex;
    std::condition_variable fini;
    Etape etape = Etape::EnFile;
    // Also read by the decode, without the mutex, to stop on the way.
    std::atomic<bool> abandon{false};
    // The result, once Termine: the identity the file had before it was opened, and
    // either the picture (with its memory in the budget) or the error of the decode;
    // neither when the decode was not done.
    std::optional<IdentiteFichier> identite;
    ImageAffichee image; // null: none
    QImage apercu;
    std::optional<Erreur> erreur;
    BudgetMemoire::Reservation memoire, memoireApercu, memoireCouleurs;
    // The screen profile's generation its colours were converted for.
    std::uint64_t generation = 0;
};

namespace {

// `image` stretched as the view would stretch it to `taille`, when that is smaller and
// the decode budget can serve its memory at once (`memoire`).
QImage etirer(const QImage& image, const DecodageAnticipe::Apercu& apercu,
              BudgetMemoire::Reservation& memoire) {
    if (!apercu) return {};
    try {
        const QSize taille = apercu(image.size());
        if (taille.isEmpty() || taille == image.size() || taille.width() > image.width() ||
            taille.height() > image.height())
            return {};
        return etirerSousBudget(image, taille, memoire);
    } catch (...) {
        return {}; // no fitting for this size, or no memory: the view stretches it itself
    }
}

// Converts what a view of a picture decoded ahead shows first to the screen's colours:
// its fitted view when there is one (under a megapixel), the whole picture being left to
// ImageAffichee; else the whole picture, which the fitted view shows as it is. A picture
// that becomes 32 bits a pixel (a grey one with its grey profile) takes that memory from
// the budget at once (`memoire`); false when it cannot (nothing is kept then).
bool convertirAnticipee(const ConversionDifferee& couleurs, QImage& image, QImage& etiree,
                        BudgetMemoire::Reservation& memoire) {
    if (!couleurs.aConvertir()) return true; // the screen's space already: nothing to do
    if (!etiree.isNull()) {
        couleurs.convertir(etiree);
        return true;
    }
    if (conversionEnCopie(image)) {
        memoire =
            budgetDecodage().essayerReserver(std::int64_t{4} * image.width() * image.height());
        if (!memoire) return false;
    }
    couleurs.convertir(image);
    return true;
}

// Decodes into the recycler's buffers.
Destination destination(RecyclageImages& r) {
    return [&r](QSize taille, QImage::Format format) { return r.image(taille, format); };
}

} // namespace

DecodageAnticipe::DecodageAnticipe(PoolDecodage& pool, Decodeur decodeur)
    : pool_(pool)
    , recyclage_(std::make_shared<RecyclageImages>())
    , decodeur_(std::move(decodeur)) {
    if (!decodeur_)
        decodeur_ = [r = recyclage_](const QString& chemin, const AvantDecodage& avant,
                                     const std::atomic<bool>& abandon) {
            return chargerReduite(chemin, {}, avant, destination(*r), &abandon);
        };
}

DecodageAnticipe::DecodageAnticipe(PoolDecodage& pool, DecodeurEntier decodeur)
    : DecodageAnticipe(
          pool, [d = std::move(decodeur)](const QString& chemin, const AvantDecodage& avant,
                                          const std::atomic<bool>&) { return d(chemin, avant); }) {}

ImageAffichee DecodageAnticipe::charger(const QString& chemin) {
    BudgetMemoire::Reservation memoire;
    const ConversionDifferee couleurs; // left to the views
    QImage image = chargerReduite(
        chemin, {},
        [&](std::int64_t octets) { memoire = reserverAffichage(octets, [this] { abandonner(); }); },
        destination(*recyclage_));
    return {std::move(image), couleurs};
}

DecodageAnticipe::~DecodageAnticipe() {
    oublier();
}

void DecodageAnticipe::lancer(const std::shared_ptr<Travail>& t, const Apercu& apercu) {
    // The job holds the decode's shared part and copies of the decoder and of the
    // stretching rule, nothing of this.
    pool_.soumettre([t, decodeur = decodeur_, apercu] {
        {
            const std::lock_guard verrou(t->mutex);
            if (t->abandon) return;
            t->etape = Travail::Etape::EnCours;
        }
        // Read before the file is opened: a file replaced from here on has another
        // identity than the one kept, so its picture decoded here will not be used.
        const std::optional<IdentiteFichier> identite = identiteFichier(t->chemin);
        std::optional<QImage> image;
        ImageAffichee affichee;
        QImage etiree;
        std::optional<Erreur> erreur;
        BudgetMemoire::Reservation memoire, memoireApercu, memoireCouleurs;
        // The decode leaves its colours to convert here, the fitted view first.
        const ConversionDifferee couleurs;
        try {
            image = decodeur(
                t->chemin,
                [&memoire](std::int64_t octets) {
                    memoire = budgetDecodage().essayerReserver(octets);
                    if (!memoire) throw DecodageAbandonne{};
                },
                t->abandon);
            etiree = etirer(*image, apercu, memoireApercu);
            if (convertirAnticipee(couleurs, *image, etiree, memoireCouleurs))
                affichee =
                    ImageAffichee(*std::exchange(image, std::nullopt), couleurs, etiree.isNull());
            else
                etiree = QImage();
        } catch (const Erreur& e) {
            erreur = e;
        } catch (...) {
            // The budget could not serve it, or memory ran out on this thread: nothing is
            // kept, and the picture is decoded when it is shown.
        }
        {
            const std::lock_guard verrou(t->mutex);
            t->etape = Travail::Etape::Termine;
            if (!t->abandon) {
                t->identite = identite;
                t->erreur = std::move(erreur);
                if (!affichee.isNull()) {
                    t->image = std::move(affichee);
                    t->apercu = std::move(etiree);
                    t->memoire = std::move(memoire);
                    t->memoireApercu = std::move(memoireApercu);
                    t->memoireCouleurs = std::move(memoireCouleurs);
                    t->generation = couleurs.generation();
                }
            }
        }
        t->fini.notify_all();
        // An abandoned result, and its memory, go here on the worker.
    });
}

void DecodageAnticipe::prevoir(const QStringList& chemins, const Apercu& apercu) {
    std::vector<std::shared_ptr<Travail>> gardes, nouveaux;
    for (const QString& c : chemins) {
        const auto deja = [&c](const std::shared_ptr<Travail>& t) { return t->chemin == c; };
        if (std::any_of(gardes.begin(), gardes.end(), deja)) continue;
        const auto it = std::find_if(travaux_.begin(), travaux_.end(), deja);
        if (it != travaux_.end()) {
            gardes.push_back(std::move(*it));
            travaux_.erase(it);
        } else {
            gardes.push_back(std::make_shared<Travail>(c));
            nouveaux.push_back(gardes.back());
        }
    }
    // What is no longer wanted gives its memory back before the new decodes ask for it.
    abandonner();
    recyclage_->garder();
    travaux_ = std::move(gardes);
    for (const std::shared_ptr<Travail>& t : nouveaux)
        lancer(t, apercu);
}

std::optional<ImageAnticipee> DecodageAnticipe::prendre(const QString& chemin) {
    const auto it = std::find_if(travaux_.begin(), travaux_.end(),
                                 [&chemin](const auto& t) { return t->chemin == chemin; });
    if (it == travaux_.end()) return {};
    const std::shared_ptr<Travail> t = std::move(*it);
    travaux_.erase(it);

    std::unique_lock verrou(t->mutex);
    if (t->etape == Travail::Etape::EnFile) {
        // Still queued: decoding it now is quicker than waiting for a worker.
        t->abandon = true;
        return {};
    }
    t->fini.wait(verrou, [&t] { return t->etape == Travail::Etape::Termine; });
    const std::optional<IdentiteFichier> avant = t->identite;
    ImageAffichee image = std::exchange(t->image, {});
    QImage apercu = std::move(t->apercu);
    std::optional<Erreur> erreur = std::move(t->erreur);
    t->erreur.reset();
    // Their memory goes back to the budget on return.
    const BudgetMemoire::Reservation memoire = std::move(t->memoire);
    const BudgetMemoire::Reservation memoireApercu = std::move(t->memoireApercu);
    const BudgetMemoire::Reservation memoireCouleurs = std::move(t->memoireCouleurs);
    const std::uint64_t generation = t->generation;
    verrou.unlock();

    if (image.isNull() && !erreur) return {};
    // Converted for a screen profile that has changed since: decoded again.
    if (!image.isNull() && generation != generationProfilEcran()) return {};
    const std::optional<IdentiteFichier> maintenant = identiteFichier(chemin);
    if (maintenant != avant || (!image.isNull() && !maintenant)) return {}; // not the file decoded
    if (erreur) throw *erreur;
    return ImageAnticipee{std::move(image), std::move(apercu)};
}

void DecodageAnticipe::oublier() {
    abandonner();
    recyclage_->vider();
}

void DecodageAnticipe::abandonner() {
    for (const std::shared_ptr<Travail>& t : travaux_)
        t->abandonner();
    travaux_.clear();
}

QStringList DecodageAnticipe::prevus() const {
    QStringList l;
    for (const std::shared_ptr<Travail>& t : travaux_)
        l.append(t->chemin);
    return l;
}

} // namespace galvia
