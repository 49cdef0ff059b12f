// Galvia's decoding machinery, and who owns what in it.
//
// The interface thread owns the decodes' owners (the viewer's DecodageAnticipe, the slide
// sheet's LectureEnAvance, the pictures handed to the views, ImageAffichee) and asks
// them for their results; each hands its decodes to a PoolDecodage as Taches. A Tache is
// its owner's: abandoning it, or destroying it, never waits for its job, and once done
// nothing of the owner is touched by the job any more (its result is thrown away on its
// worker, with the memory it held).
//
// The workers of a pool run the jobs. A job may use QImage (its constructors, scaled,
// convertToFormat, pixel access), QImageReader and its image plugins, QFile on a
// descriptor, and QPainter on a QImage; nothing else of Qt (widgets, windows, timers,
// calls to the interface thread but through Plateforme::envoi).
//
// The budget (BudgetMemoire, BudgetDecodage.h) is the memory the decodes of a pool may
// hold at once; each pool is given its own at construction (the process-wide pool the
// process-wide budget of 1 GiB), and its jobs and owners take their memory from that
// budget, through the pool they were given. The budget outlives its pools.
//
// Qt's own thread pool runs parts of QImage::scaled, convertToFormat and of QPainter
// drawing a picture scaled; it lives with the application object and cannot run once it
// is gone, so a job using them then would wait for ever. So every worker of the
// process-wide pool has ended, or the process has ended, before the application object
// is destroyed: that pool exists only inside the life of a PoolCommun, made in main
// right after the application object and stopped before it (at the end of the event
// loop, or at the latest by its own destructor, within StopDecodagesMax).
#pragma once

#include "BudgetDecodage.h"

#include <QCoreApplication>
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
    // `travailleurs`: the number of worker threads (at least 1); `budget`: the memory of
    // their decodes.
    explicit PoolDecodage(int travailleurs, BudgetMemoire& budget = budgetDecodage());
    // Drops the jobs not started and waits for the running ones, without bound: only for
    // a pool whose jobs end by themselves (the process-wide pool stops through
    // PoolCommun, within a bound).
    ~PoolDecodage();
    PoolDecodage(const PoolDecodage&) = delete;
    PoolDecodage& operator=(const PoolDecodage&) = delete;

    // The process-wide pool: one worker per processor, at least two, over the
    // process-wide budget. Only while a PoolCommun lives; the process stops with a
    // message otherwise.
    static PoolDecodage& commun();

    int travailleurs() const { return static_cast<int>(threads_.size()); }
    BudgetMemoire& budget() const { return budget_; }
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

    BudgetMemoire& budget_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::condition_variable inactif_;
    std::deque<std::function<void()>> file_;
    int actifs_ = 0;
    bool arret_ = false;
    std::vector<std::thread> threads_;
};

// One job on a pool, and the owner's hold on it: the one way a decode is abandoned.
// The job gets its own abandon flag (to poll, and to give to BudgetMemoire::reserver)
// and returns its result; `livrer` gets the result on the worker, unless the task was
// abandoned first. Abandoning (or destroying) the task never waits for a running job:
// the flag is set and the waiters of the pool's budget woken, so that a job waiting
// for memory gives up; a job not started never starts (nor once Galvia quits); once
// abandonner() has returned, `livrer` is not running and will not run, and the result
// goes on the worker. `livrer` runs under the task's lock: it is short, and leaves the
// task alone. The job must not throw.
class Tache {
public:
    Tache() = default;
    template <class Travail, class Livrer>
    Tache(PoolDecodage& pool, Travail travail, Livrer livrer)
        : etat_(std::make_shared<Etat>(pool.budget())) {
        lancer(pool, [travail = std::move(travail), livrer = std::move(livrer)](Etat& e) mutable {
            auto resultat = travail(e.abandon);
            const std::lock_guard verrou(e.mutex);
            if (!e.abandon) livrer(std::move(resultat));
        });
    }
    ~Tache() { abandonner(); }
    Tache(Tache&&) noexcept = default;
    Tache& operator=(Tache&& autre) noexcept {
        abandonner();
        etat_ = std::move(autre.etat_);
        return *this;
    }

    void abandonner();
    // Ends the task here: abandons it when its job has not started (false), or waits
    // for its job to end (true), its result delivered unless it was abandoned.
    bool attendre();

    // Shared by the handle and the job; `etape` guarded by `mutex`, which the job holds
    // while it delivers.
    struct Etat {
        explicit Etat(BudgetMemoire& b)
            : budget(b) {}
        BudgetMemoire& budget;
        std::mutex mutex;
        std::condition_variable fin;
        std::atomic<bool> abandon{false};
        enum class Etape { EnFile, EnCours, Finie } etape = Etape::EnFile;
    };

private:
    void lancer(PoolDecodage& pool, std::function<void(Etat&)> travail);
    std::shared_ptr<Etat> etat_;
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

// The life of the process-wide decode pool (see the top of this file): made in main
// (and in each test's or benchmark's main) right after the application object,
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

// A batch of decodes run ahead on a pool, one task each, whose results the interface
// thread takes one by one. Destroying the batch abandons its tasks.
template <class R> class LectureEnAvance {
public:
    using Travail = std::function<R(const std::atomic<bool>& abandon)>;

    // `reveil` runs on a worker after each result stored (it tells the interface
    // thread, through Plateforme::envoi). A job that throws gives R{}.
    LectureEnAvance(PoolDecodage& pool, std::vector<Travail> travaux,
                    const std::function<void()>& reveil)
        : resultats_(std::make_shared<Resultats>()) {
        resultats_->valeurs.resize(travaux.size());
        taches_.reserve(travaux.size());
        for (std::size_t k = 0; k < travaux.size(); ++k)
            taches_.emplace_back(
                pool,
                [f = std::move(travaux[k])](const std::atomic<bool>& abandon) {
                    try {
                        return f(abandon);
                    } catch (...) {
                        return R{};
                    }
                },
                [res = resultats_, k, reveil](R r) {
                    {
                        const std::lock_guard verrou(res->mutex);
                        res->valeurs[k] = std::move(r);
                    }
                    if (reveil) reveil();
                });
    }

    bool pret(std::size_t k) const {
        const std::lock_guard verrou(resultats_->mutex);
        return resultats_->valeurs.at(k).has_value();
    }
    // The result k, once pret(k); taken once.
    R prendre(std::size_t k) {
        const std::lock_guard verrou(resultats_->mutex);
        R r = std::move(*resultats_->valeurs.at(k));
        resultats_->valeurs[k].reset();
        return r;
    }

private:
    struct Resultats {
        std::mutex mutex;
        std::vector<std::optional<R>> valeurs;
    };
    std::shared_ptr<Resultats> resultats_;
    std::vector<Tache> taches_;
};

} // namespace galvia
