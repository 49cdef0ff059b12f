#include "Minuterie.h"

namespace galvia {

void Minuterie::setInterval(int ms) {
    interval_ = ms;
    if (vue_) vue_->actualiser();
}

void Minuterie::tick() {
    if (surTick) surTick();
}

} // namespace galvia
