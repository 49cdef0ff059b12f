#include "PoolDecodage.h"

#include "BudgetDecodage.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace galvia {

PoolDecodage::PoolDecodage(int travailleurs, BudgetMemoire& budget)
    : budget_(budget) {
    for (int i = 0; i < std::max(1, travailleurs); ++i)
        threads_.emplace_back([this] { travailler(); });
}

namespace {

std::atomic<bool> arretDecodages{false};
// The pool of the living PoolCommun; only the interface thread changes it.
PoolDecodage* poolCommun = nullptr;

} // namespace

void arreterDecodages() {
    arretDecodages = true;
}

bool decodagesArretes() {
    return arretDecodages;
}

PoolDecodage::~PoolDecodage() {
    arreterFile();
    for (std::thread& t : threads_)
        if (t.joinable()) t.join();
}

void PoolDecodage::arreterFile() {
    {
        const std::lock_guard verrou(mutex_);
        arret_ = true;
        file_.clear();
        if (actifs_ == 0) inactif_.notify_all();
    }
    cv_.notify_all();
}

bool PoolDecodage::arreter(std::chrono::milliseconds limite) {
    arreterFile();
    if (!attendreInactif(limite)) return false;
    // Idle and stopped: every worker is returning.
    for (std::thread& t : threads_)
        if (t.joinable()) t.join();
    return true;
}

PoolDecodage& PoolDecodage::commun() {
    if (poolCommun == nullptr)
        qFatal("the decode pool is used outside the life of a PoolCommun (see PoolDecodage.h)");
    return *poolCommun;
}

PoolCommun::PoolCommun() {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || poolCommun != nullptr)
        qFatal("a PoolCommun is made once, after the application object");
    // The process-wide budget is built first, so that it outlives the workers using it.
    pool_ = std::make_unique<PoolDecodage>(
        std::max(2, static_cast<int>(std::thread::hardware_concurrency())), budgetDecodage());
    poolCommun = pool_.get();
    finBoucle_ =
        QObject::connect(app, &QCoreApplication::aboutToQuit, app, [this] { (void)arreter(); });
}

PoolCommun::~PoolCommun() {
    QObject::disconnect(finBoucle_);
    (void)arreter();
    poolCommun = nullptr;
}

int PoolCommun::arreter(int statut) {
    if (arrete_) return statut;
    arrete_ = true;
    arreterDecodages();
    pool_->budget().reveiller(); // the decodes waiting for memory see the stop
    if (!pool_->arreter(StopDecodagesMax)) {
        // A decode ignores the stop: end here, while the application object still
        // exists, rather than wait on it or destroy what it uses.
        std::fflush(nullptr);
        std::_Exit(statut);
    }
    return statut;
}

void PoolDecodage::soumettre(std::function<void()> travail) {
    {
        const std::lock_guard verrou(mutex_);
        if (arret_) return;
        file_.push_back(std::move(travail));
    }
    cv_.notify_one();
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

void Tache::lancer(PoolDecodage& pool, std::function<void(Etat&)> travail) {
    pool.soumettre([etat = etat_, travail = std::move(travail)] {
        {
            const std::lock_guard verrou(etat->mutex);
            if (etat->abandon || decodagesArretes()) return;
            etat->etape = Etat::Etape::EnCours;
        }
        travail(*etat);
        {
            const std::lock_guard verrou(etat->mutex);
            etat->etape = Etat::Etape::Finie;
        }
        etat->fin.notify_all();
    });
}

void Tache::abandonner() {
    if (!etat_) return;
    {
        const std::lock_guard verrou(etat_->mutex);
        etat_->abandon = true;
    }
    etat_->budget.reveiller();
}

bool Tache::attendre() {
    if (!etat_) return false;
    std::unique_lock verrou(etat_->mutex);
    if (etat_->etape == Etat::Etape::EnFile) {
        etat_->abandon = true; // quicker done by the caller than waiting for a worker
        return false;
    }
    etat_->fin.wait(verrou, [this] { return etat_->etape == Etat::Etape::Finie; });
    return true;
}

} // namespace galvia
