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

// What one decode ahead gives: the identity the file had before it was opened, and
// either the picture (with its memory in the budget) or the error of the decode;
// neither when the decode was not done.
struct Resultat {
    std::optional<IdentiteFichier> identite;
    ImageAffichee image; // null: none
    QImage apercu;
    std::optional<Erreur> erreur;
    BudgetMemoire::Reservation memoire, memoireApercu, memoireCouleurs;
    // The screen profile's generation its colours were converted for.
    std::uint64_t generation = 0;
};

// One decode ahead: its task on the pool, and the result the task delivers. Dropping it
// abandons the task, and a result already there goes now, with its memory.
struct DecodageAnticipe::Travail {
    explicit Travail(QString c)
        : chemin(std::move(c)) {}
    const QString chemin;
    std::shared_ptr<Resultat> resultat = std::make_shared<Resultat>();
    Tache tache;
};

namespace {

// `image` stretched as the view would stretch it to `taille`, when that is smaller and
// the decode budget can serve its memory at once (`memoire`).
QImage etirer(BudgetMemoire& budget, const QImage& image, const DecodageAnticipe::Apercu& apercu,
              BudgetMemoire::Reservation& memoire) {
    if (!apercu) return {};
    try {
        const QSize taille = apercu(image.size());
        if (taille.isEmpty() || taille == image.size() || taille.width() > image.width() ||
            taille.height() > image.height())
            return {};
        return etirerSousBudget(budget, image, taille, memoire);
    } catch (...) {
        return {}; // no fitting for this size, or no memory: the view stretches it itself
    }
}

// Converts what a view of a picture decoded ahead shows first to the screen's colours:
// its fitted view when there is one (under a megapixel), the whole picture being left to
// ImageAffichee; else the whole picture, which the fitted view shows as it is. A picture
// that becomes 32 bits a pixel (a grey one with its grey profile) takes that memory from
// the budget at once (`memoire`); false when it cannot (nothing is kept then).
bool convertirAnticipee(BudgetMemoire& budget, const ConversionDifferee& couleurs, QImage& image,
                        QImage& etiree, BudgetMemoire::Reservation& memoire) {
    if (!couleurs.aConvertir()) return true; // the screen's space already: nothing to do
    if (!etiree.isNull()) {
        couleurs.convertir(etiree);
        return true;
    }
    if (conversionEnCopie(image)) {
        memoire = budget.essayerReserver(std::int64_t{4} * image.width() * image.height());
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
        [&](std::int64_t octets) {
            memoire = reserverAffichage(pool_.budget(), octets, [this] { abandonner(); });
        },
        destination(*recyclage_));
    return {std::move(image), couleurs, false, &pool_};
}

DecodageAnticipe::~DecodageAnticipe() {
    oublier();
}

void DecodageAnticipe::lancer(Travail& t, const Apercu& apercu) {
    // The job holds copies of the path, the decoder and the stretching rule, nothing of
    // this; its result goes to the decode's shared part.
    t.tache = Tache(
        pool_,
        [chemin = t.chemin, decodeur = decodeur_, apercu, pool = &pool_,
         &budget = pool_.budget()](const std::atomic<bool>& abandon) {
            Resultat r;
            // Read before the file is opened: a file replaced from here on has another
            // identity than the one kept, so its picture decoded here will not be used.
            r.identite = identiteFichier(chemin);
            // The decode leaves its colours to convert here, the fitted view first.
            const ConversionDifferee couleurs;
            try {
                QImage image = decodeur(
                    chemin,
                    [&](std::int64_t octets) {
                        r.memoire = budget.essayerReserver(octets);
                        if (!r.memoire) throw DecodageAbandonne{};
                    },
                    abandon);
                r.apercu = etirer(budget, image, apercu, r.memoireApercu);
                if (convertirAnticipee(budget, couleurs, image, r.apercu, r.memoireCouleurs)) {
                    r.image = ImageAffichee(std::move(image), couleurs, r.apercu.isNull(), pool);
                    r.generation = couleurs.generation();
                }
            } catch (const Erreur& e) {
                r.erreur = e;
            } catch (...) {
                // The budget could not serve it, or memory ran out on this thread: nothing is
                // kept, and the picture is decoded when it is shown.
            }
            if (r.image.isNull()) {
                r.apercu = QImage();
                r.memoire = {};
                r.memoireApercu = {};
                r.memoireCouleurs = {};
            }
            return r;
        },
        [resultat = t.resultat](Resultat r) { *resultat = std::move(r); });
}

void DecodageAnticipe::prevoir(const QStringList& chemins, const Apercu& apercu) {
    std::vector<std::unique_ptr<Travail>> gardes;
    std::vector<Travail*> nouveaux;
    for (const QString& c : chemins) {
        const auto deja = [&c](const std::unique_ptr<Travail>& t) { return t->chemin == c; };
        if (std::any_of(gardes.begin(), gardes.end(), deja)) continue;
        const auto it = std::find_if(travaux_.begin(), travaux_.end(), deja);
        if (it != travaux_.end()) {
            gardes.push_back(std::move(*it));
            travaux_.erase(it);
        } else {
            gardes.push_back(std::make_unique<Travail>(c));
            nouveaux.push_back(gardes.back().get());
        }
    }
    // What is no longer wanted gives its memory back before the new decodes ask for it.
    abandonner();
    recyclage_->garder();
    travaux_ = std::move(gardes);
    for (Travail* t : nouveaux)
        lancer(*t, apercu);
}

std::optional<ImageAnticipee> DecodageAnticipe::prendre(const QString& chemin) {
    const auto it = std::find_if(travaux_.begin(), travaux_.end(),
                                 [&chemin](const auto& t) { return t->chemin == chemin; });
    if (it == travaux_.end()) return {};
    const std::unique_ptr<Travail> t = std::move(*it);
    travaux_.erase(it);
    // Still queued: decoding it now is quicker than waiting for a worker.
    if (!t->tache.attendre()) return {};
    // Its memory goes back to the budget on return.
    Resultat r = std::move(*t->resultat);
    if (r.image.isNull() && !r.erreur) return {};
    // Converted for a screen profile that has changed since: decoded again.
    if (!r.image.isNull() && r.generation != generationProfilEcran()) return {};
    const std::optional<IdentiteFichier> maintenant = identiteFichier(chemin);
    if (maintenant != r.identite || (!r.image.isNull() && !maintenant))
        return {}; // not the file decoded
    if (r.erreur) throw *r.erreur;
    return ImageAnticipee{std::move(r.image), std::move(r.apercu)};
}
void DecodageAnticipe::oublier() {
    abandonner();
    recyclage_->vider();
}

void DecodageAnticipe::abandonner() {
    travaux_.clear();
}

QStringList DecodageAnticipe::prevus() const {
    QStringList l;
    for (const std::unique_ptr<Travail>& t : travaux_)
        l.append(t->chemin);
    return l;
}

} // namespace galvia
