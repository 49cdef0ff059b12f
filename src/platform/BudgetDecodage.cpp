#include "BudgetDecodage.h"

#include "Images.h"

#include <QImage>
#include <algorithm>
#include <cmath>
#include <utility>

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

BudgetMemoire::Reservation BudgetMemoire::reserver(std::int64_t octets,
                                                   const std::atomic<bool>* abandon) {
    octets = std::max<std::int64_t>(octets, 0);
    std::unique_lock verrou(mutex_);
    const std::uint64_t ticket = prochainTicket_++;
    file_.push_back(ticket);
    const auto abandonne = [&] { return abandon && abandon->load(); };
    // First in line, and either it fits or nothing else is held.
    const auto servi = [&] {
        return file_.front() == ticket && (tenues_ == 0 || reserve_ + octets <= capacite_);
    };
    cv_.wait(verrou, [&] { return abandonne() || servi(); });
    file_.erase(std::find(file_.begin(), file_.end(), ticket));
    if (abandonne()) {
        verrou.unlock();
        cv_.notify_all(); // the next in line may now be first
        return {};
    }
    reserve_ += octets;
    ++tenues_;
    pic_ = std::max(pic_, reserve_);
    simultaneesMax_ = std::max(simultaneesMax_, tenues_);
    verrou.unlock();
    cv_.notify_all(); // the next in line may fit too
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

std::int64_t memoireDecodage(QImageReader& lecteur) {
    const QSize s = lecteur.size();
    if (!s.isValid() || s.isEmpty()) return std::int64_t{LimiteAllocationMo} << 20;
    const double pixels = double(s.width()) * s.height();
    const QImage::Format format = lecteur.imageFormat();
    const double octetsParPixel =
        format == QImage::Format_Invalid
            ? 4.0
            : std::max(1, int(QImage::toPixelFormat(format).bitsPerPixel())) / 8.0;
    const double natif = pixels * octetsParPixel;
    const QSize cible = lecteur.scaledSize();
    const bool reduite = cible.isValid() && !cible.isEmpty();
    const double sortie = reduite ? 4.0 * cible.width() * cible.height() : natif;

    double pic = natif;
    if (reduite && lecteur.supportsOption(QImageIOHandler::ScaledSize)) {
        if (lecteur.format() == "jpeg") {
            // libjpeg decodes at n/8 of the size, n the smallest that still covers the
            // target, in 32 bits; the result is then scaled down to the target.
            const double rapport =
                std::min(double(s.width()) / cible.width(), double(s.height()) / cible.height());
            const int n = std::clamp(static_cast<int>(std::ceil(8 / rapport)), 1, 8);
            pic = 4.0 * std::ceil(s.width() * n / 8.0) * std::ceil(s.height() * n / 8.0) + sortie;
        } else {
            pic = sortie; // drawn directly at the target size
        }
    } else if (reduite) {
        // Decoded whole, converted to 32 bits for a smooth scaling, then scaled.
        pic = natif + 4.0 * pixels + sortie;
    }
    // An orientation is applied on a copy of the result.
    if (lecteur.transformation() != QImageIOHandler::TransformationNone) pic += sortie;
    return static_cast<std::int64_t>(std::ceil(pic));
}

} // namespace galvia
