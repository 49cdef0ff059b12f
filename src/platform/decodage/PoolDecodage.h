// Worker threads that decode pictures ahead of their display, and the read-ahead of a
// batch of pictures on them. The number of workers follows the processors; the memory
// the workers use does not: each decode takes its memory from the budget of
// BudgetDecodage.h, and waits there when the budget is spent.
//
// What a worker may use, and until when. A job may call QImage (its constructors,
// scaled, convertToFormat, pixel access), QImageReader and its image plugins, QFile on a
// descriptor, and QPainter on a QImage. Some of these (QImage::scaled, convertToFormat,
// and QPainter drawing a picture scaled) split their work over Qt's own thread pool,
// which lives with the application object and cannot run once it is gone: a job that
// used them then would wait for ever. So every worker of the process-wide pool has
// ended, or the process has ended, before the application object is destroyed: the pool
// exists only inside the life of a PoolCommun, made in main right after the application
// object and stopped before it (at the end of the event loop, or at the latest by its
// own destructor). Nothing else of Qt (widgets, windows, timers, calls to the
// interface thread but through Plateforme::envoi) may be touched by a job.
#pragma once

#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace galvia {

class PoolDecodage {
public:
    // `travailleurs`: the number of worker threads (at least 1).
    explicit PoolDecodage(int travailleurs);
    // Drops the jobs not started and waits for the running ones, without bound: only for
    // a pool whose jobs end by themselves (the process-wide pool stops through
    // PoolCommun, within a bound).
    ~PoolDecodage();
    PoolDecodage(const PoolDecodage&) = delete;
    PoolDecodage& operator=(const PoolDecodage&) = delete;

    // The process-wide pool: one worker per processor, at least two. Only while a
    // PoolCommun lives; the process stops with a message otherwise.
    static PoolDecodage& commun();

    int travailleurs() const { return static_cast<int>(threads_.size()); }
    // Queues a job; jobs start in the order they were queued. A job must not throw.
    // Once the pool is stopped, the job is dropped.
    void soumettre(std::function<void()> travail);
    // Waits until no job is queued or running, at most `limite`; true when idle.
    bool attendreInactif(std::chrono::milliseconds limite);
    // Stops the pool: the jobs not started are dropped, no job starts any more, and the
    // workers are joined once the running jobs have ended, if they end within `limite`.
    // True when every worker is joined; false leaves the late ones running.
    bool arreter(std::chrono::milliseconds limite);

private:
    void travailler();
    void arreterFile();

    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::condition_variable inactif_;
    std::deque<std::function<void()>> file_;
    int actifs_ = 0;
    bool arret_ = false;
    std::vector<std::thread> threads_;
};

// Tells every decode in flight to give up, for good: the one place where the process
// does so. The pools take no more jobs once stopped, and a decode that polls
// decodagesArretes() between two steps (a row, a scan) returns early, its result
// thrown away. Called when Galvia quits, before its workers are joined.
void arreterDecodages();
// True once arreterDecodages() has been called; any thread may ask.
bool decodagesArretes();

// How long quitting waits for the decodes in flight.
inline constexpr std::chrono::milliseconds StopDecodagesMax{1000};

// The life of the process-wide decode pool, nested in the application object's: made in
// main (and in each test's or benchmark's main) right after the application object,
// destroyed before it. It stops the pool when the event loop ends (aboutToQuit), or at
// the latest when it is destroyed: every decode is told to give up, then the workers
// are joined, waiting at most StopDecodagesMax for the running decodes. A worker still
// busy after that wait would hold the process with no application object left to run
// Qt's threads: the process then ends at once, its output flushed, with no destructor
// run.
class PoolCommun {
public:
    PoolCommun();
    ~PoolCommun();
    PoolCommun(const PoolCommun&) = delete;
    PoolCommun& operator=(const PoolCommun&) = delete;

    // Stops the pool as above and returns `statut`, the status the process is to end
    // with; or ends the process with it when a worker is still busy after the wait.
    int arreter(int statut = 0);

private:
    std::unique_ptr<PoolDecodage> pool_;
    QMetaObject::Connection finBoucle_;
    bool arrete_ = false;
};

// A batch of decodes run ahead on a pool, whose results the interface thread takes one
// by one. Destroying the batch never waits: the jobs not started are dropped, the ones
// waiting for memory give up, the running ones finish in the background and their
// results are thrown away; nothing of the batch's owner is touched after that.
template <class R> class LectureEnAvance {
public:
    // A job gets the batch's abandon flag, to give to BudgetMemoire::reserver.
    using Travail = std::function<R(const std::atomic<bool>& abandon)>;

    // `reveil` runs on a worker after each result stored, until the batch is destroyed
    // (it tells the interface thread, through Plateforme::envoi); `abandonner` runs once,
    // on destruction, after the flag is set (the budget's reveiller, so that the waiting
    // jobs see it).
    LectureEnAvance(PoolDecodage& pool, std::vector<Travail> travaux,
                    std::function<void()> abandonner, const std::function<void()>& reveil)
        : etat_(std::make_shared<Etat>()) {
        etat_->resultats.resize(travaux.size());
        etat_->reveil = reveil;
        abandonner_ = std::move(abandonner);
        for (std::size_t k = 0; k < travaux.size(); ++k)
            pool.soumettre([etat = etat_, k, f = std::move(travaux[k])] {
                if (etat->abandon || decodagesArretes()) return;
                std::optional<R> r;
                try {
                    r = f(etat->abandon);
                } catch (...) {
                    r = R{};
                }
                const std::lock_guard verrou(etat->mutex);
                if (etat->abandon) return;
                etat->resultats[k] = std::move(r);
                if (etat->reveil) etat->reveil();
            });
    }
    ~LectureEnAvance() {
        {
            const std::lock_guard verrou(etat_->mutex);
            etat_->abandon = true;
            etat_->reveil = nullptr;
        }
        if (abandonner_) abandonner_();
    }
    LectureEnAvance(const LectureEnAvance&) = delete;
    LectureEnAvance& operator=(const LectureEnAvance&) = delete;

    bool pret(std::size_t k) const {
        const std::lock_guard verrou(etat_->mutex);
        return etat_->resultats.at(k).has_value();
    }
    // The result k, once pret(k); taken once.
    R prendre(std::size_t k) {
        const std::lock_guard verrou(etat_->mutex);
        R r = std::move(*etat_->resultats.at(k));
        etat_->resultats[k].reset();
        return r;
    }

private:
    // Shared with the jobs, so that it outlives the batch while one of them runs.
    struct Etat {
        std::mutex mutex;
        std::atomic<bool> abandon{false};
        std::vector<std::optional<R>> resultats;
        std::function<void()> reveil;
    };
    std::shared_ptr<Etat> etat_;
    std::function<void()> abandonner_;
};

} // namespace galvia
