// The memory of Galvia's decodes. Every decode (the slide sheet's read-ahead, the
// pictures decoded ahead of the viewer, and the one picture the interface thread shows)
// takes from the budget of its pool (PoolDecodage::budget), before it allocates
// anything, the peak memory it will use (coefficients, conversions and the fitted stretch
// included), and gives it back when its decoder has returned: what is then kept is the
// picture alone. The budget does not depend on the number of processors: however many
// workers run, the decodes in flight never hold more than the budget. A decode larger
// than the whole budget is not run: it fails with error 7, as a picture beyond the
// allocation limit always has.
//
// How a job decodes under the budget of its pool:
//     BudgetMemoire::Reservation r;
//     QImage image = chargerReduite(fichier, taille, [&](std::int64_t octets) {
//         r = budget.reserver(octets, &abandon);
//         if (!r) throw DecodageAbandonne{};
//     });
//     // r gives the memory back when it goes out of scope.
// Never reserve while holding a reservation: two of them held by one worker could wait
// on each other. The interface thread reserves with reserverAffichage, which never waits
// long.
#pragma once

#include <QImage>
#include <QImageReader>
#include <QSize>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

namespace galvia {

// The budget of all decodes, in bytes: one gibibyte, whatever the machine. It is also
// the largest decode accepted (LimiteAllocationMo, Images.h): one limit, so that every
// picture that can be shown can have its memory, and none can take more than the
// budget. It bounds the memory in flight, the pictures decoded ahead included, not what
// is kept once shown: peak memory is at most the budget plus the picture shown and its
// stretched copy. A smaller budget would refuse pictures that are shown today; a larger
// one would let a page of bombs hold more. With 1 GiB, a page of 16000-pixel bitmap
// bombs (256 MB each) decodes four at a time, a progressive jpeg bomb of 16000 pixels
// (0.8 GB) alone.
inline constexpr std::int64_t BudgetDecodageOctets = std::int64_t{1024} << 20;
// The longest the interface thread waits for the memory of the picture it shows, once
// the decodes ahead have been dropped (see reserverAffichage).
inline constexpr std::chrono::milliseconds AttenteAffichageMax{10000};

// Thrown by a decode that gave up waiting for memory because its result is no longer
// wanted.
struct DecodageAbandonne {};

class BudgetMemoire {
public:
    explicit BudgetMemoire(std::int64_t capacite);
    BudgetMemoire(const BudgetMemoire&) = delete;
    BudgetMemoire& operator=(const BudgetMemoire&) = delete;

    // Memory taken from the budget, given back on destruction. Empty (false) when the
    // request was abandoned.
    class Reservation {
    public:
        Reservation() = default;
        Reservation(Reservation&& autre) noexcept;
        Reservation& operator=(Reservation&& autre) noexcept;
        ~Reservation();
        explicit operator bool() const { return budget_ != nullptr; }
        std::int64_t octets() const { return octets_; }

    private:
        friend class BudgetMemoire;
        Reservation(BudgetMemoire* b, std::int64_t octets)
            : budget_(b)
            , octets_(octets) {}
        BudgetMemoire* budget_ = nullptr;
        std::int64_t octets_ = 0;
    };

    // Every request larger than the whole budget throws Erreur(ErrMemoire) at once.

    // Waits until `octets` fit beside the memory already reserved, requests being served
    // in the order they came: a request never overtakes an earlier one. Returns an empty
    // reservation as soon as `*abandon` is true, or once every decode is stopped
    // (decodagesArretes, PoolDecodage.h; whoever sets either calls reveiller()).
    Reservation reserver(std::int64_t octets, const std::atomic<bool>* abandon = nullptr);
    // Serves `octets` at once when no request is waiting and they fit beside the memory
    // already reserved; otherwise returns an empty reservation without waiting. For
    // decodes that may as well not be done.
    Reservation essayerReserver(std::int64_t octets);
    // Like reserver, but ahead of every waiting request (the picture a user waits for),
    // and for `delai` at most: an empty reservation once it has passed.
    Reservation reserverAvant(std::int64_t octets, std::chrono::milliseconds delai);
    // Wakes the waiting requests so that they look at their abandon flag again.
    void reveiller();

    std::int64_t capacite() const { return capacite_; }
    // Memory reserved now, and the most ever reserved at once since the last reset.
    std::int64_t reserve() const;
    std::int64_t pic() const;
    // Requests waiting now.
    int enAttente() const;
    // The most reservations ever held at once since the last reset.
    int simultaneesMax() const;
    void remettreAZeroPics();

private:
    // Throws for a request larger than the budget; the bytes asked, at least 0.
    std::int64_t demande(std::int64_t octets) const;
    // Waits in line (at its head when `enTete`) until served, abandoned or `limite`.
    Reservation attendre(std::int64_t octets, const std::atomic<bool>* abandon, bool enTete,
                         std::chrono::steady_clock::time_point limite);
    // Books `octets` as reserved and held; the mutex is held.
    Reservation accorder(std::int64_t octets);
    void liberer(std::int64_t octets);

    const std::int64_t capacite_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::uint64_t> file_; // tickets of the waiting requests, oldest first
    std::uint64_t prochainTicket_ = 0;
    std::int64_t reserve_ = 0;
    int tenues_ = 0;
    std::int64_t pic_ = 0;
    int simultaneesMax_ = 0;
};

// The process-wide budget of the decodes, the process-wide pool's.
BudgetMemoire& budgetDecodage();

// For the interface thread, which shows the one picture asked for: takes `octets` from
// `budget` at once; when it cannot, calls `liberer` (which drops the
// decodes ahead: they are guesses), then waits AttenteAffichageMax at most, ahead of the
// waiting decodes. Throws Erreur(ErrMemoire) when the budget still cannot serve it.
BudgetMemoire::Reservation reserverAffichage(BudgetMemoire& budget, std::int64_t octets,
                                             const std::function<void()>& liberer = {});

// The peak memory of stretching `source` smoothly to `cible` with etirerImage: the
// result, plus, for a picture in a format a smooth scaling does not work in, the 32-bit
// copy of the whole source it makes first and the result converted back to the source's
// format (none of them for one of 8 bits a pixel shrunk in its own format).
std::int64_t memoireEtirement(const QImage& source, QSize cible);
// `source` stretched smoothly to `cible`, as the fitted view draws it: a picture of 8
// bits a pixel shrunk with reduireHuitBits, any other scaled by Qt.
QImage etirerImage(const QImage& source, QSize cible);
// etirerImage with its memory taken from `budget` at once (`memoire`, which the caller
// gives back when it likes); a null picture when the budget cannot serve it.
QImage etirerSousBudget(BudgetMemoire& budget, const QImage& source, QSize cible,
                        BudgetMemoire::Reservation& memoire);

// The peak memory (bytes) the reader's decode will take, from its header alone: the
// picture at the size where the decoder really allocates (the whole picture for the
// formats that cannot scale while decoding, plus its conversion to 32 bits when it is
// then scaled, unless it is read 8 bits a pixel and shrunk from there; the size libjpeg
// reduces to for a jpeg given a scaled size; the target size for a metafile, drawn at
// that size), plus the result, plus the coefficients of a jpeg that libjpeg must hold
// whole (a progressive one). Call it once the scaled size, if any, is set. A reader
// that gives no size counts as the per-picture limit.
std::int64_t memoireDecodage(QImageReader& lecteur);

} // namespace galvia
