#include "PoolDecodage.h"

#include "BudgetDecodage.h"

#include <algorithm>

namespace galvia {

PoolDecodage::PoolDecodage(int travailleurs) {
    for (int i = 0; i < std::max(1, travailleurs); ++i)
        threads_.emplace_back([this] { travailler(); });
}

PoolDecodage::~PoolDecodage() {
    {
        const std::lock_guard verrou(mutex_);
        arret_ = true;
        file_.clear();
    }
    cv_.notify_all();
    for (std::thread& t : threads_)
        t.join();
}

PoolDecodage& PoolDecodage::commun() {
    // The budget is built first so that it outlives the workers that use it.
    (void)budgetDecodage();
    static PoolDecodage pool(std::max(2, static_cast<int>(std::thread::hardware_concurrency())));
    return pool;
}

void PoolDecodage::soumettre(std::function<void()> travail) {
    {
        const std::lock_guard verrou(mutex_);
        file_.push_back(std::move(travail));
    }
    cv_.notify_one();
}

int PoolDecodage::enCours() const {
    const std::lock_guard verrou(mutex_);
    return actifs_ + static_cast<int>(file_.size());
}

int PoolDecodage::actifs() const {
    const std::lock_guard verrou(mutex_);
    return actifs_;
}

bool PoolDecodage::attendreInactif(std::chrono::milliseconds limite) {
    std::unique_lock verrou(mutex_);
    return inactif_.wait_for(verrou, limite, [this] { return actifs_ == 0 && file_.empty(); });
}

void PoolDecodage::travailler() {
    std::unique_lock verrou(mutex_);
    for (;;) {
        cv_.wait(verrou, [this] { return arret_ || !file_.empty(); });
        if (file_.empty()) return; // stopping, nothing left
        std::function<void()> travail = std::move(file_.front());
        file_.pop_front();
        ++actifs_;
        verrou.unlock();
        travail();
        travail = nullptr; // what the job holds goes before the pool looks idle
        verrou.lock();
        --actifs_;
        if (actifs_ == 0 && file_.empty()) inactif_.notify_all();
    }
}

} // namespace galvia
