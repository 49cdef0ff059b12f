// The memory of the pictures decoded ahead of their display. Every decode that runs
// ahead (the slide sheet's read-ahead today, any other read-ahead tomorrow) takes from
// one process-wide budget, before it allocates anything, the peak memory it will use,
// and gives it back when its decoder has returned. The budget does not depend on the
// number of processors: however many workers run, the decodes in flight hold at most
// the budget, or a single decode alone when that one is larger than the whole budget.
//
// How to decode ahead under the budget (see PoolDecodage.h for the workers):
//     BudgetMemoire::Reservation r;
//     QImage image = chargerReduite(fichier, taille, [&](std::int64_t octets) {
//         r = budgetDecodage().reserver(octets, &abandon);
//         if (!r) throw DecodageAbandonne{};
//     });
//     // r gives the memory back when it goes out of scope.
// Never reserve while holding a reservation: two of them held by one worker could wait
// on each other. The interface thread, which shows the one picture asked for, does not
// reserve; its decodes are bounded by the per-picture limits of Images.h alone.
#pragma once

#include <QImageReader>
#include <QSize>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

namespace galvia {

// The budget of all decodes ahead, in bytes: half a gibibyte, whatever the machine.
// With the per-picture limit of 1 GiB, a page of pictures never holds much more than
// one full-size decode in flight.
inline constexpr std::int64_t BudgetDecodageOctets = std::int64_t{512} << 20;

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

    // Waits until `octets` fit beside the memory already reserved, requests being served
    // in the order they came: a request never overtakes an earlier one. A request larger
    // than the whole budget waits until nothing is reserved, then runs alone. Returns an
    // empty reservation as soon as `*abandon` is true (whoever sets it calls reveiller()).
    Reservation reserver(std::int64_t octets, const std::atomic<bool>* abandon = nullptr);
    // Serves `octets` at once when no request is waiting and they fit beside the memory
    // already reserved (never alone beyond the budget); otherwise returns an empty
    // reservation without waiting. For decodes that may as well not be done.
    Reservation essayerReserver(std::int64_t octets);
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

// The process-wide budget of the decodes ahead.
BudgetMemoire& budgetDecodage();

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
