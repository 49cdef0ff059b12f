#include "BudgetDecodage.h"

#include "Images.h"
#include "MarqueursJpeg.h"
#include "PoolDecodage.h"
#include "platform/Erreurs.h"

#include <QImage>
#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace galvia {

BudgetMemoire::BudgetMemoire(std::int64_t capacite)
    : capacite_(capacite) {}

BudgetMemoire::Reservation::Reservation(Reservation&& autre) noexcept
    : budget_(std::exchange(autre.budget_, nullptr))
    , octets_(std::exchange(autre.octets_, 0)) {}

BudgetMemoire::Reservation& BudgetMemoire::Reservation::operator=(Reservation&& autre) noexcept {
    if (this != &autre) {
        if (budget_) budget_->liberer(octets_);
        budget_ = std::exchange(autre.budget_, nullptr);
        octets_ = std::exchange(autre.octets_, 0);
    }
    return *this;
}

BudgetMemoire::Reservation::~Reservation() {
    if (budget_) budget_->liberer(octets_);
}

std::int64_t BudgetMemoire::demande(std::int64_t octets) const {
    if (octets > capacite_) throw Erreur(ErrMemoire);
    return std::max<std::int64_t>(octets, 0);
}

BudgetMemoire::Reservation BudgetMemoire::reserver(std::int64_t octets,
                                                   const std::atomic<bool>* abandon) {
    return attendre(octets, abandon, false, std::chrono::steady_clock::time_point::max());
}

BudgetMemoire::Reservation BudgetMemoire::reserverAvant(std::int64_t octets,
                                                        std::chrono::milliseconds delai) {
    return attendre(octets, nullptr, true, std::chrono::steady_clock::now() + delai);
}

BudgetMemoire::Reservation BudgetMemoire::attendre(std::int64_t octets,
                                                   const std::atomic<bool>* abandon, bool enTete,
                                                   std::chrono::steady_clock::time_point limite) {
    octets = demande(octets);
    std::unique_lock verrou(mutex_);
    const std::uint64_t ticket = prochainTicket_++;
    if (enTete)
        file_.push_front(ticket);
    else
        file_.push_back(ticket);
    const auto abandonne = [&] { return (abandon && abandon->load()) || decodagesArretes(); };
    // First in line, and it fits.
    const auto servi = [&] { return file_.front() == ticket && reserve_ + octets <= capacite_; };
    const auto fin = [&] { return abandonne() || servi(); };
    if (limite == std::chrono::steady_clock::time_point::max())
        cv_.wait(verrou, fin);
    else
        cv_.wait_until(verrou, limite, fin);
    const bool accorde = servi() && !abandonne();
    file_.erase(std::find(file_.begin(), file_.end(), ticket));
    if (!accorde) {
        verrou.unlock();
        cv_.notify_all(); // the next in line may now be first
        return {};
    }
    Reservation r = accorder(octets);
    verrou.unlock();
    cv_.notify_all(); // the next in line may fit too
    return r;
}

BudgetMemoire::Reservation BudgetMemoire::essayerReserver(std::int64_t octets) {
    octets = demande(octets);
    const std::lock_guard verrou(mutex_);
    if (!file_.empty() || reserve_ + octets > capacite_) return {};
    return accorder(octets);
}

BudgetMemoire::Reservation BudgetMemoire::accorder(std::int64_t octets) {
    reserve_ += octets;
    ++tenues_;
    pic_ = std::max(pic_, reserve_);
    simultaneesMax_ = std::max(simultaneesMax_, tenues_);
    return {this, octets};
}

void BudgetMemoire::liberer(std::int64_t octets) {
    {
        const std::lock_guard verrou(mutex_);
        reserve_ -= octets;
        --tenues_;
    }
    cv_.notify_all();
}

void BudgetMemoire::reveiller() {
    { const std::lock_guard verrou(mutex_); }
    cv_.notify_all();
}

std::int64_t BudgetMemoire::reserve() const {
    const std::lock_guard verrou(mutex_);
    return reserve_;
}

std::int64_t BudgetMemoire::pic() const {
    const std::lock_guard verrou(mutex_);
    return pic_;
}

int BudgetMemoire::enAttente() const {
    const std::lock_guard verrou(mutex_);
    return static_cast<int>(file_.size());
}

int BudgetMemoire::simultaneesMax() const {
    const std::lock_guard verrou(mutex_);
    return simultaneesMax_;
}

void BudgetMemoire::remettreAZeroPics() {
    const std::lock_guard verrou(mutex_);
    pic_ = reserve_;
    simultaneesMax_ = tenues_;
}

BudgetMemoire& budgetDecodage() {
    static BudgetMemoire budget(BudgetDecodageOctets);
    return budget;
}

BudgetMemoire::Reservation reserverAffichage(BudgetMemoire& budget, std::int64_t octets,
                                             const std::function<void()>& liberer) {
    BudgetMemoire::Reservation r = budget.essayerReserver(octets);
    if (r) return r;
    if (liberer) liberer();
    r = budget.reserverAvant(octets, AttenteAffichageMax);
    if (!r) throw Erreur(ErrMemoire);
    return r;
}

namespace {

bool huitBitsParPixel(QImage::Format f) {
    return f == QImage::Format_Indexed8 || f == QImage::Format_Grayscale8;
}

// Whether a smooth scaling works on the pixels as they are, in 32 or 64 bits a pixel;
// it converts a picture in any other format whole first.
bool etirableTelle(QImage::Format f) {
    switch (f) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGBX8888:
    case QImage::Format_RGBA8888_Premultiplied:
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64_Premultiplied:
        return true;
    default:
        return false;
    }
}

} // namespace

std::int64_t memoireEtirement(const QImage& source, QSize cible) {
    const double pixelsCible = double(std::max(cible.width(), 0)) * std::max(cible.height(), 0);
    const double pixelsSource = double(source.width()) * source.height();
    const bool reduite = cible.width() <= source.width() && cible.height() <= source.height();
    if (huitBitsParPixel(source.format()) && reduite)
        return static_cast<std::int64_t>(4 * pixelsCible); // reduireHuitBits
    // Pictures of 16 bits a channel are scaled in 64 bits a pixel, others in 32 at least.
    const double octetsParPixel =
        source.format() == QImage::Format_Grayscale16 ? 8 : std::max(4, source.depth() / 8);
    if (etirableTelle(source.format()))
        return static_cast<std::int64_t>(std::ceil(octetsParPixel * pixelsCible));
    // The whole source converted, scaled, and the result converted back to its format.
    const double retour = std::max(1, source.depth() / 8) * pixelsCible;
    return static_cast<std::int64_t>(
        std::ceil(octetsParPixel * (pixelsSource + pixelsCible) + retour));
}

QImage etirerImage(const QImage& source, QSize cible) {
    if (huitBitsParPixel(source.format()) && cible.width() <= source.width() &&
        cible.height() <= source.height())
        return reduireHuitBits(source, cible);
    return source.scaled(cible, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage etirerSousBudget(BudgetMemoire& budget, const QImage& source, QSize cible,
                        BudgetMemoire::Reservation& memoire) {
    try {
        memoire = budget.essayerReserver(memoireEtirement(source, cible));
    } catch (const Erreur&) {
        memoire = {};
    }
    if (!memoire) return {};
    return etirerImage(source, cible);
}

namespace {

// The memory libjpeg takes to hold a whole jpeg's coefficients, 2 bytes a sample with
// each component's blocks rounded to its sampling factors: a progressive jpeg, or one
// whose first scan does not hold all its components, is read whole before any pixel
// comes out. 0 for a jpeg decoded scan line by scan line. Reads the markers from the
// start of the file, the reader's position left as it was.
std::optional<double> coefficientsJpeg(const QByteArray& t);

double coefficientsJpeg(QIODevice* appareil) {
    if (!appareil || appareil->isSequential()) return 0;
    const qint64 position = appareil->pos();
    std::optional<double> octets;
    // The headers usually fit in the first 64 KiB; large metadata may push them further.
    for (const qint64 taille : {qint64{1} << 16, qint64{1} << 20}) {
        if (!appareil->seek(0)) break;
        const QByteArray t = appareil->read(taille);
        octets = coefficientsJpeg(t);
        if (octets || t.size() < taille) break;
    }
    appareil->seek(position);
    return octets.value_or(0);
}

// From the first bytes of a jpeg; none when they end before the first scan.
std::optional<double> coefficientsJpeg(const QByteArray& t) {
    const StructureJpeg s = structureJpeg(octetsEnMemoire(t), true);
    if (!s.jpeg) return 0;
    if (s.balayages == 0 || !s.trame) return std::nullopt;
    // The first scan: the whole picture is buffered unless it holds every component of
    // a sequential jpeg.
    const bool entier =
        s.trame->progressif || s.composantesPremierBalayage < int(s.trame->composantes.size());
    return entier ? s.trame->blocs() * 64 * 2 : 0;
}

} // namespace

std::int64_t memoireDecodage(QImageReader& lecteur) {
    const QSize s = lecteur.size();
    if (!s.isValid() || s.isEmpty()) return std::int64_t{LimiteAllocationMo} << 20;
    const double pixels = double(s.width()) * s.height();
    const QImage::Format format = lecteur.imageFormat();
    const int bits = format == QImage::Format_Invalid
                         ? 32
                         : std::max(1, int(QImage::toPixelFormat(format).bitsPerPixel()));
    // Rows of a QImage are padded to 4 bytes.
    const double natif = std::ceil(double(s.width()) * bits / 32) * 4 * s.height();
    const QSize cible = lecteur.scaledSize();
    const bool reduite = cible.isValid() && !cible.isEmpty();
    const double sortie = reduite ? 4.0 * cible.width() * cible.height() : natif;

    double pic = natif;
    const bool jpeg = lecteur.format() == "jpeg";
    if (reduite && lecteur.supportsOption(QImageIOHandler::ScaledSize)) {
        if (jpeg) {
            // libjpeg decodes at n/8 of the size, n the smallest that still covers the
            // target, in 32 bits; the result is then scaled down to the target.
            const double rapport =
                std::min(double(s.width()) / cible.width(), double(s.height()) / cible.height());
            const int n = std::clamp(static_cast<int>(std::ceil(8 / rapport)), 1, 8);
            pic = 4.0 * std::ceil(s.width() * n / 8.0) * std::ceil(s.height() * n / 8.0) + sortie;
        } else {
            pic = sortie; // drawn directly at the target size
        }
    } else if (decodeEnHuitBits(lecteur)) {
        pic = natif + sortie; // decoded whole in 8 bits, shrunk from there
    } else if (reduite) {
        // Decoded whole, converted to 32 bits for a smooth scaling, then scaled.
        pic = natif + 4.0 * pixels + sortie;
    }
    if (jpeg) pic += coefficientsJpeg(lecteur.device());
    // An orientation is applied on a copy of the result.
    if (lecteur.transformation() != QImageIOHandler::TransformationNone) pic += sortie;
    return static_cast<std::int64_t>(std::ceil(pic));
}

} // namespace galvia
