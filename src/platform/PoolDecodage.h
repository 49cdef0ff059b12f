// Worker threads that decode pictures ahead of their display, and the read-ahead of a
// batch of pictures on them. The number of workers follows the processors; the memory
// the workers use does not: each decode takes its memory from the budget of
// BudgetDecodage.h, and waits there when the budget is spent.
#pragma once

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <atomic>
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
    // Drops the jobs not started and waits for the running ones.
    ~PoolDecodage();
    PoolDecodage(const PoolDecodage&) = delete;
    PoolDecodage& operator=(const PoolDecodage&) = delete;

    // The process-wide pool: one worker per processor, at least two.
    static PoolDecodage& commun();

    int travailleurs() const { return static_cast<int>(threads_.size()); }
    // Queues a job; jobs start in the order they were queued. A job must not throw.
    void soumettre(std::function<void()> travail);
    // Jobs queued or running.
    int enCours() const;
    // Jobs running now.
    int actifs() const;
    // Waits until no job is queued or running, at most `limite`; true when idle.
    bool attendreInactif(std::chrono::milliseconds limite);

private:
    void travailler();

    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::condition_variable inactif_;
    std::deque<std::function<void()>> file_;
    int actifs_ = 0;
    bool arret_ = false;
    std::vector<std::thread> threads_;
};

// Wakes the interface thread's event loop from any thread, so that a wait on it
// (Plateforme::attendre) looks at its condition again.
inline void reveillerInterface() {
    if (QCoreApplication* app = QCoreApplication::instance())
        if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance(app->thread()))
            d->wakeUp();
}

// A batch of decodes run ahead on a pool, whose results the interface thread takes one
// by one. Destroying the batch never waits: the jobs not started are dropped, the ones
// waiting for memory give up, the running ones finish in the background and their
// results are thrown away; nothing of the batch's owner is touched after that.
template <class R> class LectureEnAvance {
public:
    // A job gets the batch's abandon flag, to give to BudgetMemoire::reserver.
    using Travail = std::function<R(const std::atomic<bool>& abandon)>;

    // `reveil` runs on a worker after each result (reveillerInterface by default);
    // `abandonner` runs once, on destruction, after the flag is set (the budget's
    // reveiller, so that the waiting jobs see it).
    LectureEnAvance(PoolDecodage& pool, std::vector<Travail> travaux,
                    std::function<void()> abandonner,
                    const std::function<void()>& reveil = reveillerInterface)
        : etat_(std::make_shared<Etat>()) {
        etat_->resultats.resize(travaux.size());
        etat_->reveil = reveil;
        abandonner_ = std::move(abandonner);
        for (std::size_t k = 0; k < travaux.size(); ++k)
            pool.soumettre([etat = etat_, k, f = std::move(travaux[k])] {
                if (etat->abandon) return;
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

    std::size_t taille() const { return etat_->resultats.size(); }
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
